// One handler of one event type on one target: the text of an HTML attribute or a SCRIPT for/event block (compiled
// on first use), or a function given by a script property or attachEvent. A target keeps its listeners in a
// singly linked list, newest first. The function is traced by the target, never rooted, so that a target and its
// handler's closure that refer to each other are still collected.
#pragma once

#include "KxwDomBase.h"
#include "KxwDomHtmlProperty.h"
#include "kxw/KxwDomCommonEnums.h"
#include "kxw/KxwJsval.h"

class KxwDomCoreEvent;
class KxwDomEventTarget;

enum KXW_DOM_EVENT_LISTENER_TYPE_ENUM : unsigned char {
    KXW_DOM_EVENT_LISTENER_TYPE_NONE = 0,
    KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE = 1,
    KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_FOR_EVENT = 2,
    KXW_DOM_EVENT_LISTENER_TYPE_ATTACHED = 3,
    KXW_DOM_EVENT_LISTENER_TYPE_PUBLIC_ATTACH = 4,
    KXW_DOM_EVENT_LISTENER_TYPE_SCRIPT_PROPERTY = 5,
};

class KxwDomEventListener : public KxwDomBaseWithoutJsw {
public:
    // A function (mnLength -1), or a string assigned to a handler property (its length): such a listener only
    // keeps the string and never runs.
    KxwDomEventListener(KxwDomEnv& mrtDomEnv, KxwDomEventTarget* mptCurrentTarget,
                        KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType, KXW_DOM_EVENT_TYPE_ENUM meEventType,
                        const KxwJsval& mrtValue, int mnLength);
    // The code text of an attribute or a SCRIPT block, compiled when the handler first runs or is read.
    KxwDomEventListener(KxwDomEnv& mrtDomEnv, KxwDomEventTarget* mptCurrentTarget,
                        KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType, KXW_DOM_EVENT_TYPE_ENUM meEventType,
                        const char16_t* mpwsfCode, unsigned muCodeLen);
    ~KxwDomEventListener() override;

    // Runs the handler for the event (nothing for a string-only listener or one that is running already).
    virtual void HandleEvent(KxwDomCoreEvent* mptEvent);
    // The function, compiled from the code text first when mbCompile; undefined when there is none.
    KxwJsval GetFunction(bool mbCompile);
    const KxwDomHtmlPropertyStr& GetCode() const { return _tCode; }
    const char* GetEffectiveCodeDcsStr() const { return _tCode.GetDcsStr(); }
    void SetCodeDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetCodeU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);

    KxwDomEventListener* GetNextListener() const { return _ptNextListener; }
    void SetNextListener(KxwDomEventListener* mptNext) { _ptNextListener = mptNext; }
    // The link to the next listener, for unlinking from a list.
    KxwDomEventListener*& NextListenerLink() { return _ptNextListener; }
    KXW_DOM_EVENT_LISTENER_TYPE_ENUM GetEventListenerType() const { return _eEventListenerType; }
    KXW_DOM_EVENT_TYPE_ENUM GetEventType() const { return _eEventType; }
    KxwDomEventTarget* GetCurrentTarget() const { return _ptCurrentTarget; }
    bool IsRegular() const {
        return _eEventListenerType != KXW_DOM_EVENT_LISTENER_TYPE_ATTACHED &&
               _eEventListenerType != KXW_DOM_EVENT_LISTENER_TYPE_PUBLIC_ATTACH;
    }
    bool GetHandlingEvent() const { return (_ucListenerFlags & kFlagHandlingEvent) != 0; }
    bool GetStringOnly() const { return (_ucListenerFlags & kFlagStringOnly) != 0; }
    bool GetProtected() const { return (_ucListenerFlags & kFlagProtected) != 0; }
    bool GetDeleted() const { return (_ucListenerFlags & kFlagDeleted) != 0; }
    void SetProtected(bool mbProtected);
    void SetDeleted();
    // Handlers from attributes and string-only ones appear as attributes in generated HTML.
    bool GetShouldAddToInnerOuterHTML() const {
        return _eEventListenerType == KXW_DOM_EVENT_LISTENER_TYPE_HTML_ATTRIBUTE || GetStringOnly();
    }
    // The function as its holder traces it.
    KxwJsvalHeap& GetHeldFunction() { return _tFunction; }

private:
    static constexpr unsigned char kFlagHandlingEvent = 0x01;
    static constexpr unsigned char kFlagStringOnly = 0x02;
    static constexpr unsigned char kFlagProtected = 0x04;
    static constexpr unsigned char kFlagDeleted = 0x08;

    void SetFlag(unsigned char mucFlag, bool mbOn) {
        _ucListenerFlags =
            static_cast<unsigned char>(mbOn ? (_ucListenerFlags | mucFlag) : (_ucListenerFlags & ~mucFlag));
    }
    bool Compile();

    KxwDomEventListener* _ptNextListener = nullptr;
    KxwDomHtmlPropertyStr _tCode;
    KxwJsvalHeap _tFunction;
    bool _bHasFunction = false;
    KXW_DOM_EVENT_LISTENER_TYPE_ENUM _eEventListenerType;
    KXW_DOM_EVENT_TYPE_ENUM _eEventType;
    KxwDomEventTarget* _ptCurrentTarget;
    unsigned char _ucListenerFlags = 0;
};
