#include "KxwPlayPages.h"

#include "KxwPlayPageBuilder.h"
#include "KxwPlayPageSource.h"
#include "KxwU16nHandler.h"
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

}  // namespace

KxwPlayPages::KxwPlayPages(ScriptRunner mtRunner) : _tRunner(std::move(mtRunner)) {
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

bool KxwPlayPages::Load(const std::string& mdsUrl, size_t mnMaxBytes, std::string* mpdsError) {
    KxwPlayPageSource tSource;
    if (!xfbKxwPlayLoadFileUrl(mdsUrl, mnMaxBytes, &tSource, mpdsError)) return false;
    LoadBytes(mdsUrl, tSource._dsBytes.data(), tSource._dsBytes.size(), tSource._dsCharset);
    return true;
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
    if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT || meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_INNER_HTML)
        static_cast<KxwPlayPages*>(mpvClosure)->HandleMarkup(meType, mpvSubject, mpvObject);
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
