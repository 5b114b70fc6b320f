#include "KxwEngineTimerService.h"

#include "KxwUtilReport.h"

namespace {

thread_local KxwEngineTimerService* gtptBound = nullptr;

}  // namespace

KxwEngineTimerService::KxwEngineTimerService(Clock mtClock) : _tClock(std::move(mtClock)) {}

KxwEngineTimerService::~KxwEngineTimerService() {
    if (gtptBound == this) gtptBound = nullptr;
}

void* KxwEngineTimerService::Register(KxwEnvTimerCallback mpfCallback, void* mpvClosure, uint32_t muDelayMs) {
    if (!mpfCallback) return nullptr;
    uint64_t uId = _uNextId++;
    double dfDue = _tClock() + static_cast<double>(muDelayMs);
    _tByDue.emplace(Key(dfDue, uId), Entry{mpfCallback, mpvClosure});
    _tDueById.emplace(uId, dfDue);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(uId));
}

int KxwEngineTimerService::Unregister(void* mpvHandle) {
    uint64_t uId = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(mpvHandle));
    auto it = _tDueById.find(uId);
    if (it == _tDueById.end()) return -1;
    _tByDue.erase(Key(it->second, uId));
    _tDueById.erase(it);
    return 0;
}

unsigned KxwEngineTimerService::RunDue(unsigned muMaxRuns) {
    unsigned uRuns = 0;
    while (uRuns < muMaxRuns && !_tByDue.empty()) {
        auto it = _tByDue.begin();
        if (it->first.first > _tClock()) break;
        Entry tEntry = it->second;
        _tDueById.erase(it->first.second);
        _tByDue.erase(it);
        ++uRuns;
        // Gone from the lists before the call: the callback may register again, or unregister itself in vain.
        tEntry._pfCallback(tEntry._pvClosure);
    }
    return uRuns;
}

bool KxwEngineTimerService::GetNextDue(double* mpdfAtMs) const {
    if (_tByDue.empty()) return false;
    *mpdfAtMs = _tByDue.begin()->first.first;
    return true;
}

void KxwEngineTimerService::Clear() {
    _tByDue.clear();
    _tDueById.clear();
}

void KxwEngineTimerService::BindToThread(KxwEngineTimerService* mptService) {
    gtptBound = mptService;
}

KxwEngineTimerService* KxwEngineTimerService::GetBound() {
    return gtptBound;
}

void* KxwEngineTimerService::EnvRegister(void*, KxwEnvTimerCallback mpfCallback, void* mpvClosure,
                                         uint32_t muDelayMs) {
    if (!gtptBound) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                 "A timer was registered on a thread without a virtual user's timer service");
        return nullptr;
    }
    return gtptBound->Register(mpfCallback, mpvClosure, muDelayMs);
}

int KxwEngineTimerService::EnvUnregister(void*, void* mpvHandle) {
    return gtptBound ? gtptBound->Unregister(mpvHandle) : -1;
}
