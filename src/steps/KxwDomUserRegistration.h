// A dialog answer that a script step registered in advance: the answer to the next confirm or prompt whose
// message matches, or the function that stands for the next modal dialog. The engine makes them (through
// kxw/KxwDomDialogs.h) and hands them to the object manager, which keeps them per step level, takes the first one
// that fits when a page opens a dialog, and deletes them when their level ends. Each one describes itself in the
// argument syntax of the step that made it (PrintMe, at the notice level).
#pragma once

#include <string>

#include "KxwDomStrEnv.h"
#include "KxwDomStrRegExp.h"
#include "kxw/KxwDomDialogs.h"

class KxwDomHtmlWindow;
class KxwDomStr;
class KxwU16nHandler;
class KxwVUserVars;

enum KXW_DOM_USER_REGISTRATION_KIND_ENUM {
    KXW_DOM_USER_REGISTRATION_CONFIRM = 0,
    KXW_DOM_USER_REGISTRATION_PROMPT = 1,
    KXW_DOM_USER_REGISTRATION_MODAL = 2,
};

class KxwDomUserRegistration {
public:
    KxwDomUserRegistration() = default;
    // Always deleted through this destructor, used or not, whatever the log shows.
    virtual ~KxwDomUserRegistration() = default;
    KxwDomUserRegistration(const KxwDomUserRegistration&) = delete;
    KxwDomUserRegistration& operator=(const KxwDomUserRegistration&) = delete;

    // The log line of the registration, at the notice level.
    virtual void PrintMe() const = 0;
    virtual KXW_DOM_USER_REGISTRATION_KIND_ENUM GetKind() const = 0;
    // Whether the answer is meant for a dialog with this message (the message in the window's code page).
    virtual bool MatchesMessage(const KxwDomStr& mrtMessage) const = 0;
};

// An answer for the dialogs whose message matches: a plain text (the whole message), a POSIX extended regular
// expression, or none given (any message). The text is in the charset of the string handler (UTF-8 unless
// SetU16nHandler says otherwise); messages in other charsets are compared through UTF-16.
class KxwDomUserRegistrationWithMsg : public KxwDomUserRegistration {
public:
    // A null message with length 0 is "not given".
    KxwDomUserRegistrationWithMsg(const char* mpsfMessage, unsigned muMessageLen, bool mbIsRegExp);
    ~KxwDomUserRegistrationWithMsg() override;

    void SetU16nHandler(KxwU16nHandler* mptU16nHandler) { _tStrEnv.SetU16nHandler(mptU16nHandler); }
    const KxwDomStrRegExp& GetMessageA() const { return _tMessage; }
    bool MatchesMessage(const KxwDomStr& mrtMessage) const override;

protected:
    // The "Type=..." part, the message part (with "/RE" for an expression; none when no message was given) and the
    // last part, with the texts cut at 1900 bytes between two characters.
    void PrintLine(const char* mpszType, const std::string& mdsLast) const;
    // A text of this registration's charset cut for its log line.
    std::string CutForLog(const KxwDomStr& mrtText) const;

private:
    KxwDomStrEnvU16HandlerExplicit _tStrEnv;
    KxwDomStrRegExp _tMessage;
};

class KxwDomUserRegistrationPrompt : public KxwDomUserRegistrationWithMsg {
public:
    using KxwDomUserRegistrationWithMsg::KxwDomUserRegistrationWithMsg;
    KXW_DOM_USER_REGISTRATION_KIND_ENUM GetKind() const override { return KXW_DOM_USER_REGISTRATION_PROMPT; }
};

// OK on the prompt, with the text typed into it when one is given (a null text: none, the prompt's default stays).
class KxwDomUserRegistrationPromptOK : public KxwDomUserRegistrationPrompt {
public:
    KxwDomUserRegistrationPromptOK(const char* mpsfMessage, unsigned muMessageLen, bool mbIsRegExp,
                                   const char* mpsfSetText, unsigned muSetTextLen);
    ~KxwDomUserRegistrationPromptOK() override;

    bool HasSetText() const { return _bHasSetText; }
    const KxwDomStr& GetSetText() const { return _tSetText; }
    void PrintMe() const override;

private:
    KxwDomStrEnvU16HandlerExplicit _tSetTextEnv;
    KxwDomStr _tSetText;
    bool _bHasSetText;
};

class KxwDomUserRegistrationPromptCancel : public KxwDomUserRegistrationPrompt {
public:
    using KxwDomUserRegistrationPrompt::KxwDomUserRegistrationPrompt;
    void PrintMe() const override;
};

class KxwDomUserRegistrationConfirm : public KxwDomUserRegistrationWithMsg {
public:
    KxwDomUserRegistrationConfirm(const char* mpsfMessage, unsigned muMessageLen, bool mbIsRegExp, bool mbConfirmed)
        : KxwDomUserRegistrationWithMsg(mpsfMessage, muMessageLen, mbIsRegExp), _bConfirmed(mbConfirmed) {}

    KXW_DOM_USER_REGISTRATION_KIND_ENUM GetKind() const override { return KXW_DOM_USER_REGISTRATION_CONFIRM; }
    // True for OK, false for Cancel.
    bool GetConfirmed() const { return _bConfirmed; }
    void PrintMe() const override;

private:
    bool _bConfirmed;
};

// The answer to the next modal dialog: a function of the virtual user's script, called while the dialog is shown
// (its page loaded, the calling script waiting); the dialog's returnValue is then the dialog's result.
class KxwDomUserRegistrationModal : public KxwDomUserRegistration {
public:
    KXW_DOM_USER_REGISTRATION_KIND_ENUM GetKind() const override { return KXW_DOM_USER_REGISTRATION_MODAL; }
    bool MatchesMessage(const KxwDomStr&) const override { return true; }
    // Binds the function and the name it is known by (UTF-8); false, with a report, when either is missing.
    bool SetFunction(const char* mpszName, KxwDomModalAnswerFunction mtFunction);
    const std::string& GetFunctionName() const { return _dsName; }
    // Calls the function for the dialog shown; false when it could not be called or did not succeed.
    virtual bool InvokeFunction(KxwVUserVars* mptVUserVars, KxwDomHtmlWindow* mptDialog, long& mrlResult,
                                bool& mrbFlag);
    void PrintMe() const override;

private:
    std::string _dsName;
    KxwDomModalAnswerFunction _tFunction;
};
