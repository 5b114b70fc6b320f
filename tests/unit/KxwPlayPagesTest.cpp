// Pages whose scripts reset or rewrite the document while the parser is still building into it: the parser may go
// on appending to elements that left the tree, and none of them is freed before the parse ends. Each test collects
// after every script, so that a node the parser still holds would be deleted there if nothing kept it.
#include <gtest/gtest.h>

#include <string>

#include "KxwDomHtmlDocument.h"
#include "KxwDomTestClasses.h"
#include "KxwPlayPages.h"
#include "kxw/KxwVUserVars.h"

namespace {

class KxwPlayPagesTest : public KxwDomScriptTest {
protected:
    void SetUp() override {
        KxwDomScriptTest::SetUp();
        _ptBinding = new KxwVUserVarsThreadBinding(&_tVUserVars);
        _ptPages = new KxwPlayPages([this](const char16_t* mpwsfText, size_t mnLen, const std::string& mdsFile,
                                           int miLine) {
            KxwTestScriptNotifier tNotifier;
            _ptApi->Evaluate(tNotifier, nullptr, mpwsfText, mnLen, mdsFile.c_str(), static_cast<unsigned>(miLine));
            if (!tNotifier._dsError.empty()) _dsErrors += tNotifier._dsError + "\n";
            _ptEngine->CollectGarbage(true);
        });
    }
    void TearDown() override {
        delete _ptPages;
        delete _ptBinding;
        KxwDomScriptTest::TearDown();
    }
    void Load(const std::string& mdsHtml) {
        _ptPages->LoadBytes("http://example.com/page.html", mdsHtml.data(), mdsHtml.size(), "");
        ASSERT_NE(nullptr, _ptPages->GetDocument());
        EXPECT_EQ(0u, _ptPages->GetDocument()->GetRetiredNodeCount()) << "retired nodes outlived the parse";
    }

    KxwVUserVars _tVUserVars{3};
    KxwVUserVarsThreadBinding* _ptBinding = nullptr;
    KxwPlayPages* _ptPages = nullptr;
    std::string _dsErrors;
};

}  // namespace

TEST_F(KxwPlayPagesTest, AScriptThatOpensTheDocumentInsideAWriteLeavesTheWriteNothingFreed) {
    Load("<html><body><p>first</p></body></html>");
    // After the load a write starts a new content; the script it writes resets the document once more while the
    // write's parser still holds the elements it builds into.
    Eval("document.write('<div><script>document.open()<\\/script><p>y</p></div>')");
    EXPECT_EQ(0u, _ptPages->GetDocument()->GetRetiredNodeCount());
    EXPECT_EQ("0", Eval("document.getElementsByTagName('P').length"));
    Eval("document.write('<p>again</p>')");
    EXPECT_EQ("again", Eval("document.getElementsByTagName('P')[0].firstChild.data"));
    EXPECT_EQ("", _dsErrors);
}

TEST_F(KxwPlayPagesTest, AnElementAScriptRemovesWhileItIsBuiltIntoOutlivesTheParse) {
    Load("<html><body><div id=a><script>var a = document.getElementById('a'); a.parentNode.removeChild(a); "
         "a = null;</script><p id=inside>x</p><script>var junk = [];</script><b>more</b></div>"
         "<p id=after>y</p></body></html>");
    // What the parser built into the removed element went with it; the rest of the page is in place.
    EXPECT_EQ("null y", Eval("String(document.getElementById('inside')) + ' ' + "
                             "document.getElementById('after').firstChild.data"));
    EXPECT_EQ("", _dsErrors);
}

TEST_F(KxwPlayPagesTest, ContentReplacedAboveTheParserWhileItBuilds) {
    Load("<html><body><div id=a><p><script>document.getElementById('a').innerHTML = '<i>new</i>'</script>"
         "<b>z</b></p></div><div id=t><span><script>document.getElementById('t').innerText = 'text'</script>"
         "<u>w</u></span></div><p id=after>y</p></body></html>");
    EXPECT_EQ("I|text|y", Eval("document.getElementById('a').firstChild.tagName + '|' + "
                               "document.getElementById('t').innerText + '|' + "
                               "document.getElementById('after').firstChild.data"));
    EXPECT_EQ("0 0", Eval("document.getElementsByTagName('B').length + ' ' + "
                          "document.getElementsByTagName('U').length"));
    EXPECT_EQ("", _dsErrors);
}

TEST_F(KxwPlayPagesTest, TheDocumentResetByAWrittenScriptDuringTheLoadKeepsParsing) {
    // During the first load a write is parsed where the script stands; a reset from inside it empties the
    // document, and the parser of the page goes on with what follows.
    Load("<html><body><p>one</p><script>document.write('<script>document.open(); document.close()<\\/script>')"
         "</script><p id=two>two</p></body></html>");
    EXPECT_EQ("", _dsErrors);
    EXPECT_NE("ERROR", Eval("String(document.getElementById('two'))").substr(0, 5));
}
