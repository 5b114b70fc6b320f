// A small scriptable hierarchy that lives only in the tests: a base with read-only and writable properties, a
// derived class continuing the ids, a container with named items and indexes, and a count of live objects so that
// tests see deletions.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwJswUserObjBase.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"

// Counts constructions and destructions of test objects on this thread.
struct KxwTestCounts {
    static int& Live() {
        thread_local int iLive = 0;
        return iLive;
    }
};

// A node-like object: a name (id 128, read-only), a value (id 129, "S"), a number (id 130, "i"), a flag (id 131,
// "b"), a child object (id 132, "o"). Owned by C++ unless marked as owned by its engine object.
class KxwTestBase : public KxwJswUserObjBase {
public:
    explicit KxwTestBase(std::string mdsName = "base", bool mbOwnedByJsiObj = false)
        : _dsName(std::move(mdsName)), _bOwnedByJsiObj(mbOwnedByJsiObj) {
        ++KxwTestCounts::Live();
    }
    ~KxwTestBase() override {
        --KxwTestCounts::Live();
        for (KxwTestBase* ptChild : _tChildren) delete ptChild;
    }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue) override;
    bool SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue) override;
    bool GetShouldBeDeletedAtFinalize() override { return _bOwnedByJsiObj; }
    // A detached root keeps every member's engine object; each member keeps the root's, whatever lies between.
    void TraceFromJsiObj(KxwJswTracer& mrtTracer) override {
        _tListener.Trace(mrtTracer, "listener");
        // A tree that C++ owns keeps its members' engine objects from the roots.
        if (!_bOwnedByJsiObj && !_bInDetachedTree) return;
        if (_ptParent) {
            KxwTestBase* ptRoot = _ptParent;
            while (ptRoot->_ptParent) ptRoot = ptRoot->_ptParent;
            mrtTracer.TraceUserObj(ptRoot, "subtree root");
        } else {
            TraceMembers(mrtTracer);
        }
    }
    void TraceMembers(KxwJswTracer& mrtTracer) {
        for (KxwTestBase* ptChild : _tChildren) {
            mrtTracer.TraceUserObj(ptChild, "subtree member");
            ptChild->TraceMembers(mrtTracer);
        }
    }
    KxwJswGlobal* GetJsiHomeGlobal() override { return _ptHomeGlobal; }
    // Members of a subtree that no tree owns keep their engine objects only through the root.
    bool GetShouldAddJSRoot() override { return !_bOwnedByJsiObj && !_bInDetachedTree; }

    void AddChild(KxwTestBase* mptChild) {
        mptChild->_ptParent = this;
        mptChild->_bInDetachedTree = _bOwnedByJsiObj || _bInDetachedTree;
        _tChildren.push_back(mptChild);
    }

    std::string _dsName;
    std::u16string _dsValue = u"initial";
    int32_t _iNumber = 0;
    bool _bFlag = false;
    KxwJswUserObjBase* _ptObject = nullptr;
    bool _bOwnedByJsiObj;
    bool _bInDetachedTree = false;
    KxwTestBase* _ptParent = nullptr;
    std::vector<KxwTestBase*> _tChildren;
    std::vector<std::string> _tCalls;
    KxwJsvalHeap _tListener;  // a held function, as an event listener is held
    KxwJswGlobal* _ptHomeGlobal = nullptr;
};

// Continues the base's ids: 133 "extra" ("S"), and methods with each signature letter.
class KxwTestDerived : public KxwTestBase {
public:
    using KxwTestBase::KxwTestBase;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue) override;
    bool SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue) override;
    std::u16string _dsExtra = u"extra";
};

// Answers named items and indexes from a map that the test changes.
class KxwTestContainer : public KxwTestBase {
public:
    using KxwTestBase::KxwTestBase;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool IsResolved(const char* mpszName) override { return _tItems.count(mpszName) > 0; }
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    bool GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    std::map<std::string, KxwJswUserObjBase*> _tItems;
    std::vector<KxwJswUserObjBase*> _tIndexed;
};

// A window: named items (its frames by name), a method, and its page's global bound to it by the test.
class KxwTestWindow : public KxwTestContainer {
public:
    using KxwTestContainer::KxwTestContainer;
    const KxwJswClassInformation* GetClassInformation() const override;
};

// Notes what an evaluation reported.
class KxwTestNotifier : public KxwJswScriptEvaluationNotifier {
public:
    void OnScriptError(const char* mpszMessage, const char*, unsigned muLine) override {
        _dsError = mpszMessage;
        _uLine = muLine;
    }
    void OnInterrupted() override { _bInterrupted = true; }
    std::string _dsError;
    unsigned _uLine = 0;
    bool _bInterrupted = false;
};
