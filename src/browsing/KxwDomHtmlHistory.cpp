#include "KxwDomHtmlHistory.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "KxwDomBindingUtil.h"
#include "KxwDomBrowsingUtil.h"
#include "KxwDomHtmlLocation.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomScriptCall.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

constexpr short kIdLength = -128;

const KxwJswPropertySpec katHistoryProperties[] = {
    {"length", 128, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};

using KxwDomHtmlHistoryCall = KxwDomScriptCallOn<KxwDomHtmlHistory>;

bool back_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlHistoryCall tCall("KxwDomHtmlHistory::back_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    tCall.This()->Back(1, true);
    return tCall.Undefined();
}

bool forward_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlHistoryCall tCall("KxwDomHtmlHistory::forward_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    tCall.This()->Forward(1, true);
    return tCall.Undefined();
}

bool go_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs) {
    KxwDomHtmlHistoryCall tCall("KxwDomHtmlHistory::go_callback", mptUserObj, mrtArgs);
    if (!tCall.Check(0)) return false;
    int iDelta = 0;
    if (tCall.Argc() > 0) {
        KxwJsval tArg = tCall.Arg(0);
        if (tArg.IsString()) {
            // A text is read as atoi reads it ("-1", " 2x"), a number beyond an int's range held at its end.
            std::string dsText = tCall.Utf8(0);
            if (tCall.Failed()) return false;
            long lDelta = std::strtol(dsText.c_str(), nullptr, 10);
            iDelta = static_cast<int>(std::clamp<long>(lDelta, INT_MIN, INT_MAX));
        } else {
            iDelta = tCall.Int(0, 0);
            if (tCall.Failed()) return false;
        }
    }
    tCall.This()->Go(iDelta);
    return tCall.Undefined();
}

const KxwJswMethodSpec katHistoryMethods[] = {
    {"back", nullptr, nullptr, 0, back_callback},
    {"forward", nullptr, nullptr, 0, forward_callback},
    {"go", nullptr, nullptr, 1, go_callback},
    {nullptr, nullptr, nullptr, 0},
};

bool IsHttpUrl(const char* mpsfUrl, unsigned muLen) {
    return xfbKxwDomBrowsingStartsWithNoCase(mpsfUrl, muLen, "http:") ||
           xfbKxwDomBrowsingStartsWithNoCase(mpsfUrl, muLen, "https:");
}

KxwiRunTimeSettings* Settings() { return xfptKxwDomUtilGetRTS(); }

KXWI_RTS_HISTORY_SUPPORT_ENUM HistorySupport() {
    KxwiRunTimeSettings* ptRTS = Settings();
    return ptRTS ? ptRTS->GetHistorySupport() : KXWI_RTS_HISTORY_SUPPORT_YES;
}

}  // namespace

bool xfbKxwDomIsFrameHierarchyIdInside(uint32_t muId, uint32_t muAncestorId) {
    if (muId == 0xFFFFFFFFu || muId == muAncestorId) return false;
    while (muId != 0) {
        muId >>= 4;
        if (muId == muAncestorId) return true;
    }
    return false;
}

KxwDomHtmlHistory::KxwDomHtmlHistory(KxwDomHtmlTopWindow* mptTopWindow)
    : KxwDomBase(mptTopWindow->GetObjMgr()->GetMemMgr(), xfptKxwU16nHandlerGetDefault()), _ptTopWindow(mptTopWindow) {
    // Read once for this virtual user, never shared between threads.
    KxwiRunTimeSettings* ptRTS = Settings();
    _iMaxSize = ptRTS ? ptRTS->GetHistorySize() : 100;
    if (_iMaxSize < 1) _iMaxSize = 1;
}

KxwDomHtmlHistory::~KxwDomHtmlHistory() { EraseItems(0, _tHistoryItemsList.size()); }

const KxwJswClassInformation* KxwDomHtmlHistory::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "History", katHistoryProperties, katHistoryMethods);
    return &ktClassInfo;
}

bool KxwDomHtmlHistory::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdLength)
        return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomHtmlHistory", mnTinyId, mrtPropertyInfo);
    mrtPropertyInfo = static_cast<int>(GetScriptLength());
    return true;
}

unsigned KxwDomHtmlHistory::GetScriptLength() const {
    return _tHistoryItemsList.size() >= 2 ? static_cast<unsigned>(_tHistoryItemsList.size()) : 0;
}

void KxwDomHtmlHistory::NotifyNavigationStarts(uint32_t muFrameHierarchyId, const char* mpsfUrl, unsigned muLen) {
    if (!_bIsHistoryNavigationActive || muFrameHierarchyId != _uRequestedFrameId) return;
    if (std::string(mpsfUrl ? mpsfUrl : "", mpsfUrl ? muLen : 0) != _dsRequestedUrl)
        _bIsHistoryNavigationActive = false;
    else
        _bRequestedLoadStarted = true;
}

void KxwDomHtmlHistory::DestroyItem(const KxwHistoryItem& mrtItem) {
    bool bIssue = mrtItem._bDeletePostCacheEntry && mrtItem._tPostId >= KXW_POST_ID_FIRST_REAL;
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("KxwHistoryItem for this=%p - (e): DTOR reached,%.10s issuing notification, "
                                    "IsApplicable=%d, _tPostId=%u, _uliFrameHierarchyId=0x%08X, _bPrimary=%d, "
                                    "_bDeletePostCacheEntry=%d, _ssbUrl=\"%.2000s\"",
                                    static_cast<const void*>(&mrtItem), bIssue ? "" : " NOT", bIssue ? 1 : 0,
                                    mrtItem._tPostId, mrtItem._uliFrameHierarchyId, mrtItem._bPrimary ? 1 : 0,
                                    mrtItem._bDeletePostCacheEntry ? 1 : 0, mrtItem._ssbUrl.c_str());
    if (!bIssue) return;
    KxwPostId tPostId = mrtItem._tPostId;
    xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_HISTORY_POST_GONE, &tPostId, nullptr);
}

void KxwDomHtmlHistory::EraseItems(size_t mnFirst, size_t mnEnd) {
    if (mnFirst >= mnEnd || mnFirst >= _tHistoryItemsList.size()) return;
    if (mnEnd > _tHistoryItemsList.size()) mnEnd = _tHistoryItemsList.size();
    // Taken out first: the engine's answer to a notification may not see half a list.
    std::vector<KxwHistoryItem> tGone(_tHistoryItemsList.begin() + static_cast<std::ptrdiff_t>(mnFirst),
                                      _tHistoryItemsList.begin() + static_cast<std::ptrdiff_t>(mnEnd));
    _tHistoryItemsList.erase(_tHistoryItemsList.begin() + static_cast<std::ptrdiff_t>(mnFirst),
                             _tHistoryItemsList.begin() + static_cast<std::ptrdiff_t>(mnEnd));
    size_t nGone = mnEnd - mnFirst;
    if (_nCurrent >= mnEnd)
        _nCurrent -= nGone;
    else if (_nCurrent >= mnFirst)
        _nCurrent = mnFirst > 0 ? mnFirst - 1 : 0;
    if (_nCurrent > _tHistoryItemsList.size()) _nCurrent = _tHistoryItemsList.size();
    _tFrameItems.clear();
    for (const KxwHistoryItem& rtItem : tGone) DestroyItem(rtItem);
}

void KxwDomHtmlHistory::NotifyUrl(const char* mpsfUrl, unsigned muLen, KxwPostNotificationInfo* mptPostInfoOrNull,
                                  uint32_t muFrameHierarchyId, bool mbPrimary, bool mbReplace) {
    if (HistorySupport() == KXWI_RTS_HISTORY_SUPPORT_NO || _bIsHistoryNavigationActive || !mpsfUrl ||
        !IsHttpUrl(mpsfUrl, muLen))
        return;
    if (mptPostInfoOrNull && mbReplace) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptPostNotificationInfoOrNULL != NULL && mbReplace in "
                                              "KxwDomHtmlHistory::NotifyUrl");
        return;
    }
    KxwHistoryItem tItem;
    tItem._ssbUrl.assign(mpsfUrl, muLen);
    tItem._uliFrameHierarchyId = muFrameHierarchyId;
    tItem._bPrimary = mbPrimary;
    if (mptPostInfoOrNull) {
        if (!_ptTopWindow) {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "_ptTopWindow==NULL in KxwDomHtmlHistory::NotifyUrl");
            return;
        }
        if (!xfbKxwDomUtilNotifyPostIssuedOK(mptPostInfoOrNull)) return;
        tItem._tPostId = mptPostInfoOrNull->_tPostId;
        tItem._bDeletePostCacheEntry = tItem._tPostId >= KXW_POST_ID_FIRST_REAL;
    }
    if (mbReplace && !_tHistoryItemsList.empty() && _nCurrent < _tHistoryItemsList.size()) {
        for (size_t n = _nCurrent + 1; n-- > 0;) {
            KxwHistoryItem& rtItem = _tHistoryItemsList[n];
            if (rtItem._uliFrameHierarchyId == muFrameHierarchyId) {
                rtItem._ssbUrl = tItem._ssbUrl;
                // The replacing page came by GET: going back to it must not send the old page's form again, and
                // the old page's cached answer is no longer needed.
                if (rtItem._tPostId != 0) {
                    KxwHistoryItem tOld = rtItem;
                    rtItem._tPostId = 0;
                    rtItem._bDeletePostCacheEntry = false;
                    DestroyItem(tOld);
                }
                // The frames inside the replaced one showed pages of the old page: they go.
                size_t nEnd = n + 1;
                while (nEnd < _tHistoryItemsList.size() &&
                       xfbKxwDomIsFrameHierarchyIdInside(_tHistoryItemsList[nEnd]._uliFrameHierarchyId,
                                                          muFrameHierarchyId))
                    ++nEnd;
                EraseItems(n + 1, nEnd);
                return;
            }
            if (xfbKxwDomIsFrameHierarchyIdInside(muFrameHierarchyId, rtItem._uliFrameHierarchyId)) {
                _tHistoryItemsList.insert(_tHistoryItemsList.begin() + static_cast<std::ptrdiff_t>(n + 1), tItem);
                // The frame's page belongs to the page at the current position: it is not forward history.
                if (_nCurrent >= n) ++_nCurrent;
                return;
            }
        }
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_tHistoryItemsList is not empty in KxwDomHtmlHistory::NotifyUrl");
        return;
    }
    // Forward history is lost.
    if (_nCurrent + 1 < _tHistoryItemsList.size()) EraseItems(_nCurrent + 1, _tHistoryItemsList.size());
    _tHistoryItemsList.push_back(tItem);
    _nCurrent = _tHistoryItemsList.size() - 1;
    if (!mbPrimary) return;
    if (_iPrimaryCount < _iMaxSize) {
        ++_iPrimaryCount;
        return;
    }
    // At the limit the oldest page goes with the frame pages that followed it.
    size_t nEnd = 1;
    while (nEnd < _tHistoryItemsList.size() && !_tHistoryItemsList[nEnd]._bPrimary) ++nEnd;
    EraseItems(0, nEnd);
    _nCurrent = _tHistoryItemsList.empty() ? 0 : _tHistoryItemsList.size() - 1;
}

bool KxwDomHtmlHistory::Back(int miCount, bool mbSilent) { return Move(miCount, mbSilent, false); }

bool KxwDomHtmlHistory::Forward(int miCount, bool mbSilent) { return Move(miCount, mbSilent, true); }

bool KxwDomHtmlHistory::Move(int miCount, bool mbSilent, bool mbForward) {
    const char* pszWhich = mbForward ? "Forward" : "Back";
    if (miCount < 1) miCount = 1;
    if (!_ptTopWindow) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptTopWindow == NULL in KxwDomHtmlHistory::%s", pszWhich);
        return false;
    }
    KxwiRunTimeSettings* ptRTS = Settings();
    KXWI_RTS_HISTORY_SUPPORT_ENUM eSupport = HistorySupport();
    if (eSupport == KXWI_RTS_HISTORY_SUPPORT_NO) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_WARNING, -35945, "KxwDomHtmlHistory::Move",
                                            __LINE__, pszWhich);
        return false;
    }
    if (eSupport == KXWI_RTS_HISTORY_SUPPORT_AUTO && ptRTS) {
        ptRTS->SetHistorySupport(KXWI_RTS_HISTORY_SUPPORT_YES);
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "HistorySupport changed from \"Auto\" to \"Yes\"");
    }
    // Count the pages passed, from the current one towards older (newer) ones.
    size_t nTarget = _nCurrent;
    int iPassed = 0;
    if (_nCurrent < _tHistoryItemsList.size()) {
        // The walk starts at the current page itself, not at one of its frame pages.
        size_t n = _nCurrent;
        while (n > 0 && !_tHistoryItemsList[n]._bPrimary) --n;
        while (iPassed < miCount) {
            if (mbForward) {
                if (++n >= _tHistoryItemsList.size()) break;
            } else {
                if (n == 0) break;
                --n;
            }
            if (_tHistoryItemsList[n]._bPrimary) {
                ++iPassed;
                nTarget = n;
            }
        }
    }
    if (iPassed < miCount) {
        if (mbSilent) return true;
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_WARNING, -35946, "KxwDomHtmlHistory::Move", __LINE__,
                                            pszWhich, miCount);
        return false;
    }
    const KxwHistoryItem tTarget = _tHistoryItemsList[nTarget];
    // The frame pages the target page showed, the latest of each frame.
    _tFrameItems.clear();
    size_t nGroupEnd = nTarget;
    for (size_t n = nTarget + 1; n < _tHistoryItemsList.size() && !_tHistoryItemsList[n]._bPrimary; ++n) {
        _tFrameItems[_tHistoryItemsList[n]._uliFrameHierarchyId] = n;
        nGroupEnd = n;
    }
    KxwDomHtmlWindow* ptWindow = _ptTopWindow->GetWindowFromHierarchyId(tTarget._uliFrameHierarchyId);
    if (!ptWindow) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptWindow == NULL in KxwDomHtmlHistory::%s", pszWhich);
        return false;
    }
    // The page stands with its frame pages: a later navigation drops only what came after them.
    _nCurrent = nGroupEnd;
    _iPrimaryCount += mbForward ? miCount : -miCount;
    if (_iPrimaryCount < 0) _iPrimaryCount = 0;
    _bIsHistoryNavigationActive = true;
    _bRequestedLoadStarted = false;
    _dsRequestedUrl = tTarget._ssbUrl;
    _uRequestedFrameId = tTarget._uliFrameHierarchyId;
    KxwDomHtmlLocation* ptLocation = ptWindow->GetLocation();
    if (!ptLocation) return false;
    return ptLocation->Replace(tTarget._ssbUrl.data(), static_cast<int>(tTarget._ssbUrl.size()),
                               KXW_DOM_HTML_LOCATION_CHANGE_HISTORY, tTarget._tPostId);
}

bool KxwDomHtmlHistory::Go(int miDelta) {
    if (miDelta > 0) return Forward(miDelta, true);
    if (miDelta < 0) return Back(miDelta == INT_MIN ? INT_MAX : -miDelta, true);
    KxwDomHtmlLocation* ptLocation = _ptTopWindow ? _ptTopWindow->GetLocation() : nullptr;
    if (!ptLocation) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid _ptTopWindow/ptHtmlLocation (%p/%p) in KxwDomHtmlHistory::Go",
                                              static_cast<void*>(_ptTopWindow), static_cast<void*>(ptLocation));
        return false;
    }
    // A reload brings the frames back as they show now, not as an earlier back or forward left them.
    _tFrameItems.clear();
    if (_nCurrent < _tHistoryItemsList.size()) {
        size_t nPage = _nCurrent;
        while (nPage > 0 && _tHistoryItemsList[nPage]._uliFrameHierarchyId != 0) --nPage;
        if (_tHistoryItemsList[nPage]._uliFrameHierarchyId == 0)
            for (size_t n = nPage + 1; n <= _nCurrent; ++n)
                if (_tHistoryItemsList[n]._uliFrameHierarchyId != 0)
                    _tFrameItems[_tHistoryItemsList[n]._uliFrameHierarchyId] = n;
    }
    _bIsHistoryNavigationActive = true;
    _bRequestedLoadStarted = false;
    std::string dsHref = ptLocation->GetHrefDcs();
    _dsRequestedUrl = dsHref;
    _uRequestedFrameId = 0;
    xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, -35940, "KxwDomHtmlHistory::Go",
                                        __LINE__, dsHref.c_str());
    return ptLocation->Reload(KXW_DOM_HTML_LOCATION_CHANGE_HISTORY_RELOAD, 0);
}

bool KxwDomHtmlHistory::HistoryOverridePerformed(uint32_t muFrameHierarchyId, std::string& mrdsUrl,
                                                 KxwPostId& mrtPostId) {
    if (!_bIsHistoryNavigationActive || HistorySupport() == KXWI_RTS_HISTORY_SUPPORT_NO) return false;
    auto it = _tFrameItems.find(muFrameHierarchyId);
    if (it == _tFrameItems.end()) return false;
    if (it->second >= _tHistoryItemsList.size()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptHistoryItem == NULL in KxwDomHtmlHistory::HistoryOverridePerformed");
        return false;
    }
    const KxwHistoryItem& rtItem = _tHistoryItemsList[it->second];
    mrdsUrl = rtItem._ssbUrl;
    mrtPostId = rtItem._tPostId;
    return true;
}

void KxwDomHtmlHistory::Clear() {
    EraseItems(0, _tHistoryItemsList.size());
    _iPrimaryCount = 0;
    _nCurrent = 0;
    _tFrameItems.clear();
}
