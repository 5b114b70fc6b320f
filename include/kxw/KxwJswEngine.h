// The script engine of one virtual user: one engine context on the virtual user's thread, a main global entered
// for the engine's life, the registry of user objects that have engine objects, and the collector's callbacks
// that keep C++ and engine lifetimes sound. The process side (engine start-up, the parent runtime the virtual
// users share, the watchdog that interrupts long scripts) lives in KxwJswProcess.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kxw/KxwExport.h"
#include "kxw/KxwJswGlobal.h"
#include "kxw/KxwJswProcess.h"
#include "kxw/KxwJswTypes.h"

struct KxwJswEngineOptions {
    uint32_t _uMaxHeapBytes = 64u * 1024 * 1024;
    // Native stack the engine may use before a script's recursion ends with an error; 0 derives it from the
    // thread's real stack size.
    size_t _nNativeStackQuota = 0;
    // Longest a single evaluation may run, in milliseconds; 0 for no limit.
    uint32_t _uScriptTimeLimitMs = 10000;
    // Incremental collection; off by default (a whole collection of one virtual user takes about a millisecond, so
    // slices buy little). When on, the engine collects in slices between which scripts and the DOM run; the
    // wrapper's read barriers keep what the DOM attaches meanwhile.
    bool _bIncrementalGC = false;
};

class KXW_API KxwJswEngine {
public:
    // Makes the engine of the calling thread; null (reported) when the process is not initialised or the thread
    // already has one.
    static KxwJswEngine* Create(const KxwJswEngineOptions& mrtOptions = KxwJswEngineOptions());
    // Must run on the engine's thread. Every user object still owned by its engine object is deleted; C++-owned
    // objects must have been deleted before (documents and windows first, then the engine).
    ~KxwJswEngine();
    KxwJswEngine(const KxwJswEngine&) = delete;
    KxwJswEngine& operator=(const KxwJswEngine&) = delete;

    // The calling thread's engine, or null.
    static KxwJswEngine* Current();

    JSContext* GetContext() const { return _ptCx; }
    // The main global, entered for the engine's life, and its engine object.
    KxwJswGlobal* GetMainGlobal() const { return _ptMainGlobal; }
    JSObject* GetGlobal() const;
    // A further global (a frame's or a pop-up's window, a new page), in the main global's compartment, with its own
    // prototypes; it lives until ReleaseGlobal and then as long as scripts refer to it. Null when it cannot be made
    // (reported).
    KxwJswGlobal* CreateGlobal(KxwJswGlobalOwner* mptOwner = nullptr);
    // The engine lets go of a global it made; the caller must not use the handle afterwards.
    void ReleaseGlobal(KxwJswGlobal* mptGlobal);
    // The global of the realm entered now (where scripts run and objects are made).
    KxwJswGlobal* GetCurrentGlobal() const;
    // Globals not yet collected (released ones included until a collection finds them unreachable).
    size_t GetGlobalCount() const;

    void SetScriptTimeLimitMs(uint32_t muMs) { _uScriptTimeLimitMs = muMs; }
    uint32_t GetScriptTimeLimitMs() const { return _uScriptTimeLimitMs; }

    // A full collection now, then the deletions it made due (unless a script is running); shrinking also compacts
    // (moves) engine objects.
    void CollectGarbage(bool mbShrinking = false);
    // A collection in slices (engines made with incremental collection on): the first slice of mllWork units of
    // work (a few units do little more than the start; every slice makes some progress); false when the
    // collection already finished within it. Further slices until it gives false; finishing
    // does the rest at once. The deletions it made due wait for DeletePendingUserObjs.
    bool StartIncrementalCollection(int64_t mllWork);
    bool ContinueIncrementalCollection(int64_t mllWork);
    void FinishIncrementalCollection();
    bool IsIncrementalCollectionInProgress() const;
    // True while a collection in slices marks: edges that C++ adds now need the read barrier of
    // UpdateScopeParent to be seen.
    bool IsMarkingIncrementally() const;
    // How often the collector has traced the engine's roots (once per collection, at its start).
    size_t GetRootTraceCount() const { return _nRootTraces; }
    // Deletes engine-owned user objects whose engine objects died, unless a script is running. The owner calls it
    // at points where no code holds such objects (the end of a step, after a page's parsing).
    void DeletePendingUserObjs();
    // For an owner that keeps the engine from one iteration to the next, once every window of the iteration went:
    // a full collection, then each user object whose engine object still lives is cut from it as the engine's end
    // would cut it (those the engine objects own are deleted), so that nothing of the iteration reaches the next;
    // the engine's own global is a new one (scripts run outside any page start without the old variables).
    // Returns how many were cut.
    size_t ReleaseUserObjects();

    size_t GetRegisteredCount() const { return _nRegistered; }
    size_t GetPendingDeleteCount() const { return _nPendingDeletes; }
    int GetEvaluationDepth() const { return _iEvaluationDepth; }
    // Heap bytes of the engine (for benchmarks).
    size_t GetGCHeapBytes() const;

    // Evaluation bookkeeping: a guard per evaluation, so that deletions wait for the outermost one to end and the
    // watchdog knows the deadline.
    class EvaluationScope {
    public:
        explicit EvaluationScope(KxwJswEngine* mptEngine, KxwJswUserObjBase* mptInitiator = nullptr,
                                 KxwJswUserObjBase* mptScope = nullptr);
        ~EvaluationScope();
        EvaluationScope(const EvaluationScope&) = delete;
        EvaluationScope& operator=(const EvaluationScope&) = delete;
        // True when the watchdog stopped the evaluation for running too long.
        bool WasInterrupted() const;

    private:
        KxwJswEngine* _ptEngine;
        KxwJswUserObjBase* _ptPrevInitiator;
        KxwJswUserObjBase* _ptPrevScope;
        bool _bOutermost;
    };
    KxwJswUserObjBase* GetScriptInitiator() const { return _ptScriptInitiator; }
    KxwJswUserObjBase* GetScopeUserObj() const { return _ptScopeUserObj; }
    // Set by the interrupt callback when the deadline passed; cleared when the outermost evaluation starts.
    bool IsInterrupted() const { return _bInterrupted; }
    // Whether the running script is past its time limit. Long library operations that a script called (parsing
    // markup, moving large subtrees) ask it now and then and stop cleanly when it is: the script is then ended
    // with the usual report as soon as the operation returns.
    bool IsPastScriptDeadline();

    // ---- Used by the wrapper itself ----
    void Register(KxwJswUserObjBase* mptUserObj);
    void Unregister(KxwJswUserObjBase* mptUserObj);
    void QueueDelete(KxwJswUserObjBase* mptUserObj);
    // A queued object deleted by C++ first leaves the queue.
    void ForgetPendingDelete(KxwJswUserObjBase* mptUserObj);
    // The prototype of a class in the current realm's global, made on first need.
    JSObject* ObtainPrototype(const KxwJswClassInformation* mptClassInfo);

private:
    explicit KxwJswEngine(JSContext* mptCx, const KxwJswEngineOptions& mrtOptions);
    bool InitGlobal();
    void CutRegisteredUserObjects();
    // A new global of the engine's own, in place of the one scripts outside any page ran in.
    bool RenewMainGlobal();
    void AddGlobal(KxwJswGlobal* mptGlobal);
    void ForgetGlobal(KxwJswGlobal* mptGlobal);
    friend class KxwJswEngineCallbacks;
    friend class KxwJswProcessWatchdog;
    friend class KxwJswGlobal;

    JSContext* _ptCx;
    KxwJswGlobal* _ptMainGlobal = nullptr;
    KxwJswGlobal* _ptFirstGlobal = nullptr;  // every global not yet finalized
    // The main global's realm is entered at creation and left at the end; _pvOuterRealm is the realm that
    // entering it left (none), to which leaving returns.
    void* _pvOuterRealm = nullptr;
    bool _bInMainRealm = false;
    KxwJswUserObjBase** _pptRegistry = nullptr;
    size_t _nRegistered = 0;
    size_t _nRegistryCapacity = 0;
    KxwJswUserObjBase** _pptPendingDeletes = nullptr;
    size_t _nPendingDeletes = 0;
    size_t _nPendingCapacity = 0;
    int _iEvaluationDepth = 0;
    bool _bDeleting = false;
    bool _bEnding = false;
    bool _bInterrupted = false;
    uint32_t _uScriptTimeLimitMs;
    KxwJswUserObjBase* _ptScriptInitiator = nullptr;
    KxwJswUserObjBase* _ptScopeUserObj = nullptr;
    int _iWatchdogSlot = -1;
    int64_t _llDeadlineMs = INT64_MAX;  // of the outermost evaluation, on the steady clock
    size_t _nRootTraces = 0;
};
