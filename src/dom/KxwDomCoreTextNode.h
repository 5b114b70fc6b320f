// A text node: its node value is its content. Script class "textnode" ("length", "data", "parentNode").
#pragma once

#include "KxwDomNodeBase.h"

class KxwDomCoreTextNode : public KxwDomNodeBase {
public:
    KxwDomCoreTextNode(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr);
    // On the document's memory manager when mbUseMemMgr is set, else on the process heap; null (reported) without
    // a document, or without a memory manager when one is asked for.
    static KxwDomCoreTextNode* AllocTextNode(KxwDomCoreDocument* mptOwnerDocument, bool mbUseMemMgr);

    KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const override { return KXW_DOM_COMMON_NODE_TYPE_TEXT; }
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetNodeSubtype() const override { return KXW_DOM_COMMON_NODE_SUBTYPE_TEXT_NODE; }
    const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const override;
    // Its content, when the mask asks for texts.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;
    // Markup shows the text escaped, except inside the elements whose content is read as written (STYLE, XMP);
    // inner text takes it as it is.
    void AddDataToInnerOuterHtml(KxwDomHtmlTextsStr& mrtText) const override;
    void AddDataToInnerText(std::u16string& mrdsText) const override;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
};
