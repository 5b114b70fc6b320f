#include "KxwDomHtmlWindowDialog.h"

#include <cctype>
#include <cstring>

#include "KxwDomBrowsingUtil.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwObjMgr.h"

namespace {

constexpr uint16_t kRO = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;
constexpr uint16_t kRW = KXW_JSW_PROP_PERMANENT;

// Past the window's own ids, which the dialog's class inherits.
enum : short {
    kIdDialogArguments = 64,
    kIdDialogHeight,
    kIdDialogLeft,
    kIdDialogTop,
    kIdDialogWidth,
    kIdReturnValue,
};

const KxwJswPropertySpec katDialogProperties[] = {
    {"dialogArguments", kIdDialogArguments, kRO, nullptr},
    {"dialogHeight", kIdDialogHeight, kRO, nullptr},
    {"dialogLeft", kIdDialogLeft, kRO, nullptr},
    {"dialogTop", kIdDialogTop, kRO, nullptr},
    {"dialogWidth", kIdDialogWidth, kRO, nullptr},
    {"returnValue", kIdReturnValue, kRW, "*"},
    {nullptr, 0, 0, nullptr},
};

const char* FeatureOfId(short mnTinyId) {
    switch (mnTinyId) {
        case kIdDialogHeight:
            return "dialogHeight";
        case kIdDialogLeft:
            return "dialogLeft";
        case kIdDialogTop:
            return "dialogTop";
        case kIdDialogWidth:
            return "dialogWidth";
        default:
            return nullptr;
    }
}

std::string Trimmed(const std::string& mrdsText, size_t mnBegin, size_t mnEnd) {
    while (mnBegin < mnEnd && std::isspace(static_cast<unsigned char>(mrdsText[mnBegin]))) ++mnBegin;
    while (mnEnd > mnBegin && std::isspace(static_cast<unsigned char>(mrdsText[mnEnd - 1]))) --mnEnd;
    return mrdsText.substr(mnBegin, mnEnd - mnBegin);
}

}  // namespace

KxwDomHtmlWindowDialog::KxwDomHtmlWindowDialog(KxwObjMgr* mptObjMgr, KxwDomHtmlTopWindow* mptOwner, bool mbModal,
                                               const KxwJsval& mrtArguments, const std::string& mdsFeatures)
    // A dialog counts among no browser windows and has no opener; its page reaches its caller through
    // dialogArguments.
    : KxwDomHtmlTopWindow(mptObjMgr, nullptr, nullptr, 0, 0),
      _ptOwner(mptOwner),
      _bModal(mbModal),
      _dsFeatures(mdsFeatures) {
    _tArguments.Set(mrtArguments);
}

KxwDomHtmlWindowDialog::~KxwDomHtmlWindowDialog() = default;

std::string KxwDomHtmlWindowDialog::GetFeature(const char* mpszName) const {
    // Features are "name:value" (or "name=value") pairs separated by ";" or ",", names in any case.
    size_t nLen = std::strlen(mpszName);
    size_t nPos = 0;
    while (nPos < _dsFeatures.size()) {
        size_t nEnd = _dsFeatures.find_first_of(";,", nPos);
        if (nEnd == std::string::npos) nEnd = _dsFeatures.size();
        size_t nSep = _dsFeatures.find_first_of(":=", nPos);
        if (nSep != std::string::npos && nSep < nEnd) {
            std::string dsName = Trimmed(_dsFeatures, nPos, nSep);
            if (dsName.size() == nLen && strncasecmp(dsName.c_str(), mpszName, nLen) == 0)
                return Trimmed(_dsFeatures, nSep + 1, nEnd);
        }
        nPos = nEnd + 1;
    }
    return std::string();
}

void KxwDomHtmlWindowDialog::Close(bool mbForce) {
    if (GetIsClosed()) return;
    if (!mbForce && DeferCloseWhileOwnScriptRuns()) return;
    _bIsClosed = true;
    ClearDeferredClose();
    KxwDomWatchDelete tWatch("KxwDomHtmlWindowDialog::Close", this);
    Reset(KXW_DOM_RESET_WINDOW_REASON_CLOSE);
    if (tWatch.HasBeenDeleted()) return;
    if (_ptOwner) _ptOwner->NotifyDialogClosed(this);
}

const KxwJswClassInformation* KxwDomHtmlWindowDialog::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(&GetWindowClassInformation(), "Window", katDialogProperties,
                                                    nullptr, nullptr, KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return &ktClassInfo;
}

bool KxwDomHtmlWindowDialog::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (const char* pszFeature = FeatureOfId(mnTinyId)) {
        xfvKxwDomBrowsingAssignText(mrtPropertyInfo, GetFeature(pszFeature), GetU16nHandler());
        return true;
    }
    return KxwDomHtmlTopWindow::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
}

bool KxwDomHtmlWindowDialog::GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue) {
    if (mnTinyId == kIdDialogArguments) {
        mrtValue = _tArguments.Get();
        return true;
    }
    if (mnTinyId == kIdReturnValue) {
        mrtValue = _tReturnValue.Get();
        return true;
    }
    return KxwDomHtmlTopWindow::GetDomPropertyJsval(mnTinyId, mrtValue);
}

bool KxwDomHtmlWindowDialog::SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue) {
    if (mnTinyId == kIdReturnValue) {
        _tReturnValue.Set(mrtValue);
        return true;
    }
    return KxwDomHtmlTopWindow::SetDomPropertyJsval(mnTinyId, mrtValue);
}
