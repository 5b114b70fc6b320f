#include "KxwDomHtmlDocumentWithHtc.h"

#include "KxwDomHtcDocument.h"

#include <cstring>

#include "KxwDomHtmlElement.h"

namespace {

// Handlers of the file name the element they serve as its scripts do.
bool IsElementName(const char* mpszName) {
    return mpszName && std::strcmp(mpszName, "element") == 0;
}

}  // namespace

KxwDomHtmlDocumentWithHtc::KxwDomHtmlDocumentWithHtc(KxwMemMgr* mptMemMgr, KxwDomHtcDocument& mrtHtcDocument)
    : KxwDomHtmlDocument(mptMemMgr, nullptr), _rtHtcDocument(mrtHtcDocument) {}

bool KxwDomHtmlDocumentWithHtc::IsResolved(const char* mpszName) {
    if (KxwDomHtmlDocument::IsResolved(mpszName)) return true;
    if (IsElementName(mpszName)) return true;
    return _rtHtcDocument.HasVariable(mpszName) || _rtHtcDocument.IsResolved(mpszName);
}

bool KxwDomHtmlDocumentWithHtc::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                                  KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (KxwDomHtmlDocument::IsResolved(mpszName))
        return KxwDomHtmlDocument::GetPropertyByName(mpszName, mppvValue, mpnLength, mpeType);
    if (IsElementName(mpszName)) {
        *mppvValue = static_cast<KxwJswUserObjBase*>(&_rtHtcDocument.GetElement());
        *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
        return true;
    }
    if (_rtHtcDocument.HasVariable(mpszName)) {
        KxwJsval tValue;
        if (!_rtHtcDocument.ReadVariable(mpszName, tValue)) return false;
        _tLastValue = tValue;
        return KxwDomHtcDocument::JsvalToTriple(_tLastValue, _dfLastNumber, mppvValue, mpnLength, mpeType);
    }
    return _rtHtcDocument.GetPropertyByName(mpszName, mppvValue, mpnLength, mpeType);
}
