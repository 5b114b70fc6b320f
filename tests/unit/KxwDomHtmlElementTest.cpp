// HTML elements as pages and scripts see them: the classes the factory makes by tag, the common properties and
// their parsed setters, the content model, inner text, markup handed to the parser, adjacent insertion, cloning
// and swapping, geometry from the run-time settings, and the methods that answer without effect.
#include <gtest/gtest.h>

#include <string>

#include "KxwDomCoreComment.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomHtmlElementControls.h"
#include "KxwDomHtmlElementForm.h"
#include "KxwDomHtmlElementInput.h"
#include "KxwDomHtmlElementGeneric.h"
#include "KxwDomHtmlElementMeta.h"
#include "KxwDomHtmlElementNoScript.h"
#include "KxwDomHtmlElementScript.h"
#include "KxwDomHtmlElementSimple.h"
#include "KxwDomHtmlElementTitle.h"
#include "KxwDomHtmlTestClasses.h"
#include "KxwJswClassInformation.h"
#include "KxwRecordingSink.h"
#include "KxwUtilTagName.h"
#include "kxw/KxwVUserVars.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

using KxwDomHtmlElementTest = KxwDomHtmlTest;

std::string Dcs(const KxwDomHtmlPropertyStr& mrtProperty) {
    return mrtProperty.GetDcsStr() ? std::string(mrtProperty.GetDcsStr(), mrtProperty.GetDcsLenInBytes())
                                   : std::string();
}

TEST_F(KxwDomHtmlElementTest, TheFactoryMakesTheClassOfEachTagWithItsScriptClass) {
    struct Case {
        const char* _pszTag;
        const char* _pszScriptClass;
        int _iSubtype;
    };
    const Case katCases[] = {
        {"div", "div", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_DIV},
        {"A", "anchor", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_A},
        {"area", "area", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_AREA},
        {"img", "image", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IMG},
        {"form", "form", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FORM},
        {"input", "input", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT},
        {"textarea", "textArea", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA},
        {"object", "ACTIVEX_OBJECT", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OBJECT},
        {"applet", "JAVA_APPLET", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_APPLET},
        {"iframe", "iframe", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IFRAME},
        {"small", "Small", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SMALL},
        {"body", "body", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY},
        {"blockquote", "blockQuote", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BLOCKQUOTE},
        {"comment", "comment", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_COMMENT},
        {"wbr", "wbr", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_WBR},
        {"table", "table", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TABLE},
        {"thead", "thead", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_THEAD},
        {"tbody", "tbody", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TBODY},
        {"tfoot", "tfoot", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TFOOT},
        {"tr", "tr", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TR},
        {"td", "td", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TD},
        {"th", "th", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TH},
        {"caption", "caption", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_CAPTION},
        {"colgroup", "colgroup", KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_COLGROUP},
        {"blink", "_generic", KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT},
        {"o:p", "_generic", KXW_DOM_COMMON_NODE_SUBTYPE_NAMESPACED_ELEMENT},
    };
    for (const Case& rtCase : katCases) {
        KxwDomHtmlElement* ptElement = NewElement(rtCase._pszTag);
        ASSERT_NE(nullptr, ptElement) << rtCase._pszTag;
        EXPECT_EQ(rtCase._iSubtype, ptElement->GetNodeSubtype()) << rtCase._pszTag;
        EXPECT_STREQ(rtCase._pszScriptClass, ptElement->GetClassInformation()->GetClassName()) << rtCase._pszTag;
        EXPECT_TRUE(ptElement->GetClassInformation()->IsSubclassOf(&KxwDomHtmlElement::GetElementClassInformation()));
        EXPECT_TRUE(ptElement->GetClassInformation()->IsValid()) << rtCase._pszTag;
        delete ptElement;
    }
    // Every tag the library knows has a class; the behaviour-file tags are not made here.
    for (int iSubtype = KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TITLE;
         iSubtype <= KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_WBR; ++iSubtype) {
        KxwDomHtmlElement* ptElement = KxwDomHtmlElement::AllocElement(KxwUtilTagName(iSubtype), _ptDocument, false);
        ASSERT_NE(nullptr, ptElement) << iSubtype;
        EXPECT_EQ(iSubtype, ptElement->GetNodeSubtype());
        EXPECT_TRUE(ptElement->GetClassInformation()->IsValid()) << iSubtype;
        delete ptElement;
    }
    KxwRecordingSink tSink;
    EXPECT_EQ(nullptr, KxwDomHtmlElement::AllocElement(
                           KxwUtilTagName(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_ATTACH), _ptDocument, false));
    EXPECT_EQ(nullptr, KxwDomHtmlElement::AllocElement(KxwUtilTagName("a b", 3), _ptDocument, false));
    EXPECT_EQ(nullptr, KxwDomHtmlElement::AllocElement(KxwUtilTagName("div", 3), nullptr, false));
    EXPECT_TRUE(tSink.Saw("Invalid mrtTagName in KxwDomHtmlElement::AllocElement"));
    EXPECT_TRUE(tSink.Saw("Invalid mptOwnerDocument="));
}

TEST_F(KxwDomHtmlElementTest, SubtypesAreFoundByTagNameIgnoringCase) {
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA,
              KxwDomHtmlElement::GetSubtypeByU16nTagName(u"TextArea", 8));
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_H6, KxwDomHtmlElement::GetSubtypeByU16nTagName(u"h6", 2));
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_METHOD,
              KxwDomHtmlElement::GetSubtypeByU16nTagName(u"public:method", 13));
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_NONE, KxwDomHtmlElement::GetSubtypeByU16nTagName(u"blink", 5));
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_NONE, KxwDomHtmlElement::GetSubtypeByU16nTagName(nullptr, 3));
}

TEST_F(KxwDomHtmlElementTest, ElementsAreMadeOnTheDocumentsMemoryAndParkedWhenAsked) {
    size_t nBlocks = _ptMemMgr->GetLiveBlockCount();
    KxwDomHtmlElement* ptElement = KxwDomHtmlElement::AllocElement(KxwUtilTagName("span", 4), _ptDocument, true);
    ASSERT_NE(nullptr, ptElement);
    EXPECT_EQ(_ptMemMgr, ptElement->GetMemMgr());
    EXPECT_GT(_ptMemMgr->GetLiveBlockCount(), nBlocks);
    EXPECT_TRUE(_ptDocument->IsOnDisconnectedNodesList(ptElement));
    // An element nobody inserts and no script holds goes with the next collection.
    _ptEngine->CollectGarbage();
    EXPECT_EQ(0u, _ptDocument->GetDisconnectedNodesCount());
}

TEST_F(KxwDomHtmlElementTest, ParsedAttributesGoToTheDomPropertiesTheOthersAreKept) {
    BuildPage(
        "<div id=d1 title='Tip' lang=fr accesskey=k tabindex=3 class=big dir=RTL style='color:red' "
        "data-x=1 nowrap>x</div>");
    KxwDomHtmlElement* ptDiv = ById("d1");
    ASSERT_NE(nullptr, ptDiv);
    EXPECT_EQ("d1", Dcs(ptDiv->GetId()));
    EXPECT_EQ("Tip", Dcs(ptDiv->GetTitle()));
    EXPECT_EQ("fr", Dcs(ptDiv->GetLang()));
    EXPECT_EQ("k", Dcs(ptDiv->GetAccessKey()));
    EXPECT_EQ(3, ptDiv->GetLongTabIndex());
    EXPECT_EQ("big", Dcs(ptDiv->GetClassName()));
    EXPECT_EQ("rtl", Dcs(ptDiv->GetDir()));
    ASSERT_NE(nullptr, ptDiv->GetStyleText());
    EXPECT_EQ("color:red", Dcs(*ptDiv->GetStyleText()));
    const char* psfValue = nullptr;
    unsigned uLen = 0;
    EXPECT_TRUE(ptDiv->GetPropertyByNameDcs("data-x", 6, &psfValue, &uLen));
    EXPECT_FALSE(ptDiv->GetPropertyByNameDcs("class", 5, &psfValue, &uLen));
    EXPECT_EQ("d1|Tip|fr|k|3|big|rtl|1|", Eval("var d = document.getElementById('d1'); [d.id, d.title, d.lang, "
                                               "d.accessKey, d.tabIndex, d.className, d.dir, d.getAttribute('data-x'), "
                                               "d.getAttribute('nowrap')].join('|')"));
    // The markup's first value stays; a bad tab index or direction is dropped.
    ptDiv->SetIdParsed("other");
    EXPECT_EQ("d1", Dcs(ptDiv->GetId()));
    KxwDomHtmlElement* ptSpan = NewElement("span");
    ptSpan->AddParsedAttr("tabindex", "x3");
    ptSpan->AddParsedAttr("dir", "up");
    EXPECT_FALSE(ptSpan->IsSpecifiedTabIndex());
    EXPECT_TRUE(ptSpan->GetDir().IsEmpty());
    delete ptSpan;
}

TEST_F(KxwDomHtmlElementTest, CommonPropertiesAreWrittenFromScripts) {
    BuildPage("<p id=p1>text</p>");
    EXPECT_EQ("new|T|de|q|7|c1 c2|ltr", Eval("var p = document.getElementById('p1'); p.id = 'new'; p.title = 'T'; "
                                             "p.lang = 'de'; p.accessKey = 'q'; p.tabIndex = '7'; "
                                             "p.className = 'c1 c2'; p.dir = 'LTR'; [p.id, p.title, p.lang, "
                                             "p.accessKey, p.tabIndex, p.className, p.dir].join('|')"));
    {
        KxwRecordingSink tSink;
        Eval("p.dir = 'sideways'");
        EXPECT_TRUE(tSink.Saw("dir: the method could not be carried out"));
        EXPECT_EQ("ltr", Eval("p.dir"));
    }
    EXPECT_EQ("[object styleprop]|true|false",
              Eval("String(p.style) + '|' + (p.style === p.style) + '|' + (p.currentStyle === p.runtimeStyle)"));
    EXPECT_EQ("lan|HTML|complete|1", Eval("[p.connectionType, p.scopeName, p.readyState, p.sourceIndex].join('|')"));
}

TEST_F(KxwDomHtmlElementTest, ChangingAnIdReKeysTheCollectionsAtOnce) {
    BuildPage("<div id=a>1</div><form id=f name=n1></form>");
    EXPECT_EQ("DIV", Eval("document.all.a.tagName"));
    EXPECT_EQ("true|DIV|FORM", Eval("var d = document.all.a; d.id = 'b'; [document.all.a === undefined || "
                                    "document.all.a === null, document.all.b.tagName, document.all.f.tagName]"
                                    ".join('|')"));
    // A name change re-keys the named collections too.
    EXPECT_EQ("FORM|true", Eval("var f = document.forms.n1; f.name = 'n2'; [document.forms.n2.tagName, "
                                "document.forms.n1 == null].join('|')"));
    EXPECT_EQ("FORM", Eval("document.n2.tagName"));
}

TEST_F(KxwDomHtmlElementTest, TheContentModelSaysWhichElementsHaveContent) {
    EXPECT_EQ("true|true|false|false|false|true|true|false|true",
              Eval("['div', 'p', 'br', 'img', 'input', 'caption', 'table', 'blink', 'o:p'].map(function (t) { "
                   "return document.createElement(t).canHaveChildren; }).join('|')"));
    EXPECT_EQ(KXW_DOM_HTML_CONTENT_MODEL_MARKED,
              KxwDomHtmlElement::GetContentModel(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY));
    EXPECT_EQ("false|true|false|true", Eval("var i = document.createElement('input'); var t = "
                                            "document.createElement('textarea'); [i.isMultiLine, t.isMultiLine, "
                                            "document.createElement('div').isTextEdit, i.isContentEditable]"
                                            ".join('|')"));
}

TEST_F(KxwDomHtmlElementTest, InnerTextIsTheTextOfTheSubtreeAndReplacesTheContent) {
    BuildPage("<div id=d>a<b>b</b><p>c</p>d&nbsp;e<br>f</div>");
    EXPECT_EQ(u"ab\r\ncd\u00A0e\r\nf", ById("d")->GetInnerText());
    EXPECT_EQ("ab\r\ncd e\r\nf", Eval("document.getElementById('d').innerText"));
    EXPECT_EQ("1|new|3", Eval("var d = document.getElementById('d'); d.innerText = 'new'; [d.childNodes.length, "
                              "d.innerText, d.firstChild.nodeType].join('|')"));
    // outerText replaces only the content too.
    EXPECT_EQ("DIV|x", Eval("d.outerText = 'x'; document.getElementById('d').tagName + '|' + d.innerText"));
    EXPECT_EQ("0|", Eval("d.innerText = ''; d.childNodes.length + '|' + d.innerText"));
}

TEST_F(KxwDomHtmlElementTest, InnerHtmlIsHandedToTheParserForTheElement) {
    BuildPage("<div id=d><span>old</span></div><br id=br>");
    _ptRecorder->_tNotifications.clear();
    EXPECT_EQ("2|B|I", Eval("var d = document.getElementById('d'); d.innerHTML = '<b>x</b><i>y</i>'; "
                            "[d.children.length, d.children[0].tagName, d.children[1].tagName].join('|')"));
    ASSERT_EQ(1u, _ptRecorder->Texts(KXW_DOM_COMMON_NOTIFICATION_ENUM_INNER_HTML).size());
    EXPECT_EQ("<b>x</b><i>y</i>", _ptRecorder->Texts(KXW_DOM_COMMON_NOTIFICATION_ENUM_INNER_HTML)[0]);
    EXPECT_EQ(static_cast<void*>(ById("d")), _ptRecorder->_tNotifications[0]._pvSubject);
    // An element without content refuses markup.
    {
        KxwRecordingSink tSink;
        Eval("document.getElementById('br').innerHTML = '<b>no</b>'");
        EXPECT_TRUE(tSink.Saw("Cannot set the inner HTML of a <BR> element"));
        EXPECT_EQ("0", Eval("document.getElementById('br').childNodes.length"));
    }
    // The getters write the content back from the tree.
    EXPECT_EQ("<B>x</B><I>y</I>|<DIV id=\"d\"><B>x</B><I>y</I></DIV>", Eval("d.innerHTML + '|' + d.outerHTML"));
    // outerHTML puts the parsed nodes in the element's place.
    EXPECT_EQ("P|Q|false", Eval("var b = d.firstChild; b.outerHTML = '<p>1</p><q>2</q>'; [d.children[0].tagName, "
                                "d.children[1].tagName, d.contains(b)].join('|')"));
}

TEST_F(KxwDomHtmlElementTest, AdjacentInsertionPlacesNodesAndJoinsTexts) {
    BuildPage("<div id=outer>a<div id=d>b</div>c</div>");
    EXPECT_EQ("b1|1", Eval("var d = document.getElementById('d'); d.insertAdjacentText('BeforeEnd', '1'); "
                           "[d.innerText, d.childNodes.length].join('|')"));
    EXPECT_EQ("1|0b1", Eval("d.insertAdjacentText('afterBegin', '0'); [d.childNodes.length, d.innerText].join('|')"));
    EXPECT_EQ("3|a-", Eval("var o = document.getElementById('outer'); d.insertAdjacentText('beforebegin', '-'); "
                           "[o.childNodes.length, o.firstChild.data].join('|')"));
    EXPECT_EQ("3|+c", Eval("d.insertAdjacentText('afterend', '+'); [o.childNodes.length, o.lastChild.data].join('|')"));
    EXPECT_EQ("SPAN|SPAN", Eval("var s = document.createElement('span'); var r = d.insertAdjacentElement("
                                "'afterBegin', s); [r.tagName, d.firstChild.tagName].join('|')"));
    EXPECT_EQ("I|B", Eval("d.insertAdjacentHTML('beforeEnd', '<i>x</i><b>y</b>'); [d.children[1].tagName, "
                          "d.lastChild.tagName].join('|')"));
    // A position that is not one leaves the tree as it is.
    int iBefore = static_cast<int>(ById("outer")->GetAll()->GetLength());
    EXPECT_EQ("ERROR", Eval("d.insertAdjacentHTML('middle', '<u>no</u>')").substr(0, 5));
    EXPECT_EQ(iBefore, static_cast<int>(ById("outer")->GetAll()->GetLength()));
    EXPECT_EQ("ERROR", Eval("d.insertAdjacentElement('beforeEnd', 'not an element')").substr(0, 5));
    EXPECT_EQ("+c", Eval("d.getAdjacentText('afterEnd')"));
}

TEST_F(KxwDomHtmlElementTest, AdjacentTextIsReadAndReplaced) {
    BuildPage("<div id=o>before<span id=s>in</span>after</div>");
    EXPECT_EQ("before|in|in|after", Eval("var s = document.getElementById('s'); [s.getAdjacentText('beforeBegin'), "
                                         "s.getAdjacentText('afterBegin'), s.getAdjacentText('beforeEnd'), "
                                         "s.getAdjacentText('afterEnd')].join('|')"));
    EXPECT_EQ("after|AFTER", Eval("[s.replaceAdjacentText('afterEnd', 'AFTER'), s.getAdjacentText('afterEnd')]"
                                  ".join('|')"));
    EXPECT_EQ("|new|2", Eval("var e = document.createElement('b'); s.appendChild(e); [e.replaceAdjacentText("
                             "'afterBegin', 'new'), e.innerText, s.childNodes.length].join('|')"));
}

TEST_F(KxwDomHtmlElementTest, ContainsCloneNodeAndSwapNode) {
    BuildPage("<div id=a title=t class=c data-k=v><span id=s>x<b>y</b></span></div><p id=p>p</p>");
    EXPECT_EQ("true|false|false|false",
              Eval("var a = document.getElementById('a'); var s = document.getElementById('s'); [a.contains(s), "
                   "s.contains(a), a.contains(a), a.contains(s.firstChild)].join('|')"));
    EXPECT_EQ("DIV|a|t|c|v|0|null", Eval("var c = a.cloneNode(false); [c.tagName, c.id, c.title, c.className, "
                                         "c.getAttribute('data-k'), c.childNodes.length, String(c.parentNode)]"
                                         ".join('|')"));
    EXPECT_EQ("1|xy|SPAN|false", Eval("var d = a.cloneNode(true); [d.childNodes.length, d.innerText, "
                                      "d.firstChild.tagName, d.firstChild === s].join('|')"));
    Eval("a.expando = 42;");
    EXPECT_EQ("42", Eval("a.cloneNode(false).expando"));
    // Two elements in the tree exchange their places.
    EXPECT_EQ("P|DIV", Eval("var p = document.getElementById('p'); a.swapNode(p); var b = document.body; "
                            "[b.children[0].tagName, b.children[1].tagName].join('|')"));
    // A detached element takes the place of one in the tree.
    EXPECT_EQ("I|null", Eval("var i = document.createElement('i'); i.swapNode(p); [document.body.children[0].tagName, "
                             "String(p.parentNode)].join('|')"));
    EXPECT_EQ("ok", Eval("i.swapNode(document.createTextNode('t')); 'ok'"));
    // A clone nobody keeps goes with the next collection.
    Eval("a.cloneNode(true); null");
    _ptEngine->CollectGarbage();
}

TEST_F(KxwDomHtmlElementTest, GeometryComesFromTheRunTimeSettings) {
    KxwVUserVars tVUserVars(1);
    KxwVUserVarsThreadBinding tBinding(&tVUserVars);
    tVUserVars.GetRTS().SetDefaultOffsetWidth(320);
    tVUserVars.GetRTS().SetDefaultClientHeight(200);
    BuildPage("<table id=t><tr><td><span id=s>x</span></td></tr></table>");
    EXPECT_EQ("320|200|1|0|1", Eval("var s = document.getElementById('s'); [s.offsetWidth, s.clientHeight, "
                                    "s.offsetTop, s.scrollTop, s.scrollHeight].join('|')"));
    EXPECT_EQ("0|TD", Eval("s.scrollTop = 50; s.scrollTop + '|' + s.offsetParent.tagName"));
    EXPECT_EQ("2|2|4|4|1", Eval("var r = s.getBoundingClientRect(); var l = s.getClientRects(); [r.left, r.top, "
                                "r.right, r.bottom, l.length].join('|')"));
    EXPECT_EQ("4", Eval("s.getClientRects()[0].right"));
}

TEST_F(KxwDomHtmlElementTest, MethodsWithoutEffectAnswerAsTheEmulatedBrowserDoes) {
    KxwRecordingSink tSink;
    BuildPage("<div id=d>x</div>");
    EXPECT_EQ("true|false|6,0,2800,1106|null",
              Eval("var d = document.getElementById('d'); [d.isComponentInstalled("
                   "'{89820200-ecbd-11cf-8b85-00aa005b4383}', 'componentid'), d.isComponentInstalled('{x}', "
                   "'componentid'), d.getComponentVersion('{89820200-ecbd-11cf-8b85-00aa005b4383}', 'componentid'), "
                   "String(d.getComponentVersion('{x}', 'componentid'))].join('|')"));
    EXPECT_EQ("outside|false|undefined|undefined|1", Eval("[d.componentFromPoint(1, 2), d.dragDrop(), "
                                                          "String(d.getExpression('width')), String(d.click()), "
                                                          "d.addBehavior('#default#x')].join('|')"));
    EXPECT_EQ("ok", Eval("d.scrollIntoView(true); d.setCapture(); d.releaseCapture(); d.setExpression('w', '1'); "
                         "d.removeExpression('w'); d.normalize(); d.setHomePage('x'); 'ok'"));
    EXPECT_TRUE(tSink.Saw("scrollIntoView() is not supported for this="));
    EXPECT_TRUE(tSink.Saw("setExpression(\"w\", \"1\", \"\") not supported for \"DIV\" elements and is ignored"));
    EXPECT_EQ("true|false", Eval("[d.isHomePage('http://WWW.example.com/x'), d.isHomePage('http://other.com/')]"
                                 ".join('|')"));
    EXPECT_EQ("true", Eval("d.filters != null && d.filters.anything != null"));
}

TEST_F(KxwDomHtmlElementTest, ApplyElementWrapsTheElement) {
    BuildPage("<div id=d><span id=s>x</span></div>");
    EXPECT_EQ("B|SPAN|B", Eval("var s = document.getElementById('s'); var b = document.createElement('b'); "
                               "var r = s.applyElement(b); [document.getElementById('d').firstChild.tagName, "
                               "b.firstChild.tagName, r.tagName].join('|')"));
    EXPECT_EQ("ERROR", Eval("s.applyElement(document.createElement('i'), 'inside')").substr(0, 5));
    EXPECT_EQ("ERROR", Eval("s.applyElement(document.createElement('br'))").substr(0, 5));
}

TEST_F(KxwDomHtmlElementTest, ParentElementDocumentAndNamespacedScopeName) {
    BuildPage("<div id=d><o:p id=op>x</o:p><blink id=bl></blink></div>");
    EXPECT_EQ("DIV|true|null", Eval("var op = document.getElementById('op'); [op.parentElement.tagName, "
                                    "op.document === document, String(document.documentElement.parentElement)]"
                                    ".join('|')"));
    EXPECT_EQ("O|O:P|HTML", Eval("[op.scopeName, op.tagName, document.getElementById('bl').scopeName].join('|')"));
    EXPECT_EQ("true|false", Eval("[op.canHaveHTML, document.getElementById('bl').canHaveHTML].join('|')"));
}

TEST_F(KxwDomHtmlElementTest, ClassesWithTheirParsedProperties) {
    BuildPage(
        "<base href='http://base.example.org/sub/' target=top>"
        "<meta http-equiv=Refresh content=\"5; URL='javascript:go()'\">"
        "<meta http-equiv=Content-Type content='text/html; charset=utf-8'>"
        "<a id=a name=an href=rel.html target=_self>x</a><img id=i name=im src=pic.gif>"
        "<form id=f name=fm target=fr><input id=in name=q type=PASSWORD><button id=bt type=reset>b</button>"
        "</form><iframe id=ifr name=ifn src=frame.html></iframe><object id=o><param id=pa name=pn value=pv>"
        "</object><script id=sc src=s.js type=text/javascript defer event=onclick for=win></script>");
    EXPECT_EQ("http://base.example.org/sub/rel.html|_self|an", Eval("var a = document.getElementById('a'); "
                                                                    "[a.href, a.target, a.name].join('|')"));
    EXPECT_EQ("http://base.example.org/sub/pic.gif|im", Eval("var i = document.getElementById('i'); [i.src, i.name]"
                                                             ".join('|')"));
    EXPECT_EQ("fm|fr|q|password|reset", Eval("var f = document.getElementById('f'); [f.name, f.target, "
                                             "document.getElementById('in').name, document.getElementById('in').type, "
                                             "document.getElementById('bt').type].join('|')"));
    EXPECT_EQ("ifn|http://base.example.org/sub/frame.html|pn|pv",
              Eval("var fr = document.getElementById('ifr'); var pa = document.getElementById('pa'); [fr.name, fr.src, "
                   "pa.name, pa.value].join('|')"));
    EXPECT_EQ("http://base.example.org/sub/s.js|text/javascript|true|onclick|win",
              Eval("var sc = document.getElementById('sc'); [sc.src, sc.type, sc.defer, sc.event, sc.htmlFor]"
                   ".join('|')"));
    auto* ptScript = static_cast<KxwDomHtmlElementScript*>(ById("sc"));
    EXPECT_TRUE(ptScript->IsDeferFromHtml());
    EXPECT_FALSE(ptScript->IsEmptyEvent());
    EXPECT_FALSE(ptScript->IsAwaitingClosingTag());
    // The type of an input in a tree is fixed.
    {
        KxwRecordingSink tSink;
        EXPECT_EQ("password", Eval("document.getElementById('in').type = 'text'; document.getElementById('in').type"));
        EXPECT_TRUE(tSink.Saw("Cannot change the type of this INPUT element to \"text\""));
    }
    EXPECT_EQ("checkbox", Eval("var n = document.createElement('input'); n.type = 'CheckBox'; n.type"));
    EXPECT_EQ("text|button", Eval("var x = document.createElement('input'); x.type = 'nonsense'; [x.type, "
                                  "document.createElement('button').type].join('|')"));
}

TEST_F(KxwDomHtmlElementTest, MetaRefreshSetByScriptIsNoRefresh) {
    BuildPage("<meta id=mr http-equiv=Refresh content=\"1;URL=javascript:x()\"><p>x</p>");
    auto* ptMeta = static_cast<KxwDomHtmlElementMeta*>(ById("mr"));
    ASSERT_NE(nullptr, ptMeta);
    EXPECT_TRUE(ptMeta->IsRefresh());
    EXPECT_EQ("3;URL=javascript:y()", Eval("var m = document.getElementById('mr'); m.content = '3;URL=javascript:y()';"
                                           " m.content"));
    // The new content is parsed again, but a refresh is what the markup asked for.
    EXPECT_EQ(3000, ptMeta->GetRefreshDelayOrMinus1());
    EXPECT_EQ("javascript:y()", std::string(ptMeta->GetRefreshUrlStr(), ptMeta->GetRefreshUrlLen()));
    EXPECT_FALSE(ptMeta->IsRefresh());
}

TEST_F(KxwDomHtmlElementTest, MetaRefreshContentIsParsed) {
    struct Case {
        const char* _pszContent;
        int _iDelay;
        const char* _pszUrl;
    };
    const Case katCases[] = {
        {"5; URL=javascript:go()", 5000, "javascript:go()"},
        {" 0;url='javascript:a();b()'", 0, "javascript:a();b()"},
        {"7", 7000, ""},
        {"3URL=x", 3000, ""},
        {"2.5 , Url = \"page.html\"", 2500, "page.html"},
        {"soon; URL=x", -1, ""},
        {"1;URL='javascript:a(\"x\");b()", 1000, "javascript:a(\"x\");b()"},  // no closing quote: to the end
        {"4 URL: x", 4000, ""},
        {"2;URL=page.html;later", 2000, "page.html"},
    };
    for (const Case& rtCase : katCases) {
        auto* ptMeta = static_cast<KxwDomHtmlElementMeta*>(NewElement("meta"));
        ptMeta->AddParsedAttr("http-equiv", "refresh");
        ptMeta->AddParsedAttr("content", rtCase._pszContent);
        EXPECT_EQ(rtCase._iDelay, ptMeta->GetRefreshDelayOrMinus1()) << rtCase._pszContent;
        EXPECT_EQ(rtCase._pszUrl, std::string(ptMeta->GetRefreshUrlStr(), ptMeta->GetRefreshUrlLen()))
            << rtCase._pszContent;
        delete ptMeta;
    }
    auto* ptMeta = static_cast<KxwDomHtmlElementMeta*>(NewElement("meta"));
    ptMeta->AddParsedAttr("http-equiv", "Refresh");
    ptMeta->AddParsedAttr("content", "1;URL=javascript:x()");
    EXPECT_TRUE(ptMeta->IsRefresh());
    auto* ptOther = static_cast<KxwDomHtmlElementMeta*>(NewElement("meta"));
    ptOther->AddParsedAttr("http-equiv", "Refresh");
    ptOther->AddParsedAttr("content", "1;URL=other.html");
    EXPECT_FALSE(ptOther->IsRefresh()) << "a refresh to an address was taken for a javascript: one";
    EXPECT_TRUE(ptOther->IsRefreshToAddress());
    EXPECT_FALSE(ptMeta->IsRefreshToAddress());
    auto* ptNoDelay = static_cast<KxwDomHtmlElementMeta*>(NewElement("meta"));
    ptNoDelay->AddParsedAttr("http-equiv", "refresh");
    ptNoDelay->AddParsedAttr("content", "soon; URL=other.html");
    EXPECT_FALSE(ptNoDelay->IsRefreshToAddress()) << "a content without a delay is no refresh";
    delete ptNoDelay;
    {
        // The run-time settings bound the delay, and can make every accepted refresh immediate.
        KxwVUserVars tVUserVars(1);
        KxwVUserVarsThreadBinding tBinding(&tVUserVars);
        tVUserVars.GetRTS().SetMaxMetaRefreshDelay(10);
        auto* ptLong = static_cast<KxwDomHtmlElementMeta*>(NewElement("meta"));
        ptLong->AddParsedAttr("http-equiv", "refresh");
        ptLong->AddParsedAttr("content", "10.5;URL=javascript:x()");
        EXPECT_EQ(-1, ptLong->GetRefreshDelayOrMinus1()) << "a delay above the maximum was accepted";
        EXPECT_FALSE(ptLong->IsRefresh());
        tVUserVars.GetRTS().SetMetaRefreshImmediately(true);
        auto* ptAtOnce = static_cast<KxwDomHtmlElementMeta*>(NewElement("meta"));
        ptAtOnce->AddParsedAttr("http-equiv", "refresh");
        ptAtOnce->AddParsedAttr("content", "10;URL=javascript:x()");
        EXPECT_EQ(0, ptAtOnce->GetRefreshDelayOrMinus1());
        EXPECT_TRUE(ptAtOnce->IsRefresh());
        delete ptLong;
        delete ptAtOnce;
    }
    std::string dsCharset;
    ptOther->AddParsedAttr("charset", "koi8-r");
    EXPECT_TRUE(ptOther->GetDeclaredCharset(dsCharset));
    EXPECT_EQ("koi8-r", dsCharset);
    delete ptMeta;
    delete ptOther;
}

TEST_F(KxwDomHtmlElementTest, TitleAndCommentKeepTheirTextAsAProperty) {
    BuildPage("<title>First</title><div id=d><!-- note -->x<comment>old</comment></div>");
    auto* ptTitle = _ptDocument->GetTitle(false);
    ASSERT_NE(nullptr, ptTitle);
    EXPECT_EQ("First", Dcs(ptTitle->GetText()));
    ptTitle->AddInnerTextDcs("Second", 6);
    EXPECT_EQ("First", Dcs(ptTitle->GetText())) << "only the first character data is the title";
    EXPECT_EQ("8|#comment| note |6|x", Eval("var c = document.getElementById('d').firstChild; [c.nodeType, c.nodeName, "
                                            "c.text, c.length, document.getElementById('d').innerText].join('|')"));
    EXPECT_EQ("1|COMMENT|old", Eval("var e = document.getElementById('d').lastChild; [e.nodeType, e.tagName, e.text]"
                                    ".join('|')"));
    EXPECT_EQ("changed", Eval("c.text = 'changed'; c.nodeValue"));
}

TEST_F(KxwDomHtmlElementTest, ClearAttributesAndRemoveAttributeNode) {
    BuildPage("<div id=d title=t lang=en class=c>x</div>");
    EXPECT_EQ("d|||", Eval("var d = document.getElementById('d'); d.clearAttributes(); [d.id, d.title, d.lang, "
                           "d.className].join('|')"));
    EXPECT_EQ("ti|true|", Eval("d.title = 'ti'; var n = d.getAttributeNode('title'); var r = d.removeAttributeNode(n); "
                               "[r.value, r === n, d.title].join('|')"));
    EXPECT_EQ("ERROR", Eval("d.removeAttributeNode(document.createAttribute('x'))").substr(0, 5));
}

TEST_F(KxwDomHtmlElementTest, ElementsStaySmall) {
    // Elements are made for every tag of every page of many virtual users: the common class must stay small, the
    // properties most elements never set live outside it.
    EXPECT_LE(sizeof(KxwDomHtmlElement), sizeof(KxwDomCoreElement) + 80);
    KxwDomHtmlElement* ptDiv = NewElement("div");
    size_t nBlocks = _ptMemMgr->GetLiveBlockCount();
    ptDiv->GetTitle();
    ptDiv->GetLang();
    EXPECT_EQ(nBlocks, _ptMemMgr->GetLiveBlockCount()) << "reading an unset property allocates nothing";
    delete ptDiv;
}

}  // namespace

namespace {

TEST_F(KxwDomHtmlElementTest, MergeAttributesTakesTheSourcesAttributes) {
    BuildPage("<div id=src title=t class=c data-x=1>s</div><p id=dst>d</p>");
    EXPECT_EQ("dst|t|c|1|42", Eval("var s = document.getElementById('src'); s.expando = 42; "
                                   "var d = document.getElementById('dst'); d.mergeAttributes(s); [d.id, d.title, "
                                   "d.className, d.getAttribute('data-x'), d.expando].join('|')"));
    EXPECT_EQ("src|2", Eval("d.mergeAttributes(s, false); [d.id, document.all.src.length].join('|')"))
        << "an id taken over re-keys the collections";
    KxwRecordingSink tSink;
    EXPECT_EQ("ERROR", Eval("d.mergeAttributes(d.firstChild)").substr(0, 5));
    EXPECT_TRUE(tSink.Saw("invalid/unsupported for this="));
}

TEST_F(KxwDomHtmlElementTest, TheActiveTargetIsTheElementsOrItsBases) {
    BuildPage(
        "<base target=fromBase><a id=a1 href=x>1</a><a id=a2 href=y target=own>2</a><form id=f></form>"
        "<div id=d></div>");
    auto tTarget = [this](const char* mpszId) {
        unsigned uLen = 0;
        const char* psfTarget = ById(mpszId)->GetActiveTarget(&uLen);
        return std::string(psfTarget, uLen);
    };
    EXPECT_EQ("fromBase", tTarget("a1"));
    EXPECT_EQ("own", tTarget("a2"));
    EXPECT_EQ("fromBase", tTarget("f"));
    KxwRecordingSink tSink;
    EXPECT_EQ("", tTarget("d"));
    EXPECT_TRUE(tSink.Saw("A <DIV> element has no \"target\" property"));
}

TEST_F(KxwDomHtmlElementTest, ASplitGetsAnEmptyElementOfTheSameKind) {
    BuildPage("<b id=bold class=k>x</b>");
    KxwDomNodeBase* ptPart = ById("bold")->CloneForSplit();
    ASSERT_NE(nullptr, ptPart);
    auto* ptElement = KxwJswUserObjBase::ConvertToElement(ptPart);
    ASSERT_NE(nullptr, ptElement);
    EXPECT_EQ(KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_B, ptElement->GetNodeSubtype());
    EXPECT_EQ("k", Dcs(ptElement->GetClassName()));
    EXPECT_FALSE(ptElement->HasChildNodes());
    delete ptPart;
}

}  // namespace

TEST_F(KxwDomHtmlElementTest, NoScriptKeepsItsMarkupWholeAndMakesNoNodes) {
    BuildPage("<noscript id=n><b>bold</b> &amp; <img src=x.gif></noscript><p id=p>after</p>");
    auto* ptNoScript = dynamic_cast<KxwDomHtmlElementNoScript*>(ById("n"));
    ASSERT_NE(nullptr, ptNoScript);
    EXPECT_EQ("<b>bold</b> &amp; <img src=x.gif>", Dcs(ptNoScript->GetContent()));
    EXPECT_EQ(nullptr, ptNoScript->GetFirstChild());
    // More text for it (a page that arrives in pieces) is added to what it has.
    ptNoScript->AddInnerTextDcs("<i>more</i>", 11);
    EXPECT_EQ("<b>bold</b> &amp; <img src=x.gif><i>more</i>", Dcs(ptNoScript->GetContent()));
    EXPECT_EQ("0|noscript", Eval("var n = document.getElementById('n'); n.childNodes.length + '|' + "
                                 "n.cloneNode(true).tagName.toLowerCase()"));
}
