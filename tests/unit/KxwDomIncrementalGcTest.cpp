// Collection in slices over a real document: scripts change the tree between the slices, and what they attach,
// detach and hold keeps its engine objects and their expandos.
#include <gtest/gtest.h>

#include <string>

#include "KxwDomHtmlTestClasses.h"

namespace {

class KxwDomIncrementalGcTest : public KxwDomHtmlTest {
protected:
    KxwJswEngineOptions EngineOptions() const override {
        KxwJswEngineOptions tOptions;
        tOptions._bIncrementalGC = true;
        return tOptions;
    }
    // Starts a collection in the smallest slices and runs them until the roots are traced.
    void StartCollection() {
        _ptEngine->CollectGarbage();  // what the nursery holds would start out marked
        size_t nRootTraces = _ptEngine->GetRootTraceCount();
        ASSERT_TRUE(_ptEngine->StartIncrementalCollection(1));
        for (int i = 0; i < 1000000 && _ptEngine->GetRootTraceCount() == nRootTraces; ++i)
            ASSERT_TRUE(_ptEngine->ContinueIncrementalCollection(1));
        ASSERT_TRUE(_ptEngine->IsMarkingIncrementally());
    }
    void FinishCollection() {
        while (_ptEngine->ContinueIncrementalCollection(1000)) {
        }
        _ptEngine->DeletePendingUserObjs();
    }
};

// Builds a detached DIV with 30 SPANs that carry expandos, reachable only from the end of a long chain of objects.
const char kszBuildDetached[] =
    "var d = document.createElement('DIV'); for (var i = 0; i < 30; i++) { var s = document.createElement('SPAN'); "
    "s.expando = 'e' + i; d.appendChild(s); } s = null; var chain = {}; "
    "for (var k = 0, last = chain; k < 100000; k++) last = last.next = {k: k}; last.next = d; d = null";
const char kszCountExpandos[] =
    "var n = 0, c = document.body.lastChild.childNodes; for (var i = 0; i < c.length; i++) if (c[i].expando == 'e' + i) "
    "n++; n";

}  // namespace

TEST_F(KxwDomIncrementalGcTest, ASubtreeAppendedBetweenSlicesKeepsItsExpandos) {
    BuildPage("<p>page</p>");
    ASSERT_EQ("null", Eval(kszBuildDetached));
    StartCollection();
    // The script appends the subtree while the collection marks, then lets go of every reference of its own.
    Eval("var last = chain; while (last.next.next) last = last.next; document.body.appendChild(last.next); "
         "chain = last = null");
    FinishCollection();
    EXPECT_EQ("30", Eval(kszCountExpandos));
    _ptEngine->CollectGarbage();
    EXPECT_EQ("30", Eval(kszCountExpandos)) << "a later collection finds them rooted by the tree";
}

TEST_F(KxwDomIncrementalGcTest, ASubtreeRemovedBetweenSlicesLivesWhileAScriptHoldsIt) {
    BuildPage("<div id=holder></div>");
    Eval("var h = document.getElementById('holder'); for (var i = 0; i < 30; i++) { var s = "
         "document.createElement('SPAN'); s.expando = 'e' + i; h.appendChild(s); } s = null; h = null");
    StartCollection();
    // Removed from the tree while the roots were already traced: only the script's variable keeps it now.
    Eval("var kept = document.getElementById('holder'); kept.parentNode.removeChild(kept)");
    FinishCollection();
    EXPECT_EQ("30", Eval("var n = 0; for (var i = 0; i < 30; i++) if (kept.childNodes[i].expando == 'e' + i) n++; n"));
}
