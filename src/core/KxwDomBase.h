// The base of every object the library exposes as a DOM object: a user object of the script wrapper with an
// environment (memory manager and U16n handler), allocation on the virtual user's memory manager, the head of the
// watch-delete chain, and the few operations every DOM class shares.
#pragma once

#include <cstddef>
#include <string>

#include "KxwDomEnv.h"
#include "KxwJswUserObjBase.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomCommonEnums.h"

class KxwDomBase;
class KxwDomHtmlCollectionGeneral;
class KxwDomWatchDelete;
class KxwJsvalHeap;
class KxwMemMgr;
class KxwU16nHandler;

// What a walk over a subtree receives from each object (KxwDomBase::EnumerateSubtreeMembers).
class KxwDomSubtreeMemberSink {
public:
    // A user object the object holds that is not a tree member (its style, its attribute nodes): visited, not
    // descended into.
    virtual void AddUserObj(KxwJswUserObjBase* mptUserObj) = 0;
    // An engine value the object holds and traces itself (an event listener's function).
    virtual void AddHeldValue(KxwJsvalHeap& mrtValue) = 0;
    // A child in the tree: visited and descended into.
    virtual void AddChild(KxwDomBase* mptChild) = 0;

protected:
    ~KxwDomSubtreeMemberSink() = default;
};

class KxwDomBase : public KxwJswUserObjBase {
public:
    KxwDomBase(KxwMemMgr* mptMemMgr, KxwDomBase* mptParent);
    KxwDomBase(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler);
    // Lives on mrtDomEnv's memory manager and inherits its U16n handler.
    explicit KxwDomBase(KxwDomEnv& mrtDomEnv);
    ~KxwDomBase() override;

    // ---- Allocation ----
    // Every DOM object comes from the memory manager it is constructed with (the process heap when null), and
    // delete returns it to the manager it came from.
    static void* operator new(size_t mnSize, KxwMemMgr* mptMemMgr);
    static void* operator new(size_t mnSize, KxwDomEnv& mrtDomEnv);
    static void operator delete(void* mpvDeleted);
    static void operator delete(void* mpvDeleted, KxwMemMgr* mptMemMgr);
    static void operator delete(void* mpvDeleted, KxwDomEnv& mrtDomEnv);
    static void* operator new[](size_t) = delete;
    static void operator delete[](void*) = delete;
    // The allocator's trace lines, for classes that allocate by other means.
    static void LogNew(const void* mpvBlock, size_t mnSize, KxwMemMgr* mptMemMgr);
    static void LogNew(const void* mpvBlock, size_t mnSize, KxwDomEnv& mrtDomEnv);
    static void LogDelete(const void* mpvDeleted, KxwMemMgr* mptMemMgr);
    static void LogPlacementDelete(const void* mpvDeleted, KxwMemMgr* mptMemMgr);
    static void LogPlacementDelete(const void* mpvDeleted, KxwDomEnv& mrtDomEnv);

    // A block of the object's own memory manager, for buffers the object owns.
    void* Alloc(unsigned int mnSize);
    void Free(void* mpvBlock);

    // ---- The wrapper's operations this class answers ----
    // Objects without a memory manager belong to their engine object, which deletes them: such objects must come
    // from operator new, never from the stack or from inside another object. The others belong to their owners.
    bool GetShouldBeDeletedAtFinalize() override;
    bool GetPropValueAndType(short mnTinyId, void** mppvValue, unsigned* mpnLength,
                             KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType, KxwDomPropertyInfo& mrtHolder) override;
    bool GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue) override;
    // A script wrote a declared property; the value arrives converted by the property's type letter.
    bool SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue) override;
    // Undeclared names are named items (GetItem).
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    bool IsResolved(const char* mpszName) override;

    // ---- Operations every DOM class shares ----
    virtual KXW_DOM_HTML_READY_STATE_ENUM GetReadyStateRaw() const;
    virtual const KxwDomHtmlCollectionGeneral* GetDefaultCollection() const;
    // The named item mpszName (mbByIdentifier: looked up by its identifier), or null. Classes that answer named
    // items override it with the lookup of their default collection.
    virtual KxwDomBase* GetItem(const char* mpszName, bool mbByIdentifier);
    // One line per object of a hierarchy dump; every printable class overrides it.
    virtual void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulOptions) const;
    // The user objects and values this object holds and its children, for walks over a detached subtree. The
    // walk keeps its own stack, so this must name the children, never walk them.
    virtual void EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink);

    KxwDomEnv& GetDomEnv() { return _tDomEnv; }
    KxwMemMgr* GetMemMgr() { return _tDomEnv.GetMemMgr(); }
    KxwU16nHandler* GetU16nHandler() { return _tDomEnv.GetU16nHandler(); }
    void SetU16nHandler(KxwU16nHandler* mptU16nHandler) { _tDomEnv.SetU16nHandler(mptU16nHandler); }

    KXW_DOM_HTML_READY_STATE_ENUM GetReadyState() const { return ValidateReadyState(GetReadyStateRaw()); }
    // A valid state as it is; anything else is reported and read as "complete".
    KXW_DOM_HTML_READY_STATE_ENUM ValidateReadyState(KXW_DOM_HTML_READY_STATE_ENUM meReadyStateRaw) const;
    const char16_t* GetReadyStateU16nStr() const;
    unsigned GetReadyStateU16nLenInChars() const;
    static bool IsReadyStateValid(KXW_DOM_HTML_READY_STATE_ENUM meReadyState) {
        return xfbKxwDomIsReadyStateValid(meReadyState);
    }

    const KxwDomHtmlCollectionGeneral* GetDefaultCollection() {
        return static_cast<const KxwDomBase*>(this)->GetDefaultCollection();
    }
    KxwDomWatchDelete* GetLastWatchDelete() const { return _ptLastWatchDelete; }

    // The one report of a method or property that scripts may use and the library does not implement.
    void JavaScriptMissingSupport(const char* mpszUnsupportedMethod);
    // A script assigned a property that cannot be set on this element.
    void IssueInvalidSetPropertyMessage(const char* mpszPropertyName, const char* mpszTagName) const;

    // Indent of nested hierarchy-dump lines: two columns per level, at most 180.
    static int GetPrintingEffectiveIndent(int miIndent);
    // A text of the page as a hierarchy-dump line shows it: backslashes, quotes, control characters and bytes above
    // 0x7F C-style escaped, so that no line end or NUL of the page can start or end a line of its own, and cut at
    // mnMaxLen characters (the precision of the line's format), never inside an escape.
    static std::string GetPrintableText(const char* mpsfText, size_t mnLen, size_t mnMaxLen);

protected:
    // Tells the watchers that this object is going away; derived destructors may call it before they tear down.
    void NotifyDeleted();

private:
    friend class KxwDomWatchDelete;

    KxwDomEnv _tDomEnv;
    KxwDomWatchDelete* _ptLastWatchDelete = nullptr;
};

// For internal objects that must never get an engine object.
class KxwDomBaseWithoutJsw : public KxwDomBase {
public:
    KxwDomBaseWithoutJsw(KxwMemMgr* mptMemMgr, KxwDomBase* mptParent) : KxwDomBase(mptMemMgr, mptParent) {}
    explicit KxwDomBaseWithoutJsw(KxwDomEnv& mrtDomEnv) : KxwDomBase(mrtDomEnv) {}

    const KxwJswClassInformation* GetClassInformation() const override { return nullptr; }
    bool GetPropValueAndType(short mnTinyId, void** mppvValue, unsigned* mpnLength,
                             KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType, KxwDomPropertyInfo& mrtHolder) override;
};

// The root of the library's exception classes. Nothing is thrown across the library's interface; the class keeps
// the shape that code catching inside a component relies on.
class CKxBaseException {
public:
    CKxBaseException() = default;
    CKxBaseException(const CKxBaseException&) {}
    CKxBaseException& operator=(const CKxBaseException&) { return *this; }
    virtual ~CKxBaseException();

    virtual char* GetMessageText() = 0;
    char* operator*() { return GetMessageText(); }
};
