#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "KxwRecordingSink.h"
#include "KxwU16nHandler.h"
#include "KxwiHtmlTreeBuilder.h"
#include "KxwiHtmlTreeTestSink.h"

namespace {

using Node = KxwiHtmlTreeTestSink::Node;

// The whole document built from one feed.
std::string Doc(const std::string& mdsPage) {
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    tBuilder.Feed(mdsPage.data(), mdsPage.size());
    tBuilder.EndOfInput();
    EXPECT_TRUE(tSink._tErrors.empty()) << tSink._tErrors.front();
    EXPECT_TRUE(tBuilder.IsEnded());
    EXPECT_EQ(1, tSink._nEnds);
    return tSink.Document();
}

// The body's children only.
std::string Body(const std::string& mdsPage) {
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    tBuilder.Feed(mdsPage.data(), mdsPage.size());
    tBuilder.EndOfInput();
    EXPECT_TRUE(tSink._tErrors.empty()) << tSink._tErrors.front();
    return tSink.Body();
}

// The children that markup gives an element of the given name (innerHTML), with the element's end tag appended as
// the library sends it.
std::string Fragment(const std::string& mdsContext, const std::string& mdsMarkup, bool mbAppendEndTag = true) {
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    Node tContext;
    tContext._eKind = Node::kElement;
    tContext._dsName = mdsContext;
    EXPECT_TRUE(tBuilder.BeginFragment(&tContext, mdsContext.data(), mdsContext.size()));
    std::string dsText = mdsMarkup + (mbAppendEndTag ? "</" + mdsContext + ">" : "");
    tBuilder.Feed(dsText.data(), dsText.size());
    tBuilder.EndOfInput();
    EXPECT_TRUE(tSink._tErrors.empty()) << tSink._tErrors.front();
    EXPECT_TRUE(tSink._tDocument._tChildren.empty()) << "a fragment adds nothing to the document";
    return KxwiHtmlTreeTestSink::Render(&tContext);
}

// Scripts for the tests are commands separated by ';': "w:TEXT" writes TEXT with [ ] for < > and { } for [ ]
// (so that a written script can write again), "log" records the body as it is at that moment, "pause" pauses the
// builder as a script waiting for its source would.
class ScriptedPage {
public:
    ScriptedPage() {
        _tSink._fOnScript = [this](Node* mptScript, bool) { Run(KxwiHtmlTreeTestSink::TextOf(mptScript)); };
    }
    void Run(const std::string& mdsScript) {
        size_t nPos = 0;
        while (nPos <= mdsScript.size()) {
            size_t nEnd = mdsScript.find(';', nPos);
            if (nEnd == std::string::npos) nEnd = mdsScript.size();
            std::string dsCommand = mdsScript.substr(nPos, nEnd - nPos);
            nPos = nEnd + 1;
            if (dsCommand.rfind("w:", 0) == 0) {
                std::string dsText = dsCommand.substr(2);
                for (char& rcChar : dsText)
                    rcChar = rcChar == '['   ? '<'
                             : rcChar == ']' ? '>'
                             : rcChar == '{' ? '['
                             : rcChar == '}' ? ']'
                                             : rcChar;
                _tBuilder.Write(dsText.data(), dsText.size());
            } else if (dsCommand == "log") {
                _tLog.push_back(_tSink.Body());
            } else if (dsCommand == "pause") {
                _tBuilder.Pause();
            }
        }
    }
    std::string Build(const std::string& mdsPage, size_t mnChunk = 0) {
        if (!mnChunk) mnChunk = mdsPage.size() ? mdsPage.size() : 1;
        for (size_t nPos = 0; nPos < mdsPage.size(); nPos += mnChunk)
            _tBuilder.Feed(mdsPage.data() + nPos, std::min(mnChunk, mdsPage.size() - nPos));
        _tBuilder.EndOfInput();
        EXPECT_TRUE(_tSink._tErrors.empty()) << _tSink._tErrors.front();
        return _tSink.Body();
    }

    KxwiHtmlTreeTestSink _tSink;
    KxwiHtmlTreeBuilder _tBuilder{&_tSink};
    std::vector<std::string> _tLog;
};

// Checks that a page gives the same tree whether it comes in one piece, split in two at every point, or byte by
// byte.
void ExpectSameTreeAtEverySplit(const std::string& mdsPage) {
    std::string dsWhole = Doc(mdsPage);
    for (size_t nSplit = 1; nSplit < mdsPage.size(); ++nSplit) {
        KxwiHtmlTreeTestSink tSink;
        KxwiHtmlTreeBuilder tBuilder(&tSink);
        tBuilder.Feed(mdsPage.data(), nSplit);
        tBuilder.Feed(mdsPage.data() + nSplit, mdsPage.size() - nSplit);
        tBuilder.EndOfInput();
        ASSERT_EQ(dsWhole, tSink.Document()) << "split at " << nSplit;
    }
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    for (char cByte : mdsPage) tBuilder.Feed(&cByte, 1);
    tBuilder.EndOfInput();
    EXPECT_EQ(dsWhole, tSink.Document()) << "byte by byte";
}

}  // namespace

TEST(KxwiHtmlTreeBuilderTest, DocumentElementsAreImplied) {
    EXPECT_EQ("HTML(HEAD,BODY)", Doc(""));
    EXPECT_EQ("HTML(HEAD,BODY)", Doc("  \r\n\t"));
    EXPECT_EQ("HTML(HEAD,BODY(#text:Hello))", Doc("Hello"));
    EXPECT_EQ("HTML(HEAD,BODY(#text:Hello \\n))", Doc("\n  Hello \n"));
    EXPECT_EQ("HTML(HEAD(TITLE(#text:T)),BODY(P(#text:a)))", Doc("<title>T</title><p>a"));
    EXPECT_EQ("HTML[lang=en](HEAD,BODY[bgcolor=white](#text:x))",
              Doc("<html lang=en><head></head><body bgcolor=white>x</body></html>"));
    // The blanks between the head and the body stay in HTML; those after </body> and </html> go to the body.
    EXPECT_EQ("HTML(HEAD(TITLE(#text:T)),#text:\\n,BODY(#text:x\\n\\n\\n))",
              Doc("<html><head><title>T</title></head>\n<body>x\n</body>\n</html>\n"));
    // A comment before the root goes to the document; DOCTYPE only reaches the sink's callback.
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    const std::string dsPage =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<!-- saved from url -->\n<html>"
        "<!-- in html --><head><!-- in head --></head><body><!-- in body --></body></html><!-- after -->";
    tBuilder.Feed(dsPage.data(), dsPage.size());
    tBuilder.EndOfInput();
    EXPECT_EQ(
        "#comment: saved from url ,HTML(#comment: in html ,HEAD(#comment: in head ),BODY(#comment: in body ,"
        "#comment: after ))",
        tSink.Document());
    ASSERT_EQ(1u, tSink._tDoctypes.size());
    EXPECT_EQ("HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"", tSink._tDoctypes[0]);

    // The implied elements say so, with the line of the token that implied them.
    KxwiHtmlTreeTestSink tImplied;
    KxwiHtmlTreeBuilder tImpliedBuilder(&tImplied);
    const std::string dsImplied = "\n\n<p>x<table><tr><td>1</table>";
    tImpliedBuilder.Feed(dsImplied.data(), dsImplied.size());
    tImpliedBuilder.EndOfInput();
    EXPECT_EQ("HTML(HEAD,BODY(P(#text:x,TABLE(TBODY(TR(TD(#text:1)))))))", tImplied.Document());
    for (const char* pszName : {"HTML", "HEAD", "BODY", "TBODY"}) {
        EXPECT_TRUE(tImplied.Find(pszName)->_bImplied) << pszName;
        EXPECT_EQ(3, tImplied.Find(pszName)->_iLine) << pszName;
    }
    EXPECT_FALSE(tImplied.Find("P")->_bImplied);
    EXPECT_FALSE(tImplied.Find("TR")->_bImplied);
}

TEST(KxwiHtmlTreeBuilderTest, HeadContentBeforeTheBodyGoesToHead) {
    EXPECT_EQ(
        "HTML(HEAD(META[name=keywords content=tea,coffee],TITLE(#text:Shop &amp; <b>),BASE[href=/],"
        "LINK[rel=stylesheet href=a.css],STYLE(#text:p > a {}),SCRIPT[language=JavaScript](#text:var a = 1 < 2;)),"
        "BODY(#text:x))",
        Doc("<meta name=keywords content=tea,coffee><title>Shop &amp;amp; <b></title><base href=/>"
            "<link rel=stylesheet href=a.css><style>p > a {}</style>"
            "<script language=JavaScript>var a = 1 < 2;</script>x"));
    // Anything else opens the body, after which head elements stay where they are.
    EXPECT_EQ("HTML(HEAD(TITLE(#text:t)),BODY(DIV(#text:d),SCRIPT(#text:s),TITLE(#text:again)))",
              Doc("<title>t</title><div>d</div><script>s</script><title>again</title>"));
    // A script between </head> and <body> still goes to the head.
    EXPECT_EQ("HTML(HEAD(TITLE(#text:t),SCRIPT(#text:s),META[name=a]),BODY[onload=init()](P(#text:p)))",
              Doc("<head><title>t</title></head><script>s</script><meta name=a><body onload=init()><p>p"));
    // Content before <BODY ...> opened the body; the BODY tag's attributes still reach it, as does a second
    // HTML tag's.
    EXPECT_EQ("HTML[lang=de](HEAD,BODY[onload=init() bgcolor=red](DIV(#text:ad),P(#text:x)))",
              Doc("<html><div>ad</div><body onload=init() bgcolor=red><html lang=de><body onload=other()><p>x"));
    // NOSCRIPT in the head is raw text while scripting is on.
    EXPECT_EQ("HTML(HEAD(NOSCRIPT(#text:<link rel=x>)),BODY)", Doc("<head><noscript><link rel=x></noscript>"));
}

TEST(KxwiHtmlTreeBuilderTest, StartTagsCloseWhatTheyEnd) {
    // P is closed by the start of a block, and by another P; not by a table (quirks mode).
    EXPECT_EQ("P(#text:a),P(#text:b),DIV(#text:c),P(#text:d),UL(LI(#text:e)),P(#text:f),H1(#text:g)",
              Body("<p>a<p>b<div>c</div><p>d<ul><li>e</ul><p>f<h1>g</h1>"));
    EXPECT_EQ("P(#text:a,TABLE(TBODY(TR(TD(#text:1)))),#text:b)", Body("<p>a<table><tr><td>1</table>b"));
    // LI closes LI, but not across a nested list.
    EXPECT_EQ("UL(LI(#text:1),LI(#text:2,OL(LI(#text:2a),LI(#text:2b))),LI(#text:3))",
              Body("<ul><li>1<li>2<ol><li>2a<li>2b</ol><li>3</ul>"));
    EXPECT_EQ("UL(LI(DIV(#text:a)),LI(#text:b))", Body("<ul><li><div>a<li>b</ul>"));
    EXPECT_EQ("DL(DT(#text:t1),DD(#text:d1),DT(#text:t2),DD(#text:d2))", Body("<dl><dt>t1<dd>d1<dt>t2<dd>d2</dl>"));
    // OPTION by OPTION and OPTGROUP; markup inside a list is dropped, its text kept.
    EXPECT_EQ(
        "FORM(SELECT[name=s](OPTION[value=1](#text:One),OPTION[value=2 selected](#text:Two),"
        "OPTGROUP[label=g](OPTION(#text:Three))),INPUT[type=submit])",
        Body("<form><select name=s><option value=1>One<option value=2 selected>T<b>w</b>o<optgroup label=g>"
             "<option>Three</select><input type=submit></form>"));
    // A form inside a form is ignored; its controls join the outer one.
    EXPECT_EQ("FORM[name=a](INPUT[name=x],INPUT[name=y]),INPUT[name=z]",
              Body("<form name=a><input name=x><form name=b><input name=y></form><input name=z></form>"));
    // An A inside an A closes the first.
    EXPECT_EQ("A[href=1](#text:one),A[href=2](#text:two)", Body("<a href=1>one<a href=2>two</a></a>"));
    EXPECT_EQ("A[href=1](B(#text:x)),A[href=2](#text:y)", Body("<a href=1><b>x<a href=2>y"));
    // Headings do not nest; PRE and LISTING drop a first line break.
    EXPECT_EQ("H1(#text:a),H2(#text:b),PRE(#text:  code\\n),LISTING(#text:l)",
              Body("<h1>a<h2>b</h1><pre>\n  code\n</pre><listing>\r\nl</listing>"));
    EXPECT_EQ("BUTTON(#text:a),BUTTON(#text:b)", Body("<button>a<button>b"));
}

TEST(KxwiHtmlTreeBuilderTest, MisnestedAndStrayEndTags) {
    // </b> while an I inside the B is open closes both.
    EXPECT_EQ("B(I(#text:x)),#text:y", Body("<b><i>x</b>y</i>"));
    EXPECT_EQ("DIV(SPAN(#text:a)),#text:b", Body("<div><span>a</div>b"));
    // </p> without an open P makes an empty P; </br> is a BR.
    EXPECT_EQ("#text:a,P,#text:b,BR,#text:c", Body("a</p>b</br>c"));
    // Stray end tags are ignored, and the text around them is one text node.
    EXPECT_EQ("#text:abcd,DIV(#text:e)", Body("a</div>b</x>c</td></table>d<div>e</span></div>"));
    // An end tag does not close past an element that structures the page: </b> is ignored here.
    EXPECT_EQ("B(DIV(#text:x,I(#text:yz)))", Body("<b><div>x<i>y</b>z</i>"));
    EXPECT_EQ("FONT(P(#text:a),P(#text:b))", Body("<font><p>a</font><p>b"));
    // Closing a block closes what was left open in it.
    EXPECT_EQ("DIV(UL(LI(B(#text:x)))),#text:y", Body("<div><ul><li><b>x</div>y"));
    // </body> and </html> do not close the body: what follows still goes into it.
    EXPECT_EQ("HTML(HEAD,BODY(#text:a,DIV(#text:b)))", Doc("<body>a</body><div>b</html>"));
}

TEST(KxwiHtmlTreeBuilderTest, VoidAndUnknownElements) {
    EXPECT_EQ(
        "#text:a,BR,#text:b,IMG[src=x.gif alt=],#text:c,HR,INPUT[type=text disabled],EMBED,WBR,AREA,PARAM,"
        "BASEFONT,BGSOUND,ISINDEX,KEYGEN,SOURCE",
        Body("a<br>b<img src=x.gif alt=\"\">c</img><hr><input type=text disabled></input><embed><wbr><area>"
             "<param><basefont><bgsound><isindex><keygen><source>"));
    // A self-closing flag on an element that has content is ignored.
    EXPECT_EQ("DIV(SPAN(#text:x))", Body("<div/><span/>x"));
    // Unknown tags keep their name (upper case, prefix and all).
    EXPECT_EQ("O:P(#text:x),MY-WIDGET[data-v=1](FOOBAR(#text:y)),#text:z",
              Body("<o:p>x</o:p><my-widget data-v=1><FooBar>y</foobar></MY-widget>z"));
    // The name ends the case folding at a byte >= 0x80 (the start of a multi-byte character).
    EXPECT_EQ("X\xC3\xA9t(#text:e)", Body("<x\xC3\xA9t>e"));
}

TEST(KxwiHtmlTreeBuilderTest, Tables) {
    // Rows go into a section, cells into a row; a row or cell closes the previous one.
    EXPECT_EQ("TABLE(TBODY(TR(TD(#text:1),TD(#text:2)),TR(TD(#text:3))))",
              Body("<table><tr><td>1<td>2<tr><td>3</table>"));
    EXPECT_EQ("TABLE(TBODY(TR(TD(#text:1),TH(#text:2))))", Body("<table><td>1<th>2</table>"));
    EXPECT_EQ(
        "TABLE[border=1](CAPTION(#text:c),COLGROUP(COL,COL),THEAD(TR(TH(#text:h))),TBODY(TR(TD(#text:b))),"
        "TFOOT(TR(TD(#text:f))))",
        Body("<table border=1><caption>c<colgroup><col><col><thead><tr><th>h<tbody><tr><td>b<tfoot><tr><td>f"
             "</table>"));
    // Whitespace stays where it is; other text and other elements go before the table.
    EXPECT_EQ("#text:\\noops,DIV(#text:x),TABLE(#text:\\n,TBODY(TR(#text: ,TD(#text:1))))",
              Body("<table>\noops<div>x</div>\n<tr> <td>1</table>"));
    EXPECT_EQ("#text:before,TABLE(TBODY(TR(TD(#text:in))))", Body("<table><tr>before<td>in</table>"));
    // A form between rows keeps its rows, so that its controls belong to it; hidden inputs and scripts stay.
    EXPECT_EQ(
        "TABLE(FORM[action=/s](INPUT[type=hidden name=h],TBODY(TR(TD(INPUT[name=q])),SCRIPT(#text:s))),"
        "TBODY(TR(TD(#text:after))))",
        Body("<table><form action=/s><input type=hidden name=h><tr><td><input name=q></td></tr><script>s</script>"
             "</form><tr><td>after</table>"));
    EXPECT_EQ("TABLE(TBODY(TR(FORM(TD(INPUT)))))", Body("<table><tr><form><td><input></td></form></tr></table>"));
    // Nested tables, and a table directly in a table ending the first.
    EXPECT_EQ("TABLE(TBODY(TR(TD(TABLE(TBODY(TR(TD(#text:in))))),TD(#text:out))))",
              Body("<table><tr><td><table><tr><td>in</table><td>out</table>"));
    EXPECT_EQ("TABLE(TBODY(TR(TD(#text:a)))),TABLE(TBODY(TR(TD(#text:b))))",
              Body("<table><tr><td>a</td></tr><table><tr><td>b</table>"));
    // Table tags outside a table are stray; </td> does not close past a nested table.
    EXPECT_EQ("#text:ab", Body("<tr>a<td>b</td></tr>"));
    EXPECT_EQ("TABLE(TBODY(TR(TD(TABLE(TBODY(TR(TH(#text:xy)))),#text:z))))",
              Body("<table><tr><td><table><tr><th>x</td>y</table>z</table>"));
    // Something placed before the table closes when a row begins.
    EXPECT_EQ("A[name=t],TABLE(TBODY(TR(TD(#text:1))))", Body("<table><a name=t><tr><td>1</table>"));
    // A select in a cell ends at the cell's end.
    EXPECT_EQ("TABLE(TBODY(TR(TD(SELECT(OPTION(#text:a))),TD(#text:b))))",
              Body("<table><tr><td><select><option>a</td><td>b</table>"));
}

TEST(KxwiHtmlTreeBuilderTest, RawTextElements) {
    EXPECT_EQ("SCRIPT(#text:if (a<b) document.write('<p>x</p>');),#text:y",
              Body("<body><script>if (a<b) document.write('<p>x</p>');</script>y"));
    EXPECT_EQ("TEXTAREA[name=t](#text:<b>&</b>\\n),#text:z", Body("<textarea name=t>\n<b>&amp;</b>\n</textarea>z"));
    EXPECT_EQ("XMP(#text:<i>&amp;</i>),IFRAME[src=f](#text:<p>no frames</p>),NOEMBED(#text:<b>)",
              Body("<xmp><i>&amp;</i></xmp><iframe src=f><p>no frames</p></iframe><noembed><b></noembed>"));
    EXPECT_EQ("PLAINTEXT(#text:<p></plaintext>&amp;)", Body("<plaintext><p></plaintext>&amp;"));
    EXPECT_EQ("P(#text:a),PLAINTEXT(#text:b)", Body("<p>a<plaintext>b"));
    // NOSCRIPT content is markup when scripting is off.
    EXPECT_EQ("NOSCRIPT(#text:<b>x</b>)", Body("<body><noscript><b>x</b></noscript>"));
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    tBuilder.SetScriptingEnabled(false);
    tBuilder.Feed("<body><noscript><b>x</b></noscript>", 35);
    tBuilder.EndOfInput();
    EXPECT_EQ("NOSCRIPT(B(#text:x))", tSink.Body());
    // Raw text in a table stays in the table.
    EXPECT_EQ("TABLE(SCRIPT(#text:<tr>),STYLE(#text:td{}),TBODY(TR(TD(#text:1))))",
              Body("<table><script><tr></script><style>td{}</style><tr><td>1</table>"));
}

TEST(KxwiHtmlTreeBuilderTest, FramesetDocuments) {
    EXPECT_EQ(
        "HTML(HEAD(TITLE(#text:F)),FRAMESET[cols=20%,*](FRAME[name=nav src=nav.html],"
        "FRAMESET[rows=50%,50%](FRAME[name=a],FRAME[name=b]),NOFRAMES(#text:<body>Get a browser</body>)),#text:\\n)",
        Doc("<html><head><title>F</title></head><frameset cols=\"20%,*\"><frame name=nav src=nav.html>"
            "<frameset rows=50%,50%><frame name=a><frame name=b></frameset>"
            "<noframes><body>Get a browser</body></noframes></frameset>\n</html>"));
    // Text and other tags have no place among frames; blanks are kept.
    EXPECT_EQ("HTML(HEAD,FRAMESET(#text:  ,FRAME))", Doc("<frameset>x y <div><frame></frameset><body>z<p>"));
    // Once the body has begun, a FRAMESET is ignored.
    EXPECT_EQ("HTML(HEAD,BODY(#text:x))", Doc("x<frameset><frame></frameset>"));
}

TEST(KxwiHtmlTreeBuilderTest, PagesGiveTheSameTreeAtEverySplitPoint) {
    ExpectSameTreeAtEverySplit(
        "<!DOCTYPE html>\r\n<html><head><title>A &amp; B</title><meta charset=utf-8>\n"
        "<script>var s = '</scr' + 'ipt>';</script></head>\n<body onload=\"init()\"><!-- menu -->"
        "<table width=100%><form name=f><tr><td>Name:<td><input name=n value='a&quot;b'></form></table>\n"
        "<p>One<p>Two<ul><li>x<li>y</ul><textarea>\nt</textarea><b><i>bi</b>i</i> tail</body></html>");
    ExpectSameTreeAtEverySplit("<frameset rows=*,*><frame src=a><frame src=b></frameset><noframes>n</noframes>");
    ExpectSameTreeAtEverySplit("text <a href=x>lnk</a> &copy; <select><option>1<option>2</select></p></br>end");
}

TEST(KxwiHtmlTreeBuilderTest, DocumentWriteIsBuiltWhereTheScriptStands) {
    // What a script writes comes after the script and before the rest of the page.
    ScriptedPage tPage;
    EXPECT_EQ("P(#text:1,SCRIPT(#text:w:[b]2[/b]),B(#text:2),#text:3)",
              tPage.Build("<p>1<script>w:[b]2[/b]</script>3"));

    // It is built at once: the script sees the written element before it ends.
    ScriptedPage tNow;
    tNow.Build("<body><script>w:[div id=x]in[/div];log</script><p>after");
    ASSERT_EQ(1u, tNow._tLog.size());
    EXPECT_EQ("SCRIPT(#text:w:[div id=x]in[/div];log),DIV[id=x](#text:in)", tNow._tLog[0]);

    // A written script that writes again runs while the first is still writing; the order is that of the text.
    ScriptedPage tNested;
    EXPECT_EQ(
        "SCRIPT(#text:w:[i]a[/i][script]w:{u}b{/u}[/script][s]c[/s];w:[em]d[/em]),I(#text:a),"
        "SCRIPT(#text:w:[u]b[/u]),U(#text:b),S(#text:c),EM(#text:d),#text:rest",
        tNested.Build("<body><script>w:[i]a[/i][script]w:{u}b{/u}[/script][s]c[/s];w:[em]d[/em]</script>rest"));
    EXPECT_EQ(2, tNested._tSink._nScripts);

    // Two writes of one script are one text: "<" and "i>" make a tag. The written text is in the tree before the
    // script goes on, so the page's text after it is a second piece (a sink that adds to a last text child joins
    // them, as the browsers show them).
    ScriptedPage tJoined;
    EXPECT_EQ("SCRIPT(#text:w:[;w:i]x),I(#text:x,#text:y)", tJoined.Build("<body><script>w:[;w:i]x</script>y"));

    // The same while the page arrives in small pieces.
    for (size_t nChunk : {1, 2, 3, 7}) {
        ScriptedPage tChunked;
        EXPECT_EQ(
            "SCRIPT(#text:w:[i]a[/i][script]w:{u}b{/u}[/script][s]c[/s];w:[em]d[/em]),I(#text:a),"
            "SCRIPT(#text:w:[u]b[/u]),U(#text:b),S(#text:c),EM(#text:d),#text:rest",
            tChunked.Build("<body><script>w:[i]a[/i][script]w:{u}b{/u}[/script][s]c[/s];w:[em]d[/em]</script>rest",
                           nChunk))
            << "chunks of " << nChunk;
    }

    // A write that leaves elements open: the page goes on inside them, as in the browsers.
    ScriptedPage tOpen;
    EXPECT_EQ("SCRIPT(#text:w:[div class=box]),DIV[class=box](#text:page)",
              tOpen.Build("<body><script>w:[div class=box]</script>page"));
}

TEST(KxwiHtmlTreeBuilderTest, PausedForAnExternalScript) {
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    Node* ptWaiting = nullptr;
    tSink._fOnScript = [&](Node* mptScript, bool) {
        for (const auto& rtAttr : mptScript->_tAttrs)
            if (rtAttr.first == "src") {
                ptWaiting = mptScript;
                tBuilder.Pause();  // its source must be downloaded first
            }
    };
    const std::string dsPage = "<body><p>before<script src=ext.js></script><p>after<script>inline</script>end";
    tBuilder.Feed(dsPage.data(), dsPage.size());
    tBuilder.EndOfInput();
    ASSERT_TRUE(ptWaiting);
    EXPECT_TRUE(tBuilder.IsPaused());
    EXPECT_FALSE(tBuilder.IsEnded());
    EXPECT_EQ("P(#text:before,SCRIPT[src=ext.js])", tSink.Body());

    // The source arrives: the script runs and writes a script of its own, which writes too.
    tBuilder.EnterScript();
    tBuilder.Write("<b>ext</b><script>", 18);
    tBuilder.Write("x</script>", 10);
    EXPECT_EQ("P(#text:before,SCRIPT[src=ext.js],B(#text:ext),SCRIPT(#text:x))", tSink.Body());
    tBuilder.LeaveScript();
    EXPECT_FALSE(tBuilder.IsPaused());
    EXPECT_TRUE(tBuilder.IsEnded());
    EXPECT_EQ(
        "P(#text:before,SCRIPT[src=ext.js],B(#text:ext),SCRIPT(#text:x)),P(#text:after,SCRIPT(#text:inline),"
        "#text:end)",
        tSink.Body());
    EXPECT_EQ(3, tSink._nScripts);
    EXPECT_EQ(1, tSink._nEnds);

    // A written external script stops the writing script's text until it has run; later writes wait behind it.
    KxwiHtmlTreeTestSink tSink2;
    KxwiHtmlTreeBuilder tBuilder2(&tSink2);
    int iCalls = 0;
    tSink2._fOnScript = [&](Node* mptScript, bool) {
        ++iCalls;
        if (!mptScript->_tAttrs.empty()) {
            tBuilder2.Pause();
            return;
        }
        if (iCalls == 1) {
            tBuilder2.Write("<script src=a.js></script>", 26);
            tBuilder2.Write("<i>later</i>", 12);
            EXPECT_EQ("SCRIPT,SCRIPT[src=a.js]", tSink2.Body());
        }
    };
    tBuilder2.Feed("<body><script></script>rest", 27);
    tBuilder2.EndOfInput();
    EXPECT_TRUE(tBuilder2.IsPaused());
    tBuilder2.Resume();  // a source that could not be downloaded: the page goes on
    EXPECT_EQ("SCRIPT,SCRIPT[src=a.js],I(#text:later),#text:rest", tSink2.Body());
}

TEST(KxwiHtmlTreeBuilderTest, ScriptCutOffByTheEndAndWritesAfterTheEnd) {
    ScriptedPage tPage;
    EXPECT_EQ("P(#text:a),SCRIPT(#text:w:[b]x[/b]),B(#text:x)", tPage.Build("<p>a</p><script>w:[b]x[/b]"));
    EXPECT_EQ(1, tPage._tSink._nScriptsCutOff);
    EXPECT_EQ(1, tPage._tSink._nEnds);
    EXPECT_TRUE(tPage._tBuilder.IsEnded());

    // Text written once the page has ended (a deferred script run at the end) goes to the end of the body.
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    tSink._fOnEnd = [&]() {
        if (tSink._nEnds == 1) tBuilder.Write("<p>deferred", 11);
    };
    tBuilder.Feed("<div>page</div>", 15);
    tBuilder.EndOfInput();
    EXPECT_EQ("DIV(#text:page),P(#text:deferred)", tSink.Body());
    EXPECT_EQ(2, tSink._nEnds);
    tBuilder.Write("<b>timer</b>", 12);
    EXPECT_EQ("DIV(#text:page),P(#text:deferred,B(#text:timer))", tSink.Body());
    EXPECT_EQ(3, tSink._nEnds);
    EXPECT_TRUE(tBuilder.IsEnded());
}

TEST(KxwiHtmlTreeBuilderTest, FragmentsBuildIntoTheirContext) {
    EXPECT_EQ("P(#text:a),P(#text:b,B(#text:c))", Fragment("DIV", "<p>a<p>b<b>c</div>"));
    EXPECT_EQ("#text:x,BR,SCRIPT(#text:s),TITLE(#text:t)", Fragment("SPAN", "x<br><script>s</script><title>t</title>"));
    // No document elements are implied, and HTML, HEAD and BODY tags do not make any.
    EXPECT_EQ("#text:ab", Fragment("DIV", "<html><head>a<body>b"));
    // Raw-text contexts take the markup as text.
    EXPECT_EQ("#text:<b>x</b> &", Fragment("TEXTAREA", "<b>x</b> &amp;"));
    EXPECT_EQ("#text:if (a<b) f();", Fragment("SCRIPT", "if (a<b) f();"));
    // Table contexts use the table rules; content that belongs before a table stays in the context.
    EXPECT_EQ("TBODY(TR(TD(#text:1)))", Fragment("TABLE", "<tr><td>1"));
    EXPECT_EQ("TR(TD(#text:1),TD(#text:2)),TR(TD(#text:3))", Fragment("TBODY", "<tr><td>1<td>2<tr><td>3"));
    EXPECT_EQ("TD(#text:1),TD(#text:2),TD(#text:3)", Fragment("TR", "<td>1<td>2</tr><tr><td>3"));
    EXPECT_EQ("#text:x,TBODY(TR)", Fragment("TABLE", "x<tr>"));
    EXPECT_EQ("OPTION(#text:a),OPTION(#text:b)", Fragment("SELECT", "<option>a<option>b"));
    // End tags never close the context.
    EXPECT_EQ("#text:ab", Fragment("DIV", "a</div>b", false));
    EXPECT_EQ("#text:ab", Fragment("TD", "a</td></tr></table>b", false));
    // A META in a fragment does not change the document's charset.
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    Node tContext;
    ASSERT_TRUE(tBuilder.BeginFragment(&tContext, "DIV", 3));
    tBuilder.Feed("<meta charset=utf-8>", 20);
    tBuilder.EndOfInput();
    EXPECT_TRUE(tSink._tCharsets.empty());
    EXPECT_EQ(1, tSink._nEnds);
}

TEST(KxwiHtmlTreeBuilderTest, ExistingDocumentElements) {
    KxwiHtmlTreeTestSink tSink;
    Node* ptHtml = static_cast<Node*>(tSink.CreateElement("HTML", 4, nullptr, 0, false, 1));
    Node* ptHead = static_cast<Node*>(tSink.CreateElement("HEAD", 4, nullptr, 0, false, 1));
    Node* ptBody = static_cast<Node*>(tSink.CreateElement("BODY", 4, nullptr, 0, false, 1));
    tSink.AppendChild(nullptr, ptHtml);
    tSink.AppendChild(ptHtml, ptHead);
    tSink.AppendChild(ptHtml, ptBody);
    tSink.AddText(ptBody, nullptr, "old", 3);
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    ASSERT_TRUE(tBuilder.SetExistingDocumentElements(ptHtml, ptHead, ptBody));
    tBuilder.Feed("<body onload=f()><p>new", 23);
    tBuilder.EndOfInput();
    EXPECT_EQ("HTML(HEAD,BODY[onload=f()](#text:old,P(#text:new)))", tSink.Document());

    // A document with HTML and HEAD only: head content goes to the head, the rest makes a body.
    KxwiHtmlTreeTestSink tSink2;
    Node* ptHtml2 = static_cast<Node*>(tSink2.CreateElement("HTML", 4, nullptr, 0, false, 1));
    Node* ptHead2 = static_cast<Node*>(tSink2.CreateElement("HEAD", 4, nullptr, 0, false, 1));
    tSink2.AppendChild(nullptr, ptHtml2);
    tSink2.AppendChild(ptHtml2, ptHead2);
    KxwiHtmlTreeBuilder tBuilder2(&tSink2);
    ASSERT_TRUE(tBuilder2.SetExistingDocumentElements(ptHtml2, ptHead2, nullptr));
    tBuilder2.Feed("<title>t</title><BODY></BODY>", 29);
    tBuilder2.EndOfInput();
    EXPECT_EQ("HTML(HEAD(TITLE(#text:t)),BODY)", tSink2.Document());
}

TEST(KxwiHtmlTreeBuilderTest, MetaCharsetIsReported) {
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    const std::string dsPage =
        "<meta charset=\" UTF-8 \"><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
        "<meta HTTP-EQUIV=content-type CONTENT='text/html;charset=\"koi8-r\"'><meta name=x content=\"charset=no\">"
        "<meta http-equiv=Content-Type content=\"text/html\"><body><meta charset=euc-jp>";
    tBuilder.Feed(dsPage.data(), dsPage.size());
    tBuilder.EndOfInput();
    EXPECT_EQ((std::vector<std::string>{"UTF-8", "windows-1252", "koi8-r", "euc-jp"}), tSink._tCharsets);

    // The sink may switch the decoding from there on (without a reparse): references after the META decode to
    // UTF-8, those before it stayed windows-1252.
    KxwU16nHandlerGeneral tUtf8("utf-8");
    KxwiHtmlTreeTestSink tSwitching;
    KxwiHtmlTreeBuilder tSwitchingBuilder(&tSwitching);
    tSwitching._fOnCharset = [&](const std::string& mdsCharset) {
        if (mdsCharset == "utf-8") tSwitchingBuilder.SetU16nHandler(&tUtf8);
    };
    const std::string dsSwitch = "<title>&eacute;</title><meta charset=utf-8><body>&eacute;";
    tSwitchingBuilder.Feed(dsSwitch.data(), dsSwitch.size());
    tSwitchingBuilder.EndOfInput();
    EXPECT_EQ("HTML(HEAD(TITLE(#text:\xE9),META[charset=utf-8]),BODY(#text:\xC3\xA9))", tSwitching.Document());
}

TEST(KxwiHtmlTreeBuilderTest, DeepNestingIsBoundedAndReportedOnce) {
    KxwRecordingSink tReports;
    struct Pattern {
        const char* _pszOpen;
        bool _bNests;  // false: each start tag closes the one before
    };
    for (const Pattern& rtPattern :
         {Pattern{"<x>", true}, Pattern{"<div>", true}, Pattern{"<b>", true}, Pattern{"<span>", true},
          Pattern{"<table><tr><td>", true}, Pattern{"<ul><li>", true}, Pattern{"<select><option>", false},
          Pattern{"<table>", false}, Pattern{"<a href=x>", false}, Pattern{"<li>", false}, Pattern{"<td>", false},
          Pattern{"<p>", false}}) {
        tReports.Clear();
        std::string dsPage;
        for (int i = 0; i < 100000; ++i) dsPage += rtPattern._pszOpen;
        dsPage += "deep";
        for (int i = 0; i < 100000; ++i) dsPage += "</x></b></table>";
        KxwiHtmlTreeTestSink tSink;
        KxwiHtmlTreeBuilder tBuilder(&tSink);
        tBuilder.Feed(dsPage.data(), dsPage.size());
        tBuilder.EndOfInput();
        EXPECT_TRUE(tSink._tErrors.empty()) << rtPattern._pszOpen;
        EXPECT_LE(tSink.MaxDepth(), KxwiHtmlTreeBuilder::kMaxDepth + 8) << rtPattern._pszOpen;
        size_t nReports = 0;
        for (const auto& rtMessage : tReports.Messages())
            if (rtMessage._dsText.find("nest deeper than 512 levels") != std::string::npos) ++nReports;
        EXPECT_EQ(rtPattern._bNests ? 1u : 0u, nReports) << rtPattern._pszOpen;
        EXPECT_NE(std::string::npos, tSink.Document().find("#text:deep")) << rtPattern._pszOpen;
    }

    // Past the limit, the deepest element takes the rest side by side.
    std::string dsPage = "<body>";
    for (int i = 0; i < 600; ++i) dsPage += "<q>";
    dsPage += "<i>1</i><i>2</i>";
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    tBuilder.Feed(dsPage.data(), dsPage.size());
    tBuilder.EndOfInput();
    Node* ptDeepest = tSink.Find("Q");  // HTML and BODY are open, then 510 Q elements
    for (int i = 1; i < 510; ++i) ptDeepest = ptDeepest->_tChildren.at(0);
    ASSERT_EQ(94u, ptDeepest->_tChildren.size());
    std::string dsLast;
    for (size_t i = 89; i < 94; ++i) {
        const Node* ptChild = ptDeepest->_tChildren[i];
        dsLast += (i > 89 ? "," : "") + std::string(ptChild->_eKind == Node::kText ? "#text:" : "") + ptChild->_dsName;
    }
    EXPECT_EQ("Q,I,#text:1,I,#text:2", dsLast);
}

TEST(KxwiHtmlTreeBuilderTest, ScriptsThatWriteThemselvesStopAtTheNestingBound) {
    KxwRecordingSink tReports;
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    // Every script writes another copy of itself: without a bound this would never end.
    tSink._fOnScript = [&](Node*, bool) {
        static const char kszSelf[] = "<i></i><script></script>";
        tBuilder.Write(kszSelf, sizeof(kszSelf) - 1);
    };
    tBuilder.Feed("<body><script></script>end", 26);
    tBuilder.EndOfInput();
    EXPECT_TRUE(tBuilder.IsEnded());
    EXPECT_EQ(KxwiHtmlTreeBuilder::kMaxScriptNesting, tSink._nScripts);
    EXPECT_EQ(1u, tReports.Count());
    EXPECT_TRUE(tReports.Saw("nest deeper than 64 levels"));
    const Node* ptLast = tSink.Find("BODY")->_tChildren.back();
    EXPECT_EQ(Node::kText, ptLast->_eKind);
    EXPECT_EQ("end", ptLast->_dsName);
}

TEST(KxwiHtmlTreeBuilderTest, SinkRefusalsAndMovedTables) {
    // A sink that cannot make elements: their content goes where they would have stood.
    KxwiHtmlTreeTestSink tSink;
    tSink._bRefuseElements = true;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    const std::string dsRefused = "<p>a<table><tr><td>b</table><script>c</script>d";
    tBuilder.Feed(dsRefused.data(), dsRefused.size());
    tBuilder.EndOfInput();
    EXPECT_EQ("#text:abcd", tSink.Document());
    EXPECT_EQ(0, tSink._nScripts);

    // A table moved by a script: what goes before it lands at the end of its old parent.
    KxwiHtmlTreeTestSink tMoved;
    KxwiHtmlTreeBuilder tMovedBuilder(&tMoved);
    tMoved._fOnScript = [&](Node*, bool) {
        Node* ptTable = tMoved.Find("TABLE");
        Node* ptBody = tMoved.Find("BODY");
        Node* ptDiv = tMoved.Find("DIV");
        ptBody->_tChildren.erase(std::find(ptBody->_tChildren.begin(), ptBody->_tChildren.end(), ptTable));
        ptDiv->_tChildren.push_back(ptTable);
        ptTable->_ptParent = ptDiv;
    };
    const std::string dsPage = "<div></div><table><tr><td>1</td><script></script>text<span>s</span></table>";
    tMovedBuilder.Feed(dsPage.data(), dsPage.size());
    tMovedBuilder.EndOfInput();
    EXPECT_TRUE(tMoved._tErrors.empty());
    EXPECT_EQ("DIV(TABLE(TBODY(TR(TD(#text:1),SCRIPT)))),#text:text,SPAN(#text:s)", tMoved.Body());
}

TEST(KxwiHtmlTreeBuilderTest, BadCallsAreReportedAndTheBuilderIsReusable) {
    KxwRecordingSink tReports;
    KxwiHtmlTreeTestSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    EXPECT_FALSE(tBuilder.BeginFragment(nullptr, "DIV", 3));
    tBuilder.Write(nullptr, 4);
    tBuilder.LeaveScript();
    tBuilder.Feed("<p>x", 4);
    Node tContext;
    EXPECT_FALSE(tBuilder.BeginFragment(&tContext, "DIV", 3));
    EXPECT_FALSE(tBuilder.SetExistingDocumentElements(nullptr, nullptr, nullptr));
    // Reset from inside a sink call is refused; the page goes on.
    tSink._fOnScript = [&](Node*, bool) { tBuilder.Reset(); };
    tBuilder.Feed("<script></script>y", 18);
    tBuilder.EndOfInput();
    EXPECT_EQ("P(#text:x,SCRIPT,#text:y)", tSink.Body());
    EXPECT_EQ(6u, tReports.Count());
    EXPECT_TRUE(tReports.Saw("KxwiHtmlTreeBuilder::Reset called while building"));
    EXPECT_TRUE(tReports.Saw("LeaveScript without EnterScript"));

    // After Reset the builder takes a new page, in another mode if asked.
    tBuilder.Reset();
    KxwiHtmlTreeTestSink tSink2;
    KxwiHtmlTreeBuilder tOther(&tSink2);
    tOther.Feed("<b>1", 4);
    tOther.EndOfInput();
    tOther.Reset();
    Node tDiv;
    tDiv._eKind = Node::kElement;
    ASSERT_TRUE(tOther.BeginFragment(&tDiv, "DIV", 3));
    tOther.Feed("<i>2</i>", 8);
    tOther.EndOfInput();
    EXPECT_EQ("I(#text:2)", KxwiHtmlTreeTestSink::Render(&tDiv));
    EXPECT_EQ(2, tSink2._nEnds);

    // Without a sink nothing is built, and nothing breaks.
    KxwiHtmlTreeBuilder tNoSink(nullptr);
    tNoSink.Feed("<p>x<script>y</script>", 22);
    tNoSink.EndOfInput();
    tNoSink.Write("<b>", 3);
    EXPECT_FALSE(tNoSink.IsPaused());
}

TEST(KxwiHtmlTreeBuilderTest, GarbageBuildsTheSameTreeInAnyPieces) {
    // Random markup-heavy bytes: the sink sees only well-formed calls, the tree stays within the depth bound and
    // does not depend on where the input was split.
    std::mt19937 tRandom(20240611);
    const char kszAlphabet[] = "<<<>>>//!!--==\"\"'' \n\tabpdivtrdlescrip&#;x\0\x80\xff";
    const char* const kapszPieces[] = {"<table>",    "<tr>",        "<td>",     "</td>",    "<p>",      "</p>",
                                       "<script>",   "</script>",   "<select>", "<option>", "<form>",   "</form>",
                                       "<b>",        "</b>",        "<li>",     "<!--",     "-->",      "<frameset>",
                                       "<textarea>", "<plaintext>", "<head>",   "<body>",   "</table>", "<col>",
                                       "<caption>",  "<html>",      "<title>",  "</x>",     "<x>"};
    for (int iRound = 0; iRound < 300; ++iRound) {
        std::string dsPage;
        size_t nLen = tRandom() % 400;
        while (dsPage.size() < nLen) {
            if (tRandom() % 3 == 0)
                dsPage += kapszPieces[tRandom() % (sizeof(kapszPieces) / sizeof(kapszPieces[0]))];
            else
                dsPage += kszAlphabet[tRandom() % (sizeof(kszAlphabet) - 1)];
        }
        KxwiHtmlTreeTestSink tWhole;
        KxwiHtmlTreeBuilder tWholeBuilder(&tWhole);
        tWholeBuilder.Feed(dsPage.data(), dsPage.size());
        tWholeBuilder.EndOfInput();
        ASSERT_TRUE(tWhole._tErrors.empty()) << tWhole._tErrors.front();
        KxwiHtmlTreeTestSink tPieces;
        KxwiHtmlTreeBuilder tPiecesBuilder(&tPieces);
        for (size_t nPos = 0; nPos < dsPage.size();) {
            size_t nPiece = std::min<size_t>(1 + tRandom() % 9, dsPage.size() - nPos);
            tPiecesBuilder.Feed(dsPage.data() + nPos, nPiece);
            nPos += nPiece;
        }
        tPiecesBuilder.EndOfInput();
        ASSERT_EQ(tWhole.Document(), tPieces.Document()) << "round " << iRound;
        ASSERT_EQ(1, tPieces._nEnds);
    }
}

namespace {

// A sink that stops the builder when it has made a given number of elements, as the engine's sink does when the
// script whose markup it builds runs out of time.
class KxwStoppingSink : public KxwiHtmlTreeTestSink {
public:
    void* CreateElement(const char* mpsfUpperName, size_t mnLen, const KxwiHtmlAttr* mptAttrs, size_t mnCount,
                        bool mbImplied, int miLine) override {
        if (_ptBuilder && !_bStopped && _nCreated == _nStopAfter) {
            _bStopped = true;
            _ptBuilder->Stop();
        }
        if (_ptBuilder && _ptBuilder->IsStopped()) return nullptr;
        return KxwiHtmlTreeTestSink::CreateElement(mpsfUpperName, mnLen, mptAttrs, mnCount, mbImplied, miLine);
    }
    KxwiHtmlTreeBuilder* _ptBuilder = nullptr;
    size_t _nStopAfter = 0;
    bool _bStopped = false;
};

TEST(KxwiHtmlTreeBuilderTest, AStoppedBuildKeepsWhatWasBuiltAndEndsAsUsual) {
    // A fragment: the rest of the markup is not even read, what was built stays, and the end comes once.
    KxwStoppingSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    tSink._ptBuilder = &tBuilder;
    tSink._nStopAfter = 3;  // at the fourth element
    Node tContext;
    tContext._eKind = Node::kElement;
    tContext._dsName = "DIV";
    ASSERT_TRUE(tBuilder.BeginFragment(&tContext, "DIV", 3));
    std::string dsMarkup = "<b>1</b><i>2</i><u>3</u><s>4</s>";
    tBuilder.Feed(dsMarkup.data(), 20);
    tBuilder.Feed(dsMarkup.data() + 20, dsMarkup.size() - 20);
    tBuilder.EndOfInput();
    EXPECT_EQ("B(#text:1),I(#text:2),U(#text:3)", KxwiHtmlTreeTestSink::Render(&tContext));
    EXPECT_TRUE(tBuilder.IsEnded());
    EXPECT_EQ(1, tSink._nEnds);
    EXPECT_TRUE(tSink._tErrors.empty()) << tSink._tErrors.front();

    // A page stopped while a script's writes are built: the rest of what the script wrote is dropped, and the page
    // goes on after the script.
    KxwStoppingSink tPageSink;
    KxwiHtmlTreeBuilder tPage(&tPageSink);
    tPageSink._ptBuilder = &tPage;
    tPageSink._nStopAfter = 7;  // after HTML, HEAD, BODY, P, SCRIPT and two written elements
    tPageSink._fOnScript = [&](Node*, bool) {
        static const char kszWritten[] = "<em>a</em><em>b</em><em>c</em><em>d</em>";
        tPage.Write(kszWritten, sizeof kszWritten - 1);
        EXPECT_TRUE(tPage.IsStopped());
    };
    std::string dsPage = "<p>before<script>x</script><p>after<b>bold</b>";
    tPage.Feed(dsPage.data(), dsPage.size());
    tPage.EndOfInput();
    EXPECT_FALSE(tPage.IsStopped());
    EXPECT_EQ("P(#text:before,SCRIPT(#text:x),EM(#text:a),EM(#text:b)),P(#text:after,B(#text:bold))", tPageSink.Body());
    EXPECT_EQ(1, tPageSink._nEnds);
    EXPECT_TRUE(tPageSink._tErrors.empty()) << tPageSink._tErrors.front();
}

}  // namespace

// The embedded objects hear that they are complete once each, with their PARAMs in place: at their end tag, when
// another tag closes them, or at the end of the input that left them open.
class KxwElementEndSink : public KxwiHtmlTreeTestSink {
public:
    void OnElementEnd(void* mpvElement) override {
        auto* ptNode = static_cast<Node*>(mpvElement);
        std::string dsEntry = ptNode->_dsName + "(" + std::to_string(ptNode->_tChildren.size()) + ")";
        for (const auto& rtAttr : ptNode->_tAttrs)
            if (rtAttr.first == "name") dsEntry += "=" + rtAttr.second;
        _tEnded.push_back(dsEntry);
    }
    std::vector<std::string> _tEnded;
};

std::string EndedElements(const std::string& mdsPage) {
    KxwElementEndSink tSink;
    KxwiHtmlTreeBuilder tBuilder(&tSink);
    tBuilder.Feed(mdsPage.data(), mdsPage.size());
    tBuilder.EndOfInput();
    std::string dsEnded;
    for (const std::string& rdsEntry : tSink._tEnded) dsEnded += (dsEnded.empty() ? "" : " ") + rdsEntry;
    return dsEnded;
}

TEST(KxwiHtmlTreeBuilderTest, EmbeddedObjectsAreCompleteOnce) {
    EXPECT_EQ("APPLET(2)=a", EndedElements("<applet name=a><param name=x><param name=y></applet><p>after"));
    // An APPLET inside an OBJECT (the fallback of a page for other browsers) ends first.
    EXPECT_EQ("APPLET(0)=in OBJECT(2)=out",
              EndedElements("<object name=out><param name=code><applet name=in></applet></object>"));
    // An end tag of an element outside it does not close it (it bounds the scope): the text after it is its own,
    // and it is complete at the end of the input, as is one the page never closes.
    EXPECT_EQ("APPLET(2)=a", EndedElements("<div><applet name=a><param name=p></div>x"));
    EXPECT_EQ("OBJECT(1)=o", EndedElements("<object name=o><param name=p>"));
    EXPECT_EQ("", EndedElements("<p>no embedded objects</p>"));
}

TEST(KxwiHtmlTreeBuilderTest, AnXmlIslandEndsWithItsTextAndNoMarkup) {
    // The island's content is one text, present when the island is complete; tags in it are no elements of the page,
    // a script end tag included, and only the island's own end tag closes it.
    EXPECT_EQ("XML(1)=i", EndedElements("<xml name=i><a><script>x</script><b/></a></xml><p>after"));
    EXPECT_EQ("XML(1)=i", EndedElements("<xml name=i><a>open"));
    EXPECT_EQ("XML(0)=e", EndedElements("<xml name=e></xml>"));
}
