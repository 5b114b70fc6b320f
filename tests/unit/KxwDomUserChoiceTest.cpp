// A user's choice in a list and a user's typing in a text area, as the engine's steps make them through the
// public forms interface: the events in order, the refusals with their reasons, and handlers that delete the list,
// the option or the text area while the action runs.
#include <string>

#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlElementOption.h"
#include "KxwDomHtmlElementSelect.h"
#include "KxwDomHtmlTopWindow.h"
#include "kxw/KxwDomForms.h"

namespace {

class KxwDomUserChoiceTest : public KxwBrowsingFixture {
protected:
    KxwDomHtmlTopWindow* NewPage(const char* mpszScript) {
        KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
        KxwDomCommand* ptCommand = StartPage(ptTop, "http://h/choice.html");
        KxwDomHtmlDocument* ptDocument = ptTop->GetDocument();
        KxwDomNodeBase* ptHtml = Element(ptDocument, "HTML");
        KxwDomNodeBase* ptBody = Element(ptDocument, "BODY");
        EXPECT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptDocument, ptHtml));
        EXPECT_TRUE(xfbKxwDomHtmlBuildAppendChild(ptHtml, ptBody));
        FinishPage(ptCommand);
        EXPECT_EQ("ok", Eval(ptTop, std::string("var log = []; ") + mpszScript + "; 'ok'"));
        return ptTop;
    }
    KxwDomNodeBase* ById(KxwDomHtmlTopWindow* mptTop, const std::u16string& mdsId) {
        return mptTop->GetDocument()->GetElementById(mdsId.data(), static_cast<unsigned>(mdsId.size()));
    }
    KxwDomNodeBase* OptionOf(KxwDomNodeBase* mptSelect, unsigned long muliIndex) {
        return static_cast<KxwDomHtmlElementSelect*>(mptSelect->DownCastToElement())->GetOptionAt(muliIndex);
    }
};

// A list of three options with its handlers logging; multiple when asked.
const char kszList[] =
    "var s = document.createElement('select'); s.id = 's'; s.name = 's';"
    "for (var i = 0; i < 3; ++i) s.add(new Option('o' + i, 'v' + i));"
    "s.onfocus = function () { log.push('focus ' + s.selectedIndex); };"
    "s.onchange = function () { log.push('change ' + s.selectedIndex); };"
    "s.onblur = function () { log.push('blur'); };"
    "document.body.appendChild(s)";

TEST_F(KxwDomUserChoiceTest, AChoiceFocusesChoosesChangesAndBlursInThatOrder) {
    KxwDomHtmlTopWindow* ptTop = NewPage(kszList);
    KxwDomNodeBase* ptSelect = ById(ptTop, u"s");
    ASSERT_NE(nullptr, ptSelect);
    std::string dsReason;
    EXPECT_TRUE(
        xfbKxwDomUserChooseOption(ptSelect, OptionOf(ptSelect, 2), KXW_DOM_USER_OPTION_ACTION_SELECT, &dsReason));
    EXPECT_EQ("focus 0,change 2,blur", Eval(ptTop, "log.join()"));
    EXPECT_EQ("v2", Eval(ptTop, "s.value"));
}

TEST_F(KxwDomUserChoiceTest, AMultipleActionOnASingleListIsRefusedAndChangesNothing) {
    KxwDomHtmlTopWindow* ptTop = NewPage(kszList);
    KxwDomNodeBase* ptSelect = ById(ptTop, u"s");
    std::string dsReason;
    EXPECT_FALSE(
        xfbKxwDomUserChooseOption(ptSelect, OptionOf(ptSelect, 1), KXW_DOM_USER_OPTION_ACTION_EXTEND, &dsReason));
    EXPECT_NE(std::string::npos, dsReason.find("single-selection")) << dsReason;
    EXPECT_EQ("", Eval(ptTop, "log.join()")) << "no event for a refused action";
    EXPECT_EQ("0 1", Eval(ptTop, "s.selectedIndex + ' ' + s.options[0].selected * 1"));
    // Bad arguments answer with a reason, never a crash.
    EXPECT_FALSE(
        xfbKxwDomUserChooseOption(nullptr, OptionOf(ptSelect, 1), KXW_DOM_USER_OPTION_ACTION_SELECT, &dsReason));
    EXPECT_FALSE(xfbKxwDomUserChooseOption(ptSelect, ptSelect, KXW_DOM_USER_OPTION_ACTION_SELECT, &dsReason));
    EXPECT_FALSE(xfbKxwDomUserChooseOption(ptSelect, OptionOf(ptSelect, 1),
                                           static_cast<KXW_DOM_USER_OPTION_ACTION_ENUM>(7), &dsReason));
}

TEST_F(KxwDomUserChoiceTest, AMultipleListExtendsAndDeselects) {
    KxwDomHtmlTopWindow* ptTop = NewPage((std::string(kszList) + "; s.multiple = true").c_str());
    KxwDomNodeBase* ptSelect = ById(ptTop, u"s");
    std::string dsReason;
    EXPECT_TRUE(
        xfbKxwDomUserChooseOption(ptSelect, OptionOf(ptSelect, 0), KXW_DOM_USER_OPTION_ACTION_SELECT, &dsReason));
    EXPECT_TRUE(
        xfbKxwDomUserChooseOption(ptSelect, OptionOf(ptSelect, 2), KXW_DOM_USER_OPTION_ACTION_EXTEND, &dsReason));
    EXPECT_EQ("true false true", Eval(ptTop, "[s[0].selected, s[1].selected, s[2].selected].join(' ')"));
    EXPECT_TRUE(
        xfbKxwDomUserChooseOption(ptSelect, OptionOf(ptSelect, 0), KXW_DOM_USER_OPTION_ACTION_DESELECT, &dsReason));
    EXPECT_EQ("2 false", Eval(ptTop, "s.selectedIndex + ' ' + s[0].selected"));
    // Selecting alone replaces the whole selection.
    EXPECT_TRUE(
        xfbKxwDomUserChooseOption(ptSelect, OptionOf(ptSelect, 1), KXW_DOM_USER_OPTION_ACTION_SELECT, &dsReason));
    EXPECT_EQ("false true false", Eval(ptTop, "[s[0].selected, s[1].selected, s[2].selected].join(' ')"));
}

// A focus handler that removes the chosen option: the choice is refused with its reason; one that deletes the
// whole content of the page (and the list with it): the action ends without touching the list.
TEST_F(KxwDomUserChoiceTest, HandlersThatRemoveTheOptionOrDeleteTheListEndTheChoice) {
    KxwDomHtmlTopWindow* ptTop =
        NewPage((std::string(kszList) + "; s.onfocus = function () { s.remove(2); log.push('removed'); }").c_str());
    KxwDomNodeBase* ptSelect = ById(ptTop, u"s");
    std::string dsReason;
    EXPECT_FALSE(
        xfbKxwDomUserChooseOption(ptSelect, OptionOf(ptSelect, 2), KXW_DOM_USER_OPTION_ACTION_SELECT, &dsReason));
    EXPECT_EQ("not in this list", dsReason.substr(dsReason.size() - 16)) << dsReason;
    EXPECT_EQ("0 2", Eval(ptTop, "s.selectedIndex + ' ' + s.length"));

    ptTop =
        NewPage((std::string(kszList) + "; s.onfocus = function () { document.body.innerText = 'new page'; }").c_str());
    ptSelect = ById(ptTop, u"s");
    // The choice's answer does not matter here: that nothing of the deleted list is touched does.
    xfbKxwDomUserChooseOption(ptSelect, OptionOf(ptSelect, 1), KXW_DOM_USER_OPTION_ACTION_SELECT, &dsReason);
    EXPECT_EQ("new page", Eval(ptTop, "document.body.innerText"));
}

// The text area takes a step's text as typed, with its line ends as CR LF, between FOCUS and CHANGE; a read-only
// one refuses with a reason and fires nothing; a focus handler that deletes it ends the typing.
TEST_F(KxwDomUserChoiceTest, TypingIntoATextArea) {
    KxwDomHtmlTopWindow* ptTop = NewPage(
        "var t = document.createElement('textarea'); t.id = 't'; document.body.appendChild(t);"
        "t.onfocus = function () { log.push('focus [' + t.value + ']'); };"
        "t.onchange = function () { log.push('change [' + t.value.replace(/\\r/g, 'R').replace(/\\n/g, 'N') + ']'); };"
        "t.onblur = function () { log.push('blur'); }");
    KxwDomNodeBase* ptArea = ById(ptTop, u"t");
    ASSERT_NE(nullptr, ptArea);
    std::string dsReason;
    EXPECT_TRUE(xfbKxwDomUserSetText(ptArea, "one\ntwo\r\nthree", &dsReason)) << dsReason;
    EXPECT_EQ("focus [],change [oneRNtwoRNthree],blur", Eval(ptTop, "log.join()"));
    EXPECT_EQ("ok", Eval(ptTop, "log = []; t.readOnly = true; 'ok'"));
    EXPECT_FALSE(xfbKxwDomUserSetText(ptArea, "x", &dsReason));
    EXPECT_EQ("", Eval(ptTop, "log.join()"));
    EXPECT_EQ("ok", Eval(ptTop,
                         "t.readOnly = false; t.onfocus = function () { document.body.innerText = 'gone'; }; "
                         "'ok'"));
    xfbKxwDomUserSetText(ptArea, "lost", &dsReason);
    EXPECT_EQ("gone", Eval(ptTop, "document.body.innerText"));
}

}  // namespace
