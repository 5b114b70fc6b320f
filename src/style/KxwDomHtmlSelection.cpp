#include "KxwDomHtmlSelection.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwDomTextRange.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {

constexpr short kIdType = -128;

const KxwJswPropertySpec katSelectionProperties[] = {
    {"type", 128, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};

using KxwDomHtmlSelectionCall = KxwDomScriptCallOn<KxwDomHtmlSelection>;

bool empty_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlSelectionCall tCall("KxwDomHtmlSelection::empty_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("KxwDomHtmlSelection::empty_callback entered for this=%p",
                                    static_cast<void*>(tCall.This()));
    return tCall.Undefined();
}

bool createRange_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlSelectionCall tCall("KxwDomHtmlSelection::createRange_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    KxwDomTextRange* ptRange = KxwDomTextRange::Create(tCall.This()->GetRangeElement(), true);
    return ptRange ? tCall.Return(ptRange) : tCall.Fail("createRange");
}

const KxwJswMethodSpec katSelectionMethods[] = {
    {"empty", nullptr, nullptr, 0, empty_callback},
    {"createRange", nullptr, nullptr, 0, createRange_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

KxwDomHtmlSelection::KxwDomHtmlSelection(KxwDomHtmlDocument& mrtDocument)
    : KxwDomBase(mrtDocument.GetDomEnv()), _rtDocument(mrtDocument), _tBodyWatch("KxwDomHtmlSelection body", mrtDocument.GetHtmlBody()) {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomHtmlSelection(mrtDocument=%p), body=%p", static_cast<void*>(this),
                                    static_cast<void*>(&mrtDocument), static_cast<void*>(mrtDocument.GetHtmlBody()));
}

KxwDomHtmlSelection::~KxwDomHtmlSelection() {
    if (xfbKxwTraceEnabled()) xfvKxwUtilReportTraceToFile("<%p>: ~KxwDomHtmlSelection()", static_cast<void*>(this));
}

KxwDomHtmlElement* KxwDomHtmlSelection::GetRangeElement() {
    KxwDomBase* ptBody = _tBodyWatch.GetEffectiveWatchedPtr();
    // A body that went (the document was written anew) gives way to the document's body of the moment; a selection
    // asked for before there was any body stays without element.
    if (!ptBody && _tBodyWatch.HasBeenDeleted()) {
        ptBody = _rtDocument.GetHtmlBody();
        if (ptBody) {
            _tBodyWatch.Reset();
            _tBodyWatch.ActivateWatch(ptBody);
        }
    }
    return ptBody ? KxwJswUserObjBase::ConvertToElement(ptBody) : nullptr;
}

const KxwJswClassInformation* KxwDomHtmlSelection::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "selectionprop", katSelectionProperties,
                                                    katSelectionMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlSelection::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId == kIdType) {
        static const char16_t kawsNone[] = u"None";
        mrtPropertyInfo.AssignU16nStr(kawsNone, 4, true);
        return true;
    }
    return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlSelection", mnTinyId, mrtPropertyInfo);
}
