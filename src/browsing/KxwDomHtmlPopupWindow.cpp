#include "KxwDomHtmlPopupWindow.h"

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwObjMgr.h"

namespace {

constexpr uint16_t kRO = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;

enum : short {
    kIdDocument = 0,
    kIdIsOpen,
};

const KxwJswPropertySpec katPopupProperties[] = {
    {"document", kIdDocument, kRO, nullptr},
    {"isOpen", kIdIsOpen, kRO, nullptr},
    {nullptr, 0, 0, nullptr},
};

using KxwDomHtmlPopupWindowCall = KxwDomScriptCallOn<KxwDomHtmlPopupWindow>;

// show(left, top, width, height[, element]): the place and size must be numbers; nothing is drawn, so they go no
// further.
bool show_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlPopupWindowCall tCall("KxwDomHtmlPopupWindow::show_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(4)) return false;
    for (unsigned n = 0; n < 4; ++n)
        if (!tCall.Arg(n).IsNumber()) return tCall.Invalid();
    tCall.This()->Show();
    return tCall.Undefined();
}

bool hide_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlPopupWindowCall tCall("KxwDomHtmlPopupWindow::hide_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    tCall.This()->Hide();
    return tCall.Undefined();
}

const KxwJswMethodSpec katPopupMethods[] = {
    {"show", nullptr, nullptr, 5, show_callback},
    {"hide", nullptr, nullptr, 0, hide_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

KxwDomHtmlPopupWindow::KxwDomHtmlPopupWindow(KxwDomHtmlWindow* mptOwner)
    : KxwDomBase(mptOwner->GetObjMgr()->GetMemMgr(), xfptKxwU16nHandlerGetDefault()), _ptOwner(mptOwner) {
    KxwObjMgr* ptObjMgr = mptOwner->GetObjMgr();
    _ptWindow = new (ptObjMgr->GetMemMgr()) KxwDomHtmlWindow(ptObjMgr, nullptr, nullptr);
    _ptWindow->SetPopup(this);
    if (!_ptWindow->CreateNewDocument(nullptr, 0)) {
        delete _ptWindow;
        _ptWindow = nullptr;
        return;
    }
    if (KxwDomHtmlDocument* ptDocument = _ptWindow->GetDocument()) ptDocument->SetHrefDcs("about:blank", 11);
    _ptWindow->MarkCompleteWithoutDownload();
}

KxwDomHtmlPopupWindow::~KxwDomHtmlPopupWindow() {
    // Going while shown: the virtual user shows none any more (its window is going, so no unload runs).
    if (KxwObjMgr* ptObjMgr = _ptOwner ? _ptOwner->GetObjMgr() : nullptr)
        if (ptObjMgr->GetVisiblePopup() == this) ptObjMgr->ForgetVisiblePopup();
    SetTempProtectFromGC(false);
    KxwDomHtmlWindow* ptWindow = _ptWindow;
    _ptWindow = nullptr;
    if (ptWindow) {
        ptWindow->SetPopup(nullptr);
        delete ptWindow;
    }
}

void KxwDomHtmlPopupWindow::Show() {
    KxwObjMgr* ptObjMgr = _ptOwner ? _ptOwner->GetObjMgr() : nullptr;
    if (!ptObjMgr) return;
    KxwDomWatchDelete tWatch("KxwDomHtmlPopupWindow::Show", this);
    // The one shown before is hidden first (its unload may run scripts).
    if (ptObjMgr->GetVisiblePopup() != this) ptObjMgr->SetVisiblePopupWindow(this);
    if (tWatch.HasBeenDeleted()) return;
    _bIsOpen = true;
    SetTempProtectFromGC(true);
}

void KxwDomHtmlPopupWindow::Hide() {
    KxwObjMgr* ptObjMgr = _ptOwner ? _ptOwner->GetObjMgr() : nullptr;
    if (ptObjMgr && ptObjMgr->GetVisiblePopup() == this)
        ptObjMgr->SetVisiblePopupWindow(nullptr);
    else
        MarkHidden();
}

void KxwDomHtmlPopupWindow::MarkHidden() {
    if (!_bIsOpen) return;
    _bIsOpen = false;
    SetTempProtectFromGC(false);
    if (_ptWindow) _ptWindow->FireEvent(KXW_DOM_EVENT_TYPE_ENUM_UNLOAD, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
}

const KxwJswClassInformation* KxwDomHtmlPopupWindow::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "Popup", katPopupProperties, katPopupMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlPopupWindow::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdDocument: {
            KxwDomHtmlDocument* ptDocument = _ptWindow ? _ptWindow->GetDocument() : nullptr;
            mrtPropertyInfo.AssignDomObjectOrNull(ptDocument);
            return true;
        }
        case kIdIsOpen:
            mrtPropertyInfo = _bIsOpen;
            return true;
        default:
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                     "KxwDomHtmlPopupWindow::GetDomPropertyInfo: Unsupported property ID (%d)",
                                     mnTinyId);
            return false;
    }
}
