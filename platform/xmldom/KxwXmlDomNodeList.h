// A list of nodes: a node's children or the elements of a name under a node (live: they follow the tree's
// changes), or the nodes a selection found (fixed). Scripts read list.length, list.item(i), list[i], and walk it
// with nextNode() and reset().
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <string>
#include <vector>

#include "KxwAutomation.h"

class KxwXmlDomNode;
class KxwXmlDomTree;

class KxwXmlDomNodeList : public KxwAutomationTable<KxwXmlDomNodeList> {
public:
    static KxwAutoValue Children(KxwXmlDomNode* mptParent);
    // "*" names every element; the root itself is not in the list.
    static KxwAutoValue Descendants(KxwXmlDomNode* mptRoot, const std::string& mrdsName);
    static KxwAutoValue Static(std::vector<KxwAutoRef<KxwAutomation>> mtNodes);

    const char* GetInterfaceName() const override { return "IXMLDOMNodeList"; }
    bool GetItem(int32_t miIndex, KxwAutoValue& mrtResult) override;
    int32_t GetItemCount() override;
    std::string GetErrorDescription() const override { return _dsError; }

private:
    enum Kind { kChildren, kDescendants, kStatic };
    KxwXmlDomNodeList(Kind meKind, KxwXmlDomNode* mptRoot, std::string mdsName);
    // The live list's nodes, looked up again when the tree changed since the last look.
    const std::vector<xmlNode*>& Nodes();

    KxwAutoResult GetLength(KxwAutoValue& mrtResult);
    KxwAutoResult Item(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult NextNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Reset(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);

    static const KxwAutoMemberRow<KxwXmlDomNodeList> katMembers[];
    Kind _eKind;
    KxwXmlDomNode* _ptRoot;
    KxwAutoRef<KxwAutomation> _tRootRef;  // keeps the root, and so the tree, alive
    std::string _dsName;
    std::vector<xmlNode*> _tCache;
    uint64_t _uCacheVersion = 0;
    const KxwXmlDomTree* _ptCacheTree = nullptr;  // the tree the cache was made from
    std::vector<KxwAutoRef<KxwAutomation>> _tStatic;
    int32_t _iNext = 0;
    std::string _dsError;
};
