// The object manager's life cycle, its DOM commands, its notifications and its dialog answers. The window registry
// is in KxwObjMgrWindows.cpp.
#include "kxw/KxwObjMgr.h"

#include <algorithm>
#include <vector>

#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementApplet.h"
#include "KxwDomHtmlHistory.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomUserRegistration.h"
#include "KxwLayoutMgr.h"
#include "KxwObjMgrPersistentInfo.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwDomCommand.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwVUserVars.h"

namespace {

const char16_t kawsObjMgrNodeName[] = u"#objectmanager";

unsigned BlockSizeOf(KxwVUserVars* mptVUserVars) {
    (void)mptVUserVars;
    return 16384;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// The persistent and stacked parts

KxwObjMgrPersistentInfo::KxwObjMgrPersistentInfo(KxwObjMgr* mptOwner, KxwVUserVars* mptVUserVars,
                                                 KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler)
    : KxwDomCoreNode(mptMemMgr, mptU16nHandler, KXW_DOM_COMMON_NODE_TYPE_INTERNAL,
                     KXW_DOM_COMMON_NODE_SUBTYPE_OBJECT_MANAGER),
      _ptOwnerObjMgr(mptOwner),
      _ptVUserVars(mptVUserVars),
      _tTimeoutInfo(mptVUserVars),
      _ptSnapshotMgr(new KxwDomSnapshotMgr(mptVUserVars)) {}

KxwObjMgrPersistentInfo::~KxwObjMgrPersistentInfo() = default;

const char16_t* KxwObjMgrPersistentInfo::GetNodeNameU16n(unsigned* mpuLenInChars) const {
    if (mpuLenInChars) *mpuLenInChars = sizeof kawsObjMgrNodeName / sizeof kawsObjMgrNodeName[0] - 1;
    return kawsObjMgrNodeName;
}

void KxwObjMgrPersistentInfo::PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long) const {
    xfvKxwUtilReportBySevLvl(meSevLvl, "%*s[\"ObjectManager\" internal object] %p, closed windows %zu", miIndent, "",
                             static_cast<const void*>(this), _tClosedWindows.size());
}

KxwObjMgrStackedInfo::~KxwObjMgrStackedInfo() { FreeRegistrations(); }

void KxwObjMgrStackedInfo::FreeRegistrations() {
    for (KxwDomUserRegistration* ptRegistration : _tUserRegistrations) delete ptRegistration;
    for (KxwDomUserRegistration* ptRegistration : _tUsedUserRegistrations) delete ptRegistration;
    _tUserRegistrations.clear();
    _tUsedUserRegistrations.clear();
}

// ---------------------------------------------------------------------------------------------------------------
// Life cycle

KxwObjMgr::KxwObjMgr(KxwVUserVars* mptVUserVars)
    : _ptBlkMgr(new KxwMemBlkMgr(BlockSizeOf(mptVUserVars), 100)),
      _ptMemMgr(new KxwMemMgrGeneric(_ptBlkMgr)),
      _ptPersistent(nullptr),
      _ptStacked(new KxwObjMgrStackedInfo) {
    _ptPersistent = new (_ptMemMgr) KxwObjMgrPersistentInfo(this, mptVUserVars, _ptMemMgr, xfptKxwU16nHandlerGetDefault());
    _ptStacked->_ptOwnerObjMgr = this;
    if (mptVUserVars) mptVUserVars->SetObjMgr(this);
    _ptPersistent->_pvVuserJavaObject = KxwDomHtmlElementApplet::VuserInit();
}

KxwObjMgr::~KxwObjMgr() {
    Cleanup();
    void* pvVuserJavaObject = _ptPersistent->_pvVuserJavaObject;
    _ptPersistent->_pvVuserJavaObject = nullptr;
    KxwDomHtmlElementApplet::VuserDestroy(pvVuserJavaObject);
    KxwVUserVars* ptVUserVars = _ptPersistent->_ptVUserVars;
    if (ptVUserVars && ptVUserVars->GetObjMgr() == this) ptVUserVars->SetObjMgr(nullptr);
    delete _ptPersistent;
    _ptPersistent = nullptr;
    delete _ptStacked;
    _ptStacked = nullptr;
    delete static_cast<KxwMemMgrGeneric*>(_ptMemMgr);
    delete _ptBlkMgr;
}

KxwVUserVars* KxwObjMgr::GetVUserVars() const { return _ptPersistent->_ptVUserVars; }

KxwMemMgr* KxwObjMgr::GetMemMgr() const { return _ptMemMgr; }

void KxwObjMgr::Cleanup() {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("Entered KxwObjMgr::Cleanup for this=%p, _ptVUserVars=%p", static_cast<void*>(this),
                                    static_cast<void*>(GetVUserVars()));
    ResetAll();
    FreeDomCommandReuseList();
}

void KxwObjMgr::ResetAll() {
    _ptPersistent->_ptSnapshotMgr->Reset();
    _ptStacked->FreeRegistrations();
    DeleteAllTopWindows();
    DeleteAllClosedWindows();
}

void KxwObjMgr::DeleteAllTopWindows() {
    _ptPersistent->_tFocusWindowWatch.Reset();
    _ptPersistent->_ptVisiblePopup = nullptr;
    // One at a time from the newest: a window's unload handlers may close or open others meanwhile.
    for (int iGuard = 0; iGuard < 100000; ++iGuard) {
        KxwDomNodeBase* ptLast = _ptPersistent->GetLastChild();
        if (!ptLast) break;
        _ptPersistent->BasicRemoveChild(ptLast);
        if (auto* ptTop = dynamic_cast<KxwDomHtmlTopWindow*>(ptLast)) {
            auto& rtClosed = _ptPersistent->_tClosedWindows;
            rtClosed.erase(std::remove(rtClosed.begin(), rtClosed.end(), ptTop), rtClosed.end());
        }
        delete ptLast;
    }
}

void KxwObjMgr::DeleteAllClosedWindows() {
    std::vector<KxwDomHtmlTopWindow*> tClosed;
    tClosed.swap(_ptPersistent->_tClosedWindows);
    for (KxwDomHtmlTopWindow* ptClosed : tClosed) {
        if (!ptClosed) continue;
        if (ptClosed->GetParentNode() == _ptPersistent) _ptPersistent->BasicRemoveChild(ptClosed);
        delete ptClosed;
    }
}

KxwDomClipboardData* KxwObjMgr::GetClipboardData() const {
    return &_ptPersistent->_tClipboardData;
}

void KxwObjMgr::IterationReset(bool mbFull) {
    if (mbFull) {
        DeleteAllTopWindows();
        _ptPersistent->_ptSnapshotMgr->Reset();
    } else {
        for (KxwDomHtmlTopWindow* ptTop = GetFirstTopWindow(); ptTop; ptTop = ptTop->GetNextTopWindow())
            ptTop->OnEndIteration();
    }
    KxwDomHtmlElementApplet::IterationReset(_ptPersistent->_pvVuserJavaObject, mbFull);
    DeleteAllClosedWindows();
    if (mbFull) _ptPersistent->_tClipboardData.Reset();
    ++_ptPersistent->_uIterationResets;
}

namespace {

// History support "Auto" is settled when the second iteration runs (its first step, after the first reset; a
// run's last reset is followed by none): no script went back or forward yet, so it becomes "No" and what was
// recorded goes.
void ResolveAutoSettingsIfDue(KxwObjMgr& mrtObjMgr, KxwObjMgrPersistentInfo& mrtPersistent) {
    if (mrtPersistent._uIterationResets != 1 || mrtPersistent._bAutoSettingsResolved) return;
    mrtPersistent._bAutoSettingsResolved = true;
    KxwVUserVars* ptVUserVars = mrtObjMgr.GetVUserVars();
    if (!ptVUserVars) return;
    KxwiRunTimeSettings& rtRTS = ptVUserVars->GetRTS();
    if (rtRTS.GetHistorySupport() != KXWI_RTS_HISTORY_SUPPORT_AUTO) return;
    rtRTS.SetHistorySupport(KXWI_RTS_HISTORY_SUPPORT_NO);
    for (KxwDomHtmlTopWindow* ptTop = mrtObjMgr.GetFirstTopWindow(); ptTop; ptTop = ptTop->GetNextTopWindow())
        ptTop->ClearHistory();
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "HistorySupport changed from \"Auto\" to \"No\"");
}

}  // namespace

namespace {

// Every window of a top window, frames before their parent's next sibling (the tree's order), each window's
// pop-up after its frames.
template <class F>
void ForEachWindow(KxwDomHtmlWindow* mptWindow, F&& mfVisit) {
    KxwDomWatchDelete tWatch("ForEachWindow", mptWindow);
    std::vector<KxwDomHtmlWindow*> tFrames = mptWindow->GetChildFrameWindows();
    mfVisit(mptWindow);
    if (tWatch.HasBeenDeleted()) return;
    for (KxwDomHtmlWindow* ptFrame : tFrames) ForEachWindow(ptFrame, mfVisit);
    if (tWatch.HasBeenDeleted()) return;
    // The pop-up a window made follows it: its page's timers are activated and thawed as any page's.
    if (KxwDomHtmlWindow* ptPopup = mptWindow->GetOwnedPopupWindow()) ForEachWindow(ptPopup, mfVisit);
    if (tWatch.HasBeenDeleted() || mptWindow->GetParentWindow()) return;
    // A top window's dialogs follow it.
    if (KxwDomHtmlWindow* ptModeless = mptWindow->GetWindowDialogModeless()) ForEachWindow(ptModeless, mfVisit);
    if (tWatch.HasBeenDeleted()) return;
    if (KxwDomHtmlWindow* ptModal = mptWindow->GetWindowDialogModal()) ForEachWindow(ptModal, mfVisit);
}

}  // namespace

void KxwObjMgr::OnStepStart() {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("OnStepStart() entered for KxwObjMgr=%p, _ptVUserVars=%p, GetFirstChild()=%p",
                                    static_cast<void*>(this), static_cast<void*>(GetVUserVars()),
                                    static_cast<void*>(_ptPersistent->GetFirstChild()));
    ResolveAutoSettingsIfDue(*this, *_ptPersistent);
    _ptPersistent->_tTimeoutInfo.Reset();
    _ptPersistent->_tLayoutKeyUses.clear();
    KxwVUserVars* ptVUserVars = GetVUserVars();
    _ptPersistent->_dsLayoutStepName = ptVUserVars ? ptVUserVars->GetStepName() : std::string();
    // Timers frozen at the last step's limit are due again.
    for (KxwDomHtmlTopWindow* ptTop = GetFirstTopWindow(); ptTop; ptTop = ptTop->GetNextTopWindow())
        ForEachWindow(ptTop, [](KxwDomHtmlWindow* mptWindow) { mptWindow->DefreezeTimeouts(); });
}

unsigned KxwObjMgr::NextLayoutKeyUse(const std::string& mrdsKey) {
    unsigned& ruUses = _ptPersistent->_tLayoutKeyUses[mrdsKey];
    if (ruUses < 0xFFFFFFFFu) ++ruUses;
    return ruUses;
}

const std::string& KxwObjMgr::GetLayoutStepName() const {
    return _ptPersistent->_dsLayoutStepName;
}

bool KxwObjMgr::IsRenderingRelatedPropertiesPresent() {
    return !KxwLayoutMgr::IsEmpty();
}

void* KxwObjMgr::GetVuserJavaObject() const {
    return _ptPersistent ? _ptPersistent->_pvVuserJavaObject : nullptr;
}

void KxwObjMgr::ServiceEmbeddedObjects() {
    if (_ptPersistent && _ptPersistent->_pvVuserJavaObject)
        KxwDomHtmlElementApplet::Service(_ptPersistent->_pvVuserJavaObject);
}

void KxwObjMgr::OnStepEnd() {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("OnStepEnd() entered for KxwObjMgr=%p, _ptVUserVars=%p, GetFirstChild()=%p",
                                    static_cast<void*>(this), static_cast<void*>(GetVUserVars()),
                                    static_cast<void*>(_ptPersistent->GetFirstChild()));
    ServiceEmbeddedObjects();
    for (KxwDomHtmlTopWindow* ptTop = GetFirstTopWindow(); ptTop; ptTop = ptTop->GetNextTopWindow())
        ForEachWindow(ptTop, [](KxwDomHtmlWindow* mptWindow) { mptWindow->OnStepEnd(); });
}

void KxwObjMgr::ScriptComplete() {
    ServiceEmbeddedObjects();
    for (KxwDomHtmlTopWindow* ptTop = GetFirstTopWindow(); ptTop; ptTop = ptTop->GetNextTopWindow())
        ForEachWindow(ptTop, [](KxwDomHtmlWindow* mptWindow) { mptWindow->OnScriptComplete(); });
}

void KxwObjMgr::EnterRecursion() {
    auto* ptSaved = new KxwObjMgrStackedInfo;
    ptSaved->_ptOwnerObjMgr = this;
    ptSaved->_tUserRegistrations.swap(_ptStacked->_tUserRegistrations);
    ptSaved->_tUsedUserRegistrations.swap(_ptStacked->_tUsedUserRegistrations);
    ptSaved->_dsInitiatorBaseUrl = _ptStacked->_dsInitiatorBaseUrl;
    ptSaved->_ptPrevStackedInfo = std::move(_ptStacked->_ptPrevStackedInfo);
    _ptStacked->_ptPrevStackedInfo.reset(ptSaved);
}

void KxwObjMgr::ExitRecursion() {
    if (!_ptStacked->_ptPrevStackedInfo) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "_ptPrevStackedInfo is NULL upon entry to "
                                              "KxwObjMgrStackedInfo::ExitRecursion for this=%p/_ptOwnerObjMgr=%p. "
                                              "_ptPrevStackedInfo=%p",
                                              static_cast<void*>(_ptStacked), static_cast<void*>(this), nullptr);
        return;
    }
    CleanupUnhandledRemnants(false);
    if (!_ptStacked->_tUserRegistrations.empty() || !_ptStacked->_tUsedUserRegistrations.empty()) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid _tUserRegistrations.empty()=%d / _tUsedUserRegistrations.empty()=%d after "
            "CleanupUnhandledRemnants in KxwObjMgrStackedInfo::ExitRecursion for this=%p. _ptOwnerObjMgr=%p, "
            "_ptPrevStackedInfo=%p",
            _ptStacked->_tUserRegistrations.empty() ? 1 : 0, _ptStacked->_tUsedUserRegistrations.empty() ? 1 : 0,
            static_cast<void*>(_ptStacked), static_cast<void*>(this),
            static_cast<void*>(_ptStacked->_ptPrevStackedInfo.get()));
        _ptStacked->FreeRegistrations();
    }
    std::unique_ptr<KxwObjMgrStackedInfo> ptSaved = std::move(_ptStacked->_ptPrevStackedInfo);
    _ptStacked->_tUserRegistrations.swap(ptSaved->_tUserRegistrations);
    _ptStacked->_tUsedUserRegistrations.swap(ptSaved->_tUsedUserRegistrations);
    _ptStacked->_dsInitiatorBaseUrl = ptSaved->_dsInitiatorBaseUrl;
    _ptStacked->_ptPrevStackedInfo = std::move(ptSaved->_ptPrevStackedInfo);
}

unsigned KxwObjMgr::GetRecursionDepth() const {
    unsigned uDepth = 0;
    for (const KxwObjMgrStackedInfo* ptLevel = _ptStacked->_ptPrevStackedInfo.get(); ptLevel;
         ptLevel = ptLevel->_ptPrevStackedInfo.get())
        ++uDepth;
    return uDepth;
}

void KxwObjMgr::CleanupUnhandledRemnants(bool mbAsError) {
    // The lists are taken first: a registration's log line may not reach back into them.
    std::vector<KxwDomUserRegistration*> tLeft, tUsed;
    tLeft.swap(_ptStacked->_tUserRegistrations);
    tUsed.swap(_ptStacked->_tUsedUserRegistrations);
    if (!tLeft.empty()) {
        KXW_WTL_SEV_LVL_ENUM eSevLvl =
            mbAsError ? KXW_WTL_SEV_LVL_ENUM_INFORMATIVE : KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR;
        xfvKxwDomUtilReportCatalogedMessage(eSevLvl, mbAsError ? -35929 : -35928, "KxwObjMgr::CleanupUnhandledRemnants",
                                            __LINE__, static_cast<int>(tLeft.size()));
        // Each one is deleted as itself whether or not its line is wanted: its destructor frees what it holds.
        bool bPrint = xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM_NOTICE);
        for (KxwDomUserRegistration* ptRegistration : tLeft) {
            if (bPrint) ptRegistration->PrintMe();
            delete ptRegistration;
        }
    }
    for (KxwDomUserRegistration* ptRegistration : tUsed) delete ptRegistration;
}

// ---------------------------------------------------------------------------------------------------------------
// Notifications

void KxwObjMgr::SetNotificationCallback(NotificationCallback mpfCallback) {
    _ptPersistent->_pfNotificationCallback = mpfCallback;
}

void KxwObjMgr::NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra) {
    switch (meType) {
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_CLOSED: {
            auto* ptClosed = static_cast<KxwDomHtmlTopWindow*>(static_cast<KxwDomHtmlWindow*>(mpvSubject));
            if (!ptClosed) {
                xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                      "mpvNotificationSubject==NULL in KxwObjMgr::NotifyThis for "
                                                      "KXW_DOM_COMMON_NOTIFICATION_ENUM_WINDOW_CLOSED");
                return;
            }
            auto& rtClosed = _ptPersistent->_tClosedWindows;
            if (std::find(rtClosed.begin(), rtClosed.end(), ptClosed) == rtClosed.end()) rtClosed.push_back(ptClosed);
            if (_ptPersistent->_tFocusWindowWatch.GetEffectiveWatchedPtr() == ptClosed)
                _ptPersistent->_tFocusWindowWatch.Reset();
            // The engine hears of it too: it stops loading into the window.
            break;
        }
        case KXW_DOM_COMMON_NOTIFICATION_ENUM_ALERT_STRING: {
            if (!mpvSubject) {
                xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                      "mpvNotificationSubject==NULL in KxwObjMgr::NotifyThis for "
                                                      "KXW_DOM_COMMON_NOTIFICATION_ENUM_ALERT_STRING");
                return;
            }
            xfvKxwUtilReportTraceToFile("call SetAlert in KxwObjMgr::NotifyThis");
            const auto* ptText = static_cast<const KxwDomStr*>(mpvSubject);
            const char* psfText = ptText->GetDcsStr();
            _ptPersistent->_ptSnapshotMgr->SetAlert(psfText, psfText ? ptText->GetDcsLenInBytes() : 0);
            return;
        }
        default:
            break;
    }
    if (_ptPersistent->_pfNotificationCallback) _ptPersistent->_pfNotificationCallback(meType, mpvSubject, mpvExtra);
}

// ---------------------------------------------------------------------------------------------------------------
// DOM commands: each list has its own link, so that a command is never on both or lost from either

KxwDomCommand* KxwObjMgr::ObtainDomCommand() {
    KxwDomCommand* ptCommand = _ptPersistent->_ptFirstFreeCommand;
    if (ptCommand) {
        _ptPersistent->_ptFirstFreeCommand = ptCommand->_ptNextFree;
        ptCommand->_ptNextFree = nullptr;
        ptCommand->_bOnFreeList = false;
        ptCommand->SetObjMgr(this);
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("KxwDomCommand at %p taken from reuse list, ObjMgr=%p",
                                        static_cast<void*>(ptCommand), static_cast<void*>(this));
        return ptCommand;
    }
    ptCommand = new KxwDomCommand(this);
    ++_uDomCommandCount;
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("KxwDomCommand at %p newly allocated, ObjMgr=%p", static_cast<void*>(ptCommand),
                                    static_cast<void*>(this));
    return ptCommand;
}

void KxwObjMgr::ReturnDomCommandForReuse(KxwDomCommand* mptCommand) {
    if (!mptCommand || mptCommand->_bOnFreeList) return;
    if (mptCommand->_bOnExecutingList) RemoveExecutingDomCommand(mptCommand);
    mptCommand->Reset();
    mptCommand->_ptNextFree = _ptPersistent->_ptFirstFreeCommand;
    mptCommand->_bOnFreeList = true;
    _ptPersistent->_ptFirstFreeCommand = mptCommand;
}

void KxwObjMgr::FreeDomCommandReuseList() {
    while (KxwDomCommand* ptCommand = _ptPersistent->_ptFirstFreeCommand) {
        _ptPersistent->_ptFirstFreeCommand = ptCommand->_ptNextFree;
        delete ptCommand;
        --_uDomCommandCount;
    }
}

bool KxwObjMgr::AddExecutingDomCommand(KxwDomCommand* mptCommand) {
    if (!mptCommand || mptCommand->_bOnExecutingList || mptCommand->_bOnFreeList) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwObjMgr::AddExecutingDomCommand(mptDomCommand=%p) invalid or already "
                                              "exists for this=%p",
                                              static_cast<void*>(mptCommand), static_cast<void*>(this));
        return false;
    }
    mptCommand->_ptNextExecuting = _ptPersistent->_ptFirstExecutingCommand;
    mptCommand->_bOnExecutingList = true;
    _ptPersistent->_ptFirstExecutingCommand = mptCommand;
    return true;
}

bool KxwObjMgr::RemoveExecutingDomCommand(KxwDomCommand* mptCommand) {
    for (KxwDomCommand** pptLink = &_ptPersistent->_ptFirstExecutingCommand; *pptLink;
         pptLink = &(*pptLink)->_ptNextExecuting) {
        if (*pptLink != mptCommand) continue;
        *pptLink = mptCommand->_ptNextExecuting;
        mptCommand->_ptNextExecuting = nullptr;
        mptCommand->_bOnExecutingList = false;
        return true;
    }
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "KxwObjMgr::RemoveExecutingDomCommand(mptDomCommand=%p) not found for this=%p",
                                          static_cast<void*>(mptCommand), static_cast<void*>(this));
    return false;
}

bool KxwObjMgr::IsExecutingDomCommand(const KxwDomCommand* mptCommand) const {
    for (const KxwDomCommand* ptCommand = _ptPersistent->_ptFirstExecutingCommand; ptCommand;
         ptCommand = ptCommand->_ptNextExecuting)
        if (ptCommand == mptCommand) return true;
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Dialog registrations

void KxwObjMgr::AddUserRegistration(KxwDomUserRegistration* mptRegistration) {
    if (!mptRegistration) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptUserRegistration is NULL in KxwObjMgr::AddUserRegistration for "
                                              "this=%p",
                                              static_cast<void*>(this));
        return;
    }
    _ptStacked->_tUserRegistrations.push_back(mptRegistration);
}

namespace {

KxwDomUserRegistration* TakeRegistration(KxwObjMgrStackedInfo& mrtLevel, KXW_DOM_USER_REGISTRATION_KIND_ENUM meKind,
                                         const KxwDomStr* mptMessage) {
    auto& rtList = mrtLevel._tUserRegistrations;
    for (auto it = rtList.begin(); it != rtList.end(); ++it) {
        KxwDomUserRegistration* ptRegistration = *it;
        if (!ptRegistration || ptRegistration->GetKind() != meKind) continue;
        if (mptMessage && !ptRegistration->MatchesMessage(*mptMessage)) continue;
        rtList.erase(it);
        // Used once, but alive to the end of the level.
        mrtLevel._tUsedUserRegistrations.insert(mrtLevel._tUsedUserRegistrations.begin(), ptRegistration);
        return ptRegistration;
    }
    return nullptr;
}

}  // namespace

KxwDomUserRegistration* KxwObjMgr::FindUserRegistrationPrompt(KxwDomStr& mrtMessage) {
    return TakeRegistration(*_ptStacked, KXW_DOM_USER_REGISTRATION_PROMPT, &mrtMessage);
}

KxwDomUserRegistration* KxwObjMgr::FindUserRegistrationConfirm(KxwDomStr& mrtMessage) {
    return TakeRegistration(*_ptStacked, KXW_DOM_USER_REGISTRATION_CONFIRM, &mrtMessage);
}

KxwDomUserRegistration* KxwObjMgr::FindUserRegistrationModal() {
    return TakeRegistration(*_ptStacked, KXW_DOM_USER_REGISTRATION_MODAL, nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// Snapshots and simple state

void KxwObjMgr::CreateSnapshotsIfNeeded(KxwDomHtmlWindow* mptWindow) {
    _ptPersistent->_ptSnapshotMgr->CreateSnapshotsIfNeeded(mptWindow);
}

void KxwObjMgr::FlushSnapshotOnError(const char* mpszSnapshotOnErrorDir) {
    _ptPersistent->_ptSnapshotMgr->FlushSnapshotOnError(mpszSnapshotOnErrorDir);
}

void KxwObjMgr::MarkSnapshotNonErrorActiveForStep(bool mbActive) {
    _ptPersistent->_ptSnapshotMgr->MarkSnapshotNonErrorActiveForStep(mbActive);
}

void KxwObjMgr::WriteDomSnapshotHighlightIfNeeded(const KxwDomHtmlElement* mptHtmlElement) {
    KxwVUserVars* ptVUserVars = GetVUserVars();
    if (ptVUserVars && ptVUserVars->GetRTS().GetSnapshotHighlight())
        _ptPersistent->_ptSnapshotMgr->WriteDomSnapshotHighlightIfNeeded(mptHtmlElement);
}

void KxwObjMgr::WriteDomSnapshotHighlightIfNeeded(const KxwDomNodeBase* mptNode) {
    if (const auto* ptElement = dynamic_cast<const KxwDomHtmlElement*>(mptNode))
        WriteDomSnapshotHighlightIfNeeded(ptElement);
}

KxwDomSnapshotMgr* KxwObjMgr::GetSnapshot() const { return _ptPersistent->_ptSnapshotMgr.get(); }

std::string KxwObjMgr::GetLastSnapshotPagePath() const { return _ptPersistent->_ptSnapshotMgr->GetLastPagePath(); }

void KxwObjMgr::SetIsDomSnapshotsBeingGenerated(bool mbOn) { _ptPersistent->_bIsDomSnapshotsBeingGenerated = mbOn; }

bool KxwObjMgr::IsDomSnapshotsBeingGenerated() const { return _ptPersistent->_bIsDomSnapshotsBeingGenerated; }

void KxwObjMgr::SetInitiatorBaseUrl(const char* mpsfUrl, int miLen) {
    _ptStacked->_dsInitiatorBaseUrl.assign(mpsfUrl && miLen > 0 ? mpsfUrl : "", mpsfUrl && miLen > 0 ? miLen : 0);
}

const char* KxwObjMgr::GetInitiatorBaseUrlStr() const { return _ptStacked->_dsInitiatorBaseUrl.c_str(); }

unsigned KxwObjMgr::GetInitiatorBaseUrlLen() const {
    return static_cast<unsigned>(_ptStacked->_dsInitiatorBaseUrl.size());
}
