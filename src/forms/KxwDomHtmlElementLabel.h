// LABEL: a caption for a control, named by "for" (script "htmlFor"). A click on it clicks that control as a user
// would. One label activation makes one synthetic click: labels that name each other do not click each other
// without end.
#pragma once

#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlProperty.h"

class KxwDomHtmlElementLabel : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementLabel(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetHtmlFor() const { return _tHtmlFor; }
    // The last element of the document with the id "for" names, or null.
    KxwDomHtmlElement* GetLabeledElement() const;

    // A click clicks the labelled element (not the element the click came from); a label clicked while another
    // label's click is running does nothing more.
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                           const KxwDomEventData* mptDomEventDataOrNULL) override;

    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    static constexpr short kIdHtmlFor = KxwDomHtmlElement::kFirstDerivedTinyId;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tHtmlFor;
};
