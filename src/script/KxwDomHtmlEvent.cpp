#include "KxwDomHtmlEvent.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "KxwDomBindingUtil.h"
#include "KxwDomEventData.h"
#include "KxwDomEventTarget.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"

namespace {

constexpr uint16_t kRO = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;
constexpr uint16_t kRW = KXW_JSW_PROP_PERMANENT;

// Tiny ids of "Event" as the class receives them (132 to 140).
enum : short {
    kIdX = -124,
    kIdY = -123,
    kIdOffsetX = -122,
    kIdOffsetY = -121,
    kIdToElement = -120,
    kIdFromElement = -119,
    kIdButton = -118,
    kIdCtrlKey = -117,
    kIdKeyCode = -116,
};

const KxwJswPropertySpec katHtmlEventProperties[] = {
    {"x", 132, kRW, "i"},
    {"y", 133, kRW, "i"},
    {"offsetX", 134, kRW, "i"},
    {"offsetY", 135, kRW, "i"},
    {"toElement", 136, kRO, nullptr},
    {"fromElement", 137, kRO, nullptr},
    {"button", 138, kRW, "i"},
    {"ctrlKey", 139, kRW, "b"},
    {"keyCode", 140, kRW, "i"},
    {nullptr, 0, 0, nullptr},
};

// "x,y" with two decimal integers of 32 bits and nothing else but blanks around them.
bool ParseCoordinatePair(const char* mpszPair, int32_t* mpiX, int32_t* mpiY) {
    auto ParseOne = [](const char* mpszText, char** mppszEnd, int32_t* mpiValue) {
        errno = 0;
        long liValue = std::strtol(mpszText, mppszEnd, 10);
        if (*mppszEnd == mpszText || errno == ERANGE || liValue < INT32_MIN || liValue > INT32_MAX) return false;
        *mpiValue = static_cast<int32_t>(liValue);
        return true;
    };
    char* pszEnd = nullptr;
    if (!ParseOne(mpszPair, &pszEnd, mpiX)) return false;
    while (*pszEnd == ' ') ++pszEnd;
    if (*pszEnd != ',') return false;
    if (!ParseOne(pszEnd + 1, &pszEnd, mpiY)) return false;
    while (*pszEnd == ' ') ++pszEnd;
    return *pszEnd == '\0';
}

}  // namespace

KxwDomHtmlEvent::KxwDomHtmlEvent(KxwDomEnv& mrtDomEnv, KxwDomEventTarget* mptSrcElement,
                                 KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL)
    : KxwDomCoreEvent(mrtDomEnv, mptSrcElement, meEventType) {
    SetEventData(mptDomEventDataOrNULL);
}

bool KxwDomHtmlEvent::Reset(KxwDomEventTarget* mptSrcElement, KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    bool bOK = KxwDomCoreEvent::Reset(mptSrcElement, meEventType);
    // After the type: the defaults depend on it.
    SetEventData(nullptr);
    return bOK;
}

int32_t KxwDomHtmlEvent::GetDefaultButton() const {
    // A click reports no button in both browsers (the left button is 1 only while it goes down or up): pages'
    // delegated click handlers tell clicks of the left button by a button below 1.
    KXW_DOM_EVENT_TYPE_ENUM eType = GetEventType();
    return eType == KXW_DOM_EVENT_TYPE_ENUM_CLICK || eType == KXW_DOM_EVENT_TYPE_ENUM_DBLCLICK ? 0 : 1;
}

void KxwDomHtmlEvent::SetEventData(const KxwDomEventData* mptDomEventDataOrNULL) {
    if (!mptDomEventDataOrNULL) {
        _iX = _iY = _iOffsetX = _iOffsetY = 1;
        _iButton = GetDefaultButton();
        _bCtrlKey = false;
        _iKeyCode = 0;
        return;
    }
    _iX = mptDomEventDataOrNULL->GetX();
    _iY = mptDomEventDataOrNULL->GetY();
    _iOffsetX = mptDomEventDataOrNULL->GetOffsetX();
    _iOffsetY = mptDomEventDataOrNULL->GetOffsetY();
    _iButton = GetDefaultButton();
    _bCtrlKey = mptDomEventDataOrNULL->GetCtrlKey();
    _iKeyCode = mptDomEventDataOrNULL->GetKeyCode();
    const std::string& rdsPair = mptDomEventDataOrNULL->GetMapImageCoordinates();
    if (GetEventType() != KXW_DOM_EVENT_TYPE_ENUM_CLICK || rdsPair.empty()) return;
    // A click on an image map or an image button happened where the step says.
    int32_t iX = 0, iY = 0;
    if (!ParseCoordinatePair(rdsPair.c_str(), &iX, &iY)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid pszCoordinatePairStr=\"%.200s\" in KxwDomHtmlEvent::KxwDomHtmlEvent(mptSrcElement=%p, "
            "meEventType=%d=CLICK, mptDomEventDataOrNULL=%p) for this=%p",
            KxwDomBase::GetPrintableText(rdsPair.data(), rdsPair.size(), 200).c_str(),
            static_cast<void*>(GetSrcElement()), static_cast<int>(GetEventType()),
            static_cast<const void*>(mptDomEventDataOrNULL), static_cast<void*>(this));
        return;
    }
    _iX = _iOffsetX = iX;
    _iY = _iOffsetY = iY;
}

const KxwJswClassInformation& KxwDomHtmlEvent::GetHtmlEventClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetCoreEventClassInformation(), "Event", katHtmlEventProperties,
                                                    nullptr);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomHtmlEvent::GetClassInformation() const {
    return &GetHtmlEventClassInformation();
}

bool KxwDomHtmlEvent::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdX:
            mrtPropertyInfo = static_cast<int>(_iX);
            return true;
        case kIdY:
            mrtPropertyInfo = static_cast<int>(_iY);
            return true;
        case kIdOffsetX:
            mrtPropertyInfo = static_cast<int>(_iOffsetX);
            return true;
        case kIdOffsetY:
            mrtPropertyInfo = static_cast<int>(_iOffsetY);
            return true;
        case kIdToElement:
        case kIdFromElement:
            mrtPropertyInfo.AssignDomObjectOrNull(GetSrcElement());
            return true;
        case kIdButton:
            mrtPropertyInfo = static_cast<int>(_iButton);
            return true;
        case kIdCtrlKey:
            mrtPropertyInfo = _bCtrlKey;
            return true;
        case kIdKeyCode:
            mrtPropertyInfo = static_cast<int>(_iKeyCode);
            return true;
        default:
            if (mnTinyId < kIdX) return KxwDomCoreEvent::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlEvent", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomHtmlEvent::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    int32_t* piTarget = nullptr;
    switch (mnTinyId) {
        case kIdX:
            piTarget = &_iX;
            break;
        case kIdY:
            piTarget = &_iY;
            break;
        case kIdOffsetX:
            piTarget = &_iOffsetX;
            break;
        case kIdOffsetY:
            piTarget = &_iOffsetY;
            break;
        case kIdButton:
            piTarget = &_iButton;
            break;
        case kIdKeyCode:
            piTarget = &_iKeyCode;
            break;
        case kIdCtrlKey:
            _bCtrlKey = mrtPropertyInfo.GetBoolean();
            return true;
        default:
            if (mnTinyId < kIdX) return KxwDomCoreEvent::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlEvent", mnTinyId);
    }
    *piTarget = mrtPropertyInfo.GetInt();
    return true;
}
