// The exported building interface (kxw/KxwDomHtmlBuild.h): thin functions over the document and element classes,
// each checking its arguments, so that a bad pointer the engine passes is reported instead of followed.
#include "kxw/KxwDomHtmlBuild.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "KxwDomCoreComment.h"
#include "KxwDomHtcElementAttach.h"
#include "KxwDomHtcElementMethod.h"
#include "KxwDomHtcElementProperty.h"
#include "KxwDomHtmlElementGeneric.h"
#include "KxwDomCoreTextNode.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementApplet.h"
#include "KxwDomHtmlElementImage.h"
#include "KxwDomHtmlElementMeta.h"
#include "KxwDomHtmlElementObject.h"
#include "KxwDomHtmlElementScript.h"
#include "KxwDomHtmlElementTitle.h"
#include "KxwDomHtmlElementXml.h"
#include "KxwDomScriptDeadline.h"
#include "KxwDomStr.h"
#include "KxwMemMgr.h"
#include "KxwUtilTagName.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwDomCommonEnums.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwVUserVars.h"

namespace {

// The memory of the calling thread's stand-alone documents. It lives as long as the thread: objects that scripts
// own (a free attribute node, say) may be deleted by the script engine after their document, and go back to it
// then.
KxwMemMgr* ThreadMemMgr() {
    struct ThreadMemory {
        KxwMemBlkMgr _tBlkMgr;
        KxwMemMgrGeneric _tMemMgr{&_tBlkMgr};
    };
    thread_local ThreadMemory tMemory;
    return &tMemory._tMemMgr;
}

// A stand-alone document of the calling thread; only documents listed here are deleted here.
struct KxwDomHtmlStandaloneDocument final : KxwJswGlobalOwner {
    KxwDomHtmlDocument* _ptDocument = nullptr;
    KxwJswEngine* _ptEngine = nullptr;  // whose main global shows it as "document"
    KxwJswUserObjBase* GetGlobalDocument() override { return _ptDocument; }
};

std::vector<std::unique_ptr<KxwDomHtmlStandaloneDocument>>& StandaloneDocuments() {
    thread_local std::vector<std::unique_ptr<KxwDomHtmlStandaloneDocument>> tDocuments;
    return tDocuments;
}

void ReportBad(const char* mpszFunction, const void* mpvArgument) {
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "Invalid argument %p in %s", mpvArgument,
                                          mpszFunction);
}

KxwDomHtmlDocument* Document(KxwDomHtmlDocument* mptDocument, const char* mpszFunction) {
    if (!mptDocument) ReportBad(mpszFunction, mptDocument);
    return mptDocument;
}

KxwDomHtmlElement* Element(KxwDomNodeBase* mptNode, const char* mpszFunction) {
    KxwDomHtmlElement* ptElement = KxwJswUserObjBase::ConvertToElement(mptNode);
    if (!ptElement) ReportBad(mpszFunction, mptNode);
    return ptElement;
}

// The newest stand-alone document is the one the engine's main global shows; null shows none.
void SetGlobalDocument(KxwJswEngine* mptEngine, KxwDomHtmlStandaloneDocument* mptEntry) {
    if (!mptEngine || mptEngine != KxwJswEngine::Current() || !mptEngine->GetMainGlobal()) return;
    mptEngine->GetMainGlobal()->SetOwner(mptEntry);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Documents

KxwDomHtmlDocument* xfptKxwDomHtmlBuildNewDocument(const char* mpsfHrefDcs, size_t mnHrefLen, const char* mpszCharset) {
    auto ptEntry = std::make_unique<KxwDomHtmlStandaloneDocument>();
    KxwMemMgr* ptMemMgr = ThreadMemMgr();
    auto* ptDocument = new (ptMemMgr) KxwDomHtmlDocument(ptMemMgr, mpszCharset);
    if (mpsfHrefDcs && mnHrefLen) ptDocument->SetHrefDcs(mpsfHrefDcs, static_cast<unsigned>(mnHrefLen));
    ptEntry->_ptDocument = ptDocument;
    ptEntry->_ptEngine = KxwJswEngine::Current();
    SetGlobalDocument(KxwJswEngine::Current(), ptEntry.get());
    StandaloneDocuments().push_back(std::move(ptEntry));
    if (xfbKxwTraceEnabled()) {
        KxwVUserVars* ptVUserVars =
            KxwVUserVars::_fptGet("xfptKxwDomHtmlBuildNewDocument", KXW_VUSER_VARS_MAY_BE_ABSENT);
        xfvKxwUtilReportTraceToFile("Stand-alone document %p made for virtual user %d", static_cast<void*>(ptDocument),
                                    ptVUserVars ? ptVUserVars->GetVUserId() : -1);
    }
    return ptDocument;
}

void xfvKxwDomHtmlBuildDeleteDocument(KxwDomHtmlDocument* mptDocument) {
    auto& rtDocuments = StandaloneDocuments();
    for (auto it = rtDocuments.begin(); it != rtDocuments.end(); ++it) {
        if ((*it)->_ptDocument != mptDocument) continue;
        std::unique_ptr<KxwDomHtmlStandaloneDocument> ptEntry = std::move(*it);
        rtDocuments.erase(it);
        // Scripts that still hold the document find it gone, never a dangling object.
        KxwJswEngine* ptEngine = ptEntry->_ptEngine;
        if (ptEngine && ptEngine == KxwJswEngine::Current() && ptEngine->GetMainGlobal() &&
            ptEngine->GetMainGlobal()->GetOwner() == ptEntry.get())
            SetGlobalDocument(ptEngine, nullptr);
        delete mptDocument;
        return;
    }
    ReportBad("xfvKxwDomHtmlBuildDeleteDocument", mptDocument);
}

unsigned long xfulKxwDomHtmlBuildGetLinkCount(KxwDomHtmlDocument* mptDocument) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfulKxwDomHtmlBuildGetLinkCount");
    KxwDomHtmlCollectionGeneral* ptLinks = ptDocument ? ptDocument->GetLinks() : nullptr;
    return ptLinks ? ptLinks->GetLength() : 0;
}

KxwDomNodeBase* xfptKxwDomHtmlBuildDocumentAsNode(KxwDomHtmlDocument* mptDocument) {
    return Document(mptDocument, "xfptKxwDomHtmlBuildDocumentAsNode");
}

void xfvKxwDomHtmlBuildSetHref(KxwDomHtmlDocument* mptDocument, const char* mpsfHrefDcs, size_t mnLen) {
    if (KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildSetHref"))
        ptDocument->SetHrefDcs(mpsfHrefDcs, static_cast<unsigned>(mnLen));
}

void xfvKxwDomHtmlBuildSetReferer(KxwDomHtmlDocument* mptDocument, const char* mpsfDcs, size_t mnLen) {
    if (KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildSetReferer"))
        ptDocument->SetReferer(mpsfDcs, static_cast<unsigned>(mnLen));
}

void xfvKxwDomHtmlBuildSetCookie(KxwDomHtmlDocument* mptDocument, const char* mpsfDcs, size_t mnLen) {
    if (KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildSetCookie"))
        ptDocument->SetCookie(mpsfDcs, static_cast<unsigned>(mnLen));
}

bool xfbKxwDomHtmlBuildSetResponseCharset(KxwDomHtmlDocument* mptDocument, const char* mpsfName, size_t mnLen) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfbKxwDomHtmlBuildSetResponseCharset");
    return ptDocument && ptDocument->SetResponseCharset(mpsfName, static_cast<unsigned>(mnLen));
}

const char* xfpszKxwDomHtmlBuildGetResponseCharset(KxwDomHtmlDocument* mptDocument) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfpszKxwDomHtmlBuildGetResponseCharset");
    return ptDocument ? ptDocument->GetResponseCharsetName() : "";
}

void xfvKxwDomHtmlBuildSetScriptEvaluator(KxwDomHtmlDocument* mptDocument, KxwDomHtmlBuildScriptEvaluator mpfEvaluator,
                                          void* mpvClosure) {
    static_assert(std::is_same<KxwDomHtmlBuildScriptEvaluator, KxwDomHtmlDocument::ScriptEvaluator>::value,
                  "the document takes the engine's evaluator as it is");
    if (KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildSetScriptEvaluator"))
        ptDocument->SetScriptEvaluator(mpfEvaluator, mpvClosure);
}

// ---------------------------------------------------------------------------------------------------------------
// Nodes

KxwDomNodeBase* xfptKxwDomHtmlBuildAllocElement(KxwDomHtmlDocument* mptDocument, const char* mpsfTagName,
                                                size_t mnTagNameLen, bool mbAddToDisconnectList) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfptKxwDomHtmlBuildAllocElement");
    if (!ptDocument) return nullptr;
    KxwUtilTagName tTagName(mpsfTagName ? mpsfTagName : "", mpsfTagName ? mnTagNameLen : 0);
    if (!tTagName.IsValid()) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "Invalid tag name \"%.*s\" in xfptKxwDomHtmlBuildAllocElement",
            static_cast<int>(mnTagNameLen > 100 ? 100 : mnTagNameLen), mpsfTagName ? mpsfTagName : "");
        return nullptr;
    }
    // The declarations of a behaviour file have classes of their own, made here rather than by the factory.
    KxwDomHtmlElement* ptDeclaration = nullptr;
    KxwMemMgr* ptMemMgr = ptDocument->GetMemMgr();
    switch (tTagName.GetSubtype()) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_ATTACH:
            ptDeclaration = new (ptMemMgr) KxwDomHtcElementAttach(ptDocument, true);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_METHOD:
            ptDeclaration = new (ptMemMgr) KxwDomHtcElementMethod(ptDocument, true);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_PROPERTY:
            ptDeclaration = new (ptMemMgr) KxwDomHtcElementProperty(ptDocument, true);
            break;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_COMPONENT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_EVENT:
            ptDeclaration = new (ptMemMgr) KxwDomHtmlElement_Generic(ptDocument, tTagName, true);
            break;
        default:
            return KxwDomHtmlElement::AllocElement(tTagName, ptDocument, mbAddToDisconnectList);
    }
    if (mbAddToDisconnectList) ptDocument->AddToDisconnectedNodesList(ptDeclaration);
    return ptDeclaration;
}

bool xfbKxwDomHtmlBuildSetAttribute(KxwDomNodeBase* mptElement, const char* mpsfName, size_t mnNameLen,
                                    const char* mpsfValue, size_t mnValueLen, bool mbHasValue) {
    KxwDomHtmlElement* ptElement = Element(mptElement, "xfbKxwDomHtmlBuildSetAttribute");
    if (!ptElement || !mpsfName || mnNameLen == 0) return false;
    // The element keeps NUL-terminated texts; a NUL inside a value ends it, as it did for the emulated browser.
    std::string dsName(mpsfName, strnlen(mpsfName, mnNameLen));
    std::string dsValue(mpsfValue ? mpsfValue : "", mpsfValue ? strnlen(mpsfValue, mnValueLen) : 0);
    if (dsName.empty()) return false;
    return ptElement->AddParsedAttr(dsName.c_str(), mbHasValue ? dsValue.c_str() : nullptr);
}

bool xfbKxwDomHtmlBuildHasAttribute(KxwDomNodeBase* mptElement, const char* mpsfName, size_t mnNameLen) {
    KxwDomHtmlElement* ptElement = Element(mptElement, "xfbKxwDomHtmlBuildHasAttribute");
    if (!ptElement || !mpsfName || mnNameLen == 0) return false;
    std::u16string dsName = xfdsKxwUtilUtf8ToU16(mpsfName, mnNameLen);
    KxwJsval tValue;
    ptElement->GetAttribute(dsName.data(), static_cast<unsigned>(dsName.size()), 0, tValue);
    if (tValue.IsNull() || tValue.IsUndefined()) return false;
    unsigned uLen = 0;
    return !tValue.IsString() || (tValue.GetStringU16n(&uLen) && uLen > 0);
}

KxwDomNodeBase* xfptKxwDomHtmlBuildNewTextNode(KxwDomHtmlDocument* mptDocument, const char* mpsfDcs, size_t mnLen) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfptKxwDomHtmlBuildNewTextNode");
    KxwDomCoreTextNode* ptText = ptDocument ? KxwDomCoreTextNode::AllocTextNode(ptDocument, true) : nullptr;
    if (ptText) ptText->SetNodeValueDcs(mpsfDcs ? mpsfDcs : "", mpsfDcs ? static_cast<unsigned>(mnLen) : 0);
    return ptText;
}

KxwDomNodeBase* xfptKxwDomHtmlBuildNewCommentNode(KxwDomHtmlDocument* mptDocument, const char* mpsfDcs, size_t mnLen) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfptKxwDomHtmlBuildNewCommentNode");
    return ptDocument ? KxwDomCoreComment::AllocCommentNode(ptDocument, mpsfDcs, static_cast<unsigned>(mnLen))
                      : nullptr;
}

bool xfbKxwDomHtmlBuildAddText(KxwDomNodeBase* mptNode, const char* mpsfDcs, size_t mnLen) {
    if (!mptNode) return ReportBad("xfbKxwDomHtmlBuildAddText", mptNode), false;
    if (KxwDomHtmlElement* ptElement = KxwJswUserObjBase::ConvertToElement(mptNode))
        return ptElement->AddInnerTextDcs(mpsfDcs, static_cast<unsigned>(mnLen));
    // Text straight under the document is joined like an element's.
    KxwDomCoreNode* ptContainer = mptNode->AsCoreNode();
    if (!ptContainer) return ReportBad("xfbKxwDomHtmlBuildAddText", mptNode), false;
    if (!mpsfDcs || mnLen == 0) return true;
    KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildGetDocumentOfNode(mptNode);
    KxwDomNodeBase* ptLast = ptContainer->GetLastChild();
    if (auto* ptLastText = dynamic_cast<KxwDomCoreTextNode*>(ptLast)) {
        const KxwDomHtmlPropertyStr& rtOld = ptLastText->GetNodeValue();
        std::string dsJoined(rtOld.GetDcsStr() ? rtOld.GetDcsStr() : "",
                             rtOld.GetDcsStr() ? rtOld.GetDcsLenInBytes() : 0);
        dsJoined.append(mpsfDcs, mnLen);
        ptLastText->SetNodeValueDcs(dsJoined.data(), static_cast<unsigned>(dsJoined.size()));
        return true;
    }
    KxwDomNodeBase* ptText = ptDocument ? xfptKxwDomHtmlBuildNewTextNode(ptDocument, mpsfDcs, mnLen) : nullptr;
    if (ptText && ptContainer->AppendChild(ptText)) return true;
    delete ptText;
    return false;
}

bool xfbKxwDomHtmlBuildAppendChild(KxwDomNodeBase* mptParent, KxwDomNodeBase* mptChild) {
    KxwDomCoreNode* ptParent = mptParent ? mptParent->AsCoreNode() : nullptr;
    if (!ptParent || !mptChild) return ReportBad("xfbKxwDomHtmlBuildAppendChild", mptParent), false;
    return ptParent->AppendChild(mptChild) != nullptr;
}

bool xfbKxwDomHtmlBuildInsertBefore(KxwDomNodeBase* mptParent, KxwDomNodeBase* mptChild, KxwDomNodeBase* mptRefChild) {
    KxwDomCoreNode* ptParent = mptParent ? mptParent->AsCoreNode() : nullptr;
    if (!ptParent || !mptChild) return ReportBad("xfbKxwDomHtmlBuildInsertBefore", mptParent), false;
    return ptParent->InsertBefore(mptChild, mptRefChild) != nullptr;
}

void xfvKxwDomHtmlBuildDeleteUnlinkedNode(KxwDomNodeBase* mptNode) {
    if (!mptNode || mptNode->GetParentNode() || mptNode->IsDocument() || mptNode->HasJsiObj()) {
        // A linked node belongs to its parent, a document to its maker, a node a script holds to the script.
        ReportBad("xfvKxwDomHtmlBuildDeleteUnlinkedNode", mptNode);
        return;
    }
    if (mptNode->IsOnDisconnectedNodesList()) {
        if (KxwDomCoreDocument* ptDocument = mptNode->GetOwnerDocument(false))
            ptDocument->RemoveFromDisconnectedNodesList(mptNode);
    }
    delete mptNode;
}

void xfvKxwDomHtmlBuildSetTitleImplied(KxwDomNodeBase* mptTitleElement, bool mbImplied) {
    if (auto* ptTitle = dynamic_cast<KxwDomHtmlElementTitle*>(mptTitleElement))
        ptTitle->SetImplied(mbImplied);
    else
        ReportBad("xfvKxwDomHtmlBuildSetTitleImplied", mptTitleElement);
}

namespace {

KxwDomHtmlElementScript* Script(KxwDomNodeBase* mptNode, const char* mpszFunction) {
    auto* ptScript = dynamic_cast<KxwDomHtmlElementScript*>(mptNode);
    if (!ptScript) ReportBad(mpszFunction, mptNode);
    return ptScript;
}

}  // namespace

void xfvKxwDomHtmlBuildSetScriptAddedByHtml(KxwDomNodeBase* mptScriptElement, int miLine) {
    if (KxwDomHtmlElementScript* ptScript = Script(mptScriptElement, "xfvKxwDomHtmlBuildSetScriptAddedByHtml")) {
        ptScript->SetHasBeenAddedByHtml(true);
        ptScript->SetFirstLine(miLine > 0 ? static_cast<unsigned>(miLine) : 1);
    }
}

void xfvKxwDomHtmlBuildSetScriptClosingTagMissing(KxwDomNodeBase* mptScriptElement, bool mbMissing) {
    if (KxwDomHtmlElementScript* ptScript = Script(mptScriptElement, "xfvKxwDomHtmlBuildSetScriptClosingTagMissing"))
        ptScript->SetIsAwaitingClosingTag(mbMissing);
}

void xfvKxwDomHtmlBuildEndParsedElement(KxwDomNodeBase* mptElement) {
    if (auto* ptApplet = dynamic_cast<KxwDomHtmlElementApplet*>(mptElement))
        ptApplet->NotifyFinishedParsing();
    else if (auto* ptObject = dynamic_cast<KxwDomHtmlElementObject*>(mptElement))
        ptObject->NotifyFinishedParsing();
    else if (auto* ptXml = dynamic_cast<KxwDomHtmlElementXml*>(mptElement))
        ptXml->NotifyFinishedParsing();
}

int xfiKxwDomHtmlBuildEndParsedScript(KxwDomNodeBase* mptScriptElement, bool mbEndTagSeen) {
    KxwDomHtmlElementScript* ptScript = Script(mptScriptElement, "xfiKxwDomHtmlBuildEndParsedScript");
    if (!ptScript) return KXW_DOM_BUILD_SCRIPT_END_DONE;
    KxwDomHtmlDocument* ptDocument = ptScript->GetOwnerHtmlDocument(false);
    if (!ptScript->IsEmptySrc()) {
        // A source script cut off by the end of the input keeps waiting for its end tag: the end of the response
        // drops it.
        if (!mbEndTagSeen) return KXW_DOM_BUILD_SCRIPT_END_DONE;
        ptScript->SetIsAwaitingClosingTag(false);
        if (ptDocument && ptDocument->IsPendingScriptSrc(ptScript)) return KXW_DOM_BUILD_SCRIPT_END_LOAD_AND_WAIT;
        return ptScript->IsDeferFromHtml() ? KXW_DOM_BUILD_SCRIPT_END_LOAD : KXW_DOM_BUILD_SCRIPT_END_DONE;
    }
    ptScript->SetIsAwaitingClosingTag(false);
    // A deferred inline script runs from the document's deferred list only, at the end of the page.
    if (!ptScript->IsDeferFromHtml()) ptScript->EvaluateScriptElement();
    return KXW_DOM_BUILD_SCRIPT_END_DONE;
}

void xfvKxwDomHtmlBuildSetScriptSourceDownloaded(KxwDomNodeBase* mptScriptElement, const char* mpsfDcs, size_t mnLen) {
    KxwDomHtmlElementScript* ptScript = Script(mptScriptElement, "xfvKxwDomHtmlBuildSetScriptSourceDownloaded");
    if (!ptScript) return;
    size_t nLen = mpsfDcs ? std::min<size_t>(mnLen, 0xFFFFFFFFu) : 0;
    ptScript->SetDownloadedText(std::string(mpsfDcs ? mpsfDcs : "", nLen), nullptr);
}

std::string xfdsKxwDomHtmlBuildGetScriptSrc(KxwDomNodeBase* mptScriptElement) {
    auto* ptScript = dynamic_cast<KxwDomHtmlElementScript*>(mptScriptElement);
    return ptScript && !ptScript->IsEmptySrc() ? ptScript->GetResolvedSrc() : std::string();
}

std::string xfdsKxwDomHtmlBuildGetImageSrc(KxwDomNodeBase* mptImageElement) {
    auto* ptImage = dynamic_cast<KxwDomHtmlElementImage*>(mptImageElement);
    return ptImage && !ptImage->IsEmptySrc() ? ptImage->GetAbsoluteSrc() : std::string();
}

void xfvKxwDomHtmlBuildRunScriptSrcUrl(KxwDomNodeBase* mptScriptElement) {
    KxwDomHtmlElementScript* ptScript = Script(mptScriptElement, "xfvKxwDomHtmlBuildRunScriptSrcUrl");
    if (ptScript) ptScript->RunSrcUrlScript();
}

const char* xfpsfKxwDomHtmlBuildGetScriptText(KxwDomNodeBase* mptScriptElement, size_t* mpnLen) {
    auto* ptScript = dynamic_cast<KxwDomHtmlElementScript*>(mptScriptElement);
    if (mpnLen) *mpnLen = ptScript ? ptScript->GetEffectiveTextDcsLenInBytes() : 0;
    return ptScript ? ptScript->GetEffectiveTextDcsStr() : nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// The document's state

void xfvKxwDomHtmlBuildNotifyDownloading(KxwDomHtmlDocument* mptDocument, bool mbStarting) {
    if (KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildNotifyDownloading"))
        ptDocument->NotifyDownloading(mbStarting);
}

void xfvKxwDomHtmlBuildNotifyHtmlParsing(KxwDomHtmlDocument* mptDocument, bool mbStarting) {
    if (KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildNotifyHtmlParsing"))
        ptDocument->NotifyHtmlParsing(mbStarting);
}

long xfliKxwDomHtmlBuildIncrementParsingDepth(KxwDomHtmlDocument* mptDocument) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfliKxwDomHtmlBuildIncrementParsingDepth");
    return ptDocument ? ptDocument->IncrementParsingDepth() : -1;
}

long xfliKxwDomHtmlBuildDecrementParsingDepth(KxwDomHtmlDocument* mptDocument) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfliKxwDomHtmlBuildDecrementParsingDepth");
    return ptDocument ? ptDocument->DecrementParsingDepth() : -1;
}

bool xfbKxwDomHtmlBuildIsEndOfResponseEndOfParsing(KxwDomHtmlDocument* mptDocument, bool* mpbRemoved) {
    bool bRemoved = false;
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfbKxwDomHtmlBuildIsEndOfResponseEndOfParsing");
    bool bEnd = ptDocument ? ptDocument->IsEndOfResponseEndOfParsing(bRemoved) : true;
    if (mpbRemoved) *mpbRemoved = bRemoved;
    return bEnd;
}

bool xfbKxwDomHtmlBuildIsScriptPastDeadline() {
    return KxwDomScriptDeadline::IsPast();
}

bool xfbKxwDomHtmlBuildAppendPendingScript(KxwDomHtmlDocument* mptDocument, KxwDomNodeBase* mptScriptElement) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfbKxwDomHtmlBuildAppendPendingScript");
    auto* ptScript = dynamic_cast<KxwDomHtmlElementScript*>(mptScriptElement);
    if (!ptScript) ReportBad("xfbKxwDomHtmlBuildAppendPendingScript", mptScriptElement);
    return ptDocument && ptScript && ptDocument->AppendPendingScript(ptScript);
}

void xfvKxwDomHtmlBuildEvaluatePendingScriptSrc(KxwDomHtmlDocument* mptDocument) {
    if (KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildEvaluatePendingScriptSrc"))
        ptDocument->EvaluatePendingScriptSrc();
}

void xfvKxwDomHtmlBuildEvaluatePendingScriptDefer(KxwDomHtmlDocument* mptDocument) {
    if (KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildEvaluatePendingScriptDefer"))
        ptDocument->EvaluatePendingScriptDefer();
}

void xfvKxwDomHtmlBuildScriptCompletion(KxwDomHtmlDocument* mptDocument) {
    if (KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildScriptCompletion"))
        ptDocument->ScriptCompletion();
}

unsigned long xfulKxwDomHtmlBuildGetPendingScriptSrcCount(KxwDomHtmlDocument* mptDocument) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfulKxwDomHtmlBuildGetPendingScriptSrcCount");
    return ptDocument ? ptDocument->GetPendingScriptSrcCount() : 0;
}

void xfvKxwDomHtmlBuildSetInitialProcessingEnded(KxwDomHtmlDocument* mptDocument, bool mbEnded) {
    if (KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildSetInitialProcessingEnded"))
        ptDocument->SetIsInitialProcessingEnded(mbEnded);
}

void xfvKxwDomHtmlBuildSetHead(KxwDomHtmlDocument* mptDocument, KxwDomNodeBase* mptHead) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildSetHead");
    KxwDomHtmlElement* ptHead = mptHead ? Element(mptHead, "xfvKxwDomHtmlBuildSetHead") : nullptr;
    if (ptDocument && (ptHead || !mptHead)) ptDocument->SetHead(ptHead);
}

void xfvKxwDomHtmlBuildSetHtmlBody(KxwDomHtmlDocument* mptDocument, KxwDomNodeBase* mptBody) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfvKxwDomHtmlBuildSetHtmlBody");
    KxwDomHtmlElement* ptBody = mptBody ? Element(mptBody, "xfvKxwDomHtmlBuildSetHtmlBody") : nullptr;
    if (ptDocument && (ptBody || !mptBody)) ptDocument->SetHtmlBody(ptBody);
}

// ---------------------------------------------------------------------------------------------------------------
// Queries

int xfiKxwDomHtmlBuildGetSubtype(const KxwDomNodeBase* mptNode) {
    return mptNode ? static_cast<int>(mptNode->GetNodeSubtype()) : 0;
}

int xfiKxwDomHtmlBuildGetSubtypeByTagName(const char* mpsfTagName, size_t mnLen) {
    KxwUtilTagName tTagName(mpsfTagName ? mpsfTagName : "", mpsfTagName ? mnLen : 0);
    return tTagName.IsValid() ? tTagName.GetSubtype() : KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT;
}

bool xfbKxwDomHtmlBuildCanHaveChildren(const KxwDomNodeBase* mptNode) {
    if (!mptNode) return false;
    if (mptNode->IsDocument()) return true;
    const KxwDomHtmlElement* ptElement = KxwJswUserObjBase::ConvertToElement(const_cast<KxwDomNodeBase*>(mptNode));
    if (!ptElement) return mptNode->AsCoreNode() != nullptr;
    auto* ptComment = dynamic_cast<const KxwDomCoreComment*>(ptElement);
    return !(ptComment && ptComment->IsCommentNode()) && ptElement->CanHaveChildren();
}

KxwDomNodeBase* xfptKxwDomHtmlBuildGetParentNode(const KxwDomNodeBase* mptNode) {
    return mptNode ? mptNode->GetDomParentNode() : nullptr;
}

KxwDomNodeBase* xfptKxwDomHtmlBuildGetDocumentElement(KxwDomHtmlDocument* mptDocument) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfptKxwDomHtmlBuildGetDocumentElement");
    return ptDocument ? ptDocument->GetDocumentElement() : nullptr;
}

KxwDomNodeBase* xfptKxwDomHtmlBuildGetHead(KxwDomHtmlDocument* mptDocument) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfptKxwDomHtmlBuildGetHead");
    return ptDocument ? ptDocument->GetHead() : nullptr;
}

KxwDomNodeBase* xfptKxwDomHtmlBuildGetHtmlBody(KxwDomHtmlDocument* mptDocument) {
    KxwDomHtmlDocument* ptDocument = Document(mptDocument, "xfptKxwDomHtmlBuildGetHtmlBody");
    return ptDocument ? ptDocument->GetHtmlBody() : nullptr;
}

KxwDomHtmlDocument* xfptKxwDomHtmlBuildGetDocumentOfNode(const KxwDomNodeBase* mptNode) {
    if (!mptNode) return nullptr;
    KxwDomCoreDocument* ptDocument = const_cast<KxwDomNodeBase*>(mptNode)->GetDocumentOfNode();
    return ptDocument ? ptDocument->AsHtmlDocument() : nullptr;
}

KxwDomNodeBase* xfptKxwDomHtmlBuildGetNotificationNode(int miNotificationType, void* mpvNotificationSubject) {
    if (!mpvNotificationSubject) return nullptr;
    if (miNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT ||
        miNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_GET_COOKIE ||
        miNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_SET_COOKIE)
        return static_cast<KxwDomHtmlDocument*>(mpvNotificationSubject);
    if (miNotificationType == KXW_DOM_COMMON_NOTIFICATION_ENUM_INNER_HTML)
        return static_cast<KxwDomHtmlElement*>(mpvNotificationSubject);
    return nullptr;
}

const char* xfpsfKxwDomHtmlBuildGetNotificationText(const void* mpvNotificationObject, size_t* mpnLen) {
    const auto* ptText = static_cast<const KxwDomStr*>(mpvNotificationObject);
    const char* psfText = ptText ? ptText->GetDcsStr() : nullptr;
    if (mpnLen) *mpnLen = psfText ? ptText->GetDcsLenInBytes() : 0;
    return psfText;
}

bool xfbKxwDomHtmlBuildGetMetaCharset(const KxwDomNodeBase* mptMetaElement, char* mpszBuf, size_t mnBufSize) {
    const auto* ptMeta = dynamic_cast<const KxwDomHtmlElementMeta*>(mptMetaElement);
    std::string dsCharset;
    if (!ptMeta || !ptMeta->GetDeclaredCharset(dsCharset)) return false;
    if (mpszBuf && mnBufSize) {
        size_t nLen = dsCharset.size() < mnBufSize ? dsCharset.size() : mnBufSize - 1;
        std::memcpy(mpszBuf, dsCharset.data(), nLen);
        mpszBuf[nLen] = '\0';
    }
    return true;
}
