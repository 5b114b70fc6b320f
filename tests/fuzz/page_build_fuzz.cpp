// Fuzz target for loading a page into a document: any byte sequence goes through the page parser into the
// library's document as the player loads a page, the page's scripts write into it (each inline script runs a fixed
// script that writes markup built from the tree), and scripts then read the document's collections. A fault, a
// sanitizer report or a leak ends the run, so libFuzzer keeps the input.
//
// Built with clang -fsanitize=fuzzer (option KXW_FUZZ); the corpus under tests/fuzz/corpus/page_build is replayed
// by kxw_page_build_corpus_replay in every test run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "KxwPlayPageSource.h"
#include "KxwPlayPages.h"
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
    TheVUser();
    KxwJswEngineOptions tOptions;
    tOptions._uScriptTimeLimitMs = 1000;
    KxwJswEngine* ptEngine = KxwJswEngine::Create(tOptions);
    if (!ptEngine) std::abort();
    {
        KxwHswApi tApi(ptEngine);
        QuietNotifier tNotifier;
        KxwPlayPages tPages([&](const char16_t*, size_t, const std::string&, int) {
            tApi.EvaluateUtf8(tNotifier, nullptr, kszWriter, sizeof kszWriter - 1, "writer.js", 1);
        });
        KxwPlayPageSource tSource;
        tSource._dsBytes.assign(reinterpret_cast<const char*>(mpucData), mnSize);
        xfvKxwPlaySniffCharset(&tSource);
        tPages.LoadBytes("file:///fuzz/page.html", tSource._dsBytes.data(), tSource._dsBytes.size(),
                         tSource._dsCharset);
        tApi.EvaluateUtf8(tNotifier, nullptr, kszReader, sizeof kszReader - 1, "reader.js", 1);
        // What scripts held goes at a collection, as at the end of a step.
        ptEngine->CollectGarbage();
    }
    delete ptEngine;
    return 0;
}
