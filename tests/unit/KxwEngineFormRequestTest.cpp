// The request the engine makes of a submitted form: the URL of a GET, the body and type of a POST, and the actions
// it does not load.
#include <gtest/gtest.h>

#include "KxwEngineFormRequest.h"

namespace {

KxwEngineFormRequest Build(const std::string& mdsAction, bool mbPost, const std::string& mdsBody,
                           const std::string& mdsContentType = std::string()) {
    KxwEngineFormSubmission tSubmission;
    tSubmission._dsAction = mdsAction;
    tSubmission._bPost = mbPost;
    tSubmission._dsBody = mdsBody;
    tSubmission._dsContentType = mdsContentType;
    return xftKxwEngineBuildFormRequest(tSubmission);
}

}  // namespace

TEST(KxwEngineFormRequest, AGetSendsTheBodyAsTheQueryInsteadOfTheActionsOwn) {
    const char* const kapszCases[][3] = {
        {"http://h/s", "q=a+b", "http://h/s?q=a+b"},
        {"http://h/s?old=1&x=2", "q=1", "http://h/s?q=1"},
        {"http://h/s#part", "q=1", "http://h/s?q=1"},
        {"http://h/s?old=1#part", "q=1", "http://h/s?q=1"},
        {"http://h/s#frag?not=query", "q=1", "http://h/s?q=1"},
        // An empty form still sends the "?".
        {"http://h/s?old=1", "", "http://h/s?"},
        {"HTTPS://h/s", "a=1", "HTTPS://h/s?a=1"},
        {"file:///tmp/form.html", "a=1", "file:///tmp/form.html?a=1"},
    };
    for (const auto& rapszCase : kapszCases) {
        KxwEngineFormRequest tRequest = Build(rapszCase[0], false, rapszCase[1]);
        EXPECT_EQ(KXW_ENGINE_FORM_REQUEST_LOAD, tRequest._eKind) << rapszCase[0];
        EXPECT_EQ(rapszCase[2], tRequest._dsUrl) << rapszCase[0];
        EXPECT_FALSE(tRequest._bPost);
        EXPECT_EQ("", tRequest._dsBody);
    }
}

TEST(KxwEngineFormRequest, APostSendsTheBodyWithItsTypeToTheActionAsItIs) {
    KxwEngineFormRequest tRequest =
        Build("http://h/upload?session=7#top", true, "--b\r\n...--b--\r\n", "multipart/form-data; boundary=b");
    EXPECT_EQ(KXW_ENGINE_FORM_REQUEST_LOAD, tRequest._eKind);
    EXPECT_TRUE(tRequest._bPost);
    EXPECT_EQ("http://h/upload?session=7#top", tRequest._dsUrl);
    EXPECT_EQ("--b\r\n...--b--\r\n", tRequest._dsBody);
    EXPECT_EQ("multipart/form-data; boundary=b", tRequest._dsContentType);
    // A form that names no type is urlencoded; an empty POST is still a POST.
    tRequest = Build("http://h/p", true, "");
    EXPECT_TRUE(tRequest._bPost);
    EXPECT_EQ("", tRequest._dsBody);
    EXPECT_EQ("application/x-www-form-urlencoded", tRequest._dsContentType);
}

TEST(KxwEngineFormRequest, JavaScriptActionsRunAndOtherSchemesAreNotLoaded) {
    for (bool bPost : {false, true}) {
        KxwEngineFormRequest tRequest = Build("JavaScript:go('?')#x", bPost, "a=1");
        EXPECT_EQ(KXW_ENGINE_FORM_REQUEST_JAVASCRIPT, tRequest._eKind);
        EXPECT_EQ("JavaScript:go('?')#x", tRequest._dsUrl) << "the code is left as it is";
        EXPECT_EQ("", tRequest._dsBody);
    }
    for (const char* pszAction : {"mailto:someone@example.com", "data:text/html,x", "ftp://h/f", "about:blank", ""}) {
        KxwEngineFormRequest tRequest = Build(pszAction, false, "a=1");
        EXPECT_EQ(KXW_ENGINE_FORM_REQUEST_UNSUPPORTED, tRequest._eKind) << pszAction;
        EXPECT_EQ(pszAction, tRequest._dsUrl);
    }
}
