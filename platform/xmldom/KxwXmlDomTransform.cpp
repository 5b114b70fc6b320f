#include "KxwXmlDomTransform.h"

#include <libxslt/transform.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cstring>
#include <memory>

#include "KxwXmlDomErrorCapture.h"
#include "KxwXmlDomTree.h"

namespace {

// Template recursion stops here, well inside a virtual user's stack.
constexpr int kiMaxTemplateDepth = 400;
constexpr int kiMaxTemplateVars = 20000;

struct DocFree {
    void operator()(xmlDoc* mptDoc) const { xmlFreeDoc(mptDoc); }
};
struct StylesheetFree {
    void operator()(xsltStylesheet* mptStylesheet) const { xsltFreeStylesheet(mptStylesheet); }
};
struct TransformContextFree {
    void operator()(xsltTransformContext* mptContext) const { xsltFreeTransformContext(mptContext); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

// The XML declaration is a node of our trees; libxslt must not take it for a processing instruction.
void DropDeclaration(xmlDoc* mptDoc) {
    xmlNode* ptFirst = mptDoc->children;
    if (ptFirst && ptFirst->type == XML_PI_NODE && ptFirst->name &&
        std::strcmp(reinterpret_cast<const char*>(ptFirst->name), "xml") == 0) {
        xmlUnlinkNode(ptFirst);
        xmlFreeNode(ptFirst);
    }
}

// A document of its own holding a copy of the node (the whole document when it is one).
DocPtr CopyAsDocument(xmlNode* mptNode) {
    if (mptNode->type == XML_DOCUMENT_NODE) {
        DocPtr tCopy(xmlCopyDoc(reinterpret_cast<xmlDoc*>(mptNode), 1));
        if (tCopy) {
            KxwXmlDomTree::ClearObjects(reinterpret_cast<xmlNode*>(tCopy.get()));
            DropDeclaration(tCopy.get());
        }
        return tCopy;
    }
    DocPtr tDoc(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
    if (!tDoc) return tDoc;
    xmlNode* ptCopy = xmlDocCopyNode(mptNode, tDoc.get(), 1);
    if (!ptCopy) return DocPtr();
    KxwXmlDomTree::ClearObjects(ptCopy);
    if (ptCopy->type == XML_ATTRIBUTE_NODE) {
        xmlFreeNode(ptCopy);  // an attribute alone transforms as its value
        xmlChar* pszValue = xmlNodeGetContent(mptNode);
        ptCopy = xmlNewDocText(tDoc.get(), pszValue);
        xmlFree(pszValue);
    }
    if (ptCopy) xmlAddChild(reinterpret_cast<xmlNode*>(tDoc.get()), ptCopy);
    return tDoc;
}

DocPtr Apply(xmlNode* mptSource, xmlNode* mptStylesheet, std::unique_ptr<xsltStylesheet, StylesheetFree>& mrtStyle,
             std::string& mrdsError, KxwXmlDomErrorCapture& mrtCapture) {
    xsltSecurityPrefsPtr ptPrefs = xfptKxwXmlDomSecurityPrefs();
    DocPtr tStyleDoc = CopyAsDocument(mptStylesheet);
    DocPtr tSource = CopyAsDocument(mptSource);
    if (!tStyleDoc || !tSource || !ptPrefs) {
        mrdsError = "The transform could not be prepared (out of memory)";
        return DocPtr();
    }
    mrtStyle.reset(xsltParseStylesheetDoc(tStyleDoc.get()));
    if (!mrtStyle) {
        mrdsError = mrtCapture.Describe("The stylesheet is not valid");
        return DocPtr();
    }
    tStyleDoc.release();  // the stylesheet owns its document now
    if (mrtStyle->errors) {
        mrdsError = mrtCapture.Describe("The stylesheet is not valid");
        return DocPtr();
    }
    std::unique_ptr<xsltTransformContext, TransformContextFree> tContext(
        xsltNewTransformContext(mrtStyle.get(), tSource.get()));
    if (!tContext || xsltSetCtxtSecurityPrefs(ptPrefs, tContext.get()) != 0) {
        mrdsError = "The transform could not be prepared";
        return DocPtr();
    }
    tContext->maxTemplateDepth = kiMaxTemplateDepth;
    tContext->maxTemplateVars = kiMaxTemplateVars;
    DocPtr tResult(xsltApplyStylesheetUser(mrtStyle.get(), tSource.get(), nullptr, nullptr, nullptr, tContext.get()));
    if (!tResult || tContext->state == XSLT_STATE_ERROR || tContext->state == XSLT_STATE_STOPPED) {
        mrdsError = mrtCapture.Describe("The transform failed");
        return DocPtr();
    }
    return tResult;
}

}  // namespace

bool xfbKxwXmlDomTransformToText(xmlNode* mptSource, xmlNode* mptStylesheet, std::string& mrdsOutput,
                                 std::string& mrdsError) {
    KxwXmlDomErrorCapture tCapture;
    std::unique_ptr<xsltStylesheet, StylesheetFree> tStyle;
    DocPtr tResult = Apply(mptSource, mptStylesheet, tStyle, mrdsError, tCapture);
    if (!tResult) return false;
    xmlChar* pszOutput = nullptr;
    int iLength = 0;
    if (xsltSaveResultToString(&pszOutput, &iLength, tResult.get(), tStyle.get()) != 0) {
        mrdsError = tCapture.Describe("The transform's output could not be written");
        return false;
    }
    mrdsOutput.assign(pszOutput ? reinterpret_cast<const char*>(pszOutput) : "",
                      pszOutput ? static_cast<size_t>(iLength) : 0);
    xmlFree(pszOutput);
    return true;
}

xmlDoc* xfptKxwXmlDomTransformToDoc(xmlNode* mptSource, xmlNode* mptStylesheet, std::string& mrdsError) {
    KxwXmlDomErrorCapture tCapture;
    std::unique_ptr<xsltStylesheet, StylesheetFree> tStyle;
    DocPtr tResult = Apply(mptSource, mptStylesheet, tStyle, mrdsError, tCapture);
    if (tResult) KxwXmlDomTree::ClearObjects(reinterpret_cast<xmlNode*>(tResult.get()));
    return tResult.release();
}
