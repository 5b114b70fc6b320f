#include "KxwEngineParser.h"

#include <cstring>

#include "KxwEnginePageSource.h"
#include "KxwU16nHandler.h"
#include "KxwUtilTagName.h"
#include "kxw/KxwDomCommonEnums.h"
#include "kxw/KxwDomHtmlBuild.h"

namespace {

constexpr int kSubtypeTitle = KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TITLE;
constexpr int kSubtypeScript = KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT;
constexpr int kSubtypeImage = KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IMG;

// The value of an attribute as written, or empty.
std::string AttributeValue(const KxwiHtmlAttr* mptAttrs, size_t mnCount, const char* mpszName) {
    size_t nNameLen = std::strlen(mpszName);
    for (size_t n = 0; n < mnCount; ++n) {
        if (mptAttrs[n]._nNameLen != nNameLen || !mptAttrs[n]._bHasValue) continue;
        bool bSame = true;
        for (size_t i = 0; i < nNameLen && bSame; ++i) {
            char c = mptAttrs[n]._psfName[i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
            bSame = c == mpszName[i];
        }
        if (bSame) return std::string(mptAttrs[n]._psfValue, mptAttrs[n]._nValueLen);
    }
    return std::string();
}

KxwDomNodeBase* Node(void* mpvHandle) {
    return static_cast<KxwDomNodeBase*>(mpvHandle);
}

}  // namespace

KxwEngineParser::KxwEngineParser(KxwDomHtmlDocument* mptDocument, Mode meMode, KxwDomNodeBase* mptContext)
    : _ptDocument(mptDocument), _eMode(meMode), _tBuilder(this) {
    if (const char* pszCharset = xfpszKxwDomHtmlBuildGetResponseCharset(mptDocument)) SetCharset(pszCharset);
    if (meMode == kExistingDocument) {
        _tBuilder.SetExistingDocumentElements(xfptKxwDomHtmlBuildGetDocumentElement(mptDocument),
                                              xfptKxwDomHtmlBuildGetHead(mptDocument),
                                              xfptKxwDomHtmlBuildGetHtmlBody(mptDocument));
    } else if (meMode == kFragment) {
        // The context's tag decides the rules (raw text in a TEXTAREA, table rules in a TABLE); an element of a
        // tag the library does not know is read as any other container.
        KxwUtilTagName tTag(xfiKxwDomHtmlBuildGetSubtype(mptContext));
        const char* psfName = tTag.GetTagNameDcsStr();
        size_t nLen = psfName ? tTag.GetTagNameDcsLenInBytes() : 0;
        std::string dsUpper(psfName ? psfName : "DIV", psfName ? nLen : 3);
        for (char& c : dsUpper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        _tBuilder.BeginFragment(mptContext, dsUpper.data(), dsUpper.size());
    }
}

KxwDomHtmlDocument* KxwEngineParser::ParseStandalone(const std::string& mdsUrl, const char* mpsfBytes, size_t mnLen,
                                                     const std::string& mdsCharset) {
    KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildNewDocument(mdsUrl.data(), mdsUrl.size(),
                                                                    mdsCharset.empty() ? nullptr : mdsCharset.c_str());
    if (!ptDocument) return nullptr;
    KxwEngineParser tBuilder(ptDocument, kWholeDocument);
    tBuilder.Feed(mpsfBytes, mnLen);
    tBuilder.EndOfInput();
    return ptDocument;
}

KxwEngineParser::~KxwEngineParser() {
    // A page cut off (its virtual user stopped) still leaves the document in a settled state.
    if (_bPageBegun && !_bPageEnded) EndPage();
}

void KxwEngineParser::SetCharset(const char* mpszCharset) {
    if (!mpszCharset || !*mpszCharset) return;
    _ptCharsetHandler = std::make_unique<KxwU16nHandlerGeneral>(mpszCharset);
    _tBuilder.SetU16nHandler(_ptCharsetHandler.get());
}

void KxwEngineParser::BeginPage() {
    if (_bPageBegun) return;
    _bPageBegun = true;
    if (_eMode == kWholeDocument) {
        xfvKxwDomHtmlBuildNotifyDownloading(_ptDocument, true);
        xfvKxwDomHtmlBuildNotifyHtmlParsing(_ptDocument, true);
    }
    xfliKxwDomHtmlBuildIncrementParsingDepth(_ptDocument);
}

void KxwEngineParser::EndPage() {
    if (!_bPageBegun || _bPageEnded) return;
    _bPageEnded = true;
    xfliKxwDomHtmlBuildDecrementParsingDepth(_ptDocument);
    if (_eMode != kWholeDocument && _eMode != kCommandDocument) return;
    bool bRemoved = false;
    xfbKxwDomHtmlBuildIsEndOfResponseEndOfParsing(_ptDocument, &bRemoved);
    if (_eMode == kCommandDocument) return;
    xfvKxwDomHtmlBuildNotifyHtmlParsing(_ptDocument, false);
    xfvKxwDomHtmlBuildNotifyDownloading(_ptDocument, false);
}

void KxwEngineParser::Feed(const char* mpsfBytes, size_t mnLen) {
    BeginPage();
    _tBuilder.Feed(mpsfBytes, mnLen);
}

void KxwEngineParser::EndOfInput() {
    BeginPage();
    _bInputEnded = true;
    _tBuilder.EndOfInput();
    if (!_tBuilder.IsPaused()) EndPage();
}

void KxwEngineParser::Resume() {
    if (_bPageEnded) return;
    _tBuilder.Resume();
    if (_bInputEnded && !_tBuilder.IsPaused()) EndPage();
}

void KxwEngineParser::Write(const char* mpsfBytes, size_t mnLen) {
    _tBuilder.Write(mpsfBytes, mnLen);
}

KxwDomNodeBase* KxwEngineParser::Parent(void* mpvParent) const {
    return mpvParent ? Node(mpvParent) : xfptKxwDomHtmlBuildDocumentAsNode(_ptDocument);
}

bool KxwEngineParser::StopIfScriptOutOfTime() {
    constexpr unsigned kAskEvery = 256;
    if (_tBuilder.IsStopped()) return true;
    if (++_uNodesSinceAsked < kAskEvery) return false;
    _uNodesSinceAsked = 0;
    if (!xfbKxwDomHtmlBuildIsScriptPastDeadline()) return false;
    _tBuilder.Stop();
    return true;
}

void* KxwEngineParser::CreateElement(const char* mpsfUpperName, size_t mnLen, const KxwiHtmlAttr* mptAttrs,
                                        size_t mnCount, bool mbImplied, int miLine) {
    if (StopIfScriptOutOfTime()) return nullptr;
    KxwDomNodeBase* ptElement = xfptKxwDomHtmlBuildAllocElement(_ptDocument, mpsfUpperName, mnLen, false);
    if (!ptElement) return nullptr;
    ++_nElements;
    int iSubtype = xfiKxwDomHtmlBuildGetSubtype(ptElement);
    // A script of the page (not of innerHTML markup) hears so before its attributes: they decide where it waits.
    if (iSubtype == kSubtypeScript && _tScriptRunner) xfvKxwDomHtmlBuildSetScriptAddedByHtml(ptElement, miLine);
    for (size_t n = 0; n < mnCount; ++n)
        xfbKxwDomHtmlBuildSetAttribute(ptElement, mptAttrs[n]._psfName, mptAttrs[n]._nNameLen, mptAttrs[n]._psfValue,
                                       mptAttrs[n]._nValueLen, mptAttrs[n]._bHasValue);
    if (iSubtype == kSubtypeTitle && mbImplied) xfvKxwDomHtmlBuildSetTitleImplied(ptElement, true);
    if (iSubtype == kSubtypeScript) {
        xfvKxwDomHtmlBuildSetScriptClosingTagMissing(ptElement, true);
    } else if (iSubtype == kSubtypeImage && _tResourceRequester) {
        std::string dsSrc = AttributeValue(mptAttrs, mnCount, "src");
        if (!dsSrc.empty()) _tResourceRequester(ptElement, dsSrc);
    }
    return ptElement;
}

bool KxwEngineParser::AppendChild(void* mpvParent, void* mpvChild) {
    if (xfbKxwDomHtmlBuildAppendChild(Parent(mpvParent), Node(mpvChild))) return true;
    // Refused for good: the builder puts its content elsewhere and never names it again.
    xfvKxwDomHtmlBuildDeleteUnlinkedNode(Node(mpvChild));
    return false;
}

bool KxwEngineParser::InsertBefore(void* mpvParent, void* mpvChild, void* mpvBefore) {
    // A refusal here is followed by an AppendChild of the same element elsewhere.
    return xfbKxwDomHtmlBuildInsertBefore(Parent(mpvParent), Node(mpvChild), Node(mpvBefore));
}

bool KxwEngineParser::AddText(void* mpvParent, void* mpvBefore, const char* mpsfText, size_t mnLen) {
    // Dropped text is placed nowhere else either: true.
    if (StopIfScriptOutOfTime()) return true;
    if (!mpvBefore) return xfbKxwDomHtmlBuildAddText(Parent(mpvParent), mpsfText, mnLen);
    KxwDomNodeBase* ptText = xfptKxwDomHtmlBuildNewTextNode(_ptDocument, mpsfText, mnLen);
    if (!ptText) return false;
    if (xfbKxwDomHtmlBuildInsertBefore(Parent(mpvParent), ptText, Node(mpvBefore))) return true;
    xfvKxwDomHtmlBuildDeleteUnlinkedNode(ptText);
    return false;
}

void KxwEngineParser::AddComment(void* mpvParent, const char* mpsfText, size_t mnLen) {
    if (StopIfScriptOutOfTime()) return;
    KxwDomNodeBase* ptComment = xfptKxwDomHtmlBuildNewCommentNode(_ptDocument, mpsfText, mnLen);
    if (ptComment && !xfbKxwDomHtmlBuildAppendChild(Parent(mpvParent), ptComment))
        xfvKxwDomHtmlBuildDeleteUnlinkedNode(ptComment);
}

void KxwEngineParser::MergeAttributes(void* mpvElement, const KxwiHtmlAttr* mptAttrs, size_t mnCount) {
    for (size_t n = 0; n < mnCount; ++n)
        if (!xfbKxwDomHtmlBuildHasAttribute(Node(mpvElement), mptAttrs[n]._psfName, mptAttrs[n]._nNameLen))
            xfbKxwDomHtmlBuildSetAttribute(Node(mpvElement), mptAttrs[n]._psfName, mptAttrs[n]._nNameLen,
                                           mptAttrs[n]._psfValue, mptAttrs[n]._nValueLen, mptAttrs[n]._bHasValue);
}

void KxwEngineParser::OnElementEnd(void* mpvElement) {
    xfvKxwDomHtmlBuildEndParsedElement(Node(mpvElement));
}

void KxwEngineParser::OnScriptEnd(void* mpvScript, bool mbEndTagSeen) {
    // Without a runner (innerHTML and the like) the script never runs: only its end is noted.
    if (!_tScriptRunner) {
        if (mbEndTagSeen) xfvKxwDomHtmlBuildSetScriptClosingTagMissing(Node(mpvScript), false);
        return;
    }
    _tScriptRunner(*this, Node(mpvScript), mbEndTagSeen);
}

void KxwEngineParser::OnMetaCharset(const char* mpsfCharset, size_t mnLen) {
    std::string dsCharset = xfdsKxwEngineCharsetForLabel(mpsfCharset, mnLen);
    if (dsCharset.empty() || !xfbKxwDomHtmlBuildSetResponseCharset(_ptDocument, dsCharset.data(), dsCharset.size()))
        return;
    SetCharset(dsCharset.c_str());
}

void KxwEngineParser::OnEndOfInput() {}
