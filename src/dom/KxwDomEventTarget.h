// The node that can receive events: base of elements, documents, windows and place holders. It keeps the target's
// listeners (newest first), dispatches an event to them and on up the ancestors until cancelBubble, runs the
// default action up the ancestors unless a handler refused it, and synthesises the events a user action implies.
// Scripts see its class "eventtarget": attachEvent, detachEvent, fireEvent, focus, blur, setActive and the handler
// properties onabort ... onunload (tiny ids 138 to 216).
//
// Re-entrancy is the rule here: a handler may fire events, detach listeners, delete or remove its target, close
// or reset its window. Each step watches what it goes on with; a target that left the tree it was in when the
// event started counts as gone, since a removed node is only parked and no deletion watch would fire.
#pragma once

#include "KxwDomCoreNode.h"
#include "KxwDomEventListener.h"
#include "kxw/KxwDomCommonEnums.h"

class KxwDomCoreEvent;
class KxwDomEventData;
class KxwDomHtmlDocument;
class KxwDomHtmlEvent;
class KxwDomHtmlTextsStr;
class KxwDomHtmlWindow;
class KxwJsval;

enum KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM {
    KXW_DOM_HANDLE_EVENT_RET_VAL_CONTINUE = 0,         // go on: the default action is allowed
    KXW_DOM_HANDLE_EVENT_RET_VAL_ERROR = 1,            // an error, or not dispatched
    KXW_DOM_HANDLE_EVENT_RET_VAL_PREVENT_DEFAULT = 2,  // a handler refused the default action
    KXW_DOM_HANDLE_EVENT_RET_VAL_TARGET_DELETED = 3,   // the target went during the dispatch
    KXW_DOM_HANDLE_EVENT_RET_VAL_NOT_HANDLED = 4,      // no default action here: ask the parent
};

// Bits: run the listeners, run the default action.
enum FIRE_EVENT_ACTIVATE_ENUM {
    FIRE_EVENT_ACTIVATE_LISTENERS = 1,
    FIRE_EVENT_ACTIVATE_DEFAULT_ACTION = 2,
    FIRE_EVENT_ACTIVATE_ALL = 3,
};

class KxwDomEventTarget : public KxwDomCoreNode {
public:
    using KxwDomCoreNode::KxwDomCoreNode;
    ~KxwDomEventTarget() override;

    KxwDomEventTarget* DownCastToEventTarget() override { return this; }

    // ---- Firing ----
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM FireEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                const KxwDomEventData* mptDomEventDataOrNULL,
                                                FIRE_EVENT_ACTIVATE_ENUM meActivate, KxwDomHtmlEvent* mptEventOrNULL);
    // The name form ("onclick"), for fireEvent: listeners only. False for an unknown name.
    bool FireEvent(const char* mpsfFireEventStr, unsigned mnFireEventLen, const KxwDomEventData* mptDomEventDataOrNULL,
                   KxwDomHtmlEvent* mptEventOrNULL);

    // ---- What classes decide, in this order ----
    virtual bool CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType);
    // Children first, then this target (windows reach their frames).
    virtual void FireEventRecursivelyOnChildren(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                const KxwDomEventData* mptDomEventDataOrNULL);
    // A user action: the events it implies around the event itself, in one bracket.
    virtual void OnUserEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL);
    virtual KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                                   const KxwDomEventData* mptDomEventDataOrNULL);
    virtual void DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL);
    virtual void DoAfterEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL);
    virtual bool CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType,
                                                     KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwJsval& mrtValue,
                                                     int mnLength);
    virtual bool CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType,
                                                     KXW_DOM_EVENT_TYPE_ENUM meEventType, const char16_t* mpwsfCode,
                                                     unsigned muCodeLen);
    virtual bool RemoveRegularEventListener(KXW_DOM_EVENT_TYPE_ENUM meEventType);
    // The target whose listeners hold this one's handlers of the event (BODY and FRAMESET: their window's).
    virtual KxwDomEventTarget* GetEventHandlerHolder(KXW_DOM_EVENT_TYPE_ENUM meEventType) {
        (void)meEventType;
        return this;
    }
    // Handlers a page defines by other means than the target's listeners (the window's global functions) become
    // its regular listener before a dispatch.
    virtual void CreateGlobalFunctionListenerIfApplicable(KXW_DOM_EVENT_TYPE_ENUM meEventType) { (void)meEventType; }
    // The window whose page the target belongs to, and the document that lends it event objects.
    virtual KxwDomHtmlWindow* GetOwnerWindow();
    virtual KxwDomHtmlDocument* GetEventDocument();

    // ---- Listeners ----
    bool AddEventListener(KxwDomEventListener* mptEventListener);
    bool CanAddEventListener(KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType, KXW_DOM_EVENT_TYPE_ENUM meEventType);
    // The first listener of the event (mbAny) or its regular one, or null.
    KxwDomEventListener* GetEventListener(KXW_DOM_EVENT_TYPE_ENUM meEventType, bool mbAny) const;
    bool RemoveAttachedEventListener(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwJsval& mrtFunction);
    // The handlers the target's HTML attributes gave it, as attributes of mrtClone: their code is compiled there
    // when first needed, with the clone as this and its own scope.
    void CopyAttributeListenersTo(KxwDomEventTarget& mrtClone);
    // The handlers that generated markup shows (those of HTML attributes and the strings set to handler
    // properties), in list order, as attributes: ` onclick="text"`.
    void GenerateHtmlEventHandlers(KxwDomHtmlTextsStr& mrtText) const;
    // The same for the regular handler of one event alone (a BODY writes its window's).
    void GenerateHtmlEventHandler(KxwDomHtmlTextsStr& mrtText, KXW_DOM_EVENT_TYPE_ENUM meEventType) const;
    void RemoveAllListeners();
    // Takes one listener off (deleted, or marked deleted while it runs); false when it is not this target's. The
    // pointer is only compared, so one that is gone already is safe to pass.
    bool RemoveEventListener(const KxwDomEventListener* mptListener);
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DispatchEventHandler(KxwDomCoreEvent* mptEvent);
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DispatchListeners(KxwDomCoreEvent* mptEvent);
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DispatchEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                                 const KxwDomEventData* mptDomEventDataOrNULL);

    // ---- Names ----
    // The event of an upper- or lower-case name without "on" (at most 16 characters), or none.
    static KXW_DOM_EVENT_TYPE_ENUM GetEventEnum(const char* mpszEventName);
    // The event of a handler name ("onclick"); with mbReport an unknown name is a script error naming the caller.
    KXW_DOM_EVENT_TYPE_ENUM GetEventEnum(const char* mpszCaller, const char* mpsfHandlerName, unsigned muLen,
                                         bool mbReport) const;
    static KXW_DOM_EVENT_TYPE_ENUM GetEventTypeFromTinyId(short msiPropIndex);

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue) override;
    bool SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue) override;
    void EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) override;

    // The class description, for derived descriptions to name as their parent.
    static const KxwJswClassInformation& GetEventTargetClassInformation();
    // The same members for classes outside the node hierarchy's script classes (the window).
    static const KxwJswClassInformation& GetEventHandlersClassInformation();
    static bool IsHandlerPropertyId(short mnTinyId);

protected:
    // Whether the target went during a dispatch that began with it under mptRootBefore: deleted, moved out of
    // that tree, or (unless the event is the window's own unload) its window going away.
    bool HasLeftDispatch(const KxwDomWatchDelete& mrtWatch, const KxwDomNodeBase* mptRootBefore,
                         KXW_DOM_EVENT_TYPE_ENUM meEventType);
    // SCRIPT for/event blocks of the document that name this target and the event become its regular listener.
    void CreateScriptForEventListenerIfApplicable(KXW_DOM_EVENT_TYPE_ENUM meEventType);
    // The handler property's value.
    bool GetHandlerProperty(KXW_DOM_EVENT_TYPE_ENUM meEventType, KxwJsval& mrtValue);
    bool SetHandlerProperty(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwJsval& mrtValue);

private:
    KxwDomEventListener* _ptFirstListener = nullptr;
};
