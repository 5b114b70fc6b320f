#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "KxwPlaySteps.h"
#include "KxwPlayVerbs.h"

namespace {

KxwPlayStep Tokenized(const std::string& mdsLine, bool* mpbOK = nullptr, std::string* mpdsError = nullptr) {
    KxwPlayStep tStep;
    std::string dsError;
    bool bOK = xfbKxwPlayTokenizeLine(mdsLine.data(), mdsLine.size(), &tStep, &dsError);
    if (mpbOK) *mpbOK = bOK;
    if (mpdsError) *mpdsError = dsError;
    return tStep;
}

// Parses one text as a steps file in /site/; the error when it fails.
std::string ParseError(const std::string& mdsText, const std::set<std::string>* mptParams = nullptr) {
    KxwPlaySteps tSteps;
    std::string dsError;
    if (tSteps.LoadFromText(mdsText.data(), mdsText.size(), "t.steps", "file:///site/", mptParams, &dsError)) return "";
    return dsError;
}

}  // namespace

TEST(KxwPlayTokenize, WordsQuotedStringsAndPairs) {
    bool bOK = false;
    KxwPlayStep tStep =
        Tokenized("  link \"Buy \\\"now\\\" \\\\ \\d\" frame=main text~=\"^Buy  x\" id= name=a=b # the rest", &bOK);
    ASSERT_TRUE(bOK);
    EXPECT_EQ("link", tStep._dsVerb);
    ASSERT_EQ(5u, tStep._tArgs.size());
    EXPECT_FALSE(tStep._tArgs[0]._bIsPair);
    EXPECT_TRUE(tStep._tArgs[0]._bQuoted);
    // \" and \\ are the only escapes: a backslash before anything else stays for regular expressions.
    EXPECT_EQ("Buy \"now\" \\ \\d", tStep._tArgs[0]._dsValue);
    EXPECT_EQ("frame", tStep._tArgs[1]._dsKey);
    EXPECT_EQ("main", tStep._tArgs[1]._dsValue);
    EXPECT_FALSE(tStep._tArgs[1]._bIsRegExp);
    EXPECT_EQ("text", tStep._tArgs[2]._dsKey);
    EXPECT_EQ("^Buy  x", tStep._tArgs[2]._dsValue);
    EXPECT_TRUE(tStep._tArgs[2]._bIsRegExp);
    EXPECT_TRUE(tStep._tArgs[2]._bQuoted);
    EXPECT_EQ("id", tStep._tArgs[3]._dsKey);
    EXPECT_EQ("", tStep._tArgs[3]._dsValue);
    // Only the first '=' separates key and value.
    EXPECT_EQ("name", tStep._tArgs[4]._dsKey);
    EXPECT_EQ("a=b", tStep._tArgs[4]._dsValue);
    ASSERT_NE(nullptr, tStep.FindPair("frame"));
    EXPECT_EQ(nullptr, tStep.FindPair("href"));
    EXPECT_EQ(1u, tStep.GetWords().size());

    // Words that are not pairs: no key, or a key that does not start with a letter.
    tStep = Tokenized("button =x 1a=b \"\" a#b", &bOK);
    ASSERT_TRUE(bOK);
    ASSERT_EQ(4u, tStep._tArgs.size());
    EXPECT_FALSE(tStep._tArgs[0]._bIsPair);
    EXPECT_EQ("=x", tStep._tArgs[0]._dsValue);
    EXPECT_FALSE(tStep._tArgs[1]._bIsPair);
    EXPECT_TRUE(tStep._tArgs[2]._bQuoted);
    EXPECT_EQ("", tStep._tArgs[2]._dsValue);
    // A '#' inside a word is the word's; only one where an argument starts begins a comment.
    EXPECT_EQ("a#b", tStep._tArgs[3]._dsValue);
}

TEST(KxwPlayTokenize, ScriptVerbsTakeTheRestOfTheLineAndCommentsAreSkipped) {
    bool bOK = false;
    KxwPlayStep tStep = Tokenized("eval   var s = \"#not a comment\"; s + 'x'  \t", &bOK);
    ASSERT_TRUE(bOK);
    EXPECT_EQ("eval", tStep._dsVerb);
    EXPECT_EQ("var s = \"#not a comment\"; s + 'x'", tStep._dsText);
    EXPECT_TRUE(tStep._tArgs.empty());
    // An unbalanced quote is the script's business, not the tokenizer's.
    tStep = Tokenized("expect \"abc", &bOK);
    EXPECT_TRUE(bOK);
    EXPECT_EQ("\"abc", tStep._dsText);

    for (const char* pszLine : {"", "   \t ", "# comment", "   # indented comment \"unclosed"}) {
        tStep = Tokenized(pszLine, &bOK);
        EXPECT_TRUE(bOK) << pszLine;
        EXPECT_TRUE(tStep._dsVerb.empty()) << pszLine;
    }
}

TEST(KxwPlayTokenize, MalformedLinesAreRefusedWithTheirReason) {
    struct Case {
        const char* _pszLine;
        const char* _pszReason;
    };
    const Case atCases[] = {
        {"clik OK", "unknown verb \"clik\""},
        {"Eval 1", "unknown verb \"Eval\""},
        {"link \"Buy now", "a quoted string is not closed"},
        {"link text=\"Buy now", "a quoted string is not closed"},
        {"link \"Buy \\\"", "a quoted string is not closed"},
        {"link Buy\"now\"", "a double quote inside a bare word"},
        {"link \"Buy\"now", "text right after a closing quote"},
        {"link text=\"Buy\"x", "text right after a closing quote"},
    };
    for (const Case& rtCase : atCases) {
        bool bOK = true;
        std::string dsError;
        Tokenized(rtCase._pszLine, &bOK, &dsError);
        EXPECT_FALSE(bOK) << rtCase._pszLine;
        EXPECT_NE(std::string::npos, dsError.find(rtCase._pszReason)) << rtCase._pszLine << " gave " << dsError;
    }
}

TEST(KxwPlaySteps, FileLinesNumbersAndLineEnds) {
    const std::string dsText =
        "\xEF\xBB\xBF# steps\r\n"
        "\r\n"
        "eval 1 + 1\r\n"
        "   think 250   # a pause\n"
        "\n"
        "expect true";  // no newline at the end
    KxwPlaySteps tSteps;
    std::string dsError;
    ASSERT_TRUE(tSteps.LoadFromText(dsText.data(), dsText.size(), "dir/t.steps", "file:///dir/", nullptr, &dsError))
        << dsError;
    const std::vector<KxwPlayStep>& rtSteps = tSteps.GetSteps();
    ASSERT_EQ(3u, rtSteps.size());
    EXPECT_EQ(1, rtSteps[0]._iNumber);
    EXPECT_EQ(3u, rtSteps[0]._uLine);
    EXPECT_EQ("1 + 1", rtSteps[0]._dsText);  // the carriage return is not part of the script
    EXPECT_EQ(2, rtSteps[1]._iNumber);
    EXPECT_EQ(4u, rtSteps[1]._uLine);
    ASSERT_EQ(1u, rtSteps[1]._tArgs.size());
    EXPECT_EQ("250", rtSteps[1]._tArgs[0]._dsValue);
    EXPECT_EQ(3, rtSteps[2]._iNumber);
    EXPECT_EQ(6u, rtSteps[2]._uLine);
    EXPECT_EQ("dir/t.steps", tSteps.GetFileName());
    EXPECT_EQ("t.steps", tSteps.GetScriptFileName());

    EXPECT_EQ("t.steps: no steps", ParseError("# only a comment\n\n"));
    EXPECT_EQ("t.steps:2: a NUL byte (is this a text file?)", ParseError(std::string("eval 1\neval \0 2\n", 15)));
}

TEST(KxwPlaySteps, ArgumentsAreCheckedAgainstTheVerbAndTheErrorNamesTheLine) {
    struct Case {
        const char* _pszLine;
        const char* _pszError;  // empty: accepted
    };
    const Case atCases[] = {
        {"goto page.html", ""},
        {"goto", "goto: too few arguments: takes one word"},
        {"goto a.html b.html", "goto: too many arguments"},
        {"goto href=x", "goto: unknown key \"href\" (it takes post="},
        {"eval", "eval: a script is required"},
        {"expect   ", "expect: a script is required"},
        {"think 0", ""},
        {"think 2147483647", ""},
        {"think 2147483648", "think: the argument must be a whole number of milliseconds, not \"2147483648\""},
        {"think -5", "must be a whole number of milliseconds"},
        {"think 1.5", "must be a whole number of milliseconds"},
        {"wait", "wait: too few arguments"},
        {"dump 0x1F", ""},
        {"dump 0xG", "dump: the argument must be a whole number (decimal or 0x hexadecimal)"},
        {"link \"Buy now\" ordinal=2 frame=main", ""},
        {"link text~=\"^Buy \" ordinal=random", ""},
        {"link href=x id=y name=z", ""},
        {"link", "link: say which one"},
        {"link Buy text=Buy", "link: give the text as a word or as text=, not both"},
        {"link Buy now", "link: too many arguments: takes at most one word (quote a text that holds blanks)"},
        {"link text=a text=b", "link: text= is given twice"},
        {"link text=a ordinal=0", "link: ordinal= must be a whole number from 1 or random, not \"0\""},
        {"link text=a ordinal~=2", "link: ordinal takes = only"},
        {"link text~=\"(\"", "link: text~= is not a valid regular expression"},
        {"link text~=\"(a)\\\\1\"", "link: text~= is not accepted as a regular expression (back-references"},
        {"link text~=\"(a)\\\\\\\\1\"", ""},
        {"link @class~=big @title=x", ""},
        {"link value=x", "link: unknown key \"value\" (it takes text=, id=, name=, href=, ordinal=, frame=)"},
        {"image alt=Logo", ""},
        {"image map name=nav x=10 y=0", ""},
        {"image map name=nav x=10", "image: an image map click needs x= and y="},
        {"image name=nav x=1 y=2", "image: x= and y= go with the word map"},
        {"image mapp name=nav", "image: \"mapp\" where map is expected"},
        {"image map x=1 y=2", "image: say which image"},
        {"image map name=a x=-1 y=2", "x= must be a whole number from 0"},
        {"button OK", ""},
        {"button type=submit ordinal=2", ""},
        {"button", "button: say which one"},
        {"edit name=user \"John Smith\"", ""},
        {"edit name=user", "edit: too few arguments"},
        {"edit \"x\"", "edit: say which input"},
        {"check name=agree on", ""},
        {"check id=agree value=1 off", ""},
        {"check name=agree yes", "check: \"yes\" where on or off is expected"},
        {"check on", "check: say which check box"},
        {"radio name=size value=L", ""},
        {"radio name=size ordinal=2 group=3", ""},
        {"radio value=L", "radio: name= (the group) is required"},
        {"radio name=size", "radio: say which button of the group"},
        {"radio name=size value=L ordinal=1", "radio: say which button of the group"},
        {"radio name=size value=L group=0", "group= must be a whole number from 1"},
        {"list name=country select=France", ""},
        {"list id=c select-ordinal=3", ""},
        {"list name=c extend~=\"^Fr\"", ""},
        {"list name=c", "list: give one of select=, select-ordinal=, extend= and deextend="},
        {"list name=c select=a deextend=b", "list: give one of"},
        {"list select=a", "list: say which list"},
        {"area alt=North", ""},
        {"area ordinal=1", "area: say which area"},
        {"element tag=DIV text=Hello event=mouseover", ""},
        {"element id=x event=\"on click\"", "event= must be an event name"},
        {"element event=click", "element: say which element"},
        {"answer confirm ok", ""},
        {"answer confirm cancel message~=\"^Delete\"", ""},
        {"answer prompt ok text=\"my name\"", ""},
        {"answer prompt cancel", ""},
        {"answer modal eval=\"window.returnValue = 1\" message=Pick", ""},
        {"answer confirm", "answer: confirm needs ok or cancel"},
        {"answer confirm maybe", "answer: \"maybe\" where ok or cancel is expected"},
        {"answer alert ok", "answer: \"alert\" where confirm, prompt or modal is expected"},
        {"answer prompt cancel text=x", "answer: text= goes with prompt ok"},
        {"answer confirm ok text=x", "answer: text= goes with prompt ok"},
        {"answer modal", "answer: a modal answer needs eval="},
        {"answer modal ok eval=x", "answer: a modal answer is given with eval=, not a word"},
        {"answer confirm ok eval=x", "answer: eval= goes with modal"},
        {"window title~=\"^Order\"", ""},
        {"window ordinal=2", ""},
        {"window", "window: say which window"},
        {"window ordinal=random", "window: ordinal= must be a whole number from 1"},
        {"frame top", ""},
        {"frame name=main", ""},
        {"frame", "frame: say which frame"},
        {"frame top name=main", "frame: top takes no name= or ordinal="},
        {"frame bottom", "frame: \"bottom\" where top is expected"},
    };
    for (const Case& rtCase : atCases) {
        std::string dsText = std::string("# first line\n") + rtCase._pszLine + "\n";
        std::string dsError = ParseError(dsText);
        if (!*rtCase._pszError) {
            EXPECT_EQ("", dsError) << rtCase._pszLine;
            continue;
        }
        EXPECT_EQ(0u, dsError.find("t.steps:2: ")) << rtCase._pszLine << " gave " << dsError;
        EXPECT_NE(std::string::npos, dsError.find(rtCase._pszError)) << rtCase._pszLine << " gave " << dsError;
    }
}

TEST(KxwPlaySteps, DataParametersAreCheckedOnceTheyHaveTheirValues) {
    std::set<std::string> tParams = {"ms", "page", "state"};
    EXPECT_EQ("", ParseError("think {ms}\ncheck name=a {state}\ngoto {page}\n", &tParams));
    // Without the parameter the braces are plain text, and plain text is no number.
    EXPECT_NE("", ParseError("think {ms}\n"));
    EXPECT_NE("", ParseError("think {other}\n", &tParams));
    // The shape of a step stays fixed: the kind of dialog cannot come from the data.
    EXPECT_NE(std::string::npos, ParseError("answer {state} ok\n", &tParams).find("must be written out"));

    KxwPlaySteps tSteps;
    std::string dsError;
    const std::string dsText = "goto {page}\n";
    ASSERT_TRUE(tSteps.LoadFromText(dsText.data(), dsText.size(), "t.steps", "file:///site/", &tParams, &dsError));
    // Left for run time, when the value is known.
    EXPECT_EQ("{page}", tSteps.GetSteps()[0]._tArgs[0]._dsValue);
    KxwPlayStep tStep = tSteps.GetSteps()[0];
    tStep._tArgs[0]._dsValue = "next.html";
    ASSERT_TRUE(tSteps.ResolveStepUrls(&tStep, nullptr, &dsError));
    EXPECT_EQ("file:///site/next.html", tStep._tArgs[0]._dsValue);
}

TEST(KxwPlaySteps, UrlsResolveAgainstTheStepsFilesFolder) {
    EXPECT_EQ("file:///site/", xfdsKxwPlayMakeFolderBaseUrl("/site"));
    EXPECT_EQ("file:///a%20b/c%23d%3F/%C3%A9/", xfdsKxwPlayMakeFolderBaseUrl("/a b/c#d?/\xC3\xA9/"));

    const std::string dsText =
        "goto page.html\n"
        "goto ../up/x.html?q=1#top\n"
        "goto /abs/y.html\n"
        "goto http://example.test/p\n"
        "goto \"sub dir/z.html\"\n";
    KxwPlaySteps tSteps;
    std::string dsError;
    ASSERT_TRUE(tSteps.LoadFromText(dsText.data(), dsText.size(), "t.steps", "file:///site/demo/", nullptr, &dsError))
        << dsError;
    const std::vector<KxwPlayStep>& rtSteps = tSteps.GetSteps();
    EXPECT_EQ("file:///site/demo/page.html", rtSteps[0]._tArgs[0]._dsValue);
    EXPECT_EQ("file:///site/up/x.html?q=1#top", rtSteps[1]._tArgs[0]._dsValue);
    EXPECT_EQ("file:///abs/y.html", rtSteps[2]._tArgs[0]._dsValue);
    EXPECT_EQ("http://example.test/p", rtSteps[3]._tArgs[0]._dsValue);
    EXPECT_EQ(0u, rtSteps[4]._tArgs[0]._dsValue.find("file:///site/demo/sub"));
    // Resolving a resolved URL changes nothing, so run-time resolution after substitution is safe.
    KxwPlayStep tStep = rtSteps[1];
    ASSERT_TRUE(tSteps.ResolveStepUrls(&tStep, nullptr, &dsError));
    EXPECT_EQ(rtSteps[1]._tArgs[0]._dsValue, tStep._tArgs[0]._dsValue);
}

TEST(KxwPlaySteps, LoadFromFileUsesTheFilesRealFolder) {
    char acDir[] = "/tmp/kxwplay-steps-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(acDir));
    std::string dsPath = std::string(acDir) + "/t.steps";
    FILE* ptFile = std::fopen(dsPath.c_str(), "w");
    ASSERT_NE(nullptr, ptFile);
    std::fputs("goto index.html\n", ptFile);
    std::fclose(ptFile);

    KxwPlaySteps tSteps;
    std::string dsError;
    ASSERT_TRUE(tSteps.LoadFromFile(dsPath, nullptr, &dsError)) << dsError;
    EXPECT_EQ(xfdsKxwPlayMakeFolderBaseUrl(acDir), tSteps.GetBaseUrl());
    EXPECT_EQ(tSteps.GetBaseUrl() + "index.html", tSteps.GetSteps()[0]._tArgs[0]._dsValue);

    std::string dsMissing = std::string(acDir) + "/missing.steps";
    EXPECT_FALSE(tSteps.LoadFromFile(dsMissing, nullptr, &dsError));
    EXPECT_EQ(0u, dsError.find(dsMissing + ": cannot open"));
    // A folder opens on Linux but cannot be read as a file.
    EXPECT_FALSE(tSteps.LoadFromFile(acDir, nullptr, &dsError));
    EXPECT_NE(std::string::npos, dsError.find("cannot read"));

    std::remove(dsPath.c_str());
    rmdir(acDir);
}
