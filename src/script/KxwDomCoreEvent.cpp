#include "KxwDomCoreEvent.h"

#include <cstring>

#include "KxwDomBindingUtil.h"
#include "KxwDomEventTarget.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {

constexpr uint16_t kRW = KXW_JSW_PROP_PERMANENT;

// Tiny ids of "coreevent" as the class receives them (128 to 131).
enum : short {
    kIdReturnValue = -128,
    kIdSrcElement = -127,
    kIdType = -126,
    kIdCancelBubble = -125,
};

const KxwJswPropertySpec katCoreEventProperties[] = {
    {"returnValue", 128, kRW, "b"},  {"srcElement", 129, kRW, "*"}, {"type", 130, kRW, "S"},
    {"cancelBubble", 131, kRW, "b"}, {nullptr, 0, 0, nullptr},
};

}  // namespace

KxwDomCoreEvent::KxwDomCoreEvent(KxwDomEnv& mrtDomEnv, KxwDomEventTarget* mptSrcElement,
                                 KXW_DOM_EVENT_TYPE_ENUM meEventType)
    : KxwDomBase(mrtDomEnv), _tType(GetDomEnv()), _tSrcElement("KxwDomCoreEvent::_tSrcElement", nullptr) {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomCoreEvent::KxwDomCoreEvent(mptSrcElement=%p, meEventType=%d)",
                                    static_cast<void*>(this), static_cast<void*>(mptSrcElement),
                                    static_cast<int>(meEventType));
    Reset(mptSrcElement, meEventType);
}

KxwDomCoreEvent::~KxwDomCoreEvent() {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomCoreEvent::~KxwDomCoreEvent", static_cast<void*>(this));
}

bool KxwDomCoreEvent::GetBubbles(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    return xfbKxwDomIsEventBubbling(meEventType);
}

bool KxwDomCoreEvent::Reset(KxwDomEventTarget* mptSrcElement, KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    if (static_cast<int>(meEventType) < 0 || static_cast<int>(meEventType) > KXW_DOM_EVENT_TYPE_COUNT) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "meEventType (%d) is not supported in KxwDomCoreEvent::Reset",
                                              static_cast<int>(meEventType));
        return false;
    }
    _eEventType = meEventType;
    const char* pszHandlerName = xfpszKxwDomGetEventHandlerName(meEventType);
    // The type is the handler's name without its "on".
    const char* pszType = std::strlen(pszHandlerName) > 2 ? pszHandlerName + 2 : "";
    _tType.SetDcs(pszType, static_cast<unsigned>(std::strlen(pszType)));
    _tSrcElement.Reset();
    if (mptSrcElement) _tSrcElement.ActivateWatch(mptSrcElement);
    _bReturnValue = true;
    _bCancelBubble = !GetBubbles(meEventType);
    return true;
}

KxwDomEventTarget* KxwDomCoreEvent::GetSrcElement() const {
    return dynamic_cast<KxwDomEventTarget*>(_tSrcElement.GetEffectiveWatchedPtr());
}

const KxwJswClassInformation& KxwDomCoreEvent::GetCoreEventClassInformation() {
    static const KxwJswClassInformation ktClassInfo(nullptr, "coreevent", katCoreEventProperties, nullptr);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomCoreEvent::GetClassInformation() const {
    return &GetCoreEventClassInformation();
}

bool KxwDomCoreEvent::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdReturnValue:
            mrtPropertyInfo = _bReturnValue;
            return true;
        case kIdSrcElement:
            mrtPropertyInfo.AssignDomObjectOrNull(GetSrcElement());
            return true;
        case kIdType:
            mrtPropertyInfo = _tType;
            return true;
        case kIdCancelBubble:
            mrtPropertyInfo = _bCancelBubble;
            return true;
        default:
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomCoreEvent", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomCoreEvent::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdReturnValue:
            _bReturnValue = mrtPropertyInfo.GetBoolean();
            return true;
        case kIdSrcElement:
            // The element an event happened to is not the script's to choose.
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Unsupported type (%d) assigned to srcElement in "
                                                  "KxwDomCoreEvent::SetDomPropertyInfo for this=%p",
                                                  static_cast<int>(mrtPropertyInfo.GetType()),
                                                  static_cast<void*>(this));
            return true;
        case kIdType: {
            const char16_t* pwsfType = mrtPropertyInfo.ConvertAndGetStringU16n();
            _tType.SetU16n(pwsfType ? pwsfType : u"", pwsfType ? mrtPropertyInfo.ConvertAndGetStringU16nLength() : 0);
            return true;
        }
        case kIdCancelBubble:
            _bCancelBubble = mrtPropertyInfo.GetBoolean();
            return true;
        default:
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomCoreEvent", mnTinyId);
    }
}
