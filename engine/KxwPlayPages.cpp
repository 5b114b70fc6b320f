#include "KxwPlayPages.h"

#include <algorithm>

#include "KxwEngineFetch.h"
#include "KxwPlayPageBuilder.h"
#include "KxwPlayPageSource.h"
#include "KxwU16nHandler.h"
#include "KxwUtilEscape.h"
#include "kxw/KxwDomHtmlBuild.h"
#include "kxw/KxwDomUtil.h"

namespace {

// A builder at work, listed while it runs.
class ActiveBuilder {
public:
    ActiveBuilder(std::vector<KxwPlayPageBuilder*>& mrtActive, KxwPlayPageBuilder& mrtBuilder) : _rtActive(mrtActive) {
        _rtActive.push_back(&mrtBuilder);
    }
    ~ActiveBuilder() { _rtActive.pop_back(); }
    ActiveBuilder(const ActiveBuilder&) = delete;
    ActiveBuilder& operator=(const ActiveBuilder&) = delete;

private:
    std::vector<KxwPlayPageBuilder*>& _rtActive;
};

// Scripts that write scripts that write: a page may not nest builders without end.
constexpr size_t knMaxNestedBuilders = 64;

// A text response is shown as the browser shows it: its text, as it is, in a PRE element of a page.
std::string TextAsPage(const std::string& mdsText) {
    std::string dsPage = "<html><body><pre>";
    // A text too large for the escaping's int lengths is shown in pieces.
    constexpr size_t knPiece = 1u << 28;
    for (size_t nAt = 0; nAt < mdsText.size(); nAt += knPiece) {
        int iLen = static_cast<int>(std::min(knPiece, mdsText.size() - nAt));
        int iRoom = xfiKxwUtilEstimateHtmlEscapedLen(mdsText.data() + nAt, iLen);
        size_t nOld = dsPage.size();
        dsPage.resize(nOld + static_cast<size_t>(iRoom));
        dsPage.resize(nOld + static_cast<size_t>(xfiKxwUtilPerformHtmlEscapingAndReturnLength(
                                 mdsText.data() + nAt, iLen, &dsPage[nOld])));
    }
    return dsPage + "</pre></body></html>";
}

}  // namespace

KxwPlayPages::KxwPlayPages(ScriptRunner mtRunner, KxwEngineFetcher* mptFetcher)
    : _tRunner(std::move(mtRunner)), _ptFetcher(mptFetcher) {
    xfvKxwDomUtilSetNotificationStandIn(&KxwPlayPages::OnNotification, this);
}

KxwPlayPages::~KxwPlayPages() {
    ReleaseDocument();
    xfvKxwDomUtilSetNotificationStandIn(nullptr, nullptr);
}

void KxwPlayPages::ReleaseDocument() {
    if (!_ptDocument) return;
    KxwDomHtmlDocument* ptDocument = _ptDocument;
    _ptDocument = nullptr;
    xfvKxwDomHtmlBuildDeleteDocument(ptDocument);
}

KXW_PLAY_LOAD_ENUM KxwPlayPages::Load(const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchResponse* mptResponse) {
    if (!_ptFetcher) {
        *mptResponse = KxwEngineFetchResponse();
        xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_BAD_REQUEST, mrtRequest._dsUrl,
                              "the virtual user has no network");
        return KXW_PLAY_LOAD_FAILED;
    }
    if (!_ptFetcher->Fetch(mrtRequest, nullptr, mptResponse)) return KXW_PLAY_LOAD_FAILED;
    KxwPlayPageSource tSource;
    tSource._dsUrl = mptResponse->_dsFinalUrl;
    tSource._dsBytes.swap(mptResponse->_dsBody);
    switch (mptResponse->_eContentClass) {
        case KXW_ENGINE_CONTENT_CLASS_NO_CONTEXT:
            mptResponse->_dsBody.swap(tSource._dsBytes);
            return KXW_PLAY_LOAD_KEPT;
        case KXW_ENGINE_CONTENT_CLASS_XML:
        case KXW_ENGINE_CONTENT_CLASS_TEXT:
            // XML has no document of its own yet: it is shown as its text, as any other text is.
            xfvKxwPlaySniffCharset(&tSource, mptResponse->_dsCharset);
            // Text holds no markup that could name its charset.
            if (tSource._dsCharsetSource == "meta") tSource._dsCharset.clear();
            tSource._dsBytes = TextAsPage(tSource._dsBytes);
            break;
        default:
            xfvKxwPlaySniffCharset(&tSource, mptResponse->_dsCharset);
            break;
    }
    LoadBytes(tSource._dsUrl, tSource._dsBytes.data(), tSource._dsBytes.size(), tSource._dsCharset);
    return KXW_PLAY_LOAD_REPLACED;
}

void KxwPlayPages::LoadBytes(const std::string& mdsUrl, const char* mpsfBytes, size_t mnLen,
                             const std::string& mdsCharset) {
    ReleaseDocument();
    _dsUrl = mdsUrl;
    _ptDocument = xfptKxwDomHtmlBuildNewDocument(mdsUrl.data(), mdsUrl.size(),
                                                 mdsCharset.empty() ? nullptr : mdsCharset.c_str());
    if (!_ptDocument) return;
    KxwPlayPageBuilder tBuilder(_ptDocument, KxwPlayPageBuilder::kWholeDocument);
    tBuilder.SetScriptRunner([this](KxwPlayPageBuilder& mrtBuilder, KxwDomNodeBase* mptScript, int miLine) {
        RunScript(mrtBuilder, mptScript, miLine);
    });
    {
        ActiveBuilder tActive(_tActive, tBuilder);
        tBuilder.Feed(mpsfBytes, mnLen);
        tBuilder.EndOfInput();
    }
    _nLastElements = tBuilder.GetElementCount();
    // The end of the first load: deferred scripts, their completion, and from now on a write opens a new content.
    if (_ptDocument) {
        xfvKxwDomHtmlBuildEvaluatePendingScriptDefer(_ptDocument);
        xfvKxwDomHtmlBuildScriptCompletion(_ptDocument);
        xfvKxwDomHtmlBuildSetInitialProcessingEnded(_ptDocument, true);
    }
}

void KxwPlayPages::RunScript(KxwPlayPageBuilder& mrtBuilder, KxwDomNodeBase* mptScript, int miLine) {
    size_t nLen = 0;
    const char* psfText = xfpsfKxwDomHtmlBuildGetScriptText(mptScript, &nLen);
    // Scripts with a source are downloaded by the browsing engine, which comes later.
    if (!psfText || nLen == 0 || !_tRunner) return;
    // The text is in the document's charset; the script engine reads UTF-16.
    const char* pszCharset = xfpszKxwDomHtmlBuildGetResponseCharset(mrtBuilder.GetDocument());
    std::string dsCharset = pszCharset ? pszCharset : "";
    if (!_ptScriptHandler || dsCharset != _dsScriptCharset) {
        _ptScriptHandler = std::make_unique<KxwU16nHandlerGeneral>(dsCharset.empty() ? nullptr : dsCharset.c_str());
        _dsScriptCharset = dsCharset;
    }
    std::u16string dsText(_ptScriptHandler->GetMaxU16nLenInChars(nLen), u'\0');
    dsText.resize(_ptScriptHandler->ConvertDcsToU16n(psfText, nLen, dsText.data(), dsText.size()));
    _tRunner(dsText.data(), dsText.size(), _dsUrl, miLine);
}

void KxwPlayPages::OnNotification(void* mpvClosure, KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject,
                                  void* mpvObject) {
    KxwPlayPages* ptPages = static_cast<KxwPlayPages*>(mpvClosure);
    if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT || meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_INNER_HTML)
        ptPages->HandleMarkup(meType, mpvSubject, mpvObject);
    else if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_GET_COOKIE ||
             meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_SET_COOKIE)
        ptPages->HandleCookie(meType, mpvSubject, mpvObject);
}

void KxwPlayPages::HandleCookie(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvObject) {
    KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildGetDocumentOfNode(
        xfptKxwDomHtmlBuildGetNotificationNode(static_cast<int>(meType), mpvSubject));
    if (!ptDocument) return;
    // The cookies are those of the page's address; a document the pages did not load has none.
    KxwEngineCookieJar* ptJar = _ptFetcher && ptDocument == _ptDocument ? &_ptFetcher->GetCookieJar() : nullptr;
    if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_GET_COOKIE) {
        std::string dsCookies = ptJar ? ptJar->GetCookies(_dsUrl, KxwEngineCookieJar::kFromScript) : std::string();
        xfvKxwDomHtmlBuildSetCookie(ptDocument, dsCookies.data(), dsCookies.size());
        return;
    }
    size_t nLen = 0;
    const char* psfText = xfpsfKxwDomHtmlBuildGetNotificationText(mpvObject, &nLen);
    if (ptJar && psfText) ptJar->Store(_dsUrl, psfText, nLen, KxwEngineCookieJar::kFromScript);
}

void KxwPlayPages::HandleMarkup(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvObject) {
    KxwDomNodeBase* ptTarget = xfptKxwDomHtmlBuildGetNotificationNode(static_cast<int>(meType), mpvSubject);
    size_t nLen = 0;
    const char* psfText = xfpsfKxwDomHtmlBuildGetNotificationText(mpvObject, &nLen);
    KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildGetDocumentOfNode(ptTarget);
    if (!ptTarget || !psfText || !ptDocument || _tActive.size() >= knMaxNestedBuilders) return;
    if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT) {
        // A write while the document is being built goes in where the running script stands.
        for (auto it = _tActive.rbegin(); it != _tActive.rend(); ++it)
            if ((*it)->GetDocument() == ptDocument && !(*it)->IsEnded()) {
                (*it)->Write(psfText, nLen);
                return;
            }
    }
    KxwPlayPageBuilder tBuilder(ptDocument, meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT
                                                ? KxwPlayPageBuilder::kExistingDocument
                                                : KxwPlayPageBuilder::kFragment,
                                ptTarget);
    // Scripts that innerHTML brings in are not run, as in the browser; written ones are.
    if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT)
        tBuilder.SetScriptRunner([this](KxwPlayPageBuilder& mrtBuilder, KxwDomNodeBase* mptScript, int miLine) {
            RunScript(mrtBuilder, mptScript, miLine);
        });
    ActiveBuilder tActive(_tActive, tBuilder);
    tBuilder.Feed(psfText, nLen);
    tBuilder.EndOfInput();
}
