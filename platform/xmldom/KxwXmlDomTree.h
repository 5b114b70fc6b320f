// One libxml2 document and every node made for it: the tree, and the nodes a script holds outside it (made and not
// inserted yet, or removed). The tree lives while a document object or a node object needs it (a document that
// loads again starts a new tree; node objects of the old one keep theirs). Nothing is freed while it lives except
// subtrees no object can reach, so a node object never points at freed memory.
//
// Changes go through these methods only: libxml2's own insertion merges adjacent texts and replaces attributes of
// the same name, freeing nodes that objects may hold.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <unordered_set>

class KxwXmlDomTree {
public:
    // Takes over the document.
    explicit KxwXmlDomTree(xmlDoc* mptDoc);
    ~KxwXmlDomTree();
    KxwXmlDomTree(const KxwXmlDomTree&) = delete;
    KxwXmlDomTree& operator=(const KxwXmlDomTree&) = delete;

    xmlDoc* GetDoc() const { return _ptDoc; }
    xmlNode* GetDocNode() const { return reinterpret_cast<xmlNode*>(_ptDoc); }
    // Counts changes, so that live lists know when to look again.
    uint64_t GetVersion() const { return _uVersion; }
    void Touch() { ++_uVersion; }

    // A node made for this tree and not inserted yet: kept until it is inserted or the tree goes.
    void AdoptDetached(xmlNode* mptNode);
    // Moves the node (of this tree) before mptBefore among mptParent's children, or to their end.
    void Insert(xmlNode* mptParent, xmlNode* mptChild, xmlNode* mptBefore);
    // Adds the attribute (of this tree, not on an element) at the end of the element's attributes.
    void InsertAttribute(xmlNode* mptElement, xmlAttr* mptAttr);
    // Takes the node out of its parent (child or attribute); it stays until the tree goes.
    void Remove(xmlNode* mptNode);
    // As Remove, and frees the subtree at once when no object holds a node of it.
    void Discard(xmlNode* mptNode);
    // Replaces the node's children by one text (an element's or attribute's text, an attribute's value).
    void SetText(xmlNode* mptNode, const xmlChar* mpszText);

    // Whether no node object refers into the subtree and nothing outside it can refer to its namespaces.
    static bool IsUnreferenced(xmlNode* mptRoot);
    // Clears what copies may carry over of node objects (libxslt and copies must not point at our objects).
    static void ClearObjects(xmlNode* mptRoot);

private:
    xmlDoc* _ptDoc;
    std::unordered_set<xmlNode*> _tDetached;
    uint64_t _uVersion = 0;
};
