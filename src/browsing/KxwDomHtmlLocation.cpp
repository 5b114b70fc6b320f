#include "KxwDomHtmlLocation.h"

#include <cstring>

#include "KxwDomBindingUtil.h"
#include "KxwDomBrowsingUtil.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwJswCaller.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "KxwiUrl.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwJswGlobal.h"

namespace {

constexpr uint16_t kRW = KXW_JSW_PROP_PERMANENT;
enum : short {
    kIdHref = -128,
    kIdSearch,
    kIdPathname,
    kIdHash,
    kIdPort,
    kIdHost,
    kIdHostname,
    kIdProtocol,
};

const KxwJswPropertySpec katLocationProperties[] = {
    {"href", 128, kRW, "S"},     {"search", 129, kRW, "S"},   {"pathname", 130, kRW, "S"},
    {"hash", 131, kRW, "S"},     {"port", 132, kRW, "S"},     {"host", 133, kRW, "S"},
    {"hostname", 134, kRW, "S"}, {"protocol", 135, kRW, "S"}, {nullptr, 0, 0, nullptr},
};

using KxwDomHtmlLocationCall = KxwDomScriptCallOn<KxwDomHtmlLocation>;

bool replace_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlLocationCall tCall("KxwDomHtmlLocation::replace_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(1)) return false;
    std::u16string dsUrl = tCall.Text(0);
    if (tCall.Failed()) return false;
    KxwDomPropertyInfo tInfo;
    tInfo.AssignU16nStr(dsUrl.data(), static_cast<unsigned>(dsUrl.size()), true);
    std::string dsDcs = xfdsKxwDomBrowsingTextOf(tInfo, tCall.This()->GetU16nHandler());
    tCall.This()->Replace(dsDcs.data(), static_cast<int>(dsDcs.size()), KXW_DOM_HTML_LOCATION_CHANGE_REPLACE, 0);
    return tCall.Undefined();
}

bool reload_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlLocationCall tCall("KxwDomHtmlLocation::reload_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    bool bForced = tCall.Argc() > 0 && tCall.Arg(0).GetBoolean(tCall.GetContext());
    tCall.This()->Reload(bForced ? KXW_DOM_HTML_LOCATION_CHANGE_RELOAD_FORCED : KXW_DOM_HTML_LOCATION_CHANGE_RELOAD,
                         0);
    return tCall.Undefined();
}

bool toString_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlLocationCall tCall("KxwDomHtmlLocation::toString_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    std::string dsHref = tCall.This()->GetHrefDcs();
    KxwDomPropertyInfo tInfo;
    xfvKxwDomBrowsingAssignText(tInfo, dsHref, tCall.This()->GetU16nHandler());
    std::u16string dsText(tInfo.ConvertAndGetStringU16n(), tInfo.ConvertAndGetStringU16nLength());
    return tCall.Return(dsText);
}

const KxwJswMethodSpec katLocationMethods[] = {
    {"replace", nullptr, nullptr, 1, replace_callback},
    {"reload", nullptr, nullptr, 0, reload_callback},
    {"toString", nullptr, nullptr, 0, toString_callback},
    {nullptr, nullptr, nullptr, 0},
};

int DefaultPortOf(KXWI_URL_SCHEME_ENUM meScheme) {
    switch (meScheme) {
        case KXWI_URL_SCHEME_FTP: return 21;
        case KXWI_URL_SCHEME_HTTP: return 80;
        case KXWI_URL_SCHEME_HTTPS: return 443;
        default: return 0;
    }
}

// The explicit port when it is not the scheme's default.
std::string PortText(const KxwiUrlCrack& mrtCrack) {
    int iPort = mrtCrack.GetPort();
    if (!mrtCrack.HasExplicitPort() || iPort == DefaultPortOf(mrtCrack.GetScheme())) return std::string();
    return std::to_string(iPort);
}

// A part of an address is set on a location that has none.
bool ReportNoAddress(const char* mpszPart, const char* mpszTinyId, const std::string& mrdsValue) {
    xfvKxwUtilReportInternalErrorBySevLvl(
        KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
        "Invalid psfzOldUrlStr=%p / nOldUrlLen=%ld when setting location.%s=\"%.1500s\" in "
        "KxwDomHtmlLocation::SetDomPropertyInfo with KXW_DOM_HTML_LOCATION_TINY_ID_%s",
        static_cast<const void*>(""), 0L, mpszPart, mrdsValue.c_str(), mpszTinyId);
    return false;
}

}  // namespace

KxwDomHtmlLocation::KxwDomHtmlLocation(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler,
                                       KxwDomHtmlWindow* mptWindow)
    : KxwDomBase(mptMemMgr, mptU16nHandler), _ptWindow(mptWindow) {}

const KxwJswClassInformation* KxwDomHtmlLocation::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "Location", katLocationProperties, katLocationMethods);
    return &ktClassInfo;
}

std::string KxwDomHtmlLocation::GetHrefDcs() const {
    if (!_ptDocument) return std::string();
    const KxwDomHtmlPropertyStr& rtHref = _ptDocument->GetHref();
    const char* psfHref = rtHref.GetDcsStr();
    return psfHref ? std::string(psfHref, rtHref.GetDcsLenInBytes()) : std::string();
}

std::string KxwDomHtmlLocation::GetBaseURL() const {
    if (!_ptDocument) return std::string();
    unsigned uLen = 0;
    const char* psfBase = _ptDocument->GetBaseUrlDcs(&uLen);
    return psfBase ? std::string(psfBase, uLen) : std::string();
}

std::string KxwDomHtmlLocation::GetDomain() const {
    std::string dsHref = GetHrefDcs();
    KxwiUrlCrack tCrack(dsHref.data(), dsHref.size());
    return std::string(tCrack.GetHostNameStr(), tCrack.GetHostNameLen());
}

bool KxwDomHtmlLocation::IsDownloadRequired() const {
    std::string dsHref = GetHrefDcs();
    return !dsHref.empty() && !xfbKxwDomBrowsingStartsWithNoCase(dsHref.data(), dsHref.size(), "about:");
}

void KxwDomHtmlLocation::SendChange(const std::string& mrdsUrl, const std::string& mrdsQuery,
                                    KXW_DOM_HTML_LOCATION_CHANGE_TYPE_ENUM meType, KxwPostId mtPostId) {
    KxwDomHtmlLocationChangeNotification tChange(mrdsUrl, mrdsQuery, meType, mtPostId);
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_LOCATION_CHANGE, &tChange, _ptDocument);
}

bool KxwDomHtmlLocation::Replace(const char* mpsfUrl, int miLen, KXW_DOM_HTML_LOCATION_CHANGE_TYPE_ENUM meType,
                                 KxwPostId mtPostId) {
    switch (meType) {
        case KXW_DOM_HTML_LOCATION_CHANGE_REPLACE:
        case KXW_DOM_HTML_LOCATION_CHANGE_HISTORY:
        case KXW_DOM_HTML_LOCATION_CHANGE_NAVIGATE:
        case KXW_DOM_HTML_LOCATION_CHANGE_SHOW_DOCUMENT:
        case KXW_DOM_HTML_LOCATION_CHANGE_HREF:
        case KXW_DOM_HTML_LOCATION_CHANGE_META_REFRESH:
            break;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Invalid meLocationChangeType (%d) for KxwDomHtmlLocation::Replace",
                                                  static_cast<int>(meType));
            return false;
    }
    if (miLen < 0 || (!mpsfUrl && miLen > 0)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpsfTargetUrlDcsStr/miTargetUrlDcsLenInBytes (%p/%d) for KxwDomHtmlLocation::Replace",
            static_cast<const void*>(mpsfUrl), miLen);
        return false;
    }
    size_t nLen = static_cast<size_t>(miLen);
    if (!_ptDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptDocument == NULL in KxwDomHtmlLocation::Replace");
        return false;
    }
    // A new fragment only changes the address.
    if (nLen > 0 && mpsfUrl[0] == '#' && meType != KXW_DOM_HTML_LOCATION_CHANGE_META_REFRESH) {
        SetFragment(mpsfUrl, nLen);
        return true;
    }
    if (!_ptWindow) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptWindow == NULL in KxwDomHtmlLocation::Replace");
        return false;
    }
    std::string dsAbsolute = xfdsKxwDomBrowsingCombineUrl(ScriptBaseUrl(), mpsfUrl, static_cast<unsigned>(nLen));
    // The same page with another fragment, by href or replace() as by a "#" link: the page is not loaded again.
    if (meType == KXW_DOM_HTML_LOCATION_CHANGE_REPLACE || meType == KXW_DOM_HTML_LOCATION_CHANGE_HREF) {
        std::string dsHref = GetHrefDcs();
        size_t nNewFragment = xfnKxwiUrlLenWithoutFragmentID(dsAbsolute.data(), dsAbsolute.size());
        size_t nOldFragment = xfnKxwiUrlLenWithoutFragmentID(dsHref.data(), dsHref.size());
        if (nNewFragment < dsAbsolute.size() && IsDownloadRequired() &&
            dsAbsolute.compare(0, nNewFragment, dsHref, 0, nOldFragment) == 0) {
            SetFragment(dsAbsolute.data() + nNewFragment, dsAbsolute.size() - nNewFragment);
            return true;
        }
    }
    SendChange(dsAbsolute, std::string(), meType, mtPostId);
    return true;
}

std::string KxwDomHtmlLocation::ScriptBaseUrl() const {
    // The page of the running script: a frame's script that sets top.location runs the setter in the top
    // window's realm, yet gives an address of its own page.
    KxwDomHtmlWindow* ptBaseWindow = nullptr;
    if (KxwJswGlobal* ptCaller = xfptKxwJswGetScriptedCallerGlobal(KxwJswEngine::Current()))
        ptBaseWindow = dynamic_cast<KxwDomHtmlWindow*>(ptCaller->GetWindow());
    if (!ptBaseWindow) ptBaseWindow = KxwDomHtmlWindow::GetScopeWindow();
    if (!ptBaseWindow || !ptBaseWindow->GetDocument()) {
        if (!ptBaseWindow && xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Potential error: GetGlobalWindow() returned NULL in KxwDomHtmlLocation::Replace");
        ptBaseWindow = _ptWindow;
    }
    unsigned uLen = 0;
    const char* psfBase = ptBaseWindow->GetDocument() ? ptBaseWindow->GetDocument()->GetBaseUrlDcs(&uLen) : nullptr;
    return psfBase ? std::string(psfBase, uLen) : std::string();
}

void KxwDomHtmlLocation::SetFragment(const char* mpsfFragment, size_t mnLen) {
    std::string dsHref = GetHrefDcs();
    dsHref.resize(xfnKxwiUrlLenWithoutFragmentID(dsHref.data(), dsHref.size()));
    dsHref.append(mpsfFragment, mnLen);
    _ptDocument->SetHrefDcs(dsHref.data(), static_cast<unsigned>(dsHref.size()));
}

bool KxwDomHtmlLocation::Reload(KXW_DOM_HTML_LOCATION_CHANGE_TYPE_ENUM meType, KxwPostId mtPostId) {
    switch (meType) {
        case KXW_DOM_HTML_LOCATION_CHANGE_RELOAD:
        case KXW_DOM_HTML_LOCATION_CHANGE_RELOAD_FORCED:
        case KXW_DOM_HTML_LOCATION_CHANGE_HISTORY_RELOAD:
        case KXW_DOM_HTML_LOCATION_CHANGE_RELOAD_OTHER:
        case KXW_DOM_HTML_LOCATION_CHANGE_DIALOG:
            break;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Invalid meLocationChangeType (%d) for KxwDomHtmlLocation::Reload",
                                                  static_cast<int>(meType));
            return false;
    }
    SendChange(GetHrefDcs(), std::string(), meType, mtPostId);
    return true;
}

bool KxwDomHtmlLocation::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    std::string dsHref = GetHrefDcs();
    KxwiUrlCrack tCrack(dsHref.data(), dsHref.size());
    std::string dsText;
    switch (mnTinyId) {
        case kIdHref:
            dsText = dsHref;
            break;
        case kIdSearch:
            // The crack's query holds its '?'; a '?' alone is no query.
            if (tCrack.GetQueryLen() > 1) dsText.assign(tCrack.GetQueryStr(), tCrack.GetQueryLen());
            break;
        case kIdPathname:
            dsText.assign(tCrack.GetPathStr(), tCrack.GetPathLen());
            break;
        case kIdHash: {
            size_t nHash = dsHref.find('#');
            if (nHash != std::string::npos) dsText = dsHref.substr(nHash);
            break;
        }
        case kIdPort:
            dsText = PortText(tCrack);
            break;
        case kIdHost: {
            dsText.assign(tCrack.GetHostNameStr(), tCrack.GetHostNameLen());
            std::string dsPort = PortText(tCrack);
            if (!dsPort.empty()) dsText += ":" + dsPort;
            break;
        }
        case kIdHostname:
            dsText.assign(tCrack.GetHostNameStr(), tCrack.GetHostNameLen());
            break;
        case kIdProtocol:
            switch (tCrack.GetScheme()) {
                case KXWI_URL_SCHEME_FTP: dsText = "ftp:"; break;
                case KXWI_URL_SCHEME_HTTP: dsText = "http:"; break;
                case KXWI_URL_SCHEME_HTTPS: dsText = "https:"; break;
                default: dsText = "unk:"; break;
            }
            break;
        default:
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlLocation", mnTinyId, mrtPropertyInfo);
    }
    xfvKxwDomBrowsingAssignText(mrtPropertyInfo, dsText, GetU16nHandler());
    return true;
}

bool KxwDomHtmlLocation::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    std::string dsValue = xfdsKxwDomBrowsingTextOf(mrtPropertyInfo, GetU16nHandler());
    std::string dsHref = GetHrefDcs();
    switch (mnTinyId) {
        case kIdHref:
            return Replace(dsValue.data(), static_cast<int>(dsValue.size()), KXW_DOM_HTML_LOCATION_CHANGE_HREF, 0);
        case kIdSearch: {
            if (dsHref.empty()) return ReportNoAddress("search", "SEARCH", dsValue);
            std::string dsQuery = (!dsValue.empty() && dsValue[0] == '?') ? dsValue.substr(1) : dsValue;
            // The address with the new query in place of the old one; the fragment stays the page's.
            size_t nBase = xfnKxwiUrlLenWithoutQueryOrFragmentID(dsHref.data(), dsHref.size());
            size_t nFragment = xfnKxwiUrlLenWithoutFragmentID(dsHref.data(), dsHref.size());
            std::string dsUrl = dsHref.substr(0, nBase) + "?" + dsQuery + dsHref.substr(nFragment);
            SendChange(dsUrl, dsQuery, KXW_DOM_HTML_LOCATION_CHANGE_SEARCH, 0);
            return true;
        }
        case kIdPathname: {
            if (dsHref.empty()) return ReportNoAddress("pathname", "PATHNAME", dsValue);
            size_t nWithoutPath = xfnKxwiUrlLenWithoutPath(dsHref.data(), dsHref.size());
            size_t nWithoutQuery = xfnKxwiUrlLenWithoutQueryOrFragmentID(dsHref.data(), dsHref.size());
            if (nWithoutPath > nWithoutQuery) {
                xfvKxwUtilReportInternalErrorBySevLvl(
                    KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                    "Invalid nOldUrlLenWithoutQueryOrFragmentID=%ld  / nOldUrlLenWithoutPath=%ld for nOldUrlLen=%ld "
                    "when setting location.pathname=%.2000s in KxwDomHtmlLocation::SetDomPropertyInfo with "
                    "KXW_DOM_HTML_LOCATION_TINY_ID_PATHNAME",
                    static_cast<long>(nWithoutQuery), static_cast<long>(nWithoutPath),
                    static_cast<long>(dsHref.size()), dsValue.c_str());
                return false;
            }
            std::string dsPath = (!dsValue.empty() && dsValue[0] == '/') ? dsValue.substr(1) : dsValue;
            std::string dsUrl = dsHref.substr(0, nWithoutPath) + "/" + dsPath + dsHref.substr(nWithoutQuery);
            if (dsUrl == dsHref) {
                if (xfbKxwTraceEnabled())
                    xfvKxwUtilReportTraceToFile(
                        "Setting location.pathname=\"%.1500s\" does not modify the current href (\"%.1500s\"), except "
                        "possibly for the Fragment ID. No download issued in KxwDomHtmlLocation::SetDomPropertyInfo "
                        "with KXW_DOM_HTML_LOCATION_TINY_ID_PATHNAME",
                        dsValue.c_str(), dsHref.c_str());
                return true;
            }
            return Replace(dsUrl.data(), static_cast<int>(dsUrl.size()), KXW_DOM_HTML_LOCATION_CHANGE_REPLACE, 0);
        }
        case kIdHash: {
            if (dsHref.empty()) return ReportNoAddress("hash", "HASH", dsValue);
            // A new fragment of the same page: the address changes, the page is not loaded again (a page that sets
            // its hash while it loads would otherwise load itself without end).
            std::string dsFragment = (!dsValue.empty() && dsValue[0] == '#') ? dsValue : "#" + dsValue;
            return Replace(dsFragment.data(), static_cast<int>(dsFragment.size()), KXW_DOM_HTML_LOCATION_CHANGE_REPLACE,
                           0);
        }
        case kIdPort:
        case kIdHostname:
        case kIdProtocol: {
            const char* pszName = mnTinyId == kIdPort ? "port" : mnTinyId == kIdHostname ? "hostname" : "protocol";
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                     "Changing location.%.100s not supported (current href=\"%.1500s\", specified "
                                     "%.100s=\"%.1500s\")",
                                     pszName, dsHref.c_str(), pszName, dsValue.c_str());
            return true;
        }
        default:
            return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomHtmlLocation", mnTinyId);
    }
}
