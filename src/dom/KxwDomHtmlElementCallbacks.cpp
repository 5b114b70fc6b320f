// The script methods of "element". Each converts its arguments itself; a malformed call goes to the shared
// invalid-arguments report and fails, a call the DOM cannot carry out fails with a script error, and the methods
// that have no effect here answer as the emulated browser does.
#include <cstring>
#include <string>
#include <vector>

#include "KxwDomAttributeCollection.h"
#include "KxwDomBindingUtil.h"
#include "KxwDomCoreAttribute.h"
#include "KxwDomCoreTextNode.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomScriptCall.h"
#include "KxwDomStr.h"
#include "KxwDomTextRectangle.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwiUrl.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"

namespace {

constexpr char kszOwnComponentId[] = "{89820200-ECBD-11CF-8B85-00AA005B4383}";
constexpr char kszOwnComponentVersion[] = "6,0,2800,1106";

using KxwDomHtmlElementCall = KxwDomScriptCallOn<KxwDomHtmlElement>;

// The position named by an argument ("beforeBegin" ...), or invalid.
KXW_DOM_HTML_ADJACENT_ENUM Where(KxwDomHtmlElementCall& mrtCall, unsigned muIndex) {
    std::u16string dsWhere = mrtCall.Text(muIndex);
    return KxwDomHtmlElement::GetAdjacentPosition(dsWhere.data(), static_cast<unsigned>(dsWhere.size()));
}

bool IsAsciiEqualIgnoringCase(const std::string& mdsText, const char* mpszAsc) {
    if (mdsText.size() != std::strlen(mpszAsc)) return false;
    for (size_t n = 0; n < mdsText.size(); ++n) {
        char c1 = mdsText[n], c2 = mpszAsc[n];
        if (c1 >= 'a' && c1 <= 'z') c1 = static_cast<char>(c1 - 32);
        if (c2 >= 'a' && c2 <= 'z') c2 = static_cast<char>(c2 - 32);
        if (c1 != c2) return false;
    }
    return true;
}

std::string HostOf(const char* mpsfUrl, size_t mnLen) {
    KxwiUrlCrack tCrack(mpsfUrl, mnLen);
    if (!tCrack.IsValid() || !tCrack.HasAuthority()) return std::string();
    std::string dsHost(tCrack.GetHostNameStr(), tCrack.GetHostNameLen());
    for (char& rc : dsHost)
        if (rc >= 'A' && rc <= 'Z') rc = static_cast<char>(rc + 32);
    return dsHost;
}

// The text node at a position next to the element, or null.
KxwDomNodeBase* AdjacentTextNode(KxwDomHtmlElement* mptElement, KXW_DOM_HTML_ADJACENT_ENUM meWhere) {
    KxwDomNodeBase* ptNode = nullptr;
    switch (meWhere) {
        case KXW_DOM_HTML_ADJACENT_BEFORE_BEGIN:
            ptNode = mptElement->GetDomPreviousSibling();
            break;
        case KXW_DOM_HTML_ADJACENT_AFTER_BEGIN:
            ptNode = mptElement->GetDomFirstChild();
            break;
        case KXW_DOM_HTML_ADJACENT_BEFORE_END:
            ptNode = mptElement->GetDomLastChild();
            break;
        case KXW_DOM_HTML_ADJACENT_AFTER_END:
            ptNode = mptElement->GetDomNextSibling();
            break;
        default:
            break;
    }
    return ptNode && ptNode->GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_TEXT ? ptNode : nullptr;
}

std::u16string TextOf(const KxwDomNodeBase* mptNode) {
    if (!mptNode) return std::u16string();
    const KxwDomHtmlPropertyStr& rtValue = mptNode->GetNodeValue();
    return rtValue.GetU16nStr() ? std::u16string(rtValue.GetU16nStr(), rtValue.GetU16nLenInChars()) : std::u16string();
}

// A new text node of the element's document with the text, parked until it is placed; null when none can be made.
KxwDomCoreTextNode* NewTextNode(KxwDomHtmlElement* mptElement, const std::u16string& mrdsText) {
    KxwDomHtmlDocument* ptDocument = mptElement->GetOwnerHtmlDocument(true);
    KxwDomCoreTextNode* ptText =
        ptDocument ? KxwDomCoreTextNode::AllocTextNode(ptDocument, ptDocument->GetMemMgr() != nullptr) : nullptr;
    if (!ptText) return nullptr;
    ptText->SetNodeValueU16n(mrdsText.data(), static_cast<unsigned>(mrdsText.size()));
    ptDocument->AddToDisconnectedNodesList(ptText);
    return ptText;
}

#define KXW_ELEMENT_CALL(name) KxwDomHtmlElementCall tCall("KxwDomHtmlElement::" name "_callback", mptUserObj, mrtArgs)

bool scrollIntoView_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("scrollIntoView");
    if (!tCall.Check(0)) return false;
    tCall.This()->JavaScriptMissingSupport("scrollIntoView()");
    return tCall.Undefined();
}

bool setCapture_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("setCapture");
    if (!tCall.Check(0)) return false;
    tCall.This()->JavaScriptMissingSupport("setCapture()");
    return tCall.Undefined();
}

bool releaseCapture_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("releaseCapture");
    if (!tCall.Check(0)) return false;
    return tCall.Undefined();
}

// The engine downloads the file (notification 27); a "#" reference names a behaviour built into the browser, and
// nothing is downloaded. The answer is 1 either way.
bool addBehavior_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("addBehavior");
    if (!tCall.Check(1) || tCall.Argc() != 1 || !tCall.Arg(0).IsString()) return tCall.Invalid();
    std::u16string dsUrl = tCall.Text(0);
    if (tCall.Failed()) return false;
    if (!dsUrl.empty() && dsUrl[0] != u'#') {
        KxwDomStr tUrl(tCall.This()->GetDomEnv(), dsUrl.data(), static_cast<unsigned>(dsUrl.size()));
        xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_ADD_BEHAVIOR,
                                  static_cast<KxwDomNodeBase*>(tCall.This()), &tUrl);
    }
    return tCall.Return(1);
}

bool removeBehavior_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("removeBehavior");
    if (!tCall.Check(1)) return false;
    return tCall.Return(false);
}

// Downloads for startDownload come with the object manager; the call is accepted and nothing is loaded.
bool startDownload_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("startDownload");
    if (!tCall.Check(2)) return false;
    tCall.This()->JavaScriptMissingSupport("startDownload()");
    return tCall.Undefined();
}

bool isHomePage_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("isHomePage");
    if (!tCall.Check(1)) return false;
    std::string dsUrl = tCall.Utf8(0);
    KxwDomHtmlDocument* ptDocument = tCall.This()->GetOwnerHtmlDocument(false);
    if (!ptDocument) return tCall.Return(false);
    std::string dsDomain = ptDocument->GetDomainDcs();
    std::string dsHost = HostOf(dsUrl.data(), dsUrl.size());
    for (char& rc : dsDomain)
        if (rc >= 'A' && rc <= 'Z') rc = static_cast<char>(rc + 32);
    return tCall.Return(!dsHost.empty() && dsHost == dsDomain);
}

bool setHomePage_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("setHomePage");
    if (!tCall.Check(1)) return false;
    tCall.This()->JavaScriptMissingSupport("setHomePage()");
    return tCall.Undefined();
}

bool clearAttributes_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("clearAttributes");
    if (!tCall.Check(0)) return false;
    tCall.This()->ClearAttributes();
    return tCall.Undefined();
}

bool click_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("click");
    if (!tCall.Check(0)) return false;
    // Events are not dispatched yet: the click is noted and has no effect.
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("click() method invoked for <%.100s> (this=%p)",
                                    tCall.This()->GetTagNameOrInvalidDcsStr(), static_cast<void*>(tCall.This()));
    return tCall.Undefined();
}

bool insertAdjacentHTML_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("insertAdjacentHTML");
    if (!tCall.Check(2)) return false;
    KXW_DOM_HTML_ADJACENT_ENUM eWhere = Where(tCall, 0);
    if (tCall.Failed()) return false;
    if (eWhere == KXW_DOM_HTML_ADJACENT_INVALID) return tCall.Invalid();
    std::u16string dsHtml = tCall.Text(1);
    if (tCall.Failed()) return false;
    if (!tCall.This()->InsertAdjacentHtml(eWhere, dsHtml.data(), static_cast<unsigned>(dsHtml.size())))
        return tCall.Fail("insertAdjacentHTML");
    return tCall.Undefined();
}

bool insertAdjacentElement_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("insertAdjacentElement");
    if (!tCall.Check(2)) return false;
    KXW_DOM_HTML_ADJACENT_ENUM eWhere = Where(tCall, 0);
    if (tCall.Failed()) return false;
    KxwDomHtmlElement* ptElement = KxwJswUserObjBase::ConvertToElement(tCall.Node(1));
    if (eWhere == KXW_DOM_HTML_ADJACENT_INVALID) return tCall.Invalid();
    if (!ptElement || ptElement->GetDocumentOfNode() != tCall.This()->GetDocumentOfNode())
        return tCall.Fail("insertAdjacentElement");
    if (!tCall.This()->InsertAdjacentNode(eWhere, ptElement, false)) return tCall.Fail("insertAdjacentElement");
    return tCall.Return(ptElement);
}

bool insertAdjacentText_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("insertAdjacentText");
    if (!tCall.Check(2)) return false;
    KXW_DOM_HTML_ADJACENT_ENUM eWhere = Where(tCall, 0);
    if (tCall.Failed()) return false;
    if (eWhere == KXW_DOM_HTML_ADJACENT_INVALID) return tCall.Invalid();
    std::u16string dsText = tCall.Text(1);
    if (tCall.Failed()) return false;
    KxwDomCoreTextNode* ptTextNode = NewTextNode(tCall.This(), dsText);
    if (!ptTextNode) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptTextNode == NULL in KxwDomHtmlElement::insertAdjacentText_callback");
        return tCall.Fail("insertAdjacentText");
    }
    // A text that cannot be placed stays parked and goes with the next collection.
    if (!tCall.This()->InsertAdjacentNode(eWhere, ptTextNode, true)) return tCall.Fail("insertAdjacentText");
    return tCall.Undefined();
}

bool applyElement_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("applyElement");
    if (!tCall.Check(1)) return false;
    KxwDomHtmlElement* ptThis = tCall.This();
    KxwDomHtmlElement* ptWrapper = KxwJswUserObjBase::ConvertToElement(tCall.Node(0));
    bool bInside = mrtArgs.Length() >= 2 && IsAsciiEqualIgnoringCase(tCall.Utf8(1), "inside");
    if (tCall.Failed()) return false;
    if (bInside) return tCall.Fail("applyElement");
    KxwDomCoreNode* ptParent = ptThis->GetDomParentNode();
    bool bQualifies = ptWrapper && ptWrapper != ptThis && !ptWrapper->GetParentNode() && !ptWrapper->HasChildNodes() &&
                      ptWrapper->CanHaveChildren() &&
                      ptWrapper->GetNodeSubtype() != KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT &&
                      ptWrapper->GetDocumentOfNode() == ptThis->GetDocumentOfNode();
    if (!bQualifies || !ptParent) return tCall.Fail("applyElement");
    KxwDomWatchDelete tWatchWrapper("KxwDomHtmlElement::applyElement_callback", ptWrapper);
    if (!ptParent->ReplaceChild(ptWrapper, ptThis, true) || tWatchWrapper.HasBeenDeleted())
        return tCall.Fail("applyElement");
    if (!ptWrapper->AppendChild(ptThis)) return tCall.Fail("applyElement");
    return tCall.Return(ptWrapper);
}

bool swapNode_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("swapNode");
    if (!tCall.Check(1)) return false;
    KxwDomNodeBase* ptNode = tCall.Node(0);
    KxwDomHtmlElement* ptOther = KxwJswUserObjBase::ConvertToElement(ptNode);
    if (!ptOther) {
        if (ptNode && ptNode->GetNodeType() == KXW_DOM_COMMON_NODE_TYPE_TEXT) {
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                     "Method \"swapNode\" does not support \"TextNode\" yet");
            return tCall.Return(tCall.This());
        }
        return tCall.Fail("swapNode");
    }
    if (ptOther->GetDocumentOfNode() != tCall.This()->GetDocumentOfNode() || ptOther->IsDescendantOf(tCall.This()) ||
        tCall.This()->IsDescendantOf(ptOther))
        return tCall.Fail("swapNode");
    if (!tCall.This()->SwapNode(ptOther)) return tCall.Fail("swapNode");
    return tCall.Return(tCall.This());
}

bool isComponentInstalled_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("isComponentInstalled");
    if (!tCall.Check(2)) return false;
    std::string dsId = tCall.Utf8(0);
    if (IsAsciiEqualIgnoringCase(dsId, kszOwnComponentId)) return tCall.Return(true);
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "%.100s does not recognize \"%.1000s\"",
                             "isComponentInstalled", dsId.c_str());
    return tCall.Return(false);
}

bool getComponentVersion_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("getComponentVersion");
    if (!tCall.Check(2)) return false;
    if (!IsAsciiEqualIgnoringCase(tCall.Utf8(0), kszOwnComponentId)) return tCall.Null();
    std::u16string dsVersion(kszOwnComponentVersion, kszOwnComponentVersion + sizeof kszOwnComponentVersion - 1);
    return tCall.Return(dsVersion);
}

bool setExpression_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("setExpression");
    if (!tCall.Check(2)) return false;
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                             "setExpression(\"%.100s\", \"%.2000s\", \"%.100s\") not supported for \"%.100s\" elements "
                             "and is ignored",
                             tCall.Utf8(0).c_str(), tCall.Utf8(1).c_str(),
                             mrtArgs.Length() > 2 ? tCall.Utf8(2).c_str() : "",
                             tCall.This()->GetTagNameOrInvalidDcsStr());
    return tCall.Undefined();
}

bool getExpression_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("getExpression");
    if (!tCall.Check(1)) return false;
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                             "getExpression(\"%.100s\") not supported for \"%.100s\" elements. Returning void "
                             "(\"undefined\")",
                             tCall.Utf8(0).c_str(), tCall.This()->GetTagNameOrInvalidDcsStr());
    return tCall.Undefined();
}

bool removeExpression_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("removeExpression");
    if (!tCall.Check(1)) return false;
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                             "removeExpression(\"%.100s\") not supported for \"%.100s\" elements and is ignored",
                             tCall.Utf8(0).c_str(), tCall.This()->GetTagNameOrInvalidDcsStr());
    return tCall.Return(false);
}

bool getBoundingClientRect_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("getBoundingClientRect");
    if (!tCall.Check(0)) return false;
    return tCall.Return(KxwDomTextRectangle::Create(2, 2, 4, 4));
}

bool getClientRects_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("getClientRects");
    if (!tCall.Check(0)) return false;
    return tCall.Return(KxwDomTextRectangleList::Create(KxwDomTextRectangle::Create(2, 2, 4, 4)));
}

bool contains_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("contains");
    if (!tCall.Check(1)) return false;
    // Only elements are contained: a text node never is, and an element does not contain itself.
    KxwDomHtmlElement* ptOther = KxwJswUserObjBase::ConvertToElement(tCall.Node(0));
    return tCall.Return(ptOther != nullptr && ptOther->IsDescendantOf(tCall.This()));
}

bool cloneNode_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("cloneNode");
    if (!tCall.Check(0)) return false;
    bool bDeep = mrtArgs.Length() > 0 && tCall.Arg(0).GetBoolean(mrtArgs.GetContext());
    KxwDomHtmlElement* ptClone = tCall.This()->CloneElement(bDeep);
    if (!ptClone) return tCall.Fail("cloneNode");
    return tCall.Return(ptClone);
}

bool componentFromPoint_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("componentFromPoint");
    if (!tCall.Check(0)) return false;
    return tCall.Return(std::u16string(u"outside"));
}

bool dragDrop_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("dragDrop");
    if (!tCall.Check(0)) return false;
    return tCall.Return(false);
}

bool getAdjacentText_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("getAdjacentText");
    if (!tCall.Check(1)) return false;
    KXW_DOM_HTML_ADJACENT_ENUM eWhere = Where(tCall, 0);
    if (eWhere == KXW_DOM_HTML_ADJACENT_INVALID) return tCall.Invalid();
    return tCall.Return(TextOf(AdjacentTextNode(tCall.This(), eWhere)));
}

bool replaceAdjacentText_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("replaceAdjacentText");
    if (!tCall.Check(2)) return false;
    KXW_DOM_HTML_ADJACENT_ENUM eWhere = Where(tCall, 0);
    if (tCall.Failed()) return false;
    if (eWhere == KXW_DOM_HTML_ADJACENT_INVALID) return tCall.Invalid();
    std::u16string dsNew = tCall.Text(1);
    if (tCall.Failed()) return false;
    KxwDomNodeBase* ptText = AdjacentTextNode(tCall.This(), eWhere);
    std::u16string dsOld = TextOf(ptText);
    if (ptText) {
        ptText->SetNodeValueU16n(dsNew.data(), static_cast<unsigned>(dsNew.size()));
    } else if (!dsNew.empty()) {
        KxwDomCoreTextNode* ptTextNode = NewTextNode(tCall.This(), dsNew);
        if (!ptTextNode || !tCall.This()->InsertAdjacentNode(eWhere, ptTextNode, false))
            return tCall.Fail("replaceAdjacentText");
    }
    return tCall.Return(dsOld);
}

bool normalize_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("normalize");
    if (!tCall.Check(0)) return false;
    // Adjacent text nodes are left as they are, as the emulated browser leaves them.
    return tCall.Undefined();
}

bool removeAttributeNode_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KXW_ELEMENT_CALL("removeAttributeNode");
    if (!tCall.Check(1)) return false;
    auto* ptAttr = dynamic_cast<KxwDomCoreAttribute*>(tCall.Node(0));
    if (!ptAttr || ptAttr->GetOwnerElement() != tCall.This()) return tCall.Fail("removeAttributeNode");
    unsigned uLen = 0;
    const char16_t* pwsfName = ptAttr->GetNodeNameU16n(&uLen);
    std::u16string dsName(pwsfName ? pwsfName : u"", pwsfName ? uLen : 0);
    KxwDomAttributeCollection* ptCollection = tCall.This()->GetAttributeCollection();
    KxwDomCoreAttribute* ptRemoved =
        ptCollection ? ptCollection->RemoveItemByName(dsName.data(), static_cast<unsigned>(dsName.size())) : nullptr;
    tCall.This()->RemoveAttribute(dsName.data(), static_cast<unsigned>(dsName.size()), 0);
    return tCall.Return(ptRemoved ? ptRemoved : ptAttr);
}

const KxwJswMethodSpec katElementMethods[] = {
    {"scrollIntoView", nullptr, nullptr, 1, scrollIntoView_callback},
    {"addBehavior", nullptr, nullptr, 1, addBehavior_callback},
    {"setCapture", nullptr, nullptr, 0, setCapture_callback},
    {"releaseCapture", nullptr, nullptr, 0, releaseCapture_callback},
    {"startDownload", nullptr, nullptr, 2, startDownload_callback},
    {"isHomePage", nullptr, nullptr, 1, isHomePage_callback},
    {"setHomePage", nullptr, nullptr, 1, setHomePage_callback},
    {"clearAttributes", nullptr, nullptr, 0, clearAttributes_callback},
    {"click", nullptr, nullptr, 0, click_callback},
    {"insertAdjacentHTML", nullptr, nullptr, 2, insertAdjacentHTML_callback},
    {"insertAdjacentElement", nullptr, nullptr, 2, insertAdjacentElement_callback},
    {"insertAdjacentText", nullptr, nullptr, 2, insertAdjacentText_callback},
    {"applyElement", nullptr, nullptr, 2, applyElement_callback},
    {"swapNode", nullptr, nullptr, 1, swapNode_callback},
    {"isComponentInstalled", nullptr, nullptr, 3, isComponentInstalled_callback},
    {"getComponentVersion", nullptr, nullptr, 2, getComponentVersion_callback},
    {"setExpression", nullptr, nullptr, 3, setExpression_callback},
    {"getExpression", nullptr, nullptr, 1, getExpression_callback},
    {"removeExpression", nullptr, nullptr, 1, removeExpression_callback},
    {"getBoundingClientRect", nullptr, nullptr, 0, getBoundingClientRect_callback},
    {"getClientRects", nullptr, nullptr, 0, getClientRects_callback},
    {"contains", nullptr, nullptr, 1, contains_callback},
    {"cloneNode", nullptr, nullptr, 1, cloneNode_callback},
    {"componentFromPoint", nullptr, nullptr, 2, componentFromPoint_callback},
    {"dragDrop", nullptr, nullptr, 0, dragDrop_callback},
    {"getAdjacentText", nullptr, nullptr, 1, getAdjacentText_callback},
    {"normalize", nullptr, nullptr, 0, normalize_callback},
    {"removeAttributeNode", nullptr, nullptr, 1, removeAttributeNode_callback},
    {"removeBehavior", nullptr, nullptr, 1, removeBehavior_callback},
    {"replaceAdjacentText", nullptr, nullptr, 2, replaceAdjacentText_callback},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

const KxwJswMethodSpec* KxwDomHtmlElement::GetElementMethods() {
    return katElementMethods;
}
