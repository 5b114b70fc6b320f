// Node classes that live only in the tests, until the real elements exist, and the fixture of the node-tree tests.
//
// "testnodeelement" (parent "eventtarget"; ids 217 tagName, 218 parentNode): an element with a tag. A recording
// element logs the notifications it receives and can run a test's action from inside them. A recording set of
// collection operations stands in for the collection classes and logs what the node algorithms ask of them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "KxwDomCoreDocument.h"
#include "KxwDomCoreDocumentFragment.h"
#include "KxwDomCoreElement.h"
#include "KxwDomCoreTextNode.h"
#include "KxwDomEventTarget.h"
#include "KxwDomNodeCollections.h"
#include "KxwDomPlaceHolderNode.h"
#include "KxwDomTestClasses.h"
#include "KxwMemMgr.h"

class KxwTestNodeElement : public KxwDomEventTarget {
public:
    KxwTestNodeElement(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr, const std::string& mdsTag);
    ~KxwTestNodeElement() override;

    // Elements of this thread's test classes that are alive.
    static int& Live();

    KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const override { return KXW_DOM_COMMON_NODE_TYPE_ELEMENT; }
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetNodeSubtype() const override {
        return KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT;
    }
    const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const override;
    KxwDomNodeBase* CloneForSplit() override;
    // Runs the test's action first (a release that deletes another node, say).
    void Release() override;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    const std::string& GetTag() const { return _dsTag; }
    std::function<void()> _tOnRelease;

private:
    std::string _dsTag;
    std::u16string _dsTagU16;
};

// "testattrelement" (parent "coreelement"): an element with the DOM properties that attribute reflection is tested
// with: style (222, read-only; the parsed text is kept), id (223), name (224), href (225).
class KxwTestAttrElement : public KxwDomCoreElement {
public:
    KxwTestAttrElement(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr);

    const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    KxwDomHtmlPropertyStr _tStyle;
    KxwDomHtmlPropertyStr _tId;
    KxwDomHtmlPropertyStr _tName;
    KxwDomHtmlPropertyStr _tHref;
};

// What a recording element heard, in order: "This <tag> <type> <subject>" and "After <tag> <type> <subject>", the
// subject named by its tag (a text node by its text).
class KxwTestNotificationLog {
public:
    static std::vector<std::string>& Lines();
    static std::string Name(const void* mpvNode);
};

class KxwTestRecordingElement : public KxwTestNodeElement {
public:
    KxwTestRecordingElement(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr, const std::string& mdsTag)
        : KxwTestNodeElement(mptOwnerDocument, mptMemMgr, mdsTag) {
        SetWantsEveryNotification();
    }
    void NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                    void* mpvNotificationObject) override;
    void NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                  void* mpvNotificationObject) override;

    // Runs inside NotifyThis, after the line was logged.
    std::function<void(KXW_DOM_COMMON_NOTIFICATION_ENUM, KxwDomNodeBase*)> _tOnNotifyThis;
    // Whether the subject of each removal was still linked when this element heard of it.
    std::vector<bool> _tRemovedSubjectStillLinked;
};

// Stands in for the collection classes: hands out opaque tokens and logs every call as "<operation> <collection>
// <node>", collections named "<owner tag>.all" / ".children" / ".childNodes".
class KxwTestRecordingCollections : public KxwDomNodeCollections {
public:
    KxwTestRecordingCollections();
    ~KxwTestRecordingCollections() override;

    KxwDomHtmlCollectionOrdered* CreateAll(KxwDomCoreNode& mrtOwnerNode) override;
    KxwDomHtmlCollectionGeneral* CreateChildren(KxwDomCoreNode& mrtOwnerNode) override;
    KxwDomHtmlCollectionGeneral* CreateChildNodes(KxwDomCoreNode& mrtOwnerNode) override;
    void Delete(KxwDomHtmlCollectionOrdered* mptCollection) override;
    void Delete(KxwDomHtmlCollectionGeneral* mptCollection) override;
    void Update(KxwDomHtmlCollectionOrdered* mptCollection, KXW_DOM_COMMON_NOTIFICATION_ENUM meType,
                KxwDomNodeBase* mptNode, void* mpvExtra) override;
    void Update(KxwDomHtmlCollectionGeneral* mptCollection, KXW_DOM_COMMON_NOTIFICATION_ENUM meType,
                KxwDomNodeBase* mptNode, void* mpvExtra) override;
    void AddItem(KxwDomHtmlCollectionOrdered* mptCollection, KxwDomNodeBase* mptElement) override;
    void AddItem(KxwDomHtmlCollectionGeneral* mptCollection, KxwDomNodeBase* mptElement) override;
    void RemoveDescendantsOf(KxwDomHtmlCollectionOrdered* mptCollection, const KxwDomNodeBase* mptNode) override;
    void Reset(KxwDomHtmlCollectionOrdered* mptCollection) override;
    void Reset(KxwDomHtmlCollectionGeneral* mptCollection) override;
    void Rebuild(KxwDomHtmlCollectionGeneral* mptCollection, KxwDomCoreNode& mrtOwnerNode) override;
    KxwDomHtmlCollectionGeneral* GetTags(KxwDomHtmlCollectionOrdered* mptAll, const char16_t* mpwsfTagName,
                                         unsigned muTagNameLenInChars) override;

    std::vector<std::string> _tCalls;
    int _iLive = 0;

private:
    // A token is a heap string holding the collection's name.
    void* NewToken(KxwDomCoreNode& mrtOwnerNode, const char* mpszKind);
    static const std::string& NameOf(const void* mpvToken);
    void Log(const std::string& mdsOperation, const void* mpvToken, const void* mpvNode);
};

// Each test gets an engine (KxwDomScriptTest), a memory manager and a document on it. Every node must be gone and
// every block returned by the end.
class KxwDomNodeTest : public KxwDomScriptTest {
protected:
    void SetUp() override;
    void TearDown() override;

    KxwTestNodeElement* NewElement(const std::string& mdsTag, KxwDomCoreDocument* mptDocument = nullptr);
    KxwTestRecordingElement* NewRecordingElement(const std::string& mdsTag);
    KxwDomCoreTextNode* NewText(const std::u16string& mdsText, KxwDomCoreDocument* mptDocument = nullptr);
    KxwDomCoreDocumentFragment* NewFragment();
    // The tags (texts for text nodes) of the DOM children of mptNode, joined with ",".
    static std::string ChildTags(const KxwDomNodeBase* mptNode);

    KxwMemBlkMgr _tBlkMgr;
    KxwMemMgrGeneric* _ptMemMgr = nullptr;
    KxwDomCoreDocument* _ptDocument = nullptr;
};
