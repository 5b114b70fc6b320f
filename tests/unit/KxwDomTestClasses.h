// A small scriptable hierarchy of DOM objects that lives only in the tests, and the fixture that gives each test a
// script engine of its own.
//
// "testnode" (ids 128..131: name read-only, title "S", count "i", secret "S" that no class handles; methods
// describe, missing, dispose) <- "testelement" (named items; ids 132..135: tagName, hidden "b", readyState,
// filters) <- "testleaf" (ids 136..138: leafText "S", nothing, child "o").
//
// Nodes form trees. A node without a parent and without a memory manager belongs to its engine object and, with its
// subtree, stands for a subtree removed from a document: its members keep the root's engine object alive and the
// root keeps theirs, through the disconnected-subtree walk.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "KxwDomBase.h"
#include "KxwDomHtmlProperty.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"

class KxwTestDomNode : public KxwDomBase {
public:
    KxwTestDomNode(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler);
    explicit KxwTestDomNode(KxwDomEnv& mrtDomEnv);
    ~KxwTestDomNode() override;

    // Objects of this thread's test classes that are alive.
    static int& Live();

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // A member of a subtree is owned by its parent, whatever its memory manager.
    bool GetShouldBeDeletedAtFinalize() override;
    bool GetShouldAddJSRoot() override;
    void TraceFromJsiObj(KxwJswTracer& mrtTracer) override;
    void EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) override;

    // Appends a node that has no children yet; the node now belongs to this one.
    void AppendChild(KxwTestDomNode* mptChild);
    KxwTestDomNode* GetParent() const { return _ptParent; }
    const std::vector<KxwTestDomNode*>& GetChildren() const { return _tChildren; }

    KxwDomHtmlPropertyStr _tName;
    KxwDomHtmlPropertyStr _tTitle;
    KxwDomHtmlPropertyNumLong _tCount;
    // A user object held besides the children (a style object, say) and a listener's function.
    KxwJswUserObjBase* _ptHeldUserObj = nullptr;
    KxwJsvalHeap _tHeldValue;
    bool _bHasHeldValue = false;
    // What dispose() deletes.
    KxwDomBase* _ptDisposable = nullptr;

private:
    KxwTestDomNode* _ptParent = nullptr;
    KxwTestDomNode* _ptRoot = nullptr;  // the subtree's root, for members
    std::vector<KxwTestDomNode*> _tChildren;
};

class KxwTestDomElement : public KxwTestDomNode {
public:
    using KxwTestDomNode::KxwTestDomNode;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    KXW_DOM_HTML_READY_STATE_ENUM GetReadyStateRaw() const override { return _eReadyStateRaw; }
    KxwDomBase* GetItem(const char* mpszName, bool mbByIdentifier) override;

    KxwDomHtmlPropertyBool _tHidden;
    KXW_DOM_HTML_READY_STATE_ENUM _eReadyStateRaw = KXW_DOM_HTML_READY_STATE_COMPLETE;
    std::map<std::string, KxwDomBase*> _tNamedItems;
};

class KxwTestDomLeaf : public KxwTestDomElement {
public:
    KxwTestDomLeaf(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler)
        : KxwTestDomElement(mptMemMgr, mptU16nHandler), _tLeafText(GetDomEnv()) {}
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    KxwDomHtmlPropertyStr _tLeafText;
    KxwJswUserObjBase* _ptChildObj = nullptr;
};

// Notes what an evaluation reported.
class KxwTestScriptNotifier : public KxwJswScriptEvaluationNotifier {
public:
    void OnScriptError(const char* mpszMessage, const char*, unsigned) override { _dsError = mpszMessage; }
    std::string _dsError;
};

// Each test gets the engine of its thread and a script interface on it, deleted afterwards; every test object
// must be gone by then.
class KxwDomScriptTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual KxwJswEngineOptions EngineOptions() const { return KxwJswEngineOptions(); }

    // The completion value as String() gives it, or "ERROR: message" when the script failed.
    std::string Eval(const std::string& mdsScript);
    void SetGlobal(const char* mpszName, KxwJswUserObjBase* mptUserObj);
    // What the global's "document" shows (its accessor cannot be replaced by a plain property).
    void SetGlobalDocument(KxwJswUserObjBase* mptDocument);

    // Owns the main global for the test and shows the document given.
    class DocumentOwner : public KxwJswGlobalOwner {
    public:
        KxwJswUserObjBase* GetGlobalDocument() override { return _ptDocument; }
        KxwJswUserObjBase* _ptDocument = nullptr;
    };

    KxwJswEngine* _ptEngine = nullptr;
    KxwHswApi* _ptApi = nullptr;
    DocumentOwner _tDocumentOwner;
};

// Turns the trace switches on and writes the trace to a file of its own while it lives; Text() reads it back.
class KxwTestTraceCapture {
public:
    explicit KxwTestTraceCapture(bool mbDetailed = true);
    ~KxwTestTraceCapture();
    KxwTestTraceCapture(const KxwTestTraceCapture&) = delete;
    KxwTestTraceCapture& operator=(const KxwTestTraceCapture&) = delete;
    std::string Text() const;

private:
    std::string _dsPath;
    bool _bPrevTrace;
    bool _bPrevDetailed;
};

// printf of a pointer as the library's traces print it.
std::string KxwTestPtrText(const void* mpvPtr);
