// The pages of one virtual user while windows do not exist yet: the current page's document (the global
// "document" of the user's scripts), the builders at work on it, and the stand-in through which the library hands
// the engine markup to parse (document.write, innerHTML) and asks for the document's cookies (document.cookie,
// answered from the virtual user's jar). Pages are loaded through the virtual user's fetcher. Lives on the virtual
// user's thread, for one iteration.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kxw/KxwDomCommonEnums.h"

class KxwDomHtmlDocument;
class KxwDomNodeBase;
class KxwEngineFetcher;
struct KxwEngineFetchRequest;
struct KxwEngineFetchResponse;
class KxwPlayPageBuilder;
class KxwU16nHandlerGeneral;

// What a load did to the pages.
enum KXW_PLAY_LOAD_ENUM {
    KXW_PLAY_LOAD_FAILED,    // the response's error says why; the current document stays
    KXW_PLAY_LOAD_REPLACED,  // a new document holds the page (HTML, or text shown as text)
    KXW_PLAY_LOAD_KEPT,      // a download (its content type builds no page): the current document stays
};

class KxwPlayPages {
public:
    // Runs an inline SCRIPT element's text (UTF-16): file (the page's URL) and first line for the messages.
    using ScriptRunner = std::function<void(const char16_t* mpwsfText, size_t mnLen, const std::string& mdsFile,
                                            int miLine)>;

    // Installs the notification stand-in of the calling thread. mptFetcher (may be null: no loads, and
    // document.cookie is empty) outlives the pages.
    explicit KxwPlayPages(ScriptRunner mtRunner, KxwEngineFetcher* mptFetcher = nullptr);
    // Deletes the document and removes the stand-in.
    ~KxwPlayPages();
    KxwPlayPages(const KxwPlayPages&) = delete;
    KxwPlayPages& operator=(const KxwPlayPages&) = delete;

    // Loads a page into a new document that replaces the current one, at the URL the redirects ended at. The
    // charset is the response's (a byte-order mark first, the header next, else a META element's).
    KXW_PLAY_LOAD_ENUM Load(const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchResponse* mptResponse);
    // The same from bytes already in memory (charset: canonical name or empty for the page's own choice).
    void LoadBytes(const std::string& mdsUrl, const char* mpsfBytes, size_t mnLen, const std::string& mdsCharset);

    KxwDomHtmlDocument* GetDocument() const { return _ptDocument; }
    // Elements the last page load made (the page's own and those its scripts wrote).
    size_t GetLastElementCount() const { return _nLastElements; }

private:
    static void OnNotification(void* mpvClosure, KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject,
                               void* mpvObject);
    void HandleMarkup(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvObject);
    void HandleCookie(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvObject);
    void RunScript(KxwPlayPageBuilder& mrtBuilder, KxwDomNodeBase* mptScript, int miLine);
    void ReleaseDocument();

    ScriptRunner _tRunner;
    KxwEngineFetcher* _ptFetcher;
    KxwDomHtmlDocument* _ptDocument = nullptr;
    std::string _dsUrl;
    // The builders at work, innermost last: a write goes to the one building its document.
    std::vector<KxwPlayPageBuilder*> _tActive;
    size_t _nLastElements = 0;
    // Scripts' texts are converted with the handler of the document's charset, kept while the charset stays.
    std::unique_ptr<KxwU16nHandlerGeneral> _ptScriptHandler;
    std::string _dsScriptCharset;
};
