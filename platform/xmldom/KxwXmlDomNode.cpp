#include "KxwXmlDomNode.h"

#include <libxml/xmlsave.h>

#include <new>
#include <vector>

#include "KxwUtilReport.h"
#include "KxwXmlDomDocument.h"
#include "KxwXmlDomNamedNodeMap.h"
#include "KxwXmlDomNodeList.h"
#include "KxwXmlDomTransform.h"
#include "KxwXmlDomTree.h"
#include "KxwXmlDomUtil.h"
#include "KxwXmlDomXPath.h"

namespace {

constexpr unsigned kElem = 1u << 1;
constexpr unsigned kAttr = 1u << 2;
constexpr unsigned kText = 1u << 3;
constexpr unsigned kCdata = 1u << 4;
constexpr unsigned kPi = 1u << 7;
constexpr unsigned kComment = 1u << 8;
constexpr unsigned kDoc = 1u << 9;
constexpr unsigned kDoctype = 1u << 10;
constexpr unsigned kFrag = 1u << 11;
constexpr unsigned kCharData = kText | kCdata | kComment;
constexpr unsigned kAll = ~0u;

const char* const kapszTypeStrings[] = {"",
                                        "element",
                                        "attribute",
                                        "text",
                                        "cdatasection",
                                        "entityreference",
                                        "entity",
                                        "processinginstruction",
                                        "comment",
                                        "document",
                                        "documenttype",
                                        "documentfragment",
                                        "notation"};

// The nodes scripts see among children: declarations inside the document type and the like stay hidden.
bool IsVisible(const xmlNode* mptNode) {
    switch (KxwXmlDomNode::DomType(mptNode)) {
        case 1:
        case 3:
        case 4:
        case 7:
        case 8:
        case 10:
            return true;
        default:
            return false;
    }
}

xmlNode* FirstVisible(xmlNode* mptNode) {
    while (mptNode && !IsVisible(mptNode)) mptNode = mptNode->next;
    return mptNode;
}

xmlNode* LastVisible(xmlNode* mptNode) {
    while (mptNode && !IsVisible(mptNode)) mptNode = mptNode->prev;
    return mptNode;
}

std::string Trimmed(const std::string& mrdsText) {
    size_t nStart = mrdsText.find_first_not_of(" \t\r\n");
    if (nStart == std::string::npos) return std::string();
    size_t nEnd = mrdsText.find_last_not_of(" \t\r\n");
    return mrdsText.substr(nStart, nEnd - nStart + 1);
}

std::string Chars(const xmlChar* mpsz) {
    return mpsz ? reinterpret_cast<const char*>(mpsz) : "";
}

KxwAutoValue Text(const std::string& mrdsUtf8) {
    return KxwAutoValue::String(xfdsKxwXmlDomU16(mrdsUtf8));
}

xmlAttr* FindAttribute(xmlNode* mptElement, const std::string& mrdsName) {
    for (xmlAttr* ptAttr = mptElement->properties; ptAttr; ptAttr = ptAttr->next)
        if (xfdsKxwXmlDomQualifiedName(reinterpret_cast<xmlNode*>(ptAttr)) == mrdsName) return ptAttr;
    return nullptr;
}

// A namespace declaration read as an attribute ("xmlns", "xmlns:a"): libxml2 keeps them apart from attributes.
xmlNs* FindDeclaration(xmlNode* mptElement, const std::string& mrdsName) {
    std::string dsPrefix;
    if (mrdsName == "xmlns")
        dsPrefix.clear();
    else if (mrdsName.compare(0, 6, "xmlns:") == 0 && mrdsName.size() > 6)
        dsPrefix = mrdsName.substr(6);
    else
        return nullptr;
    for (xmlNs* ptNs = mptElement->nsDef; ptNs; ptNs = ptNs->next)
        if (Chars(ptNs->prefix) == dsPrefix) return ptNs;
    return nullptr;
}

}  // namespace

// clang-format off
const KxwXmlDomNode::Row KxwXmlDomNode::katMembers[] = {
    {"nodeName", &KxwXmlDomNode::GetNodeName, nullptr, nullptr, kAll},
    {"nodeValue", &KxwXmlDomNode::GetNodeValue, &KxwXmlDomNode::PutNodeValue, nullptr, kAll},
    {"nodeType", &KxwXmlDomNode::GetNodeType, nullptr, nullptr, kAll},
    {"nodeTypeString", &KxwXmlDomNode::GetNodeTypeString, nullptr, nullptr, kAll},
    {"parentNode", &KxwXmlDomNode::GetParentNode, nullptr, nullptr, kAll},
    {"childNodes", &KxwXmlDomNode::GetChildNodes, nullptr, nullptr, kAll},
    {"firstChild", &KxwXmlDomNode::GetFirstChild, nullptr, nullptr, kAll},
    {"lastChild", &KxwXmlDomNode::GetLastChild, nullptr, nullptr, kAll},
    {"previousSibling", &KxwXmlDomNode::GetPreviousSibling, nullptr, nullptr, kAll},
    {"nextSibling", &KxwXmlDomNode::GetNextSibling, nullptr, nullptr, kAll},
    {"attributes", &KxwXmlDomNode::GetAttributes, nullptr, nullptr, kAll},
    {"ownerDocument", &KxwXmlDomNode::GetOwnerDocument, nullptr, nullptr, kAll},
    {"xml", &KxwXmlDomNode::GetXml, nullptr, nullptr, kAll},
    {"text", &KxwXmlDomNode::GetText, &KxwXmlDomNode::PutText, nullptr, kAll},
    {"baseName", &KxwXmlDomNode::GetBaseName, nullptr, nullptr, kAll},
    {"prefix", &KxwXmlDomNode::GetPrefix, nullptr, nullptr, kAll},
    {"namespaceURI", &KxwXmlDomNode::GetNamespaceUri, nullptr, nullptr, kAll},
    {"specified", &KxwXmlDomNode::GetSpecified, nullptr, nullptr, kAll},
    {"parsed", &KxwXmlDomNode::GetParsed, nullptr, nullptr, kAll},
    {"hasChildNodes", nullptr, nullptr, &KxwXmlDomNode::HasChildNodes, kAll},
    {"appendChild", nullptr, nullptr, &KxwXmlDomNode::AppendChild, kAll},
    {"insertBefore", nullptr, nullptr, &KxwXmlDomNode::InsertBefore, kAll},
    {"removeChild", nullptr, nullptr, &KxwXmlDomNode::RemoveChild, kAll},
    {"replaceChild", nullptr, nullptr, &KxwXmlDomNode::ReplaceChild, kAll},
    {"cloneNode", nullptr, nullptr, &KxwXmlDomNode::CloneNode, kAll},
    {"selectNodes", nullptr, nullptr, &KxwXmlDomNode::SelectNodes, kAll},
    {"selectSingleNode", nullptr, nullptr, &KxwXmlDomNode::SelectSingleNode, kAll},
    {"transformNode", nullptr, nullptr, &KxwXmlDomNode::TransformNode, kAll},
    {"transformNodeToObject", nullptr, nullptr, &KxwXmlDomNode::TransformNodeToObject, kAll},
    {"getElementsByTagName", nullptr, nullptr, &KxwXmlDomNode::GetElementsByTagName, kElem | kDoc},
    {"normalize", nullptr, nullptr, &KxwXmlDomNode::Normalize, kElem | kDoc | kFrag},
    {"tagName", &KxwXmlDomNode::GetNodeName, nullptr, nullptr, kElem},
    {"getAttribute", nullptr, nullptr, &KxwXmlDomNode::GetAttribute, kElem},
    {"setAttribute", nullptr, nullptr, &KxwXmlDomNode::SetAttribute, kElem},
    {"removeAttribute", nullptr, nullptr, &KxwXmlDomNode::RemoveAttribute, kElem},
    {"getAttributeNode", nullptr, nullptr, &KxwXmlDomNode::GetAttributeNode, kElem},
    {"setAttributeNode", nullptr, nullptr, &KxwXmlDomNode::SetAttributeNode, kElem},
    {"removeAttributeNode", nullptr, nullptr, &KxwXmlDomNode::RemoveAttributeNode, kElem},
    {"name", &KxwXmlDomNode::GetNodeName, nullptr, nullptr, kAttr | kDoctype},
    {"value", &KxwXmlDomNode::GetNodeValue, &KxwXmlDomNode::PutNodeValue, nullptr, kAttr},
    {"data", &KxwXmlDomNode::GetData, &KxwXmlDomNode::PutData, nullptr, kCharData | kPi},
    {"target", &KxwXmlDomNode::GetTarget, nullptr, nullptr, kPi},
    {"length", &KxwXmlDomNode::GetLength, nullptr, nullptr, kCharData},
    {"appendData", nullptr, nullptr, &KxwXmlDomNode::AppendData, kCharData},
    {"substringData", nullptr, nullptr, &KxwXmlDomNode::SubstringData, kCharData},
    {"insertData", nullptr, nullptr, &KxwXmlDomNode::InsertData, kCharData},
    {"deleteData", nullptr, nullptr, &KxwXmlDomNode::DeleteData, kCharData},
    {"replaceData", nullptr, nullptr, &KxwXmlDomNode::ReplaceData, kCharData},
    {"splitText", nullptr, nullptr, &KxwXmlDomNode::SplitText, kText | kCdata},
};
// clang-format on

KxwXmlDomNode::KxwXmlDomNode(KxwXmlDomDocument* mptOwner, std::shared_ptr<KxwXmlDomTree> mtTree, xmlNode* mptNode,
                             bool mbIsDocument)
    : _ptOwner(mptOwner), _tTree(std::move(mtTree)), _ptNode(mptNode) {
    if (mbIsDocument) return;
    _tOwnerRef = KxwAutoRef<KxwAutomation>(static_cast<KxwAutomation*>(mptOwner));
    _ptNode->_private = this;
}

KxwXmlDomNode::~KxwXmlDomNode() {
    if (_tOwnerRef && _ptNode && _ptNode->_private == this) _ptNode->_private = nullptr;
}

void KxwXmlDomNode::ResetTree(std::shared_ptr<KxwXmlDomTree> mtTree) {
    _tTree = std::move(mtTree);
    _ptNode = _tTree->GetDocNode();
}

KxwAutoRef<KxwAutomation> KxwXmlDomNode::ObjectOf(KxwXmlDomDocument* mptOwner,
                                                  const std::shared_ptr<KxwXmlDomTree>& mrtTree, xmlNode* mptNode) {
    if (!mptNode || !mptOwner) return KxwAutoRef<KxwAutomation>();
    if (mptNode->type == XML_DOCUMENT_NODE || mptNode->type == XML_HTML_DOCUMENT_NODE) {
        if (mptOwner->GetXmlNode() != mptNode) return KxwAutoRef<KxwAutomation>();
        return KxwAutoRef<KxwAutomation>(static_cast<KxwAutomation*>(mptOwner));
    }
    int iType = DomType(mptNode);
    if (iType == 0 || iType == 5 || iType == 6 || iType == 12) return KxwAutoRef<KxwAutomation>();
    if (mptNode->_private) return KxwAutoRef<KxwAutomation>(static_cast<KxwXmlDomNode*>(mptNode->_private));
    auto* ptObject = new (std::nothrow) KxwXmlDomNode(mptOwner, mrtTree, mptNode, false);
    if (!ptObject) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwXmlDomNode)), "KxwXmlDomNode");
    return KxwAutoRef<KxwAutomation>::Adopt(ptObject);
}

KxwXmlDomNode* KxwXmlDomNode::FromValue(const KxwAutoValue& mrtValue) {
    if (mrtValue.GetType() != KXW_AUTO_VALUE_OBJECT) return nullptr;
    return dynamic_cast<KxwXmlDomNode*>(mrtValue.GetObject());
}

KxwAutoValue KxwXmlDomNode::ValueOf(xmlNode* mptNode) const {
    return KxwAutoValue::Object(ObjectOf(_ptOwner, _tTree, mptNode));
}

const char* KxwXmlDomNode::TypeString(int miDomType) {
    constexpr int kiTypes = static_cast<int>(sizeof kapszTypeStrings / sizeof *kapszTypeStrings);
    return miDomType > 0 && miDomType < kiTypes ? kapszTypeStrings[miDomType] : "";
}

int KxwXmlDomNode::DomType(const xmlNode* mptNode) {
    if (!mptNode) return 0;
    switch (mptNode->type) {
        case XML_ELEMENT_NODE:
            return 1;
        case XML_ATTRIBUTE_NODE:
            return 2;
        case XML_TEXT_NODE:
            return 3;
        case XML_CDATA_SECTION_NODE:
            return 4;
        case XML_ENTITY_REF_NODE:
            return 5;
        case XML_ENTITY_NODE:
            return 6;
        case XML_PI_NODE:
            return 7;
        case XML_COMMENT_NODE:
            return 8;
        case XML_DOCUMENT_NODE:
        case XML_HTML_DOCUMENT_NODE:
            return 9;
        case XML_DOCUMENT_TYPE_NODE:
        case XML_DTD_NODE:
            return 10;
        case XML_DOCUMENT_FRAG_NODE:
            return 11;
        case XML_NOTATION_NODE:
            return 12;
        default:
            return 0;
    }
}

const char* KxwXmlDomNode::GetInterfaceName() const {
    switch (DomType(_ptNode)) {
        case 1:
            return "IXMLDOMElement";
        case 2:
            return "IXMLDOMAttribute";
        case 3:
            return "IXMLDOMText";
        case 4:
            return "IXMLDOMCDATASection";
        case 7:
            return "IXMLDOMProcessingInstruction";
        case 8:
            return "IXMLDOMComment";
        case 9:
            return "IXMLDOMDocument";
        case 10:
            return "IXMLDOMDocumentType";
        case 11:
            return "IXMLDOMDocumentFragment";
        default:
            return "IXMLDOMNode";
    }
}

bool KxwXmlDomNode::Answers(const Row& mrtRow) const {
    return (mrtRow._uTypes & (1u << DomType(_ptNode))) != 0;
}

bool KxwXmlDomNode::FindMember(const char* mpszName, KxwAutoMember& mrtMember) {
    for (size_t n = 0; n < sizeof katMembers / sizeof katMembers[0]; ++n) {
        const Row& rtRow = katMembers[n];
        if (!xfbKxwAutoNameEquals(rtRow._pszName, mpszName) || !Answers(rtRow)) continue;
        mrtMember._iId = static_cast<int32_t>(n);
        mrtMember._eKind = rtRow._pfCall ? KXW_AUTO_MEMBER_METHOD : KXW_AUTO_MEMBER_PROPERTY;
        return true;
    }
    return false;
}

KxwAutoResult KxwXmlDomNode::Get(int32_t miId, KxwAutoValue& mrtResult) {
    if (miId < 0 || static_cast<size_t>(miId) >= sizeof katMembers / sizeof katMembers[0])
        return KXW_AUTO_E_MEMBERNOTFOUND;
    const Row& rtRow = katMembers[miId];
    if (!rtRow._pfGet || !Answers(rtRow)) return KXW_AUTO_E_MEMBERNOTFOUND;
    return (this->*(rtRow._pfGet))(mrtResult);
}

KxwAutoResult KxwXmlDomNode::Put(int32_t miId, const KxwAutoValue& mrtValue) {
    if (miId < 0 || static_cast<size_t>(miId) >= sizeof katMembers / sizeof katMembers[0])
        return KXW_AUTO_E_MEMBERNOTFOUND;
    const Row& rtRow = katMembers[miId];
    if (!rtRow._pfPut || !Answers(rtRow)) return Fail(KXW_AUTO_E_MEMBERNOTFOUND, "The property is read-only");
    return (this->*(rtRow._pfPut))(mrtValue);
}

KxwAutoResult KxwXmlDomNode::Call(int32_t miId, const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    if (miId < 0 || static_cast<size_t>(miId) >= sizeof katMembers / sizeof katMembers[0])
        return KXW_AUTO_E_MEMBERNOTFOUND;
    const Row& rtRow = katMembers[miId];
    if (!rtRow._pfCall || !Answers(rtRow)) return KXW_AUTO_E_MEMBERNOTFOUND;
    return (this->*(rtRow._pfCall))(mrtArgs, mrtResult);
}

KxwAutoResult KxwXmlDomNode::Fail(KxwAutoResult mlResult, std::string mdsWhy) {
    _dsError = std::move(mdsWhy);
    return mlResult;
}

// ---------------------------------------------------------------------------------------------------------------
// Properties

KxwAutoResult KxwXmlDomNode::GetNodeName(KxwAutoValue& mrtResult) {
    switch (DomType(_ptNode)) {
        case 1:
        case 2:
        case 7:
        case 10:
            mrtResult = Text(xfdsKxwXmlDomQualifiedName(_ptNode));
            break;
        case 3:
            mrtResult = KxwAutoValue::String(u"#text");
            break;
        case 4:
            mrtResult = KxwAutoValue::String(u"#cdata-section");
            break;
        case 8:
            mrtResult = KxwAutoValue::String(u"#comment");
            break;
        case 9:
            mrtResult = KxwAutoValue::String(u"#document");
            break;
        case 11:
            mrtResult = KxwAutoValue::String(u"#document-fragment");
            break;
        default:
            mrtResult = KxwAutoValue::String(u"");
            break;
    }
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetNodeValue(KxwAutoValue& mrtResult) {
    switch (DomType(_ptNode)) {
        case 2:
        case 3:
        case 4:
        case 7:
        case 8:
            mrtResult = Text(xfdsKxwXmlDomTakeChars(xmlNodeGetContent(_ptNode)));
            break;
        default:
            mrtResult = KxwAutoValue::Null();
            break;
    }
    return KXW_AUTO_S_OK;
}

void KxwXmlDomNode::SetContent(const std::string& mrdsUtf8) {
    xmlNodeSetContent(_ptNode, xfpKxwXmlDomChars(mrdsUtf8));
    _tTree->Touch();
}

KxwAutoResult KxwXmlDomNode::PutNodeValue(const KxwAutoValue& mrtValue) {
    std::string dsValue;
    KxwAutoResult lResult = xflKxwXmlDomValueText(mrtValue, "value", dsValue, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    switch (DomType(_ptNode)) {
        case 2:
            _tTree->SetText(_ptNode, xfpKxwXmlDomChars(dsValue));
            return KXW_AUTO_S_OK;
        case 3:
        case 4:
        case 7:
        case 8:
            SetContent(dsValue);
            return KXW_AUTO_S_OK;
        default:
            return Fail(KXW_AUTO_E_FAIL,
                        std::string("A node of type ") + kapszTypeStrings[DomType(_ptNode)] + " has no value to set");
    }
}

KxwAutoResult KxwXmlDomNode::GetNodeType(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(DomType(_ptNode));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetNodeTypeString(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Utf8(kapszTypeStrings[DomType(_ptNode)]);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetParentNode(KxwAutoValue& mrtResult) {
    mrtResult = DomType(_ptNode) == 2 ? KxwAutoValue::Null() : ValueOf(_ptNode->parent);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetChildNodes(KxwAutoValue& mrtResult) {
    mrtResult = KxwXmlDomNodeList::Children(this);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetFirstChild(KxwAutoValue& mrtResult) {
    mrtResult = DomType(_ptNode) == 10 ? KxwAutoValue::Null() : ValueOf(FirstVisible(_ptNode->children));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetLastChild(KxwAutoValue& mrtResult) {
    mrtResult = DomType(_ptNode) == 10 ? KxwAutoValue::Null() : ValueOf(LastVisible(_ptNode->last));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetPreviousSibling(KxwAutoValue& mrtResult) {
    mrtResult =
        DomType(_ptNode) == 2 || DomType(_ptNode) == 9 ? KxwAutoValue::Null() : ValueOf(LastVisible(_ptNode->prev));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetNextSibling(KxwAutoValue& mrtResult) {
    mrtResult =
        DomType(_ptNode) == 2 || DomType(_ptNode) == 9 ? KxwAutoValue::Null() : ValueOf(FirstVisible(_ptNode->next));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetAttributes(KxwAutoValue& mrtResult) {
    mrtResult = DomType(_ptNode) == 1 ? KxwXmlDomNamedNodeMap::Of(this) : KxwAutoValue::Null();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetOwnerDocument(KxwAutoValue& mrtResult) {
    mrtResult = _tOwnerRef ? KxwAutoValue::Object(_tOwnerRef) : KxwAutoValue::Null();
    return KXW_AUTO_S_OK;
}

std::string KxwXmlDomNode::Markup(xmlNode* mptNode) {
    switch (DomType(mptNode)) {
        case 0:
            return std::string();
        case 2: {
            std::string dsValue = xfdsKxwXmlDomTakeChars(xmlNodeGetContent(mptNode));
            std::string dsEscaped =
                xfdsKxwXmlDomTakeChars(xmlEncodeSpecialChars(mptNode->doc, xfpKxwXmlDomChars(dsValue)));
            return xfdsKxwXmlDomQualifiedName(mptNode) + "=\"" + dsEscaped + "\"";
        }
        case 9: {
            // Each top-level node on a line of its own, as the document's markup was written then.
            std::string dsMarkup;
            for (xmlNode* ptChild = FirstVisible(mptNode->children); ptChild; ptChild = FirstVisible(ptChild->next))
                dsMarkup += Markup(ptChild) + "\r\n";
            return dsMarkup;
        }
        case 11: {
            std::string dsMarkup;
            for (xmlNode* ptChild = mptNode->children; ptChild; ptChild = ptChild->next) dsMarkup += Markup(ptChild);
            return dsMarkup;
        }
        default:
            break;
    }
    xmlBufferPtr ptBuffer = xmlBufferCreate();
    if (!ptBuffer) KxwUtilOutOfMemoryAbort(0, "xmlBuffer for the xml property");
    xmlSaveCtxtPtr ptSave = xmlSaveToBuffer(ptBuffer, "UTF-8", XML_SAVE_NO_DECL | XML_SAVE_AS_XML);
    if (ptSave) {
        xmlSaveTree(ptSave, mptNode);
        xmlSaveClose(ptSave);
    }
    std::string dsMarkup(reinterpret_cast<const char*>(xmlBufferContent(ptBuffer)),
                         static_cast<size_t>(xmlBufferLength(ptBuffer)));
    xmlBufferFree(ptBuffer);
    return dsMarkup;
}

KxwAutoResult KxwXmlDomNode::GetXml(KxwAutoValue& mrtResult) {
    mrtResult = Text(Markup(_ptNode));
    return KXW_AUTO_S_OK;
}

std::string KxwXmlDomNode::TextOf(xmlNode* mptNode, bool mbPreserveWhiteSpace) {
    switch (DomType(mptNode)) {
        case 1:
        case 9:
        case 11: {
            std::string dsText = xfdsKxwXmlDomTakeChars(xmlNodeGetContent(mptNode));
            return mbPreserveWhiteSpace ? dsText : Trimmed(dsText);
        }
        case 2:
        case 3:
        case 4:
        case 7:
        case 8:
            return xfdsKxwXmlDomTakeChars(xmlNodeGetContent(mptNode));
        default:
            return std::string();
    }
}

KxwAutoResult KxwXmlDomNode::GetText(KxwAutoValue& mrtResult) {
    mrtResult = Text(TextOf(_ptNode, _ptOwner->IsPreservingWhiteSpace()));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::PutText(const KxwAutoValue& mrtValue) {
    std::string dsValue;
    KxwAutoResult lResult = xflKxwXmlDomValueText(mrtValue, "text", dsValue, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    switch (DomType(_ptNode)) {
        case 1:
        case 2:
        case 11:
            _tTree->SetText(_ptNode, xfpKxwXmlDomChars(dsValue));
            return KXW_AUTO_S_OK;
        case 3:
        case 4:
        case 7:
        case 8:
            SetContent(dsValue);
            return KXW_AUTO_S_OK;
        default:
            return Fail(KXW_AUTO_E_FAIL, std::string("The text of a node of type ") +
                                             kapszTypeStrings[DomType(_ptNode)] + " cannot be set");
    }
}

KxwAutoResult KxwXmlDomNode::GetBaseName(KxwAutoValue& mrtResult) {
    std::string dsName;
    int iType = DomType(_ptNode);
    if (iType == 1 || iType == 2) {
        dsName = Chars(_ptNode->name);
        // A name made without a namespace keeps its prefix in the name.
        size_t nColon = _ptNode->ns ? std::string::npos : dsName.find(':');
        if (nColon != std::string::npos) dsName = dsName.substr(nColon + 1);
    } else if (iType == 7) {
        dsName = Chars(_ptNode->name);
    }
    mrtResult = Text(dsName);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetPrefix(KxwAutoValue& mrtResult) {
    std::string dsPrefix;
    int iType = DomType(_ptNode);
    if (iType == 1 || iType == 2) {
        if (_ptNode->ns) {
            dsPrefix = Chars(_ptNode->ns->prefix);
        } else {
            std::string dsName = Chars(_ptNode->name);
            size_t nColon = dsName.find(':');
            if (nColon != std::string::npos) dsPrefix = dsName.substr(0, nColon);
        }
    }
    mrtResult = Text(dsPrefix);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetNamespaceUri(KxwAutoValue& mrtResult) {
    int iType = DomType(_ptNode);
    mrtResult = Text((iType == 1 || iType == 2) && _ptNode->ns ? Chars(_ptNode->ns->href) : std::string());
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetSpecified(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Bool(true);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetParsed(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Bool(true);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetData(KxwAutoValue& mrtResult) {
    mrtResult = Text(xfdsKxwXmlDomTakeChars(xmlNodeGetContent(_ptNode)));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::PutData(const KxwAutoValue& mrtValue) {
    std::string dsValue;
    KxwAutoResult lResult = xflKxwXmlDomValueText(mrtValue, "data", dsValue, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    SetContent(dsValue);
    return KXW_AUTO_S_OK;
}

std::u16string KxwXmlDomNode::DataU16() const {
    return xfdsKxwXmlDomU16(xfdsKxwXmlDomTakeChars(xmlNodeGetContent(_ptNode)));
}

KxwAutoResult KxwXmlDomNode::GetLength(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(static_cast<int32_t>(DataU16().size()));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetTarget(KxwAutoValue& mrtResult) {
    mrtResult = Text(Chars(_ptNode->name));
    return KXW_AUTO_S_OK;
}

// ---------------------------------------------------------------------------------------------------------------
// The tree

KxwAutoResult KxwXmlDomNode::HasChildNodes(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    mrtResult = KxwAutoValue::Bool(DomType(_ptNode) != 10 && FirstVisible(_ptNode->children) != nullptr);
    return KXW_AUTO_S_OK;
}

xmlNode* KxwXmlDomNode::Import(xmlNode* mptForeign) {
    xmlNode* ptCopy = xmlDocCopyNode(mptForeign, _tTree->GetDoc(), 1);
    if (!ptCopy) return nullptr;
    KxwXmlDomTree::ClearObjects(ptCopy);
    _tTree->AdoptDetached(ptCopy);
    return ptCopy;
}

KxwAutoResult KxwXmlDomNode::ArgNode(const KxwAutoArgs& mrtArgs, size_t mnIndex, const char* mpszWhat, bool mbOptional,
                                     KxwXmlDomNode*& mrptNode) {
    mrptNode = nullptr;
    if (mnIndex >= mrtArgs.size() || mrtArgs[mnIndex].IsNullOrEmpty()) {
        if (mbOptional) return KXW_AUTO_S_OK;
        return Fail(KXW_AUTO_E_INVALIDARG, std::string("The argument ") + mpszWhat + " is missing");
    }
    mrptNode = FromValue(mrtArgs[mnIndex]);
    if (!mrptNode)
        return Fail(KXW_AUTO_E_TYPEMISMATCH, std::string("The argument ") + mpszWhat + " must be an XML node");
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::InsertChild(KxwXmlDomNode* mptChild, xmlNode* mptBefore, xmlNode* mptReplaced,
                                         KxwAutoValue& mrtResult) {
    int iParentType = DomType(_ptNode);
    if (iParentType != 1 && iParentType != 9 && iParentType != 11 && iParentType != 2)
        return Fail(KXW_AUTO_E_FAIL,
                    std::string("A node of type ") + kapszTypeStrings[iParentType] + " cannot have children");
    int iChildType = DomType(mptChild->_ptNode);
    if (iChildType == 9 || iChildType == 10 || iChildType == 2 || iChildType == 0)
        return Fail(KXW_AUTO_E_FAIL,
                    std::string("A node of type ") + kapszTypeStrings[iChildType] + " cannot be inserted as a child");
    if (iParentType == 2 && iChildType != 3)
        return Fail(KXW_AUTO_E_FAIL, "An attribute can only have text as children");
    if ((mptBefore && mptBefore->parent != _ptNode) || (mptReplaced && mptReplaced->parent != _ptNode))
        return Fail(KXW_AUTO_E_INVALIDARG, "The reference node is not a child of this node");
    xmlNode* ptChild = mptChild->_ptNode;
    if (mptChild->_tTree != _tTree) {
        // Another document's node is copied in: the original stays in its own document.
        ptChild = Import(ptChild);
        if (!ptChild) return Fail(KXW_AUTO_E_OUTOFMEMORY, "The node could not be copied into this document");
    }
    for (xmlNode* ptAncestor = _ptNode; ptAncestor; ptAncestor = ptAncestor->parent)
        if (ptAncestor == ptChild)
            return Fail(KXW_AUTO_E_FAIL, "A node cannot be inserted into itself or its descendants");

    std::vector<xmlNode*> tMoved;
    if (iChildType == 11) {
        for (xmlNode* ptKid = ptChild->children; ptKid; ptKid = ptKid->next) tMoved.push_back(ptKid);
    } else {
        tMoved.push_back(ptChild);
    }
    if (iParentType == 9) {
        // The document has one element at most and no text of its own.
        int iElements = 0;
        for (xmlNode* ptKid = _ptNode->children; ptKid; ptKid = ptKid->next)
            if (ptKid->type == XML_ELEMENT_NODE && ptKid != mptReplaced && ptKid != ptChild) ++iElements;
        for (xmlNode* ptMoved : tMoved) {
            if (ptMoved->type == XML_ELEMENT_NODE && ++iElements > 1)
                return Fail(KXW_AUTO_E_FAIL, "Only one top level element is allowed in an XML document");
            if (ptMoved->type == XML_TEXT_NODE || ptMoved->type == XML_CDATA_SECTION_NODE)
                return Fail(KXW_AUTO_E_FAIL, "Text is not allowed at the top level of an XML document");
        }
    }
    if (mptBefore == ptChild) mptBefore = FirstVisible(ptChild->next);
    for (xmlNode* ptMoved : tMoved) _tTree->Insert(_ptNode, ptMoved, mptBefore);
    if (mptReplaced && mptReplaced != ptChild) _tTree->Remove(mptReplaced);
    mrtResult = ValueOf(ptChild);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::AppendChild(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    KxwXmlDomNode* ptChild = nullptr;
    KxwAutoResult lResult = ArgNode(mrtArgs, 0, "newChild", false, ptChild);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    KxwAutoRef<KxwAutomation> tKeep(ptChild);
    return InsertChild(ptChild, nullptr, nullptr, mrtResult);
}

KxwAutoResult KxwXmlDomNode::InsertBefore(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    KxwXmlDomNode* ptChild = nullptr;
    KxwXmlDomNode* ptBefore = nullptr;
    KxwAutoResult lResult = ArgNode(mrtArgs, 0, "newChild", false, ptChild);
    if (xfbKxwAutoSucceeded(lResult)) lResult = ArgNode(mrtArgs, 1, "refChild", true, ptBefore);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (ptBefore && ptBefore->_tTree != _tTree)
        return Fail(KXW_AUTO_E_INVALIDARG, "The reference node is not a child of this node");
    KxwAutoRef<KxwAutomation> tKeep(ptChild);
    return InsertChild(ptChild, ptBefore ? ptBefore->_ptNode : nullptr, nullptr, mrtResult);
}

KxwAutoResult KxwXmlDomNode::ReplaceChild(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    KxwXmlDomNode* ptChild = nullptr;
    KxwXmlDomNode* ptOld = nullptr;
    KxwAutoResult lResult = ArgNode(mrtArgs, 0, "newChild", false, ptChild);
    if (xfbKxwAutoSucceeded(lResult)) lResult = ArgNode(mrtArgs, 1, "oldChild", false, ptOld);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (ptOld->_tTree != _tTree || ptOld->_ptNode->parent != _ptNode || DomType(ptOld->_ptNode) == 2)
        return Fail(KXW_AUTO_E_INVALIDARG, "The node to replace is not a child of this node");
    KxwAutoRef<KxwAutomation> tKeepOld(ptOld);
    KxwAutoRef<KxwAutomation> tKeep(ptChild);
    KxwAutoValue tInserted;
    lResult = InsertChild(ptChild, ptOld->_ptNode, ptOld->_ptNode, tInserted);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    mrtResult = KxwAutoValue::Object(tKeepOld);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::RemoveChild(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    KxwXmlDomNode* ptOld = nullptr;
    KxwAutoResult lResult = ArgNode(mrtArgs, 0, "oldChild", false, ptOld);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (ptOld->_tTree != _tTree || ptOld->_ptNode->parent != _ptNode || DomType(ptOld->_ptNode) == 2 ||
        DomType(ptOld->_ptNode) == 10)
        return Fail(KXW_AUTO_E_INVALIDARG, "The node to remove is not a child of this node");
    _tTree->Remove(ptOld->_ptNode);
    mrtResult = KxwAutoValue::Object(KxwAutoRef<KxwAutomation>(ptOld));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::CloneNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    bool bDeep = false;
    KxwAutoResult lResult = xflKxwXmlDomArgBool(mrtArgs, 0, "deep", bDeep, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    int iType = DomType(_ptNode);
    if (iType == 9) {
        mrtResult = _ptOwner->CloneDocument(bDeep);
        return KXW_AUTO_S_OK;
    }
    if (iType == 10) return Fail(KXW_AUTO_E_NOTIMPL, "The document type cannot be cloned");
    xmlNode* ptCopy = xmlDocCopyNode(_ptNode, _tTree->GetDoc(), bDeep || iType == 2 ? 1 : 2);
    if (!ptCopy) return Fail(KXW_AUTO_E_OUTOFMEMORY, "The node could not be copied");
    KxwXmlDomTree::ClearObjects(ptCopy);
    _tTree->AdoptDetached(ptCopy);
    mrtResult = ValueOf(ptCopy);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetElementsByTagName(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsName;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "tagName", dsName, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    mrtResult = KxwXmlDomNodeList::Descendants(this, dsName);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::Normalize(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    std::vector<xmlNode*> tParents;
    for (xmlNode* ptNode = _ptNode; ptNode; ptNode = xfptKxwXmlDomNextInTree(ptNode, _ptNode))
        if (ptNode->type == XML_ELEMENT_NODE || ptNode == _ptNode) tParents.push_back(ptNode);
    for (xmlNode* ptParent : tParents) {
        xmlNode* ptChild = ptParent->children;
        while (ptChild) {
            xmlNode* ptNext = ptChild->next;
            if (ptChild->type != XML_TEXT_NODE) {
                ptChild = ptNext;
                continue;
            }
            if (!ptChild->content || !*ptChild->content) {
                _tTree->Discard(ptChild);
            } else if (ptNext && ptNext->type == XML_TEXT_NODE) {
                xmlNodeAddContent(ptChild, ptNext->content);
                _tTree->Discard(ptNext);
                continue;  // the merged text may meet another
            }
            ptChild = ptNext;
        }
    }
    _tTree->Touch();
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}

// ---------------------------------------------------------------------------------------------------------------
// Selections and transforms

KxwAutoResult KxwXmlDomNode::Select(const KxwAutoArgs& mrtArgs, bool mbSingle, KxwAutoValue& mrtResult) {
    std::string dsExpression;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "queryString", dsExpression, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    return xflKxwXmlDomSelect(this, dsExpression, mbSingle, mrtResult, _dsError);
}

KxwAutoResult KxwXmlDomNode::SelectNodes(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    return Select(mrtArgs, false, mrtResult);
}

KxwAutoResult KxwXmlDomNode::SelectSingleNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    return Select(mrtArgs, true, mrtResult);
}

KxwAutoResult KxwXmlDomNode::TransformNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    KxwXmlDomNode* ptStylesheet = nullptr;
    KxwAutoResult lResult = ArgNode(mrtArgs, 0, "stylesheet", false, ptStylesheet);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    std::string dsOutput;
    if (!xfbKxwXmlDomTransformToText(_ptNode, ptStylesheet->_ptNode, dsOutput, _dsError)) return KXW_AUTO_E_FAIL;
    mrtResult = Text(dsOutput);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::TransformNodeToObject(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    KxwXmlDomNode* ptStylesheet = nullptr;
    KxwXmlDomNode* ptOutput = nullptr;
    KxwAutoResult lResult = ArgNode(mrtArgs, 0, "stylesheet", false, ptStylesheet);
    if (xfbKxwAutoSucceeded(lResult)) lResult = ArgNode(mrtArgs, 1, "outputObject", false, ptOutput);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    auto* ptOutputDocument = dynamic_cast<KxwXmlDomDocument*>(ptOutput);
    if (!ptOutputDocument) return Fail(KXW_AUTO_E_TYPEMISMATCH, "The output object must be an XML document");
    KxwAutoRef<KxwAutomation> tKeep(ptOutput);
    xmlDoc* ptResult = xfptKxwXmlDomTransformToDoc(_ptNode, ptStylesheet->_ptNode, _dsError);
    if (!ptResult) return KXW_AUTO_E_FAIL;
    ptOutputDocument->TakeTransformResult(ptResult);
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}

// ---------------------------------------------------------------------------------------------------------------
// Attributes

KxwAutoResult KxwXmlDomNode::GetAttribute(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsName;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "name", dsName, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (xmlAttr* ptAttr = FindAttribute(_ptNode, dsName)) {
        mrtResult = Text(xfdsKxwXmlDomTakeChars(xmlNodeGetContent(reinterpret_cast<xmlNode*>(ptAttr))));
    } else if (xmlNs* ptNs = FindDeclaration(_ptNode, dsName)) {
        mrtResult = Text(Chars(ptNs->href));
    } else {
        mrtResult = KxwAutoValue::Null();
    }
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::SetAttribute(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsName;
    std::string dsValue;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "name", dsName, _dsError);
    if (xfbKxwAutoSucceeded(lResult)) {
        if (mrtArgs.size() < 2) return Fail(KXW_AUTO_E_INVALIDARG, "The argument value is missing");
        lResult = xflKxwXmlDomValueText(mrtArgs[1], "value", dsValue, _dsError);
    }
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (!xfbKxwXmlDomIsName(dsName)) return Fail(KXW_AUTO_E_INVALIDARG, "The attribute name is not a valid XML name");
    mrtResult = KxwAutoValue();
    if (xmlAttr* ptAttr = FindAttribute(_ptNode, dsName)) {
        _tTree->SetText(reinterpret_cast<xmlNode*>(ptAttr), xfpKxwXmlDomChars(dsValue));
        return KXW_AUTO_S_OK;
    }
    if (dsName == "xmlns" || dsName.compare(0, 6, "xmlns:") == 0) {
        // A namespace declaration: kept as libxml2 keeps the parsed ones.
        if (xmlNs* ptNs = FindDeclaration(_ptNode, dsName)) {
            if (Chars(ptNs->href) != dsValue) return Fail(KXW_AUTO_E_FAIL, "A namespace declaration cannot be changed");
            return KXW_AUTO_S_OK;
        }
        std::string dsPrefix = dsName.size() > 6 ? dsName.substr(6) : std::string();
        if (!xmlNewNs(_ptNode, xfpKxwXmlDomChars(dsValue), dsPrefix.empty() ? nullptr : xfpKxwXmlDomChars(dsPrefix)))
            return Fail(KXW_AUTO_E_FAIL, "The namespace declaration could not be added");
        _tTree->Touch();
        return KXW_AUTO_S_OK;
    }
    std::string dsLocal = dsName;
    xmlNs* ptNs = nullptr;
    size_t nColon = dsName.find(':');
    if (nColon != std::string::npos) {
        std::string dsPrefix = dsName.substr(0, nColon);
        ptNs = xmlSearchNs(_tTree->GetDoc(), _ptNode, xfpKxwXmlDomChars(dsPrefix));
        if (ptNs) dsLocal = dsName.substr(nColon + 1);
    }
    xmlAttr* ptAttr = xmlNewDocProp(_tTree->GetDoc(), xfpKxwXmlDomChars(dsLocal), nullptr);
    if (!ptAttr) return Fail(KXW_AUTO_E_OUTOFMEMORY, "The attribute could not be made");
    ptAttr->ns = ptNs;
    _tTree->InsertAttribute(_ptNode, ptAttr);
    _tTree->SetText(reinterpret_cast<xmlNode*>(ptAttr), xfpKxwXmlDomChars(dsValue));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::RemoveAttribute(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsName;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "name", dsName, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (xmlAttr* ptAttr = FindAttribute(_ptNode, dsName)) _tTree->Discard(reinterpret_cast<xmlNode*>(ptAttr));
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::GetAttributeNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::string dsName;
    KxwAutoResult lResult = xflKxwXmlDomArgText(mrtArgs, 0, "name", dsName, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    xmlAttr* ptAttr = FindAttribute(_ptNode, dsName);
    mrtResult = ptAttr ? ValueOf(reinterpret_cast<xmlNode*>(ptAttr)) : KxwAutoValue::Null();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::SetAttributeNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    KxwXmlDomNode* ptNew = nullptr;
    KxwAutoResult lResult = ArgNode(mrtArgs, 0, "DOMAttribute", false, ptNew);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (DomType(ptNew->_ptNode) != 2) return Fail(KXW_AUTO_E_INVALIDARG, "The node is not an attribute");
    KxwAutoRef<KxwAutomation> tKeep(ptNew);
    xmlNode* ptAttr = ptNew->_ptNode;
    if (ptNew->_tTree != _tTree) {
        ptAttr = Import(ptAttr);
        if (!ptAttr) return Fail(KXW_AUTO_E_OUTOFMEMORY, "The attribute could not be copied into this document");
    }
    mrtResult = KxwAutoValue::Null();
    if (ptAttr->parent == _ptNode) return KXW_AUTO_S_OK;
    if (ptAttr->parent) return Fail(KXW_AUTO_E_FAIL, "The attribute belongs to another element: remove it first");
    xmlAttr* ptOld = FindAttribute(_ptNode, xfdsKxwXmlDomQualifiedName(ptAttr));
    if (ptOld) {
        mrtResult = ValueOf(reinterpret_cast<xmlNode*>(ptOld));
        _tTree->Remove(reinterpret_cast<xmlNode*>(ptOld));
    }
    _tTree->InsertAttribute(_ptNode, reinterpret_cast<xmlAttr*>(ptAttr));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::RemoveAttributeNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    KxwXmlDomNode* ptOld = nullptr;
    KxwAutoResult lResult = ArgNode(mrtArgs, 0, "DOMAttribute", false, ptOld);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (DomType(ptOld->_ptNode) != 2 || ptOld->_ptNode->parent != _ptNode)
        return Fail(KXW_AUTO_E_INVALIDARG, "The attribute is not one of this element's");
    _tTree->Remove(ptOld->_ptNode);
    mrtResult = KxwAutoValue::Object(KxwAutoRef<KxwAutomation>(ptOld));
    return KXW_AUTO_S_OK;
}

// ---------------------------------------------------------------------------------------------------------------
// Character data

namespace {
enum { kAppend, kSubstring, kInsert, kDelete, kReplace };
}

KxwAutoResult KxwXmlDomNode::EditData(const KxwAutoArgs& mrtArgs, int miOperation, KxwAutoValue& mrtResult) {
    std::u16string dsData = DataU16();
    int32_t iOffset = 0;
    int32_t iCount = 0;
    std::string dsText;
    KxwAutoResult lResult = KXW_AUTO_S_OK;
    size_t nNext = 0;
    if (miOperation != kAppend) {
        lResult = xflKxwXmlDomArgInt(mrtArgs, nNext++, "offset", iOffset, _dsError);
        if (!xfbKxwAutoSucceeded(lResult)) return lResult;
        if (iOffset < 0 || static_cast<size_t>(iOffset) > dsData.size())
            return Fail(KXW_AUTO_E_INVALIDARG, "The offset is outside the data");
    }
    if (miOperation == kSubstring || miOperation == kDelete || miOperation == kReplace) {
        lResult = xflKxwXmlDomArgInt(mrtArgs, nNext++, "count", iCount, _dsError);
        if (!xfbKxwAutoSucceeded(lResult)) return lResult;
        if (iCount < 0) return Fail(KXW_AUTO_E_INVALIDARG, "The count is negative");
    }
    if (miOperation == kAppend || miOperation == kInsert || miOperation == kReplace) {
        lResult = xflKxwXmlDomArgText(mrtArgs, nNext++, "data", dsText, _dsError);
        if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    }
    std::u16string dsText16 = xfdsKxwXmlDomU16(dsText);
    size_t nOffset = static_cast<size_t>(iOffset);
    size_t nCount = std::min(static_cast<size_t>(iCount), dsData.size() - nOffset);
    mrtResult = KxwAutoValue();
    switch (miOperation) {
        case kAppend:
            dsData += dsText16;
            break;
        case kSubstring:
            mrtResult = KxwAutoValue::String(dsData.substr(nOffset, nCount));
            return KXW_AUTO_S_OK;
        case kInsert:
            dsData.insert(nOffset, dsText16);
            break;
        case kDelete:
            dsData.erase(nOffset, nCount);
            break;
        case kReplace:
            dsData.replace(nOffset, nCount, dsText16);
            break;
        default:
            break;
    }
    SetContent(xfdsKxwXmlDomUtf8(dsData));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNode::AppendData(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    return EditData(mrtArgs, kAppend, mrtResult);
}
KxwAutoResult KxwXmlDomNode::SubstringData(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    return EditData(mrtArgs, kSubstring, mrtResult);
}
KxwAutoResult KxwXmlDomNode::InsertData(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    return EditData(mrtArgs, kInsert, mrtResult);
}
KxwAutoResult KxwXmlDomNode::DeleteData(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    return EditData(mrtArgs, kDelete, mrtResult);
}
KxwAutoResult KxwXmlDomNode::ReplaceData(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    return EditData(mrtArgs, kReplace, mrtResult);
}

KxwAutoResult KxwXmlDomNode::SplitText(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    int32_t iOffset = 0;
    KxwAutoResult lResult = xflKxwXmlDomArgInt(mrtArgs, 0, "offset", iOffset, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    std::u16string dsData = DataU16();
    if (iOffset < 0 || static_cast<size_t>(iOffset) > dsData.size())
        return Fail(KXW_AUTO_E_INVALIDARG, "The offset is outside the data");
    std::string dsTail = xfdsKxwXmlDomUtf8(dsData.substr(static_cast<size_t>(iOffset)));
    xmlNode* ptTail =
        _ptNode->type == XML_CDATA_SECTION_NODE
            ? xmlNewCDataBlock(_tTree->GetDoc(), xfpKxwXmlDomChars(dsTail), static_cast<int>(dsTail.size()))
            : xmlNewDocText(_tTree->GetDoc(), xfpKxwXmlDomChars(dsTail));
    if (!ptTail) return Fail(KXW_AUTO_E_OUTOFMEMORY, "The text could not be split");
    _tTree->AdoptDetached(ptTail);
    SetContent(xfdsKxwXmlDomUtf8(dsData.substr(0, static_cast<size_t>(iOffset))));
    if (_ptNode->parent) _tTree->Insert(_ptNode->parent, ptTail, _ptNode->next);
    mrtResult = ValueOf(ptTail);
    return KXW_AUTO_S_OK;
}
