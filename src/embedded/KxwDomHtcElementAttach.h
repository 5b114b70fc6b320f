// PUBLIC:ATTACH of a behaviour file: the event (EVENT, "onload"), the object whose event it is (FOR: "element", the
// default, "document" or "window") and the code that handles it (ONEVENT). The behaviour makes the handler a
// listener of that object, run with this element as its `this`. Script class "PUBLIC:ATTACH" ("element").
#pragma once

#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlProperty.h"

class KxwDomHtcElementAttach : public KxwDomHtmlElement {
public:
    KxwDomHtcElementAttach(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetEvent() const { return _tEvent; }
    const KxwDomHtmlPropertyStr& GetFor() const { return _tFor; }
    const KxwDomHtmlPropertyStr& GetOnEvent() const { return _tOnEvent; }
    void SetForDcs(const char* mpsfDcsStr, unsigned muLen) { _tFor.SetDcs(mpsfDcsStr, muLen); }
    void SetForU16n(const char16_t* mpwsfU16nStr, unsigned muLen) { _tFor.SetU16n(mpwsfU16nStr, muLen); }
    bool IsSpecifiedFor() const { return _tFor.IsSpecified(); }
    bool IsEmptyFor() const { return _tFor.IsEmpty(); }

    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    KxwDomHtmlElement* MakeEmptyClone(KxwDomHtmlDocument& mrtDocument) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tEvent;
    KxwDomHtmlPropertyStr _tFor;
    KxwDomHtmlPropertyStr _tOnEvent;
};
