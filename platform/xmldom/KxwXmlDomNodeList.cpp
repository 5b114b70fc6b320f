#include "KxwXmlDomNodeList.h"

#include <new>

#include "KxwUtilReport.h"
#include "KxwXmlDomNode.h"
#include "KxwXmlDomTree.h"
#include "KxwXmlDomUtil.h"

const KxwAutoMemberRow<KxwXmlDomNodeList> KxwXmlDomNodeList::katMembers[] = {
    {"length", &KxwXmlDomNodeList::GetLength, nullptr, nullptr},
    {"item", nullptr, nullptr, &KxwXmlDomNodeList::Item},
    {"nextNode", nullptr, nullptr, &KxwXmlDomNodeList::NextNode},
    {"reset", nullptr, nullptr, &KxwXmlDomNodeList::Reset},
};

KxwXmlDomNodeList::KxwXmlDomNodeList(Kind meKind, KxwXmlDomNode* mptRoot, std::string mdsName)
    : KxwAutomationTable<KxwXmlDomNodeList>(katMembers),
      _eKind(meKind),
      _ptRoot(mptRoot),
      _tRootRef(mptRoot),
      _dsName(std::move(mdsName)) {}

namespace {
KxwAutoValue Adopt(KxwXmlDomNodeList* mptList) {
    if (!mptList) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwXmlDomNodeList)), "KxwXmlDomNodeList");
    return KxwAutoValue::Object(KxwAutoRef<KxwAutomation>::Adopt(mptList));
}
}  // namespace

KxwAutoValue KxwXmlDomNodeList::Children(KxwXmlDomNode* mptParent) {
    return Adopt(new (std::nothrow) KxwXmlDomNodeList(kChildren, mptParent, std::string()));
}

KxwAutoValue KxwXmlDomNodeList::Descendants(KxwXmlDomNode* mptRoot, const std::string& mrdsName) {
    return Adopt(new (std::nothrow) KxwXmlDomNodeList(kDescendants, mptRoot, mrdsName));
}

KxwAutoValue KxwXmlDomNodeList::Static(std::vector<KxwAutoRef<KxwAutomation>> mtNodes) {
    auto* ptList = new (std::nothrow) KxwXmlDomNodeList(kStatic, nullptr, std::string());
    if (ptList) ptList->_tStatic = std::move(mtNodes);
    return Adopt(ptList);
}

const std::vector<xmlNode*>& KxwXmlDomNodeList::Nodes() {
    const KxwXmlDomTree* ptTree = _ptRoot->GetTree().get();
    uint64_t uVersion = ptTree->GetVersion();
    // The document object's tree changes when it loads again: its lists follow it.
    if (_ptCacheTree == ptTree && uVersion == _uCacheVersion) return _tCache;
    _tCache.clear();
    xmlNode* ptRoot = _ptRoot->GetXmlNode();
    if (_eKind == kChildren) {
        if (KxwXmlDomNode::DomType(ptRoot) != 10)
            for (xmlNode* ptChild = ptRoot->children; ptChild; ptChild = ptChild->next) {
                int iType = KxwXmlDomNode::DomType(ptChild);
                if (iType == 1 || iType == 3 || iType == 4 || iType == 7 || iType == 8 || iType == 10)
                    _tCache.push_back(ptChild);
            }
    } else {
        bool bAll = _dsName == "*";
        for (xmlNode* ptNode = xfptKxwXmlDomNextInTree(ptRoot, ptRoot); ptNode;
             ptNode = xfptKxwXmlDomNextInTree(ptNode, ptRoot))
            if (ptNode->type == XML_ELEMENT_NODE && (bAll || xfdsKxwXmlDomQualifiedName(ptNode) == _dsName))
                _tCache.push_back(ptNode);
    }
    _uCacheVersion = uVersion;
    _ptCacheTree = ptTree;
    return _tCache;
}

int32_t KxwXmlDomNodeList::GetItemCount() {
    size_t n = _eKind == kStatic ? _tStatic.size() : Nodes().size();
    return static_cast<int32_t>(n);
}

bool KxwXmlDomNodeList::GetItem(int32_t miIndex, KxwAutoValue& mrtResult) {
    if (miIndex < 0 || miIndex >= GetItemCount()) return false;
    if (_eKind == kStatic) {
        mrtResult = KxwAutoValue::Object(_tStatic[static_cast<size_t>(miIndex)]);
        return true;
    }
    mrtResult = _ptRoot->ValueOf(Nodes()[static_cast<size_t>(miIndex)]);
    return true;
}

KxwAutoResult KxwXmlDomNodeList::GetLength(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(GetItemCount());
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNodeList::Item(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    int32_t iIndex = 0;
    KxwAutoResult lResult = xflKxwXmlDomArgInt(mrtArgs, 0, "index", iIndex, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (!GetItem(iIndex, mrtResult)) mrtResult = KxwAutoValue::Null();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNodeList::NextNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    if (!GetItem(_iNext, mrtResult)) {
        mrtResult = KxwAutoValue::Null();
        return KXW_AUTO_S_OK;
    }
    ++_iNext;
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNodeList::Reset(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    _iNext = 0;
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}
