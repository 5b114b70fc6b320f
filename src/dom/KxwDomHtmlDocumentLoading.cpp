// The loading side of the HTML document: the parser's and the downloads' state operations, the end of the
// response, the lists of scripts that wait for their source or their deferred turn with the walks that drain
// them, and the meta refresh timed by the engine's timer service.
#include <cmath>

#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomHtmlElementMeta.h"
#include "KxwDomHtmlElementScript.h"
#include "KxwDomWatchDelete.h"
#include "QmtUtils.h"
#include "kxw/KxwEnvCfg.h"

namespace {

const char* ListName(KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM meList) {
    switch (meList) {
        case KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_SRC:
            return "_tPendingScriptSrc";
        case KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_DEFER:
            return "_tPendingScriptDefer";
        default:
            return "_tPendingScriptCompletion";
    }
}

int MetaRefreshDelayCallback(void* mpvClosure) {
    if (!mpvClosure) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "fiMetaRefreshDelayCallback called with a NULL mpvClosure, timestamp=%lu",
                                              static_cast<unsigned long>(xfdfQmtUtilsMillisecondsFromStartOfRun()));
        return 0;
    }
    static_cast<KxwDomHtmlDocument*>(mpvClosure)->OnMetaRefreshTimerFired();
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Loading

void KxwDomHtmlDocument::NotifyDownloading(bool mbStarting) {
    if (mbStarting && IsHtmlParsing()) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                 "Note: KxwDomHtmlDocument::NotifyDownloading(mbStarting=%d) entered when "
                                 "IsHtmlParsing()=%d (IsDownloading()=%d, this=%p).  HtmlParsing set to false",
                                 1, 1, IsDownloading() ? 1 : 0, static_cast<void*>(this));
        SetIsHtmlParsing(false);
    }
    // The owner window counts the downloads that hold back its load event; windows come later.
    SetIsDownloading(mbStarting);
}

void KxwDomHtmlDocument::NotifyHtmlParsing(bool mbStarting) {
    bool bWasParsing = IsHtmlParsing();
    SetIsHtmlParsing(mbStarting);
    if (bWasParsing && !mbStarting) DownloadFrames();
}

void KxwDomHtmlDocument::DownloadFrames() {
    if (GetScriptEvaluationDepth() > 0) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "KxwDomHtmlDocument::DownloadFrames for this=%p exited immediately: liScriptEvaluationDepth=%ld",
                static_cast<void*>(this), GetScriptEvaluationDepth());
        return;
    }
    // Frames are loaded into the child windows of the document's window; a document without a window has none.
    if (!_ptWindow) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "KxwDomHtmlDocument::DownloadFrames for this=%p exited immediately: No frames. ptOwnerWindowChildren=%p",
                static_cast<void*>(this), static_cast<void*>(nullptr));
        return;
    }
    _ptWindow->RequestPendingFrameLoads();
}

bool KxwDomHtmlDocument::IsEndOfResponseEndOfParsing(bool& mrbRemoved) {
    mrbRemoved = false;
    if (GetParsingDepth() > 0 || GetScriptEvaluationDepth() > 0) return false;
    unsigned long uliCount = GetPendingScriptSrcCount();
    if (uliCount == 0) return true;
    if (uliCount > 1) return false;
    KxwDomHtmlCollectionGeneral* ptList = GetCollection(KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_SRC);
    KxwDomNodeBase* ptNodeBase = ptList->GetItem(0UL);
    auto* ptScript = dynamic_cast<KxwDomHtmlElementScript*>(ptNodeBase);
    if (!ptScript) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "ptElementScript is NULL for ptNodeBase=%p from _tPendingScriptSrc for document at %p in "
            "KxwDomHtmlDocument::IsEndOfResponseEndOfParsing. Resetting _tPendingScriptSrc (count 1)",
            static_cast<void*>(ptNodeBase), static_cast<void*>(this));
        ptList->Reset();
        mrbRemoved = true;
        return true;
    }
    if (!ptScript->IsAwaitingClosingTag()) return false;
    ptList->Reset();
    mrbRemoved = true;
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "KxwDomHtmlDocument::IsEndOfResponseEndOfParsing for document at %p removed the single pending <SCRIPT "
            "src=> at %p, which awaited its closing tag upon end of response",
            static_cast<void*>(this), static_cast<void*>(ptScript));
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Pending scripts

bool KxwDomHtmlDocument::AppendToPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM meList,
                                             KxwDomHtmlElementScript* mptScript, const char* mpszOperation) {
    KxwDomHtmlCollectionGeneral* ptList = _aptCollections[meList];
    if (ptList->AppendItem(mptScript)) return true;
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "AppendItem(mptHtmlElementScript=%p) failed in "
                                          "KxwDomHtmlDocument::AppendPendingScript from %s for this=%p. Collection "
                                          "length=%lu",
                                          static_cast<void*>(mptScript), mpszOperation, static_cast<void*>(this),
                                          ptList->GetLength());
    return false;
}

bool KxwDomHtmlDocument::AppendPendingScriptSrc(KxwDomHtmlElementScript* mptScript) {
    if (!mptScript || mptScript->IsEmptySrc()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mptHtmlElementScript=%p / IsEmptySrc=%d in "
                                              "KxwDomHtmlDocument::AppendPendingScriptSrc for this=%p",
                                              static_cast<void*>(mptScript), mptScript ? 1 : -1,
                                              static_cast<void*>(this));
        return false;
    }
    return AppendToPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_SRC, mptScript,
                               "AppendPendingScriptSrc");
}

bool KxwDomHtmlDocument::AppendPendingScriptDefer(KxwDomHtmlElementScript* mptScript) {
    if (!mptScript || !mptScript->IsDeferFromHtml()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mptHtmlElementScript=%p / IsDeferFromHtml=%d in "
                                              "KxwDomHtmlDocument::AppendPendingScriptDefer for this=%p",
                                              static_cast<void*>(mptScript), mptScript ? 0 : -1,
                                              static_cast<void*>(this));
        return false;
    }
    return AppendToPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_DEFER, mptScript,
                               "AppendPendingScriptDefer");
}

bool KxwDomHtmlDocument::AppendPendingScriptCompletion(KxwDomHtmlElementScript* mptScript) {
    if (!mptScript || !mptScript->IsDeferFromHtml()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mptHtmlElementScript=%p / IsDeferFromHtml=%d in "
                                              "KxwDomHtmlDocument::AppendPendingScriptCompletion for this=%p",
                                              static_cast<void*>(mptScript), mptScript ? 0 : -1,
                                              static_cast<void*>(this));
        return false;
    }
    return AppendToPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_COMPLETION, mptScript,
                               "AppendPendingScriptCompletion");
}

bool KxwDomHtmlDocument::AppendPendingScript(KxwDomHtmlElementScript* mptScript) {
    if (mptScript && mptScript->IsDeferFromHtml()) return AppendPendingScriptDefer(mptScript);
    return AppendPendingScriptSrc(mptScript);
}

void KxwDomHtmlDocument::UpdateScriptWithForEvent(KxwDomHtmlElementScript* mptScript, bool mbActive) {
    KxwDomHtmlCollectionGeneral* ptList = _aptCollections[KXW_DOM_HTML_DOCUMENT_COLLECTION_SCRIPTS_WITH_FOR_EVENT];
    if (!mptScript) return;
    bool bFiled = ptList->IsItemFound(mptScript);
    if (mbActive && !bFiled)
        AppendToPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_SCRIPTS_WITH_FOR_EVENT, mptScript,
                            "UpdateScriptWithForEvent");
    else if (!mbActive && bFiled)
        RemoveFromPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_SCRIPTS_WITH_FOR_EVENT, mptScript, true,
                              "UpdateScriptWithForEvent");
}

bool KxwDomHtmlDocument::RemoveFromPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM meList,
                                               KxwDomHtmlElementScript* mptScript, bool mbIssueErrorIfFails,
                                               const char* mpszOperation) {
    KxwDomHtmlCollectionGeneral* ptList = _aptCollections[meList];
    if (mptScript && ptList->RemoveItem(mptScript, false)) return true;
    if (mbIssueErrorIfFails)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "RemoveItem(mptHtmlElementScript=%p, mbIssueErrorIfFails=%d) failed in "
                                              "KxwDomHtmlDocument::RemovePendingScript from %s for this=%p. Collection "
                                              "length=%lu",
                                              static_cast<void*>(mptScript), 1, mpszOperation, static_cast<void*>(this),
                                              ptList->GetLength());
    return false;
}

bool KxwDomHtmlDocument::RemovePendingScriptSrc(KxwDomHtmlElementScript* mptScript, bool mbIssueErrorIfFails) {
    return RemoveFromPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_SRC, mptScript, mbIssueErrorIfFails,
                                 "RemovePendingScriptSrc");
}

bool KxwDomHtmlDocument::RemovePendingScriptDefer(KxwDomHtmlElementScript* mptScript, bool mbIssueErrorIfFails) {
    return RemoveFromPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_DEFER, mptScript, mbIssueErrorIfFails,
                                 "RemovePendingScriptDefer");
}

bool KxwDomHtmlDocument::RemovePendingScriptCompletion(KxwDomHtmlElementScript* mptScript, bool mbIssueErrorIfFails) {
    return RemoveFromPendingList(KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_COMPLETION, mptScript,
                                 mbIssueErrorIfFails, "RemovePendingScriptCompletion");
}

bool KxwDomHtmlDocument::RemovePendingScript(KxwDomHtmlElementScript* mptScript, bool mbIssueErrorIfFails) {
    if (mptScript && mptScript->IsDeferFromHtml()) return RemovePendingScriptDefer(mptScript, mbIssueErrorIfFails);
    return RemovePendingScriptSrc(mptScript, mbIssueErrorIfFails);
}

unsigned long KxwDomHtmlDocument::GetPendingScriptSrcCount() const {
    return _aptCollections[KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_SRC]->GetLength();
}
bool KxwDomHtmlDocument::IsPendingScriptSrc(const KxwDomHtmlElementScript* mptScript) const {
    return mptScript && _aptCollections[KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_SRC]->IsItemFound(mptScript);
}

unsigned long KxwDomHtmlDocument::GetPendingScriptDeferCount() const {
    return _aptCollections[KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_DEFER]->GetLength();
}
unsigned long KxwDomHtmlDocument::GetPendingScriptCompletionCount() const {
    return _aptCollections[KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_COMPLETION]->GetLength();
}

void KxwDomHtmlDocument::SetScriptEvaluator(ScriptEvaluator mpfEvaluator, void* mpvClosure) {
    _pfScriptEvaluator = mpfEvaluator;
    _pvScriptEvaluatorClosure = mpfEvaluator ? mpvClosure : nullptr;
}

bool KxwDomHtmlDocument::EvaluateScriptElement(KxwDomHtmlElementScript* mptScript) {
    if (!_pfScriptEvaluator) {
        // The script runs itself, in its window, inside the evaluation bracket.
        mptScript->EvaluateScriptElement();
        return true;
    }
    IncrementScriptEvaluationDepth();
    KxwDomWatchDelete tWatchThis("KxwDomHtmlDocument::EvaluateScriptElement", this);
    bool bOK = _pfScriptEvaluator(_pvScriptEvaluatorClosure, this, mptScript);
    if (!tWatchThis.HasBeenDeleted()) DecrementScriptEvaluationDepth();
    return bOK;
}

KxwDomHtmlElementScript* KxwDomHtmlDocument::FirstPendingScript(KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM meList,
                                                                const char* mpszCaller) {
    KxwDomHtmlCollectionGeneral* ptList = _aptCollections[meList];
    if (ptList->IsEmpty()) return nullptr;
    KxwDomNodeBase* ptNodeBase = ptList->GetItem(0UL);
    auto* ptScript = dynamic_cast<KxwDomHtmlElementScript*>(ptNodeBase);
    if (ptScript) return ptScript;
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "ptElementScript is NULL for ptNodeBase=%p from %s for document at %p in "
                                          "KxwDomHtmlDocument::%s. Resetting the list (count %lu)",
                                          static_cast<void*>(ptNodeBase), ListName(meList), static_cast<void*>(this),
                                          mpszCaller, ptList->GetLength());
    ptList->Reset();
    return nullptr;
}

void KxwDomHtmlDocument::EvaluatePendingScriptSrc() {
    // Without a window there is nowhere to run them (a stand-alone document with an evaluator of its own still
    // runs them through it).
    if (!_ptWindow && !_pfScriptEvaluator) {
        _aptCollections[KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_SRC]->Reset();
        return;
    }
    KxwDomWatchDelete tWatchThis("KxwDomHtmlDocument::EvaluatePendingScriptSrc", this);
    while (!tWatchThis.HasBeenDeleted()) {
        KxwDomHtmlElementScript* ptScript =
            FirstPendingScript(KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_SRC, "EvaluatePendingScriptSrc");
        if (!ptScript) return;
        // The first waits for its end tag and its source: nothing after it may run before it.
        if (ptScript->IsAwaitingClosingTag() || !ptScript->IsSrcDownloaded()) return;
        RemovePendingScriptSrc(ptScript, true);
        if (ptScript->IsEmptySrc() || ptScript->IsEmptyDownloadedText() || !ptScript->IsEmptyEvent()) continue;
        if (!ptScript->IsEvaluatable()) {
            ptScript->IssueNotEvaluatableMsg();
            continue;
        }
        // Traced rather than shown: the line names the element by its address.
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("Evaluating <SCRIPT src=\"%.2000s\"> (internal ID=%p, document=%p)",
                                        ptScript->GetSrc().GetDcsStr() ? ptScript->GetSrc().GetDcsStr() : "",
                                        static_cast<void*>(ptScript), static_cast<void*>(this));
        EvaluateScriptElement(ptScript);
    }
}

void KxwDomHtmlDocument::EvaluatePendingScriptDefer() {
    KxwDomWatchDelete tWatchThis("KxwDomHtmlDocument::EvaluatePendingScriptDefer", this);
    while (!tWatchThis.HasBeenDeleted()) {
        KxwDomHtmlElementScript* ptScript =
            FirstPendingScript(KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_DEFER, "EvaluatePendingScriptDefer");
        if (!ptScript) return;
        if (!ptScript->IsDeferFromHtml()) {
            auto tText = [](const KxwDomHtmlPropertyStr& mrtValue) {
                return mrtValue.GetDcsStr() ? mrtValue.GetDcsStr() : "";
            };
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "KxwDomHtmlDocument::EvaluatePendingScriptDefer() for document at %p encountered ptElementScript=%p "
                "with IsDeferFromHtml()==false. Script will be ignored (event=\"%.100s\", for=\"%.100s\", "
                "src=\"%.2000s\")",
                static_cast<void*>(this), static_cast<void*>(ptScript), tText(ptScript->GetEvent()),
                tText(ptScript->GetHtmlFor()), tText(ptScript->GetSrc()));
            RemovePendingScriptDefer(ptScript, true);
            continue;
        }
        if (ptScript->IsAwaitingClosingTag() || (!ptScript->IsEmptySrc() && !ptScript->IsSrcDownloaded())) return;
        RemovePendingScriptDefer(ptScript, true);
        KxwDomWatchDelete tWatchScript("KxwDomHtmlDocument::EvaluatePendingScriptDefer", ptScript);
        bool bDownloadedEmpty = !ptScript->IsEmptySrc() && ptScript->IsEmptyDownloadedText();
        if (ptScript->IsEmptyEvent() && !bDownloadedEmpty) EvaluateScriptElement(ptScript);
        if (tWatchThis.HasBeenDeleted()) return;
        if (!tWatchScript.HasBeenDeleted() && ptScript->IsDeferFromHtml()) AppendPendingScriptCompletion(ptScript);
    }
}

void KxwDomHtmlDocument::ScriptCompletion() {
    if (GetPendingScriptDeferCount() != 0)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwDomHtmlDocument::ScriptCompletion entered for this=%p when "
                                              "PendingScriptDeferCount=%lu.  PendingScriptCompletionCount=%lu",
                                              static_cast<void*>(this), GetPendingScriptDeferCount(),
                                              GetPendingScriptCompletionCount());
    KxwDomHtmlCollectionGeneral* ptList = _aptCollections[KXW_DOM_HTML_DOCUMENT_COLLECTION_PENDING_SCRIPT_COMPLETION];
    while (KxwDomNodeBase* ptNodeBase = ptList->RemoveAndReturnFirstItem()) {
        auto* ptScript = dynamic_cast<KxwDomHtmlElementScript*>(ptNodeBase);
        if (!ptScript) {
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "ptElementScript is NULL for ptNodeBase=%p from _tPendingScriptCompletion for document at %p in "
                "KxwDomHtmlDocument::ScriptCompletion. PendingScriptCompletionCount=%lu",
                static_cast<void*>(ptNodeBase), static_cast<void*>(this), ptList->GetLength());
            continue;
        }
        ptScript->SetIsDeferFromHtml(false);
        KxwDomWatchDelete tWatchThis("KxwDomHtmlDocument::ScriptCompletion", this);
        ptScript->SetReadyState(KXW_DOM_HTML_READY_STATE_COMPLETE);
        if (tWatchThis.HasBeenDeleted()) return;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Meta refresh

void KxwDomHtmlDocument::SetMetaRefresh(KxwDomHtmlElementMeta* mptMetaRefresh) {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "KxwDomHtmlDocument::SetMetaRefresh(mptMetaRefresh=%p) for this=%p entered. _ptMetaRefresh=%p, "
            "IsInitialProcessingEnded=%d",
            static_cast<void*>(mptMetaRefresh), static_cast<void*>(this), static_cast<void*>(_ptMetaRefresh),
            IsInitialProcessingEnded() ? 1 : 0);
    if (!IsInitialProcessingEnded()) _ptMetaRefresh = mptMetaRefresh;
}

void KxwDomHtmlDocument::HandleMetaRefresh() {
    if (_hDrvResponseHandleRefresh || _uliMetaRefreshExpirationTimestamp) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwDomHtmlDocument::HandleMetaRefresh for this=%p called when "
                                              "_hDrvResponseHandleRefresh=%p / _uliMetaRefreshExpirationTimestamp=%lu",
                                              static_cast<void*>(this), _hDrvResponseHandleRefresh,
                                              _uliMetaRefreshExpirationTimestamp);
        return;
    }
    int iDelay = _ptMetaRefresh ? _ptMetaRefresh->GetRefreshDelayOrMinus1() : -1;
    if (iDelay < 0) return;
    if (iDelay == 0) {
        DoMetaRefresh();
        return;
    }
    if (!xtKxwEnvCfg._pfRegisterTimer) {
        // Without the engine's timer service the refresh cannot wait for its time.
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "No timer service for the meta refresh (delay %d ms) in "
                                              "KxwDomHtmlDocument::HandleMetaRefresh for this=%p. Refresh skipped",
                                              iDelay, static_cast<void*>(this));
        return;
    }
    void* hHandle = xtKxwEnvCfg._pfRegisterTimer(xtKxwEnvCfg._pvContext, &MetaRefreshDelayCallback, this,
                                                 static_cast<uint32_t>(iDelay));
    if (!hHandle) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Failure in DrvRegisterTimer(ext_id=%p, cb=%p, closure=%p, timeout=%d) in "
            "KxwDomHtmlDocument::HandleMetaRefresh for this=%p",
            xtKxwEnvCfg._pvContext, reinterpret_cast<void*>(&MetaRefreshDelayCallback), static_cast<void*>(this),
            iDelay, static_cast<void*>(this));
        return;
    }
    _hDrvResponseHandleRefresh = hHandle;
    _uliMetaRefreshExpirationTimestamp =
        static_cast<unsigned long>(std::llround(xfdfQmtUtilsMillisecondsFromStartOfRun())) +
        static_cast<unsigned>(iDelay);
}

void KxwDomHtmlDocument::OnMetaRefreshTimerFired() {
    _hDrvResponseHandleRefresh = nullptr;
    DoMetaRefresh();
}

void KxwDomHtmlDocument::DoMetaRefreshUsingVirtualTimerTime() {
    if (!_ptWindow) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptObjMgr is NULL in KxwDomHtmlWindow::SetVirtualTimerTime for this=%p",
                                              static_cast<void*>(this));
        return;
    }
    _ptWindow->SetVirtualTimerTime(static_cast<uint32_t>(_uliMetaRefreshExpirationTimestamp));
    DoMetaRefresh();
}

void KxwDomHtmlDocument::DoMetaRefresh() {
    KxwDomHtmlElementMeta* ptMeta = _ptMetaRefresh;
    ResetMetaRefresh();
    if (!ptMeta || !(ptMeta->IsRefresh() || ptMeta->IsRefreshToAddress())) return;
    // The refresh replaces the location of the document's window (the page itself without a URL).
    std::string dsUrl = ptMeta->IsMetaRefreshUrlEmpty()
                            ? std::string(_tHref.GetDcsStr() ? _tHref.GetDcsStr() : "")
                            : std::string(ptMeta->GetRefreshUrlStr(), ptMeta->GetRefreshUrlLen());
    if (!_ptWindow) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                 "The refresh of document %p to \"%.2000s\" needs a window to navigate and is not "
                                 "carried out",
                                 static_cast<void*>(this), dsUrl.c_str());
        return;
    }
    _ptWindow->NavigateByMetaRefresh(dsUrl);
}

void KxwDomHtmlDocument::ResetMetaRefresh() {
    if (_hDrvResponseHandleRefresh && xtKxwEnvCfg._pfvUnregisterTimer) {
        int iRC = xtKxwEnvCfg._pfvUnregisterTimer(xtKxwEnvCfg._pvContext, _hDrvResponseHandleRefresh);
        if (iRC != 0)
            xfvKxwUtilReportInternalErrorBySevLvl(
                KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                "Failure in DrvUnregisterResponseObject(ext_id=%p, object_handle=%p): "
                "returned %d in KxwDomHtmlDocument::ResetMetaRefresh",
                xtKxwEnvCfg._pvContext, _hDrvResponseHandleRefresh, iRC);
    }
    _hDrvResponseHandleRefresh = nullptr;
    _uliMetaRefreshExpirationTimestamp = 0;
    _ptMetaRefresh = nullptr;
}
