#include "KxwDomInterfaceNames.h"

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "KxwDomCoreNode.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlWindow.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilTagName.h"

namespace {

// Interface name, tag. Where one interface covers several tags (HTMLHeadingElement for H1 to H6,
// HTMLTableSectionElement for THEAD, TBODY and TFOOT, HTMLTableCellElement for TD and TH, HTMLModElement for INS
// and DEL), each tag has a class of its own here, and the name stands for the first tag's.
struct InterfaceTag {
    const char* _pszInterface;
    const char* _pszTag;
};
const InterfaceTag katInterfaceTags[] = {
    {"HTMLHtmlElement", "HTML"},         {"HTMLHeadElement", "HEAD"},
    {"HTMLTitleElement", "TITLE"},       {"HTMLMetaElement", "META"},
    {"HTMLBaseElement", "BASE"},         {"HTMLLinkElement", "LINK"},
    {"HTMLStyleElement", "STYLE"},       {"HTMLScriptElement", "SCRIPT"},
    {"HTMLBodyElement", "BODY"},         {"HTMLFrameSetElement", "FRAMESET"},
    {"HTMLFrameElement", "FRAME"},       {"HTMLIFrameElement", "IFRAME"},
    {"HTMLDivElement", "DIV"},           {"HTMLSpanElement", "SPAN"},
    {"HTMLParagraphElement", "P"},       {"HTMLHeadingElement", "H1"},
    {"HTMLPreElement", "PRE"},           {"HTMLQuoteElement", "Q"},
    {"HTMLModElement", "INS"},           {"HTMLBRElement", "BR"},
    {"HTMLHRElement", "HR"},             {"HTMLFontElement", "FONT"},
    {"HTMLAnchorElement", "A"},          {"HTMLImageElement", "IMG"},
    {"HTMLMapElement", "MAP"},           {"HTMLAreaElement", "AREA"},
    {"HTMLParamElement", "PARAM"},       {"HTMLEmbedElement", "EMBED"},
    {"HTMLUListElement", "UL"},          {"HTMLOListElement", "OL"},
    {"HTMLLIElement", "LI"},             {"HTMLDListElement", "DL"},
    {"HTMLDirectoryElement", "DIR"},     {"HTMLMenuElement", "MENU"},
    {"HTMLTableElement", "TABLE"},       {"HTMLTableCaptionElement", "CAPTION"},
    {"HTMLTableColElement", "COL"},      {"HTMLTableSectionElement", "TBODY"},
    {"HTMLTableRowElement", "TR"},       {"HTMLTableCellElement", "TD"},
    {"HTMLFormElement", "FORM"},         {"HTMLInputElement", "INPUT"},
    {"HTMLButtonElement", "BUTTON"},     {"HTMLSelectElement", "SELECT"},
    {"HTMLOptGroupElement", "OPTGROUP"}, {"HTMLOptionElement", "OPTION"},
    {"HTMLTextAreaElement", "TEXTAREA"}, {"HTMLLabelElement", "LABEL"},
    {"HTMLFieldSetElement", "FIELDSET"}, {"HTMLLegendElement", "LEGEND"},
};

const std::unordered_map<std::string, const char*>& TagsByInterface() {
    static const std::unordered_map<std::string, const char*> ktTable = [] {
        std::unordered_map<std::string, const char*> tTable;
        for (const InterfaceTag& rtEntry : katInterfaceTags) tTable.emplace(rtEntry._pszInterface, rtEntry._pszTag);
        return tTable;
    }();
    return ktTable;
}

// The class of a tag's elements: one element made in the window's document and let go at once. Each class's
// description is one static object, so the answer is the same in every window and is kept.
const KxwJswClassInformation* ClassOfTag(KxwDomHtmlDocument& mrtDocument, const char* mpszTag) {
    static std::mutex tMutex;
    static std::unordered_map<std::string, const KxwJswClassInformation*> tKnown;
    {
        std::lock_guard<std::mutex> tLock(tMutex);
        auto it = tKnown.find(mpszTag);
        if (it != tKnown.end()) return it->second;
    }
    KxwUtilTagName tTag(mpszTag, std::strlen(mpszTag));
    KxwDomHtmlElement* ptElement = KxwDomHtmlElement::AllocElement(tTag, &mrtDocument, false);
    if (!ptElement) return nullptr;
    const KxwJswClassInformation* ptClass = ptElement->GetClassInformation();
    delete ptElement;
    std::lock_guard<std::mutex> tLock(tMutex);
    tKnown.emplace(mpszTag, ptClass);
    return ptClass;
}

const KxwJswClassInformation* ResolveInterfaceName(KxwJswUserObjBase* mptWindow, const char* mpszName) {
    // Most names asked are a page's own globals: only these few and HTML...Element go further.
    if (std::strcmp(mpszName, "Node") == 0) return &KxwDomCoreNode::GetCoreNodeClassInformation();
    if (std::strcmp(mpszName, "Element") == 0) return &KxwDomCoreElement::GetCoreElementClassInformation();
    if (std::strncmp(mpszName, "HTML", 4) != 0) return nullptr;
    if (std::strcmp(mpszName, "HTMLElement") == 0) return &KxwDomHtmlElement::GetElementClassInformation();
    if (std::strcmp(mpszName, "HTMLDocument") == 0) return &KxwDomHtmlDocument::GetDocumentClassInformation();
    auto it = TagsByInterface().find(mpszName);
    if (it == TagsByInterface().end()) return nullptr;
    KxwDomNodeBase* ptNode = KxwJswUserObjBase::ConvertToNodeBase(mptWindow);
    KxwDomHtmlWindow* ptWindow = ptNode ? ptNode->AsHtmlWindow() : nullptr;
    KxwDomHtmlDocument* ptDocument = ptWindow ? ptWindow->GetDocument() : nullptr;
    return ptDocument ? ClassOfTag(*ptDocument, it->second) : nullptr;
}

}  // namespace

void xfvKxwDomRegisterInterfaceNames() { KxwJswClassInformation::SetInterfaceResolver(&ResolveInterfaceName); }
