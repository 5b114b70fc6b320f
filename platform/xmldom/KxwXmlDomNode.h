// A node of an XML document as scripts see it: one class for elements, attributes, texts, CDATA sections,
// comments, processing instructions, document fragments and the document type, its type deciding which members it
// has. A libxml2 node has one object while the object lives (the node points back to it); the object holds its
// document object and the tree, so a node a script kept still works after the document's last other reference
// went.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string>

#include "KxwAutomation.h"

class KxwXmlDomDocument;
class KxwXmlDomTree;

class KxwXmlDomNode : public KxwAutomation {
public:
    // The object of a node of the tree (made at its first use), the document object for the tree's document node
    // while it is the document's current one, null for null and for nodes scripts never see.
    static KxwAutoRef<KxwAutomation> ObjectOf(KxwXmlDomDocument* mptOwner,
                                              const std::shared_ptr<KxwXmlDomTree>& mrtTree, xmlNode* mptNode);
    // The node object behind an argument, or null when it is none of ours.
    static KxwXmlDomNode* FromValue(const KxwAutoValue& mrtValue);

    const char* GetInterfaceName() const override;
    bool FindMember(const char* mpszName, KxwAutoMember& mrtMember) override;
    KxwAutoResult Get(int32_t miId, KxwAutoValue& mrtResult) override;
    KxwAutoResult Put(int32_t miId, const KxwAutoValue& mrtValue) override;
    KxwAutoResult Call(int32_t miId, const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) override;
    std::string GetErrorDescription() const override { return _dsError; }

    xmlNode* GetXmlNode() const { return _ptNode; }
    const std::shared_ptr<KxwXmlDomTree>& GetTree() const { return _tTree; }
    // The document object the node belongs to (the document itself for the document).
    KxwXmlDomDocument* GetOwner() const { return _ptOwner; }
    // The object of another node of the same tree, as a value.
    KxwAutoValue ValueOf(xmlNode* mptNode) const;
    // The node's type as scripts number it (1 element ... 11 document fragment), 0 for others.
    static int DomType(const xmlNode* mptNode);
    // The nodeTypeString of a DOM node type (1 "element" to 12 "notation"); "" for any other number.
    static const char* TypeString(int miDomType);
    // The node's markup (the xml property).
    static std::string Markup(xmlNode* mptNode);
    // The node's text (the text property): texts of the subtree, trimmed unless white space is preserved.
    static std::string TextOf(xmlNode* mptNode, bool mbPreserveWhiteSpace);

protected:
    // The document object passes itself (mptOwner) with mbIsDocument: it holds no reference to itself.
    KxwXmlDomNode(KxwXmlDomDocument* mptOwner, std::shared_ptr<KxwXmlDomTree> mtTree, xmlNode* mptNode,
                  bool mbIsDocument);
    ~KxwXmlDomNode() override;
    // The document's new tree after a load.
    void ResetTree(std::shared_ptr<KxwXmlDomTree> mtTree);
    KxwAutoResult Fail(KxwAutoResult mlResult, std::string mdsWhy);
    // A node argument: one of ours, in this tree (imported by copy when it comes from another tree).
    KxwAutoResult ArgNode(const KxwAutoArgs& mrtArgs, size_t mnIndex, const char* mpszWhat, bool mbOptional,
                          KxwXmlDomNode*& mrptNode);
    // Copies a node of another tree into this one; the copy is detached.
    xmlNode* Import(xmlNode* mptForeign);
    // Inserts (insertBefore, appendChild, replaceChild's new child); checks what may go where.
    KxwAutoResult InsertChild(KxwXmlDomNode* mptChild, xmlNode* mptBefore, xmlNode* mptReplaced,
                              KxwAutoValue& mrtResult);
    std::string _dsError;

public:
    struct Row {
        const char* _pszName;
        KxwAutoResult (KxwXmlDomNode::*_pfGet)(KxwAutoValue&);
        KxwAutoResult (KxwXmlDomNode::*_pfPut)(const KxwAutoValue&);
        KxwAutoResult (KxwXmlDomNode::*_pfCall)(const KxwAutoArgs&, KxwAutoValue&);
        unsigned _uTypes;  // bit n: the member answers on nodes of type n
    };

private:
    bool Answers(const Row& mrtRow) const;

    KxwAutoResult GetNodeName(KxwAutoValue& mrtResult);
    KxwAutoResult GetNodeValue(KxwAutoValue& mrtResult);
    KxwAutoResult PutNodeValue(const KxwAutoValue& mrtValue);
    KxwAutoResult GetNodeType(KxwAutoValue& mrtResult);
    KxwAutoResult GetNodeTypeString(KxwAutoValue& mrtResult);
    KxwAutoResult GetParentNode(KxwAutoValue& mrtResult);
    KxwAutoResult GetChildNodes(KxwAutoValue& mrtResult);
    KxwAutoResult GetFirstChild(KxwAutoValue& mrtResult);
    KxwAutoResult GetLastChild(KxwAutoValue& mrtResult);
    KxwAutoResult GetPreviousSibling(KxwAutoValue& mrtResult);
    KxwAutoResult GetNextSibling(KxwAutoValue& mrtResult);
    KxwAutoResult GetAttributes(KxwAutoValue& mrtResult);
    KxwAutoResult GetOwnerDocument(KxwAutoValue& mrtResult);
    KxwAutoResult GetXml(KxwAutoValue& mrtResult);
    KxwAutoResult GetText(KxwAutoValue& mrtResult);
    KxwAutoResult PutText(const KxwAutoValue& mrtValue);
    KxwAutoResult GetBaseName(KxwAutoValue& mrtResult);
    KxwAutoResult GetPrefix(KxwAutoValue& mrtResult);
    KxwAutoResult GetNamespaceUri(KxwAutoValue& mrtResult);
    KxwAutoResult GetSpecified(KxwAutoValue& mrtResult);
    KxwAutoResult GetParsed(KxwAutoValue& mrtResult);
    KxwAutoResult GetData(KxwAutoValue& mrtResult);
    KxwAutoResult PutData(const KxwAutoValue& mrtValue);
    KxwAutoResult GetLength(KxwAutoValue& mrtResult);
    KxwAutoResult GetTarget(KxwAutoValue& mrtResult);

    KxwAutoResult HasChildNodes(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult AppendChild(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult InsertBefore(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult RemoveChild(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult ReplaceChild(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult CloneNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult SelectNodes(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult SelectSingleNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult TransformNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult TransformNodeToObject(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult GetElementsByTagName(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Normalize(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult GetAttribute(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult SetAttribute(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult RemoveAttribute(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult GetAttributeNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult SetAttributeNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult RemoveAttributeNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult AppendData(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult SubstringData(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult InsertData(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult DeleteData(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult ReplaceData(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult SplitText(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);

    KxwAutoResult Select(const KxwAutoArgs& mrtArgs, bool mbSingle, KxwAutoValue& mrtResult);
    KxwAutoResult EditData(const KxwAutoArgs& mrtArgs, int miOperation, KxwAutoValue& mrtResult);
    // The character data as UTF-16 (data, length and the edits count in UTF-16 units, as scripts do).
    std::u16string DataU16() const;
    void SetContent(const std::string& mrdsUtf8);

    static const Row katMembers[];
    KxwXmlDomDocument* _ptOwner;
    KxwAutoRef<KxwAutomation> _tOwnerRef;  // empty for the document itself
    std::shared_ptr<KxwXmlDomTree> _tTree;
    xmlNode* _ptNode;
};
