// A collection that scripts may change: a list's "options". Its items are elements of one subtype below its owner
// node, in document order; every change goes through the owner's tree (add appends or inserts the element there,
// remove takes it out, a shorter length removes the items after it, a longer one appends new empty elements), and
// the owner's tree notifications keep the items. Script class "HtmlCollectionDependentModifyable": "add" (2),
// "remove" (1) and a writable "length".
#pragma once

#include "KxwDomHtmlCollection.h"

class KxwDomScriptCall;

class KxwDomHtmlCollectionDependentModifyable : public KxwDomHtmlCollectionDependent {
public:
    KxwDomHtmlCollectionDependentModifyable(KxwDomEnv& mrtDomEnv, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meAllowedSubtype)
        : KxwDomHtmlCollectionDependent(mrtDomEnv), _eAllowedItemsSubtypeOrNone(meAllowedSubtype) {}

    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetAllowedItemsSubtype() const { return _eAllowedItemsSubtypeOrNone; }
    // Puts the element before mptBeforeOrNull (an item), or at the owner's end; false (reported) when it is not of
    // the allowed subtype or there is no owner.
    bool Add(KxwDomNodeBase* mptAddedNode, KxwDomNodeBase* mptBeforeOrNull);
    // Takes the item out of the tree (a script may still hold it); an index beyond the end changes nothing.
    bool Remove(unsigned long muliIndex);
    bool Remove(KxwDomNodeBase* mptNode);
    // Removes the items after the first muliLength, or appends empty elements up to it. A length above
    // kMaxLength is refused (reported): a page must not make the virtual user allocate without bound.
    bool SetLength(unsigned long muliLength);
    bool ExtendWithEmpty(unsigned long muliCount);
    // Item muliIndex becomes mptNode (null removes it); beyond the end, empty elements fill the gap first.
    bool SetItemAt(unsigned long muliIndex, KxwDomNodeBase* mptNodeOrNull);
    // The script methods add(element [, before]) (before: an item, an index, or absent or null for the end) and
    // remove(index or item), for this collection and for the owner that offers them too; the call's result.
    bool AddFromScript(KxwDomScriptCall& mrtCall);
    bool RemoveFromScript(KxwDomScriptCall& mrtCall);

    static constexpr unsigned long kMaxLength = 10000;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetIndexProperty(int32_t mnIndex, void* mpvValue, unsigned mnLength,
                          KXW_JSW_OBJ_PROP_TYPE_ENUM meType) override;
    bool TakesIndexWrites() const override { return true; }
    static const KxwJswClassInformation& GetModifyableClassInformation();

    static constexpr short kIdWritableLength = -127;

private:
    bool IsAllowed(const KxwDomNodeBase* mptNode) const;

    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM _eAllowedItemsSubtypeOrNone;
};
