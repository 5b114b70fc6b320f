// The factory of the element classes by tag, and the tables by subtype that go with it (tag names, content).
#include <cstring>

#include "KxwDomCoreComment.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementApplet.h"
#include "KxwDomHtmlElementAreaAnchor.h"
#include "KxwDomHtmlElementButton.h"
#include "KxwDomHtmlElementForm.h"
#include "KxwDomHtmlElementFrame.h"
#include "KxwDomHtmlElementGeneric.h"
#include "KxwDomHtmlElementImage.h"
#include "KxwDomHtmlElementInput.h"
#include "KxwDomHtmlElementLabel.h"
#include "KxwDomHtmlElementMap.h"
#include "KxwDomHtmlElementMeta.h"
#include "KxwDomHtmlElementNoScript.h"
#include "KxwDomHtmlElementObject.h"
#include "KxwDomHtmlElementOption.h"
#include "KxwDomHtmlElementScript.h"
#include "KxwDomHtmlElementSelect.h"
#include "KxwDomHtmlElementSimple.h"
#include "KxwDomHtmlElementStyle.h"
#include "KxwDomHtmlElementTable.h"
#include "KxwDomHtmlElementTableCell.h"
#include "KxwDomHtmlElementTableSection.h"
#include "KxwDomHtmlElementTextArea.h"
#include "KxwDomHtmlElementTitle.h"
#include "KxwDomHtmlElementTr.h"
#include "KxwDomHtmlElementWithName.h"
#include "KxwDomHtmlElementXml.h"
#include "KxwUtilTagName.h"
#include "kxw/KxwEnvCfg.h"

namespace {

// The element of the tag's class, on mptMemMgr (the process heap when null).
KxwDomHtmlElement* NewElementOfTag(const KxwUtilTagName& mrtTagName, KxwDomHtmlDocument* mptDocument,
                                   KxwMemMgr* mptMemMgr) {
    bool bUseMemMgr = mptMemMgr != nullptr;
    auto eSubtype = static_cast<KXW_DOM_COMMON_NODE_SUBTYPE_ENUM>(mrtTagName.GetSubtype());
    switch (eSubtype) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_NAMESPACED_ELEMENT:
            return new (mptMemMgr) KxwDomHtmlElement_Generic(mptDocument, mrtTagName, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TITLE:
            return new (mptMemMgr) KxwDomHtmlElementTitle(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_NOSCRIPT:
            return new (mptMemMgr) KxwDomHtmlElementNoScript(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_A:
            return new (mptMemMgr) KxwDomHtmlElementAnchor(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_AREA:
            return new (mptMemMgr) KxwDomHtmlElementArea(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BASE:
            return new (mptMemMgr) KxwDomHtmlElementBase(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LINK:
            return new (mptMemMgr) KxwDomHtmlElementLink(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IMG:
            return new (mptMemMgr) KxwDomHtmlElementImage(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_STYLE:
            return new (mptMemMgr) KxwDomHtmlElementStyle(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FORM:
            return new (mptMemMgr) KxwDomHtmlElementForm(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PARAM:
            return new (mptMemMgr) KxwDomHtmlElementParam(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_MAP:
            return new (mptMemMgr) KxwDomHtmlElementMap(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OBJECT:
            return new (mptMemMgr) KxwDomHtmlElementObject(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_APPLET:
            return new (mptMemMgr) KxwDomHtmlElementApplet(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_XML:
            return new (mptMemMgr) KxwDomHtmlElementXml(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_EMBED:
            return new (mptMemMgr) KxwDomHtmlElementWithName(mptDocument, eSubtype, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_META:
            return new (mptMemMgr) KxwDomHtmlElementMeta(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT:
            return new (mptMemMgr) KxwDomHtmlElementInput(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BUTTON:
            return new (mptMemMgr) KxwDomHtmlElementButton(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SELECT:
            return new (mptMemMgr) KxwDomHtmlElementSelect(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OPTION:
            return new (mptMemMgr) KxwDomHtmlElementOption(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TEXTAREA:
            return new (mptMemMgr) KxwDomHtmlElementTextArea(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LABEL:
            return new (mptMemMgr) KxwDomHtmlElementLabel(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FRAME:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IFRAME:
            return new (mptMemMgr) KxwDomHtmlElementFrameBase(mptDocument, eSubtype, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_SCRIPT:
            return new (mptMemMgr) KxwDomHtmlElementScript(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TABLE:
            return new (mptMemMgr) KxwDomHtmlElementTable(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_THEAD:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TBODY:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TFOOT:
            return new (mptMemMgr) KxwDomHtmlElementTableSection(mptDocument, eSubtype, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TR:
            return new (mptMemMgr) KxwDomHtmlElementTr(mptDocument, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TD:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TH:
            return new (mptMemMgr) KxwDomHtmlElementTableCell(mptDocument, eSubtype, bUseMemMgr);
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_COMMENT:
            return new (mptMemMgr) KxwDomHtmlElementComment(mptDocument, eSubtype, bUseMemMgr);
        default:
            if (KxwDomHtmlElementSimple::IsSimpleSubtype(eSubtype))
                return new (mptMemMgr) KxwDomHtmlElementSimple(mptDocument, eSubtype, bUseMemMgr);
            return nullptr;
    }
}

}  // namespace

KxwDomHtmlElement* KxwDomHtmlElement::AllocElement(const KxwUtilTagName& mrtTagName,
                                                   KxwDomHtmlDocument* mptOwnerDocument, bool mbAddToDisconnectList) {
    // Without an object manager every element lives on its document's memory manager.
    constexpr bool kbUseMemMgr = true;
    KxwMemMgr* ptMemMgr = mptOwnerDocument ? mptOwnerDocument->GetMemMgr() : nullptr;
    int iSubtype = mrtTagName.GetSubtype();
    if (!mptOwnerDocument || !ptMemMgr) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mptOwnerDocument=%p / ptMemMgr=%p / bUseMemMgr=%d in KxwDomHtmlElement::AllocElement(mrtTagName="
            "%d=%.100s, mptOwnerDocument=%p, mbAddToDisconnectList=%d). Returning NULL",
            static_cast<void*>(mptOwnerDocument), static_cast<void*>(ptMemMgr), kbUseMemMgr ? 1 : 0, iSubtype,
            mrtTagName.GetTagNameOrInvalidDcsStr(), static_cast<void*>(mptOwnerDocument),
            mbAddToDisconnectList ? 1 : 0);
        return nullptr;
    }
    bool bValid = mrtTagName.IsValid() && iSubtype >= KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT &&
                  iSubtype <= KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_WBR;
    KxwDomHtmlElement* ptElement = bValid ? NewElementOfTag(mrtTagName, mptOwnerDocument, ptMemMgr) : nullptr;
    if (!ptElement) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mrtTagName in KxwDomHtmlElement::AllocElement(mrtTagName=%d=%.100s, mptOwnerDocument=%p, "
            "mbAddToDisconnectList=%d). ptMemMgr=%p, bUseMemMgr=%d. Returning NULL",
            iSubtype, mrtTagName.GetTagNameOrInvalidDcsStr(), static_cast<void*>(mptOwnerDocument),
            mbAddToDisconnectList ? 1 : 0, static_cast<void*>(ptMemMgr), kbUseMemMgr ? 1 : 0);
        return nullptr;
    }
    // Elements made now resolve their addresses against the BASE in force.
    ptElement->_uElementBaseIndex = mptOwnerDocument->GetActiveBaseIndex();
    if (mbAddToDisconnectList) mptOwnerDocument->AddToDisconnectedNodesList(ptElement);
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "Allocated %.100s at %p %.10s adding to DisconnectedNodesList in KxwDomHtmlElement::AllocElement("
            "mrtTagName=%d, mptOwnerDocument=%p, mbAddToDisconnectList=%d). ptMemMgr=%p, bUseMemMgr=%d",
            mrtTagName.GetTagNameOrInvalidDcsStr(), static_cast<void*>(ptElement),
            mbAddToDisconnectList ? "with" : "without", iSubtype, static_cast<void*>(mptOwnerDocument),
            mbAddToDisconnectList ? 1 : 0, static_cast<void*>(ptMemMgr), kbUseMemMgr ? 1 : 0);
    return ptElement;
}

KXW_DOM_COMMON_NODE_SUBTYPE_ENUM KxwDomHtmlElement::GetSubtypeByU16nTagName(const char16_t* mpwsfTagName,
                                                                            unsigned muTagNameLenInChars) {
    if (!mpwsfTagName) return KXW_DOM_COMMON_NODE_SUBTYPE_NONE;
    for (int iSubtype = KXW_DOM_COMMON_NODE_SUBTYPE_LAST_HTML_ELEMENT; iSubtype >= 0; --iSubtype) {
        const char* pszTag = xfpszKxwUtilGetTagNameBySubtype(iSubtype);
        if (!pszTag || std::strlen(pszTag) != muTagNameLenInChars) continue;
        bool bEqual = true;
        for (unsigned n = 0; n < muTagNameLenInChars && bEqual; ++n) {
            char16_t wc = mpwsfTagName[n];
            if (wc >= u'a' && wc <= u'z') wc = static_cast<char16_t>(wc - 32);
            bEqual = wc == static_cast<char16_t>(static_cast<unsigned char>(pszTag[n]));
        }
        if (bEqual) return static_cast<KXW_DOM_COMMON_NODE_SUBTYPE_ENUM>(iSubtype);
    }
    return KXW_DOM_COMMON_NODE_SUBTYPE_NONE;
}

KXW_DOM_HTML_CONTENT_MODEL_ENUM KxwDomHtmlElement::GetContentModel(int miSubtype) {
    switch (miSubtype) {
        case KXW_DOM_COMMON_NODE_SUBTYPE_NAMESPACED_ELEMENT:
            return KXW_DOM_HTML_CONTENT_MODEL_ANY;
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HTML:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BODY:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_OPTION:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_P:
            return KXW_DOM_HTML_CONTENT_MODEL_MARKED;
        // The generic element and the empty elements of the emulated browser. CAPTION is not among them: a table's
        // caption holds its text.
        case KXW_DOM_COMMON_NODE_SUBTYPE_GENERIC_ELEMENT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_IMG:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_FRAME:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_INPUT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_AREA:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_META:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_LINK:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_COL:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_HR:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BR:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PARAM:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_EMBED:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_ABBR:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_BGSOUND:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_ISINDEX:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_NEXTID:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PLAINTEXT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_WBR:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_ATTACH:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_COMPONENT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_EVENT:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_METHOD:
        case KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_PUBLIC_PROPERTY:
            return KXW_DOM_HTML_CONTENT_MODEL_NONE;
        default:
            return miSubtype >= KXW_DOM_COMMON_NODE_SUBTYPE_FIRST_HTML_ELEMENT &&
                           miSubtype <= KXW_DOM_COMMON_NODE_SUBTYPE_LAST_HTML_ELEMENT
                       ? KXW_DOM_HTML_CONTENT_MODEL_ANY
                       : KXW_DOM_HTML_CONTENT_MODEL_NONE;
    }
}
