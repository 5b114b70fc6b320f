// The user actions of test steps on forms (kxw/KxwDomForms.h) and the submitted form as the engine reads it, with
// the test standing in for the engine: it hears the form-submitted notification and may replace the page while it
// does, as an engine running a javascript: action does.
#include <gtest/gtest.h>

#include <string>

#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomTestClasses.h"
#include "KxwRecordingSink.h"
#include "kxw/KxwDomForms.h"

namespace {

// A page with a form f: a text input t (maxLength 5), a password p, a file input up, a check box c, two radio
// buttons r, a disabled text d, a read-only text ro and a submit button go; every event of t is logged.
const char kszBuildPage[] =
    "var log = []; var f = document.createElement('FORM'); f.id = 'f'; f.action = 'sent.cgi'; f.method = 'post';"
    "document.body.appendChild(f);"
    "function add(type, name, id) { var i = document.createElement('INPUT'); i.type = type; i.name = name;"
    "  i.id = id || name; f.appendChild(i); return i; }"
    "var t = add('text', 't'); t.maxLength = '5';"
    "['focusin', 'focus', 'change', 'keyup', 'blur'].forEach(function (e) {"
    "  t['on' + e] = function () { log.push(e + ':' + t.value + (e == 'keyup' ? ':' + event.keyCode : '')); }; });"
    "add('password', 'p'); add('file', 'up'); var c = add('checkbox', 'c');"
    "c.onclick = function () { log.push('click:' + c.checked); };"
    "add('radio', 'r', 'r1'); add('radio', 'r', 'r2'); add('text', 'd').disabled = true;"
    "add('text', 'ro').readOnly = true; add('submit', 'go').value = 'Go'; 'built'";

class KxwDomFormsUserTest : public KxwBrowsingFixture {
protected:
    void SetUp() override {
        KxwBrowsingFixture::SetUp();
        _ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
        KxwDomCommand* ptCommand = StartPage(_ptTop, "http://h/form.html");
        KxwDomHtmlDocument* ptDocument = _ptTop->GetDocument();
        KxwDomNodeBase* ptHtml = Element(ptDocument, "HTML");
        ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptDocument, ptHtml));
        ASSERT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptHtml, Element(ptDocument, "BODY")));
        FinishPage(ptCommand);
        ASSERT_EQ("built", Eval(_ptTop, kszBuildPage));
    }
    void OnNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void*) override {
        if (meType != KXW_DOM_COMMON_NOTIFICATION_ENUM_FORM_SUBMIT) return;
        auto* ptForm = static_cast<KxwDomNodeBase*>(mpvSubject);
        ++_iSubmits;
        _dsSubmitted = (xfbKxwDomFormIsPost(ptForm) ? "POST " : "GET ") + xfdsKxwDomFormGetAction(ptForm) + " [" +
                       xfdsKxwDomFormGetContentType(ptForm) + "] " + xfdsKxwDomFormGetBody(ptForm) +
                       (xfbKxwDomFormIsJavaScriptSubmit(ptForm) ? " (script)" : "");
        // The page goes while the form is handed on: nothing of the form may be touched afterwards.
        if (_bReplaceOnSubmit) LoadPage(_ptTop, "http://h/next.html");
    }
    KxwDomNodeBase* ById(const char16_t* mpwszId) {
        std::u16string dsId(mpwszId);
        return _ptTop->GetDocument()->GetElementById(dsId.data(), static_cast<unsigned>(dsId.size()));
    }

    KxwDomHtmlTopWindow* _ptTop = nullptr;
    int _iSubmits = 0;
    std::string _dsSubmitted;
    bool _bReplaceOnSubmit = false;
};

// Typing into a text input: FOCUSIN, FOCUS, the value, CHANGE, BLUR; with the setting, KEYUP after CHANGE with the
// last byte of the value as key code, and none for an empty value. A value longer than maxLength is kept whole,
// with a message.
TEST_F(KxwDomFormsUserTest, TypingFiresTheEventsOfATypingUser) {
    KxwRecordingSink tSink;
    std::string dsReason;
    ASSERT_TRUE(xfbKxwDomUserSetText(ById(u"t"), "ab", &dsReason)) << dsReason;
    EXPECT_EQ("focusin:|focus:|change:ab|blur:ab", Eval(_ptTop, "log.join('|')"));
    _tVUser.GetRTS().SetFireKeyUpAfterTextChange(true);
    ASSERT_TRUE(xfbKxwDomUserSetText(ById(u"t"), "toolong", &dsReason));
    EXPECT_EQ("change:toolong|keyup:toolong:103|blur:toolong", Eval(_ptTop, "log.slice(6).join('|')"));
    EXPECT_TRUE(tSink.Saw("A value of 7 characters was typed into \"t\", whose maxLength is 5"));
    ASSERT_TRUE(xfbKxwDomUserSetText(ById(u"t"), "", &dsReason));
    EXPECT_EQ("change:|blur:", Eval(_ptTop, "log.slice(11).join('|')")) << "no KEYUP for an empty value";
    // Characters, not UTF-16 units: one character outside the basic plane is one.
    tSink.Clear();
    ASSERT_TRUE(xfbKxwDomUserSetText(ById(u"t"), "\xF0\x9F\x98\x80\xF0\x9F\x98\x80xyz", &dsReason));
    EXPECT_FALSE(tSink.Saw("characters was typed")) << "five characters fit maxLength 5";
}

// Text goes into text, password and file inputs only; disabled and read-only ones refuse it, and so do other
// types and other nodes, each with its reason.
TEST_F(KxwDomFormsUserTest, TextGoesOnlyWhereAUserCanTypeIt) {
    std::string dsReason;
    EXPECT_TRUE(xfbKxwDomUserSetText(ById(u"p"), "secret", &dsReason));
    EXPECT_TRUE(xfbKxwDomUserSetText(ById(u"up"), "/tmp/kxw-no-such-file.txt", &dsReason));
    EXPECT_EQ("secret /tmp/kxw-no-such-file.txt", Eval(_ptTop, "f.p.value + ' ' + f.up.value"));
    EXPECT_FALSE(xfbKxwDomUserSetText(ById(u"d"), "x", &dsReason));
    EXPECT_EQ("the INPUT is disabled or read-only", dsReason);
    EXPECT_FALSE(xfbKxwDomUserSetText(ById(u"ro"), "x", &dsReason));
    EXPECT_FALSE(xfbKxwDomUserSetText(ById(u"c"), "x", &dsReason));
    EXPECT_EQ("an INPUT of type checkbox takes no text", dsReason);
    EXPECT_FALSE(xfbKxwDomUserSetText(ById(u"f"), "x", &dsReason));
    EXPECT_EQ("not a form control", dsReason);
    EXPECT_FALSE(xfbKxwDomUserSetText(nullptr, "x", &dsReason));
    EXPECT_EQ("'' ''", Eval(_ptTop, "\"'\" + f.d.value + \"' '\" + f.ro.value + \"'\""));
}

// A check box is clicked only when its state differs (onclick sees the new state); a radio button is chosen by a
// click and cannot be unchosen; other inputs refuse.
TEST_F(KxwDomFormsUserTest, CheckingClicksOnlyWhenTheStateChanges) {
    std::string dsReason;
    EXPECT_TRUE(xfbKxwDomUserSetChecked(ById(u"c"), true, &dsReason));
    EXPECT_TRUE(xfbKxwDomUserSetChecked(ById(u"c"), true, &dsReason));
    EXPECT_TRUE(xfbKxwDomUserSetChecked(ById(u"c"), false, &dsReason));
    EXPECT_EQ("click:true|click:false", Eval(_ptTop, "log.join('|')"));
    EXPECT_TRUE(xfbKxwDomUserSetChecked(ById(u"r2"), true, &dsReason));
    EXPECT_TRUE(xfbKxwDomUserSetChecked(ById(u"r1"), true, &dsReason));
    EXPECT_EQ("true false", Eval(_ptTop, "f.r[0].checked + ' ' + f.r[1].checked"));
    EXPECT_FALSE(xfbKxwDomUserSetChecked(ById(u"r1"), false, &dsReason));
    EXPECT_FALSE(xfbKxwDomUserSetChecked(ById(u"t"), true, &dsReason));
    EXPECT_EQ("an INPUT of type text cannot be checked", dsReason);
}

// A step's submission: onsubmit runs and may refuse it; the engine reads the method, action, type and body, the
// typed values among them (the file pair by its file); with two text fields the first submit button goes along.
// submit() runs no onsubmit and is told apart.
TEST_F(KxwDomFormsUserTest, ASubmittedFormIsReadByTheEngine) {
    std::string dsReason;
    xfbKxwDomUserSetText(ById(u"t"), "a b", &dsReason);
    xfbKxwDomUserSetChecked(ById(u"c"), true, &dsReason);
    Eval(_ptTop, "f.up.parentNode.removeChild(f.up); f.onsubmit = function () { return f.t.value != 'no'; }; 1");
    ASSERT_TRUE(xfbKxwDomUserSubmitForm(ById(u"f"), &dsReason)) << dsReason;
    EXPECT_EQ(1, _iSubmits);
    EXPECT_EQ("POST http://h/sent.cgi [application/x-www-form-urlencoded] t=a+b&p=&c=on&ro=&go=Go", _dsSubmitted);
    Eval(_ptTop, "f.t.value = 'no'; 1");
    EXPECT_TRUE(xfbKxwDomUserSubmitForm(ById(u"f"), &dsReason));
    EXPECT_EQ(1, _iSubmits) << "onsubmit refused it";
    Eval(_ptTop, "f.method = 'get'; f.submit(); 1");
    EXPECT_EQ(2, _iSubmits);
    EXPECT_EQ("GET http://h/sent.cgi [] t=no&p=&c=on&ro= (script)", _dsSubmitted);
    EXPECT_FALSE(xfbKxwDomUserSubmitForm(ById(u"t"), &dsReason));
    EXPECT_EQ("not a FORM", dsReason);
    EXPECT_EQ("", xfdsKxwDomFormGetBody(nullptr));
    EXPECT_FALSE(xfbKxwDomFormIsPost(ById(u"t")));
}

// The engine replaces the page while it hears of the submission: the form is gone when the notification returns,
// and the step's submission ends without touching it.
TEST_F(KxwDomFormsUserTest, TheFormMayGoWhileItIsHandedOn) {
    std::string dsReason;
    _bReplaceOnSubmit = true;
    KxwDomNodeBase* ptForm = ById(u"f");
    EXPECT_FALSE(xfbKxwDomUserSubmitForm(ptForm, &dsReason));
    EXPECT_EQ(1, _iSubmits);
    EXPECT_EQ("the submission did not complete", dsReason);
    EXPECT_EQ("http://h/next.html", Eval(_ptTop, "location.href"));
    EXPECT_EQ("0", Eval(_ptTop, "document.forms.length"));
}

// The detailed trace of a submission says of every control whether it is sent, with its value, except the value
// of a password and of a file input: the user's secret and a local path never reach the trace file.
TEST_F(KxwDomFormsUserTest, TheDetailedTraceMasksPasswordsAndFiles) {
    std::string dsReason;
    xfbKxwDomUserSetText(ById(u"t"), "shown", &dsReason);
    xfbKxwDomUserSetText(ById(u"p"), "hunter2", &dsReason);
    xfbKxwDomUserSetText(ById(u"up"), "/home/user/private.txt", &dsReason);
    std::string dsTrace;
    {
        KxwTestTraceCapture tTrace(true);
        ASSERT_TRUE(xfbKxwDomUserSubmitForm(ById(u"f"), &dsReason)) << dsReason;
        dsTrace = tTrace.Text();
    }
    EXPECT_NE(std::string::npos, dsTrace.find("ShouldContributeToSubmit=1 for name=\"t\"")) << dsTrace;
    EXPECT_NE(std::string::npos, dsTrace.find("value=\"shown\""));
    EXPECT_NE(std::string::npos, dsTrace.find("name=\"p\" (IsSpecified=1)"));
    EXPECT_NE(std::string::npos, dsTrace.find("value=\"[masked]\""));
    EXPECT_EQ(std::string::npos, dsTrace.find("hunter2"));
    EXPECT_EQ(std::string::npos, dsTrace.find("private.txt"));
}

}  // namespace
