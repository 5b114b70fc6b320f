// Measures the node tree from script, per operation, on pages of 10^3, 10^4 and 10^5 elements (or the one count
// given): appending new elements, the first getElementsByTagName over them (the live collection is built), reading
// every item by index, looking every element up by id, appending into a connected element of the large page and into
// a detached one, inserting before and removing from the middle of a long child list, setting and getting
// attributes of an element that has as many, its attributes collection, an innerHTML of as many elements, removing
// the elements again, and the teardown of the document. Prints one line of figures per count; per-operation figures
// that stay flat as the page grows are what the tree's indexes promise. Then one line for a page whose own script
// builds 1,000 elements and reads them back: its time per load.
//   tree-ops [ELEMENTS]
//   tree-ops build      (only the build page's line: the one to run under callgrind)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "KxwBenchCommon.h"
#include "KxwEngineVUser.h"
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

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point mtStart) {
    return std::chrono::duration<double>(Clock::now() - mtStart).count();
}

// Runs the scripts of one page; a script that fails, or gives another number than expected, ends the run (the
// caller still tears everything down in order).
class Session {
public:
    explicit Session(KxwEngineVUser& mrtEngine) : _rtEngine(mrtEngine) {}

    // Seconds a script takes; its value must be miExpected.
    double Time(const std::string& mdsScript, int miExpected) {
        if (!_bOK) return 0;
        auto tStart = Clock::now();
        int iValue = Value(mdsScript);
        double dfSeconds = SecondsSince(tStart);
        if (_bOK && iValue != miExpected) {
            std::fprintf(stderr, "tree-ops: the script gave %d instead of %d:\n%s\n", iValue, miExpected,
                         mdsScript.c_str());
            _bOK = false;
        }
        return dfSeconds;
    }
    int Value(const std::string& mdsScript) {
        if (!_bOK) return 0;
        Notifier tNotifier;
        KxwJsval tResult;
        if (!_rtEngine.Evaluate(_rtEngine.GetCurrentWindow(), tNotifier, mdsScript, "tree-ops.js", 1, &tResult)) {
            std::fprintf(stderr, "tree-ops: the script failed:\n%s\n", mdsScript.c_str());
            _bOK = false;
            return 0;
        }
        return tResult.GetInt();
    }
    bool IsOK() const { return _bOK; }

private:
    KxwEngineVUser& _rtEngine;
    bool _bOK = true;
};

// The figures of one page of miElements elements, as one line; false when a script failed.
bool MeasurePage(KxwEngineVUser& mrtEngine, int miElements, std::string& mrdsLine) {
    std::string dsN = std::to_string(miElements);
    // Operations on a page that is already large: a fixed number, so that their rates compare across sizes.
    constexpr int kOps = 2000;
    std::string dsOps = std::to_string(kOps);
    std::string dsReason;
    if (!mrtEngine.Navigate("file:///bench/tree.html", nullptr, &dsReason)) {
        std::fprintf(stderr, "tree-ops: %s\n", dsReason.c_str());
        return false;
    }
    Session tRun(mrtEngine);
    double dfAppend = tRun.Time("var b = document.body; for (var i = 0; i < " + dsN +
                                    "; i++) { var d = document.createElement('DIV'); d.id = 'd' + i; "
                                    "b.appendChild(d); } b.childNodes.length - 1",
                                miElements);
    double dfTags = tRun.Time("var divs = document.getElementsByTagName('DIV'); divs.length", miElements);
    double dfIndex = tRun.Time("var n = 0; for (var i = 0; i < divs.length; i++) if (divs[i].id) n++; n", miElements);
    double dfById = tRun.Time(
        "var n = 0; for (var i = 0; i < " + dsN + "; i++) if (document.getElementById('d' + i)) n++; n", miElements);
    // Into the middle element of the page, and into an element of no page; both are emptied again untimed.
    double dfConnected = tRun.Time("var c = divs[divs.length >> 1]; for (var i = 0; i < " + dsOps +
                                       "; i++) c.appendChild(document.createElement('SPAN')); c.childNodes.length",
                                   kOps);
    tRun.Value("c.innerHTML = ''; 0");
    double dfDetached = tRun.Time("var x = document.createElement('DIV'); for (var i = 0; i < " + dsOps +
                                      "; i++) x.appendChild(document.createElement('SPAN')); x.childNodes.length",
                                  kOps);
    double dfInsert = tRun.Time("var mid = b.childNodes[b.childNodes.length >> 1]; for (var i = 0; i < " + dsOps +
                                    "; i++) b.insertBefore(document.createElement('P'), mid); "
                                    "b.childNodes.length - 1 - " +
                                    dsN,
                                kOps);
    double dfRemoveMiddle = tRun.Time(
        "var n = 0; while (mid.previousSibling.nodeName == 'P') { b.removeChild(mid.previousSibling); n++; } n", kOps);
    double dfRemove =
        tRun.Time("var n = 0; while (divs.length) { b.removeChild(divs[divs.length - 1]); n++; } n", miElements);
    // An element with as many attributes as the page had elements.
    double dfAttrSet = tRun.Time("var e = document.createElement('SPAN'); b.appendChild(e); for (var i = 0; i < " +
                                     dsN + "; i++) e.setAttribute('a' + i, 'v' + i); " + dsN,
                                 miElements);
    double dfAttrGet = tRun.Time(
        "var n = 0; for (var i = 0; i < " + dsN + "; i++) if (e.getAttribute('A' + i) == 'v' + i) n++; n", miElements);
    int iDeclared = tRun.Value("document.createElement('SPAN').attributes.length");
    double dfAttributesFirst = tRun.Time("e.attributes.length - " + std::to_string(iDeclared), miElements);
    double dfAttributesLength = tRun.Time(
        "var a = e.attributes, n = 0; for (var i = 0; i < " + dsOps + "; i++) n += a.length > 0 ? 1 : 0; n", kOps);
    double dfInnerHtml = tRun.Time(
        "var h = document.createElement('DIV'); b.appendChild(h); h.innerHTML = "
        "'<div><b>x</b></div>'.repeat(" +
            dsN + "); h.getElementsByTagName('*').length / 2",
        miElements);
    int iLeft = tRun.Value("document.all.length");
    if (!tRun.IsOK()) return false;
    // What the scripts left: the innerHTML's elements and the element of many attributes.
    // The next page replaces the window's document: the old one goes.
    auto tStart = Clock::now();
    mrtEngine.Navigate("file:///bench/empty.html", nullptr, &dsReason);
    double dfTeardown = SecondsSince(tStart);
    char acLine[1024];
    std::snprintf(acLine, sizeof acLine,
                  "tree-ops elements=%d append_per_s=%.0f tags_first_ms=%.2f index_reads_per_s=%.0f by_id_per_s=%.0f "
                  "remove_per_s=%.0f append_connected_per_s=%.0f append_detached_per_s=%.0f "
                  "insert_middle_per_s=%.0f remove_middle_per_s=%.0f attr_set_per_s=%.0f attr_get_per_s=%.0f "
                  "attributes_first_ns_per_attr=%.0f attributes_length_per_s=%.0f inner_html_ns_per_element=%.0f "
                  "teardown_ns_per_element=%.0f",
                  miElements, miElements / dfAppend, dfTags * 1000, miElements / dfIndex, miElements / dfById,
                  miElements / dfRemove, kOps / dfConnected, kOps / dfDetached, kOps / dfInsert, kOps / dfRemoveMiddle,
                  miElements / dfAttrSet, miElements / dfAttrGet, dfAttributesFirst * 1e9 / miElements,
                  kOps / dfAttributesLength, dfInnerHtml * 1e9 / (2.0 * miElements),
                  dfTeardown * 1e9 / (iLeft > 0 ? iLeft : 1));
    mrdsLine = acLine;
    return true;
}

// A page whose own script builds miElements DIVs (an attribute, an id and a text each, appended to the body) and
// reads them back by id, loaded as goto loads it; the median time of a load over several.
const char* BuildPageMarkup() {
    return "<html><head><title>build</title></head><body><script>"
           "var b = document.body, n = 0;"
           "for (var i = 0; i < 1000; i++) { var d = document.createElement('DIV');"
           " d.setAttribute('class', 'c' + (i % 10)); d.id = 'd' + i;"
           " d.appendChild(document.createTextNode('item ' + i)); b.appendChild(d); }"
           "for (var i = 0; i < 1000; i++) { var e = document.getElementById('d' + i);"
           " if (e && e.firstChild.nodeValue == 'item ' + i && e.getAttribute('class') == 'c' + (i % 10)) n++; }"
           "document.title = 'built ' + n;"
           "</script></body></html>";
}

bool MeasureBuildPage(KxwEngineVUser& mrtEngine, std::string& mrdsLine) {
    constexpr int kLoads = 51;
    std::vector<double> tMs;
    std::string dsReason;
    Session tRun(mrtEngine);
    for (int n = 0; n < kLoads; ++n) {
        auto tStart = Clock::now();
        if (!mrtEngine.Navigate("file:///bench/build.html", nullptr, &dsReason)) {
            std::fprintf(stderr, "tree-ops: %s\n", dsReason.c_str());
            return false;
        }
        tMs.push_back(SecondsSince(tStart) * 1000);
        if (tRun.Value("document.title == 'built 1000' ? 1 : 0") != 1) {
            std::fprintf(stderr, "tree-ops: the build page did not build its 1000 elements\n");
            return false;
        }
    }
    std::sort(tMs.begin(), tMs.end());
    char acLine[128];
    std::snprintf(acLine, sizeof acLine, "tree-ops build_page elements=1000 ms_per_load=%.2f", tMs[tMs.size() / 2]);
    mrdsLine = acLine;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> tCounts{1000, 10000, 100000};
    if (argc > 1 && std::string(argv[1]) == "build") {
        tCounts.clear();
    } else if (argc > 1) {
        int iElements = std::atoi(argv[1]);
        if (iElements <= 0) {
            std::fprintf(stderr, "usage: tree-ops [ELEMENTS]\n");
            return 2;
        }
        tCounts = {iElements};
    }
    KxwiRunTimeSettings tRTS;
    KxwEnvCfg tEnvCfg;
    tEnvCfg._ptInitialRTS = &tRTS;
    if (xfiKxwObjMgrGlobalInit(&tEnvCfg) != 0) return 1;
    KxwObjMgr::SetWtlFuncs(&kxwbench::IssueNothing, &kxwbench::PrintNothing);
    std::vector<std::string> tLines;
    bool bOK = true;
    {
        KxwVUserVars tVUser(1);
        KxwVUserVarsThreadBinding tBinding(&tVUser);
        // The pages come from memory: the first is the page that grows, the second an empty one.
        KxwEngineNetwork tNetwork = [](const KxwEngineFetchRequest& mrtRequest, KxwEngineFetchResponse* mptResponse) {
            mptResponse->_dsFinalUrl = mrtRequest._dsUrl;
            mptResponse->_iStatus = 200;
            mptResponse->_dsBody = mrtRequest._dsUrl.find("tree") != std::string::npos
                                       ? "<html><head><title>t</title></head><body><p id=first>x</body></html>"
                                   : mrtRequest._dsUrl.find("build") != std::string::npos
                                       ? BuildPageMarkup()
                                       : "<html><body></body></html>";
            return true;
        };
        double dfClockMs = 0;
        KxwEngineVUser tEngine(tVUser, tNetwork, nullptr, nullptr, [&dfClockMs]() { return dfClockMs; },
                               [&dfClockMs](double mdfMs) { dfClockMs += mdfMs; });
        // The figures are the point: no script is stopped at the player's limit.
        if (!tEngine.BeginIteration(0, nullptr)) return 1;
        KxwJswEngine* ptEngine = tEngine.GetScriptEngine();
        {
            for (int iElements : tCounts) {
                std::string dsLine;
                if (!MeasurePage(tEngine, iElements, dsLine)) {
                    bOK = false;
                    break;
                }
                tLines.push_back(dsLine);
                // Each line as soon as it is measured; the larger pages take a while.
                std::printf("%s\n", dsLine.c_str());
                std::fflush(stdout);
                ptEngine->CollectGarbage();
            }
        }
        if (bOK) {
            std::string dsLine;
            bOK = MeasureBuildPage(tEngine, dsLine);
            if (bOK) std::printf("%s\n", dsLine.c_str());
        }
        ptEngine->CollectGarbage();
        tEngine.EndIteration();
    }
    // Everything is torn down in order before the process ends, failure or not.
    xfvKxwObjMgrGlobalTerm();
    return bOK ? 0 : 1;
}
