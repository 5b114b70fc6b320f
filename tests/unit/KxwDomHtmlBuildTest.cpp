// The exported building interface end to end, as the engine uses it: a stand-alone document for the virtual
// user, a page built into it by a parser that knows only the interface, the page checked through scripts run
// against the global "document", scripts waiting for their source, and what bad arguments get.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KxwDomHtmlTestClasses.h"
#include "KxwRecordingSink.h"
#include "kxw/KxwDomHtmlBuild.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwVUserVars.h"

namespace {

const char kszPage[] =
    "<html><head><title>Shop</title><meta http-equiv=Content-Type content='text/html; charset=iso-8859-1'></head>"
    "<body><h1 id=top>Welcome</h1>"
    "<form name=myForm action=/login><input name=user><input type=password name=pass>"
    "<input type=submit value=Go></form>"
    "<a href=/cart id=cart>Cart</a> <a href=http://other.example.com/x>Elsewhere</a> <a name=bottom>end</a>"
    "<img name=logo src=logo.gif><img src=/spacer.gif>"
    "<table><tr><td>1</td><td>2</td></tr></table><!-- footer --></body></html>";

class KxwDomHtmlBuildTest : public KxwDomScriptTest {
protected:
    void SetUp() override {
        KxwDomScriptTest::SetUp();
        _ptBinding = new KxwVUserVarsThreadBinding(&_tVUserVars);
        _ptDocument = xfptKxwDomHtmlBuildNewDocument("http://shop.example.com/index.html", 34, "iso-8859-1");
        ASSERT_NE(nullptr, _ptDocument);
        // The engine's parser receives the markup of write and innerHTML.
        _ptRecorder = new KxwTestNotificationRecorder(true);
    }
    void TearDown() override {
        delete _ptRecorder;
        if (_ptDocument) xfvKxwDomHtmlBuildDeleteDocument(_ptDocument);
        delete _ptBinding;
        KxwDomScriptTest::TearDown();
    }
    // The load of a page as the engine drives it.
    void Load(const std::string& mdsHtml) {
        xfvKxwDomHtmlBuildNotifyDownloading(_ptDocument, true);
        xfvKxwDomHtmlBuildNotifyHtmlParsing(_ptDocument, true);
        xfliKxwDomHtmlBuildIncrementParsingDepth(_ptDocument);
        KxwTestPageBuilder::Build(xfptKxwDomHtmlBuildDocumentAsNode(_ptDocument), mdsHtml);
        xfliKxwDomHtmlBuildDecrementParsingDepth(_ptDocument);
        bool bRemoved = false;
        EXPECT_TRUE(xfbKxwDomHtmlBuildIsEndOfResponseEndOfParsing(_ptDocument, &bRemoved));
        xfvKxwDomHtmlBuildNotifyHtmlParsing(_ptDocument, false);
        xfvKxwDomHtmlBuildNotifyDownloading(_ptDocument, false);
        xfvKxwDomHtmlBuildSetInitialProcessingEnded(_ptDocument, true);
    }

    KxwVUserVars _tVUserVars{7};
    KxwVUserVarsThreadBinding* _ptBinding = nullptr;
    KxwDomHtmlDocument* _ptDocument = nullptr;
    KxwTestNotificationRecorder* _ptRecorder = nullptr;
};

TEST_F(KxwDomHtmlBuildTest, APageBuiltThroughTheInterfaceIsTheScriptsDocument) {
    Load(kszPage);
    EXPECT_EQ("BODY|HTML|HEAD|Shop", Eval("[document.body.tagName, document.documentElement.tagName, "
                                          "document.documentElement.firstChild.tagName, document.title].join('|')"));
    EXPECT_EQ("1|myForm|FORM|FORM|3", Eval("[document.forms.length, document.forms[0].name, document.myForm.tagName, "
                                           "document.forms.myForm.tagName, "
                                           "document.myForm.getElementsByTagName('INPUT').length].join('|')"));
    EXPECT_EQ("2|http://shop.example.com/cart|http://other.example.com/x|2|cart|bottom",
              Eval("[document.links.length, document.links[0].href, document.links[1].href, document.anchors.length, "
                   "document.anchors[0].id, document.anchors[1].name].join('|')"));
    EXPECT_EQ("2|http://shop.example.com/logo.gif|IMG", Eval("[document.images.length, document.images[0].src, "
                                                             "document.logo.tagName].join('|')"));
    EXPECT_EQ("Welcome|H1|Cart", Eval("[document.getElementById('top').innerText, document.all.top.tagName, "
                                      "document.all.cart.innerText].join('|')"));
    EXPECT_EQ("2|3|1", Eval("[document.getElementsByTagName('td').length, document.all.tags('A').length, "
                            "document.getElementsByTagName('TABLE').length].join('|')"));
    EXPECT_EQ("20|HTML|#comment",
              Eval("var all = document.all; [all.length, all[0].tagName, all[19].nodeName].join('|')"));
    EXPECT_EQ("8| footer ", Eval("var c = document.body.lastChild; c.nodeType + '|' + c.text"));
    EXPECT_EQ("complete", Eval("document.readyState"));
}

TEST_F(KxwDomHtmlBuildTest, CollectionsStayLiveAfterScriptInsertions) {
    Load(kszPage);
    EXPECT_EQ("2|3|4|2",
              Eval("var tds = document.getElementsByTagName('TD'); var links = document.links; "
                   "var n1 = tds.length; var td = document.createElement('td'); "
                   "document.getElementsByTagName('TR')[0].appendChild(td); "
                   "var a = document.createElement('a'); a.href = 'new.html'; "
                   "document.body.appendChild(a); var f = document.createElement('form'); f.name = 'second'; "
                   "document.body.appendChild(f); [n1, tds.length, links.length + 1, "
                   "document.forms.length].join('|')"));
    EXPECT_EQ("FORM|FORM", Eval("document.second.tagName + '|' + document.forms.second.tagName"));
    EXPECT_EQ("1|undefined",
              Eval("document.body.removeChild(f); document.forms.length + '|' + typeof document.second"));
    EXPECT_EQ("ok|ok",
              Eval("document.body.innerHTML = '<span id=fresh>ok</span>'; document.getElementById('fresh').innerText "
                   "+ '|' + document.all.fresh.innerText"));
    EXPECT_EQ("0|0", Eval("document.forms.length + '|' + document.images.length"));
}

TEST_F(KxwDomHtmlBuildTest, ScriptsWaitingForTheirSourceRunThroughTheEnginesEvaluator) {
    struct Evaluation {
        KxwHswApi* _ptApi;
        std::vector<std::string> _tRun;
    } tEvaluation{_ptApi, {}};
    xfvKxwDomHtmlBuildSetScriptEvaluator(
        _ptDocument,
        [](void* mpvClosure, KxwDomHtmlDocument*, KxwDomNodeBase* mptScript) {
            auto* ptEvaluation = static_cast<Evaluation*>(mpvClosure);
            size_t nLen = 0;
            const char* psfText = xfpsfKxwDomHtmlBuildGetScriptText(mptScript, &nLen);
            ptEvaluation->_tRun.emplace_back(psfText, nLen);
            KxwTestScriptNotifier tNotifier;
            return ptEvaluation->_ptApi->EvaluateUtf8(tNotifier, nullptr, psfText, nLen, "page.js", 1);
        },
        &tEvaluation);
    xfvKxwDomHtmlBuildNotifyHtmlParsing(_ptDocument, true);
    KxwTestPageBuilder::Build(xfptKxwDomHtmlBuildDocumentAsNode(_ptDocument),
                              "<p>a</p><script id=s1 src=one.js></script><script id=s2 src=two.js></script>");
    std::vector<KxwDomNodeBase*> tScripts;
    Eval("document.scripts.length");
    for (const char* pszId : {"s1", "s2"}) {
        KxwJsval tResult;
        KxwTestScriptNotifier tNotifier;
        std::string dsScript = std::string("document.getElementById('") + pszId + "')";
        ASSERT_TRUE(_ptApi->EvaluateUtf8(tNotifier, nullptr, dsScript.data(), dsScript.size(), "t.js", 1, &tResult));
        auto* ptScript = dynamic_cast<KxwDomNodeBase*>(tResult.GetRawDomObject());
        ASSERT_NE(nullptr, ptScript);
        EXPECT_TRUE(xfbKxwDomHtmlBuildAppendPendingScript(_ptDocument, ptScript));
        tScripts.push_back(ptScript);
    }
    bool bRemoved = false;
    EXPECT_FALSE(xfbKxwDomHtmlBuildIsEndOfResponseEndOfParsing(_ptDocument, &bRemoved));
    const char kszTwo[] = "document.write('<b id=two>2</b>')";
    xfvKxwDomHtmlBuildSetScriptSourceDownloaded(tScripts[1], kszTwo, sizeof kszTwo - 1);
    xfvKxwDomHtmlBuildEvaluatePendingScriptSrc(_ptDocument);
    EXPECT_TRUE(tEvaluation._tRun.empty());
    const char kszOne[] = "var one = document.getElementsByTagName('P').length";
    xfvKxwDomHtmlBuildSetScriptSourceDownloaded(tScripts[0], kszOne, sizeof kszOne - 1);
    xfvKxwDomHtmlBuildEvaluatePendingScriptSrc(_ptDocument);
    ASSERT_EQ(2u, tEvaluation._tRun.size());
    EXPECT_EQ(kszOne, tEvaluation._tRun[0]);
    EXPECT_EQ(0u, xfulKxwDomHtmlBuildGetPendingScriptSrcCount(_ptDocument));
    xfvKxwDomHtmlBuildNotifyHtmlParsing(_ptDocument, false);
    EXPECT_EQ("1|2", Eval("one + '|' + document.getElementById('two').innerText"));
    xfvKxwDomHtmlBuildSetScriptEvaluator(_ptDocument, nullptr, nullptr);
}

TEST_F(KxwDomHtmlBuildTest, QueriesForTheParserAdapter) {
    Load(kszPage);
    KxwDomNodeBase* ptHtml = xfptKxwDomHtmlBuildGetDocumentElement(_ptDocument);
    KxwDomNodeBase* ptHead = xfptKxwDomHtmlBuildGetHead(_ptDocument);
    KxwDomNodeBase* ptBody = xfptKxwDomHtmlBuildGetHtmlBody(_ptDocument);
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HTML, xfiKxwDomHtmlBuildGetSubtype(ptHtml));
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HEAD, xfiKxwDomHtmlBuildGetSubtype(ptHead));
    EXPECT_EQ(ptHtml, xfptKxwDomHtmlBuildGetParentNode(ptBody));
    EXPECT_EQ(_ptDocument, xfptKxwDomHtmlBuildGetDocumentOfNode(ptBody));
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_DOCUMENT,
              xfiKxwDomHtmlBuildGetSubtype(xfptKxwDomHtmlBuildDocumentAsNode(_ptDocument)));
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA, xfiKxwDomHtmlBuildGetSubtypeByTagName("TextArea", 8));
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT, xfiKxwDomHtmlBuildGetSubtypeByTagName("custom", 6));
    KxwDomNodeBase* ptBr = xfptKxwDomHtmlBuildAllocElement(_ptDocument, "br", 2, false);
    EXPECT_FALSE(xfbKxwDomHtmlBuildCanHaveChildren(ptBr));
    EXPECT_TRUE(xfbKxwDomHtmlBuildCanHaveChildren(ptBody));
    xfvKxwDomHtmlBuildDeleteUnlinkedNode(ptBr);
    // The META of the page declares its charset; the parser adapter reports it to the document.
    KxwDomNodeBase* ptMeta = xfptKxwDomHtmlBuildAllocElement(_ptDocument, "META", 4, false);
    const char kszContent[] = "text/html; charset=\"utf-8\"";
    xfbKxwDomHtmlBuildSetAttribute(ptMeta, "http-equiv", 10, "content-type", 12, true);
    xfbKxwDomHtmlBuildSetAttribute(ptMeta, "content", 7, kszContent, sizeof kszContent - 1, true);
    char acCharset[32];
    ASSERT_TRUE(xfbKxwDomHtmlBuildGetMetaCharset(ptMeta, acCharset, sizeof acCharset));
    EXPECT_STREQ("utf-8", acCharset);
    EXPECT_TRUE(xfbKxwDomHtmlBuildSetResponseCharset(_ptDocument, acCharset, std::strlen(acCharset)));
    EXPECT_STREQ("utf-8", xfpszKxwDomHtmlBuildGetResponseCharset(_ptDocument));
    EXPECT_EQ("utf-8", Eval("document.charset"));
    xfvKxwDomHtmlBuildDeleteUnlinkedNode(ptMeta);
    // A title the parser supplied, and an attribute without value.
    KxwDomNodeBase* ptTitle = xfptKxwDomHtmlBuildAllocElement(_ptDocument, "TITLE", 5, true);
    xfvKxwDomHtmlBuildSetTitleImplied(ptTitle, true);
    KxwDomNodeBase* ptInput = xfptKxwDomHtmlBuildAllocElement(_ptDocument, "input", 5, false);
    EXPECT_TRUE(xfbKxwDomHtmlBuildSetAttribute(ptInput, "data-flag", 9, nullptr, 0, false));
    EXPECT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptBody, ptInput));
    EXPECT_EQ("", Eval("document.body.lastChild.getAttribute('data-flag')"));
}

TEST_F(KxwDomHtmlBuildTest, BadArgumentsAreReportedAndGiveNeutralResults) {
    KxwRecordingSink tSink;
    EXPECT_EQ(nullptr, xfptKxwDomHtmlBuildAllocElement(_ptDocument, "a b", 3, false));
    EXPECT_EQ(nullptr, xfptKxwDomHtmlBuildAllocElement(nullptr, "div", 3, false));
    EXPECT_EQ(nullptr, xfptKxwDomHtmlBuildAllocElement(_ptDocument, nullptr, 0, false));
    EXPECT_FALSE(xfbKxwDomHtmlBuildSetAttribute(nullptr, "id", 2, "x", 1, true));
    EXPECT_FALSE(xfbKxwDomHtmlBuildAppendChild(nullptr, nullptr));
    EXPECT_FALSE(xfbKxwDomHtmlBuildAddText(nullptr, "x", 1));
    KxwDomNodeBase* ptText = xfptKxwDomHtmlBuildNewTextNode(_ptDocument, "t", 1);
    KxwDomNodeBase* ptOther = xfptKxwDomHtmlBuildNewTextNode(_ptDocument, "u", 1);
    EXPECT_FALSE(xfbKxwDomHtmlBuildAppendChild(ptText, ptOther)) << "a text has no children";
    xfvKxwDomHtmlBuildDeleteUnlinkedNode(ptText);
    xfvKxwDomHtmlBuildDeleteUnlinkedNode(ptOther);
    KxwDomNodeBase* ptDiv = xfptKxwDomHtmlBuildAllocElement(_ptDocument, "div", 3, false);
    EXPECT_FALSE(xfbKxwDomHtmlBuildAppendChild(ptDiv, ptDiv)) << "a node cannot contain itself";
    EXPECT_FALSE(xfbKxwDomHtmlBuildAppendChild(ptDiv, xfptKxwDomHtmlBuildDocumentAsNode(_ptDocument)));
    xfvKxwDomHtmlBuildDeleteUnlinkedNode(ptDiv);
    xfvKxwDomHtmlBuildSetTitleImplied(nullptr, true);
    xfvKxwDomHtmlBuildSetScriptClosingTagMissing(nullptr, true);
    EXPECT_EQ(nullptr, xfpsfKxwDomHtmlBuildGetScriptText(nullptr, nullptr));
    EXPECT_FALSE(xfbKxwDomHtmlBuildSetResponseCharset(_ptDocument, "no-such-charset", 15));
    EXPECT_STREQ("iso-8859-1", xfpszKxwDomHtmlBuildGetResponseCharset(_ptDocument)) << "the charset stays";
    xfvKxwDomHtmlBuildDeleteDocument(reinterpret_cast<KxwDomHtmlDocument*>(&tSink));
    EXPECT_TRUE(tSink.Saw("Invalid argument"));
    EXPECT_TRUE(tSink.Saw("Invalid tag name \"a b\""));
}

TEST_F(KxwDomHtmlBuildTest, DeletingTheDocumentLeavesScriptsANullDocument) {
    Load("<p id=p>x</p>");
    Eval("var held = document.getElementById('p'); var doc = document;");
    xfvKxwDomHtmlBuildDeleteDocument(_ptDocument);
    _ptDocument = nullptr;
    EXPECT_EQ("null|undefined", Eval("String(document) + '|' + String(held.tagName)"));
    // A second document becomes the global one.
    _ptDocument = xfptKxwDomHtmlBuildNewDocument(nullptr, 0, nullptr);
    Load("<b id=b>new</b>");
    EXPECT_EQ("new", Eval("document.getElementById('b').innerText"));
}

}  // namespace

namespace {

TEST_F(KxwDomHtmlBuildTest, AScriptThatEndsItsDocumentStopsTheDrain) {
    struct Run {
        KxwDomHtmlDocument** _pptDocument;
        int _iRun = 0;
    } tRun{&_ptDocument};
    xfvKxwDomHtmlBuildSetScriptEvaluator(
        _ptDocument,
        [](void* mpvClosure, KxwDomHtmlDocument* mptDocument, KxwDomNodeBase*) {
            auto* ptRun = static_cast<Run*>(mpvClosure);
            ++ptRun->_iRun;
            // The engine navigates away: the document goes while its list is being drained.
            xfvKxwDomHtmlBuildDeleteDocument(mptDocument);
            *ptRun->_pptDocument = nullptr;
            return true;
        },
        &tRun);
    KxwTestPageBuilder::Build(xfptKxwDomHtmlBuildDocumentAsNode(_ptDocument),
                              "<script src=1.js></script><script src=2.js></script>");
    KxwTestScriptNotifier tNotifier;
    for (int i = 0; i < 2; ++i) {
        KxwJsval tScript;
        std::string dsScript = "document.scripts[" + std::to_string(i) + "]";
        ASSERT_TRUE(_ptApi->EvaluateUtf8(tNotifier, nullptr, dsScript.data(), dsScript.size(), "t.js", 1, &tScript));
        auto* ptScript = dynamic_cast<KxwDomNodeBase*>(tScript.GetRawDomObject());
        ASSERT_NE(nullptr, ptScript);
        xfvKxwDomHtmlBuildSetScriptSourceDownloaded(ptScript, "x", 1);
        xfvKxwDomHtmlBuildSetScriptClosingTagMissing(ptScript, false);
        ASSERT_TRUE(xfbKxwDomHtmlBuildAppendPendingScript(_ptDocument, ptScript));
    }
    xfvKxwDomHtmlBuildEvaluatePendingScriptSrc(_ptDocument);
    EXPECT_EQ(1, tRun._iRun) << "nothing runs in a document that is gone";
    EXPECT_EQ(nullptr, _ptDocument);
    EXPECT_EQ("null", Eval("String(document)"));
}

}  // namespace
