// The common base of every element: the attributes the parser found that no DOM property took (kept in a compact
// store until a script needs them), the attribute methods and "uniqueID". Script class "coreelement".
//
// Declared DOM properties are accessors on the prototypes, never own properties of the element's engine object, so
// that an attribute never shadows its property: an attribute whose name is a declared property is read and written
// through the DOM, any other attribute is an own property of the engine object.
#pragma once

#include <string>

#include "KxwDomAdditionalAttrCollection.h"
#include "KxwDomEventTarget.h"
#include "kxw/KxwJsval.h"

struct KxwJswPropertySpec;
class KxwDomAttributeCollection;
class KxwDomCoreAttribute;
class KxwDomPropertyInfo;

class KxwDomCoreElement : public KxwDomEventTarget {
public:
    KxwDomCoreElement(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr,
                      KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meNodeSubtype);
    ~KxwDomCoreElement() override;

    KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const override { return KXW_DOM_COMMON_NODE_TYPE_ELEMENT; }
    KxwDomCoreElement* AsCoreElement() override { return this; }
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetNodeSubtype() const override { return _eSubtype; }

    // ---- Attributes ----
    // Keeps a parsed attribute for later; element classes may take some names first.
    virtual bool AddParsedAttr(const char* mpszNameDcsStr, const char* mpszValueDcsStrOrNULL);
    // Moves the stored attributes into the element: declared properties through the DOM, the others as own
    // properties of the engine object. The store is empty afterwards.
    bool DumpAttributesToJsiObj() override;
    // A stored attribute's DCS value (name compared exactly); true only when one is found.
    bool GetPropertyByNameDcs(const char* mpsfNameDcsStr, unsigned muNameDcsLenInBytes, const char** mppsfValueDcsStr,
                              unsigned* mpuValueDcsLenInBytes);
    KxwDomAdditionalAttrCollection& GetAdditionalAttrs() { return _tAdditionalAttrs; }
    const KxwDomAdditionalAttrCollection& GetAdditionalAttrs() const { return _tAdditionalAttrs; }

    // ---- Generated markup ----
    // The attributes of the element's start tag. Here: the handlers markup shows, then the stored attributes
    // (newest first) that are not handlers already written; classes with properties of their own write those
    // first and then their base's.
    virtual void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const;

    // The script methods. Flags bit 0: names compare exactly; bit 1 (get): the value exactly as written.
    // Results: null when nothing matched; a value other than a string keeps its type.
    void GetAttribute(const char16_t* mpwsfName, unsigned muNameLen, int miFlags, KxwJsval& mrtResult);
    // False when the attribute is a read-only property (other than style): reported as a script error.
    bool SetAttribute(const char16_t* mpwsfName, unsigned muNameLen, const KxwJsval& mrtValue, int miFlags);
    // True when an attribute was removed (a declared property reset to the empty value counts).
    bool RemoveAttribute(const char16_t* mpwsfName, unsigned muNameLen, int miFlags);

    // ---- Attribute nodes ----
    // The "attributes" collection, made on first use: the stored attributes are dumped first; then one node per
    // writable declared property of the class chain (whether set or not: "specified" tells) and per own property
    // of the engine object, then the nodes the class keeps elsewhere. Null when it cannot be made.
    KxwDomAttributeCollection* GetAttributeCollection();
    // The attribute node of that name (ignoring case), or null.
    KxwDomCoreAttribute* GetAttributeNode(const char16_t* mpwsfName, unsigned muNameLen);
    // Puts a free attribute node in place of the one of its name, whose value it pushes into the element. False
    // for a node that already has an owner; mrptReplaced receives the node it replaced (now free) or null.
    bool SetAttributeNode(KxwDomCoreAttribute* mptAttrNode, KxwDomCoreAttribute*& mrptReplaced);
    // Attribute nodes the class keeps outside its script properties; true when all were added.
    virtual bool AddExceptionalAttributesToCollection(KxwDomAttributeCollection& mrtCollection);
    // A script added an own property: once the collection exists it gets the matching attribute node.
    void AddProperty(const KxwJsval& mrtName, KxwJsval& mrtValue, unsigned char mucFlags) override;

    // ---- Descriptions of test steps ----
    // The text a step's custom description compares for a name: the stored attribute of that name, else the
    // declared script property ("Class" is className, "for" htmlFor), else the engine object's own data property,
    // all ignoring case. False when there is none or it is not a string. Runs no script (getters of the page
    // are never called).
    bool GetDescribedText(const char* mpsfName, unsigned muNameLen, std::u16string& mrdsText);
    // The declared script property of that name (ignoring ASCII case): its value, as a string, as a boolean;
    // false when there is none or it is not of that kind.
    bool GetDeclaredProperty(const char* mpszName, KxwDomPropertyInfo& mrtValue);
    bool GetDeclaredPropertyText(const char* mpszName, std::u16string& mrdsText);
    bool GetDeclaredPropertyBool(const char* mpszName, bool& mrbValue);

    // "ms__id<n>", numbered per owner document in the order of first reading; fixed for the element's life.
    KxwDomHtmlPropertyStr* GetUniqueID();

    // Undeclared names assigned by the wrapper are expandos of the engine object: nothing to keep here.
    bool SetStringProperty(const char* mpszName, void* mpvValue, unsigned mnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM meType) override;
    // The tiny id that gives a property's value exactly as written; classes with URL properties map them.
    virtual signed char GetTinyIdForExactValueFromTinyId(signed char mcTinyId) { return mcTinyId; }

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    static const KxwJswClassInformation& GetCoreElementClassInformation();

protected:
    // The declared property of that name in the class chain (exactly or ignoring ASCII case), or null.
    const KxwJswPropertySpec* FindDeclaredProperty(const std::string& mdsName, bool mbIgnoreCase) const;

private:
    // The first own property of the engine object whose name matches (ignoring case: the first in the engine's
    // order); false when none does. Beyond kOwnPropertyIndexFrom own properties the names are looked up in an
    // index instead of being listed.
    bool FindOwnProperty(const char16_t* mpwsfName, unsigned muNameLen, bool mbIgnoreCase, std::u16string& mrdsFound);
    // An own property was deleted: the index of the names (when there is one) lets it go.
    void ForgetOwnPropertyName(const std::u16string& mrdsName);
    static constexpr size_t kOwnPropertyIndexFrom = 16;
    // Writes a declared property from a script value, converted by the property's type letter.
    bool SetDeclaredProperty(const KxwJswPropertySpec& mrtSpec, const KxwJsval& mrtValue);
    // Whether every own name of the engine object is known to be in lower case (no name index was needed).
    bool OwnNamesAreLowerCase() { return !_bOwnNameWithCapital && !_tAdditionalAttrs.GetDumpedNames(false); }

    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM _eSubtype;
    KxwDomAdditionalAttrCollection _tAdditionalAttrs;
    KxwDomHtmlPropertyStr* _ptUniqueID = nullptr;
    KxwDomAttributeCollection* _ptAttributeCollection = nullptr;
    // Set once an own property whose name has an ASCII capital was added to the engine object (AddProperty hears
    // of every one). While it is clear, a name matches ignoring case only its lower-case spelling.
    bool _bOwnNameWithCapital = false;
};
