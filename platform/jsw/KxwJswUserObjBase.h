// The base of every scriptable object. The wrapper makes its engine object on first need and keeps the two
// together: while the C++ object lives, the same engine object stands for it (identity), and scripts reach its
// properties and methods through its class description.
//
// Lifetime. An object is owned either by C++ (a tree, the object manager) or by its engine object
// (GetShouldBeDeletedAtFinalize). A C++-owned object whose GetShouldAddJSRoot is true keeps its engine object alive,
// expandos included. An engine-owned object is deleted after the collection that finds its engine object dead, never
// while a script of the virtual user runs. When C++ deletes an object first, its engine object is cut from it and
// later script access gives undefined, never a dangling pointer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kxw/KxwExport.h"
#include "kxw/KxwJswTypes.h"

class KxwDomNodeBase;
class KxwJswEngine;

// What a user object traces: other user objects' engine objects and values it holds.
class KXW_API KxwJswTracer {
public:
    explicit KxwJswTracer(JSTracer* mptTracer) : _ptTracer(mptTracer) {}
    void TraceUserObj(KxwJswUserObjBase* mptUserObj, const char* mpszName);
    JSTracer* GetEngineTracer() const { return _ptTracer; }

private:
    JSTracer* _ptTracer;
};

class KXW_API KxwJswUserObjBase {
public:
    KxwJswUserObjBase();
    virtual ~KxwJswUserObjBase();
    KxwJswUserObjBase(const KxwJswUserObjBase&) = delete;
    KxwJswUserObjBase& operator=(const KxwJswUserObjBase&) = delete;

    // ---- The wrapper's operations, in their traditional order ----
    // Binds or unbinds the engine object; null cuts the binding (the engine object forgets this object).
    virtual void SetJsiObj(JSObject* mptJsiObj);
    // True when the engine object owns this object: it is deleted after its engine object dies.
    virtual bool GetShouldBeDeletedAtFinalize();
    // True when this C++-owned object keeps its engine object alive (expandos and identity survive collections).
    virtual bool GetShouldAddJSRoot();
    // The object that stands in for this one in scripts once it is deleted (documents and windows).
    virtual KxwJswUserObjBase* GetReplacingJswObjectWhenDeleted();
    virtual const KxwJswClassInformation* GetClassInformation() const = 0;
    // A declared property's value as a triple. The triple may point into mrtHolder (texts, engine values), which
    // keeps what it points at (engine values rooted) for as long as the caller keeps the holder.
    virtual bool GetPropValueAndType(short mnTinyId, void** mppvValue, unsigned* mpnLength,
                                     KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType, KxwDomPropertyInfo& mrtHolder);
    // A declared property's value. False leaves the value undefined.
    virtual bool GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue);
    virtual bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo);
    // An undeclared name (a named item); false when there is none.
    virtual bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                   KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType);
    // An index (collections); false when there is none.
    virtual bool GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                                KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType);
    virtual bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo);
    virtual bool SetIndexProperty(int32_t mnIndex, void* mpvValue, unsigned mnLength, KXW_JSW_OBJ_PROP_TYPE_ENUM meType);
    // Whether an index written by a script goes to SetIndexProperty (a list's options) instead of becoming an
    // expando.
    virtual bool TakesIndexWrites() const { return false; }
    // A script wrote a named item (a name IsResolved took): true when the object took the value itself, so the
    // item stays an accessor; false (the default) replaces the item with a plain property of the value.
    virtual bool SetNamedItem(const char* mpszName, const KxwJsval& mrtValue) {
        (void)mpszName, (void)mrtValue;
        return false;
    }
    virtual bool SetStringProperty(const char* mpszName, void* mpvValue, unsigned mnLength,
                                   KXW_JSW_OBJ_PROP_TYPE_ENUM meType);
    virtual bool AddArrayElement(long mliIndex, void* mpvValue, unsigned mnLength, KXW_JSW_OBJ_PROP_TYPE_ENUM& mreType);
    // The object whose engine object is this one's scope parent (nodes: their parent).
    virtual KxwJswUserObjBase* GetJswScopeParentUserObj();
    virtual void* GetSiteForActiveX();
    virtual KxwJswAutomationObject* GetAutomationObject();
    virtual bool IsJswScopeParent() const;
    virtual bool ResolveProperty(const char16_t* mpwsfName, unsigned mnLen);
    virtual bool DumpAttributesToJsiObj();
    // A script added an undeclared property (an expando) with that name and value.
    virtual void AddProperty(const KxwJsval& mrtName, KxwJsval& mrtValue, unsigned char mucFlags);
    // Whether an undeclared name is answered by GetPropertyByName.
    virtual bool IsResolved(const char* mpszName);
    // What for...in lists of a class with named items besides its own properties: the indexes 0 to the count
    // (exclusive) and the names given (UTF-8). Nothing by default.
    virtual void GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>& mrtNames);
    virtual JSObject* GetJsiVarObj();
    // The object itself was called as a function (callable classes).
    virtual bool InvokeMethod(KxwJswCallArgs& mrtArgs);
    virtual KxwDomHtmlElement* DownCastToElement();
    virtual KxwDomEventTarget* DownCastToEventTarget();
    virtual KxwDomNodeBase* DownCastToNodeBase();

    // ---- Additions for the engine's tracing collector ----
    // A script wrote a declared property: mrtValue is already converted by the property's type letter.
    virtual bool SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue);
    // Edges from this object's engine object: user objects that must live while it lives (a detached subtree's
    // members and root), and held values (listeners).
    virtual void TraceFromJsiObj(KxwJswTracer& mrtTracer);
    // An engine-owned object whose engine object died, asked before it is deleted: true keeps it queued until the
    // next point where deletions are made (a node that a parser may still build into).
    virtual bool IsDeletionDeferred() { return false; }
    // The global whose realm and prototypes the engine object belongs to (a node's window); null: the global
    // whose realm is entered when the engine object is made.
    virtual KxwJswGlobal* GetJsiHomeGlobal();

    // ---- Non-virtual members ----
    // Makes the engine object now; false when there is no engine on this thread or the class is not scriptable.
    bool CreateJsiObj();
    // The engine object, made on first need (null on failure).
    JSObject* GetJsiObj();
    // The engine object if it exists, without making one.
    JSObject* PeekJsiObj() const;
    bool HasJsiObj() const { return PeekJsiObj() != nullptr; }
    // Re-evaluates ownership and scope after the object moved (a node appended or removed).
    bool UpdateScopeParent();
    // Makes a name the class does not declare a named item of the engine object now (reads ask GetPropertyByName,
    // writes SetNamedItem), for names that come to an object of a class without named items; false when the name
    // is declared or there is no engine object.
    bool ExposeNamedItem(const char* mpszName);
    // Keeps the engine object alive while a download for the object runs.
    bool SetTempProtectFromGC(bool mbProtect);
    bool IsTempProtectedFromGC() const { return (_ucJswFlags & kFlagTempProtected) != 0; }
    bool GetPropertyInfo(const char* mpszName, short* mpnTinyId, unsigned short* mpuFlags, char* mpcTypeLetter,
                         bool mbSearchParents = true) const;
    // Reports a catalogued script error with the current script's line number.
    void ReportErrorWithJavaScriptLineNumber(bool mbWarning, int miMsgId, ...) const;
    static KxwDomHtmlElement* ConvertToElement(KxwJswUserObjBase* mptUserObj) {
        return mptUserObj ? mptUserObj->DownCastToElement() : nullptr;
    }
    static KxwDomEventTarget* ConvertToEventTarget(KxwJswUserObjBase* mptUserObj) {
        return mptUserObj ? mptUserObj->DownCastToEventTarget() : nullptr;
    }
    // Every tree method asks it of its object and its arguments: a virtual call, not a search of the type tree.
    static KxwDomNodeBase* ConvertToNodeBase(KxwJswUserObjBase* mptUserObj) {
        return mptUserObj ? mptUserObj->DownCastToNodeBase() : nullptr;
    }
    // The object whose script is running and the scope object of the current evaluation, or null.
    KxwJswUserObjBase* GetUserScriptInitiator() const;
    KxwJswUserObjBase* GetUserScopeObj();
    // Deletes an expando of that name from the engine object and its prototypes' chain.
    bool DeletePropertyFromAncestors(const char* mpszName);

    // The user object of an engine object of one of the wrapper's classes, or null.
    static KxwJswUserObjBase* FromJsiObj(JSObject* mptJsiObj);

private:
    friend class KxwJswEngine;
    friend class KxwJswEngineCallbacks;
    friend class KxwJswTracer;
    static constexpr unsigned char kFlagRegistered = 0x1;
    static constexpr unsigned char kFlagTempProtected = 0x8;
    static constexpr unsigned char kFlagPendingDelete = 0x10;

    alignas(8) unsigned char _acJsiObj[8];  // the engine object's weak, moving-aware handle
    uint32_t _uRegistryIndex = 0;           // place in the engine's registry while registered
    unsigned char _ucJswFlags = 0;
};
