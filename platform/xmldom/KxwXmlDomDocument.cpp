#include "KxwXmlDomDocument.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/uri.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <new>

#include "KxwUtilReport.h"
#include "KxwXmlDomErrorCapture.h"
#include "KxwXmlDomParseError.h"
#include "KxwXmlDomTree.h"
#include "KxwXmlDomUtil.h"

namespace {

// Internal entities are expanded after the parse; a document whose expansions would make more nodes than this is
// refused (libxml2 stops the known amplifications; this bounds the rest).
constexpr size_t knMaxExpandedNodes = 200000;
constexpr int kiMaxNestedReadyStateCalls = 4;

struct UrlLoader {
    KxwXmlDomUrlLoaderFunc _pfLoad = nullptr;
    void* _pvContext = nullptr;
};
thread_local UrlLoader s_tUrlLoader;

xmlDoc* NewEmptyDoc() {
    xfvKxwXmlDomInitOnce();
    xmlDoc* ptDoc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    if (!ptDoc) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(xmlDoc)), "xmlDoc for an XML document");
    return ptDoc;
}

bool StartsWith(const std::string& mrds, size_t mnAt, const char* mpsz) {
    return mrds.compare(mnAt, std::strlen(mpsz), mpsz) == 0;
}

// The XML declaration's content ("version=\"1.0\" encoding=\"UTF-8\""), empty when the text has none.
std::string DeclarationOf(xmlDoc* mptDoc, const std::string& mrdsBytes) {
    size_t nStart = StartsWith(mrdsBytes, 0, "\xEF\xBB\xBF") ? 3 : 0;
    if (StartsWith(mrdsBytes, nStart, "<?xml") && mrdsBytes.size() > nStart + 5 &&
        xfbKxwXmlDomIsBlankChar(static_cast<char16_t>(mrdsBytes[nStart + 5]))) {
        size_t nEnd = mrdsBytes.find("?>", nStart);
        if (nEnd == std::string::npos) return std::string();
        std::string dsContent = mrdsBytes.substr(nStart + 6, nEnd - nStart - 6);
        while (!dsContent.empty() && xfbKxwXmlDomIsBlankChar(static_cast<char16_t>(dsContent.back())))
            dsContent.pop_back();
        size_t nFirst = 0;
        while (nFirst < dsContent.size() && xfbKxwXmlDomIsBlankChar(static_cast<char16_t>(dsContent[nFirst]))) ++nFirst;
        return dsContent.substr(nFirst);
    }
    // A document in UTF-16 had its declaration too; it is written again from what libxml2 read.
    auto fStarts = [&mrdsBytes](const char* mpsfPrefix, size_t mnLen) {
        return mrdsBytes.size() >= mnLen && std::memcmp(mrdsBytes.data(), mpsfPrefix, mnLen) == 0;
    };
    bool bUtf16 = fStarts("\xFF\xFE<\0?\0x\0", 8) || fStarts("\xFE\xFF\0<\0?\0x", 8) || fStarts("<\0?\0x\0", 6) ||
                  fStarts("\0<\0?\0x", 6);
    if (!bUtf16 || !mptDoc->version) return std::string();
    std::string dsContent = std::string("version=\"") + reinterpret_cast<const char*>(mptDoc->version) + "\"";
    if (mptDoc->encoding)
        dsContent += std::string(" encoding=\"") + reinterpret_cast<const char*>(mptDoc->encoding) + "\"";
    return dsContent;
}

// Replaces each reference to an internal entity by a copy of its content, and drops the others (external
// entities are never read). False when the copies would grow past the bound.
bool ExpandEntities(xmlDoc* mptDoc, std::string& mrdsFailure) {
    size_t nMade = 0;
    xmlNode* ptDocNode = reinterpret_cast<xmlNode*>(mptDoc);
    for (int iPass = 0; iPass < 64; ++iPass) {
        std::vector<xmlNode*> tRefs;
        for (xmlNode* ptNode = ptDocNode; ptNode; ptNode = xfptKxwXmlDomNextInTree(ptNode, ptDocNode))
            if (ptNode->type == XML_ENTITY_REF_NODE) tRefs.push_back(ptNode);
        if (tRefs.empty()) return true;
        for (xmlNode* ptRef : tRefs) {
            xmlEntity* ptEntity = xmlGetDocEntity(mptDoc, ptRef->name);
            if (ptEntity && ptEntity->etype == XML_INTERNAL_GENERAL_ENTITY) {
                xmlNode* ptCopies = nullptr;
                if (ptEntity->children)
                    ptCopies = xmlDocCopyNodeList(mptDoc, ptEntity->children);
                else if (ptEntity->content)
                    ptCopies = xmlNewDocText(mptDoc, ptEntity->content);
                while (ptCopies) {
                    xmlNode* ptNext = ptCopies->next;
                    ptCopies->next = ptCopies->prev = nullptr;
                    ptCopies->parent = nullptr;
                    xfbKxwXmlDomVisitAll(ptCopies, [&nMade](xmlNode*) { return ++nMade <= knMaxExpandedNodes; });
                    xmlAddPrevSibling(ptRef, ptCopies);  // no node object exists yet: merging texts is fine
                    ptCopies = ptNext;
                }
            }
            xmlUnlinkNode(ptRef);
            xmlFreeNode(ptRef);
            if (nMade > knMaxExpandedNodes) {
                mrdsFailure = "The document's entities expand to too much content";
                return false;
            }
        }
    }
    mrdsFailure = "The document's entities are nested too deeply";
    return false;
}

// Drops texts of white space only, except where xml:space="preserve" is in force.
void DropBlankTexts(xmlDoc* mptDoc) {
    std::vector<xmlNode*> tBlank;
    xmlNode* ptDocNode = reinterpret_cast<xmlNode*>(mptDoc);
    for (xmlNode* ptNode = ptDocNode; ptNode; ptNode = xfptKxwXmlDomNextInTree(ptNode, ptDocNode))
        if (ptNode->type == XML_TEXT_NODE && xfbKxwXmlDomIsBlank(ptNode->content) && ptNode->parent &&
            xmlNodeGetSpacePreserve(ptNode->parent) != 1)
            tBlank.push_back(ptNode);
    for (xmlNode* ptNode : tBlank) {
        xmlUnlinkNode(ptNode);
        xmlFreeNode(ptNode);
    }
}

bool ReadBool(const KxwAutoValue& mrtValue) {
    return mrtValue.ToBool();
}

}  // namespace

// clang-format off
const KxwAutoMemberRow<KxwXmlDomDocument> KxwXmlDomDocument::katMembers[] = {
    {"async", &KxwXmlDomDocument::GetAsync, &KxwXmlDomDocument::PutAsync, nullptr},
    {"validateOnParse", &KxwXmlDomDocument::GetValidateOnParse, &KxwXmlDomDocument::PutValidateOnParse, nullptr},
    {"resolveExternals", &KxwXmlDomDocument::GetResolveExternals, &KxwXmlDomDocument::PutResolveExternals, nullptr},
    {"preserveWhiteSpace", &KxwXmlDomDocument::GetPreserveWhiteSpace, &KxwXmlDomDocument::PutPreserveWhiteSpace, nullptr},
    {"readyState", &KxwXmlDomDocument::GetReadyStateValue, nullptr, nullptr},
    {"parseError", &KxwXmlDomDocument::GetParseError, nullptr, nullptr},
    {"url", &KxwXmlDomDocument::GetUrl, nullptr, nullptr},
    {"documentElement", &KxwXmlDomDocument::GetDocumentElement, &KxwXmlDomDocument::PutDocumentElement, nullptr},
    {"doctype", &KxwXmlDomDocument::GetDoctype, nullptr, nullptr},
    {"onreadystatechange", &KxwXmlDomDocument::GetOnReadyStateChange, &KxwXmlDomDocument::PutOnReadyStateChange, nullptr},
    {"loadXML", nullptr, nullptr, &KxwXmlDomDocument::LoadXml},
    {"load", nullptr, nullptr, &KxwXmlDomDocument::Load},
    {"save", nullptr, nullptr, &KxwXmlDomDocument::Save},
    {"abort", nullptr, nullptr, &KxwXmlDomDocument::Abort},
    {"createElement", nullptr, nullptr, &KxwXmlDomDocument::CreateElement},
    {"createTextNode", nullptr, nullptr, &KxwXmlDomDocument::CreateTextNode},
    {"createAttribute", nullptr, nullptr, &KxwXmlDomDocument::CreateAttribute},
    {"createComment", nullptr, nullptr, &KxwXmlDomDocument::CreateComment},
    {"createCDATASection", nullptr, nullptr, &KxwXmlDomDocument::CreateCDataSection},
    {"createProcessingInstruction", nullptr, nullptr, &KxwXmlDomDocument::CreateProcessingInstruction},
    {"createDocumentFragment", nullptr, nullptr, &KxwXmlDomDocument::CreateDocumentFragment},
    {"createEntityReference", nullptr, nullptr, &KxwXmlDomDocument::CreateEntityReference},
    {"createNode", nullptr, nullptr, &KxwXmlDomDocument::CreateNode},
    {"nodeFromID", nullptr, nullptr, &KxwXmlDomDocument::NodeFromId},
    {"setProperty", nullptr, nullptr, &KxwXmlDomDocument::SetProperty},
    {"getProperty", nullptr, nullptr, &KxwXmlDomDocument::GetProperty},
    {"validate", nullptr, nullptr, &KxwXmlDomDocument::Validate},
};
// clang-format on

KxwXmlDomDocument::KxwXmlDomDocument()
    : KxwXmlDomChainedTable<KxwXmlDomDocument, KxwXmlDomNode>(
          katMembers, this, std::make_shared<KxwXmlDomTree>(NewEmptyDoc()), nullptr, true) {
    ResetTree(GetTree());
}

KxwXmlDomDocument* KxwXmlDomDocument::Create() {
    auto* ptDocument = new (std::nothrow) KxwXmlDomDocument();
    if (!ptDocument) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwXmlDomDocument)), "KxwXmlDomDocument");
    return ptDocument;
}

void KxwXmlDomDocument::StartTree(xmlDoc* mptDoc) {
    KxwXmlDomTree::ClearObjects(reinterpret_cast<xmlNode*>(mptDoc));
    ResetTree(std::make_shared<KxwXmlDomTree>(mptDoc));
}

void KxwXmlDomDocument::ClearParseError() {
    _tParseError = KxwAutoRef<KxwAutomation>();
}

void KxwXmlDomDocument::SetParseError(int32_t miCode, std::string mdsReason, int miLine, int miColumn,
                                      const std::string& mrdsBytes, const std::string& mrdsUrl) {
    KxwXmlDomParseError::Details tDetails;
    tDetails._iErrorCode = miCode;
    tDetails._dsReason = std::move(mdsReason);
    tDetails._iLine = miLine;
    tDetails._iLinePos = miColumn;
    tDetails._dsUrl = mrdsUrl;
    if (miLine > 0) {
        size_t nLineStart = 0;
        for (int i = 1; i < miLine && nLineStart != std::string::npos; ++i) {
            nLineStart = mrdsBytes.find('\n', nLineStart);
            if (nLineStart != std::string::npos) ++nLineStart;
        }
        if (nLineStart != std::string::npos && nLineStart <= mrdsBytes.size()) {
            size_t nLineEnd = mrdsBytes.find('\n', nLineStart);
            std::string dsLine =
                mrdsBytes.substr(nLineStart, nLineEnd == std::string::npos ? std::string::npos : nLineEnd - nLineStart);
            if (!dsLine.empty() && dsLine.back() == '\r') dsLine.pop_back();
            tDetails._dsSrcText = dsLine;
            // Positions count characters as scripts do (UTF-16 units), not bytes.
            size_t nColumnBytes = miColumn > 0 ? std::min(static_cast<size_t>(miColumn - 1), dsLine.size()) : 0;
            tDetails._iLinePos = static_cast<int32_t>(xfdsKxwXmlDomU16(dsLine.substr(0, nColumnBytes)).size()) + 1;
            tDetails._iFilePos =
                static_cast<int32_t>(xfdsKxwXmlDomU16(mrdsBytes.substr(0, nLineStart)).size()) + tDetails._iLinePos - 1;
        }
    }
    _tParseError = KxwXmlDomParseError::Create(std::move(tDetails));
}

bool KxwXmlDomDocument::Tidy(xmlDoc* mptDoc, const std::string& mrdsBytes, std::string& mrdsFailure) {
    if (!ExpandEntities(mptDoc, mrdsFailure)) return false;
    if (!_bPreserveWhiteSpace) DropBlankTexts(mptDoc);
    std::string dsDeclaration = DeclarationOf(mptDoc, mrdsBytes);
    if (!dsDeclaration.empty()) {
        // The declaration is a node of the document, as scripts of the time saw it (firstChild, xml).
        xmlNode* ptDeclaration =
            xmlNewDocPI(mptDoc, reinterpret_cast<const xmlChar*>("xml"), xfpKxwXmlDomChars(dsDeclaration));
        if (ptDeclaration) {
            if (mptDoc->children)
                xmlAddPrevSibling(mptDoc->children, ptDeclaration);
            else
                xmlAddChild(reinterpret_cast<xmlNode*>(mptDoc), ptDeclaration);
        }
    }
    return true;
}

bool KxwXmlDomDocument::Parse(const std::string& mrdsBytes, bool mbFromText, const std::string& mrdsUrl) {
    KxwXmlDomErrorCapture tCapture;
    if (mrdsBytes.size() > static_cast<size_t>(INT_MAX)) {
        StartTree(NewEmptyDoc());
        SetParseError(static_cast<int32_t>(0x80004005u), "The document is too large", 0, 0, std::string(), mrdsUrl);
        return false;
    }
    // Never XML_PARSE_NOENT or XML_PARSE_DTDLOAD: nothing outside the text is read.
    int iOptions = XML_PARSE_NONET | XML_PARSE_NOWARNING;
    if (mbFromText) iOptions |= XML_PARSE_IGNORE_ENC;
    xmlDoc* ptDoc = nullptr;
    xmlParserCtxtPtr ptContext = xmlNewParserCtxt();
    if (ptContext) {
        ptDoc =
            xmlCtxtReadMemory(ptContext, mrdsBytes.data(), static_cast<int>(mrdsBytes.size()),
                              mrdsUrl.empty() ? nullptr : mrdsUrl.c_str(), mbFromText ? "UTF-8" : nullptr, iOptions);
        // An undeclared prefix is a namespace error to libxml2 and a failed load to scripts.
        if (ptDoc && (!ptContext->wellFormed || !ptContext->nsWellFormed)) {
            xmlFreeDoc(ptDoc);
            ptDoc = nullptr;
        }
        xmlFreeParserCtxt(ptContext);
    }
    std::string dsFailure;
    if (ptDoc && !xmlDocGetRootElement(ptDoc)) {
        dsFailure = "The XML document must have a top level element";
        xmlFreeDoc(ptDoc);
        ptDoc = nullptr;
    }
    if (ptDoc && !Tidy(ptDoc, mrdsBytes, dsFailure)) {
        xmlFreeDoc(ptDoc);
        ptDoc = nullptr;
    }
    if (!ptDoc) {
        StartTree(NewEmptyDoc());
        if (tCapture.HasError()) {
            SetParseError(xfiKxwXmlDomParseErrorCode(tCapture.GetCode()), tCapture.GetMessage(), tCapture.GetLine(),
                          tCapture.GetColumn(), mrdsBytes, mrdsUrl);
        } else {
            SetParseError(static_cast<int32_t>(0x80004005u),
                          dsFailure.empty() ? "The XML document must have a top level element" : dsFailure, 0, 0,
                          mrdsBytes, mrdsUrl);
        }
        return false;
    }
    StartTree(ptDoc);
    ClearParseError();
    return true;
}

void KxwXmlDomDocument::ChangeReadyState(int32_t miState) {
    _iReadyState = miState;
    if (!_tOnReadyStateChange || _iFiring >= kiMaxNestedReadyStateCalls) return;
    KxwAutoRef<KxwAutoCallable> tHandler = _tOnReadyStateChange;  // the handler may replace itself
    ++_iFiring;
    tHandler->Invoke();
    --_iFiring;
}

bool KxwXmlDomDocument::LoadText(const std::u16string& mrdsText) {
    return LoadUtf8(xfdsKxwXmlDomUtf8(mrdsText));
}

bool KxwXmlDomDocument::LoadUtf8(const std::string& mrdsText) {
    KxwAutoRef<KxwAutomation> tKeepAlive(static_cast<KxwAutomation*>(this));  // a handler may drop the last reference
    _dsUrl.clear();
    ChangeReadyState(1);
    bool bLoaded = Parse(mrdsText, true, std::string());
    ChangeReadyState(4);
    return bLoaded;
}

std::vector<std::pair<std::u16string, std::u16string>> KxwXmlDomDocument::GetTopLevelInstructions() const {
    std::vector<std::pair<std::u16string, std::u16string>> tInstructions;
    for (xmlNode* ptNode = GetXmlNode()->children; ptNode; ptNode = ptNode->next)
        if (ptNode->type == XML_PI_NODE)
            tInstructions.emplace_back(xfdsKxwXmlDomU16(ptNode->name), xfdsKxwXmlDomU16(ptNode->content));
    return tInstructions;
}

KxwAutoValue KxwXmlDomDocument::CloneDocument(bool mbDeep) {
    KxwAutoRef<KxwAutomation> tClone = KxwAutoRef<KxwAutomation>::Adopt(Create());
    auto* ptClone = static_cast<KxwXmlDomDocument*>(tClone.Get());
    xmlDoc* ptCopy = xmlCopyDoc(GetTree()->GetDoc(), mbDeep ? 1 : 0);
    if (!ptCopy) return KxwAutoValue::Null();
    ptClone->StartTree(ptCopy);
    ptClone->_bAsync = _bAsync;
    ptClone->_bValidateOnParse = _bValidateOnParse;
    ptClone->_bResolveExternals = _bResolveExternals;
    ptClone->_bPreserveWhiteSpace = _bPreserveWhiteSpace;
    ptClone->_dsSelectionLanguage = _dsSelectionLanguage;
    ptClone->_dsSelectionNamespaces = _dsSelectionNamespaces;
    ptClone->_tNamespaces = _tNamespaces;
    ptClone->_iReadyState = 4;
    return KxwAutoValue::Object(tClone);
}

void KxwXmlDomDocument::TakeTransformResult(xmlDoc* mptDoc) {
    StartTree(mptDoc);
    ClearParseError();
    _iReadyState = 4;
}

KxwAutoValue KxwXmlDomDocument::NewNode(xmlNode* mptNode) {
    if (!mptNode) return KxwAutoValue::Null();
    GetTree()->AdoptDetached(mptNode);
    return ValueOf(mptNode);
}

// ---------------------------------------------------------------------------------------------------------------
// Properties

KxwAutoResult KxwXmlDomDocument::GetAsync(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Bool(_bAsync);
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::PutAsync(const KxwAutoValue& mrtValue) {
    _bAsync = ReadBool(mrtValue);  // kept for scripts that read it back; loads are synchronous
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::GetValidateOnParse(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Bool(_bValidateOnParse);
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::PutValidateOnParse(const KxwAutoValue& mrtValue) {
    _bValidateOnParse = ReadBool(mrtValue);  // accepted; documents are checked for well-formedness only
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::GetResolveExternals(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Bool(_bResolveExternals);
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::PutResolveExternals(const KxwAutoValue& mrtValue) {
    _bResolveExternals = ReadBool(mrtValue);  // accepted; external resources are never read
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::GetPreserveWhiteSpace(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Bool(_bPreserveWhiteSpace);
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::PutPreserveWhiteSpace(const KxwAutoValue& mrtValue) {
    _bPreserveWhiteSpace = ReadBool(mrtValue);
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::GetReadyStateValue(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(_iReadyState);
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::GetParseError(KxwAutoValue& mrtResult) {
    if (!_tParseError) _tParseError = KxwXmlDomParseError::Create(KxwXmlDomParseError::Details());
    mrtResult = KxwAutoValue::Object(_tParseError);
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::GetUrl(KxwAutoValue& mrtResult) {
    mrtResult = _dsUrl.empty() ? KxwAutoValue::Null() : KxwAutoValue::Utf8(_dsUrl);
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::GetDocumentElement(KxwAutoValue& mrtResult) {
    mrtResult = ValueOf(xmlDocGetRootElement(GetTree()->GetDoc()));
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::PutDocumentElement(const KxwAutoValue& mrtValue) {
    KxwXmlDomNode* ptElement = FromValue(mrtValue);
    if (!ptElement || DomType(ptElement->GetXmlNode()) != 1)
        return Fail(KXW_AUTO_E_TYPEMISMATCH, "The document element must be an XML element");
    KxwAutoRef<KxwAutomation> tKeep(ptElement);
    xmlNode* ptRoot = xmlDocGetRootElement(GetTree()->GetDoc());
    KxwAutoValue tIgnored;
    return InsertChild(ptElement, ptRoot, ptRoot, tIgnored);
}
KxwAutoResult KxwXmlDomDocument::GetDoctype(KxwAutoValue& mrtResult) {
    mrtResult = ValueOf(reinterpret_cast<xmlNode*>(GetTree()->GetDoc()->intSubset));
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::GetOnReadyStateChange(KxwAutoValue& mrtResult) {
    mrtResult = _tOnReadyStateChange ? KxwAutoValue::Callable(_tOnReadyStateChange) : KxwAutoValue::Null();
    return KXW_AUTO_S_OK;
}
KxwAutoResult KxwXmlDomDocument::PutOnReadyStateChange(const KxwAutoValue& mrtValue) {
    if (mrtValue.IsNullOrEmpty()) {
        _tOnReadyStateChange = KxwAutoRef<KxwAutoCallable>();
        return KXW_AUTO_S_OK;
    }
    if (mrtValue.GetType() != KXW_AUTO_VALUE_CALLABLE)
        return Fail(KXW_AUTO_E_TYPEMISMATCH, "onreadystatechange must be a function");
    _tOnReadyStateChange = KxwAutoRef<KxwAutoCallable>(mrtValue.GetCallable());
    return KXW_AUTO_S_OK;
}

// ---------------------------------------------------------------------------------------------------------------
// Loading

KxwAutoResult KxwXmlDomDocument::LoadXml(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsText;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "bstrXML", dsText, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    mrtResult = KxwAutoValue::Bool(LoadUtf8(dsText));
    return KXW_AUTO_S_OK;
}

std::string KxwXmlDomDocument::ResolveUrl(const std::string& mrdsUrl, std::string& mrdsRefusal) const {
    std::string dsResolved = mrdsUrl;
    if (!_dsBaseUrl.empty()) {
        xmlChar* pszResolved = xmlBuildURI(xfpKxwXmlDomChars(mrdsUrl), xfpKxwXmlDomChars(_dsBaseUrl));
        if (pszResolved) {
            dsResolved = reinterpret_cast<const char*>(pszResolved);
            xmlFree(pszResolved);
        }
    }
    auto fScheme = [](const std::string& mrdsText) {
        size_t nColon = mrdsText.find(':');
        std::string dsScheme = nColon == std::string::npos ? std::string() : mrdsText.substr(0, nColon);
        for (char& rc : dsScheme) rc = static_cast<char>(std::tolower(static_cast<unsigned char>(rc)));
        return dsScheme;
    };
    // A page on a server reads nothing from the machine the virtual user runs on.
    std::string dsScheme = fScheme(dsResolved);
    if (!dsScheme.empty() && dsScheme != "http" && dsScheme != "https" &&
        !(dsScheme == "file" && fScheme(_dsBaseUrl) == "file"))
        mrdsRefusal = "Loading the XML document \"" + dsResolved.substr(0, 200) +
                      "\" is refused: only http: and https: "
                      "addresses (and file: ones from a page of a file) are loaded";
    return dsResolved;
}

KxwAutoResult KxwXmlDomDocument::Load(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsUrl;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "xmlSource", dsUrl, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    KxwAutoRef<KxwAutomation> tKeepAlive(static_cast<KxwAutomation*>(this));
    std::string dsRefusal;
    dsUrl = ResolveUrl(dsUrl, dsRefusal);
    _dsUrl = dsUrl;
    ChangeReadyState(1);
    bool bLoaded = false;
    UrlLoader tLoader = s_tUrlLoader;
    if (!dsRefusal.empty() || !tLoader._pfLoad) {
        StartTree(NewEmptyDoc());
        SetParseError(static_cast<int32_t>(0x80004005u),
                      dsRefusal.empty() ? "Loading an XML document from a URL is not available" : dsRefusal, 0, 0,
                      std::string(), dsUrl);
    } else {
        std::string dsBody;
        std::string dsFailure;
        if (tLoader._pfLoad(tLoader._pvContext, dsUrl, dsBody, dsFailure)) {
            bLoaded = Parse(dsBody, false, dsUrl);
        } else {
            StartTree(NewEmptyDoc());
            SetParseError(static_cast<int32_t>(0x80004005u),
                          dsFailure.empty() ? "The XML document could not be downloaded" : dsFailure, 0, 0,
                          std::string(), dsUrl);
        }
    }
    ChangeReadyState(4);
    mrtResult = KxwAutoValue::Bool(bLoaded);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomDocument::Save(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs, (void)mrtResult;
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                             "A script called save on an XML document: documents are not written to files");
    return Fail(KXW_AUTO_E_ACCESSDENIED, "Saving an XML document is not available: documents are not written to files");
}

KxwAutoResult KxwXmlDomDocument::Abort(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    mrtResult = KxwAutoValue();  // loads are synchronous: there is never one to stop
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomDocument::Validate(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    mrtResult = KxwAutoValue::Null();
    return Fail(KXW_AUTO_E_NOTIMPL, "Validating against a schema or DTD is not available");
}

// ---------------------------------------------------------------------------------------------------------------
// Making nodes

KxwAutoResult KxwXmlDomDocument::MakeElement(const std::string& mrdsName, const std::string& mrdsNamespace,
                                             KxwAutoValue& mrtResult) {
    if (!xfbKxwXmlDomIsName(mrdsName)) return Fail(KXW_AUTO_E_INVALIDARG, "The element name is not a valid XML name");
    xmlDoc* ptDoc = GetTree()->GetDoc();
    if (mrdsNamespace.empty()) {
        mrtResult = NewNode(xmlNewDocNode(ptDoc, nullptr, xfpKxwXmlDomChars(mrdsName), nullptr));
        return KXW_AUTO_S_OK;
    }
    size_t nColon = mrdsName.find(':');
    std::string dsPrefix = nColon == std::string::npos ? std::string() : mrdsName.substr(0, nColon);
    std::string dsLocal = nColon == std::string::npos ? mrdsName : mrdsName.substr(nColon + 1);
    xmlNode* ptElement = xmlNewDocNode(ptDoc, nullptr, xfpKxwXmlDomChars(dsLocal), nullptr);
    if (ptElement) {
        xmlNs* ptNs = xmlNewNs(ptElement, xfpKxwXmlDomChars(mrdsNamespace),
                               dsPrefix.empty() ? nullptr : xfpKxwXmlDomChars(dsPrefix));
        xmlSetNs(ptElement, ptNs);
    }
    mrtResult = NewNode(ptElement);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomDocument::MakeAttribute(const std::string& mrdsName, KxwAutoValue& mrtResult) {
    if (!xfbKxwXmlDomIsName(mrdsName)) return Fail(KXW_AUTO_E_INVALIDARG, "The attribute name is not a valid XML name");
    mrtResult =
        NewNode(reinterpret_cast<xmlNode*>(xmlNewDocProp(GetTree()->GetDoc(), xfpKxwXmlDomChars(mrdsName), nullptr)));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomDocument::MakeTextLike(int miType, const KxwAutoArgs& mrtArgs, size_t mnIndex,
                                              KxwAutoValue& mrtResult) {
    std::string dsData;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, mnIndex, "data", dsData, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    xmlDoc* ptDoc = GetTree()->GetDoc();
    xmlNode* ptNode = nullptr;
    if (miType == 3) ptNode = xmlNewDocText(ptDoc, xfpKxwXmlDomChars(dsData));
    if (miType == 4) ptNode = xmlNewCDataBlock(ptDoc, xfpKxwXmlDomChars(dsData), static_cast<int>(dsData.size()));
    if (miType == 8) ptNode = xmlNewDocComment(ptDoc, xfpKxwXmlDomChars(dsData));
    mrtResult = NewNode(ptNode);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomDocument::MakeInstruction(const std::string& mrdsTarget, const std::string& mrdsData,
                                                 KxwAutoValue& mrtResult) {
    if (!xfbKxwXmlDomIsName(mrdsTarget))
        return Fail(KXW_AUTO_E_INVALIDARG, "The processing instruction's target is not a valid XML name");
    if (mrdsData.find("?>") != std::string::npos)
        return Fail(KXW_AUTO_E_INVALIDARG, "The processing instruction's data cannot contain \"?>\"");
    mrtResult = NewNode(xmlNewDocPI(GetTree()->GetDoc(), xfpKxwXmlDomChars(mrdsTarget), xfpKxwXmlDomChars(mrdsData)));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomDocument::CreateElement(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsName;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "tagName", dsName, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    return MakeElement(dsName, std::string(), mrtResult);
}

KxwAutoResult KxwXmlDomDocument::CreateTextNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    return MakeTextLike(3, mrtArgs, 0, mrtResult);
}

KxwAutoResult KxwXmlDomDocument::CreateCDataSection(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    return MakeTextLike(4, mrtArgs, 0, mrtResult);
}

KxwAutoResult KxwXmlDomDocument::CreateComment(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    return MakeTextLike(8, mrtArgs, 0, mrtResult);
}

KxwAutoResult KxwXmlDomDocument::CreateAttribute(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsName;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "name", dsName, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    return MakeAttribute(dsName, mrtResult);
}

KxwAutoResult KxwXmlDomDocument::CreateProcessingInstruction(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsTarget;
    std::string dsData;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "target", dsTarget, _dsError);
    if (xfbKxwAutoSucceeded(lResult)) lResult = xflKxwXmlDomArgText(mrtArgs, 1, "data", dsData, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    return MakeInstruction(dsTarget, dsData, mrtResult);
}

KxwAutoResult KxwXmlDomDocument::CreateDocumentFragment(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    mrtResult = NewNode(xmlNewDocFragment(GetTree()->GetDoc()));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomDocument::CreateEntityReference(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    mrtResult = KxwAutoValue::Null();
    return Fail(KXW_AUTO_E_NOTIMPL, "Entity references are not available: entities are expanded when a document loads");
}

KxwAutoResult KxwXmlDomDocument::CreateNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    int32_t iType = 0;
    if (mrtArgs.empty() || mrtArgs[0].IsNullOrEmpty())
        return Fail(KXW_AUTO_E_INVALIDARG, "The argument type is missing");
    if (mrtArgs[0].GetType() == KXW_AUTO_VALUE_STRING && !mrtArgs[0].ToInt(iType)) {
        std::string dsTypeName = xfdsKxwXmlDomUtf8(mrtArgs[0].GetString());
        iType = -1;
        for (int i = 1; *KxwXmlDomNode::TypeString(i); ++i)
            if (xfbKxwAutoNameEquals(dsTypeName.c_str(), KxwXmlDomNode::TypeString(i))) iType = i;
        if (iType < 0) return Fail(KXW_AUTO_E_INVALIDARG, "The node type \"" + dsTypeName + "\" is not known");
    } else {
        KxwAutoResult lResult = xflKxwXmlDomArgInt(mrtArgs, 0, "type", iType, _dsError);
        if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    }
    std::string dsName;
    std::string dsNamespace;
    bool bNamed = iType == 1 || iType == 2 || iType == 7;
    if (bNamed) {
        KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 1, "name", dsName, _dsError);
        if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    }
    if (mrtArgs.size() > 2 && !mrtArgs[2].IsNullOrEmpty()) {
        KxwAutoResult lResult = xflKxwXmlDomValueText(mrtArgs[2], "namespaceURI", dsNamespace, _dsError);
        if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    }
    KxwAutoArgs tEmptyData{KxwAutoValue::String(std::u16string())};
    switch (iType) {
        case 1:
            return MakeElement(dsName, dsNamespace, mrtResult);
        case 2:
            return MakeAttribute(dsName, mrtResult);
        case 3:
        case 4:
        case 8:
            return MakeTextLike(iType, tEmptyData, 0, mrtResult);
        case 7:
            return MakeInstruction(dsName, std::string(), mrtResult);
        case 11:
            return CreateDocumentFragment(mrtArgs, mrtResult);
        default:
            mrtResult = KxwAutoValue::Null();
            return Fail(KXW_AUTO_E_INVALIDARG, "Nodes of this type cannot be made with createNode");
    }
}

KxwAutoResult KxwXmlDomDocument::NodeFromId(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsId;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "idString", dsId, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    xmlNode* ptFound = nullptr;
    // IDs are the attributes the document type declares as such; the walk sees the tree as it is now.
    xfbKxwXmlDomVisitAll(GetXmlNode(), [&](xmlNode* mptNode) {
        if (mptNode->type != XML_ATTRIBUTE_NODE || reinterpret_cast<xmlAttr*>(mptNode)->atype != XML_ATTRIBUTE_ID)
            return true;
        if (xfdsKxwXmlDomTakeChars(xmlNodeGetContent(mptNode)) != dsId) return true;
        ptFound = mptNode->parent;
        return false;
    });
    mrtResult = ptFound ? ValueOf(ptFound) : KxwAutoValue::Null();
    return KXW_AUTO_S_OK;
}

// ---------------------------------------------------------------------------------------------------------------
// Properties by name

bool KxwXmlDomDocument::ParseSelectionNamespaces(const std::string& mrdsValue) {
    std::vector<std::pair<std::string, std::string>> tNamespaces;
    size_t n = 0;
    auto fSkipBlank = [&] {
        while (n < mrdsValue.size() && xfbKxwXmlDomIsBlankChar(static_cast<char16_t>(mrdsValue[n]))) ++n;
    };
    for (fSkipBlank(); n < mrdsValue.size(); fSkipBlank()) {
        if (mrdsValue.compare(n, 5, "xmlns") != 0) return false;
        n += 5;
        std::string dsPrefix;
        if (n < mrdsValue.size() && mrdsValue[n] == ':') {
            size_t nEnd = mrdsValue.find('=', n);
            if (nEnd == std::string::npos) return false;
            dsPrefix = mrdsValue.substr(n + 1, nEnd - n - 1);
            while (!dsPrefix.empty() && xfbKxwXmlDomIsBlankChar(static_cast<char16_t>(dsPrefix.back())))
                dsPrefix.pop_back();
            if (!xfbKxwXmlDomIsName(dsPrefix) || dsPrefix.find(':') != std::string::npos) return false;
            n = nEnd;
        }
        fSkipBlank();
        if (n >= mrdsValue.size() || mrdsValue[n] != '=') return false;
        ++n;
        fSkipBlank();
        if (n >= mrdsValue.size() || (mrdsValue[n] != '\'' && mrdsValue[n] != '"')) return false;
        char cQuote = mrdsValue[n++];
        size_t nClose = mrdsValue.find(cQuote, n);
        if (nClose == std::string::npos) return false;
        std::string dsUri = mrdsValue.substr(n, nClose - n);
        n = nClose + 1;
        // A default namespace has no prefix to name in XPath 1.0: it is accepted and has no effect.
        if (!dsPrefix.empty()) tNamespaces.emplace_back(dsPrefix, dsUri);
    }
    _tNamespaces = std::move(tNamespaces);
    return true;
}

namespace {
// The properties setProperty accepts without effect: this parser has nothing they would change.
const char* const kapszAcceptedProperties[] = {
    "ServerHTTPRequest",     "ProhibitDTD",     "AllowDocumentFunction",   "AllowXsltScript", "NewParser",
    "ResolveExternals",      "UseInlineSchema", "MaxElementDepth",         "MaxXMLSize",      "ForcedResync",
    "MultipleErrorMessages", "ValidateOnParse", "NormalizeAttributeValues"};
}  // namespace

KxwAutoResult KxwXmlDomDocument::SetProperty(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsName;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "name", dsName, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (mrtArgs.size() < 2 || mrtArgs[1].IsEmpty()) return Fail(KXW_AUTO_E_INVALIDARG, "The argument value is missing");
    mrtResult = KxwAutoValue();
    if (xfbKxwAutoNameEquals(dsName.c_str(), "SelectionLanguage")) {
        std::string dsValue;
        lResult = xflKxwXmlDomValueText(mrtArgs[1], "value", dsValue, _dsError);
        if (!xfbKxwAutoSucceeded(lResult)) return lResult;
        // Both are evaluated as XPath 1.0: the patterns scripts used are XPath too.
        if (xfbKxwAutoNameEquals(dsValue.c_str(), "XPath"))
            _dsSelectionLanguage = "XPath";
        else if (xfbKxwAutoNameEquals(dsValue.c_str(), "XSLPattern"))
            _dsSelectionLanguage = "XSLPattern";
        else
            return Fail(KXW_AUTO_E_INVALIDARG, "SelectionLanguage must be \"XPath\" or \"XSLPattern\"");
        return KXW_AUTO_S_OK;
    }
    if (xfbKxwAutoNameEquals(dsName.c_str(), "SelectionNamespaces")) {
        std::string dsValue;
        lResult = xflKxwXmlDomValueText(mrtArgs[1], "value", dsValue, _dsError);
        if (!xfbKxwAutoSucceeded(lResult)) return lResult;
        if (!ParseSelectionNamespaces(dsValue))
            return Fail(KXW_AUTO_E_INVALIDARG,
                        "SelectionNamespaces must be namespace declarations (\"xmlns:a='urn:a' xmlns:b='urn:b'\")");
        _dsSelectionNamespaces = dsValue;
        return KXW_AUTO_S_OK;
    }
    for (const char* pszAccepted : kapszAcceptedProperties)
        if (xfbKxwAutoNameEquals(dsName.c_str(), pszAccepted)) return KXW_AUTO_S_OK;
    return Fail(KXW_AUTO_E_INVALIDARG, "The property name \"" + dsName + "\" is not valid");
}

KxwAutoResult KxwXmlDomDocument::GetProperty(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsName;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "name", dsName, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (xfbKxwAutoNameEquals(dsName.c_str(), "SelectionLanguage")) {
        mrtResult = KxwAutoValue::Utf8(_dsSelectionLanguage);
        return KXW_AUTO_S_OK;
    }
    if (xfbKxwAutoNameEquals(dsName.c_str(), "SelectionNamespaces")) {
        mrtResult = KxwAutoValue::Utf8(_dsSelectionNamespaces);
        return KXW_AUTO_S_OK;
    }
    for (const char* pszAccepted : kapszAcceptedProperties)
        if (xfbKxwAutoNameEquals(dsName.c_str(), pszAccepted)) {
            mrtResult = KxwAutoValue::Bool(false);
            return KXW_AUTO_S_OK;
        }
    return Fail(KXW_AUTO_E_INVALIDARG, "The property name \"" + dsName + "\" is not valid");
}

// ---------------------------------------------------------------------------------------------------------------
// The URL hook

void xfvKxwXmlDomSetUrlLoader(KxwXmlDomUrlLoaderFunc mpfLoader, void* mpvContext) {
    s_tUrlLoader._pfLoad = mpfLoader;
    s_tUrlLoader._pvContext = mpvContext;
}
