// The per-virtual-user block of the replay engine. The engine binds one block to each virtual user's thread;
// code on that thread finds it with _fptGet. The library keeps its per-user slots here (object manager,
// run-time settings, the collection slot, the end-of-items flag).
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include "kxw/KxwExport.h"
#include "kxw/KxwParamStore.h"
#include "kxw/KxwiRunTimeSettings.h"

class KxwObjMgr;
class KxwDomHtmlCollectionGeneral;
class KxwHswApi;

enum KXW_VUSER_VARS_EXIST_ENUM {
    KXW_VUSER_VARS_MAY_BE_ABSENT = 0,
    KXW_VUSER_VARS_MUST_EXIST = 1,  // a missing block is reported
};

class KXW_API KxwVUserVars {
public:
    explicit KxwVUserVars(int miVUserId = 0);
    ~KxwVUserVars();
    KxwVUserVars(const KxwVUserVars&) = delete;
    KxwVUserVars& operator=(const KxwVUserVars&) = delete;

    // The calling thread's block, or null. mpszCaller names the asking function in the report made when a block
    // that must exist is missing.
    static KxwVUserVars* _fptGet(const char* mpszCaller, KXW_VUSER_VARS_EXIST_ENUM meExist);

    // Binds a block to the calling thread (null unbinds); returns the block bound before.
    static KxwVUserVars* _fptBindToThread(KxwVUserVars* mptVUserVars);

    int GetVUserId() const { return _iVUserId; }
    unsigned long GetSnapshotNumber() const { return _ulSnapshotNumber; }
    void SetSnapshotNumber(unsigned long mulNumber) { _ulSnapshotNumber = mulNumber; }

    KxwObjMgr* GetObjMgr() const { return _ptObjMgr; }
    void SetObjMgr(KxwObjMgr* mptObjMgr) { _ptObjMgr = mptObjMgr; }

    KxwiRunTimeSettings& GetRTS() { return _tRTS; }
    const KxwiRunTimeSettings& GetRTS() const { return _tRTS; }

    KxwDomHtmlCollectionGeneral** GetCollectionPtr() { return &_ptCollection; }

    bool IsProcessAllItemsEnded() const { return _bProcessAllItemsEnded; }
    void SetProcessAllItemsEnded(bool mbEnded) { _bProcessAllItemsEnded = mbEnded; }

    KxwHswApi* GetHswApi() const { return _ptHswApi; }
    void SetHswApi(KxwHswApi* mptHswApi) { _ptHswApi = mptHswApi; }

    // Opaque pointer the engine hands back in its callbacks.
    void* GetEngineContext() const { return _pvEngineContext; }
    void SetEngineContext(void* mpvContext) { _pvEngineContext = mpvContext; }

    // Think time and wasted time recorded for this virtual user, in milliseconds.
    double GetThinkTimeMs() const { return _dfThinkTimeMs; }
    double GetWastedTimeMs() const { return _dfWastedTimeMs; }
    void AddThinkTimeMs(double mdfMs) { _dfThinkTimeMs += mdfMs; }
    void AddWastedTimeMs(double mdfMs) { _dfWastedTimeMs += mdfMs; }

    KxwParamStore& GetParamStore() { return _tParamStore; }

    // The virtual user's own random numbers (random ordinals, multipart boundaries): seeded by the engine from the
    // run's seed, so that a run can be repeated, and never shared with other threads.
    std::mt19937& GetRandom() { return _tRandom; }
    void SeedRandom(uint32_t muSeed) { _tRandom.seed(muSeed); }

    // The name of the step being played (the section of the recorded layout that answers it).
    const std::string& GetStepName() const { return _dsStepName; }
    void SetStepName(std::string mdsName) { _dsStepName = std::move(mdsName); }

    // ---- Snapshots: where and under which numbers the step's pages are written ----
    // The virtual user's result folder; the snapshots of iteration k go into "<folder>/Iteration<k>/". Empty: none.
    const std::string& GetResultDir() const { return _dsResultDir; }
    void SetResultDir(std::string mdsDir) { _dsResultDir = std::move(mdsDir); }
    // 1 for the first iteration.
    unsigned GetIterationNumber() const { return _uIterationNumber; }
    void SetIterationNumber(unsigned muNumber) { _uIterationNumber = muNumber; }
    // The number of the running step in the steps file.
    int GetStepNumber() const { return _iStepNumber; }
    void SetStepNumber(int miNumber) { _iStepNumber = miNumber; }
    // The engine's error flag: the running step has failed.
    bool GetErrorFlag() const { return _bErrorFlag; }
    void SetErrorFlag(bool mbOn) { _bErrorFlag = mbOn; }
    // The virtual user's exit status: 0 while all is well; raised, never lowered, by what goes wrong.
    int GetExitStatus() const { return _iExitStatus; }
    void RaiseExitStatus(int miAtLeast) {
        if (_iExitStatus < miAtLeast) _iExitStatus = miAtLeast;
    }
    // A page for an alert's text was written since the engine last cleared the flag.
    bool GetAlertSnapshotMade() const { return _bAlertSnapshotMade; }
    void SetAlertSnapshotMade(bool mbMade) { _bAlertSnapshotMade = mbMade; }

private:
    int _iVUserId;
    unsigned long _ulSnapshotNumber = 0;
    KxwObjMgr* _ptObjMgr = nullptr;
    KxwiRunTimeSettings _tRTS;
    KxwDomHtmlCollectionGeneral* _ptCollection = nullptr;
    bool _bProcessAllItemsEnded = false;
    KxwHswApi* _ptHswApi = nullptr;
    void* _pvEngineContext = nullptr;
    double _dfThinkTimeMs = 0;
    double _dfWastedTimeMs = 0;
    KxwParamStore _tParamStore;
    std::string _dsStepName;
    std::mt19937 _tRandom{5489u};
    std::string _dsResultDir;
    unsigned _uIterationNumber = 1;
    int _iStepNumber = 0;
    bool _bErrorFlag = false;
    int _iExitStatus = 0;
    bool _bAlertSnapshotMade = false;
};

// Binds a block to the current thread for the scope's life and restores the previous binding afterwards.
class KXW_API KxwVUserVarsThreadBinding {
public:
    explicit KxwVUserVarsThreadBinding(KxwVUserVars* mptVUserVars)
        : _ptPrevious(KxwVUserVars::_fptBindToThread(mptVUserVars)) {}
    ~KxwVUserVarsThreadBinding() { KxwVUserVars::_fptBindToThread(_ptPrevious); }
    KxwVUserVarsThreadBinding(const KxwVUserVarsThreadBinding&) = delete;
    KxwVUserVarsThreadBinding& operator=(const KxwVUserVarsThreadBinding&) = delete;

private:
    KxwVUserVars* _ptPrevious;
};

// The calling virtual user's script evaluation interface, or null.
KXW_API KxwHswApi* xfptKxwUtilGetHswApi();
