// What every HTML element does with a behaviour: the one it holds, how a downloaded file becomes it, and the names
// it declares as the element's.
#include <cstring>
#include <new>

#include "KxwDomHtcDocument.h"
#include "KxwDomHtmlDocumentWithHtc.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlElementRareProperties.h"
#include "KxwDomWatchDelete.h"

KxwDomHtcDocument* KxwDomHtmlElement::GetBehavior() const {
    return _ptRareProperties ? _ptRareProperties->_ptBehavior : nullptr;
}

void KxwDomHtmlElement::SetDownloadedBehavior(const std::string& mrdsText, const char* mpsfUrl, unsigned muUrlLen) {
    if (GetBehavior()) {
        xfvKxwUtilReportBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_WARNING,
            "Only one behavior per element is supported: the behavior%s%.1000s%s given to a <%.100s> "
            "is ignored",
            mpsfUrl && muUrlLen ? " \"" : "",
            mpsfUrl && muUrlLen ? GetPrintableText(mpsfUrl, muUrlLen, 1000).c_str() : "",
            mpsfUrl && muUrlLen ? "\"" : "", GetTagNameOrInvalidDcsStr());
        return;
    }
    // On the element's memory manager: the element owns it and deletes it with itself.
    auto* ptBehavior = new (GetMemMgr()) KxwDomHtcDocument(GetMemMgr(), GetU16nHandler(), *this);
    if (!ptBehavior) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomHtcDocument)), "KxwDomHtcDocument");
    ObtainRareProperties()._ptBehavior = ptBehavior;
    if (mpsfUrl && muUrlLen) ptBehavior->GetDocument()->SetHrefDcs(mpsfUrl, muUrlLen);
    KxwDomWatchDelete tWatchThis("KxwDomHtmlElement::SetDownloadedBehavior", this);
    ptBehavior->SetHTCContent(mrdsText.data(), static_cast<unsigned>(mrdsText.size()));
    if (tWatchThis.HasBeenDeleted()) return;
    // The element's class may not look names up: the declared names become its named items now.
    for (const std::string& rdsName : ptBehavior->GetDeclaredNames()) ExposeNamedItem(rdsName.c_str());
    FireEvent(KXW_DOM_EVENT_TYPE_ENUM_CONTENTREADY, nullptr, FIRE_EVENT_ACTIVATE_ALL, nullptr);
}

bool KxwDomHtmlElement::IsResolved(const char* mpszName) {
    if (KxwDomCoreElement::IsResolved(mpszName)) return true;
    KxwDomHtcDocument* ptBehavior = GetBehavior();
    return ptBehavior && ptBehavior->IsHTCPropertyOrMethod(mpszName);
}

bool KxwDomHtmlElement::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (KxwDomCoreElement::GetPropertyByName(mpszName, mppvValue, mpnLength, mpeType)) return true;
    KxwDomHtcDocument* ptBehavior = GetBehavior();
    return ptBehavior && ptBehavior->GetHTCElementPropertyOrMethod(mpszName, mppvValue, mpnLength, mpeType);
}

bool KxwDomHtmlElement::SetNamedItem(const char* mpszName, const KxwJsval& mrtValue) {
    KxwDomHtcDocument* ptBehavior = GetBehavior();
    return ptBehavior && ptBehavior->SetHTCElementProperty(mpszName, mrtValue);
}
