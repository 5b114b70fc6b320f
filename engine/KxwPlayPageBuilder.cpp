#include "KxwPlayPageBuilder.h"

#include <cstring>

#include "KxwPlayPageSource.h"
#include "KxwU16nHandler.h"
#include "KxwUtilTagName.h"
#include "kxw/KxwDomHtmlBuild.h"

namespace {

constexpr int kSubtypeTitle = 17;
constexpr int kSubtypeScript = 44;

KxwDomNodeBase* Node(void* mpvHandle) {
    return static_cast<KxwDomNodeBase*>(mpvHandle);
}

}  // namespace

KxwPlayPageBuilder::KxwPlayPageBuilder(KxwDomHtmlDocument* mptDocument, Mode meMode, KxwDomNodeBase* mptContext)
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

KxwPlayPageBuilder::~KxwPlayPageBuilder() {
    // A page cut off (its virtual user stopped) still leaves the document in a settled state.
    if (_bPageBegun && !_bPageEnded) EndPage();
}

void KxwPlayPageBuilder::SetCharset(const char* mpszCharset) {
    if (!mpszCharset || !*mpszCharset) return;
    _ptCharsetHandler = std::make_unique<KxwU16nHandlerGeneral>(mpszCharset);
    _tBuilder.SetU16nHandler(_ptCharsetHandler.get());
}

void KxwPlayPageBuilder::BeginPage() {
    if (_bPageBegun) return;
    _bPageBegun = true;
    if (_eMode == kWholeDocument) {
        xfvKxwDomHtmlBuildNotifyDownloading(_ptDocument, true);
        xfvKxwDomHtmlBuildNotifyHtmlParsing(_ptDocument, true);
    }
    xfliKxwDomHtmlBuildIncrementParsingDepth(_ptDocument);
}

void KxwPlayPageBuilder::EndPage() {
    if (!_bPageBegun || _bPageEnded) return;
    _bPageEnded = true;
    xfliKxwDomHtmlBuildDecrementParsingDepth(_ptDocument);
    if (_eMode != kWholeDocument) return;
    bool bRemoved = false;
    xfbKxwDomHtmlBuildIsEndOfResponseEndOfParsing(_ptDocument, &bRemoved);
    xfvKxwDomHtmlBuildNotifyHtmlParsing(_ptDocument, false);
    xfvKxwDomHtmlBuildNotifyDownloading(_ptDocument, false);
}

void KxwPlayPageBuilder::Feed(const char* mpsfBytes, size_t mnLen) {
    BeginPage();
    _tBuilder.Feed(mpsfBytes, mnLen);
}

void KxwPlayPageBuilder::EndOfInput() {
    BeginPage();
    _tBuilder.EndOfInput();
    EndPage();
}

void KxwPlayPageBuilder::Write(const char* mpsfBytes, size_t mnLen) {
    _tBuilder.Write(mpsfBytes, mnLen);
}

KxwDomNodeBase* KxwPlayPageBuilder::Parent(void* mpvParent) const {
    return mpvParent ? Node(mpvParent) : xfptKxwDomHtmlBuildDocumentAsNode(_ptDocument);
}

bool KxwPlayPageBuilder::StopIfScriptOutOfTime() {
    constexpr unsigned kAskEvery = 256;
    if (_tBuilder.IsStopped()) return true;
    if (++_uNodesSinceAsked < kAskEvery) return false;
    _uNodesSinceAsked = 0;
    if (!xfbKxwDomHtmlBuildIsScriptPastDeadline()) return false;
    _tBuilder.Stop();
    return true;
}

void* KxwPlayPageBuilder::CreateElement(const char* mpsfUpperName, size_t mnLen, const KxwiHtmlAttr* mptAttrs,
                                        size_t mnCount, bool mbImplied, int miLine) {
    if (StopIfScriptOutOfTime()) return nullptr;
    KxwDomNodeBase* ptElement = xfptKxwDomHtmlBuildAllocElement(_ptDocument, mpsfUpperName, mnLen, false);
    if (!ptElement) return nullptr;
    ++_nElements;
    for (size_t n = 0; n < mnCount; ++n)
        xfbKxwDomHtmlBuildSetAttribute(ptElement, mptAttrs[n]._psfName, mptAttrs[n]._nNameLen, mptAttrs[n]._psfValue,
                                       mptAttrs[n]._nValueLen, mptAttrs[n]._bHasValue);
    int iSubtype = xfiKxwDomHtmlBuildGetSubtype(ptElement);
    if (iSubtype == kSubtypeTitle && mbImplied) xfvKxwDomHtmlBuildSetTitleImplied(ptElement, true);
    if (iSubtype == kSubtypeScript) {
        xfvKxwDomHtmlBuildSetScriptClosingTagMissing(ptElement, true);
        _iScriptLine = miLine;
    }
    return ptElement;
}

bool KxwPlayPageBuilder::AppendChild(void* mpvParent, void* mpvChild) {
    if (xfbKxwDomHtmlBuildAppendChild(Parent(mpvParent), Node(mpvChild))) return true;
    // Refused for good: the builder puts its content elsewhere and never names it again.
    xfvKxwDomHtmlBuildDeleteUnlinkedNode(Node(mpvChild));
    return false;
}

bool KxwPlayPageBuilder::InsertBefore(void* mpvParent, void* mpvChild, void* mpvBefore) {
    // A refusal here is followed by an AppendChild of the same element elsewhere.
    return xfbKxwDomHtmlBuildInsertBefore(Parent(mpvParent), Node(mpvChild), Node(mpvBefore));
}

bool KxwPlayPageBuilder::AddText(void* mpvParent, void* mpvBefore, const char* mpsfText, size_t mnLen) {
    // Dropped text is placed nowhere else either: true.
    if (StopIfScriptOutOfTime()) return true;
    if (!mpvBefore) return xfbKxwDomHtmlBuildAddText(Parent(mpvParent), mpsfText, mnLen);
    KxwDomNodeBase* ptText = xfptKxwDomHtmlBuildNewTextNode(_ptDocument, mpsfText, mnLen);
    if (!ptText) return false;
    if (xfbKxwDomHtmlBuildInsertBefore(Parent(mpvParent), ptText, Node(mpvBefore))) return true;
    xfvKxwDomHtmlBuildDeleteUnlinkedNode(ptText);
    return false;
}

void KxwPlayPageBuilder::AddComment(void* mpvParent, const char* mpsfText, size_t mnLen) {
    if (StopIfScriptOutOfTime()) return;
    KxwDomNodeBase* ptComment = xfptKxwDomHtmlBuildNewCommentNode(_ptDocument, mpsfText, mnLen);
    if (ptComment && !xfbKxwDomHtmlBuildAppendChild(Parent(mpvParent), ptComment))
        xfvKxwDomHtmlBuildDeleteUnlinkedNode(ptComment);
}

void KxwPlayPageBuilder::MergeAttributes(void* mpvElement, const KxwiHtmlAttr* mptAttrs, size_t mnCount) {
    for (size_t n = 0; n < mnCount; ++n)
        if (!xfbKxwDomHtmlBuildHasAttribute(Node(mpvElement), mptAttrs[n]._psfName, mptAttrs[n]._nNameLen))
            xfbKxwDomHtmlBuildSetAttribute(Node(mpvElement), mptAttrs[n]._psfName, mptAttrs[n]._nNameLen,
                                           mptAttrs[n]._psfValue, mptAttrs[n]._nValueLen, mptAttrs[n]._bHasValue);
}

void KxwPlayPageBuilder::OnScriptEnd(void* mpvScript, bool mbEndTagSeen) {
    if (mbEndTagSeen) xfvKxwDomHtmlBuildSetScriptClosingTagMissing(Node(mpvScript), false);
    if (_tScriptRunner) _tScriptRunner(*this, Node(mpvScript), _iScriptLine);
}

void KxwPlayPageBuilder::OnMetaCharset(const char* mpsfCharset, size_t mnLen) {
    std::string dsCharset = xfdsKxwPlayPageCharsetForLabel(mpsfCharset, mnLen);
    if (dsCharset.empty() || !xfbKxwDomHtmlBuildSetResponseCharset(_ptDocument, dsCharset.data(), dsCharset.size()))
        return;
    SetCharset(dsCharset.c_str());
}

void KxwPlayPageBuilder::OnEndOfInput() {}
