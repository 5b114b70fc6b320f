// A dialog answer that a script step registered in advance: the answer to the next confirm or prompt whose
// message matches, or the function that stands for the next modal dialog. The object manager keeps them per step
// level; the dialog steps make them and say how a message matches.
#pragma once

class KxwDomStr;
class KxwVUserVars;

enum KXW_DOM_USER_REGISTRATION_KIND_ENUM {
    KXW_DOM_USER_REGISTRATION_CONFIRM = 0,
    KXW_DOM_USER_REGISTRATION_PROMPT = 1,
    KXW_DOM_USER_REGISTRATION_MODAL = 2,
};

class KxwDomUserRegistration {
public:
    virtual ~KxwDomUserRegistration() = default;
    virtual KXW_DOM_USER_REGISTRATION_KIND_ENUM GetKind() const = 0;
    // Whether the answer is meant for a dialog with this message.
    virtual bool MatchesMessage(const KxwDomStr& mrtMessage) const = 0;
    // The line that tells the script's author of an answer never used.
    virtual void PrintLogLine() const = 0;
};

// The answer to the next modal dialog: a function of the virtual user's script, called while the dialog is shown
// (the dialog is the modal window of the object manager's search meanwhile).
class KxwDomUserRegistrationModal : public KxwDomUserRegistration {
public:
    KXW_DOM_USER_REGISTRATION_KIND_ENUM GetKind() const override { return KXW_DOM_USER_REGISTRATION_MODAL; }
    bool MatchesMessage(const KxwDomStr&) const override { return true; }
    // Calls the function; false when it could not be called.
    virtual bool InvokeFunction(KxwVUserVars* mptVUserVars, long& mrlResult, bool& mrbFlag) = 0;
};
