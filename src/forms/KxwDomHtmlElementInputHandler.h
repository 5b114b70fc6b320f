// The behaviour of an INPUT that depends on its type: a strategy object made once for the type the input has when
// it is first needed, and kept as long as the input. A handler decides which events the input answers, what a
// click or a typed value does before and after the event, the default action, the reset, the contribution to a
// submission and the value scripts read.
#pragma once

#include <string>

#include "KxwDomEventTarget.h"

class KxwDomEventData;
class KxwDomHtmlElementInput;
class KxwDomHtmlRadioGroup;

// What a handler says of an event: the input answers it, it does not, or the input decides.
enum KXW_DOM_INPUT_HANDLER_ANSWER_ENUM {
    KXW_DOM_INPUT_HANDLER_ANSWER_YES = 0,
    KXW_DOM_INPUT_HANDLER_ANSWER_NO = 1,
    KXW_DOM_INPUT_HANDLER_ANSWER_NO_OPINION = 4,
};

// What DoBeforeEvent did: handled the event's preliminaries (0), failed (1), or left them to the input (4).
enum KXW_DOM_INPUT_HANDLER_BEFORE_ENUM {
    KXW_DOM_INPUT_HANDLER_BEFORE_HANDLED = 0,
    KXW_DOM_INPUT_HANDLER_BEFORE_FAILED = 1,
    KXW_DOM_INPUT_HANDLER_BEFORE_NOT_HANDLED = 4,
};

// The text a user typed, carried as a CHANGE event's additional data.
struct KxwDomTypedText {
    const char16_t* _pwsfText = nullptr;
    unsigned _uLen = 0;
};

class KxwDomHtmlElementInputHandlerBase {
public:
    explicit KxwDomHtmlElementInputHandlerBase(KxwDomHtmlElementInput* mptOwningHtmlElementInput);
    virtual ~KxwDomHtmlElementInputHandlerBase() = default;
    KxwDomHtmlElementInputHandlerBase(const KxwDomHtmlElementInputHandlerBase&) = delete;
    KxwDomHtmlElementInputHandlerBase& operator=(const KxwDomHtmlElementInputHandlerBase&) = delete;

    virtual void Reset();
    virtual bool IsChecked() const;
    virtual bool IsClicked() const { return false; }
    virtual void SetHandlerChecked(bool mbChecked);
    virtual void SetRadioGroup(KxwDomHtmlRadioGroup* /*mptRadioGroup*/) {}
    virtual KxwDomHtmlRadioGroup* GetRadioGroup() const { return nullptr; }
    virtual bool ContributeToFormSubmit();
    virtual KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                                   const KxwDomEventData* mptDomEventDataOrNULL);
    virtual KXW_DOM_INPUT_HANDLER_BEFORE_ENUM DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                            const KxwDomEventData* mptDomEventDataOrNULL);
    virtual void DoAfterEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL);
    virtual KXW_DOM_INPUT_HANDLER_ANSWER_ENUM CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType);
    virtual std::u16string GetValue() const;
    // The value generated markup writes; false writes none.
    virtual bool GetValueForHtmlAttribute(std::u16string& mrdsValue) const;
    // A value that traces must not show.
    virtual bool HasSecretValue() const { return false; }
    // Whether a user may type into the input.
    virtual bool TakesTypedText() const { return false; }

protected:
    KxwDomHtmlElementInput& Input() const { return *_ptOwningHtmlElementInput; }
    // The MOUSEDOWN, FOCUS, MOUSEUP a click of a check box or radio button causes; false when the input went.
    bool FirePressEvents(const KxwDomEventData* mptDomEventDataOrNULL);
    // The typed text of a CHANGE, or null (reported, with the handler's class name) when there is none.
    const KxwDomTypedText* TypedTextOf(const KxwDomEventData* mptDomEventDataOrNULL, const char* mpszClassName);
    // A user's typing: FOCUSIN (when asked), FOCUS, then the value as typed; stops when the input goes.
    KXW_DOM_INPUT_HANDLER_BEFORE_ENUM TypeText(const KxwDomEventData* mptDomEventDataOrNULL, const char* mpszClassName,
                                               bool mbFocusIn);

private:
    KxwDomHtmlElementInput* _ptOwningHtmlElementInput;
};

class KxwDomHtmlElementInputHandlerText : public KxwDomHtmlElementInputHandlerBase {
public:
    using KxwDomHtmlElementInputHandlerBase::KxwDomHtmlElementInputHandlerBase;
    void Reset() override;
    bool ContributeToFormSubmit() override;
    KXW_DOM_INPUT_HANDLER_BEFORE_ENUM DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                    const KxwDomEventData* mptDomEventDataOrNULL) override;
    void DoAfterEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) override;
    KXW_DOM_INPUT_HANDLER_ANSWER_ENUM CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    bool TakesTypedText() const override { return true; }
};

class KxwDomHtmlElementInputHandlerPassword : public KxwDomHtmlElementInputHandlerBase {
public:
    using KxwDomHtmlElementInputHandlerBase::KxwDomHtmlElementInputHandlerBase;
    void Reset() override;
    bool ContributeToFormSubmit() override;
    KXW_DOM_INPUT_HANDLER_BEFORE_ENUM DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                    const KxwDomEventData* mptDomEventDataOrNULL) override;
    bool GetValueForHtmlAttribute(std::u16string& mrdsValue) const override;
    bool HasSecretValue() const override { return true; }
    bool TakesTypedText() const override { return true; }
};

class KxwDomHtmlElementInputHandlerCheckBox : public KxwDomHtmlElementInputHandlerBase {
public:
    using KxwDomHtmlElementInputHandlerBase::KxwDomHtmlElementInputHandlerBase;
    void Reset() override;
    bool ContributeToFormSubmit() override;
    KXW_DOM_INPUT_HANDLER_BEFORE_ENUM DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                    const KxwDomEventData* mptDomEventDataOrNULL) override;
};

class KxwDomHtmlElementInputHandlerRadio : public KxwDomHtmlElementInputHandlerBase {
public:
    using KxwDomHtmlElementInputHandlerBase::KxwDomHtmlElementInputHandlerBase;
    void Reset() override;
    bool IsChecked() const override;
    void SetHandlerChecked(bool mbChecked) override;
    void SetRadioGroup(KxwDomHtmlRadioGroup* mptRadioGroup) override { _ptRadioGroup = mptRadioGroup; }
    KxwDomHtmlRadioGroup* GetRadioGroup() const override { return _ptRadioGroup; }
    bool ContributeToFormSubmit() override;
    KXW_DOM_INPUT_HANDLER_BEFORE_ENUM DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                    const KxwDomEventData* mptDomEventDataOrNULL) override;
    std::u16string GetValue() const override;

private:
    KxwDomHtmlRadioGroup* _ptRadioGroup = nullptr;
};

class KxwDomHtmlElementInputHandlerSubmit : public KxwDomHtmlElementInputHandlerBase {
public:
    using KxwDomHtmlElementInputHandlerBase::KxwDomHtmlElementInputHandlerBase;
    void Reset() override { _bClicked = false; }
    bool IsClicked() const override { return _bClicked; }
    bool ContributeToFormSubmit() override;
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                           const KxwDomEventData* mptDomEventDataOrNULL) override;
    KXW_DOM_INPUT_HANDLER_BEFORE_ENUM DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                    const KxwDomEventData* mptDomEventDataOrNULL) override;
    void DoAfterEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) override;
    // Whether a CLICK now would submit the form.
    bool NeedToDoDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType) const;

protected:
    bool _bClicked = false;
};

class KxwDomHtmlElementInputHandlerReset : public KxwDomHtmlElementInputHandlerBase {
public:
    using KxwDomHtmlElementInputHandlerBase::KxwDomHtmlElementInputHandlerBase;
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                           const KxwDomEventData* mptDomEventDataOrNULL) override;
};

class KxwDomHtmlElementInputHandlerFile : public KxwDomHtmlElementInputHandlerBase {
public:
    using KxwDomHtmlElementInputHandlerBase::KxwDomHtmlElementInputHandlerBase;
    void Reset() override;
    bool ContributeToFormSubmit() override;
    KXW_DOM_INPUT_HANDLER_BEFORE_ENUM DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                    const KxwDomEventData* mptDomEventDataOrNULL) override;
    KXW_DOM_INPUT_HANDLER_ANSWER_ENUM CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    bool HasSecretValue() const override { return true; }
    bool TakesTypedText() const override { return true; }
};

class KxwDomHtmlElementInputHandlerHidden : public KxwDomHtmlElementInputHandlerBase {
public:
    using KxwDomHtmlElementInputHandlerBase::KxwDomHtmlElementInputHandlerBase;
    bool ContributeToFormSubmit() override;
    KXW_DOM_INPUT_HANDLER_ANSWER_ENUM CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
};

class KxwDomHtmlElementInputHandlerImage : public KxwDomHtmlElementInputHandlerSubmit {
public:
    using KxwDomHtmlElementInputHandlerSubmit::KxwDomHtmlElementInputHandlerSubmit;
    void Reset() override;
    bool ContributeToFormSubmit() override;
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                           const KxwDomEventData* mptDomEventDataOrNULL) override;
    KXW_DOM_INPUT_HANDLER_ANSWER_ENUM CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    const std::string& GetLastCoordinatePair() const { return _dsLastCoordinatePair; }

    // The largest coordinate a click sends; smaller than zero is sent as zero.
    static constexpr long kMaxCoordinate = 99999;

private:
    // "x,y" of the click that submits, from the click to the end of the submission it starts.
    std::string _dsLastCoordinatePair;
};

class KxwDomHtmlElementInputHandlerButton : public KxwDomHtmlElementInputHandlerBase {
public:
    using KxwDomHtmlElementInputHandlerBase::KxwDomHtmlElementInputHandlerBase;
};
