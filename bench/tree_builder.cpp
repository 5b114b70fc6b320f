// Measures the page parser: a generated page of about 1 MB (tables, forms, lists, links, inline scripts, comments,
// character references, the usual mix of an old portal page) is tokenized alone, then built into a sink that does
// nothing, whole and in 1,460-byte pieces (one network packet each). Prints MB/s for each and the elements built.
//   build/bench/tree_builder [megabytes] [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "KxwiHtmlTokenizer.h"
#include "KxwiHtmlTreeBuilder.h"

namespace {

std::string GeneratePage(size_t mnBytes) {
    std::string dsPage =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html><head><title>Portal &amp; News"
        "</title>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\n"
        "<link rel=stylesheet type=\"text/css\" href=\"/css/site.css\">\n<script language=\"JavaScript\">\n"
        "function go(u) { if (u.length > 0 && u.indexOf('<') < 0) location.href = u; }\n</script>\n</head>\n"
        "<body bgcolor=\"#FFFFFF\" onload=\"init()\" leftmargin=0 topmargin=0>\n";
    unsigned uRow = 0;
    while (dsPage.size() < mnBytes) {
        std::string dsNumber = std::to_string(uRow++);
        dsPage += "<table width=\"100%\" border=0 cellspacing=0 cellpadding=2 class=box>\n<form name=f" + dsNumber +
                  " action=\"/cgi-bin/search.pl\" method=post>\n<tr><td class=head colspan=3><b>Section " + dsNumber +
                  "</b> &nbsp;&raquo; <a href=\"/s/" + dsNumber + "?a=1&amp;b=2\">more</a></td></tr>\n";
        for (int i = 0; i < 6; ++i) {
            std::string dsItem = dsNumber + "_" + std::to_string(i);
            dsPage += "<tr><td width=20><img src=\"/i/dot.gif\" width=8 height=8 alt=\"\"></td><td><a href=\"/a/" +
                      dsItem + ".html\" onmouseover=\"window.status='Item " + dsItem +
                      "';return true\">Headline number " + dsItem +
                      " &ndash; caf&eacute; prices rise</a><br><font size=1 color=#666666>Posted by <i>editor</i>"
                      " on 12/03/2001</font><td align=right>&#8364; 1" +
                      std::to_string(i) + ".50\n";
        }
        dsPage +=
            "<tr><td colspan=3><input type=text name=q size=20 value=\"\"><select name=c><option value=1>"
            "All<option value=2 selected>News<option value=3>Sports</select><input type=submit value=Go>"
            "</td></tr>\n</form></table>\n<!-- box " +
            dsNumber +
            " -->\n<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
            "incididunt ut labore et dolore magna aliqua.<p><ul><li>One<li>Two<li>Three</ul>\n"
            "<script>document.write('<div class=\"ad\">');</script>\n<div class=clear></div>\n";
    }
    dsPage += "</body></html>\n";
    return dsPage;
}

// Builds nothing: every element is the same dummy handle.
class NullSink : public KxwiHtmlTreeSink {
public:
    void* CreateElement(const char*, size_t, const KxwiHtmlAttr*, size_t mnCount, bool, int) override {
        ++_nElements;
        _nAttrs += mnCount;
        return &_cDummy;
    }
    bool AppendChild(void*, void*) override { return true; }
    bool InsertBefore(void*, void*, void*) override { return true; }
    bool AddText(void*, void*, const char*, size_t mnLen) override {
        _nTextBytes += mnLen;
        return true;
    }
    void AddComment(void*, const char*, size_t) override {}
    size_t _nElements = 0, _nAttrs = 0, _nTextBytes = 0;

private:
    char _cDummy = 0;
};

class NullTokenSink : public KxwiHtmlTokenSink {
public:
    void OnToken(KxwiHtmlTokenizer& mrtTokenizer, const KxwiHtmlToken& mrtToken) override {
        ++_nTokens;
        if (mrtToken._eType == KXWI_HTML_TOKEN_TYPE_START_TAG)
            mrtTokenizer.SetRawTextMode(mrtToken._psfName, mrtToken._nNameLen);
    }
    size_t _nTokens = 0;
};

double Seconds(std::chrono::steady_clock::time_point mtStart) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - mtStart).count();
}

}  // namespace

int main(int argc, char** argv) {
    size_t nMegabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1;
    int iRounds = argc > 2 ? std::atoi(argv[2]) : 20;
    if (nMegabytes == 0) nMegabytes = 1;
    if (iRounds <= 0) iRounds = 1;
    const std::string dsPage = GeneratePage(nMegabytes << 20);
    const double dMegabytes = static_cast<double>(dsPage.size()) / (1 << 20);

    double dTokenize = 1e9, dWhole = 1e9, dPackets = 1e9;
    size_t nTokens = 0, nElements = 0, nTextBytes = 0;
    for (int iRound = 0; iRound < iRounds; ++iRound) {
        auto tStart = std::chrono::steady_clock::now();
        NullTokenSink tTokens;
        KxwiHtmlTokenizer tTokenizer(&tTokens);
        tTokenizer.Feed(dsPage.data(), dsPage.size());
        tTokenizer.EndOfInput();
        dTokenize = std::min(dTokenize, Seconds(tStart));
        nTokens = tTokens._nTokens;

        tStart = std::chrono::steady_clock::now();
        NullSink tSink;
        KxwiHtmlTreeBuilder tBuilder(&tSink);
        tBuilder.Feed(dsPage.data(), dsPage.size());
        tBuilder.EndOfInput();
        dWhole = std::min(dWhole, Seconds(tStart));
        nElements = tSink._nElements;
        nTextBytes = tSink._nTextBytes;

        tStart = std::chrono::steady_clock::now();
        NullSink tPacketSink;
        KxwiHtmlTreeBuilder tPacketBuilder(&tPacketSink);
        for (size_t nPos = 0; nPos < dsPage.size(); nPos += 1460)
            tPacketBuilder.Feed(dsPage.data() + nPos, std::min<size_t>(1460, dsPage.size() - nPos));
        tPacketBuilder.EndOfInput();
        dPackets = std::min(dPackets, Seconds(tStart));
    }
    std::printf(
        "page %.2f MB, %zu tokens, %zu elements, %zu text bytes (best of %d): tokenize %.0f MB/s, build %.0f MB/s, "
        "build in 1460-byte pieces %.0f MB/s (%.2f ms per MB)\n",
        dMegabytes, nTokens, nElements, nTextBytes, iRounds, dMegabytes / dTokenize, dMegabytes / dWhole,
        dMegabytes / dPackets, dWhole * 1000 / dMegabytes);
    return 0;
}
