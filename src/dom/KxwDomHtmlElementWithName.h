// The elements that carry a "name" the document files them by: the common class (script class "elementwithname"
// for MAP, the base of OBJECT and APPLET; "embed" for EMBED), and PARAM with the properties the document and the parser need of
// it now (IMG has its own file pair; FORM lives with the forms). A name that changes while the element is in a tree is
// announced to the ancestors first (notification 25), so that the collections re-key it.
#pragma once

#include "KxwDomHtmlElement.h"

class KxwDomHtmlElementWithName : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementWithName(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                              bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetName() const override { return _tName; }
    void SetNameDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetNameU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetNameParsed(const char* mpszParsedValue);
    bool IsSpecifiedName() const { return _tName.IsSpecified(); }
    bool IsEmptyName() const { return _tName.IsEmpty(); }

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    static const KxwJswClassInformation& GetElementWithNameClassInformation();

    // "name" takes the first tiny id after "element"; classes with a name put their own properties after it.
    static constexpr short kIdName = KxwDomHtmlElement::kFirstDerivedTinyId;
    static constexpr short kFirstDerivedTinyId = kIdName + 1;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tName;
};

using KxwDomHtmlElementEmbed = KxwDomHtmlElementWithName;

// PARAM: the name and value that applets and objects read.
class KxwDomHtmlElementParam : public KxwDomHtmlElementWithName {
public:
    KxwDomHtmlElementParam(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetValue() const { return _tValue; }
    void SetValueParsed(const char* mpszParsedValue) { _tValue.SetParsed(ParsedText(mpszParsedValue)); }

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tValue;
};
