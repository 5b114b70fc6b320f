// SCRIPT elements where pages cannot reach them: the comment-close truncation at its edges, the language rules,
// the downloaded text's forms, the event attribute, and the flags a parsed and a script-made element go through.
#include <gtest/gtest.h>

#include <string>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementScript.h"
#include "KxwDomHtmlTestClasses.h"
#include "KxwRecordingSink.h"

namespace {

class KxwDomHtmlElementScriptTest : public KxwDomHtmlTest {
protected:
    KxwDomHtmlElementScript* NewScript() { return static_cast<KxwDomHtmlElementScript*>(NewElement("script")); }
    // The text left after the truncation.
    static std::string Truncated(const std::string& mdsText) {
        unsigned uLen = static_cast<unsigned>(mdsText.size());
        KxwDomHtmlElementScript::TruncateLastLineIfCommentClose(mdsText.data(), uLen);
        return mdsText.substr(0, uLen);
    }
};

}  // namespace

TEST_F(KxwDomHtmlElementScriptTest, ALastLineThatOnlyClosesAnHtmlCommentIsDropped) {
    KxwRecordingSink tSink;
    EXPECT_EQ("<!--\nrun()", Truncated("<!--\nrun()\n-->"));
    EXPECT_TRUE(tSink.Saw("closes an HTML comment and is dropped: \"-->\""));
    // Blanks before the close and after it, and the line break kinds.
    EXPECT_EQ("a();", Truncated("a();  \r\n   -->  \r\n"));
    EXPECT_EQ("a();", Truncated("a();\r-->"));
    // Nothing left but the close.
    EXPECT_EQ("", Truncated("  -->"));
    EXPECT_EQ("", Truncated("\n\n-->"));
    // The walk back over blanks stops at the sixth byte: a close that late in a short text stays.
    EXPECT_EQ("\n\n-->\n", Truncated("\n\n-->\n"));
    // Behind a line comment, or after a comment opened on the same line, the line stays.
    EXPECT_EQ("a();\n// -->", Truncated("a();\n// -->"));
    EXPECT_EQ("a(); <!-- note -->", Truncated("a(); <!-- note -->"));
    // Not the end of a comment, or too short to be touched.
    EXPECT_EQ("a = b-->c", Truncated("a = b-->c"));
    EXPECT_EQ("-->", Truncated("-->"));
    EXPECT_EQ("a->", Truncated("a->"));
}

TEST_F(KxwDomHtmlElementScriptTest, TheTypeElseTheLanguageDecidesWhetherAScriptRuns) {
    struct Case {
        const char* _pszType;
        const char* _pszLanguage;
        bool _bRuns;
    };
    const Case katCases[] = {
        {nullptr, nullptr, true},
        {"text/javascript", nullptr, true},
        {"TEXT/JavaScript", "vbscript", true},
        {"text/jscript", nullptr, true},
        {"text\\javascript", nullptr, true},
        {"text\\\\javascript", nullptr, true},
        {"application/javascript", nullptr, false},
        {"text/javascript1.2", nullptr, false},
        {"text/vbscript", "javascript", false},
        {nullptr, "JavaScript", true},
        {nullptr, "jscript", true},
        {nullptr, "JavaScript1.2", false},
        {nullptr, "JScript.Encode", false},
        {nullptr, "VBScript", false},
    };
    for (const Case& rtCase : katCases) {
        KxwDomHtmlElementScript* ptScript = NewScript();
        if (rtCase._pszType) ptScript->SetTypeParsed(rtCase._pszType);
        if (rtCase._pszLanguage) ptScript->SetLanguageParsed(rtCase._pszLanguage);
        EXPECT_EQ(rtCase._bRuns, ptScript->IsEvaluatable())
            << (rtCase._pszType ? rtCase._pszType : "-") << " / " << (rtCase._pszLanguage ? rtCase._pszLanguage : "-");
        delete ptScript;
    }
}

TEST_F(KxwDomHtmlElementScriptTest, VbScriptIsReportedAsAnErrorOtherLanguagesAsANotice) {
    KxwRecordingSink tSink;
    KxwDomHtmlElementScript* ptVb = NewScript();
    ptVb->SetTypeParsed("text/VBScript");
    ptVb->IssueNotEvaluatableMsg();
    KxwDomHtmlElementScript* ptVersion = NewScript();
    ptVersion->SetLanguageParsed("JavaScript1.2");
    ptVersion->IssueNotEvaluatableMsg();
    ASSERT_EQ(2u, tSink.Count());
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, tSink.Messages()[0]._eSevLvl);
    EXPECT_EQ(KXW_WTL_SEV_LVL_ENUM_NOTICE, tSink.Messages()[1]._eSevLvl);
    EXPECT_TRUE(tSink.Saw("language \"JavaScript1.2\" is not JavaScript"));
    delete ptVb;
    delete ptVersion;
}

TEST_F(KxwDomHtmlElementScriptTest, TheDownloadedTextIsTheEffectiveTextOfAScriptWithASource) {
    KxwRecordingSink tSink;
    KxwDomHtmlElementScript* ptScript = NewScript();
    ptScript->AddInnerTextDcs("inline()", 8);
    EXPECT_EQ("inline()", std::string(ptScript->GetEffectiveTextDcsStr(), ptScript->GetEffectiveTextDcsLenInBytes()));
    // Without a source nothing is installed, but the element counts as downloaded.
    EXPECT_FALSE(ptScript->SetDownloadedText("x()", 3));
    EXPECT_TRUE(tSink.Saw("which has an empty src"));
    EXPECT_TRUE(ptScript->IsSrcDownloaded());
    ptScript->SetSrcParsed("a.js");
    // NUL bytes are left out; a last comment close is dropped too.
    const char kacText[] = "a\0b();\n-->";
    EXPECT_TRUE(ptScript->SetDownloadedText(std::string(kacText, sizeof kacText - 1), nullptr));
    EXPECT_EQ("ab();", ptScript->GetDownloadedText());
    EXPECT_EQ("ab();", std::string(ptScript->GetEffectiveTextDcsStr(), ptScript->GetEffectiveTextDcsLenInBytes()));
    EXPECT_EQ("inline()", std::string(ptScript->GetText().GetDcsStr(), ptScript->GetText().GetDcsLenInBytes()));
    delete ptScript;
}

TEST_F(KxwDomHtmlElementScriptTest, TheEventAttributeNamesAnEventOnlyWithItsOnPrefix) {
    KxwRecordingSink tSink;
    BuildPage(
        "<script id=a event='onclick()' for=b>x()</script><script id=c event=on for=b></script>"
        "<script id=d event='ONLOAD extra'></script><script id=e event=onnothing for=b></script>");
    auto* ptClick = static_cast<KxwDomHtmlElementScript*>(ById("a"));
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_CLICK, ptClick->GetEventType());
    EXPECT_TRUE(ptClick->IsScriptEventForActive());
    auto* ptShort = static_cast<KxwDomHtmlElementScript*>(ById("c"));
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_NONE, ptShort->GetEventType());
    EXPECT_FALSE(ptShort->IsScriptEventForActive());
    EXPECT_TRUE(tSink.Saw("Event in <SCRIPT event=\"on\"...> is not recognized"));
    auto* ptLoad = static_cast<KxwDomHtmlElementScript*>(ById("d"));
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_LOAD, ptLoad->GetEventType());
    EXPECT_FALSE(ptLoad->IsScriptEventForActive()) << "no for attribute";
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_NONE, static_cast<KxwDomHtmlElementScript*>(ById("e"))->GetEventType());
    // An event script never runs as a script of the page.
    EXPECT_EQ("x", Eval("var s = document.getElementById('a'); s.event = 'onkeydown'; s.text = 'ran = 1'; "
                        "typeof ran == 'undefined' ? 'x' : 'ran'"));
    EXPECT_EQ(KXW_DOM_EVENT_TYPE_ENUM_KEYDOWN, ptClick->GetEventType());
}

TEST_F(KxwDomHtmlElementScriptTest, ScriptPropertiesAndTheFlagsTheyChange) {
    BuildPage("<div id=holder></div>");
    Eval(
        "var s = document.createElement('script'); s.defer = true; s.language = 'JScript'; s.type = 'text/jscript';"
        "s.htmlFor = 'w'; s.text = 'made = 1';");
    EXPECT_EQ("true|JScript|text/jscript|w|made = 1|", Eval("[s.defer, s.language, s.type, s.htmlFor, s.text, "
                                                            "s.innerText].join('|')"));
    // innerHTML reads the text; innerText and innerHTML cannot be set.
    EXPECT_EQ("made = 1", Eval("s.innerHTML"));
    EXPECT_EQ("made = 1", Eval("s.innerHTML = 'other = 1'; s.text"));
    // The defer property is not the markup's: the script is not filed as deferred.
    EXPECT_EQ("0", Eval("document.getElementById('holder').appendChild(s); '' + 0"));
    EXPECT_EQ(0u, _ptDocument->GetPendingScriptDeferCount());
}
