#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "KxwRecordingSink.h"
#include "KxwU16nHandler.h"
#include "KxwiHtmlEntities.h"
#include "KxwiHtmlTokenizer.h"

namespace {

// Renders tokens compactly: "text" <tag a="v" b> </tag> C"comment" B"bogus" D"doctype" EOF, separated by spaces;
// bytes outside printable ASCII as \xHH. With lines, each token gets @line (and ^depth for inserted text).
std::string Escape(const char* mpsf, size_t mnLen) {
    std::string dsOut;
    for (size_t i = 0; i < mnLen; ++i) {
        auto ucChar = static_cast<unsigned char>(mpsf[i]);
        if (ucChar == '\n') {
            dsOut += "\\n";
        } else if (ucChar == '"' || ucChar == '\\') {
            dsOut += '\\';
            dsOut += static_cast<char>(ucChar);
        } else if (ucChar < 0x20 || ucChar >= 0x7F) {
            char acHex[8];
            std::snprintf(acHex, sizeof(acHex), "\\x%02X", ucChar);
            dsOut += acHex;
        } else {
            dsOut += static_cast<char>(ucChar);
        }
    }
    return dsOut;
}

std::string Render(const KxwiHtmlToken& mrtToken, bool mbLines) {
    std::string dsOut;
    switch (mrtToken._eType) {
        case KXWI_HTML_TOKEN_TYPE_START_TAG:
            dsOut = "<" + Escape(mrtToken._psfName, mrtToken._nNameLen);
            for (size_t i = 0; i < mrtToken._nAttrCount; ++i) {
                const KxwiHtmlAttr& rtAttr = mrtToken._ptAttrs[i];
                dsOut += " " + Escape(rtAttr._psfName, rtAttr._nNameLen);
                if (rtAttr._bHasValue) dsOut += "=\"" + Escape(rtAttr._psfValue, rtAttr._nValueLen) + "\"";
            }
            dsOut += mrtToken._bSelfClosing ? "/>" : ">";
            break;
        case KXWI_HTML_TOKEN_TYPE_END_TAG:
            dsOut = "</" + Escape(mrtToken._psfName, mrtToken._nNameLen) + ">";
            break;
        case KXWI_HTML_TOKEN_TYPE_TEXT:
            dsOut = "\"" + Escape(mrtToken._psfText, mrtToken._nTextLen) + "\"";
            break;
        case KXWI_HTML_TOKEN_TYPE_COMMENT:
            dsOut = (mrtToken._bBogus ? "B\"" : "C\"") + Escape(mrtToken._psfText, mrtToken._nTextLen) + "\"";
            break;
        case KXWI_HTML_TOKEN_TYPE_DOCTYPE:
            dsOut = "D\"" + Escape(mrtToken._psfText, mrtToken._nTextLen) + "\"";
            break;
        case KXWI_HTML_TOKEN_TYPE_END_OF_INPUT:
            dsOut = "EOF";
            break;
    }
    if (mbLines) {
        dsOut += "@" + std::to_string(mrtToken._iLine);
        if (mrtToken._iInsertionDepth) dsOut += "^" + std::to_string(mrtToken._iInsertionDepth);
    }
    return dsOut;
}

// A sink that switches to the default raw-text modes, as a tree builder would, and can run a hook per token.
class RenderSink : public KxwiHtmlTokenSink {
public:
    explicit RenderSink(bool mbLines = false, bool mbScripting = true) : _bLines(mbLines), _bScripting(mbScripting) {}
    void OnToken(KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) override {
        if (!_dsOut.empty()) _dsOut += ' ';
        _dsOut += Render(mrtToken, _bLines);
        if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_START_TAG)
            mrtTokenizer.SetRawTextMode(mrtToken._psfName, mrtToken._nNameLen, _bScripting);
        if (_fHook) _fHook(mrtTokenizer, mrtToken);
    }
    std::string _dsOut;
    bool _bLines;
    bool _bScripting;
    std::function<void(KxwiHtmlTokenizer&, const KxwiHtmlToken&)> _fHook;
};

// Whole input in one feed.
std::string Tokens(const std::string& mdsInput, bool mbLines = false, KxwU16nHandler* mptHandler = nullptr) {
    RenderSink tSink(mbLines);
    KxwiHtmlTokenizer tTokenizer(&tSink, mptHandler);
    tTokenizer.Feed(mdsInput.data(), mdsInput.size());
    tTokenizer.EndOfInput();
    return tSink._dsOut;
}

// The same input fed in pieces of the given sizes (cycled).
std::string TokensChunked(const std::string& mdsInput, const std::vector<size_t>& mtSizes, bool mbLines,
                          KxwU16nHandler* mptHandler = nullptr) {
    RenderSink tSink(mbLines);
    KxwiHtmlTokenizer tTokenizer(&tSink, mptHandler);
    size_t nPos = 0, nIndex = 0;
    while (nPos < mdsInput.size()) {
        size_t nLen = std::min(mtSizes[nIndex++ % mtSizes.size()], mdsInput.size() - nPos);
        tTokenizer.Feed(mdsInput.data() + nPos, nLen);
        nPos += nLen;
    }
    tTokenizer.EndOfInput();
    return tSink._dsOut;
}

struct Case {
    const char* _pszInput;
    const char* _pszExpected;
};

// Checks each case whole, byte by byte and in random pieces: the tokens (lines included) must not depend on the
// split points.
void ExpectCases(const std::vector<Case>& mtCases, KxwU16nHandler* mptHandler = nullptr) {
    std::mt19937 tRandom(12345);
    for (const Case& rtCase : mtCases) {
        std::string dsInput = rtCase._pszInput;
        EXPECT_EQ(rtCase._pszExpected, Tokens(dsInput, false, mptHandler)) << "input: " << dsInput;
        std::string dsWhole = Tokens(dsInput, true, mptHandler);
        EXPECT_EQ(dsWhole, TokensChunked(dsInput, {1}, true, mptHandler)) << "byte by byte: " << dsInput;
        for (int iRound = 0; iRound < 8; ++iRound) {
            std::vector<size_t> tSizes;
            for (int i = 0; i < 16; ++i) tSizes.push_back(1 + tRandom() % 7);
            EXPECT_EQ(dsWhole, TokensChunked(dsInput, tSizes, true, mptHandler)) << "chunks: " << dsInput;
        }
    }
}

}  // namespace

TEST(KxwiHtmlTokenizerTest, TagsAndAttributes) {
    ExpectCases({
        {"<p>Hello</p>", "<p> \"Hello\" </p> EOF"},
        {"<A HREF=x.html>go</A>", "<A HREF=\"x.html\"> \"go\" </A> EOF"},
        {"<a href=\"x y\" title='it''s' data-x = \"1\">", "<a href=\"x y\" title=\"it\" 's' data-x=\"1\"> EOF"},
        {"<input checked disabled name=q>", "<input checked disabled name=\"q\"> EOF"},
        {"<input value= >", "<input value=\"\"> EOF"},
        {"<a b=>", "<a b=\"\"> EOF"},
        {"<a b=\"\">", "<a b=\"\"> EOF"},
        // A repeated name keeps its first value, whatever the case.
        {"<a id=1 ID=2 id=3 x>", "<a id=\"1\" x> EOF"},
        {"<br/><br /><br / ><img src=a/>", "<br/> <br/> <br> <img src=\"a/\"> EOF"},
        {"<a x=\"1\"y='2'z>", "<a x=\"1\" y=\"2\" z> EOF"},
        {"<a =b>", "<a =b> EOF"},
        // Text before a tag is handed over first and the tag is taken again: with a quote in a name.
        {"x<C=\n\">y", "\"x\" <C= \\\"> \"y\" EOF"},
        {"<a \"q\"=1 <b>", "<a \\\"q\\\"=\"1\" <b> EOF"},
        {"<a href=a>b>", "<a href=\"a\"> \"b>\" EOF"},
        {"<a\tb\nc\rd\fe>", "<a b c d e> EOF"},
        {"<p/x>", "<p x> EOF"},
        {"<div<p>>", "<div<p> \">\" EOF"},
        {"</p class=x>", "</p> EOF"},
        {"</P >", "</P> EOF"},
        // '<' that starts no markup is text.
        {"a < b <3 <= <\xC3\xA9>", "\"a < b <3 <= <\\xC3\\xA9>\" EOF"},
        {"x<", "\"x<\" EOF"},
        {"x</", "\"x</\" EOF"},
        // "</>" vanishes; the text around it is one run.
        {"a</>b", "\"ab\" EOF"},
        // A tag cut off by the end of the input is dropped.
        {"text<a href='x", "\"text\" EOF"},
        {"<div class=", "EOF"},
        {"", "EOF"},
    });

    // The upper-case name, and the first byte >= 0x80 ending the folding.
    struct UpperSink : KxwiHtmlTokenSink {
        void OnToken(KxwiHtmlTokenizer&, const KxwiHtmlToken& mrtToken) override {
            if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_START_TAG || mrtToken._eType == KXWI_HTML_TOKEN_TYPE_END_TAG)
                _tNames.emplace_back(mrtToken._psfUpperName, mrtToken._nNameLen);
        }
        std::vector<std::string> _tNames;
    } tUpper;
    KxwiHtmlTokenizer tTokenizer(&tUpper);
    const char kszInput[] = "<public:Component></tExtArea><x\x83y>";
    tTokenizer.Feed(kszInput, sizeof(kszInput) - 1);
    tTokenizer.EndOfInput();
    ASSERT_EQ(3u, tUpper._tNames.size());
    EXPECT_EQ("PUBLIC:COMPONENT", tUpper._tNames[0]);
    EXPECT_EQ("TEXTAREA", tUpper._tNames[1]);
    EXPECT_EQ("X\x83y", tUpper._tNames[2]);
}

TEST(KxwiHtmlTokenizerTest, CommentsDoctypeAndBogusComments) {
    ExpectCases({
        {"<!-- a -->", "C\" a \" EOF"},
        {"<!---->x", "C\"\" \"x\" EOF"},
        {"<!-->x", "C\"\" \"x\" EOF"},
        {"<!--->x", "C\"\" \"x\" EOF"},
        {"<!--a--->", "C\"a-\" EOF"},
        {"<!--a-- b-->", "C\"a-- b\" EOF"},
        {"<!--a--!>b", "C\"a\" \"b\" EOF"},
        {"<!--<p>-- >-->", "C\"<p>-- >\" EOF"},
        {"x<!-- never closed <p>", "\"x\" C\" never closed <p>\" EOF"},
        {"<!--", "C\"\" EOF"},
        {"<!-", "B\"-\" EOF"},
        {"<!", "B\"\" EOF"},
        {"<!x y>z", "B\"x y\" \"z\" EOF"},
        {"<![CDATA[a]]>", "B\"[CDATA[a]]\" EOF"},
        {"<?xml version=\"1.0\"?><p>", "B\"?xml version=\\\"1.0\\\"?\" <p> EOF"},
        {"</ 3>", "B\" 3\" EOF"},
        {"</3", "B\"3\" EOF"},
        {"<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01//EN\">",
         "D\"html PUBLIC \\\"-//W3C//DTD HTML 4.01//EN\\\"\" EOF"},
        {"<!doctype  HTML >", "D\"HTML\" EOF"},
        {"<!DOCTYPE>", "D\"\" EOF"},
        {"<!DOCTYPE html", "D\"html\" EOF"},
        {"<!DOCTYP", "B\"DOCTYP\" EOF"},
        {"<!DOCTYPX>", "B\"DOCTYPX\" EOF"},
    });
}

TEST(KxwiHtmlTokenizerTest, CharacterReferencesInText) {
    KxwU16nHandlerGeneral tUtf8("utf-8");
    ExpectCases(
        {
            {"&amp;&lt;&gt;&quot;", "\"&<>\\\"\" EOF"},
            {"&copy; &copy &amp", "\"\\xC2\\xA9 \\xC2\\xA9 &\" EOF"},
            // The longest name that starts the letters counts; the rest stays text.
            {"&notin; &notit; &copyright", "\"\\xE2\\x88\\x89 \\xC2\\xACit; \\xC2\\xA9right\" EOF"},
            {"&Alpha;&alpha;&thetasym;&euro;", "\"\\xCE\\x91\\xCE\\xB1\\xCF\\x91\\xE2\\x82\\xAC\" EOF"},
            {"&#65;&#x42;&#X43&#0068;&#x00000045;", "\"ABCDE\" EOF"},
            {"&#x1F600;", "\"\\xF0\\x9F\\x98\\x80\" EOF"},
            // Out of range, surrogates and zero become U+FFFD; 0x80..0x9F are read as windows-1252.
            {"&#0;&#xD800;&#1114112;&#99999999999999999999;",
             "\"\\xEF\\xBF\\xBD\\xEF\\xBF\\xBD\\xEF\\xBF\\xBD"
             "\\xEF\\xBF\\xBD\" EOF"},
            {"&#128;&#x96;&#x81;", "\"\\xE2\\x82\\xAC\\xE2\\x80\\x93\\xC2\\x81\" EOF"},
            // Not references: they stay as written.
            {"& &# &#x &#xg; &#; &bogus; &AMP; &=", "\"& &# &#x &#xg; &#; &bogus; &AMP; &=\" EOF"},
            {"a&", "\"a&\" EOF"},
            {"&amp<p>", "\"&\" <p> EOF"},
            {"&#65<p>", "\"A\" <p> EOF"},
        },
        &tUtf8);

    // In windows-1252 (no handler) a character the charset has is its byte; any other stays a decimal reference.
    ExpectCases({
        {"&copy;&euro;&#150;&eacute;", "\"\\xA9\\x80\\x96\\xE9\" EOF"},
        {"&#x4E00;&alpha;&#xFFFD;&#0;", "\"&#19968;&#945;&#65533;&#65533;\" EOF"},
        {"&#x1F600;", "\"&#128512;\" EOF"},
    });
}

TEST(KxwiHtmlTokenizerTest, CharacterReferencesInAttributeValues) {
    KxwU16nHandlerGeneral tUtf8("utf-8");
    ExpectCases(
        {
            // A name without ';' followed by a letter, digit or '=' is part of a URL's query.
            {"<a href=\"?a=1&copy=2&amp;b&amp=3&lt2\">", "<a href=\"?a=1&copy=2&b&amp=3&lt2\"> EOF"},
            {"<a title=\"&copy\" alt='&copy;x' x=&amp>", "<a title=\"\\xC2\\xA9\" alt=\"\\xC2\\xA9x\" x=\"&\"> EOF"},
            {"<a title=\"&copy \">", "<a title=\"\\xC2\\xA9 \"> EOF"},
            {"<a v=\"&#65;&#x42&#67x\">", "<a v=\"ABCx\"> EOF"},
            {"<a v=\"&bogus; & &#\">", "<a v=\"&bogus; & &#\"> EOF"},
            {"<a &amp;=1>", "<a &amp;=\"1\"> EOF"},
        },
        &tUtf8);
}

TEST(KxwiHtmlTokenizerTest, RawTextElements) {
    ExpectCases({
        {"<script>if (a<b && c>d) document.write('<p>');</script>x",
         "<script> \"if (a<b && c>d) document.write('<p>');\" </script> \"x\" EOF"},
        {"<SCRIPT>a</ScRiPt >b", "<SCRIPT> \"a\" </ScRiPt> \"b\" EOF"},
        {"<script>a</scriptx></script/>", "<script> \"a</scriptx>\" </script> EOF"},
        {"<script>a</script\tz=1>", "<script> \"a\" </script> EOF"},
        {"<script>&amp;<!--</script>-->", "<script> \"&amp;<!--\" </script> \"-->\" EOF"},
        {"<script></script>", "<script> </script> EOF"},
        {"<script>never closed </scr", "<script> \"never closed </scr\" EOF"},
        {"<script>x</script", "<script> \"x</script\" EOF"},
        {"<style>p > a { }</style>", "<style> \"p > a { }\" </style> EOF"},
        {"<xmp><b>&amp;</b></xmp>", "<xmp> \"<b>&amp;</b>\" </xmp> EOF"},
        {"<noscript><p>x</p></noscript>", "<noscript> \"<p>x</p>\" </noscript> EOF"},
        // TEXTAREA and TITLE decode references but keep markup as text.
        {"<textarea>a&lt;b<p>&copy</textarea>", "<textarea> \"a<b<p>\\xA9\" </textarea> EOF"},
        {"<title>A &amp; B</title>", "<title> \"A & B\" </title> EOF"},
        {"<title>&amp</title>", "<title> \"&\" </title> EOF"},
        // PLAINTEXT takes the rest, end tags included.
        {"<plaintext><p></plaintext>&amp;", "<plaintext> \"<p></plaintext>&amp;\" EOF"},
        // Not raw when in an attribute or comment.
        {"<p title=\"<script>\">x", "<p title=\"<script>\"> \"x\" EOF"},
    });

    // NOSCRIPT is markup when scripting is off: the builder's policy.
    RenderSink tSink(false, false);
    KxwiHtmlTokenizer tTokenizer(&tSink);
    const std::string dsInput = "<noscript><p>x</p></noscript>";
    tTokenizer.Feed(dsInput.data(), dsInput.size());
    tTokenizer.EndOfInput();
    EXPECT_EQ("<noscript> <p> \"x\" </p> </noscript> EOF", tSink._dsOut);

    EXPECT_EQ(KXWI_HTML_TEXT_MODE_RAWTEXT, xfeKxwiHtmlGetDefaultTextMode("SCRIPT", 6));
    EXPECT_EQ(KXWI_HTML_TEXT_MODE_RCDATA, xfeKxwiHtmlGetDefaultTextMode("TextArea", 8));
    EXPECT_EQ(KXWI_HTML_TEXT_MODE_PLAINTEXT, xfeKxwiHtmlGetDefaultTextMode("plaintext", 9));
    EXPECT_EQ(KXWI_HTML_TEXT_MODE_RAWTEXT, xfeKxwiHtmlGetDefaultTextMode("noscript", 8, true));
    EXPECT_EQ(KXWI_HTML_TEXT_MODE_DATA, xfeKxwiHtmlGetDefaultTextMode("noscript", 8, false));
    EXPECT_EQ(KXWI_HTML_TEXT_MODE_DATA, xfeKxwiHtmlGetDefaultTextMode("scripts", 7));
    EXPECT_EQ(KXWI_HTML_TEXT_MODE_DATA, xfeKxwiHtmlGetDefaultTextMode("div", 3));
}

TEST(KxwiHtmlTokenizerTest, CharsetChangesWhileParsingAndNulBytes) {
    // A META element switches the decoding charset for what follows it, as the builder does without a reparse.
    KxwU16nHandlerGeneral tUtf8("utf-8");
    RenderSink tSink;
    KxwiHtmlTokenizer tTokenizer(&tSink);
    tSink._fHook = [&tUtf8](KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) {
        if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_START_TAG && mrtToken._nNameLen == 4)
            mrtTokenizer.SetU16nHandler(&tUtf8);
    };
    const std::string dsPage = "&eacute;<meta>&eacute;<a t=&eacute;>";
    tTokenizer.Feed(dsPage.data(), dsPage.size());
    tTokenizer.EndOfInput();
    EXPECT_EQ("\"\\xE9\" <meta> \"\\xC3\\xA9\" <a t=\"\\xC3\\xA9\"> EOF", tSink._dsOut);

    // NUL bytes are data like any other.
    EXPECT_EQ("\"a\\x00b\" <p\\x00 q=\"\\x00\"> EOF", Tokens(std::string("a\0b<p\0 q=\0>", 11)));
}

TEST(KxwiHtmlTokenizerTest, LineNumbers) {
    EXPECT_EQ("\"a\\n\"@1 <b>@2 \"\\n\\n\"@2 C\"x\\ny\"@4 \"\\n\"@5 <script>@6 \"\\nf()\\n\"@6 </script>@8 EOF@8",
              Tokens("a\n<b>\n\n<!--x\ny-->\n<script>\nf()\n</script>", true));
    // CR LF is one break, a lone CR is one.
    EXPECT_EQ("\"a\\x0D\\n\"@1 <b>@2 \"\\x0D\"@2 <c>@3 \"\\x0D\\x0D\\n\"@3 <d>@5 EOF@5",
              Tokens("a\r\n<b>\r<c>\r\r\n<d>", true));
    // A tag whose attributes span lines starts on its first line; the next token counts them.
    EXPECT_EQ("<a x=\"1\\n2\" y>@1 <b>@3 EOF@3", Tokens("<a x='1\n2'\n y><b>", true));
    // Split invariance includes the lines, also with CR LF split between two feeds.
    ExpectCases({{"x\r\n<p>\r\n\r<q>", "\"x\\x0D\\n\" <p> \"\\x0D\\n\\x0D\" <q> EOF"}});
}

TEST(KxwiHtmlTokenizerTest, DocumentWriteIsTokenizedAtTheInsertionPointNested) {
    struct Nested {
        RenderSink _tSink{true};
        KxwiHtmlTokenizer _tTokenizer{&_tSink};
    } tNested;
    tNested._tSink._fHook = [](KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) {
        if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_END_TAG && mrtToken._nNameLen == 6) mrtTokenizer.Pause();
    };
    const std::string dsPage = "<p>1<script>s1</script>2<p>3";
    tNested._tTokenizer.Feed(dsPage.data(), dsPage.size());
    EXPECT_TRUE(tNested._tTokenizer.IsPaused());
    // Script s1 writes a text whose own script s2 writes again; each insertion comes before the rest of what
    // held it, and an unfinished tag at the end of the inner write is finished by the outer write's rest.
    const std::string dsWrite1 = "<b>A<script>s2</script>x>B</b>";
    tNested._tTokenizer.InsertInput(dsWrite1.data(), dsWrite1.size());
    tNested._tTokenizer.Resume();
    EXPECT_TRUE(tNested._tTokenizer.IsPaused());  // after s2's end tag
    const std::string dsWrite2 = "<i>C</i><u class=";
    tNested._tTokenizer.InsertInput(dsWrite2.data(), dsWrite2.size());
    tNested._tTokenizer.Resume();
    tNested._tTokenizer.EndOfInput();
    EXPECT_FALSE(tNested._tTokenizer.IsPaused());
    EXPECT_EQ(
        "<p>@1 \"1\"@1 <script>@1 \"s1\"@1 </script>@1 <b>@1^1 \"A\"@1^1 <script>@1^1 \"s2\"@1^1 "
        "</script>@1^1 <i>@1^2 \"C\"@1^2 </i>@1^2 <u class=\"x\">@1^1 \"B\"@1^1 </b>@1^1 \"2\"@1 <p>@1 "
        "\"3\"@1 EOF@1",
        tNested._tSink._dsOut);
}

// A builder that runs "scripts" while the page streams in: it pauses after each SCRIPT end tag and then writes
// what the script's text says after "write:", with [ ] standing for < > and { } for [ ] (so that a written script
// can write again).
class ScriptRunner {
public:
    ScriptRunner() {
        _tSink._fHook = [this](KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) {
            bool bScript = mrtToken._nNameLen == 6 && std::memcmp(mrtToken._psfUpperName, "SCRIPT", 6) == 0;
            if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_START_TAG && bScript) _bInScript = true;
            if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_TEXT && _bInScript)
                _dsScript.assign(mrtToken._psfText, mrtToken._nTextLen);
            if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_END_TAG && bScript) {
                _bInScript = false;
                mrtTokenizer.Pause();
                size_t nAt = _dsScript.find("write:");
                if (nAt != std::string::npos) {
                    std::string dsWrite = _dsScript.substr(nAt + 6);
                    for (char& rcChar : dsWrite)
                        rcChar = rcChar == '['   ? '<'
                                 : rcChar == ']' ? '>'
                                 : rcChar == '{' ? '['
                                 : rcChar == '}' ? ']'
                                                 : rcChar;
                    _tWrites.push_back(dsWrite);
                }
                _dsScript.clear();
            }
        };
    }
    std::string Run(const std::string& mdsPage, size_t mnChunk) {
        for (size_t nPos = 0; nPos < mdsPage.size(); nPos += mnChunk) {
            _tTokenizer.Feed(mdsPage.data() + nPos, std::min(mnChunk, mdsPage.size() - nPos));
            RunScripts();
        }
        _tTokenizer.EndOfInput();
        RunScripts();
        return _tSink._dsOut;
    }

private:
    void RunScripts() {
        while (_tTokenizer.IsPaused()) {
            for (const std::string& rdsWrite : _tWrites) {
                // One script's two writes are joined before the rest ("<" + "i>" is a tag).
                size_t nHalf = rdsWrite.size() / 2;
                _tTokenizer.InsertInput(rdsWrite.data(), nHalf);
                _tTokenizer.InsertInput(rdsWrite.data() + nHalf, rdsWrite.size() - nHalf);
            }
            _tWrites.clear();
            _tTokenizer.Resume();
        }
    }

    RenderSink _tSink{true};
    KxwiHtmlTokenizer _tTokenizer{&_tSink};
    bool _bInScript = false;
    std::string _dsScript;
    std::vector<std::string> _tWrites;
};

TEST(KxwiHtmlTokenizerTest, ScriptsWritingWhileThePageStreamsIn) {
    const std::string dsPage =
        "<p>a\n<script>write:[b]w1[/b][script]write:{i}w2{/i}[/script]after</script>c\n<script>x</script><q>";
    const std::string dsExpected =
        "<p>@1 \"a\\n\"@1 <script>@2 \"write:[b]w1[/b][script]write:{i}w2{/i}[/script]after\"@2 </script>@2 "
        "<b>@2^1 \"w1\"@2^1 </b>@2^1 <script>@2^1 \"write:[i]w2[/i]\"@2^1 </script>@2^1 <i>@2^2 \"w2\"@2^2 "
        "</i>@2^2 \"afterc\\n\"@2^1 <script>@3 \"x\"@3 </script>@3 <q>@3 EOF@3";
    EXPECT_EQ(dsExpected, ScriptRunner().Run(dsPage, dsPage.size()));
    for (size_t nChunk : {1, 2, 3, 5, 8, 13})
        EXPECT_EQ(dsExpected, ScriptRunner().Run(dsPage, nChunk)) << "chunks of " << nChunk;
}

TEST(KxwiHtmlTokenizerTest, InsertionsJoinWritesAndLeaveLinesOfThePage) {
    RenderSink tSink(true);
    KxwiHtmlTokenizer tTokenizer(&tSink);
    tSink._fHook = [](KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) {
        if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_END_TAG) mrtTokenizer.Pause();
    };
    const std::string dsPage = "a\nb<script>\n</script>c\nd<e>";
    tTokenizer.Feed(dsPage.data(), dsPage.size());
    ASSERT_TRUE(tTokenizer.IsPaused());
    EXPECT_EQ(3, tTokenizer.GetLine());
    // Two writes of one script are one text: "<" + "i>" is a tag.
    tTokenizer.InsertInput("x\n<", 3);
    tTokenizer.InsertInput("i>y", 3);
    tTokenizer.Resume();
    tTokenizer.EndOfInput();
    EXPECT_EQ("\"a\\nb\"@1 <script>@2 \"\\n\"@2 </script>@3 \"x\\n\"@3^1 <i>@4^1 \"yc\\nd\"@4^1 <e>@4 EOF@4",
              tSink._dsOut);

    // A script at the very end writes: its text comes before END_OF_INPUT.
    RenderSink tSinkEnd;
    KxwiHtmlTokenizer tTokenizerEnd(&tSinkEnd);
    tSinkEnd._fHook = [](KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) {
        if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_END_TAG) mrtTokenizer.Pause();
    };
    tTokenizerEnd.Feed("<script>w</script>", 18);
    tTokenizerEnd.EndOfInput();
    EXPECT_FALSE(tTokenizerEnd.IsEnded());
    tTokenizerEnd.InsertInput("<b>x", 4);
    tTokenizerEnd.Resume();
    EXPECT_EQ("<script> \"w\" </script> <b> \"x\" EOF", tSinkEnd._dsOut);

    // Insertion before anything was fed, and after the end nothing more is taken.
    KxwRecordingSink tReports;
    RenderSink tSink2;
    KxwiHtmlTokenizer tTokenizer2(&tSink2);
    tTokenizer2.InsertInput("<p>", 3);
    tTokenizer2.Feed("q", 1);
    tTokenizer2.EndOfInput();
    EXPECT_EQ("<p> \"q\" EOF", tSink2._dsOut);
    EXPECT_TRUE(tTokenizer2.IsEnded());
    tTokenizer2.InsertInput("x", 1);
    tTokenizer2.Feed("x", 1);
    EXPECT_EQ("<p> \"q\" EOF", tSink2._dsOut);
    EXPECT_TRUE(tReports.Saw("after the end of input are ignored in KxwiHtmlTokenizer::InsertInput"));
    EXPECT_TRUE(tReports.Saw("after the end of input are ignored in KxwiHtmlTokenizer::Feed"));
}

TEST(KxwiHtmlTokenizerTest, PauseStopsAfterAnyTokenAndFeedingInsideTheSinkIsDeferred) {
    KxwRecordingSink tReports;
    RenderSink tSink;
    KxwiHtmlTokenizer tTokenizer(&tSink);
    int iCalls = 0;
    tSink._fHook = [&iCalls](KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) {
        ++iCalls;
        mrtTokenizer.Pause();
        // Bytes arriving while the sink looks at a token come after everything fed before; after the end of input
        // none are taken (the second start tag comes after EndOfInput).
        if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_START_TAG) mrtTokenizer.Feed("!", 1);
    };
    tTokenizer.Feed("a<b>c<d>", 8);
    EXPECT_EQ("\"a\"", tSink._dsOut);
    tTokenizer.Resume();
    EXPECT_EQ("\"a\" <b>", tSink._dsOut);
    tTokenizer.Resume();
    EXPECT_EQ("\"a\" <b> \"c\"", tSink._dsOut);
    tTokenizer.EndOfInput();  // paused: nothing yet
    EXPECT_EQ("\"a\" <b> \"c\"", tSink._dsOut);
    while (tTokenizer.IsPaused()) tTokenizer.Resume();
    EXPECT_EQ("\"a\" <b> \"c\" <d> \"!\" EOF", tSink._dsOut);
    EXPECT_EQ(6, iCalls);
    EXPECT_TRUE(tReports.Saw("1 bytes fed after the end of input are ignored"));
}

TEST(KxwiHtmlTokenizerTest, SplitInvarianceOnAMixedPage) {
    KxwU16nHandlerGeneral tUtf8("utf-8");
    std::string dsPage =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">\r\n<html><head><title>T &amp; &copy T</title>\n"
        "<meta http-equiv=Content-Type content='text/html; charset=utf-8'>\n<style>a>b{}</style>\n"
        "<script language=javascript>\n<!--\nif (a < b) document.write(\"<p>\");\n//-->\n</script></head>\n"
        "<body onload=\"init()\"><!-- c --><a href=\"x.asp?a=1&b=2&copy=3\" id=a ID=b>&#x41;&#66&lt</a>\n"
        "<textarea name=t>&lt;p&gt;</textarea><p>a < b <!x> <?pi?> </ > </></p>\n<img src=x.gif/><br/>"
        "&notin;&notit;&#0;&#150;<plaintext></body>&amp;";
    std::string dsWhole = Tokens(dsPage, true, &tUtf8);
    EXPECT_EQ(dsWhole, TokensChunked(dsPage, {1}, true, &tUtf8));
    std::mt19937 tRandom(7);
    for (int iRound = 0; iRound < 200; ++iRound) {
        std::vector<size_t> tSizes;
        for (int i = 0; i < 32; ++i) tSizes.push_back(1 + tRandom() % 40);
        ASSERT_EQ(dsWhole, TokensChunked(dsPage, tSizes, true, &tUtf8)) << "round " << iRound;
    }
    EXPECT_NE(std::string::npos, dsWhole.find("<a href=\"x.asp?a=1&b=2&copy=3\" id=\"a\">@10"));
    EXPECT_NE(std::string::npos, dsWhole.find("\"\\xE2\\x88\\x89\\xC2\\xACit;\\xEF\\xBF\\xBD\\xE2\\x80\\x93\"@12"));
}

TEST(KxwiHtmlTokenizerTest, EntityTable) {
    size_t nCount = 0;
    for (; xfpszKxwiHtmlGetEntityName(nCount); ++nCount) {
        const char* pszName = xfpszKxwiHtmlGetEntityName(nCount);
        EXPECT_EQ(xfuKxwiHtmlGetEntityCodePoint(nCount), xfuKxwiHtmlLookupEntity(pszName, std::strlen(pszName)));
        EXPECT_LE(std::strlen(pszName), KXWI_HTML_ENTITY_MAX_NAME_LEN);
        if (nCount) {
            EXPECT_LT(std::strcmp(xfpszKxwiHtmlGetEntityName(nCount - 1), pszName), 0) << pszName;
        }
    }
    EXPECT_EQ(252u, nCount);
    EXPECT_EQ(KXWI_HTML_ENTITY_COUNT, nCount);
    struct Spot {
        const char* _pszName;
        unsigned _uCodePoint;
    };
    for (const Spot& rtSpot : {Spot{"nbsp", 0xA0}, Spot{"yuml", 0xFF}, Spot{"AElig", 0xC6}, Spot{"amp", 0x26},
                               Spot{"quot", 0x22}, Spot{"OElig", 0x152}, Spot{"euro", 0x20AC}, Spot{"thetasym", 0x3D1},
                               Spot{"hearts", 0x2665}, Spot{"diams", 0x2666}, Spot{"lceil", 0x2308},
                               Spot{"rlm", 0x200F}, Spot{"Prime", 0x2033}, Spot{"prime", 0x2032}})
        EXPECT_EQ(rtSpot._uCodePoint, xfuKxwiHtmlLookupEntity(rtSpot._pszName, std::strlen(rtSpot._pszName)))
            << rtSpot._pszName;
    EXPECT_EQ(0u, xfuKxwiHtmlLookupEntity("apos", 4));  // XML's, not HTML 4's
    EXPECT_EQ(0u, xfuKxwiHtmlLookupEntity("AMP", 3));
    EXPECT_EQ(0u, xfuKxwiHtmlLookupEntity("am", 2));
    EXPECT_EQ(0u, xfuKxwiHtmlLookupEntity("amp\0", 4));
    EXPECT_EQ(0u, xfuKxwiHtmlLookupEntity("", 0));

    unsigned uCodePoint = 0;
    EXPECT_EQ(5u, xfnKxwiHtmlMatchEntityPrefix("notin", 5, &uCodePoint));
    EXPECT_EQ(0x2209u, uCodePoint);
    EXPECT_EQ(3u, xfnKxwiHtmlMatchEntityPrefix("notit", 5, &uCodePoint));
    EXPECT_EQ(0xACu, uCodePoint);
    EXPECT_EQ(2u, xfnKxwiHtmlMatchEntityPrefix("ltx", 3, &uCodePoint));
    EXPECT_EQ(0u, xfnKxwiHtmlMatchEntityPrefix("zzz", 3, &uCodePoint));
    EXPECT_EQ(0u, uCodePoint);

    KxwRecordingSink tReports;
    EXPECT_EQ(0u, xfuKxwiHtmlLookupEntity(nullptr, 3));
    EXPECT_EQ(0u, xfnKxwiHtmlMatchEntityPrefix(nullptr, 3, &uCodePoint));
    EXPECT_EQ(2u, tReports.Count());
}

TEST(KxwiHtmlTokenizerTest, BadCallsAreReportedAndLargeInputsStayLinear) {
    KxwRecordingSink tReports;
    RenderSink tSink;
    KxwiHtmlTokenizer tTokenizer(&tSink);
    tTokenizer.Feed(nullptr, 3);
    tTokenizer.InsertInput(nullptr, 2);
    tTokenizer.SetRawTextMode(KXWI_HTML_TEXT_MODE_RAWTEXT, "averyveryveryveryveryverylongname", 33);
    EXPECT_EQ(KXWI_HTML_TEXT_MODE_DATA, tTokenizer.GetTextMode());
    tTokenizer.SetRawTextMode(KXWI_HTML_TEXT_MODE_RCDATA, nullptr, 0);
    tTokenizer.SetRawTextMode(static_cast<KXWI_HTML_TEXT_MODE_ENUM>(9), "x", 1);
    EXPECT_EQ(KXWI_HTML_TEXT_MODE_DATA, tTokenizer.GetTextMode());
    EXPECT_EQ(5u, tReports.Count());
    tTokenizer.Feed("<p>", 3);
    tTokenizer.EndOfInput();
    EXPECT_EQ("<p> EOF", tSink._dsOut);

    // Reset makes the tokenizer ready for a new page; inside the sink it is refused.
    tTokenizer.Reset();
    tSink._dsOut.clear();
    tSink._fHook = [](KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken&) { mrtTokenizer.Reset(); };
    tTokenizer.Feed("x\ny<q>", 6);
    tTokenizer.EndOfInput();
    EXPECT_EQ("\"x\\ny\" <q> EOF", tSink._dsOut);
    EXPECT_TRUE(tReports.Saw("KxwiHtmlTokenizer::Reset called while tokens are handed over"));

    // A null sink is reported once and the tokens are dropped.
    tReports.Clear();
    KxwiHtmlTokenizer tNoSink(nullptr);
    tNoSink.Feed("<p>", 3);
    tNoSink.EndOfInput();
    EXPECT_TRUE(tNoSink.IsEnded());
    EXPECT_EQ(1u, tReports.Count());

    // Thousands of attributes, every name repeated (the index path), and a 4 MB comment fed in small pieces.
    std::string dsTag = "<a";
    for (int i = 0; i < 3000; ++i) dsTag += " n" + std::to_string(i % 1500) + "=" + std::to_string(i);
    dsTag += ">";
    struct CountSink : KxwiHtmlTokenSink {
        void OnToken(KxwiHtmlTokenizer&, const KxwiHtmlToken& mrtToken) override {
            if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_START_TAG) {
                _nAttrs = mrtToken._nAttrCount;
                _dsLast.assign(mrtToken._ptAttrs[_nAttrs - 1]._psfValue, mrtToken._ptAttrs[_nAttrs - 1]._nValueLen);
            }
            if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_COMMENT) _nCommentLen = mrtToken._nTextLen;
        }
        size_t _nAttrs = 0, _nCommentLen = 0;
        std::string _dsLast;
    } tCount;
    KxwiHtmlTokenizer tBig(&tCount);
    tBig.Feed(dsTag.data(), dsTag.size());
    EXPECT_EQ(1500u, tCount._nAttrs);
    EXPECT_EQ("1499", tCount._dsLast);
    std::string dsComment = "<!--" + std::string(4 << 20, 'x') + "-->";
    for (size_t nPos = 0; nPos < dsComment.size(); nPos += 1000)
        tBig.Feed(dsComment.data() + nPos, std::min<size_t>(1000, dsComment.size() - nPos));
    EXPECT_EQ(static_cast<size_t>(4 << 20), tCount._nCommentLen);
}

TEST(KxwiHtmlTokenizerTest, ARunningScriptsWritesAreReadAtOnceUpToTheirEnd) {
    RenderSink tSink;
    KxwiHtmlTokenizer tTokenizer(&tSink);
    tSink._fHook = [](KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) {
        if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_END_TAG && mrtToken._nNameLen == 6) mrtTokenizer.Pause();
    };
    tTokenizer.Feed("a<script>s</script>b<p>", 23);
    ASSERT_TRUE(tTokenizer.IsPaused());
    tTokenizer.BeginScriptWrites();
    // Nothing is read before the script has written.
    tTokenizer.Resume();
    EXPECT_EQ("\"a\" <script> \"s\" </script>", tSink._dsOut);
    // A write is read to its end: the text is handed over, an unfinished tag waits for the next write.
    tTokenizer.InsertInput("<i>x<", 5);
    tTokenizer.Resume();
    EXPECT_EQ("\"a\" <script> \"s\" </script> <i> \"x\"", tSink._dsOut);
    tTokenizer.InsertInput("u>y", 3);
    tTokenizer.Resume();
    EXPECT_EQ("\"a\" <script> \"s\" </script> <i> \"x\" <u> \"y\"", tSink._dsOut);
    // A script in the written text writes in turn; its text comes before the rest of the outer write, and the outer
    // script's next write comes after both.
    tTokenizer.InsertInput("<script>t</script>z", 19);
    tTokenizer.Resume();
    ASSERT_TRUE(tTokenizer.IsPaused());
    tTokenizer.BeginScriptWrites();
    tTokenizer.InsertInput("<em>", 4);
    tTokenizer.Resume();
    tTokenizer.EndScriptWrites();
    tTokenizer.Pause();  // the outer script still runs
    tTokenizer.InsertInput("<q>", 3);
    tTokenizer.Resume();
    EXPECT_EQ("\"a\" <script> \"s\" </script> <i> \"x\" <u> \"y\" <script> \"t\" </script> <em> \"z\" <q>",
              tSink._dsOut);
    tTokenizer.EndScriptWrites();
    tTokenizer.EndOfInput();
    EXPECT_EQ(
        "\"a\" <script> \"s\" </script> <i> \"x\" <u> \"y\" <script> \"t\" </script> <em> \"z\" <q> \"b\" <p> EOF",
        tSink._dsOut);

    // After the end the input can be opened again (a script run at the end writes).
    KxwRecordingSink tReports;
    RenderSink tEnd;
    KxwiHtmlTokenizer tReopened(&tEnd);
    tReopened.Feed("<script>x", 9);
    tReopened.EndOfInput();
    EXPECT_TRUE(tReopened.IsEnded());
    tReopened.ReopenInput();
    EXPECT_FALSE(tReopened.IsEnded());
    EXPECT_EQ(KXWI_HTML_TEXT_MODE_DATA, tReopened.GetTextMode());
    tReopened.InsertInput("<b>w", 4);
    tReopened.EndOfInput();
    EXPECT_EQ("<script> \"x\" EOF <b> \"w\" EOF", tEnd._dsOut);
    tReopened.ReopenInput();
    tReopened.ReopenInput();  // not ended: reported
    tReopened.EndScriptWrites();
    EXPECT_EQ(2u, tReports.Count());
}
