// What pages cannot force of text ranges: the garbage collection of the nodes a range stands for while the range
// lives on. A range only watches its element and its text node, so once they are collected it reads nothing and
// types into a fresh node; run under the sanitizers, a range that kept a bare pointer would be a use after free.
#include <gtest/gtest.h>

#include "KxwDomHtmlTestClasses.h"
#include "KxwDomWatchDelete.h"
#include "kxw/KxwJswEngine.h"

namespace {

using KxwDomTextRangeTest = KxwDomHtmlTest;

TEST_F(KxwDomTextRangeTest, ASelectionRangeWhoseTextNodeWasCollectedTypesIntoAFreshOne) {
    BuildPage("<p id=p>Body text</p>");
    EXPECT_EQ("typed", Eval("var r = document.selection.createRange(); r.text = 'typed'; r.text"));
    KxwDomNodeBase* ptTyped = _ptDocument->GetHtmlBody()->GetDomFirstChild();
    ASSERT_NE(nullptr, ptTyped);
    KxwDomWatchDelete tWatchTyped("test", ptTyped);
    // Out of the body and referenced by no script, the node goes with the next collection.
    Eval("document.body.removeChild(document.body.firstChild); ''");
    _ptEngine->CollectGarbage();
    _ptEngine->CollectGarbage();
    ASSERT_TRUE(tWatchTyped.HasBeenDeleted());
    EXPECT_EQ("|p", Eval("[r.text, document.body.firstChild.id].join('|')"));
    EXPECT_EQ("again|again|p", Eval("r.text = 'again'; [r.text, document.body.firstChild.data,"
                                    " document.body.firstChild.nextSibling.id].join('|')"));
}

TEST_F(KxwDomTextRangeTest, ARangeWhoseElementWasCollectedReadsNothingAndIgnoresAssignments) {
    BuildPage("<form><input id=in value=kept></form><p id=p>Body text</p>");
    EXPECT_EQ("kept", Eval("var r = document.getElementById('in').createTextRange(); r.text"));
    KxwDomWatchDelete tWatchInput("test", ById("in"));
    Eval("var f = document.forms[0]; f.parentNode.removeChild(f); f = null; ''");
    _ptEngine->CollectGarbage();
    _ptEngine->CollectGarbage();
    ASSERT_TRUE(tWatchInput.HasBeenDeleted());
    EXPECT_EQ("undefined|undefined|null", Eval("r.text = 'lost'; [typeof r.text, typeof r.htmlText,"
                                               " String(r.parentElement())].join('|')"));
    EXPECT_EQ("p", Eval("document.body.firstChild.id"));
}

TEST_F(KxwDomTextRangeTest, TheSelectionOfADocumentResetInPlaceTypesIntoItsNewBody) {
    BuildPage("<p id=p>Body text</p>");
    EXPECT_EQ("None", Eval("var s = document.selection; var early = s.createRange(); early.text = 'one'; s.type"));
    // The document stays and its content goes, the body the selection stood for with it.
    _ptDocument->Reset();
    BuildPage("<p id=q>New page</p>");
    EXPECT_EQ("true|two||null|true|two",
              Eval("var late = s.createRange(); late.text = 'two'; early.text = 'three';"
                   " [s === document.selection, late.text, early.text, String(early.parentElement()),"
                   " late.parentElement() === document.body, document.body.firstChild.data].join('|')"));
}

}  // namespace
