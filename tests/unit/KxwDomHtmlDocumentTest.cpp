// The HTML document: how it files the elements of a page into its collections and keeps them current, its named
// items and lookups, write and the other script methods, the properties scripts read, the pending-script lists,
// the meta refresh, and the reset.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlElementMeta.h"
#include "KxwDomHtmlElementScript.h"
#include "KxwDomHtmlElementTitle.h"
#include "KxwDomHtmlTestClasses.h"
#include "KxwDomStr.h"
#include "KxwRecordingSink.h"
#include "KxwUtilTagName.h"
#include "kxw/KxwEnvCfg.h"

namespace {

class KxwDomHtmlDocumentTest : public KxwDomHtmlTest {
protected:
    unsigned long Length(KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM meCollection) {
        return _ptDocument->GetCollection(meCollection)->GetLength();
    }
    KxwDomHtmlElementScript* Script(const char* mpszId) { return static_cast<KxwDomHtmlElementScript*>(ById(mpszId)); }
};

const char kszFilingPage[] =
    "<a name=top>t</a><a href=x.html>x</a><a id=both name=both href=y.html>y</a><map name=m><area href=a.html>"
    "</map><img name=pic src=p.gif><img src=q.gif><iframe name=ifr></iframe><embed name=emb><applet name=app>"
    "</applet><object id=obj></object><script>var s;</script>"
    "<form name=login><input name=user><input type=password name=pw><input type=hidden><input type=checkbox>"
    "<input type=file><input type=submit><input type=image><input type=reset><input type=button>"
    "<input type=radio name=r><button type=submit>s</button><button type=reset>r</button><button>b</button>"
    "<select name=sel></select><textarea name=ta></textarea></form><input name=outside>";

TEST_F(KxwDomHtmlDocumentTest, ThePageIsFiledIntoTheDocumentsCollections) {
    BuildPage(kszFilingPage);
    // The OBJECT without a class id is an applet too.
    EXPECT_EQ("2|3|2|1|1|2|1|0", Eval("[document.anchors.length, document.links.length, document.images.length, "
                                      "document.forms.length, document.embeds.length, document.applets.length, "
                                      "document.scripts.length, document.namespaces.length].join('|')"));
    EXPECT_EQ(2u, Length(KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_TEXT)) << "the one in the form and the one outside";
    for (int i = KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_PASSWORD; i <= KXW_DOM_HTML_DOCUMENT_COLLECTION_TEXTAREA; ++i)
        EXPECT_EQ(1u, Length(static_cast<KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM>(i))) << i;
    EXPECT_EQ(1u, Length(KXW_DOM_HTML_DOCUMENT_COLLECTION_NAMED_MAPS));
    // Named items of the document: the named IMG, IFRAME, EMBED, APPLET and FORM, and the OBJECT by its id.
    EXPECT_EQ(6u, Length(KXW_DOM_HTML_DOCUMENT_COLLECTION_DEFAULT));
    EXPECT_EQ("IMG|FORM|OBJECT|IFRAME|undefined", Eval("[document.pic.tagName, document.login.tagName, "
                                                       "document.obj.tagName, document.ifr.tagName, "
                                                       "typeof document.top].join('|')"));
    EXPECT_EQ("login|login", Eval("document.forms.login.name + '|' + document.forms[0].name"));
    // Named items of the window: every element but the controls of a form.
    KxwDomHtmlCollectionGeneral* ptWindowItems = _ptDocument->GetWindowDefaultCollection();
    EXPECT_TRUE(ptWindowItems->IsItemFound(ById("outside")));
    EXPECT_FALSE(ptWindowItems->IsItemFound(ById("user")));
    EXPECT_TRUE(ptWindowItems->IsItemFound(_ptDocument->GetHtmlBody()));
    // The lists keep document order.
    EXPECT_EQ("top|both", Eval("document.anchors[0].name + '|' + document.anchors[1].name"));
}

TEST_F(KxwDomHtmlDocumentTest, CollectionsFollowTheTreeAndTheScripts) {
    BuildPage("<form name=f1></form><div id=holder><form name=f2><input name=i></form></div><a id=a>no href</a>");
    EXPECT_EQ("2|FORM", Eval("document.forms.length + '|' + document.f2.tagName"));
    // Removal unfiles the removed subtree.
    EXPECT_EQ("1|undefined|0", Eval("var h = document.getElementById('holder'); var f2 = h.removeChild(h.firstChild); "
                                    "[document.forms.length, typeof document.f2, document.all.tags('INPUT').length]"
                                    ".join('|')"));
    // Putting it back files it in document order.
    EXPECT_EQ("2|f2|1", Eval("document.body.insertBefore(f2, document.forms[0]); [document.forms.length, "
                             "document.forms[0].name, document.all.tags('INPUT').length].join('|')"));
    // Deleting descendants (innerText) unfiles all of them.
    EXPECT_EQ("0|0", Eval("document.body.innerText = 'gone'; [document.forms.length, "
                          "document.all.tags('INPUT').length].join('|')"));
    EXPECT_EQ(0u, Length(KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_TEXT));
    EXPECT_EQ("1|3|gone", Eval("var b = document.body; [b.childNodes.length, b.firstChild.nodeType, b.innerText]"
                               ".join('|')"));
}

TEST_F(KxwDomHtmlDocumentTest, LinksFollowTheHrefOfAnchorsAndAreas) {
    BuildPage("<a>one</a><a href=two.html>two</a>");
    EXPECT_EQ("1|0", Eval("var a = document.getElementsByTagName('A'); document.links.length + '|' + "
                          "document.anchors.length"));
    EXPECT_EQ("2|one", Eval("a[0].href = 'one.html'; document.links.length + '|' + document.links[0].innerText"));
    EXPECT_EQ("1|one", Eval("a[1].removeAttribute('href'); document.links.length + '|' + "
                            "document.links[0].innerText"));
    // A name or an id makes an anchor.
    EXPECT_EQ("1|two", Eval("a[1].name = 'n'; document.anchors.length + '|' + document.anchors[0].innerText"));
    EXPECT_EQ("2|one", Eval("a[0].id = 'i'; document.anchors.length + '|' + document.anchors[0].innerText"));
    EXPECT_EQ("1", Eval("a[0].id = ''; document.anchors.length"));
}

TEST_F(KxwDomHtmlDocumentTest, NamedItemsAreFoundByNameAndIdAndFollowChanges) {
    BuildPage("<img name=logo src=l.gif><img name=dup><img name=dup><div id=notanitem></div>");
    EXPECT_EQ("IMG|2|undefined", Eval("[document.logo.tagName, document.dup.length, typeof document.notanitem]"
                                      ".join('|')"));
    // A name given later makes an item; taking it away unmakes it.
    EXPECT_EQ("IMG", Eval("var i = document.createElement('img'); document.body.appendChild(i); i.name = 'late'; "
                          "document.late.tagName"));
    EXPECT_EQ("undefined", Eval("i.name = ''; typeof document.late"));
    // Declared names win over elements of the same name.
    EXPECT_EQ("function", Eval("document.body.appendChild(document.createElement('<img name=write>')); "
                               "typeof document.write"));
}

TEST_F(KxwDomHtmlDocumentTest, GetElementByIdAndGetElementsByName) {
    BuildPage("<div id=First>1</div><input name=second><input name=multi id=m1><input name=multi>");
    EXPECT_EQ("DIV|INPUT|null|null", Eval("[document.getElementById('first').tagName, "
                                          "document.getElementById('SECOND').tagName, "
                                          "String(document.getElementById('')), "
                                          "String(document.getElementById('none'))].join('|')"));
    EXPECT_EQ("2|true|3", Eval("var c = document.getElementsByName('multi'); var l = c.length; "
                               "var i = document.createElement('input'); i.name = 'multi'; "
                               "document.body.appendChild(i); [l, c === document.getElementsByName('multi'), "
                               "c.length].join('|')"));
    EXPECT_EQ("0", Eval("document.getElementsByName('').length"));
    KxwDomStr tId(_ptDocument->GetDomEnv(), "m1", 2);
    EXPECT_EQ(ById("m1"), _ptDocument->GetLastElementWithId(tId));
}

TEST_F(KxwDomHtmlDocumentTest, WriteHandsTheTextToTheParser) {
    _ptDocument->NotifyHtmlParsing(true);
    KxwTestPageBuilder::Build(_ptDocument, "<div id=d>x</div>");
    EXPECT_EQ("undefined", Eval("String(document.write('<b id=b1>', 1, true, '</b>'))"));
    EXPECT_EQ("ok", Eval("document.writeln('a', 'b'); document.write(''); 'ok'"));
    _ptDocument->NotifyHtmlParsing(false);
    std::vector<std::string> tTexts = _ptRecorder->Texts(KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT);
    ASSERT_EQ(2u, tTexts.size()) << "an empty write changes nothing";
    EXPECT_EQ("<b id=b1>1true</b>", tTexts[0]);
    EXPECT_EQ("ab\r\n", tTexts[1]);
    EXPECT_EQ("B", Eval("document.getElementById('b1').tagName"));
    EXPECT_EQ(0, _ptDocument->GetDocumentWriteDepth());
}

TEST_F(KxwDomHtmlDocumentTest, AWriteAfterThePageLoadedStartsANewDocument) {
    BuildPage("<title>Old</title><div id=old>old</div>");
    _ptDocument->SetIsInitialProcessingEnded(true);
    Eval("document.oldExpando = 1; document.write('<p id=new>new</p>')");
    EXPECT_EQ("null|P|", Eval("[String(document.getElementById('old')), document.getElementById('new').tagName, "
                              "document.title].join('|')"));
    EXPECT_EQ("http://www.example.com/dir/page.html", Eval("document.URL"));
    EXPECT_EQ("undefined", Eval("typeof document.oldExpando"));
    // Later writes continue the new document until it is closed.
    EXPECT_EQ("2", Eval("document.write('<p>more</p>'); document.getElementsByTagName('P').length"));
    Eval("document.close(); document.write('<i>third</i>')");
    EXPECT_EQ("0|1", Eval("document.getElementsByTagName('P').length + '|' + "
                          "document.getElementsByTagName('I').length"));
}

TEST_F(KxwDomHtmlDocumentTest, ReadingTheBodyOfAnEmptyDocumentMakesTheParserCreateIt) {
    EXPECT_EQ("BODY|HTML|HEAD", Eval("[document.body.tagName, document.documentElement.tagName, "
                                     "document.body.parentNode.firstChild.tagName].join('|')"));
    ASSERT_EQ(1u, _ptRecorder->Texts(KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT).size());
    EXPECT_EQ("<BODY></BODY>", _ptRecorder->Texts(KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT)[0]);
    EXPECT_EQ("true", Eval("document.body === document.body"));
    EXPECT_EQ(1u, _ptRecorder->Texts(KXW_DOM_COMMON_NOTIFICATION_ENUM_HTML_TEXT).size());
}

TEST_F(KxwDomHtmlDocumentTest, CookiesGoThroughTheObjectManager) {
    _ptRecorder->_dsCookie = "a=1; b=2";
    EXPECT_EQ("a=1; b=2", Eval("document.cookie"));
    Eval("document.cookie = 'c=' + 3");
    ASSERT_EQ(1u, _ptRecorder->Texts(KXW_DOM_COMMON_NOTIFICATION_ENUM_SET_COOKIE).size());
    EXPECT_EQ("c=3", _ptRecorder->Texts(KXW_DOM_COMMON_NOTIFICATION_ENUM_SET_COOKIE)[0]);
    bool bAskedForCookie = false;
    for (const auto& rtNotification : _ptRecorder->_tNotifications)
        bAskedForCookie = bAskedForCookie || rtNotification._eType == KXW_DOM_COMMON_NOTIFICATION_ENUM_GET_COOKIE;
    EXPECT_TRUE(bAskedForCookie);
}

TEST_F(KxwDomHtmlDocumentTest, CreateElementByTagAndByMarkup) {
    BuildPage("<div id=d></div>");
    EXPECT_EQ("DIV|null", Eval("var e = document.createElement('div'); [e.tagName, String(e.parentNode)].join('|')"));
    EXPECT_EQ("INPUT|user|password", Eval("var i = document.createElement('<input name=\"user\" type=password>'); "
                                          "[i.tagName, i.name, i.type].join('|')"));
    EXPECT_EQ("SCRIPT|", Eval("var s = document.createElement('<script>alert(1)</script>'); s.tagName + '|' + s.text"));
    EXPECT_EQ("null", Eval("String(i.parentNode)"));
    KxwRecordingSink tSink;
    EXPECT_EQ("ERROR", Eval("document.createElement('')").substr(0, 5));
    EXPECT_EQ("ERROR", Eval("document.createElement('a b')").substr(0, 5));
    EXPECT_EQ("ERROR", Eval("document.createElement('<>text')").substr(0, 5));
    EXPECT_EQ("ERROR", Eval("document.createElement('< x>')").substr(0, 5)) << "nothing but text was made";
    // Elements made for scripts and never inserted go with the next collection.
    Eval("i = null; s = null; e = null;");
    _ptEngine->CollectGarbage();
    EXPECT_EQ(0u, _ptDocument->GetDisconnectedNodesCount());
}

TEST_F(KxwDomHtmlDocumentTest, CreateTextNodeAttributeAndFragment) {
    BuildPage("<div id=d></div>");
    EXPECT_EQ("3|hello|5", Eval("var t = document.createTextNode('hello'); [t.nodeType, t.data, t.length].join('|')"));
    EXPECT_EQ(1u, _ptDocument->GetDisconnectedNodesCount());
    Eval("t = null;");
    _ptEngine->CollectGarbage();
    EXPECT_EQ(0u, _ptDocument->GetDisconnectedNodesCount()) << "a text no script refers to is deleted";
    EXPECT_EQ("2|TITLE|false", Eval("var a = document.createAttribute('title'); a.value = 'v'; "
                                    "[a.nodeType, a.nodeName.toUpperCase(), a.specified].join('|')"));
    EXPECT_EQ("v", Eval("document.getElementById('d').setAttributeNode(a); document.getElementById('d').title"));
    EXPECT_EQ("11|0|2", Eval("var f = document.createDocumentFragment(); f.appendChild(document.createElement('p')); "
                             "f.appendChild(document.createElement('p')); var d = document.getElementById('d'); "
                             "d.appendChild(f); [f.nodeType, f.childNodes.length, d.childNodes.length].join('|')"));
}

TEST_F(KxwDomHtmlDocumentTest, TitleIsTheTextOfTheTitleElement) {
    EXPECT_EQ("", Eval("document.title"));
    EXPECT_EQ("Set", Eval("document.title = 'Set'; document.title"));
    BuildPage("<title>Parsed</title><p>x</p>");
    EXPECT_EQ("Parsed", Eval("document.title")) << "the page's TITLE replaces the one made for the script";
    EXPECT_EQ("New|New", Eval("document.title = 'New'; document.title + '|' + "
                              "document.getElementsByTagName('TITLE')[0].text"));
    KxwDomHtmlElementTitle* ptTitle = _ptDocument->GetTitle(false);
    ASSERT_NE(nullptr, ptTitle);
    EXPECT_TRUE(ptTitle->GetParentNode() != nullptr);
}

TEST_F(KxwDomHtmlDocumentTest, PropertiesOfTheDocument) {
    KxwRecordingSink tSink;
    _ptDocument->SetReferer("http://ref.example.com/", 23);
    BuildPage("<html dir=rtl><body>x</body></html>");
    EXPECT_EQ("complete|BackCompat|http://ref.example.com/|www.example.com|windows-1252|rtl",
              Eval("[document.readyState, document.compatMode, document.referrer, document.domain, "
                   "document.charset, document.dir].join('|')"));
    EXPECT_EQ("example.com|ltr", Eval("document.domain = 'example.com'; document.dir = 'ltr'; document.domain + '|' + "
                                      "document.documentElement.dir"));
    Eval("document.charset = 'utf-8'");
    EXPECT_TRUE(tSink.Saw("document.charset"));
    EXPECT_EQ("windows-1252", Eval("document.charset"));
    EXPECT_EQ("null|null|null|null|null|0", Eval("[document.location, document.frames, document.parentWindow, "
                                                 "document.activeElement, document.elementFromPoint(1, 2), "
                                                 "document.styleSheets.length].map(String).join('|')"));
    _ptDocument->NotifyHtmlParsing(true);
    EXPECT_EQ("loading", Eval("document.readyState"));
    _ptDocument->NotifyHtmlParsing(false);
    _ptDocument->NotifyDownloading(true);
    EXPECT_EQ("loading", Eval("document.readyState"));
    _ptDocument->NotifyHtmlParsing(true);
    _ptDocument->NotifyDownloading(true);
    EXPECT_TRUE(tSink.Saw("HtmlParsing set to false"));
    EXPECT_FALSE(_ptDocument->IsHtmlParsing());
    _ptDocument->NotifyDownloading(false);
    EXPECT_EQ("ok", Eval("document.recalc(true); document.clear(); document.releaseCapture(); 'ok'"));
}

TEST_F(KxwDomHtmlDocumentTest, OpenResetsTheDocument) {
    BuildPage("<div id=d>x</div>");
    Eval("var held = document.getElementById('d'); document.expando = 1;");
    EXPECT_EQ("true|0|undefined", Eval("var r = document.open(); [r === document, document.all.length, "
                                       "typeof document.expando].join('|')"));
    EXPECT_EQ(0u, _ptDocument->GetDisconnectedNodesCount());
    EXPECT_EQ(nullptr, _ptDocument->GetHtmlBody());
    // While the parser builds, open keeps the content.
    BuildPage("<p>y</p>");
    _ptDocument->NotifyHtmlParsing(true);
    EXPECT_EQ("true", Eval("document.open(); document.body != null"));
    _ptDocument->NotifyHtmlParsing(false);
}

TEST_F(KxwDomHtmlDocumentTest, ActiveBaseIsTheLastBaseAdded) {
    KxwRecordingSink tSink;
    BuildPage(
        "<base href='http://one.example.com/'><a id=a1 href=x>1</a><base id=b2 href='http://two.example.com/'>"
        "<a id=a2 href=x>2</a>");
    EXPECT_EQ("http://one.example.com/x|http://two.example.com/x",
              Eval("document.getElementById('a1').href + '|' + document.getElementById('a2').href"));
    Eval("var b2 = document.getElementById('b2'); b2.parentNode.removeChild(b2);");
    EXPECT_TRUE(tSink.Saw("Removing <BASE> tags not supported yet"));
    // An element whose BASE is gone resolves against the document.
    Eval("b2 = null;");
    _ptEngine->CollectGarbage();
    EXPECT_EQ("http://www.example.com/dir/x", Eval("document.getElementById('a2').href"));
}

TEST_F(KxwDomHtmlDocumentTest, ScriptsWithASourceRunStrictlyInOrder) {
    std::vector<std::string> tRun;
    _ptDocument->SetScriptEvaluator(
        [](void* mpvClosure, KxwDomHtmlDocument*, KxwDomNodeBase* mptScript) {
            static_cast<std::vector<std::string>*>(mpvClosure)
                ->push_back(mptScript->GetId().GetDcsStr() ? mptScript->GetId().GetDcsStr() : "?");
            return true;
        },
        &tRun);
    BuildPage(
        "<script id=s1 src=1.js></script><script id=s2 src=2.js></script>"
        "<script id=s3 src=3.js event=onload for=window></script>");
    for (const char* pszId : {"s1", "s2", "s3"}) EXPECT_TRUE(_ptDocument->AppendPendingScript(Script(pszId)));
    EXPECT_EQ(3u, _ptDocument->GetPendingScriptSrcCount());
    Script("s2")->SetDownloadedText("b()", 3);
    _ptDocument->EvaluatePendingScriptSrc();
    EXPECT_TRUE(tRun.empty()) << "the second never runs before the first";
    Script("s1")->SetDownloadedText("a()", 3);
    Script("s3")->SetDownloadedText("c()", 3);
    _ptDocument->EvaluatePendingScriptSrc();
    EXPECT_EQ((std::vector<std::string>{"s1", "s2"}), tRun) << "a script bound to an event is not run in turn";
    EXPECT_EQ(0u, _ptDocument->GetPendingScriptSrcCount());
    EXPECT_EQ(0, _ptDocument->GetScriptEvaluationDepth());
    // A script without source cannot wait for one.
    KxwRecordingSink tSink;
    auto* ptNoSource = static_cast<KxwDomHtmlElementScript*>(NewElement("script"));
    EXPECT_FALSE(_ptDocument->AppendPendingScriptSrc(ptNoSource));
    EXPECT_FALSE(_ptDocument->AppendPendingScriptDefer(ptNoSource));
    EXPECT_TRUE(tSink.Saw("Invalid mptHtmlElementScript="));
    delete ptNoSource;
}

TEST_F(KxwDomHtmlDocumentTest, DeferredScriptsRunAfterTheirTurnAndComplete) {
    std::vector<std::string> tRun;
    _ptDocument->SetScriptEvaluator(
        [](void* mpvClosure, KxwDomHtmlDocument*, KxwDomNodeBase* mptNode) {
            auto* ptScript = static_cast<KxwDomHtmlElementScript*>(mptNode);
            static_cast<std::vector<std::string>*>(mpvClosure)
                ->push_back(std::string(ptScript->GetEffectiveTextDcsStr(), ptScript->GetEffectiveTextDcsLenInBytes()));
            return true;
        },
        &tRun);
    BuildPage("<script id=d1 defer>first()</script><script id=d2 defer src=2.js></script>");
    EXPECT_TRUE(_ptDocument->AppendPendingScript(Script("d1")));
    EXPECT_TRUE(_ptDocument->AppendPendingScript(Script("d2")));
    EXPECT_EQ(2u, _ptDocument->GetPendingScriptDeferCount());
    _ptDocument->EvaluatePendingScriptDefer();
    EXPECT_EQ((std::vector<std::string>{"first()"}), tRun) << "the second waits for its source";
    Script("d2")->SetDownloadedText("second()", 8);
    _ptDocument->EvaluatePendingScriptDefer();
    EXPECT_EQ((std::vector<std::string>{"first()", "second()"}), tRun);
    EXPECT_EQ(2u, _ptDocument->GetPendingScriptCompletionCount());
    _ptDocument->ScriptCompletion();
    EXPECT_EQ(0u, _ptDocument->GetPendingScriptCompletionCount());
    EXPECT_EQ("complete|false", Eval("var d = document.getElementById('d1'); d.readyState + '|' + "
                                     "(d.getAttribute('defer') === null)"));
    EXPECT_FALSE(Script("d1")->IsDeferFromHtml());
}

TEST_F(KxwDomHtmlDocumentTest, TheEndOfTheResponseEndsTheParsingUnlessAScriptWaits) {
    bool bRemoved = true;
    EXPECT_TRUE(_ptDocument->IsEndOfResponseEndOfParsing(bRemoved));
    EXPECT_FALSE(bRemoved);
    BuildPage("<script id=s1 src=1.js></script><script id=s2 src=2.js></script>");
    _ptDocument->AppendPendingScript(Script("s1"));
    _ptDocument->AppendPendingScript(Script("s2"));
    EXPECT_FALSE(_ptDocument->IsEndOfResponseEndOfParsing(bRemoved));
    _ptDocument->RemovePendingScript(Script("s2"), true);
    EXPECT_FALSE(_ptDocument->IsEndOfResponseEndOfParsing(bRemoved)) << "the one left waits for its download";
    _ptDocument->IncrementParsingDepth();
    Script("s1")->SetIsAwaitingClosingTag(true);
    EXPECT_FALSE(_ptDocument->IsEndOfResponseEndOfParsing(bRemoved)) << "a parser is still running";
    _ptDocument->DecrementParsingDepth();
    // A source script whose closing tag never came is dropped at the end of the response.
    EXPECT_TRUE(_ptDocument->IsEndOfResponseEndOfParsing(bRemoved));
    EXPECT_TRUE(bRemoved);
    EXPECT_EQ(0u, _ptDocument->GetPendingScriptSrcCount());
}

TEST_F(KxwDomHtmlDocumentTest, AWaitingScriptThatLeavesTheDocumentLeavesTheLists) {
    BuildPage("<div id=holder><script id=s1 src=1.js></script></div><script id=s2 defer>x</script>");
    _ptDocument->AppendPendingScript(Script("s1"));
    _ptDocument->AppendPendingScript(Script("s2"));
    Eval("var h = document.getElementById('holder'); h.parentNode.removeChild(h); h = null;");
    EXPECT_EQ(0u, _ptDocument->GetPendingScriptSrcCount());
    _ptEngine->CollectGarbage();
    Eval("document.body.innerText = 'gone'");
    EXPECT_EQ(0u, _ptDocument->GetPendingScriptDeferCount());
    _ptDocument->EvaluatePendingScriptSrc();
    _ptDocument->EvaluatePendingScriptDefer();
}

// The engine's timer service as the refresh sees it.
struct KxwTestTimerService {
    static KxwTestTimerService*& Current() {
        static KxwTestTimerService* ptCurrent = nullptr;
        return ptCurrent;
    }
    static void* Register(void*, KxwEnvTimerCallback mpfCallback, void* mpvClosure, uint32_t muDelayMs) {
        KxwTestTimerService* ptThis = Current();
        ptThis->_pfCallback = mpfCallback;
        ptThis->_pvClosure = mpvClosure;
        ptThis->_uDelayMs = muDelayMs;
        return ptThis->_bFail ? nullptr : ptThis;
    }
    static int Unregister(void*, void* mpvHandle) {
        Current()->_iUnregistered += mpvHandle == Current() ? 1 : 0;
        return 0;
    }
    KxwTestTimerService() {
        Current() = this;
        _tSaved = xtKxwEnvCfg;
        xtKxwEnvCfg._pfRegisterTimer = &Register;
        xtKxwEnvCfg._pfvUnregisterTimer = &Unregister;
    }
    ~KxwTestTimerService() {
        xtKxwEnvCfg = _tSaved;
        Current() = nullptr;
    }
    KxwEnvCfg _tSaved;
    KxwEnvTimerCallback _pfCallback = nullptr;
    void* _pvClosure = nullptr;
    uint32_t _uDelayMs = 0;
    int _iUnregistered = 0;
    bool _bFail = false;
};

TEST_F(KxwDomHtmlDocumentTest, AMetaRefreshIsTimedByTheEnginesTimerService) {
    KxwRecordingSink tSink;
    KxwTestTimerService tTimers;
    BuildPage("<meta http-equiv=refresh content=\"3;URL=javascript:reload()\"><p>x</p>");
    ASSERT_NE(nullptr, _ptDocument->GetMetaRefresh());
    _ptDocument->HandleMetaRefresh();
    EXPECT_EQ(3000u, tTimers._uDelayMs);
    EXPECT_EQ(_ptDocument, tTimers._pvClosure);
    EXPECT_GE(_ptDocument->GetMetaRefreshExpirationTimestamp(), 3000u);
    _ptDocument->HandleMetaRefresh();
    EXPECT_TRUE(tSink.Saw("KxwDomHtmlDocument::HandleMetaRefresh for this="));
    // The engine calls back when the time has come.
    EXPECT_EQ(0, tTimers._pfCallback(tTimers._pvClosure));
    EXPECT_TRUE(tSink.Saw("to \"javascript:reload()\" needs a window"));
    EXPECT_EQ(nullptr, _ptDocument->GetMetaRefresh());
    EXPECT_EQ(0u, _ptDocument->GetMetaRefreshExpirationTimestamp());
    // A timer that fired is the driver's no more: unregistering it would only fail.
    EXPECT_EQ(0, tTimers._iUnregistered);
}

TEST_F(KxwDomHtmlDocumentTest, MetaRefreshEdgeCases) {
    KxwRecordingSink tSink;
    {
        // A refresh seen after the first load ended is ignored; one without timer service is skipped.
        KxwTestTimerService tTimers;
        _ptDocument->SetIsInitialProcessingEnded(true);
        BuildPage("<meta http-equiv=refresh content=\"1;URL=javascript:a()\">");
        EXPECT_EQ(nullptr, _ptDocument->GetMetaRefresh());
        _ptDocument->SetIsInitialProcessingEnded(false);
        Eval("document.body.innerHTML = '<meta http-equiv=refresh content=\"0;URL=javascript:now()\">'");
        ASSERT_NE(nullptr, _ptDocument->GetMetaRefresh());
        _ptDocument->HandleMetaRefresh();
        EXPECT_TRUE(tSink.Saw("to \"javascript:now()\" needs a window")) << "delay 0 refreshes at once";
        EXPECT_EQ(nullptr, tTimers._pfCallback);
    }
    Eval("document.body.innerHTML = '<meta id=m http-equiv=refresh content=\"2;URL=javascript:later()\">'");
    _ptDocument->HandleMetaRefresh();
    EXPECT_TRUE(tSink.Saw("No timer service for the meta refresh"));
    // The refresh element leaving the document resets the refresh.
    EXPECT_NE(nullptr, _ptDocument->GetMetaRefresh());
    Eval("document.body.innerText = ''");
    EXPECT_EQ(nullptr, _ptDocument->GetMetaRefresh());
}

TEST_F(KxwDomHtmlDocumentTest, ResetEmptiesTheDocument) {
    BuildPage("<title>T</title><form name=f><input name=i></form><a href=x>x</a>");
    Eval("var held = document.forms[0]; held.parentNode.removeChild(held); document.x = 1;");
    EXPECT_EQ(1u, _ptDocument->GetDisconnectedNodesCount());
    _ptDocument->Reset();
    EXPECT_EQ(0u, _ptDocument->GetDisconnectedNodesCount());
    EXPECT_EQ(nullptr, _ptDocument->GetHtmlBody());
    EXPECT_EQ(nullptr, _ptDocument->GetHead());
    EXPECT_EQ(nullptr, _ptDocument->GetTitle(false));
    EXPECT_EQ(nullptr, _ptDocument->GetDocumentElement());
    for (int i = 0; i < KXW_DOM_HTML_DOCUMENT_COLLECTION_COUNT; ++i)
        EXPECT_EQ(0u, Length(static_cast<KXW_DOM_HTML_DOCUMENT_COLLECTION_ENUM>(i))) << i;
    EXPECT_EQ("undefined|0", Eval("typeof document.x + '|' + document.all.length"));
    // A script's reference to a deleted node reads as gone, never as freed memory.
    EXPECT_EQ("undefined", Eval("String(held.tagName)"));
    BuildPage("<p id=again>new page</p>");
    EXPECT_EQ("P", Eval("document.getElementById('again').tagName"));
}

TEST_F(KxwDomHtmlDocumentTest, TheDepthCountersAndTheFlags) {
    EXPECT_EQ(1, _ptDocument->IncrementJavascriptUrlEvaluationDepth());
    EXPECT_EQ(0, _ptDocument->DecrementJavascriptUrlEvaluationDepth());
    {
        KxwRecordingSink tSink;
        EXPECT_EQ(0, _ptDocument->DecrementParsingDepth());
        EXPECT_TRUE(tSink.Saw("Counter already 0"));
    }
    _ptDocument->SetIsDownloading(true);
    EXPECT_FALSE(_ptDocument->IsResetAfterInitialProcessing());
    _ptDocument->IncrementJavascriptUrlEvaluationDepth();
    EXPECT_TRUE(_ptDocument->IsResetAfterInitialProcessing());
    _ptDocument->DecrementJavascriptUrlEvaluationDepth();
    _ptDocument->SetIsDownloading(false);
    _ptDocument->SetIsSchemeJavascript(true);
    EXPECT_TRUE(_ptDocument->IsSchemeJavascript());
    BuildPage("<frameset><frame name=f1></frameset>");
    EXPECT_TRUE(_ptDocument->IsFrameSetDocument());
    EXPECT_EQ(nullptr, _ptDocument->GetItem("f1", false)) << "a frameset document has no named items";
}

}  // namespace

namespace {

// What a page or a script may do to the document must never crash it: deep trees, scripts that change the tree
// or the document while the document walks its lists.
TEST_F(KxwDomHtmlDocumentTest, DeepTreesAreWalkedWithoutRecursion) {
    std::string dsHtml = "<div id=root>";
    for (int i = 0; i < 2000; ++i) dsHtml += "<span>";
    dsHtml += "deep<input name=bottom>";
    BuildPage(dsHtml);
    EXPECT_EQ("deep|2001", Eval("var r = document.getElementById('root'); r.innerText + '|' + "
                                "r.cloneNode(true).getElementsByTagName('*').length"));
    EXPECT_EQ(1u, Length(KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_TEXT));
    EXPECT_EQ("0|0", Eval("r.innerText = ''; r.getElementsByTagName('*').length + '|' + "
                          "document.getElementsByTagName('INPUT').length"));
    EXPECT_EQ(0u, Length(KXW_DOM_HTML_DOCUMENT_COLLECTION_INPUT_TEXT));
}

TEST_F(KxwDomHtmlDocumentTest, AScriptThatChangesTheTreeWhileTheListsAreDrained) {
    struct Run {
        KxwDomHtmlTest* _ptTest;
        std::vector<std::string> _tRun;
    } tRun{this, {}};
    // The first script removes the second from the page and resets the document on the third.
    _ptDocument->SetScriptEvaluator(
        [](void* mpvClosure, KxwDomHtmlDocument* mptDocument, KxwDomNodeBase* mptNode) {
            auto* ptRun = static_cast<Run*>(mpvClosure);
            auto* ptScript = static_cast<KxwDomHtmlElementScript*>(mptNode);
            std::string dsText(ptScript->GetEffectiveTextDcsStr(), ptScript->GetEffectiveTextDcsLenInBytes());
            ptRun->_tRun.push_back(dsText);
            if (dsText == "remove") {
                KxwDomNodeBase* ptSecond = mptNode->GetDomNextSibling();
                ptSecond->GetDomParentNode()->RemoveChild(ptSecond);
            } else if (dsText == "reset") {
                mptDocument->Reset();
            }
            return true;
        },
        &tRun);
    BuildPage(
        "<script id=s1 src=1.js></script><script id=s2 src=2.js></script><script id=s3 src=3.js></script>"
        "<script id=s4 src=4.js></script>");
    const char* apszTexts[] = {"remove", "never", "reset", "never"};
    const char* apszIds[] = {"s1", "s2", "s3", "s4"};
    std::vector<KxwDomHtmlElementScript*> tScripts;
    for (int i = 0; i < 4; ++i) {
        tScripts.push_back(Script(apszIds[i]));
        tScripts.back()->SetDownloadedText(apszTexts[i], static_cast<unsigned>(std::strlen(apszTexts[i])));
        _ptDocument->AppendPendingScript(tScripts.back());
    }
    _ptDocument->EvaluatePendingScriptSrc();
    EXPECT_EQ((std::vector<std::string>{"remove", "reset"}), tRun._tRun);
    EXPECT_EQ(0u, _ptDocument->GetPendingScriptSrcCount());
    EXPECT_EQ(nullptr, _ptDocument->GetDocumentElement());
    EXPECT_EQ(0, _ptDocument->GetScriptEvaluationDepth());
}

TEST_F(KxwDomHtmlDocumentTest, BadCallsFromScriptsFailCleanly) {
    BuildPage("<div id=d>x</div>");
    for (const char* pszScript :
         {"document.body.appendChild(document)", "document.createElement('<input name=x')",
          "document.getElementById('d').insertAdjacentElement('afterBegin', document.body)",
          "document.getElementById('d').swapNode(document.body)", "document.getElementById.call(null, 'd')",
          "document.getElementById('d').appendChild(document.getElementById('d'))"}) {
        std::string dsResult = Eval(pszScript);
        EXPECT_EQ("ERROR", dsResult.substr(0, 5)) << pszScript << " gave " << dsResult;
    }
    EXPECT_EQ("DIV|BODY", Eval("document.getElementById('d').tagName + '|' + document.getElementById('d').parentNode"
                               ".tagName"));
}

}  // namespace
