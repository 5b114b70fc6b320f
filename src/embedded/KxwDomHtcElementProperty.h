// PUBLIC:PROPERTY of a behaviour file: the name the element answers (NAME, kept as HTCNAME), the functions that
// read and write it (GET, PUT), its first value (VALUE) and the behaviour's variable behind it (INTERNALNAME, the
// same name when absent). Script class "PUBLIC:PROPERTY" ("element").
#pragma once

#include <string>

#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlProperty.h"
#include "kxw/KxwJsval.h"
class KxwDomHtcDocument;

class KxwDomHtcElementProperty : public KxwDomHtmlElement {
public:
    KxwDomHtcElementProperty(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetHtcName() const { return _tHtcName; }
    const KxwDomHtmlPropertyStr& GetGetter() const { return _tGet; }
    const KxwDomHtmlPropertyStr& GetPutter() const { return _tPut; }
    const KxwDomHtmlPropertyStr& GetValueText() const { return _tValue; }
    const KxwDomHtmlPropertyStr& GetInternalName() const { return _tInternalName; }
    // The behaviour's variable that holds the value: INTERNALNAME when given, else HTCNAME.
    std::string GetVariableName() const;
    // The value a script reads as element.name: GET's function's result; else the variable, or VALUE's text while
    // the variable is undefined. The triple stays valid until the next read.
    bool GetElementPropValueAndType(void** mppvValue, unsigned* mpnLength, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType);
    // A script wrote element.name: PUT's function gets the value; without PUT nothing is stored (true).
    bool SetElementPropValue(const KxwJsval& mrtValue);

    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    KxwDomHtmlElement* MakeEmptyClone(KxwDomHtmlDocument& mrtDocument) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    // The behaviour the element's file was built for, or null (a copy of the element in a page).
    KxwDomHtcDocument* GetHtcDocument() const;
    // What the last read answered, kept for the caller to convert.
    KxwJsval _tLastValue;
    std::u16string _dsLastText;
    double _dfLastNumber = 0;
    KxwDomHtmlPropertyStr _tHtcName;
    KxwDomHtmlPropertyStr _tGet;
    KxwDomHtmlPropertyStr _tPut;
    KxwDomHtmlPropertyStr _tValue;
    KxwDomHtmlPropertyStr _tInternalName;
};
