// An attribute node as scripts see it (script class "coreattribute"): a name, a value that mirrors the owner
// element's attribute of that name, and whether the element has it. A free attribute keeps its value itself.
#pragma once

#include "KxwDomNodeBase.h"
#include "KxwDomWatchDelete.h"

class KxwDomCoreElement;

class KxwDomCoreAttribute : public KxwDomNodeBase {
public:
    // The tiny id of the owner element's DOM property of that name, kCustomAttribute, or kUnresolvedTinyId.
    static constexpr signed char kCustomAttribute = 127;
    static constexpr signed char kUnresolvedTinyId = 126;

    KxwDomCoreAttribute(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr, const char* mpsfNameDcsStr,
                        unsigned muNameDcsLenInBytes, signed char mcTinyId);
    KxwDomCoreAttribute(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr, const char16_t* mpwsfNameU16nStr,
                        unsigned muNameU16nLenInChars, signed char mcTinyId);

    KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const override { return KXW_DOM_COMMON_NODE_TYPE_ATTRIBUTE; }
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetNodeSubtype() const override { return KXW_DOM_COMMON_NODE_SUBTYPE_ATTRIBUTE; }
    const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const override;

    // The owner element is watched: once it is deleted the attribute is free again.
    void SetOwnerElement(KxwDomCoreElement* mptOwnerElement);
    KxwDomCoreElement* GetOwnerElement() const;
    bool HasOwnerElement() const { return GetOwnerElement() != nullptr; }
    const char* GetNameDcs(unsigned* mpuLenInBytes) const;
    signed char GetTinyId() const { return _cTinyId; }
    // Sends the node value into the owner element (a node put in place by setAttributeNode).
    void PushValueToOwnerElement() { OnNodeValueChanged(); }
    // While it belongs to an element the element's collection holds it and its engine object (expandos) stays;
    // a free attribute belongs to its engine object.
    bool GetShouldAddJSRoot() override { return HasOwnerElement(); }
    bool GetShouldBeDeletedAtFinalize() override { return !HasOwnerElement(); }
    // The node value, refreshed from the owner element first.
    KxwDomHtmlPropertyStr& GetValue();
    void UpdateNodeValueFromElement();
    // Whether the owner element has the attribute: false for a free attribute.
    bool IsSpecified();
    // The owner document while it lives.
    KxwDomCoreDocument* GetWatchedOwnerDocument() const;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    // A value set on the attribute goes to its owner element.
    void OnNodeValueChanged() override;

private:
    void ResolveTinyId();
    // A node the element class adds under the markup's name for a property named otherwise ("class" for
    // className): its value is that property's, found by tiny id, not by name.
    bool IsForPropertyNamedOtherwise();

    KxwDomWatchDelete _tDocumentWatch;
    KxwDomHtmlPropertyStr _tName;
    KxwDomWatchDelete _tOwnerElementWatch;
    signed char _cTinyId;
    bool _bUpdatingFromElement = false;
};
