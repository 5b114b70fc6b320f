// Builds markup into the library's documents with the page parser: the parser's sink over the library's building
// interface. One builder per parse: a whole page into a document, more text into a document that already has its
// elements (a write after the page was loaded), or the children of an element (innerHTML, outerHTML,
// insertAdjacentHTML, createElement markup). While a page is being built, what its scripts write is parsed at the
// point where the script stands.
//
// Scripts and subresources: the builder hands each completed SCRIPT element to the runner its owner installs (the
// engine downloads a script's source or evaluates its text in the page's window; tests write), and tells the
// owner of each image whose source the page names, which the engine downloads.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "KxwiHtmlTreeBuilder.h"
#include "KxwiHtmlTreeSink.h"

class KxwDomHtmlDocument;
class KxwDomNodeBase;
class KxwU16nHandler;
class KxwEngineParser;

// A SCRIPT element whose end tag was read (mbEndTagSeen false: the input ended inside it). The owner hands it to
// the library, which runs it or files it, and downloads its source; it may pause the builder until that has run.
using KxwEngineScriptRunner =
    std::function<void(KxwEngineParser& mrtBuilder, KxwDomNodeBase* mptScript, bool mbEndTagSeen)>;
// An element whose source is to be downloaded (an IMG), with its src attribute as written.
using KxwEngineResourceRequester = std::function<void(KxwDomNodeBase* mptElement, const std::string& mdsSrc)>;

class KxwEngineParser : private KxwiHtmlTreeSink {
public:
    enum Mode {
        kWholeDocument,     // a page: HTML, HEAD and BODY implied
        kCommandDocument,   // the same, for a load whose DOM command tells the document its downloading and parsing
        kExistingDocument,  // more markup at the end of a document that has its elements
        kFragment,          // the children of an element
    };
    // mptContext: the element for kFragment (ignored otherwise).
    KxwEngineParser(KxwDomHtmlDocument* mptDocument, Mode meMode, KxwDomNodeBase* mptContext = nullptr);
    ~KxwEngineParser() override;
    KxwEngineParser(const KxwEngineParser&) = delete;
    KxwEngineParser& operator=(const KxwEngineParser&) = delete;

    // A page parsed into a document of its own, no window, no script run (for tools that measure or inspect
    // parsing); the caller deletes it with xfvKxwDomHtmlBuildDeleteDocument. Null when no document can be made.
    static KxwDomHtmlDocument* ParseStandalone(const std::string& mdsUrl, const char* mpsfBytes, size_t mnLen,
                                               const std::string& mdsCharset);

    void SetScriptRunner(KxwEngineScriptRunner mtRunner) { _tScriptRunner = std::move(mtRunner); }
    void SetResourceRequester(KxwEngineResourceRequester mtRequester) { _tResourceRequester = std::move(mtRequester); }
    // The charset character references are decoded into; the document's own when it is one the platform knows.
    void SetCharset(const char* mpszCharset);

    // Bytes of the markup, in pieces as they arrive; then the end. A page is bracketed by the document's state
    // operations (downloading, parsing, the parsing depth, the end of the response).
    void Feed(const char* mpsfBytes, size_t mnLen);
    void EndOfInput();
    // document.write while this builder is building: parsed where the running script stands.
    void Write(const char* mpsfBytes, size_t mnLen);

    KxwDomHtmlDocument* GetDocument() const { return _ptDocument; }
    bool IsEnded() const { return _tBuilder.IsEnded(); }

    // A script's source must have run before the page goes on: the input waits (EndOfInput too) until Resume.
    void Pause() { _tBuilder.Pause(); }
    bool IsPaused() const { return _tBuilder.IsPaused(); }
    // Goes on with the input; the page ends here when the input had ended meanwhile.
    void Resume();
    // Around the scripts that run while the builder waits: what they write goes where the waiting script stood.
    void EnterScript() { _tBuilder.EnterScript(); }
    void LeaveScript() { _tBuilder.LeaveScript(); }
    // The document went while the builder waited: nothing more is done to it, not even the end of the page.
    void Abandon() { _bPageEnded = true; }
    // Whether the whole page was built and ended.
    bool IsPageEnded() const { return _bPageEnded; }
    size_t GetElementCount() const { return _nElements; }

private:
    void* CreateElement(const char* mpsfUpperName, size_t mnLen, const KxwiHtmlAttr* mptAttrs, size_t mnCount,
                        bool mbImplied, int miLine) override;
    bool AppendChild(void* mpvParent, void* mpvChild) override;
    bool InsertBefore(void* mpvParent, void* mpvChild, void* mpvBefore) override;
    bool AddText(void* mpvParent, void* mpvBefore, const char* mpsfText, size_t mnLen) override;
    void AddComment(void* mpvParent, const char* mpsfText, size_t mnLen) override;
    void MergeAttributes(void* mpvElement, const KxwiHtmlAttr* mptAttrs, size_t mnCount) override;
    void OnScriptEnd(void* mpvScript, bool mbEndTagSeen) override;
    void OnElementEnd(void* mpvElement) override;
    void OnMetaCharset(const char* mpsfCharset, size_t mnLen) override;
    void OnEndOfInput() override;

    KxwDomNodeBase* Parent(void* mpvParent) const;
    // The markup of a script that is out of time is built no further (asked every few hundred nodes): what was
    // built stays, the rest is dropped, and the script is ended once the library is back in it.
    bool StopIfScriptOutOfTime();
    void BeginPage();
    void EndPage();

    KxwDomHtmlDocument* _ptDocument;
    Mode _eMode;
    KxwiHtmlTreeBuilder _tBuilder;
    std::unique_ptr<KxwU16nHandler> _ptCharsetHandler;
    KxwEngineScriptRunner _tScriptRunner;
    KxwEngineResourceRequester _tResourceRequester;
    size_t _nElements = 0;
    unsigned _uNodesSinceAsked = 0;
    bool _bInputEnded = false;
    bool _bPageBegun = false;
    bool _bPageEnded = false;
};
