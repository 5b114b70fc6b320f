// Measures the node tree from script on a 10,000-element page: appending new elements, the first
// getElementsByTagName over them (the live collection is built), reading every item by index, looking every
// element up by id, and removing them all again. Prints one line of figures (operations per second).
//   tree-ops [ELEMENTS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "KxwPlayPages.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

class Notifier : public KxwJswScriptEvaluationNotifier {
public:
    void OnScriptError(const char* mpszMessage, const char*, unsigned) override {
        std::fprintf(stderr, "script error: %s\n", mpszMessage);
    }
};

bool IssueNothing(KXW_WTL_SEV_LVL_ENUM) {
    return false;
}
void PrintNothing(KXW_WTL_SEV_LVL_ENUM, int, const char*, const char*, int) {}

// Seconds a script takes; its value must be the number of elements it handled.
double Time(KxwHswApi& mrtApi, const std::string& mdsScript, int miExpected) {
    Notifier tNotifier;
    KxwJsval tResult;
    auto tStart = std::chrono::steady_clock::now();
    bool bOK = mrtApi.EvaluateUtf8(tNotifier, nullptr, mdsScript.data(), mdsScript.size(), "tree-ops.js", 1, &tResult);
    double dfSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
    if (!bOK || tResult.GetInt() != miExpected) {
        std::fprintf(stderr, "tree-ops: the script gave %d instead of %d:\n%s\n", tResult.GetInt(), miExpected,
                     mdsScript.c_str());
        std::exit(1);
    }
    return dfSeconds;
}

}  // namespace

int main(int argc, char** argv) {
    int iElements = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (iElements <= 0) iElements = 10000;
    KxwiRunTimeSettings tRTS;
    KxwEnvCfg tEnvCfg;
    tEnvCfg._ptInitialRTS = &tRTS;
    if (xfiKxwObjMgrGlobalInit(&tEnvCfg) != 0) return 1;
    KxwObjMgr::SetWtlFuncs(&IssueNothing, &PrintNothing);
    std::string dsLine;
    {
        KxwVUserVars tVUser(1);
        KxwVUserVarsThreadBinding tBinding(&tVUser);
        KxwJswEngine* ptEngine = KxwJswEngine::Create();
        KxwHswApi tApi(ptEngine);
        {
            KxwPlayPages tPages(nullptr);
            static const char kszPage[] = "<html><head><title>t</title></head><body><p id=first>x</body></html>";
            tPages.LoadBytes("file:///bench/tree.html", kszPage, sizeof kszPage - 1, "");
            std::string dsN = std::to_string(iElements);
            double dfAppend = Time(tApi,
                                   "var b = document.body; for (var i = 0; i < " + dsN +
                                       "; i++) { var d = document.createElement('DIV'); d.id = 'd' + i; "
                                       "b.appendChild(d); } b.childNodes.length - 1",
                                   iElements);
            double dfTags = Time(tApi, "var divs = document.getElementsByTagName('DIV'); divs.length", iElements);
            double dfIndex = Time(tApi,
                                  "var n = 0; for (var i = 0; i < divs.length; i++) if (divs[i].id) n++; n",
                                  iElements);
            double dfById = Time(tApi,
                                 "var n = 0; for (var i = 0; i < " + dsN +
                                     "; i++) if (document.getElementById('d' + i)) n++; n",
                                 iElements);
            double dfRemove = Time(tApi,
                                   "var n = 0; while (divs.length) { b.removeChild(divs[divs.length - 1]); n++; } n",
                                   iElements);
            char acLine[512];
            std::snprintf(acLine, sizeof acLine,
                          "tree-ops elements=%d append_per_s=%.0f tags_first_ms=%.2f index_reads_per_s=%.0f "
                          "by_id_per_s=%.0f remove_per_s=%.0f",
                          iElements, iElements / dfAppend, dfTags * 1000, iElements / dfIndex, iElements / dfById,
                          iElements / dfRemove);
            dsLine = acLine;
        }
        ptEngine->CollectGarbage();
        delete ptEngine;
    }
    xfvKxwObjMgrGlobalTerm();
    std::printf("%s\n", dsLine.c_str());
    return 0;
}
