// Measures building pages through the exported building interface, as the engine's parser does, and what the
// elements cost: a page of many elements (divs with ids, links, forms with inputs, images, text), then scripts
// that look elements up and change the tree. Prints one line of figures.
//   build/bench/html_build [elements per page, default 20000] [pages, default 5]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kxw/KxwDomHtmlBuild.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwJswProcess.h"

namespace {

using Clock = std::chrono::steady_clock;

class Notifier : public KxwJswScriptEvaluationNotifier {
public:
    void OnScriptError(const char* mpszMessage, const char*, unsigned) override {
        std::fprintf(stderr, "script error: %s\n", mpszMessage);
    }
};

double Ms(Clock::duration mtDuration) {
    return std::chrono::duration<double, std::milli>(mtDuration).count();
}

KxwDomNodeBase* Element(KxwDomHtmlDocument* mptDocument, KxwDomNodeBase* mptParent, const char* mpszTag,
                        const char* mpszAttr, const std::string& mdsValue) {
    KxwDomNodeBase* ptElement = xfptKxwDomHtmlBuildAllocElement(mptDocument, mpszTag, std::strlen(mpszTag), false);
    if (mpszAttr)
        xfbKxwDomHtmlBuildSetAttribute(ptElement, mpszAttr, std::strlen(mpszAttr), mdsValue.data(), mdsValue.size(),
                                       true);
    xfbKxwDomHtmlBuildAppendChild(mptParent, ptElement);
    return ptElement;
}

// A page of about miElements elements, built in document order as a parser builds it.
void BuildPage(KxwDomHtmlDocument* mptDocument, int miElements) {
    xfvKxwDomHtmlBuildNotifyHtmlParsing(mptDocument, true);
    KxwDomNodeBase* ptHtml = Element(mptDocument, xfptKxwDomHtmlBuildDocumentAsNode(mptDocument), "HTML", nullptr, "");
    Element(mptDocument, ptHtml, "HEAD", nullptr, "");
    KxwDomNodeBase* ptBody = Element(mptDocument, ptHtml, "BODY", nullptr, "");
    for (int i = 0; i < miElements / 10; ++i) {
        std::string dsNumber = std::to_string(i);
        KxwDomNodeBase* ptDiv = Element(mptDocument, ptBody, "DIV", "id", "d" + dsNumber);
        xfbKxwDomHtmlBuildAddText(ptDiv, "some text ", 10);
        KxwDomNodeBase* ptLink = Element(mptDocument, ptDiv, "A", "href", "page" + dsNumber + ".html");
        xfbKxwDomHtmlBuildAddText(ptLink, "link", 4);
        Element(mptDocument, ptDiv, "IMG", "src", "img" + dsNumber + ".gif");
        KxwDomNodeBase* ptForm = Element(mptDocument, ptDiv, "FORM", "name", "f" + dsNumber);
        Element(mptDocument, ptForm, "INPUT", "name", "q");
        Element(mptDocument, ptForm, "INPUT", "type", "submit");
        KxwDomNodeBase* ptSpan = Element(mptDocument, ptDiv, "SPAN", "class", "c");
        Element(mptDocument, ptSpan, "B", nullptr, "");
        Element(mptDocument, ptSpan, "BR", nullptr, "");
    }
    xfvKxwDomHtmlBuildNotifyHtmlParsing(mptDocument, false);
}

}  // namespace

int main(int argc, char** argv) {
    int iElements = argc > 1 ? std::atoi(argv[1]) : 20000;
    int iPages = argc > 2 ? std::atoi(argv[2]) : 5;
    if (iElements < 10 || iPages < 1 || !KxwJswProcess::Init()) return 1;
    KxwJswEngine* ptEngine = KxwJswEngine::Create();
    KxwHswApi tApi(ptEngine);
    double dfBuildMs = 0, dfLookupMs = 0, dfChangeMs = 0, dfDeleteMs = 0;
    for (int iPage = 0; iPage < iPages; ++iPage) {
        Clock::time_point tStart = Clock::now();
        KxwDomHtmlDocument* ptDocument = xfptKxwDomHtmlBuildNewDocument("http://bench.example.com/", 25, nullptr);
        BuildPage(ptDocument, iElements);
        Clock::time_point tBuilt = Clock::now();
        Notifier tNotifier;
        std::string dsLookups =
            "var n = 0; for (var i = 0; i < 1000; ++i) { n += document.getElementById('d' + (i * 7 % " +
            std::to_string(iElements / 10) + ")) ? 1 : 0; n += document.forms['f' + i] ? 1 : 0; } n";
        tApi.EvaluateUtf8(tNotifier, nullptr, dsLookups.data(), dsLookups.size(), "lookups.js", 1);
        Clock::time_point tLooked = Clock::now();
        const char kszChanges[] =
            "var b = document.body; var m = Math.min(200, b.children.length); for (var i = 0; i < m; ++i) { var d = "
            "b.children[i]; d.id = 'x' + i; "
            "var f = document.createElement('form'); f.name = 'new' + i; d.appendChild(f); } "
            "for (var i = 0; i < m; ++i) b.removeChild(b.lastChild); document.forms.length";
        tApi.EvaluateUtf8(tNotifier, nullptr, kszChanges, sizeof kszChanges - 1, "changes.js", 1);
        Clock::time_point tChanged = Clock::now();
        xfvKxwDomHtmlBuildDeleteDocument(ptDocument);
        ptEngine->CollectGarbage();
        Clock::time_point tDeleted = Clock::now();
        dfBuildMs += Ms(tBuilt - tStart);
        dfLookupMs += Ms(tLooked - tBuilt);
        dfChangeMs += Ms(tChanged - tLooked);
        dfDeleteMs += Ms(tDeleted - tChanged);
    }
    std::printf(
        "html_build: %d elements/page, %d pages: build %.3f us/element, 2000 lookups %.2f ms/page, "
        "200 changes and 200 removals %.2f ms/page, delete %.3f us/element\n",
        iElements, iPages, dfBuildMs * 1000.0 / iElements / iPages, dfLookupMs / iPages, dfChangeMs / iPages,
        dfDeleteMs * 1000.0 / iElements / iPages);
    delete ptEngine;
    KxwJswProcess::ShutdownForGood();
    return 0;
}
