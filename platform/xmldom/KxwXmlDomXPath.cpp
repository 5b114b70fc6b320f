#include "KxwXmlDomXPath.h"

#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <vector>

#include "KxwXmlDomDocument.h"
#include "KxwXmlDomErrorCapture.h"
#include "KxwXmlDomNode.h"
#include "KxwXmlDomNodeList.h"
#include "KxwXmlDomTree.h"
#include "KxwXmlDomUtil.h"

namespace {

struct XPathContextFree {
    void operator()(xmlXPathContext* mptContext) const { xmlXPathFreeContext(mptContext); }
};
struct XPathObjectFree {
    void operator()(xmlXPathObject* mptObject) const { xmlXPathFreeObject(mptObject); }
};

}  // namespace

KxwAutoResult xflKxwXmlDomSelect(KxwXmlDomNode* mptContext, const std::string& mrdsExpression, bool mbSingle,
                                 KxwAutoValue& mrtResult, std::string& mrdsError) {
    KxwXmlDomErrorCapture tCapture;
    xmlNode* ptNode = mptContext->GetXmlNode();
    std::unique_ptr<xmlXPathContext, XPathContextFree> tContext(xmlXPathNewContext(mptContext->GetTree()->GetDoc()));
    if (!tContext) {
        mrdsError = "The selection could not be evaluated (out of memory)";
        return KXW_AUTO_E_OUTOFMEMORY;
    }
    for (const auto& rtPrefix : mptContext->GetOwner()->GetSelectionNamespaces())
        xmlXPathRegisterNs(tContext.get(), xfpKxwXmlDomChars(rtPrefix.first), xfpKxwXmlDomChars(rtPrefix.second));
    std::unique_ptr<xmlXPathObject, XPathObjectFree> tResult(
        xmlXPathNodeEval(ptNode, xfpKxwXmlDomChars(mrdsExpression), tContext.get()));
    if (!tResult) {
        mrdsError = tCapture.Describe("The selection expression is not valid");
        return KXW_AUTO_E_FAIL;
    }
    if (tResult->type != XPATH_NODESET) {
        mrdsError = "The selection expression does not answer nodes";
        return KXW_AUTO_E_FAIL;
    }
    std::vector<KxwAutoRef<KxwAutomation>> tNodes;
    xmlNodeSet* ptSet = tResult->nodesetval;
    for (int i = 0; ptSet && i < ptSet->nodeNr; ++i) {
        xmlNode* ptFound = ptSet->nodeTab[i];
        // Namespace nodes are libxml2's own copies, not nodes of the tree.
        if (!ptFound || ptFound->type == XML_NAMESPACE_DECL) continue;
        KxwAutoRef<KxwAutomation> tObject =
            KxwXmlDomNode::ObjectOf(mptContext->GetOwner(), mptContext->GetTree(), ptFound);
        if (!tObject) continue;
        tNodes.push_back(std::move(tObject));
        if (mbSingle) break;
    }
    if (mbSingle) {
        mrtResult = tNodes.empty() ? KxwAutoValue::Null() : KxwAutoValue::Object(tNodes.front());
        return KXW_AUTO_S_OK;
    }
    mrtResult = KxwXmlDomNodeList::Static(std::move(tNodes));
    return KXW_AUTO_S_OK;
}
