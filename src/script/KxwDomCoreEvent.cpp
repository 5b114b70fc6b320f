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
    {"returnValue", 128, kRW, "b"},
    {"srcElement", 129, kRW, "*"},
    {"type", 130, kRW, "S"},
    {"cancelBubble", 131, kRW, "b"},
    {nullptr, 0, 0, nullptr},
};

// The events that stay at their target: their cancelBubble starts true.
constexpr KXW_DOM_EVENT_TYPE_ENUM kaeNonBubbling[] = {
    KXW_DOM_EVENT_TYPE_AFTERPRINT,     KXW_DOM_EVENT_TYPE_BEFOREPRINT,      KXW_DOM_EVENT_TYPE_BEFOREUNLOAD,
    KXW_DOM_EVENT_TYPE_BLUR,           KXW_DOM_EVENT_TYPE_BOUNCE,           KXW_DOM_EVENT_TYPE_CHANGE,
    KXW_DOM_EVENT_TYPE_CONTENTREADY,   KXW_DOM_EVENT_TYPE_ERROR,            KXW_DOM_EVENT_TYPE_FILTERCHANGE,
    KXW_DOM_EVENT_TYPE_FINISH,         KXW_DOM_EVENT_TYPE_FOCUS,            KXW_DOM_EVENT_TYPE_LOAD,
    KXW_DOM_EVENT_TYPE_LOSECAPTURE,    KXW_DOM_EVENT_TYPE_MOUSEENTER,       KXW_DOM_EVENT_TYPE_MOUSELEAVE,
    KXW_DOM_EVENT_TYPE_PROPERTYCHANGE, KXW_DOM_EVENT_TYPE_READYSTATECHANGE, KXW_DOM_EVENT_TYPE_RESIZE,
    KXW_DOM_EVENT_TYPE_ROWEXIT,        KXW_DOM_EVENT_TYPE_SCROLL,           KXW_DOM_EVENT_TYPE_SELECTIONCHANGE,
    KXW_DOM_EVENT_TYPE_START,          KXW_DOM_EVENT_TYPE_STOP,             KXW_DOM_EVENT_TYPE_SUBMIT,
    KXW_DOM_EVENT_TYPE_UNLOAD,         KXW_DOM_EVENT_TYPE_NONE,
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
    if (xfbKxwTraceEnabled()) xfvKxwUtilReportTraceToFile("<%p>: KxwDomCoreEvent::~KxwDomCoreEvent", static_cast<void*>(this));
}

bool KxwDomCoreEvent::GetBubbles(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    for (KXW_DOM_EVENT_TYPE_ENUM eType : kaeNonBubbling)
        if (eType == meEventType) return false;
    return meEventType < KXW_DOM_EVENT_TYPE_NONE;
}

bool KxwDomCoreEvent::Reset(KxwDomEventTarget* mptSrcElement, KXW_DOM_EVENT_TYPE_ENUM meEventType) {
    if (static_cast<unsigned>(meEventType) > KXW_DOM_EVENT_TYPE_COUNT) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "meEventType (%d) is not supported in KxwDomCoreEvent::Reset",
                                              static_cast<int>(meEventType));
        return false;
    }
    _eEventType = meEventType;
    const char* pszHandlerName = kapszKxwDomEventHandlerNames[meEventType];
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

const KxwJswClassInformation* KxwDomCoreEvent::GetClassInformation() const { return &GetCoreEventClassInformation(); }

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
                                                  static_cast<int>(mrtPropertyInfo.GetType()), static_cast<void*>(this));
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
