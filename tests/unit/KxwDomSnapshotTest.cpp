// The snapshots' names and texts that pages control, and the manager without a document handler.
#include <gtest/gtest.h>

#include <string>

#include "KxwBrowsingFixture.h"
#include "KxwDomDocumentSnapshotHandler.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomSnapshotMgr.h"
#include "KxwDomSnapshotResource.h"
#include "KxwUtilFileExt.h"

namespace {

std::string NameOf(const std::string& mrdsUrl) {
    return xfdsKxwSnapshotResourceNameOfUrl(mrdsUrl.data(), mrdsUrl.size());
}

std::string InfValue(const std::string& mrdsText, bool mbUnEscape) {
    return xfdsKxwSnapshotInfValue(mrdsText.data(), mrdsText.size(), mbUnEscape);
}

}  // namespace

TEST(KxwDomSnapshotNames, AResourceNameIsItsLastSegmentReducedAndNeverAPath) {
    EXPECT_EQ(NameOf("http://h/img/logo.gif"), "logo");
    EXPECT_EQ(NameOf("http://h/img/logo.min.png?v=2#top"), "logomin");
    // Escaped separators separate too; what is left is one name of the folder.
    EXPECT_EQ(NameOf("http://h/a/..%2F..%2F..%2Fetc%2Fpasswd"), "passwd");
    EXPECT_EQ(NameOf("http://h/a/..%5C..%5Cwin.ini"), "win");
    EXPECT_EQ(NameOf("http://h/a/..%2F"), "res");
    EXPECT_EQ(NameOf("http://h/a/%2E%2E"), "res");
    EXPECT_EQ(NameOf("http://h/"), "res");
    EXPECT_EQ(NameOf(""), "res");
    EXPECT_EQ(NameOf("http://h/x%0D%0Ay%00z.gif"), "xyz");
    EXPECT_EQ(NameOf("http://h/sp%20ace+and;semi:colon.gif"), "spaceandsemicolon");
    EXPECT_EQ(NameOf("http://h/caf%C3%A9_2-b.gif"), "caf_2-b");
    std::string dsLong(300, 'a');
    EXPECT_EQ(NameOf("http://h/" + dsLong + ".gif"), std::string(64, 'a'));
    EXPECT_EQ(xfdsKxwSnapshotResourceNameOfUrl(nullptr, 5), "res");
}

TEST(KxwDomSnapshotNames, AnIndexValueKeepsWhatWouldBreakItsLineEscaped) {
    // A URL is shown un-escaped, except what would end the line or read as an escape again.
    EXPECT_EQ(InfValue("http://h/a%20b?%0D%0ATotal=99", true), "http://h/a b?%0D%0ATotal=99");
    EXPECT_EQ(InfValue("http://h/%2541", true), "http://h/%2541");
    EXPECT_EQ(InfValue("http://h/100%", true), "http://h/100%");
    EXPECT_EQ(InfValue(std::string("a\r\nb\0c\x7f", 7), false), "a%0D%0Ab%00c%7F");
    // Without un-escaping, escapes stay as they are.
    EXPECT_EQ(InfValue("x%0Ay", false), "x%0Ay");
    EXPECT_EQ(InfValue("", true), "");
}

TEST(KxwDomSnapshotNames, ExtensionsComeFromTheContentType) {
    EXPECT_STREQ(xfpszKxwUtilGetFileExtByContentType("text/html; charset=utf-8"), "html");
    EXPECT_STREQ(xfpszKxwUtilGetFileExtByContentType("IMAGE/PNG"), "png");
    EXPECT_STREQ(xfpszKxwUtilGetFileExtByContentType("image/jpeg"), "jpg");
    EXPECT_STREQ(xfpszKxwUtilGetFileExtByContentType("text/plain"), "txt");
    EXPECT_STREQ(xfpszKxwUtilGetFileExtByContentType("application/x-unknown"), "UNK");
    EXPECT_STREQ(xfpszKxwUtilGetFileExtByContentType(""), "UNK");
    EXPECT_STREQ(xfpszKxwUtilGetFileExtByContentType(nullptr), "UNK");
}

TEST(KxwDomSnapshotNames, ThePolicyComesFirstAfterADoctypeOrAByteOrderMark) {
    const std::string dsPolicy =
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src file: data:; style-src "
        "file: 'unsafe-inline'\">";
    EXPECT_EQ(KxwDomDocumentSnapshotHandler::WithNoNetworkPolicy("<html></html>"), dsPolicy + "<html></html>");
    EXPECT_EQ(KxwDomDocumentSnapshotHandler::WithNoNetworkPolicy("\n <!doctype html>\n<p>"),
              "\n <!doctype html>" + dsPolicy + "\n<p>");
    EXPECT_EQ(KxwDomDocumentSnapshotHandler::WithNoNetworkPolicy("\xEF\xBB\xBFtext"),
              "\xEF\xBB\xBF" + dsPolicy + "text");
    EXPECT_EQ(KxwDomDocumentSnapshotHandler::WithNoNetworkPolicy(""), dsPolicy);
    // A doctype that never ends is no doctype: the policy goes first.
    EXPECT_EQ(KxwDomDocumentSnapshotHandler::WithNoNetworkPolicy("<!DOCTYPE html"), dsPolicy + "<!DOCTYPE html");
}

class KxwDomSnapshotMgrTest : public KxwBrowsingFixture {};

TEST_F(KxwDomSnapshotMgrTest, ABodyWithoutADocumentHandlerIsDroppedAndTheRedirectsOwnBodyGoes) {
    KxwDomHtmlWindow* ptWindow = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, "", 0);
    ASSERT_NE(nullptr, ptWindow);
    KxwDomSnapshotMgr* ptSnapshots = _ptObjMgr->GetSnapshot();
    {
        // No virtual user on the thread: no handler can be made, and nothing is kept anywhere.
        KxwVUserVarsThreadBinding tNone(nullptr);
        ptSnapshots->Set(ptWindow, nullptr, "lost", 4, "text/html", "", 0, false, true, nullptr);
    }
    KxwDomDocumentSnapshotHandler* ptHandler = ptWindow->GetDocument()->GetSnapshotHandler();
    ASSERT_NE(nullptr, ptHandler);
    EXPECT_EQ(ptHandler->GetBody(), "");
    ptSnapshots->Set(ptWindow, nullptr, "moved", 5, "text/html", "", 0, false, true, nullptr);
    ptSnapshots->Set(ptWindow, nullptr, "page", 4, "text/plain", "", 0, true, true, nullptr);
    ptSnapshots->Set(ptWindow, nullptr, " more", 5, "text/plain", "", 0, true, false, nullptr);
    EXPECT_EQ(ptHandler->GetBody(), "page more");
    EXPECT_EQ(ptHandler->GetContentType(), "text/html");
    EXPECT_EQ(ptSnapshots->GetTopWindow(), ptWindow);
    // Neither a window nor an object: nothing happens.
    ptSnapshots->Set(nullptr, nullptr, "x", 1, "text/html", "", 0, false, true, nullptr);
    EXPECT_EQ(ptHandler->GetBody(), "page more");
    // Without a result folder nothing is written and no page is named.
    ptSnapshots->MarkSnapshotNonErrorActiveForStep(true);
    _ptObjMgr->CreateSnapshotsIfNeeded(ptWindow);
    EXPECT_EQ(_ptObjMgr->GetLastSnapshotPagePath(), "");
}
