// The location of one document (script class "Location"): its address read in parts, and the changes of it that
// start navigations. The location loads nothing itself: a navigation is notification 0 to the object manager
// with a change record, which comes back from the engine as a DOM command; a change of the fragment alone only
// changes the address.
#pragma once

#include <string>

#include "KxwDomBase.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwDomCommand.h"

class KxwDomHtmlDocument;
class KxwDomHtmlWindow;

// The subject of notification 0.
class KxwDomHtmlLocationChangeNotification {
public:
    KxwDomHtmlLocationChangeNotification(std::string mdsUrl, std::string mdsQuery,
                                         KXW_DOM_HTML_LOCATION_CHANGE_TYPE_ENUM meType, KxwPostId mtPostId)
        : _dsUrl(std::move(mdsUrl)), _dsQuery(std::move(mdsQuery)), _eType(meType), _tPostId(mtPostId) {}
    const std::string& GetUrl() const { return _dsUrl; }
    const std::string& GetQueryDcs() const { return _dsQuery; }
    KXW_DOM_HTML_LOCATION_CHANGE_TYPE_ENUM GetType() const { return _eType; }
    KxwPostId GetPostId() const { return _tPostId; }
    bool IsHistoryPost() const { return _tPostId >= KXW_POST_ID_FIRST_REAL; }

private:
    std::string _dsUrl;
    std::string _dsQuery;
    KXW_DOM_HTML_LOCATION_CHANGE_TYPE_ENUM _eType;
    KxwPostId _tPostId;
};

class KxwDomHtmlLocation : public KxwDomBase {
public:
    KxwDomHtmlLocation(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler, KxwDomHtmlWindow* mptWindow);

    void SetDocument(KxwDomHtmlDocument* mptDocument) { _ptDocument = mptDocument; }
    KxwDomHtmlDocument* GetDocument() const { return _ptDocument; }
    // The address: the document's URL.
    std::string GetHrefDcs() const;
    // The base URL of the document's links: a BASE element's, else the address.
    std::string GetBaseURL() const;
    std::string GetDomain() const;
    // A download is needed for an address that is not empty and not about:.
    bool IsDownloadRequired() const;

    // Navigations: a change of the fragment alone only changes the address; anything else is made absolute
    // against the window of the running script and handed to the engine.
    bool Replace(const char* mpsfUrl, int miLen, KXW_DOM_HTML_LOCATION_CHANGE_TYPE_ENUM meType, KxwPostId mtPostId);
    bool Reload(KXW_DOM_HTML_LOCATION_CHANGE_TYPE_ENUM meType, KxwPostId mtPostId);

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetShouldBeDeletedAtFinalize() override { return false; }

private:
    // The base URL that relative addresses given by the running script are read against.
    std::string ScriptBaseUrl() const;
    // The address with mpsfFragment ("#..." to the end) in place of its own fragment; nothing is loaded.
    void SetFragment(const char* mpsfFragment, size_t mnLen);
    void SendChange(const std::string& mrdsUrl, const std::string& mrdsQuery,
                    KXW_DOM_HTML_LOCATION_CHANGE_TYPE_ENUM meType, KxwPostId mtPostId);

    KxwDomHtmlWindow* _ptWindow;
    KxwDomHtmlDocument* _ptDocument = nullptr;
};
