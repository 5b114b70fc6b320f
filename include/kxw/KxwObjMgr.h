// The per-virtual-user object manager: the root of everything a browser would keep for one virtual user. It owns
// the top windows (with their documents, frames and histories), the windows closed during an iteration, the DOM
// commands the engine loads through, the dialog answers registered in advance, and it forwards to the engine every
// notification it does not handle itself. The engine constructs one on each virtual user's block, on that user's
// thread, and drives it through steps and iterations:
//
//     KxwObjMgr tObjMgr(&tVUser);            // records itself in the block
//     tObjMgr.SetNotificationCallback(&OnNotification);
//     per step:      OnStepStart(), the step's loads through DOM commands, ScriptComplete(), OnStepEnd()
//     per iteration: IterationReset(bFull)
//     at the end:    Cleanup() (also done by the destructor)
//
// Windows and commands are opaque to the engine: it reaches them through KxwDomCommand and the functions of
// kxw/KxwDomBrowsing.h. The engine ends a virtual user with Cleanup(), then ends its script engine, then deletes
// the object manager: objects the script engine still owns go back to the object manager's memory when it ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "kxw/KxwDomCommonEnums.h"
#include "kxw/KxwExport.h"
#include "kxw/KxwSevLvl.h"
#include "kxw/KxwiRunTimeSettings.h"

class KxwVUserVars;
class KxwDomCommand;
class KxwDomHtmlWindow;
class KxwDomHtmlTopWindow;
class KxwDomHtmlPopupWindow;
class KxwDomUserRegistration;
class KxwObjMgrPersistentInfo;
class KxwDomClipboardData;
class KxwObjMgrStackedInfo;
class KxwDomStr;
class KxwMemMgr;
class KxwMemBlkMgr;
class KxwObjMgrVUserTimeoutInfo;
class KxwDomSnapshotMgr;
class KxwDomHtmlElement;
class KxwDomNodeBase;

// The kind of window FindHtmlWindow returns.
enum KXW_OBJ_MGR_WINDOW_TYPE_ENUM {
    KXW_OBJ_MGR_WINDOW_TYPE_REGULAR = 0,   // a top window or a frame in it
    KXW_OBJ_MGR_WINDOW_TYPE_POPUP = 1,     // the visible pop-up
    KXW_OBJ_MGR_WINDOW_TYPE_MODELESS = 2,  // the modeless dialog of the matched top window
    KXW_OBJ_MGR_WINDOW_TYPE_MODAL = 3,     // the modal dialog of the matched top window
};

// Any frame: the ordinal that widens a frame search to every window.
constexpr unsigned KXW_OBJ_MGR_ANY_ORDINAL = 2147483647u;

class KXW_API KxwObjMgr {
public:
    using NotificationCallback = void (*)(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra);

    // Installs the process-wide severity filter and message sink; a null argument installs that function's
    // default (every level issued; messages dropped).
    static void SetWtlFuncs(bool (*mpfSevFilter)(KXW_WTL_SEV_LVL_ENUM),
                            void (*mpfMessageSink)(KXW_WTL_SEV_LVL_ENUM, int, const char*, const char*, int));

    // On the virtual user's thread, with its block bound; the block records this object manager until it goes.
    explicit KxwObjMgr(KxwVUserVars* mptVUserVars);
    ~KxwObjMgr();
    KxwObjMgr(const KxwObjMgr&) = delete;
    KxwObjMgr& operator=(const KxwObjMgr&) = delete;

    // ---- Life cycle ----
    void Cleanup();
    void ResetAll();
    // With mbFull every window goes; otherwise windows stay and hear that the iteration ended. Closed windows go.
    void IterationReset(bool mbFull);
    void OnStepStart();
    void OnStepEnd();
    void ScriptComplete();
    // A script step runs a nested step: the dialog registrations and the initiator base URL are the nested
    // step's own until ExitRecursion.
    void EnterRecursion();
    void ExitRecursion();
    // How many levels EnterRecursion has opened and ExitRecursion not yet closed (0: the virtual user's own).
    unsigned GetRecursionDepth() const;
    // Reports the registrations a step left unused (as an error or a notice) and drops them.
    void CleanupUnhandledRemnants(bool mbAsError);

    // ---- Embedded objects ----
    // The virtual user's side of the applet bridge; null without a Java VM.
    void* GetVuserJavaObject() const;
    // A point where embedded code may run (the engine calls it at the end of each of its tasks; the ends of
    // evaluations, ScriptComplete and OnStepEnd call it too): applets that wait start, and the calls the virtual
    // user's Java threads queued run.
    void ServiceEmbeddedObjects();

    // ---- Recorded layout ----
    // The use of a layout key within the current step: 1 the first time it is asked, then 2, 3 ...; the counts
    // start again with each step.
    unsigned NextLayoutKeyUse(const std::string& mrdsKey);
    // The current step's name: the section of the layout file that answers the step's keys.
    const std::string& GetLayoutStepName() const;
    // Whether the process's layout file holds at least one entry.
    static bool IsRenderingRelatedPropertiesPresent();

    // ---- Notifications ----
    // Receives every notification the object manager does not handle itself (all but 5 and 23).
    void SetNotificationCallback(NotificationCallback mpfCallback);
    void NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra);

    // ---- Windows ----
    bool HasContext() const;
    KxwDomHtmlTopWindow* GetFirstTopWindow() const;
    // The ordinal-th top window whose title matches (ordinal 0 is 1), or a frame in it, or its dialog; the number of
    // matching top windows in *mpuFound. Null when none matches.
    KxwDomHtmlWindow* FindHtmlWindow(const char* mpsfTitle, unsigned muTitleLen, bool mbTitleIsRegExp,
                                     unsigned muBrowserOrdinal, const char* mpsfFrameName, unsigned muFrameNameLen,
                                     bool mbFrameNameIsRegExp, const char* mpsfFrameId, unsigned muFrameIdLen,
                                     unsigned muFrameOrdinal, KXW_OBJ_MGR_WINDOW_TYPE_ENUM meType, unsigned* mpuFound,
                                     KxwDomHtmlWindow** mpptTopWindow = nullptr, bool* mpbDialogMissing = nullptr);
    // The window a script step's navigation goes to (found, or made when the step names one that does not exist
    // yet), made ready for a new document unless mbFindOnly.
    KxwDomHtmlWindow* AddOrReplaceHtmlWindow(const char* mpsfTitle, unsigned muTitleLen, bool mbTitleIsRegExp,
                                             unsigned muBrowserOrdinal, const char* mpsfFrameName,
                                             unsigned muFrameNameLen, unsigned muFrameOrdinal, bool mbFindOnly,
                                             bool mbCreateSnapshots);
    // Makes a window ready for a new document (its document is replaced, the window stays); null when the reset
    // deleted it.
    KxwDomHtmlWindow* ReplaceHtmlWindow(KxwDomHtmlWindow* mptWindow);
    // The window a link's or form's target names relative to the window it came from ("_top", "_parent",
    // "_self", "_blank", a frame name), made when it does not exist.
    KxwDomHtmlWindow* FindOrCreateHtmlWindowByOriginating(KxwDomHtmlWindow* mptOriginating, const char* mpsfTarget,
                                                          unsigned muTargetLen);
    KxwDomHtmlWindow* FindHtmlWindowByOriginating(KxwDomHtmlWindow* mptOriginating, const char* mpsfTarget,
                                                  unsigned muTargetLen);
    KxwDomHtmlWindow* AddOrReplaceHtmlWindowByOriginating(KxwDomHtmlWindow* mptOriginating, const char* mpsfTarget,
                                                          unsigned muTargetLen, bool mbFindOnly);
    // A new top window opened by mptOpener (null: by the user) with that name ("_blank" or empty: none).
    KxwDomHtmlTopWindow* CreateNewHtmlTopWindow(KxwDomHtmlWindow* mptOpener, const char* mpsfName, unsigned muNameLen);
    void RemoveClosedWindow(KxwDomHtmlTopWindow* mptClosedWindow);
    void SetFocusWindow(KxwDomHtmlWindow* mptNewFocusOrNull, bool mbFireFocus);
    KxwDomHtmlWindow* GetFocusWindow() const;
    // Hides the pop-up shown now (its unload runs), then shows mptPopup (null: none).
    void SetVisiblePopupWindow(KxwDomHtmlPopupWindow* mptPopup);
    // The window of the pop-up shown now, or null.
    KxwDomHtmlWindow* GetVisiblePopupWindow() const;
    KxwDomHtmlPopupWindow* GetVisiblePopup() const;
    // The pop-up shown is going away: none is shown, and nothing of it runs.
    void ForgetVisiblePopup();
    void FireOnFucosOnNewWindowIfApplicable();
    // Carries out the closes that scripts asked for while they ran in the window being closed.
    void CarryOutDeferredCloses();

    // ---- DOM commands ----
    KxwDomCommand* ObtainDomCommand();
    void ReturnDomCommandForReuse(KxwDomCommand* mptCommand);
    bool AddExecutingDomCommand(KxwDomCommand* mptCommand);
    bool RemoveExecutingDomCommand(KxwDomCommand* mptCommand);
    bool IsExecutingDomCommand(const KxwDomCommand* mptCommand) const;

    // ---- Dialog registrations (their matching and answers belong to the dialog steps) ----
    void AddUserRegistration(KxwDomUserRegistration* mptRegistration);
    KxwDomUserRegistration* FindUserRegistrationPrompt(KxwDomStr& mrtMessage);
    KxwDomUserRegistration* FindUserRegistrationConfirm(KxwDomStr& mrtMessage);
    KxwDomUserRegistration* FindUserRegistrationModal();

    // ---- Snapshots: the hooks the engine calls at the end of a step ----
    void CreateSnapshotsIfNeeded(KxwDomHtmlWindow* mptWindow);
    void FlushSnapshotOnError(const char* mpszSnapshotOnErrorDir);
    void MarkSnapshotNonErrorActiveForStep(bool mbActive);
    // Marks, in the snapshot of the page the element is on, the element a step acts on (when the settings ask for
    // it); an alert's text kept since then is written as a page of its own.
    void WriteDomSnapshotHighlightIfNeeded(const KxwDomHtmlElement* mptHtmlElement);
    // The same for a node a step found (nothing for a node that is not an HTML element).
    void WriteDomSnapshotHighlightIfNeeded(const KxwDomNodeBase* mptNode);
    KxwDomSnapshotMgr* GetSnapshot() const;
    // The top window's page of the last snapshot written, as a path; empty when none was written.
    std::string GetLastSnapshotPagePath() const;
    // While markup is generated for a snapshot (META and NOSCRIPT write it differently then).
    void SetIsDomSnapshotsBeingGenerated(bool mbOn);
    bool IsDomSnapshotsBeingGenerated() const;

    // ---- The initiator base URL of the running step ----
    void SetInitiatorBaseUrl(const char* mpsfUrl, int miLen);
    const char* GetInitiatorBaseUrlStr() const;
    unsigned GetInitiatorBaseUrlLen() const;

    // ---- Timers: the virtual user's timer state (the timers themselves live in their windows) ----
    KxwObjMgrVUserTimeoutInfo& GetTimeoutInfo() const;
    int GenerateTimerID();
    // Milliseconds since the run started: the virtual clock when set, else the rounded run clock.
    uint32_t GetEffectiveTimestamp(uint32_t* mpuRealTimestamp) const;
    uint32_t ObtainTimeoutExpirationTimestampLimit(uint32_t muNow, long mliTimeout);
    void SetVirtualTimerTime(uint32_t muTimestamp);
    void SetHandleTimeoutThinkTime(bool mbHandle);
    bool GetHandleTimeoutThinkTime() const;
    double StartThinkTime();
    double EndThinkTime();
    double StartWastedTime();
    double EndWastedTime();
    uint32_t GetMaximumTimeout() const;
    uint32_t GetMaximumAccumulativeTimeout() const;
    bool GetUseVirtualTimerTimeout() const;
    REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR GetSetIntervalTimeoutAfterEndBehavior() const;
    // What is due next across every window, a timer or a META refresh: its expiration, 0xFFFFFFFF when nothing
    // is. The engine plays a step's timers out with these two.
    uint32_t GetNextTimeoutExpiration() const;
    // Runs what is due next: at its own time on the virtual clock, or on the run clock as it stands (the engine
    // has moved it there); false when nothing is due.
    bool RunNextTimeout(bool mbUsingVirtualTimerTime);

    // ---- Diagnostics ----
    // The whole hierarchy to the log at that level: every window with its frames, dialogs and pop-up, and, as the
    // mask asks (KXW_DOM_PRINT_MASK_ENUM), their documents: 0x2 windows only, 0x4 collections, 0x20 texts, 0x40
    // inner texts. Nothing when the severity filter refuses the level.
    void DebugPrintHierarchy(const char* mpszTitle, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const;

    KxwVUserVars* GetVUserVars() const;
    // The node whose children are the top windows, for the library's own walks.
    KxwObjMgrPersistentInfo* GetPersistentInfo() const { return _ptPersistent; }
    // The clipboard every window of the virtual user shares (window.clipboardData).
    KxwDomClipboardData* GetClipboardData() const;
    // The memory every DOM object of the virtual user lives on.
    KxwMemMgr* GetMemMgr() const;
    // Resolves "_top", "_parent", "_self" and "_blank" (a new top window only when mbMayCreate) relative to the
    // originating window; a named target sets mrbIsNamed and gives null.
    KxwDomHtmlWindow* GetNonNamedHtmlWindow(KxwDomHtmlWindow* mptOriginating, const char* mpsfTarget,
                                            unsigned muTargetLen, bool mbMayCreate, bool& mrbIsNamed);
    // The windows mptOpener opened forget it (it closes or goes).
    void ForgetOpener(KxwDomHtmlWindow* mptOpener);
    // Number of DOM commands made so far (free ones and those in use), for tests.
    unsigned GetDomCommandCount() const { return _uDomCommandCount; }

private:
    void DeleteAllTopWindows();
    void DeleteAllClosedWindows();
    void FreeDomCommandReuseList();
    KxwDomHtmlTopWindow* CreateNewHtmlTopWindows(int miCount, const char* mpsfTitle, unsigned muTitleLen,
                                                 const char* mpsfFrameName, unsigned muFrameNameLen,
                                                 unsigned muOrdinal);

    KxwMemBlkMgr* _ptBlkMgr;
    KxwMemMgr* _ptMemMgr;
    KxwObjMgrPersistentInfo* _ptPersistent;
    KxwObjMgrStackedInfo* _ptStacked;
    unsigned _uDomCommandCount = 0;
};
