// The event object of one dispatch: its type as a name ("click") and a number, the element it happened to, and
// the two answers handlers give (returnValue, cancelBubble). Event objects are kept by their document and used
// again (ObtainEventObject / ReleaseEventObject); while one is in dispatch its engine object is kept alive.
#pragma once

#include "KxwDomBase.h"
#include "KxwDomHtmlProperty.h"
#include "KxwDomWatchDelete.h"
#include "kxw/KxwDomCommonEnums.h"

class KxwDomEventTarget;

class KxwDomCoreEvent : public KxwDomBase {
public:
    KxwDomCoreEvent(KxwDomEnv& mrtDomEnv, KxwDomEventTarget* mptSrcElement, KXW_DOM_EVENT_TYPE_ENUM meEventType);
    ~KxwDomCoreEvent() override;

    // Refills the object for another dispatch; false (reported) for an event type that does not exist.
    virtual bool Reset(KxwDomEventTarget* mptSrcElement, KXW_DOM_EVENT_TYPE_ENUM meEventType);
    // Whether an event of the type goes on to the ancestors of its target.
    static bool GetBubbles(KXW_DOM_EVENT_TYPE_ENUM meEventType);

    KXW_DOM_EVENT_TYPE_ENUM GetEventType() const { return _eEventType; }
    // The element the event happened to while it lives, else null.
    KxwDomEventTarget* GetSrcElement() const;
    bool GetReturnValue() const { return _bReturnValue; }
    void SetReturnValue(bool mbReturnValue) { _bReturnValue = mbReturnValue; }
    bool GetCancelBubble() const { return _bCancelBubble; }
    void SetCancelBubble(bool mbCancelBubble) { _bCancelBubble = mbCancelBubble; }
    bool IsInDispatch() const { return _bInDispatch; }
    void SetInDispatch(bool mbInDispatch) { _bInDispatch = mbInDispatch; }
    // Its document went while a script still holds the object: from now on the engine object owns it.
    void SetOwnedByScript() { _bOwnedByScript = true; }

    // ---- The wrapper's operations ----
    bool GetShouldBeDeletedAtFinalize() override { return _bOwnedByScript; }
    bool GetShouldAddJSRoot() override { return _bInDispatch; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    static const KxwJswClassInformation& GetCoreEventClassInformation();

private:
    KxwDomHtmlPropertyStr _tType;
    KXW_DOM_EVENT_TYPE_ENUM _eEventType = KXW_DOM_EVENT_TYPE_ENUM_NONE;
    KxwDomWatchDelete _tSrcElement;
    bool _bReturnValue = true;
    bool _bCancelBubble = false;
    bool _bInDispatch = false;
    bool _bOwnedByScript = false;
};
