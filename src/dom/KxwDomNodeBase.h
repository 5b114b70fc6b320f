// The base of every object that can stand in the node tree: its links to container and siblings, the cell through
// which it finds its owner document, its node value, the navigation that looks through place holders, the
// notification of ancestors, how a container lets go of it, and what its engine object keeps alive.
//
// Lifetime. A node with a parent belongs to its parent. A document belongs to whoever made it. A node without a
// parent that is parked on its document's disconnected-nodes list belongs to its engine object: the engine deletes
// it (and its subtree) after the collection that finds no engine object of the subtree reachable. Every member of
// such a detached subtree keeps the root's engine object alive and the root keeps every member's; nodes in a tree
// whose root is a document keep their own engine objects (expandos survive) for as long as they are in it.
#pragma once

#include <string>

#include "KxwDomBase.h"
#include "KxwDomHtmlProperty.h"

class KxwDomCoreDocument;
class KxwDomCoreElement;
class KxwDomHtmlDocument;
class KxwDomHtmlWindow;
class KxwDomHtmlTextsStr;
class KxwDomPropertyInfo;
class KxwDomCoreNode;
class KxwDomPlaceHolderNode;

class KxwDomNodeBase : public KxwDomBase {
public:
    // On mptMemMgr, in the environment of the owner document (a null document is reported; the node is still
    // built, without a document).
    KxwDomNodeBase(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr);
    // Objects without a document: the document itself.
    KxwDomNodeBase(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler);
    KxwDomNodeBase(KxwDomCoreDocument* mptOwnerDocument, KxwDomEnv& mrtDomEnv);
    ~KxwDomNodeBase() override;

    // ---- What the node is ----
    virtual KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const = 0;
    virtual KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetNodeSubtype() const = 0;
    // The node's name and its length in characters; the empty text for nodes that have none.
    virtual const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const;
    // The node itself; a place holder answers the node it stands for.
    virtual KxwDomNodeBase* GetRealNode();
    // The node as a node that can have children, or null.
    virtual KxwDomCoreNode* AsCoreNode();
    // The node as an element with attributes, an HTML document or a window, or null: virtual calls, not searches of
    // the type tree (which compare type names across the shared libraries).
    virtual KxwDomCoreElement* AsCoreElement() { return nullptr; }
    virtual KxwDomHtmlDocument* AsHtmlDocument() { return nullptr; }
    virtual KxwDomHtmlWindow* AsHtmlWindow() { return nullptr; }
    KxwDomNodeBase* DownCastToNodeBase() override { return this; }
    const KxwDomCoreNode* AsCoreNode() const { return const_cast<KxwDomNodeBase*>(this)->AsCoreNode(); }
    // Kept in a flag: every walk up the tree asks it of each container.
    bool IsPlaceHolder() const { return _bIsPlaceHolder; }
    // Kept in a flag: the collector asks it of nodes whose destructors are running.
    bool IsDocument() const { return _bIsDocument; }
    // Elements and comments (comments are elements for every purpose but their type).
    bool IsElementNode() const;
    // The display text of the node's subtype.
    const char* GetNodeTypeAsAscStr() const;
    // The node's id: one shared empty value for nodes that are not elements.
    virtual const KxwDomHtmlPropertyStr& GetId() const;
    // The node's name (the "name" property of the elements that have one): the shared empty value otherwise.
    virtual const KxwDomHtmlPropertyStr& GetName() const;

    // ---- Links as they are stored ----
    // The container: the parent, or for a split node its first place holder.
    KxwDomCoreNode* GetContainerNode() const { return _ptParentNode; }
    KxwDomNodeBase* GetPreviousSibling() const { return _ptPreviousSibling; }
    KxwDomNodeBase* GetNextSibling() const { return _ptNextSibling; }

    // ---- Navigation through place holders ----
    // True when the node is spread over place holders: its container is a place holder that stands for it.
    bool IsSplit() const;
    KxwDomPlaceHolderNode* GetFirstPlaceHolder() const;
    // The tree parent: a split node's parent is the parent of its first place holder.
    KxwDomCoreNode* GetParentNode() const;
    // The parent as scripts see it: a place holder parent gives the node it stands for.
    KxwDomCoreNode* GetDomParentNode() const;
    // The "parentNode" answer scripts get: the DOM parent, or null.
    void AssignDomParentNode(KxwDomPropertyInfo& mrtPropertyInfo) const;
    // The node that stands in the tree for this one: its first place holder when split, else itself.
    KxwDomNodeBase* GetTreeNode();
    virtual bool HasChildNodes() const;
    KxwDomNodeBase* GetDomFirstChild() const;
    KxwDomNodeBase* GetDomLastChild() const;
    KxwDomNodeBase* GetDomNextSibling() const;
    KxwDomNodeBase* GetDomPreviousSibling() const;
    // Strict: a node is not its own descendant. Place holders and split nodes count through their containers.
    bool IsDescendantOf(const KxwDomNodeBase* mptAncestor) const;
    // The top of the containers above this node (itself when it has none).
    KxwDomNodeBase* GetRoot() const;

    // ---- Document ----
    // The document read through the document-pointer cell; null for a node without one or while the document
    // deletes its whole tree (reported when mbReportIfNull is set).
    KxwDomCoreDocument* GetOwnerDocument(bool mbReportIfNull) const;
    KxwDomCoreDocument** GetOwnerDocumentPointer() const { return _pptOwnerDocument; }
    // The document the node belongs to: itself for a document, else its owner document.
    KxwDomCoreDocument* GetDocumentOfNode();

    // ---- Value ----
    KxwDomHtmlPropertyStr& GetNodeValue() { return _tNodeValue; }
    const KxwDomHtmlPropertyStr& GetNodeValue() const { return _tNodeValue; }
    void SetNodeValueDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetNodeValueU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetNodeValueParsed(const char* mpszParsedValue);

    // ---- Tree changes ----
    // Tells the ancestors, nearest first, NotifyThis, then from the root down NotifyThisAfterAncestors. The walk
    // stops where the node that started a level was deleted by a handler.
    void NotifyAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                         void* mpvNotificationObject);
    // How a container lets go of a child it has unlinked: a subtree that a script can still reach is parked on
    // the owner document's disconnected-nodes list, anything else is deleted at once.
    virtual void Release();
    bool IsDeletionDeferred() override;
    // Removes the node from its DOM parent (a core node then also deletes its children when asked).
    virtual void RemoveFromParent(bool mbDeleteChildren);
    // Script "removeNode": without mbRemoveChildren the children take the node's place in its parent, in order.
    // True when done (a node without parent has nothing to do).
    bool RemoveNode(bool mbRemoveChildren);
    // Collections that depend on this node drop what lies in a leaving subtree (mptTopOfSubHierarchy).
    virtual void UpdateCollectionDependency(KxwDomNodeBase* mptTopOfSubHierarchy);
    // Runs last when the node was added to a tree.
    virtual void OnAddedToTree();
    // Script "mergeAttributes": only elements have attributes to merge.
    virtual bool MergeAttributes(KxwDomNodeBase* mptSourceNode, bool mbPreserve);
    // A new, empty node of the same kind in the same document, for content that a split leaves without its
    // node; null when the class cannot make one.
    virtual KxwDomNodeBase* CloneForSplit();

    bool IsOnDisconnectedNodesList() const { return _bOnDisconnectedNodesList; }

    // ---- Markup and text ----
    // What the node writes into generated markup when a walk enters it: an element its start tag, a text node its
    // escaped text, a comment the whole comment. Nodes that have no markup report the call and write nothing.
    virtual void AddDataToInnerOuterHtml(KxwDomHtmlTextsStr& mrtText) const;
    // What the node adds to the inner text of a subtree it lies in; nothing by default.
    virtual void AddDataToInnerText(std::u16string& mrdsText) const { (void)mrdsText; }

    // ---- Hierarchy dump ----
    // The node's line, then each child's sub-hierarchy with the indent plus one, in the order of the stored child
    // lists (a place holder with the content under it); nothing when the severity filter refuses the level.
    void PrintMeAndSubHierarchy(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const;
    // The tag and the attribute text a dump line shows for the node (the name alone for nodes without attributes),
    // escaped and cut at the lengths the lines print.
    virtual void GetPrintingTagAndAttributes(std::string& mrdsTag, std::string& mrdsAttributes) const;
    static constexpr size_t kPrintedTagLen = 100;
    static constexpr size_t kPrintedAttributesLen = 3000;
    static constexpr size_t kPrintedTextLen = 3000;

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetShouldBeDeletedAtFinalize() override;
    bool GetShouldAddJSRoot() override;
    void TraceFromJsiObj(KxwJswTracer& mrtTracer) override;
    KxwJswUserObjBase* GetJswScopeParentUserObj() override;
    // The global of the window that shows the node's document.
    KxwJswGlobal* GetJsiHomeGlobal() override;
    // The class description, for derived descriptions to name as their parent.
    static const KxwJswClassInformation& GetNodeBaseClassInformation();

protected:
    // Called after the node value was set (attributes mirror it into their element).
    virtual void OnNodeValueChanged();
    // Whether any member of the subtree has an engine object or is protected: a script may still reach it.
    bool IsSubtreeReachableFromScripts();
    // The notification walk from mptFirst's tree parent upwards; mptWatchedSubject, when given, is watched too.
    static void NotifyAncestorsFrom(KxwDomNodeBase* mptFirst, KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                    void* mpvNotificationSubject, void* mpvNotificationObject,
                                    KxwDomBase* mptWatchedSubject);

private:
    friend class KxwDomCoreNode;
    friend class KxwDomCoreDocument;
    friend class KxwDomPlaceHolderNode;

    void ReportNullOwnerDocument(KxwMemMgr* mptMemMgr) const;
    // Deleted while still linked: every container above forgets this node and the subtree under mptThisAsCore
    // (null for a node without children), walking the links only.
    void ForgetInAncestors(KxwDomCoreNode* mptThisAsCore);

    KxwDomCoreNode* _ptParentNode = nullptr;
    KxwDomNodeBase* _ptPreviousSibling = nullptr;
    KxwDomNodeBase* _ptNextSibling = nullptr;
    KxwDomCoreDocument** _pptOwnerDocument = nullptr;
    KxwDomHtmlPropertyStr _tNodeValue;
    // Set while a record of the owner document's disconnected-nodes list stands for this node.
    bool _bOnDisconnectedNodesList = false;
    // Set when the node left the tree while a parse into its document was under way.
    bool _bLeftTreeDuringParse = false;
    bool _bIsDocument = false;
    bool _bIsPlaceHolder = false;
};
