// Forms as the engine and the player see them: a submitted form (the subject of the form-submitted notification),
// which the engine turns into its request, and the user actions of test steps on controls. Forms and controls stay
// opaque; every function checks its arguments and answers empty, 0 or false (with a reason where it takes one) for
// a bad one. All calls are made on the thread of the virtual user that owns the objects.
#pragma once

#include <string>

#include "kxw/KxwExport.h"

class KxwDomNodeBase;

// ---- A submitted form ----
// The action resolved against the form's base URL, as the page's BASE elements make it (empty when the form has
// none: the document's URL).
KXW_API std::string xfdsKxwDomFormGetAction(KxwDomNodeBase* mptForm);
// The target as written (empty when none).
KXW_API std::string xfdsKxwDomFormGetTarget(KxwDomNodeBase* mptForm);
// The method the submission uses: a multipart form is always posted.
KXW_API bool xfbKxwDomFormIsPost(KxwDomNodeBase* mptForm);
// The request's Content-Type: empty for a GET, else the encoding with its boundary for multipart.
KXW_API std::string xfdsKxwDomFormGetContentType(KxwDomNodeBase* mptForm);
// The body the last submission built (the main body, then the suffix): the query of a GET, the body of a POST.
KXW_API std::string xfdsKxwDomFormGetBody(KxwDomNodeBase* mptForm);
// Whether the last submission came from the page's submit().
KXW_API bool xfbKxwDomFormIsJavaScriptSubmit(KxwDomNodeBase* mptForm);

// ---- User actions of test steps (texts in UTF-8) ----
// Types the text into a text, password or file input or a text area, with the events a typing user causes.
KXW_API bool xfbKxwDomUserSetText(KxwDomNodeBase* mptControl, const std::string& mdsUtf8Text, std::string* mpdsReason);
// Sets a check box (a click when its state differs) or chooses a radio button (a click).
KXW_API bool xfbKxwDomUserSetChecked(KxwDomNodeBase* mptInput, bool mbChecked, std::string* mpdsReason);
// What a user does to an option of a list: choose it alone, take it out of the selection, add it to the selection.
enum KXW_DOM_USER_OPTION_ACTION_ENUM {
    KXW_DOM_USER_OPTION_ACTION_SELECT = 0,
    KXW_DOM_USER_OPTION_ACTION_DESELECT = 1,
    KXW_DOM_USER_OPTION_ACTION_EXTEND = 2,
};
KXW_API bool xfbKxwDomUserChooseOption(KxwDomNodeBase* mptSelect, KxwDomNodeBase* mptOption,
                                       KXW_DOM_USER_OPTION_ACTION_ENUM meAction, std::string* mpdsReason);
// Submits a form as a test step does: its onsubmit runs, and the step's rules for submit buttons apply.
KXW_API bool xfbKxwDomUserSubmitForm(KxwDomNodeBase* mptForm, std::string* mpdsReason);
