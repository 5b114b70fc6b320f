// The event object scripts see as window.event: the core event with the pointer's position, the button, and the
// key. A user action's event data fills it; without data the values are those of a plain click.
#pragma once

#include <cstdint>

#include "KxwDomCoreEvent.h"

class KxwDomEventData;

class KxwDomHtmlEvent : public KxwDomCoreEvent {
public:
    KxwDomHtmlEvent(KxwDomEnv& mrtDomEnv, KxwDomEventTarget* mptSrcElement, KXW_DOM_EVENT_TYPE_ENUM meEventType,
                    const KxwDomEventData* mptDomEventDataOrNULL);

    // Refills the object for another dispatch, with the data of the action when there is one.
    bool Reset(KxwDomEventTarget* mptSrcElement, KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    void SetEventData(const KxwDomEventData* mptDomEventDataOrNULL);

    int32_t GetX() const { return _iX; }
    int32_t GetY() const { return _iY; }
    int32_t GetOffsetX() const { return _iOffsetX; }
    int32_t GetOffsetY() const { return _iOffsetY; }
    int32_t GetButton() const { return _iButton; }
    // 0 for CLICK and DBLCLICK, else 1 (the left button).
    int32_t GetDefaultButton() const;
    int32_t GetKeyCode() const { return _iKeyCode; }
    bool GetCtrlKey() const { return _bCtrlKey; }

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    static const KxwJswClassInformation& GetHtmlEventClassInformation();

private:
    int32_t _iX = 1;
    int32_t _iY = 1;
    int32_t _iOffsetX = 1;
    int32_t _iOffsetY = 1;
    int32_t _iButton = 1;
    int32_t _iKeyCode = 0;
    bool _bCtrlKey = false;
};
