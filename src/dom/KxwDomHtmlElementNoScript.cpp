#include "KxwDomHtmlElementNoScript.h"

#include <string>

#include "KxwDomHtmlTextsStr.h"
#include "kxw/KxwDomUtil.h"

KxwDomHtmlElementNoScript::KxwDomHtmlElementNoScript(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
    : KxwDomHtmlElementSimple(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_NOSCRIPT, mbUseMemMgr),
      _tContent(GetDomEnv()) {}

bool KxwDomHtmlElementNoScript::AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (!mpsfDcsStr || muDcsLenInBytes == 0) return true;
    if (_tContent.GetDcsLenInBytes() == 0) {
        _tContent.SetDcs(mpsfDcsStr, muDcsLenInBytes);
        return true;
    }
    // The parser may give the content in pieces (a page that arrives in parts).
    std::string dsContent(_tContent.GetDcsStr(), _tContent.GetDcsLenInBytes());
    dsContent.append(mpsfDcsStr, muDcsLenInBytes);
    _tContent.SetDcs(dsContent.data(), static_cast<unsigned>(dsContent.size()));
    return true;
}

void KxwDomHtmlElementNoScript::CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const {
    KxwDomHtmlElementSimple::CopyClassPropertiesTo(mrtClone);
    auto& rtClone = static_cast<KxwDomHtmlElementNoScript&>(mrtClone);
    CopySpecifiedText(_tContent, rtClone._tContent);
}

void KxwDomHtmlElementNoScript::GenerateHtmlNonTextNodeInnerText(KxwDomHtmlTextsStr& mrtText) const {
    // A snapshot shows the page as the scripts made it: what is there for a browser without scripts is left out.
    if (xfbKxwDomUtilIsDomSnapshotsBeingGenerated()) return;
    mrtText.ConcatHtmlTextAsIs(_tContent);
}
