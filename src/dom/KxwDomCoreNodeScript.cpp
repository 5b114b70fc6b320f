// Script class "corenode": the property "all" and the tree methods of nodes that can have children.
#include "KxwDomBindingUtil.h"
#include "KxwDomCoreDocument.h"
#include "KxwDomCoreNode.h"
#include "KxwDomNodeCollections.h"
#include "KxwDomPropertyInfo.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "kxw/KxwDomUtil.h"

namespace {

constexpr short kIdAll = -119;  // 137

KxwDomCoreNode* AsCoreNode(KxwJswUserObjBase* mptUserObj) {
    KxwDomNodeBase* ptNode = KxwJswUserObjBase::ConvertToNodeBase(mptUserObj);
    return ptNode ? ptNode->AsCoreNode() : nullptr;
}

// The checks every method of the class makes: a core node, out-pointers for the result, and at least
// muRequiredArgc arguments, each of the first muNodeArgc of them a node (muOptionalNodeArgc more may be null).
class KxwDomCoreNodeCall {
public:
    KxwDomCoreNodeCall(const char* mpszCallbackName, const char* mpszMethodName, KxwJswUserObjBase* mptUserObj,
                       unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType,
                       void** mppvRetVal, unsigned* mpnRetValLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType)
        : _pszCallbackName(mpszCallbackName),
          _pszMethodName(mpszMethodName),
          _ptUserObj(mptUserObj),
          _nArgc(mnArgc),
          _papvArgv(mpapvArgv),
          _panArgvLen(mpanArgvLen),
          _paeType(mpaeType),
          _ppvRetVal(mppvRetVal),
          _pnRetValLen(mpnRetValLen),
          _peRetValType(mpeRetValType),
          _ptThis(AsCoreNode(mptUserObj)) {}

    // Reports a malformed call (the shared invalid-arguments report) and answers false.
    bool Check(unsigned muRequiredNodes, unsigned muOptionalNodes) {
        bool bOK = _ptThis && _ppvRetVal && _pnRetValLen && _peRetValType && _nArgc >= muRequiredNodes &&
                   (_nArgc == 0 || (_papvArgv && _paeType));
        for (unsigned n = 0; bOK && n < muRequiredNodes + muOptionalNodes && n < _nArgc; ++n) {
            bool bNode = _paeType[n] == KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT && Node(n);
            bool bNull = _paeType[n] == KXW_JSW_OBJ_PROP_TYPE_NULL || _paeType[n] == KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
            bOK = bNode || (n >= muRequiredNodes && bNull);
        }
        return bOK || Invalid();
    }
    bool Invalid() {
        xfvKxwDomUtilInvalidJswMethodCallbackArgs(_pszCallbackName, _ptThis, _ptUserObj, _nArgc, _papvArgv, _panArgvLen,
                                                  _paeType, _ppvRetVal, _pnRetValLen, _peRetValType);
        return false;
    }

    KxwDomCoreNode* This() const { return _ptThis; }
    // Argument muIndex as a node; null for null, a missing argument or anything that is not a node.
    KxwDomNodeBase* Node(unsigned muIndex) const {
        if (muIndex >= _nArgc || _paeType[muIndex] != KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT) return nullptr;
        return KxwJswUserObjBase::ConvertToNodeBase(static_cast<KxwJswUserObjBase*>(_papvArgv[muIndex]));
    }
    // Nodes of one document may be moved among each other only.
    bool SameDocument(KxwDomNodeBase* mptNode) const {
        KxwDomCoreDocument* ptDocument = _ptThis->GetDocumentOfNode();
        return ptDocument && mptNode && mptNode->GetDocumentOfNode() == ptDocument;
    }

    bool Succeed(KxwJswUserObjBase* mptResult) {
        if (!mptResult) {
            *_ppvRetVal = nullptr;
            *_pnRetValLen = 0;
            *_peRetValType = KXW_JSW_OBJ_PROP_TYPE_NULL;
            return true;
        }
        *_ppvRetVal = mptResult;
        *_pnRetValLen = KXW_JSW_DOM_OBJECT_LEN;
        *_peRetValType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
        return true;
    }
    // The operation failed: a script error naming the callback and the method, and a failed call.
    bool Fail() {
        xfvKxwDomUtilReportCatalogedMessage(xfeKxwUtilJavaScriptErrorSevLvl(), -35956, _pszCallbackName, __LINE__,
                                            _pszMethodName);
        *_ppvRetVal = nullptr;
        *_pnRetValLen = 0;
        *_peRetValType = KXW_JSW_OBJ_PROP_TYPE_NULL;
        return false;
    }
    // A string argument as the wrapper converted it.
    const char16_t* Text(unsigned muIndex, unsigned* mpuLen) const {
        if (muIndex >= _nArgc || _paeType[muIndex] != KXW_JSW_OBJ_PROP_TYPE_STRING) return nullptr;
        *mpuLen = _panArgvLen ? _panArgvLen[muIndex] : 0;
        return static_cast<const char16_t*>(_papvArgv[muIndex]);
    }

private:
    const char* _pszCallbackName;
    const char* _pszMethodName;
    KxwJswUserObjBase* _ptUserObj;
    unsigned _nArgc;
    void** _papvArgv;
    unsigned* _panArgvLen;
    KXW_JSW_OBJ_PROP_TYPE_ENUM* _paeType;
    void** _ppvRetVal;
    unsigned* _pnRetValLen;
    KXW_JSW_OBJ_PROP_TYPE_ENUM* _peRetValType;
    KxwDomCoreNode* _ptThis;
};

#define KXW_DOM_CORE_NODE_CALL(callback, method)                                                                 \
    KxwDomCoreNodeCall tCall(callback, method, mptUserObj, mnArgc, mpapvArgv, mpanArgvLen, mpaeType, mppvRetVal, \
                             mpnRetValLen, mpeRetValType)

bool appendChild_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    KXW_DOM_CORE_NODE_CALL("KxwDomCoreNode::appendChild_callback", "appendChild");
    if (!tCall.Check(1, 0)) return false;
    KxwDomNodeBase* ptNewChild = tCall.Node(0);
    if (!tCall.SameDocument(ptNewChild)) return tCall.Fail();
    KxwDomNodeBase* ptResult = tCall.This()->AppendChild(ptNewChild);
    return ptResult ? tCall.Succeed(ptResult) : tCall.Fail();
}

bool insertBefore_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    KXW_DOM_CORE_NODE_CALL("KxwDomCoreNode::insertBefore_callback", "insertBefore");
    if (!tCall.Check(1, 1)) return false;
    KxwDomNodeBase* ptNewChild = tCall.Node(0);
    if (!tCall.SameDocument(ptNewChild)) return tCall.Fail();
    KxwDomNodeBase* ptResult = tCall.This()->InsertBefore(ptNewChild, tCall.Node(1));
    return ptResult ? tCall.Succeed(ptResult) : tCall.Fail();
}

bool replaceChild_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    KXW_DOM_CORE_NODE_CALL("KxwDomCoreNode::replaceChild_callback", "replaceChild");
    if (!tCall.Check(2, 0)) return false;
    KxwDomNodeBase* ptNewChild = tCall.Node(0);
    if (!tCall.SameDocument(ptNewChild)) return tCall.Fail();
    KxwDomNodeBase* ptResult = tCall.This()->ReplaceChild(ptNewChild, tCall.Node(1), true);
    return ptResult ? tCall.Succeed(ptResult) : tCall.Fail();
}

bool removeChild_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    KXW_DOM_CORE_NODE_CALL("KxwDomCoreNode::removeChild_callback", "removeChild");
    if (!tCall.Check(1, 0)) return false;
    KxwDomNodeBase* ptResult = tCall.This()->RemoveChild(tCall.Node(0));
    return ptResult ? tCall.Succeed(ptResult) : tCall.Fail();
}

bool replaceNode_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv, unsigned* mpanArgvLen,
                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal, unsigned* mpnRetValLen,
                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    KXW_DOM_CORE_NODE_CALL("KxwDomCoreNode::replaceNode_callback", "replaceNode");
    if (!tCall.Check(1, 0)) return false;
    KxwDomCoreNode* ptThis = tCall.This();
    KxwDomNodeBase* ptNewNode = tCall.Node(0);
    KxwDomCoreNode* ptParent = ptThis->GetDomParentNode();
    if (!ptParent || !tCall.SameDocument(ptNewNode)) return tCall.Fail();
    KxwDomWatchDelete tWatchThis("KxwDomCoreNode::replaceNode_callback", ptThis);
    if (!ptParent->ReplaceChild(ptNewNode, ptThis, true)) return tCall.Fail();
    return tCall.Succeed(tWatchThis.HasBeenDeleted() ? nullptr : ptThis);
}

bool getElementsByTagName_callback(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv,
                                   unsigned* mpanArgvLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal,
                                   unsigned* mpnRetValLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType) {
    KXW_DOM_CORE_NODE_CALL("KxwDomCoreNode::getElementsByTagName_callback", "getElementsByTagName");
    if (!tCall.Check(0, 0)) return false;
    unsigned uLen = 0;
    const char16_t* pwsfTagName = tCall.Text(0, &uLen);
    if (!pwsfTagName) return tCall.Invalid();
    KxwDomHtmlCollectionGeneral* ptTags = tCall.This()->GetElementsByTagName(pwsfTagName, uLen);
    return tCall.Succeed(ptTags ? KxwDomNodeCollections::Current().ToUserObj(ptTags) : nullptr);
}

#undef KXW_DOM_CORE_NODE_CALL

const KxwJswPropertySpec katCoreNodeProperties[] = {
    {"all", 137, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katCoreNodeMethods[] = {
    {"appendChild", appendChild_callback, "o", 1},
    {"insertBefore", insertBefore_callback, "oo", 2},
    {"replaceChild", replaceChild_callback, "oo", 2},
    {"removeChild", removeChild_callback, "o", 1},
    {"replaceNode", replaceNode_callback, "o", 1},
    {"getElementsByTagName", getElementsByTagName_callback, "S", 1},
    {nullptr, nullptr, nullptr, 0},
};

}  // namespace

const KxwJswClassInformation& KxwDomCoreNode::GetCoreNodeClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetNodeBaseClassInformation(), "corenode", katCoreNodeProperties,
                                                    katCoreNodeMethods);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomCoreNode::GetClassInformation() const {
    return &GetCoreNodeClassInformation();
}

bool KxwDomCoreNode::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kIdAll) return KxwDomNodeBase::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    if (mnTinyId != kIdAll) return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomCoreNode", mnTinyId, mrtPropertyInfo);
    KxwDomHtmlCollectionOrdered* ptAll = GetAll();
    KxwJswUserObjBase* ptUserObj = ptAll ? KxwDomNodeCollections::Current().ToUserObj(ptAll) : nullptr;
    if (ptUserObj)
        mrtPropertyInfo = static_cast<const KxwJswUserObjBase*>(ptUserObj);
    else
        mrtPropertyInfo.AssignNull();
    return true;
}

bool KxwDomCoreNode::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kIdAll) return KxwDomNodeBase::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomCoreNode", mnTinyId);
}

void KxwDomCoreNode::EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) {
    for (KxwDomNodeBase* ptChild = _ptFirstChild; ptChild; ptChild = ptChild->GetNextSibling())
        mrtSink.AddChild(ptChild);
}
