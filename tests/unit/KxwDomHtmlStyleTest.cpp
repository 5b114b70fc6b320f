#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwDomHtmlStyle.h"

namespace {

// The declarations of a style text as "name=value" texts joined by '|'.
std::string Scan(const std::string& mdsText) {
    std::vector<KxwDomHtmlStyle::Declaration> tDeclarations;
    KxwDomHtmlStyle::ParseStyleAttributes(mdsText.data(), mdsText.size(), tDeclarations);
    std::string dsResult;
    for (const auto& rtDeclaration : tDeclarations)
        dsResult += (dsResult.empty() ? "" : "|") + rtDeclaration._dsName + "=" + rtDeclaration._dsValue;
    return dsResult;
}

std::string Behavior(const std::string& mdsText) {
    std::string dsUrl;
    return KxwDomHtmlStyle::FindBehaviorUrl(mdsText.data(), mdsText.size(), dsUrl) ? dsUrl : "(none)";
}

}  // namespace

TEST(KxwDomHtmlStyle, ScannerKeepsQuotedAndParenthesisedSemicolonsInTheValue) {
    EXPECT_EQ(Scan("color: red ; font-size : 12pt;x"), "color=red|font-size=12pt");
    EXPECT_EQ(Scan("color: red;x;"), "color=red|x=");
    EXPECT_EQ(Scan(" ;; ;a:1"), "a=1");
    EXPECT_EQ(Scan("font-family: 'a;b', \"c;d\"; top: 0"), "font-family='a;b', \"c;d\"|top=0");
    EXPECT_EQ(Scan("background: url(a;b.png) no-repeat;left:1px"), "background=url(a;b.png) no-repeat|left=1px");
    EXPECT_EQ(Scan("content: 'it\\'s;here'; z-index: 2"), "content='it\\'s;here'|z-index=2");
    // An unterminated quote runs to the end of the text rather than swallowing nothing or reading past it.
    EXPECT_EQ(Scan("content: 'open; top: 1px"), "content='open; top: 1px");
    EXPECT_EQ(Scan("a b c: 1; d:"), "a=1|d=");
    EXPECT_EQ(Scan(""), "");
}

TEST(KxwDomHtmlStyle, BehaviorUrlLosesItsQuotesAndIgnoresPageReferences) {
    EXPECT_EQ(Behavior("behavior:url(\"x.htc\")"), "x.htc");
    EXPECT_EQ(Behavior("color:red; BEHAVIOR : URL ( 'y.htc' ) ;"), "y.htc");
    EXPECT_EQ(Behavior("behavior:url( z.htc )"), "z.htc");
    EXPECT_EQ(Behavior("behavior:url(#default#userData)"), "(none)");
    EXPECT_EQ(Behavior("behavior:url('#default#homePage')"), "(none)");
    EXPECT_EQ(Behavior("behavior:url('x.htc"), "(none)");
    EXPECT_EQ(Behavior("behavior:url()"), "(none)");
    EXPECT_EQ(Behavior("mybehavior-note: 1; behavior: url(a.htc) url(b.htc)"), "a.htc");
    EXPECT_EQ(Behavior("no behaviour here"), "(none)");
}

TEST(KxwDomHtmlStyle, EveryHyphenatedNameHasItsScriptNameAndBack) {
    struct Pair {
        const char* _pszCss;
        const char* _pszScript;
    };
    const Pair katPairs[] = {
        {"vertical-align", "verticalAlign"},
        {"min-width", "minWidth"},
        {"border-top-left-radius", "borderTopLeftRadius"},
        {"-webkit-box-sizing", "WebkitBoxSizing"},
        {"float", "styleFloat"},
        {"scrollbar-3dlight-color", "scrollbar3dLightColor"},
        {"scrollbar-darkshadow-color", "scrollbarDarkShadowColor"},
        {"z-index", "zIndex"},
        {"color", "color"},
    };
    for (const Pair& rtPair : katPairs) {
        EXPECT_EQ(KxwDomHtmlStyle::CssNameToScriptName(rtPair._pszCss), rtPair._pszScript);
        EXPECT_EQ(KxwDomHtmlStyle::ScriptNameToCssName(rtPair._pszScript), rtPair._pszCss);
    }
}
