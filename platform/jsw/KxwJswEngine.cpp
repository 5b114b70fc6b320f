// One virtual user's engine. The collector's protocol with C++ objects:
// - roots: C++-owned objects that keep their engine objects (GetShouldAddJSRoot) and temp-protected ones are traced
//   from the extra-roots tracer on every collection;
// - weak edges: every user object's handle is updated after marking; a dying engine object is cut from its user
//   object there, and an engine-owned user object is queued for deletion;
// - deletion: the queue is emptied only at safe points: the end of the outermost evaluation (code that called a
//   script watches what it holds, since a script may delete anything), an explicit collection, and the owner's own
//   calls to DeletePendingUserObjs (step boundaries). Never in the middle of a collection that an allocation of
//   arbitrary library code started, where that code may still hold the objects.
#include <js/friend/WindowProxy.h>
#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "KxwJswCallArgs.h"
#include "KxwJswInternal.h"
#include "KxwUtilReport.h"
#include "kxw/KxwJswGlobal.h"

using namespace kxwjsw;

namespace {

// Read on every engine value that is stored (tens of times a DOM call): the initial-exec model reads it at a fixed
// offset of the thread pointer instead of calling into the dynamic loader each time. The library is linked, never
// loaded late, and one pointer fits the static TLS that the loader reserves even then.
__attribute__((tls_model("initial-exec"))) thread_local KxwJswEngine* gptCurrentEngine = nullptr;

int64_t SteadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The stack the engine may use: most of the thread's real stack, leaving room for the native code that runs
// between the engine's checks (more under the sanitizers, whose frames are larger).
size_t DefaultStackQuota() {
    size_t nStackSize = 8u * 1024 * 1024;
    pthread_attr_t tAttr;
    if (pthread_getattr_np(pthread_self(), &tAttr) == 0) {
        size_t nSize = 0;
        if (pthread_attr_getstacksize(&tAttr, &nSize) == 0 && nSize > 0) nStackSize = nSize;
        pthread_attr_destroy(&tAttr);
    }
#if defined(__SANITIZE_ADDRESS__)
    return nStackSize / 3;
#else
    size_t nReserve = std::max<size_t>(192 * 1024, nStackSize / 8);
    return nStackSize > 2 * nReserve ? nStackSize - nReserve : nStackSize / 2;
#endif
}

}  // namespace

bool KxwJswCtorRegistrator::ExportFunc(JSContext* mptCx, unsigned muArgc, JS::Value* mpvVp) {
    JS::CallArgs tArgs = JS::CallArgsFromVp(muArgc, mpvVp);
    auto* ptSpec = static_cast<const KxwJswCtorRegistrator*>(
        js::GetFunctionNativeReserved(&tArgs.callee(), kFunSlotEntry).toPrivate());
    KxwJswCallArgs tCallArgs(mptCx, &tArgs);
    KxwJswUserObjBase* ptUserObj = ptSpec->_pfConstruct(tCallArgs);
    if (!ptUserObj) {
        if (!JS_IsExceptionPending(mptCx)) JS_ReportErrorASCII(mptCx, "%s: cannot construct", ptSpec->_pszName);
        return false;
    }
    JSObject* ptObj = ptUserObj->GetJsiObj();
    if (!ptObj) {
        JS_ReportOutOfMemory(mptCx);
        return false;
    }
    tArgs.rval().setObject(*ptObj);
    return true;
}

// The engine's callbacks, kept out of the header so that it needs no engine types.
class KxwJswEngineCallbacks {
public:
    static void TraceRoots(JSTracer* mptTracer, void* mpvData) {
        auto* ptEngine = static_cast<KxwJswEngine*>(mpvData);
        ++ptEngine->_nRootTraces;
        for (size_t n = 0; n < ptEngine->_nRegistered; ++n) {
            KxwJswUserObjBase* ptUserObj = ptEngine->_pptRegistry[n];
            if (ptUserObj->_ucJswFlags & KxwJswUserObjBase::kFlagPendingDelete) continue;
            if (ptUserObj->IsTempProtectedFromGC() || ptUserObj->GetShouldAddJSRoot())
                JS::TraceEdge(mptTracer, &HeapOf(ptUserObj->_acJsiObj), "kxw-preserved-wrapper");
        }
    }

    static void WeakPointerZones(JSTracer* mptTracer, void* mpvData) {
        auto* ptEngine = static_cast<KxwJswEngine*>(mpvData);
        size_t n = 0;
        while (n < ptEngine->_nRegistered) {
            KxwJswUserObjBase* ptUserObj = ptEngine->_pptRegistry[n];
            JS::Heap<JSObject*>& rtHandle = HeapOf(ptUserObj->_acJsiObj);
            JSObject* ptDying = rtHandle.unbarrieredGet();
            if (JS_UpdateWeakPointerAfterGC(mptTracer, &rtHandle)) {
                ++n;
                continue;
            }
            // The engine object dies in this collection: cut it here, while both sides are known to be intact,
            // so that its finalizer finds nothing and no later step can reach a deleted user object through it.
            SetUserObjSlot(ptDying, nullptr);
            ptEngine->Unregister(ptUserObj);  // moves the last entry to n
            if (ptUserObj->GetShouldBeDeletedAtFinalize()) ptEngine->QueueDelete(ptUserObj);
        }
    }

    static bool Interrupt(JSContext* mptCx) {
        auto* ptEngine = static_cast<KxwJswEngine*>(JS_GetContextPrivate(mptCx));
        if (!ptEngine) return true;
        // A library operation may have found the deadline passed first and stopped early.
        if (!ptEngine->_bInterrupted && !KxwJswProcessWatchdog::Instance().IsPastDeadline(ptEngine->_iWatchdogSlot))
            return true;
        ptEngine->_bInterrupted = true;
        return false;  // ends the running script; try/catch/finally cannot intercept it
    }

    static void Warning(JSContext* mptCx, JSErrorReport* mptReport) {
        // The engine warns when the watchdog stops a script; the evaluation reports that stop itself.
        auto* ptEngine = static_cast<KxwJswEngine*>(JS_GetContextPrivate(mptCx));
        if (ptEngine && ptEngine->_bInterrupted) return;
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, "JavaScript warning: %.1000s (%.200s, line %u)",
                                 mptReport->message() ? mptReport->message().c_str() : "",
                                 mptReport->filename ? mptReport->filename : "", mptReport->lineno);
    }
};

KxwJswEngine::KxwJswEngine(JSContext* mptCx, const KxwJswEngineOptions& mrtOptions)
    : _ptCx(mptCx), _uScriptTimeLimitMs(mrtOptions._uScriptTimeLimitMs) {}

KxwJswEngine* KxwJswEngine::Create(const KxwJswEngineOptions& mrtOptions) {
    if (gptCurrentEngine) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "This thread already has an engine in KxwJswEngine::Create");
        return nullptr;
    }
    JSRuntime* ptParent = KxwJswProcess::GetParentRuntime();
    if (!ptParent) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwJswProcess::Init was not called before KxwJswEngine::Create");
        return nullptr;
    }
    JSContext* ptCx = JS_NewContext(mrtOptions._uMaxHeapBytes, ptParent);
    if (!ptCx) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "JS_NewContext failed in KxwJswEngine::Create");
        return nullptr;
    }
    JS_SetNativeStackQuota(ptCx, mrtOptions._nNativeStackQuota ? mrtOptions._nNativeStackQuota : DefaultStackQuota());
    if (!JS::InitSelfHostedCode(ptCx)) {
        JS_DestroyContext(ptCx);
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "JS::InitSelfHostedCode failed in KxwJswEngine::Create");
        return nullptr;
    }
    JS_SetGCParameter(ptCx, JSGC_INCREMENTAL_GC_ENABLED, mrtOptions._bIncrementalGC ? 1 : 0);
    auto* ptEngine = new KxwJswEngine(ptCx, mrtOptions);
    JS_SetContextPrivate(ptCx, ptEngine);
    gptCurrentEngine = ptEngine;
    JS_AddExtraGCRootsTracer(ptCx, &KxwJswEngineCallbacks::TraceRoots, ptEngine);
    JS_AddWeakPointerZonesCallback(ptCx, &KxwJswEngineCallbacks::WeakPointerZones, ptEngine);
    JS_AddInterruptCallback(ptCx, &KxwJswEngineCallbacks::Interrupt);
    JS::SetWarningReporter(ptCx, &KxwJswEngineCallbacks::Warning);
    js::SetWindowProxyClass(ptCx, WindowProxyClass());
    ptEngine->_iWatchdogSlot = KxwJswProcessWatchdog::Instance().AddContext(ptCx);
    if (!ptEngine->InitGlobal()) {
        delete ptEngine;
        return nullptr;
    }
    return ptEngine;
}

bool KxwJswEngine::InitGlobal() {
    _ptMainGlobal = KxwJswGlobal::Create(this, nullptr);
    if (!_ptMainGlobal) return false;
    AddGlobal(_ptMainGlobal);
    _pvOuterRealm = JS::EnterRealm(_ptCx, _ptMainGlobal->GetObject());
    _bInMainRealm = true;
    return true;
}

void KxwJswEngine::AddGlobal(KxwJswGlobal* mptGlobal) {
    mptGlobal->_ptNext = _ptFirstGlobal;
    _ptFirstGlobal = mptGlobal;
}

void KxwJswEngine::ForgetGlobal(KxwJswGlobal* mptGlobal) {
    for (KxwJswGlobal** pptLink = &_ptFirstGlobal; *pptLink; pptLink = &(*pptLink)->_ptNext) {
        if (*pptLink != mptGlobal) continue;
        *pptLink = mptGlobal->_ptNext;
        break;
    }
    if (mptGlobal == _ptMainGlobal) _ptMainGlobal = nullptr;
}

KxwJswGlobal* KxwJswEngine::CreateGlobal(KxwJswGlobalOwner* mptOwner) {
    if (!_ptMainGlobal) return nullptr;
    KxwJswGlobal* ptGlobal = KxwJswGlobal::Create(this, _ptMainGlobal->GetObject());
    if (!ptGlobal) return nullptr;
    AddGlobal(ptGlobal);
    ptGlobal->SetOwner(mptOwner);
    return ptGlobal;
}

void KxwJswEngine::ReleaseGlobal(KxwJswGlobal* mptGlobal) {
    if (!mptGlobal || mptGlobal == _ptMainGlobal) return;
    mptGlobal->Release();
}

size_t KxwJswEngine::GetGlobalCount() const {
    size_t nCount = 0;
    for (const KxwJswGlobal* ptGlobal = _ptFirstGlobal; ptGlobal; ptGlobal = ptGlobal->_ptNext) ++nCount;
    return nCount;
}

KxwJswGlobal* KxwJswEngine::GetCurrentGlobal() const {
    return KxwJswGlobal::OfObject(JS::CurrentGlobalOrNull(_ptCx));
}

void KxwJswEngine::CutRegisteredUserObjects() {
    // Objects whose engine objects still live: cut every one; those the engine objects own are deleted here,
    // C++-owned ones live on without engine objects.
    while (_nRegistered > 0) {
        KxwJswUserObjBase* ptUserObj = _pptRegistry[_nRegistered - 1];
        JS::Heap<JSObject*>& rtHandle = HeapOf(ptUserObj->_acJsiObj);
        if (JSObject* ptObj = rtHandle.unbarrieredGet()) SetUserObjSlot(ptObj, nullptr);
        rtHandle = nullptr;
        Unregister(ptUserObj);
        if (!(ptUserObj->_ucJswFlags & KxwJswUserObjBase::kFlagPendingDelete) &&
            ptUserObj->GetShouldBeDeletedAtFinalize())
            QueueDelete(ptUserObj);
    }
}

bool KxwJswEngine::RenewMainGlobal() {
    KxwJswGlobal* ptOld = _ptMainGlobal;
    if (!ptOld || !ptOld->GetObject()) return false;
    // In the old one's compartment, as every global of the engine is.
    KxwJswGlobal* ptNew = KxwJswGlobal::Create(this, ptOld->GetObject());
    if (!ptNew) return false;
    AddGlobal(ptNew);
    if (_bInMainRealm) JS::LeaveRealm(_ptCx, static_cast<JS::Realm*>(_pvOuterRealm));
    _pvOuterRealm = JS::EnterRealm(_ptCx, ptNew->GetObject());
    _bInMainRealm = true;
    _ptMainGlobal = ptNew;
    ptOld->Shutdown();
    return true;
}

size_t KxwJswEngine::ReleaseUserObjects() {
    if (_iEvaluationDepth > 0) return 0;  // never under a running script
    FinishIncrementalCollection();
    // The scripts of the next iteration that run outside any page start with no variables of this one.
    if (!RenewMainGlobal())
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "The engine's own global could not be made again in "
                                              "KxwJswEngine::ReleaseUserObjects");
    CollectGarbage();
    size_t nCut = _nRegistered;
    CutRegisteredUserObjects();
    DeletePendingUserObjs();
    return nCut;
}

KxwJswEngine::~KxwJswEngine() {
    FinishIncrementalCollection();
    CutRegisteredUserObjects();
    int iDepth = _iEvaluationDepth;
    _iEvaluationDepth = 0;
    _bEnding = true;  // nothing waits any more
    DeletePendingUserObjs();
    _iEvaluationDepth = iDepth;
    std::free(_pptRegistry);
    std::free(_pptPendingDeletes);

    KxwJswProcessWatchdog::Instance().RemoveContext(_iWatchdogSlot);
    JS_RemoveExtraGCRootsTracer(_ptCx, &KxwJswEngineCallbacks::TraceRoots, this);
    JS_RemoveWeakPointerZonesCallback(_ptCx, &KxwJswEngineCallbacks::WeakPointerZones);
    // Left before the context's last collection: a context still in a realm would have the collection read
    // that realm after freeing it.
    if (_bInMainRealm) JS::LeaveRealm(_ptCx, static_cast<JS::Realm*>(_pvOuterRealm));
    _bInMainRealm = false;
    // Every global lets go of its roots and prototypes while the engine still runs; the collection at the
    // context's end then finalizes them, and what it does not reach is deleted after it.
    for (KxwJswGlobal* ptGlobal = _ptFirstGlobal; ptGlobal; ptGlobal = ptGlobal->_ptNext) ptGlobal->Shutdown();
    JS_SetContextPrivate(_ptCx, nullptr);
    JS_DestroyContext(_ptCx);
    while (_ptFirstGlobal) {
        KxwJswGlobal* ptGlobal = _ptFirstGlobal;
        _ptFirstGlobal = ptGlobal->_ptNext;
        ptGlobal->_ptEngine = nullptr;
        delete ptGlobal;
    }
    if (gptCurrentEngine == this) gptCurrentEngine = nullptr;
}

KxwJswEngine* KxwJswEngine::Current() {
    return gptCurrentEngine;
}

JSObject* KxwJswEngine::GetGlobal() const {
    return _ptMainGlobal ? _ptMainGlobal->GetObject() : nullptr;
}

void KxwJswEngine::CollectGarbage(bool mbShrinking) {
    JS::PrepareForFullGC(_ptCx);
    JS::NonIncrementalGC(_ptCx, mbShrinking ? JS::GCOptions::Shrink : JS::GCOptions::Normal, JS::GCReason::API);
    // An explicit collection is asked for at a point where no C++ caller holds the objects it frees.
    DeletePendingUserObjs();
}

bool KxwJswEngine::StartIncrementalCollection(int64_t mllWork) {
    // Slices issued on a finished collection crash the engine: each one is asked for only while one runs.
    if (!JS::IsIncrementalGCInProgress(_ptCx)) {
        JS::PrepareForFullGC(_ptCx);
        JS::StartIncrementalGC(_ptCx, JS::GCOptions::Normal, JS::GCReason::API,
                               js::SliceBudget(js::WorkBudget(std::max<int64_t>(mllWork, 1))));
    }
    return JS::IsIncrementalGCInProgress(_ptCx);
}

bool KxwJswEngine::ContinueIncrementalCollection(int64_t mllWork) {
    if (!JS::IsIncrementalGCInProgress(_ptCx)) return false;
    JS::PrepareForIncrementalGC(_ptCx);
    JS::IncrementalGCSlice(_ptCx, JS::GCReason::API, js::SliceBudget(js::WorkBudget(std::max<int64_t>(mllWork, 1))));
    return JS::IsIncrementalGCInProgress(_ptCx);
}

void KxwJswEngine::FinishIncrementalCollection() {
    if (!JS::IsIncrementalGCInProgress(_ptCx)) return;
    JS::PrepareForIncrementalGC(_ptCx);
    JS::FinishIncrementalGC(_ptCx, JS::GCReason::API);
}

bool KxwJswEngine::IsIncrementalCollectionInProgress() const {
    return JS::IsIncrementalGCInProgress(_ptCx);
}

bool KxwJswEngine::IsMarkingIncrementally() const {
    return JS::IsIncrementalBarrierNeeded(_ptCx);
}

size_t KxwJswEngine::GetGCHeapBytes() const {
    return JS_GetGCParameter(_ptCx, JSGC_BYTES);
}

void KxwJswEngine::Register(KxwJswUserObjBase* mptUserObj) {
    if (mptUserObj->_ucJswFlags & KxwJswUserObjBase::kFlagRegistered) return;
    if (_nRegistered == _nRegistryCapacity) {
        size_t nNew = _nRegistryCapacity ? _nRegistryCapacity * 2 : 256;
        void* pvGrown = std::realloc(_pptRegistry, nNew * sizeof(KxwJswUserObjBase*));
        if (!pvGrown) KxwUtilOutOfMemoryAbort(static_cast<long>(nNew * sizeof(void*)), "the engine's object registry");
        _pptRegistry = static_cast<KxwJswUserObjBase**>(pvGrown);
        _nRegistryCapacity = nNew;
    }
    mptUserObj->_uRegistryIndex = static_cast<uint32_t>(_nRegistered);
    _pptRegistry[_nRegistered++] = mptUserObj;
    mptUserObj->_ucJswFlags |= KxwJswUserObjBase::kFlagRegistered;
}

void KxwJswEngine::Unregister(KxwJswUserObjBase* mptUserObj) {
    if (!(mptUserObj->_ucJswFlags & KxwJswUserObjBase::kFlagRegistered)) return;
    size_t nIndex = mptUserObj->_uRegistryIndex;
    if (nIndex >= _nRegistered || _pptRegistry[nIndex] != mptUserObj) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Object %p not found in the registry in KxwJswEngine::Unregister. this=%p", static_cast<void*>(mptUserObj),
            static_cast<void*>(this));
        mptUserObj->_ucJswFlags &= ~KxwJswUserObjBase::kFlagRegistered;
        return;
    }
    KxwJswUserObjBase* ptLast = _pptRegistry[--_nRegistered];
    _pptRegistry[nIndex] = ptLast;
    ptLast->_uRegistryIndex = static_cast<uint32_t>(nIndex);
    mptUserObj->_ucJswFlags &= ~KxwJswUserObjBase::kFlagRegistered;
}

void KxwJswEngine::QueueDelete(KxwJswUserObjBase* mptUserObj) {
    if (mptUserObj->_ucJswFlags & KxwJswUserObjBase::kFlagPendingDelete) return;
    if (_nPendingDeletes == _nPendingCapacity) {
        size_t nNew = _nPendingCapacity ? _nPendingCapacity * 2 : 64;
        void* pvGrown = std::realloc(_pptPendingDeletes, nNew * sizeof(KxwJswUserObjBase*));
        if (!pvGrown) KxwUtilOutOfMemoryAbort(static_cast<long>(nNew * sizeof(void*)), "the engine's deletion queue");
        _pptPendingDeletes = static_cast<KxwJswUserObjBase**>(pvGrown);
        _nPendingCapacity = nNew;
    }
    _pptPendingDeletes[_nPendingDeletes++] = mptUserObj;
    mptUserObj->_ucJswFlags |= KxwJswUserObjBase::kFlagPendingDelete;
}

void KxwJswEngine::ForgetPendingDelete(KxwJswUserObjBase* mptUserObj) {
    for (size_t n = 0; n < _nPendingDeletes; ++n) {
        if (_pptPendingDeletes[n] != mptUserObj) continue;
        _pptPendingDeletes[n] = _pptPendingDeletes[--_nPendingDeletes];
        break;
    }
    mptUserObj->_ucJswFlags &= ~KxwJswUserObjBase::kFlagPendingDelete;
}

void KxwJswEngine::DeletePendingUserObjs() {
    if (_bDeleting || _iEvaluationDepth > 0) return;
    _bDeleting = true;
    size_t nKept = 0;
    while (_nPendingDeletes > nKept) {
        KxwJswUserObjBase* ptUserObj = _pptPendingDeletes[nKept];
        if (!_bEnding && ptUserObj->IsDeletionDeferred()) {
            ++nKept;  // asked again at the next safe point
            continue;
        }
        _pptPendingDeletes[nKept] = _pptPendingDeletes[--_nPendingDeletes];
        ptUserObj->_ucJswFlags &= ~KxwJswUserObjBase::kFlagPendingDelete;
        delete ptUserObj;
    }
    _bDeleting = false;
}

JSObject* KxwJswEngine::ObtainPrototype(const KxwJswClassInformation* mptClassInfo) {
    JS::RootedObject tGlobal(_ptCx, JS::CurrentGlobalOrNull(_ptCx));
    return kxwjsw::ObtainPrototype(_ptCx, tGlobal, mptClassInfo);
}

// ---------------------------------------------------------------------------------------------------------------
// EvaluationScope

KxwJswEngine::EvaluationScope::EvaluationScope(KxwJswEngine* mptEngine, KxwJswUserObjBase* mptInitiator,
                                               KxwJswUserObjBase* mptScope)
    : _ptEngine(mptEngine),
      _ptPrevInitiator(mptEngine->_ptScriptInitiator),
      _ptPrevScope(mptEngine->_ptScopeUserObj),
      _bOutermost(mptEngine->_iEvaluationDepth == 0) {
    ++_ptEngine->_iEvaluationDepth;
    if (mptInitiator) _ptEngine->_ptScriptInitiator = mptInitiator;
    if (mptScope) _ptEngine->_ptScopeUserObj = mptScope;
    if (_bOutermost) {
        _ptEngine->_bInterrupted = false;
        uint32_t uLimitMs = _ptEngine->_uScriptTimeLimitMs;
        _ptEngine->_llDeadlineMs = uLimitMs ? SteadyNowMs() + uLimitMs : INT64_MAX;
        KxwJswProcessWatchdog::Instance().SetDeadline(_ptEngine->_iWatchdogSlot, uLimitMs);
    }
}

KxwJswEngine::EvaluationScope::~EvaluationScope() {
    _ptEngine->_ptScriptInitiator = _ptPrevInitiator;
    _ptEngine->_ptScopeUserObj = _ptPrevScope;
    --_ptEngine->_iEvaluationDepth;
    if (_bOutermost) {
        _ptEngine->_llDeadlineMs = INT64_MAX;
        KxwJswProcessWatchdog::Instance().SetDeadline(_ptEngine->_iWatchdogSlot, 0);
        _ptEngine->DeletePendingUserObjs();
    }
}

bool KxwJswEngine::IsPastScriptDeadline() {
    if (_llDeadlineMs == INT64_MAX) return false;
    if (!_bInterrupted && SteadyNowMs() < _llDeadlineMs) return false;
    _bInterrupted = true;
    return true;
}

bool KxwJswEngine::EvaluationScope::WasInterrupted() const {
    return _ptEngine->_bInterrupted;
}
