// An XML document (new ActiveXObject("Microsoft.XMLDOM"), an XML island's XMLDocument): loads text or, through the
// library's hook, a URL, synchronously; makes nodes; answers every member of a node too.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "KxwAutomation.h"
#include "KxwXmlDom.h"
#include "KxwXmlDomChainedTable.h"
#include "KxwXmlDomNode.h"

class KxwXmlDomDocument : public KxwXmlDomChainedTable<KxwXmlDomDocument, KxwXmlDomNode> {
public:
    // A new empty document holding one reference.
    static KxwXmlDomDocument* Create();
    // For the registry.
    static KxwAutomation* CreateForRegistry() { return Create(); }

    const char* GetInterfaceName() const override { return "IXMLDOMDocument"; }

    bool IsPreservingWhiteSpace() const { return _bPreserveWhiteSpace; }
    const std::vector<std::pair<std::string, std::string>>& GetSelectionNamespaces() const { return _tNamespaces; }
    int32_t GetReadyState() const { return _iReadyState; }
    // loadXML for C++ callers.
    bool LoadText(const std::u16string& mrdsText);
    // The page's address that load(url) resolves a relative URL against.
    void SetBaseUrl(const std::string& mrdsBaseUrl) { _dsBaseUrl = mrdsBaseUrl; }
    // The processing instructions at the top level, the XML declaration first when there is one.
    std::vector<std::pair<std::u16string, std::u16string>> GetTopLevelInstructions() const;
    // A new document object with a copy of this one's tree (the whole tree when deep).
    KxwAutoValue CloneDocument(bool mbDeep);
    // Takes over a transform's output as this document's content.
    void TakeTransformResult(xmlDoc* mptDoc);

private:
    KxwXmlDomDocument();
    // load(url)'s address against the base, with the reason when it is not loaded.
    std::string ResolveUrl(const std::string& mrdsUrl, std::string& mrdsRefusal) const;
    // Parses the bytes (UTF-8 from loadXML with its declared encoding ignored, any encoding from a URL); the
    // document is empty after a failure, and parseError says why.
    bool Parse(const std::string& mrdsBytes, bool mbFromText, const std::string& mrdsUrl);
    // After a parse: the declaration as a node, internal entities expanded, external ones dropped, blank texts
    // dropped unless kept; false with the reason when the expansion grows too large.
    bool Tidy(xmlDoc* mptDoc, const std::string& mrdsBytes, std::string& mrdsFailure);
    // loadXML: readyState 1, the parse, readyState 4.
    bool LoadUtf8(const std::string& mrdsText);
    void StartTree(xmlDoc* mptDoc);
    void SetParseError(int32_t miCode, std::string mdsReason, int miLine, int miColumn, const std::string& mrdsBytes,
                       const std::string& mrdsUrl);
    void ClearParseError();
    // Sets readyState and calls onreadystatechange (the caller keeps this object alive across the call).
    void ChangeReadyState(int32_t miState);
    // A new node of this document's tree, detached, as a value (null when libxml2 made none).
    KxwAutoValue NewNode(xmlNode* mptNode);

    KxwAutoResult GetAsync(KxwAutoValue& mrtResult);
    KxwAutoResult PutAsync(const KxwAutoValue& mrtValue);
    KxwAutoResult GetValidateOnParse(KxwAutoValue& mrtResult);
    KxwAutoResult PutValidateOnParse(const KxwAutoValue& mrtValue);
    KxwAutoResult GetResolveExternals(KxwAutoValue& mrtResult);
    KxwAutoResult PutResolveExternals(const KxwAutoValue& mrtValue);
    KxwAutoResult GetPreserveWhiteSpace(KxwAutoValue& mrtResult);
    KxwAutoResult PutPreserveWhiteSpace(const KxwAutoValue& mrtValue);
    KxwAutoResult GetReadyStateValue(KxwAutoValue& mrtResult);
    KxwAutoResult GetParseError(KxwAutoValue& mrtResult);
    KxwAutoResult GetUrl(KxwAutoValue& mrtResult);
    KxwAutoResult GetDocumentElement(KxwAutoValue& mrtResult);
    KxwAutoResult PutDocumentElement(const KxwAutoValue& mrtValue);
    KxwAutoResult GetDoctype(KxwAutoValue& mrtResult);
    KxwAutoResult GetOnReadyStateChange(KxwAutoValue& mrtResult);
    KxwAutoResult PutOnReadyStateChange(const KxwAutoValue& mrtValue);

    KxwAutoResult LoadXml(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Load(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Save(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Abort(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult CreateElement(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult CreateTextNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult CreateAttribute(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult CreateComment(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult CreateCDataSection(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult CreateProcessingInstruction(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult CreateDocumentFragment(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult CreateEntityReference(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult CreateNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult NodeFromId(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult SetProperty(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult GetProperty(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Validate(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);

    KxwAutoResult MakeElement(const std::string& mrdsName, const std::string& mrdsNamespace, KxwAutoValue& mrtResult);
    KxwAutoResult MakeAttribute(const std::string& mrdsName, KxwAutoValue& mrtResult);
    KxwAutoResult MakeTextLike(int miType, const KxwAutoArgs& mrtArgs, size_t mnIndex, KxwAutoValue& mrtResult);
    KxwAutoResult MakeInstruction(const std::string& mrdsTarget, const std::string& mrdsData, KxwAutoValue& mrtResult);
    bool ParseSelectionNamespaces(const std::string& mrdsValue);

    friend class KxwXmlDomChainedTable<KxwXmlDomDocument, KxwXmlDomNode>;
    static const KxwAutoMemberRow<KxwXmlDomDocument> katMembers[];
    bool _bAsync = true;
    bool _bValidateOnParse = true;
    bool _bResolveExternals = false;
    bool _bPreserveWhiteSpace = false;
    int32_t _iReadyState = 0;
    int _iFiring = 0;  // nested readystatechange calls (a handler that loads again)
    std::string _dsUrl;
    std::string _dsBaseUrl;
    std::string _dsSelectionLanguage = "XSLPattern";
    std::string _dsSelectionNamespaces;
    std::vector<std::pair<std::string, std::string>> _tNamespaces;  // prefix, URI
    KxwAutoRef<KxwAutomation> _tParseError;
    KxwAutoRef<KxwAutoCallable> _tOnReadyStateChange;
};
