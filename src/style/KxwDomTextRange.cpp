#include "KxwDomTextRange.h"

#include <string>

#include "KxwDomBindingUtil.h"
#include "KxwDomCoreTextNode.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {

constexpr uint16_t kRO = KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY;

enum : short {
    kIdText = KxwDomTextRange::kIdText,
    kIdHtmlText = KxwDomTextRange::kIdHtmlText,
    kIdBoundingHeight = -126,
    kIdBoundingLeft = -125,
    kIdBoundingTop = -124,
    kIdBoundingWidth = -123,
    kIdOffsetLeft = -122,
    kIdOffsetTop = -121,
};

const KxwJswPropertySpec katTextRangeProperties[] = {
    {"text", 128, KXW_JSW_PROP_PERMANENT, "S"},
    {"htmlText", 129, kRO, nullptr},
    {"boundingHeight", 130, kRO, nullptr},
    {"boundingLeft", 131, kRO, nullptr},
    {"boundingTop", 132, kRO, nullptr},
    {"boundingWidth", 133, kRO, nullptr},
    {"offsetLeft", 134, kRO, nullptr},
    {"offsetTop", 135, kRO, nullptr},
    {nullptr, 0, 0, nullptr},
};

using KxwDomTextRangeCall = KxwDomScriptCallOn<KxwDomTextRange>;

// Moving, comparing, bookmarks and editing commands: a range is always its element's whole text, so none of them
// has anything to change. Their arguments are not even read.
bool empty_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomTextRangeCall tCall("KxwDomTextRange::empty_callback", mptUserObj, mrtArgs);
    return tCall.Check(0) && tCall.Undefined();
}

bool parentElement_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomTextRangeCall tCall("KxwDomTextRange::parentElement_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    KxwDomHtmlElement* ptOwner = tCall.This()->GetOwningHtmlElement();
    return ptOwner ? tCall.Return(ptOwner) : tCall.Null();
}

const KxwJswMethodSpec katTextRangeMethods[] = {
    {"collapse", nullptr, nullptr, 1, empty_callback},
    {"compareEndPoints", nullptr, nullptr, 3, empty_callback},
    {"duplicate", nullptr, nullptr, 0, empty_callback},
    {"execCommand", nullptr, nullptr, 3, empty_callback},
    {"expand", nullptr, nullptr, 1, empty_callback},
    {"findText", nullptr, nullptr, 3, empty_callback},
    {"getBookmark", nullptr, nullptr, 0, empty_callback},
    {"getBoundingClientRect", nullptr, nullptr, 0, empty_callback},
    {"getClientRects", nullptr, nullptr, 0, empty_callback},
    {"inRange", nullptr, nullptr, 1, empty_callback},
    {"isEqual", nullptr, nullptr, 1, empty_callback},
    {"move", nullptr, nullptr, 2, empty_callback},
    {"moveEnd", nullptr, nullptr, 2, empty_callback},
    {"moveStart", nullptr, nullptr, 2, empty_callback},
    {"moveToBookmark", nullptr, nullptr, 1, empty_callback},
    {"moveToElementText", nullptr, nullptr, 1, empty_callback},
    {"moveToPoint", nullptr, nullptr, 2, empty_callback},
    {"parentElement", nullptr, nullptr, 0, parentElement_callback},
    {"pasteHTML", nullptr, nullptr, 1, empty_callback},
    {"queryCommandEnabled", nullptr, nullptr, 1, empty_callback},
    {"queryCommandIndeterm", nullptr, nullptr, 1, empty_callback},
    {"queryCommandState", nullptr, nullptr, 1, empty_callback},
    {"queryCommandSupported", nullptr, nullptr, 1, empty_callback},
    {"queryCommandValue", nullptr, nullptr, 1, empty_callback},
    {"scrollIntoView", nullptr, nullptr, 1, empty_callback},
    {"select", nullptr, nullptr, 0, empty_callback},
    {"setEndPoint", nullptr, nullptr, 2, empty_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

KxwDomTextRange::KxwDomTextRange(KxwDomHtmlElement* mptOwnerElement, bool mbFromSelection)
    : KxwDomBase(static_cast<KxwMemMgr*>(nullptr), static_cast<KxwU16nHandler*>(nullptr)),
      _tOwnerWatch("KxwDomTextRange lifetime", mptOwnerElement),
      _tTextNodeWatch("KxwDomTextRange TextNode", nullptr),
      _bFromSelection(mbFromSelection) {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomTextRange(mptOwnerElement=%p, mbFromSelection=%d)",
                                    static_cast<void*>(this), static_cast<void*>(mptOwnerElement),
                                    mbFromSelection ? 1 : 0);
    if (!mptOwnerElement)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptOwnerElement is NULL for this=%p in KxwDomTextRange CTOR",
                                              static_cast<void*>(this));
}

KxwDomTextRange::~KxwDomTextRange() {
    if (xfbKxwTraceEnabled()) xfvKxwUtilReportTraceToFile("<%p>: ~KxwDomTextRange()", static_cast<void*>(this));
    _tOwnerWatch.Reset();
    _tTextNodeWatch.Reset();
}

KxwDomTextRange* KxwDomTextRange::Create(KxwDomHtmlElement* mptOwnerElement, bool mbFromSelection) {
    auto* ptRange = new (static_cast<KxwMemMgr*>(nullptr)) KxwDomTextRange(mptOwnerElement, mbFromSelection);
    return xfbKxwDomUtilGiveToEngineObject(ptRange, "KxwDomTextRange::Create") ? ptRange : nullptr;
}

bool KxwDomTextRange::CreateTextRangeCall(const char* mpszCallbackName, KxwJswUserObjBase* mptUserObj,
                                          KxwJswCallArgs& mrtArgs) {
    KxwDomScriptCallOn<KxwDomHtmlElement> tCall(mpszCallbackName, mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    KxwDomTextRange* ptRange = Create(tCall.This(), false);
    return ptRange ? tCall.Return(ptRange) : tCall.Fail("createTextRange");
}

const KxwJswClassInformation* KxwDomTextRange::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "textRange", katTextRangeProperties, katTextRangeMethods);
    return &ktClassInfo;
}

KxwDomHtmlElement* KxwDomTextRange::GetOwningHtmlElement() const {
    KxwDomBase* ptOwningElementBase = _tOwnerWatch.GetEffectiveWatchedPtr();
    if (!ptOwningElementBase) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "ptOwningElementBase is NULL in KxwDomTextRange::GetOwningHtmlElement for this=%p. "
                "GetRawWatchedPtr() is %p",
                static_cast<const void*>(this), _tOwnerWatch.GetRawWatchedPtr());
        return nullptr;
    }
    KxwDomHtmlElement* ptOwningElement = KxwJswUserObjBase::ConvertToElement(ptOwningElementBase);
    if (!ptOwningElement)
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "ptOwningElement is NULL for ptOwningElementBase=%p and this=%p in KxwDomTextRange::GetOwningHtmlElement ",
            static_cast<void*>(ptOwningElementBase), static_cast<const void*>(this));
    return ptOwningElement;
}

KxwDomNodeBase* KxwDomTextRange::GetInsertedTextNode() const {
    KxwDomBase* ptNodeBase = _tTextNodeWatch.GetEffectiveWatchedPtr();
    KxwDomNodeBase* ptNode = ptNodeBase ? KxwJswUserObjBase::ConvertToNodeBase(ptNodeBase) : nullptr;
    // A node the page took out of the owner is no longer where the typing goes.
    KxwDomHtmlElement* ptOwner = GetOwningHtmlElement();
    if (!ptNode || !ptOwner || ptNode->GetDomParentNode() != ptOwner) return nullptr;
    return ptNode;
}

bool KxwDomTextRange::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdText:
        case kIdHtmlText: {
            if (_bFromSelection) {
                if (KxwDomNodeBase* ptNode = GetInsertedTextNode())
                    mrtPropertyInfo = ptNode->GetNodeValue();
                else
                    mrtPropertyInfo.AssignEmptyStr();
                return true;
            }
            // An owner that went leaves the read without a value: undefined, as for a property that gives none.
            KxwDomHtmlElement* ptOwner = GetOwningHtmlElement();
            if (!ptOwner) {
                mrtPropertyInfo.AssignUndefined();
                return true;
            }
            return ptOwner->GetDomPropertyInfo(ptOwner->GetTextRangeReplacedTinyId(mnTinyId), mrtPropertyInfo);
        }
        case kIdBoundingHeight:
        case kIdBoundingLeft:
        case kIdBoundingTop:
        case kIdBoundingWidth:
        case kIdOffsetLeft:
        case kIdOffsetTop:
            mrtPropertyInfo = 1;
            return true;
        default:
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomTextRange", mnTinyId, mrtPropertyInfo);
    }
}

bool KxwDomTextRange::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdText) return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomTextRange", mnTinyId);
    KxwDomHtmlElement* ptOwner = GetOwningHtmlElement();
    if (!ptOwner) return true;
    if (_bFromSelection) return TypeText(*ptOwner, mrtPropertyInfo);
    return ptOwner->SetDomPropertyInfo(ptOwner->GetTextRangeReplacedTinyId(mnTinyId), mrtPropertyInfo);
}

bool KxwDomTextRange::TypeText(KxwDomHtmlElement& mrtOwner, KxwDomPropertyInfo& mrtPropertyInfo) {
    unsigned uLen = mrtPropertyInfo.ConvertAndGetStringU16nLength();
    const char16_t* pwsfText = mrtPropertyInfo.ConvertAndGetStringU16n();
    if (KxwDomNodeBase* ptNode = GetInsertedTextNode()) {
        const KxwDomHtmlPropertyStr& rtOld = ptNode->GetNodeValue();
        std::u16string dsJoined;
        if (const char16_t* pwsfOld = rtOld.GetU16nStr()) dsJoined.assign(pwsfOld, rtOld.GetU16nLenInChars());
        dsJoined.append(pwsfText, uLen);
        ptNode->SetNodeValueU16n(dsJoined.data(), static_cast<unsigned>(dsJoined.size()));
        return true;
    }
    // A node of an earlier typing that left the owner is the page's now: the next text starts a new one.
    _tTextNodeWatch.Reset();
    KxwDomHtmlDocument* ptDocument = mrtOwner.GetOwnerHtmlDocument(true);
    KxwDomCoreTextNode* ptText =
        ptDocument ? KxwDomCoreTextNode::AllocTextNode(ptDocument, ptDocument->GetMemMgr() != nullptr) : nullptr;
    if (!ptText) return false;
    ptText->SetNodeValueU16n(pwsfText, uLen);
    // Filed as disconnected until it is in the tree, so that a failed insertion leaves nothing behind.
    ptDocument->AddToDisconnectedNodesList(ptText);
    _tTextNodeWatch.ActivateWatch(ptText);
    return mrtOwner.InsertBefore(ptText, mrtOwner.GetDomFirstChild()) != nullptr;
}
