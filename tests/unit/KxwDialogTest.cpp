// Modal and modeless dialogs, pop-ups, execScript and vokSaveParam, with the test standing in for the engine: it
// loads a dialog's page when the library asks for it (before a modal answer runs), and registers modal answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KxwBrowsingFixture.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomHtmlWindowDialog.h"
#include "KxwDomUserRegistration.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwParamStore.h"

namespace {

class KxwDialogTest;

// A modal answer that runs a script in the dialog shown (as the player's `answer modal eval=` does).
class KxwTestModalAnswer : public KxwDomUserRegistrationModal {
public:
    KxwTestModalAnswer(KxwDialogTest* mptTest, std::string mdsScript)
        : _ptTest(mptTest), _dsScript(std::move(mdsScript)) {}
    bool InvokeFunction(KxwVUserVars*, KxwDomHtmlWindow* mptDialog, long& mrlResult, bool&) override;

    KxwDialogTest* _ptTest;
    std::string _dsScript;
    std::string _dsSeen;  // what the script gave
    KxwDomHtmlWindow* _ptDialog = nullptr;
};

class KxwDialogTest : public KxwBrowsingFixture {
protected:
    void OnNotified(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvExtra) override {
        _tNotified.push_back(static_cast<int>(meType));
        if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_LOCATION_CHANGE) {
            auto* ptWindow = xfptKxwDomWindowOfDocument(static_cast<KxwDomHtmlDocument*>(mpvExtra));
            _tRequested.push_back({ptWindow, xfdsKxwDomLocationChangeGetUrl(mpvSubject)});
        }
        if (meType == KXW_DOM_COMMON_NOTIFICATION_ENUM_MODAL_DIALOG) {
            auto* ptPhase = static_cast<KxwDomModalDialogPhase*>(mpvExtra);
            _tPhases.push_back(ptPhase->_bBefore);
            // The engine's part: the dialog's page loads while the calling script waits.
            if (ptPhase->_bBefore) LoadRequested(ptPhase->_ptDialog);
        }
    }
    // Loads the page asked for the window, as the engine's queue would.
    void LoadRequested(KxwDomHtmlWindow* mptWindow) {
        for (size_t n = 0; n < _tRequested.size(); ++n)
            if (_tRequested[n].first == mptWindow) {
                std::string dsUrl = _tRequested[n].second;
                _tRequested.erase(_tRequested.begin() + static_cast<long>(n));
                LoadPage(mptWindow, dsUrl);
                return;
            }
    }
    KxwDomHtmlTopWindow* NewLoadedTop() {
        KxwDomHtmlTopWindow* ptTop = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
        LoadPage(ptTop, "http://h/opener.html");
        return ptTop;
    }

public:
    using KxwBrowsingFixture::Eval;
    KxwObjMgr* GetObjMgr() const { return _ptObjMgr; }

protected:
    std::vector<int> _tNotified;
    std::vector<std::pair<KxwDomHtmlWindow*, std::string>> _tRequested;
    std::vector<bool> _tPhases;
};

bool KxwTestModalAnswer::InvokeFunction(KxwVUserVars*, KxwDomHtmlWindow* mptDialog, long& mrlResult, bool&) {
    // The dialog is the modal window of its top window while the answer runs.
    _ptDialog = _ptTest->GetObjMgr()->FindHtmlWindow(nullptr, 0, false, 1, nullptr, 0, false, nullptr, 0, 0,
                                                     KXW_OBJ_MGR_WINDOW_TYPE_MODAL, nullptr);
    if (!_ptDialog || _ptDialog != mptDialog) return false;
    _dsSeen = _ptTest->Eval(_ptDialog, _dsScript);
    mrlResult = 0;
    return true;
}

// The answer runs in the dialog after its page loaded, sees the arguments, and its returnValue is the result;
// the dialog it leaves open is closed, and a second modal dialog works as the first did.
TEST_F(KxwDialogTest, ModalAnswerRunsInTheLoadedDialogAndItsReturnValueIsTheResult) {
    KxwDomHtmlTopWindow* ptTop = NewLoadedTop();
    auto* ptAnswer = new KxwTestModalAnswer(this, "returnValue = dialogArguments.n * 2; location.href + '|' + "
                                                  "dialogWidth + '|' + (opener === null || opener === undefined)");
    _ptObjMgr->AddUserRegistration(ptAnswer);
    EXPECT_EQ("84", Eval(ptTop, "String(showModalDialog('dlg.html', {n: 42}, 'dialogWidth:5em'))"));
    EXPECT_EQ("http://h/dlg.html|5em|true", ptAnswer->_dsSeen);
    EXPECT_EQ((std::vector<bool>{true, false}), _tPhases);
    ASSERT_NE(nullptr, ptAnswer->_ptDialog);
    EXPECT_TRUE(ptAnswer->_ptDialog->GetIsClosed()) << "the dialog outlived its showModalDialog";
    EXPECT_EQ(nullptr, ptTop->GetWindowDialogModal());
    // No answer left: the page still loads, nothing runs in it, and the result is undefined.
    EXPECT_EQ("undefined", Eval(ptTop, "typeof showModalDialog('dlg2.html')"));
    EXPECT_TRUE(_tRequested.empty()) << "the dialog's page was not loaded";
    EXPECT_EQ(nullptr, ptTop->GetWindowDialogModal());
}

// A dialog that closes itself from its own script closes after that script; one that closes its opener, or whose
// opener navigates away, ends without touching a window that is gone.
TEST_F(KxwDialogTest, DialogsCloseWithTheirPageAndAfterTheirOwnScript) {
    KxwDomHtmlTopWindow* ptTop = NewLoadedTop();
    EXPECT_EQ("object", Eval(ptTop, "var d = showModelessDialog('m.html', 'a'); typeof d"));
    KxwDomHtmlWindow* ptDialog = ptTop->GetWindowDialogModeless();
    ASSERT_NE(nullptr, ptDialog);
    LoadRequested(ptDialog);
    EXPECT_EQ("a|false", Eval(ptDialog, "var s = dialogArguments + '|' + closed; close(); s"));
    EXPECT_TRUE(ptDialog->GetIsClosed()) << "the close asked for by the dialog's script was not carried out";
    EXPECT_EQ("true", Eval(ptTop, "String(d.closed)"));

    // A second dialog replaces the first; the opener's next page closes it, its unload running first.
    EXPECT_EQ("ok", Eval(ptTop, "d = showModelessDialog('m.html'); d2 = showModelessDialog('m2.html'); "
                                "d.closed && !d2.closed ? 'ok' : 'not replaced'"));
    KxwDomHtmlWindow* ptSecond = ptTop->GetWindowDialogModeless();
    ASSERT_NE(nullptr, ptSecond);
    LoadRequested(ptSecond);
    EXPECT_EQ("set", Eval(ptSecond, "onunload = function () { opener_gone = true; }; 'set'"));
    LoadPage(ptTop, "http://h/next.html");
    EXPECT_TRUE(ptSecond->GetIsClosed());
    EXPECT_EQ(nullptr, ptTop->GetWindowDialogModeless());

    // A modeless dialog's script closes the window that opened it: the close waits for no script of the opener.
    EXPECT_EQ("object", Eval(ptTop, "typeof showModelessDialog('m3.html')"));
    KxwDomHtmlWindow* ptThird = ptTop->GetWindowDialogModeless();
    LoadRequested(ptThird);
    KxwDomWatchDelete tWatch("test", ptThird);
    EXPECT_EQ("x", Eval(ptThird, "dialogArguments; 'x'"));
    ptTop->Close(true);
    EXPECT_TRUE(ptTop->GetIsClosed());
    EXPECT_FALSE(tWatch.HasBeenDeleted()) << "a closed dialog stays until the iteration ends";
    EXPECT_TRUE(ptThird->GetIsClosed());
}

// One pop-up is shown at a time: showing another hides the first and runs its unload; hiding one gives it no
// window in the object manager's search any more; a pop-up goes with its page.
TEST_F(KxwDialogTest, OnePopupIsShownAtATimeAndGoesWithItsPage) {
    KxwDomHtmlTopWindow* ptTop = NewLoadedTop();
    KxwDomHtmlTopWindow* ptOther = _ptObjMgr->CreateNewHtmlTopWindow(nullptr, nullptr, 0);
    LoadPage(ptOther, "http://h/other.html");
    EXPECT_EQ("false", Eval(ptTop, "var p = createPopup(); p.document.parentWindow.onunload = function () { "
                                   "top.hidden = (top.hidden || 0) + 1 }; String(p.isOpen)"));
    EXPECT_EQ("true", Eval(ptTop, "p.show(1, 2, 3, 4); String(p.isOpen && createPopup() === p)"));
    KxwDomHtmlWindow* ptPopupWindow = _ptObjMgr->GetVisiblePopupWindow();
    ASSERT_NE(nullptr, ptPopupWindow);
    EXPECT_EQ(ptPopupWindow, _ptObjMgr->FindHtmlWindow(nullptr, 0, false, 0, nullptr, 0, false, nullptr, 0, 0,
                                                       KXW_OBJ_MGR_WINDOW_TYPE_POPUP, nullptr));
    EXPECT_EQ("ERROR", Eval(ptTop, "p.show('left', 0, 1, 1)")) << "a place that is no number was accepted";
    EXPECT_EQ("true", Eval(ptOther, "var q = createPopup(); q.show(0, 0, 1, 1); String(q.isOpen)"));
    EXPECT_EQ("false|1", Eval(ptTop, "p.isOpen + '|' + hidden"));
    EXPECT_NE(ptPopupWindow, _ptObjMgr->GetVisiblePopupWindow());
    // The page that made the shown pop-up goes: nothing is shown any more.
    LoadPage(ptOther, "http://h/other2.html");
    EXPECT_EQ(nullptr, _ptObjMgr->GetVisiblePopupWindow());
    EXPECT_EQ("false", Eval(ptTop, "p.hide(); String(p.isOpen)"));
    EXPECT_EQ("1", Eval(ptTop, "String(hidden)")) << "a hidden pop-up was hidden again";
}

// The window's constructors make elements of the calling page, outside its tree until a script puts them in.
TEST_F(KxwDialogTest, ImageAndOptionConstructorsMakeElementsOfThePage) {
    KxwDomHtmlTopWindow* ptTop = NewLoadedTop();
    EXPECT_EQ("IMG 20 true null", Eval(ptTop, "var i = new Image(20); i.tagName + ' ' + i.getAttribute('width') + ' ' "
                                              "+ (i instanceof Image) + ' ' + i.parentNode"));
    EXPECT_EQ("true", Eval(ptTop, "String(i.ownerDocument === document)"));
    EXPECT_EQ("OPTION Paris fr true", Eval(ptTop, "var o = new Option('Paris', 'fr', false, true); o.tagName + ' ' + "
                                                  "o.innerText + ' ' + o.getAttribute('value') + ' ' + "
                                                  "o.getAttribute('selected')"));
    // selected is the option's property: an option nobody selected answers false, as the emulated browser does.
    EXPECT_EQ("false", Eval(ptTop, "String(new Option().getAttribute('selected'))"));
    // A page's constructor is its own: the next page has a fresh one.
    EXPECT_EQ("ok", Eval(ptTop, "Image.mark = 1; 'ok'"));
    LoadPage(ptTop, "http://h/next.html");
    EXPECT_EQ("undefined", Eval(ptTop, "typeof Image.mark"));
}

TEST_F(KxwDialogTest, ExecScriptAndSavedParameters) {
    KxwDomHtmlTopWindow* ptTop = NewLoadedTop();
    EXPECT_EQ("null|7", Eval(ptTop, "execScript('var seven = 3 + 4', 'JavaScript') + '|' + seven"));
    EXPECT_EQ("undefined", Eval(ptTop, "execScript('var vb = 1', 'vbscript'); typeof vb"));
    EXPECT_EQ("null", Eval(ptTop, "String(vokSaveParam('city', 'Paris'))"));
    ASSERT_NE(nullptr, Parameter_GetString("city"));
    EXPECT_STREQ("Paris", Parameter_GetString("city"));
    // A missing or empty name saves nothing and fails nothing.
    EXPECT_EQ("null", Eval(ptTop, "String(vokSaveParam('', 'x')) + String(vokSaveParam(null, 'y')).slice(4)"));
    EXPECT_EQ("JScript 8513", Eval(ptTop, "ScriptEngine() + ' ' + ScriptEngineBuildVersion()"));
}

}  // namespace
