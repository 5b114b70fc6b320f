// The navigator, screen and external objects of a top window as page scripts see them: the emulated browser's
// identity and the screen from the virtual user's settings, one of each per top window shared by its frames, and
// nothing that a script can change.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlTopWindow.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwDomCommand.h"
#include "kxw/KxwDomHtmlBuild.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

namespace {

class KxwNavigatorTest : public KxwBrowsingFixture {
protected:
    void OnNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void*, void*) override {
        _tNotified.push_back(static_cast<int>(meType));
    }

    // A top window showing a page (its settings must be made before: the navigator keeps what it first reads).
    KxwDomHtmlTopWindow* TopWithPage() {
        KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
        EXPECT_NE(nullptr, ptTop);
        if (ptTop) FinishPage(StartPage(ptTop, "http://h/page.html"));
        return ptTop;
    }

    KxwiRunTimeSettings& Settings() { return _tVUser.GetRTS(); }

    std::vector<int> _tNotified;
};

// Internet Explorer, the default: its identity, the default languages and screen, no Java, no plugins.
TEST_F(KxwNavigatorTest, InternetExplorerByDefault) {
    KxwDomHtmlTopWindow* ptTop = TopWithPage();
    ASSERT_NE(nullptr, ptTop);
    EXPECT_EQ(KxwiRunTimeSettings::kIeBrowserIdString, Eval(ptTop, "navigator.userAgent"));
    EXPECT_EQ("Microsoft Internet Explorer", Eval(ptTop, "navigator.appName"));
    EXPECT_EQ("4.0 (compatible; MSIE 6.0; Windows NT 5.1)", Eval(ptTop, "navigator.appVersion"))
        << "the user agent without its first 8 characters";
    EXPECT_EQ("Mozilla|0|Win32|true", Eval(ptTop,
                                           "[navigator.appCodeName, navigator.appMinorVersion, navigator.platform, "
                                           "navigator.cookieEnabled].join('|')"));
    EXPECT_EQ("en-us|en-us|en-us",
              Eval(ptTop, "[navigator.browserLanguage, navigator.systemLanguage, navigator.userLanguage].join('|')"));
    EXPECT_EQ("1024|768|1024|768|0|32|0|0",
              Eval(ptTop,
                   "[screen.width, screen.height, screen.availWidth, screen.availHeight, screen.bufferDepth, "
                   "screen.colorDepth, screen.fontSmoothingEnabled, screen.updateInterval].join('|')"));
    EXPECT_EQ("false", Eval(ptTop, "String(navigator.javaEnabled())"));
    EXPECT_EQ("true", Eval(ptTop, "String(window.clientInformation === navigator)"));
    // Each read gives a new empty collection.
    EXPECT_EQ("0|0|false", Eval(ptTop,
                                "navigator.plugins.length + '|' + navigator.mimeTypes.length + '|' + "
                                "(navigator.plugins === navigator.plugins)"));
    // They belong to the script: collected with their engine objects.
    EXPECT_EQ("0", Eval(ptTop, "for (var i = 0; i < 100; ++i) navigator.mimeTypes; navigator.plugins.length"));
    _ptEngine->CollectGarbage();
    EXPECT_EQ("0", Eval(ptTop, "navigator.plugins.length"));
}

// Netscape with configured languages and screen: the identity follows the browser type, an empty language is
// "en-us", the texts are kept from their first read, and javaEnabled() follows the setting at each call.
TEST_F(KxwNavigatorTest, NetscapeWithConfiguredValues) {
    ASSERT_TRUE(Settings().SetBrowserMajorType(KXWI_BROWSER_MAJOR_TYPE_NS));
    ASSERT_TRUE(Settings().SetBrowserLanguage("de-de"));
    ASSERT_TRUE(Settings().SetSystemLanguage(""));
    ASSERT_TRUE(Settings().SetUserLanguage("fr"));
    ASSERT_TRUE(Settings().SetScreenWidth(1920));
    ASSERT_TRUE(Settings().SetScreenHeight(1080));
    ASSERT_TRUE(Settings().SetScreenAvailWidth(1900));
    ASSERT_TRUE(Settings().SetScreenAvailHeight(1040));
    ASSERT_TRUE(Settings().SetScreenBufferDepth(16));
    ASSERT_TRUE(Settings().SetScreenColorDepth(24));
    Settings().SetScreenFontSmoothingEnabled(true);
    ASSERT_TRUE(Settings().SetScreenUpdateInterval(5));
    Settings().SetJavaAppletsEnabled(true);
    KxwDomHtmlTopWindow* ptTop = TopWithPage();
    ASSERT_NE(nullptr, ptTop);

    const std::string dsNs = KxwiRunTimeSettings::kNsBrowserIdString;
    EXPECT_EQ(dsNs, Eval(ptTop, "navigator.userAgent"));
    EXPECT_EQ("Netscape", Eval(ptTop, "navigator.appName"));
    EXPECT_EQ(dsNs.substr(8), Eval(ptTop, "navigator.appVersion"));
    EXPECT_EQ("de-de|en-us|fr",
              Eval(ptTop, "[navigator.browserLanguage, navigator.systemLanguage, navigator.userLanguage].join('|')"));
    EXPECT_EQ("1920|1080|1900|1040|16|24|1|5",
              Eval(ptTop,
                   "[screen.width, screen.height, screen.availWidth, screen.availHeight, screen.bufferDepth, "
                   "screen.colorDepth, screen.fontSmoothingEnabled, screen.updateInterval].join('|')"));
    EXPECT_EQ("true", Eval(ptTop, "String(navigator.javaEnabled())"));

    Settings().SetJavaAppletsEnabled(false);
    ASSERT_TRUE(Settings().SetBrowserIdString("Mozilla/9.9 (changed later)"));
    ASSERT_TRUE(Settings().SetUserLanguage("it"));
    EXPECT_EQ("false", Eval(ptTop, "String(navigator.javaEnabled())"));
    EXPECT_EQ(dsNs + "|fr", Eval(ptTop, "navigator.userAgent + '|' + navigator.userLanguage"))
        << "the texts are kept from their first read";
    EXPECT_EQ("9.9 (changed later)",
              Eval(_ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0), "navigator.appVersion"))
        << "another top window has a navigator of its own";
}

// A frame's navigator, screen and external are its top window's.
TEST_F(KxwNavigatorTest, FramesShareTheirTopWindowsObjects) {
    KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    ASSERT_NE(nullptr, ptTop);
    KxwDomCommand* ptCommand = StartPage(ptTop, "http://h/top.html");
    KxwDomHtmlDocument* ptDocument = ptTop->GetDocument();
    KxwDomNodeBase* ptHtml = xfptKxwDomHtmlBuildAllocElement(ptDocument, "HTML", 4, false);
    KxwDomNodeBase* ptFrameset = xfptKxwDomHtmlBuildAllocElement(ptDocument, "FRAMESET", 8, false);
    KxwDomNodeBase* ptFrame = xfptKxwDomHtmlBuildAllocElement(ptDocument, "FRAME", 5, false);
    ASSERT_TRUE(xfbKxwDomHtmlBuildSetAttribute(ptFrame, "src", 3, "a.html", 6, true));
    ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptDocument, ptHtml));
    ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptHtml, ptFrameset));
    ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptFrameset, ptFrame));
    FinishPage(ptCommand);
    KxwDomHtmlWindow* ptFrameWindow = xfptKxwDomFrameElementGetWindow(ptFrame);
    ASSERT_NE(nullptr, ptFrameWindow);
    FinishPage(StartPage(ptFrameWindow, "http://h/a.html"));

    EXPECT_EQ("true|true|true|true", Eval(ptFrameWindow,
                                          "[navigator === top.navigator, clientInformation === top.navigator, "
                                          "screen === top.screen, external === top.external].join('|')"));
    EXPECT_EQ("true", Eval(ptTop, "String(frames[0].navigator === navigator)"));
}

// The external object's methods return at once and change nothing; assignments to read-only properties leave
// them as they were.
TEST_F(KxwNavigatorTest, ExternalDoesNothingAndReadOnlyPropertiesStay) {
    KxwDomHtmlTopWindow* ptTop = TopWithPage();
    ASSERT_NE(nullptr, ptTop);
    _tNotified.clear();
    EXPECT_EQ("undefined|undefined|undefined",
              Eval(ptTop,
                   "[typeof external.AddFavorite('http://h/', 'h'), typeof external.ShowBrowserUI('x', 0), "
                   "typeof external.IsSubscribed('http://h/')].join('|')"));
    EXPECT_TRUE(_tNotified.empty()) << "nothing was asked of the engine";
    EXPECT_EQ("http://h/page.html", Eval(ptTop, "location.href"));

    EXPECT_EQ("Microsoft Internet Explorer|1024|true|object",
              Eval(ptTop,
                   "navigator.appName = 'x'; navigator.userAgent = 'y'; screen.width = 1; "
                   "navigator.cookieEnabled = false; window.navigator = null; window.screen = null; "
                   "[navigator.appName, screen.width, navigator.cookieEnabled, typeof screen].join('|')"));
    EXPECT_EQ(KxwiRunTimeSettings::kIeBrowserIdString, Eval(ptTop, "navigator.userAgent"));
    EXPECT_EQ("true", Eval(ptTop, "String(navigator === clientInformation)"));
}

}  // namespace
