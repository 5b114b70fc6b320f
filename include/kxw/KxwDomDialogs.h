// Dialogs as the engine and the player see them: the answers a script step registers in advance for the next
// confirm, prompt or modal dialog of the pages, and the record of a confirm or prompt that was answered (the extra
// of notification 37). Windows stay opaque; texts cross in UTF-8 one way (the step's) and in the page's charset the
// other (the page's). All calls are made on the thread of the virtual user that owns the object manager.
//
// Answers belong to the object manager's current step level (KxwObjMgr::EnterRecursion): a page's dialog takes the
// first pending answer of its kind whose message matches, once; what a level leaves unused is reported, printed and
// deleted when it ends (KxwObjMgr::ExitRecursion).
#pragma once

#include <functional>
#include <string>

#include "kxw/KxwExport.h"

class KxwDomHtmlWindow;
class KxwObjMgr;

// The function that answers a modal dialog: called while the dialog is shown, with the dialog's window, in a step
// level of its own; the dialog's returnValue is then showModalDialog's result. False when it failed.
using KxwDomModalAnswerFunction = std::function<bool(KxwDomHtmlWindow* mptDialog)>;

// ---- Answers registered in advance (texts in UTF-8) ----
// How a message is described: mpdsMessage null for any message; else the whole message, or with mbIsRegExp a POSIX
// extended regular expression that must match somewhere in it. False, with the reason, for a bad expression or a
// missing object manager; nothing is registered then.
KXW_API bool xfbKxwObjMgrAddConfirmAnswer(KxwObjMgr* mptObjMgr, const std::string* mpdsMessage, bool mbIsRegExp,
                                          bool mbOK, std::string* mpdsReason);
// OK with the text mpdsSetText typed in (null: none, the prompt's own default is returned), or Cancel.
KXW_API bool xfbKxwObjMgrAddPromptAnswer(KxwObjMgr* mptObjMgr, const std::string* mpdsMessage, bool mbIsRegExp,
                                         bool mbOK, const std::string* mpdsSetText, std::string* mpdsReason);
// mdsName is how the log names the function (at most 200 bytes of it are printed).
KXW_API bool xfbKxwObjMgrAddModalAnswer(KxwObjMgr* mptObjMgr, const std::string& mdsName,
                                        KxwDomModalAnswerFunction mtFunction, std::string* mpdsReason);

// ---- A dialog that was answered (notification 37: subject the window, extra one of these) ----
enum KXW_DOM_DIALOG_KIND_ENUM {
    KXW_DOM_DIALOG_KIND_CONFIRM = 0,
    KXW_DOM_DIALOG_KIND_PROMPT = 1,
};

struct KxwDomDialogAnswered {
    KXW_DOM_DIALOG_KIND_ENUM _eKind;
    std::string _dsMessage;  // the page's message, in the page's charset
    bool _bRegistered;       // answered by a registered answer; false: no answer matched (confirm OK, prompt "")
    bool _bOK;               // OK (confirm true, prompt a text); false: Cancel (confirm false, prompt null)
    std::string _dsText;     // a prompt's text returned on OK, in the page's charset
};
