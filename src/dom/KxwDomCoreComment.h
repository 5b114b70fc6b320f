// Comments: the comment node of the markup (node type 8, subtype 3, "#comment") and the COMMENT element of the
// emulated browser (subtype 89). Both keep their text as the node value, not as child nodes, and share the script
// class "comment" ("text", "length"). A comment is an element for every other purpose (collections, "all").
#pragma once

#include "KxwDomHtmlElement.h"

class KxwDomCoreComment : public KxwDomHtmlElement {
public:
    // meSubtype: KXW_DOM_COMMON_NODE_SUBTYPE_COMMENT for a comment node, ..._HTML_ELEMENT_COMMENT for the element.
    KxwDomCoreComment(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                      bool mbUseMemMgr);
    // A detached comment node with its text, on the document's memory manager; null (reported) without document.
    static KxwDomCoreComment* AllocCommentNode(KxwDomHtmlDocument* mptOwnerDocument, const char* mpsfDcsStr,
                                               unsigned muDcsLenInBytes);

    bool IsCommentNode() const { return GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_COMMENT; }
    KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const override {
        return IsCommentNode() ? KXW_DOM_COMMON_NODE_TYPE_COMMENT : KXW_DOM_COMMON_NODE_TYPE_ELEMENT;
    }
    const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const override;

    // The text is the node value; character data from the parser is added to it.
    bool AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) override;
    // Markup: a comment node is "<!--", its text as it is and "-->"; the COMMENT element its tags around its text.
    void AddDataToInnerOuterHtml(KxwDomHtmlTextsStr& mrtText) const override;
    void GenerateHtmlNonTextNodeInnerText(KxwDomHtmlTextsStr& mrtText) const override;

    // A comment node's text, when the mask asks for texts; a COMMENT element's line, and then its text when asked.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;
    void GetPrintingTagAndAttributes(std::string& mrdsTag, std::string& mrdsAttributes) const override;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;
    KxwDomHtmlElement* MakeEmptyClone(KxwDomHtmlDocument& mrtDocument) override;
};

using KxwDomHtmlElementComment = KxwDomCoreComment;
