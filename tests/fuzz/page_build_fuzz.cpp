// Fuzz target for loading a page into a window: any byte sequence is served as a page to the replay engine, which
// loads it as a goto step does (its own scripts run, under a short time limit), then a fixed script writes markup
// built from the tree into it and another reads the document's collections. A fault, a
// sanitizer report or a leak ends the run, so libFuzzer keeps the input.
//
// Built with clang -fsanitize=fuzzer (option KXW_FUZZ); the corpus under tests/fuzz/corpus/page_build is replayed
// by kxw_page_build_corpus_replay in every test run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "KxwEnginePageSource.h"
#include "KxwEngineVUser.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

class QuietNotifier : public KxwJswScriptEvaluationNotifier {
public:
    void OnScriptError(const char*, const char*, unsigned) override {}
};

bool IssueNothing(KXW_WTL_SEV_LVL_ENUM) {
    return false;
}
void PrintNothing(KXW_WTL_SEV_LVL_ENUM, int, const char*, const char*, int) {}

// One virtual user for the whole run, as one thread of the player has. Each input is one iteration of it, with a
// script engine of its own: engines go before the run ends, never among the static objects at exit.
struct VUser {
    VUser() {
        _tEnvCfg._ptInitialRTS = &_tRTS;
        xfiKxwObjMgrGlobalInit(&_tEnvCfg);
        KxwObjMgr::SetWtlFuncs(&IssueNothing, &PrintNothing);
        KxwVUserVars::_fptBindToThread(&_tVUser);
        std::atexit(&xfvKxwObjMgrGlobalTerm);
    }
    KxwiRunTimeSettings _tRTS;
    KxwEnvCfg _tEnvCfg;
    KxwVUserVars _tVUser{1};
};

VUser& TheVUser() {
    static VUser* ptVUser = new VUser();
    return *ptVUser;
}

const char kszWriter[] =
    "document.write('<p id=w' + document.all.length + '>' + document.all.length + '<b>' + "
    "(document.body ? document.body.childNodes.length : -1) + '</b>');";

const char kszReader[] =
    "var n = document.all.length + document.links.length + document.forms.length + document.images.length;"
    "for (var i = 0; i < document.all.length && i < 50; i++) { var e = document.all[i]; n += e.tagName.length;"
    "  if (e.id) n += document.getElementById(e.id) ? 1 : 0; e.setAttribute('data-f', i); }"
    "if (document.body) { document.body.appendChild(document.createElement('DIV')).innerHTML = '<i>x</i>'; }"
    "String(n) + document.title;";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* mpucData, size_t mnSize) {
    VUser& rtVUser = TheVUser();
    std::string dsPage(reinterpret_cast<const char*>(mpucData), mnSize);
    KxwEngineNetwork tNetwork = [&dsPage](const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchResponse* mptResponse) {
        mptResponse->_dsFinalUrl = mrtRequest._dsUrl;
        if (mrtRequest._dsUrl != "file:///fuzz/page.html")
            return xfbKxwEngineFetchFail(mptResponse, KXW_ENGINE_FETCH_FILE, mrtRequest._dsUrl, "not served");
        mptResponse->_iStatus = 200;
        mptResponse->_dsBody = dsPage;
        return true;
    };
    double dfClockMs = 0;
    KxwEngineVUser tEngine(rtVUser._tVUser, tNetwork, nullptr, nullptr, [&dfClockMs]() { return dfClockMs; },
                           [&dfClockMs](double mdfMs) { dfClockMs += mdfMs; });
    if (!tEngine.BeginIteration(1000, nullptr)) std::abort();
    std::string dsReason;
    tEngine.OnStepStart();
    tEngine.Navigate("file:///fuzz/page.html", nullptr, &dsReason);
    QuietNotifier tNotifier;
    tEngine.Evaluate(tEngine.GetCurrentWindow(), tNotifier, kszWriter, "writer.js", 1, nullptr);
    tEngine.Evaluate(tEngine.GetCurrentWindow(), tNotifier, kszReader, "reader.js", 1, nullptr);
    tEngine.OnStepEnd();
    // What scripts held goes at a collection, as at the end of a step.
    tEngine.GetScriptEngine()->CollectGarbage();
    tEngine.EndIteration();
    return 0;
}
