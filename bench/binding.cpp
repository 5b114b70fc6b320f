// Measures the script binding: property reads and method calls from script on a bound object, compiling a large
// script in a virtual user against instantiating it there from the shared cache (neither runs it), and the resident
// memory of many virtual users each with an engine, a global and 1,000 bound objects. Prints one line of figures.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "KxwJswClassInformation.h"
#include "KxwJswUserObjBase.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"

namespace {

class BenchObject : public KxwJswUserObjBase {
public:
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue) override {
        if (mnTinyId != -128) return false;
        mrtValue.SetInt(_iNumber);
        return true;
    }
    bool SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue) override {
        if (mnTinyId != -128) return false;
        _iNumber = mrtValue.GetInt();
        return true;
    }
    int32_t _iNumber = 1;
};

bool add_callback(KxwJswUserObjBase*, unsigned mnArgc, void** mpapvArgv, unsigned*, KXW_JSW_OBJ_PROP_TYPE_ENUM*,
                  void** mppvRetVal, unsigned*, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    if (mnArgc < 2) return false;
    *mppvRetVal =
        reinterpret_cast<void*>(reinterpret_cast<intptr_t>(mpapvArgv[0]) + reinterpret_cast<intptr_t>(mpapvArgv[1]));
    *mpeRetValType = KXW_JSW_OBJ_PROP_TYPE_INT;
    return true;
}

const KxwJswPropertySpec katProperties[] = {{"number", 128, KXW_JSW_PROP_PERMANENT, "i"}, {nullptr, 0, 0, nullptr}};
const KxwJswMethodSpec katMethods[] = {{"add", add_callback, "ii", 2}, {nullptr, nullptr, nullptr, 0}};
const KxwJswClassInformation ktClassInfo(nullptr, "BenchObject", katProperties, katMethods);
const KxwJswClassInformation* BenchObject::GetClassInformation() const {
    return &ktClassInfo;
}

double NowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double RssMb() {
    std::ifstream tStatm("/proc/self/statm");
    long liSize = 0, liResident = 0;
    tStatm >> liSize >> liResident;
    return static_cast<double>(liResident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

bool Run(KxwHswApi& mrtApi, const std::string& mdsScript, bool mbUseCache, KxwJsval* mptResult = nullptr) {
    KxwJswScriptEvaluationNotifier tNotifier;
    return mrtApi.EvaluateUtf8(tNotifier, nullptr, mdsScript.data(), mdsScript.size(), "bench.js", 1, mptResult,
                               mbUseCache);
}

void Bind(KxwJswEngine* mptEngine, const char* mpszName, KxwJswUserObjBase* mptUserObj) {
    KxwJsval tGlobal;
    tGlobal.SetObject(mptEngine->GetGlobal());
    KxwJsval tValue;
    tValue.SetDomObject(mptUserObj);
    tGlobal.SetProperty(mpszName, tValue);
}

// A library-sized script: many functions with loops, closures, objects and strings, defined but mostly not run,
// as pages load their libraries.
std::string MakeLargeScript(size_t mnBytes) {
    std::string dsScript = "var lib = {};\n";
    for (int i = 0; dsScript.size() < mnBytes; ++i) {
        std::string dsN = std::to_string(i);
        dsScript += "lib.fn" + dsN +
                    " = function(a, b) {\n  var out = [], k;\n  for (k = 0; k < a.length; k++) {\n"
                    "    if (a[k] && typeof a[k] === 'object') { out.push(lib.fn" +
                    dsN +
                    "(a[k], b)); }\n"
                    "    else if (typeof b === 'function') { out.push(b(a[k], k, 'item" +
                    dsN +
                    "')); }\n"
                    "    else { out.push(String(a[k]).replace(/\\s+/g, ' ') + '" +
                    dsN +
                    "'); }\n  }\n"
                    "  return { list: out, size: out.length, tag: 'fn" +
                    dsN + "', when: function() { return k; } };\n};\n";
    }
    return dsScript + "Object.keys(lib).length";
}

double Median(std::vector<double> mtValues) {
    std::sort(mtValues.begin(), mtValues.end());
    return mtValues[mtValues.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int iVUsers = argc > 1 ? std::atoi(argv[1]) : 200;
    if (!KxwJswProcess::Init()) return 1;

    double dfReadsPerS = 0, dfCallsPerS = 0, dfCompileMs = 0, dfCachedMs = 0;
    std::thread tMain([&] {
        KxwJswEngine* ptEngine = KxwJswEngine::Create();
        {
            KxwHswApi tApi(ptEngine);
            BenchObject tObj;
            Bind(ptEngine, "o", &tObj);
            const int kLoops = 2000000;
            Run(tApi, "var s = 0; for (var i = 0; i < 1000; ++i) s += o.number + o.add(i, 1);", true);  // warm up
            double dfStart = NowMs();
            Run(tApi, "var s = 0; for (var i = 0; i < " + std::to_string(kLoops) + "; ++i) s += o.number; s", true);
            dfReadsPerS = kLoops / ((NowMs() - dfStart) / 1000.0);
            dfStart = NowMs();
            Run(tApi, "var s = 0; for (var i = 0; i < " + std::to_string(kLoops) + "; ++i) s = o.add(s, 1); s", true);
            dfCallsPerS = kLoops / ((NowMs() - dfStart) / 1000.0);
        }
        delete ptEngine;

        // Compiling in a fresh virtual user each time, against instantiating the cached form in a fresh one.
        std::string dsLarge = MakeLargeScript(300 * 1024);
        std::u16string dsLarge16(dsLarge.begin(), dsLarge.end());
        std::vector<double> tCompile, tCached;
        for (int iRound = 0; iRound < 7; ++iRound) {
            for (int iCached = 0; iCached < 2; ++iCached) {
                KxwJswEngine* ptFresh = KxwJswEngine::Create();
                {
                    KxwHswApi tApi(ptFresh);
                    if (iCached && iRound == 0) {  // fills the cache once
                        KxwJswScriptEvaluationNotifier tNotifier;
                        tApi.Compile(tNotifier, dsLarge16.data(), dsLarge16.size(), "bench.js", 1, true);
                    }
                    // The realm's first use of the standard classes is paid by any first script; keep it out of both.
                    Run(tApi, "[1].map(String); 'a b'.replace(/\\s+/g, ' '); Object.keys({})", false);
                    double dfStart = NowMs();
                    KxwJswScriptEvaluationNotifier tNotifier;
                    if (!tApi.Compile(tNotifier, dsLarge16.data(), dsLarge16.size(), "bench.js", 1, iCached == 1))
                        std::fprintf(stderr, "large script failed\n");
                    (iCached ? tCached : tCompile).push_back(NowMs() - dfStart);
                }
                delete ptFresh;
            }
        }
        dfCompileMs = Median(tCompile);
        dfCachedMs = Median(tCached);
    });
    tMain.join();

    // Many virtual users at once, each holding its engine, global and 1,000 bound objects.
    double dfBaseRss = RssMb();
    std::mutex tMutex;
    std::condition_variable tChanged;
    int iReady = 0;
    bool bRelease = false;
    std::vector<std::thread> tThreads;
    for (int i = 0; i < iVUsers; ++i) {
        tThreads.emplace_back([&] {
            KxwJswEngine* ptEngine = KxwJswEngine::Create();
            {
                KxwHswApi tApi(ptEngine);
                std::vector<BenchObject> tObjects(1000);
                for (BenchObject& rtObj : tObjects) rtObj.GetJsiObj();
                Bind(ptEngine, "o", &tObjects[0]);
                Run(tApi, "var s = 0; for (var i = 0; i < 100; ++i) s += o.number;", true);
                ptEngine->CollectGarbage();
                std::unique_lock<std::mutex> tLock(tMutex);
                ++iReady;
                tChanged.notify_all();
                tChanged.wait(tLock, [&] { return bRelease; });
            }
            delete ptEngine;
        });
    }
    double dfPeakRss;
    {
        std::unique_lock<std::mutex> tLock(tMutex);
        tChanged.wait(tLock, [&] { return iReady == iVUsers; });
        dfPeakRss = RssMb();
        bRelease = true;
        tChanged.notify_all();
    }
    for (std::thread& rtThread : tThreads) rtThread.join();

    std::printf(
        "binding prop_reads_per_s=%.0f method_calls_per_s=%.0f compile_ms=%.2f cached_ms=%.2f vuser_rss_mb=%.3f\n",
        dfReadsPerS, dfCallsPerS, dfCompileMs, dfCachedMs, (dfPeakRss - dfBaseRss) / iVUsers);
    KxwJswProcess::ShutdownForGood();
    return 0;
}
