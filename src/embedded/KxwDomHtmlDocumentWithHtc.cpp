#include "KxwDomHtmlDocumentWithHtc.h"

#include "KxwDomHtcDocument.h"

KxwDomHtmlDocumentWithHtc::KxwDomHtmlDocumentWithHtc(KxwMemMgr* mptMemMgr, KxwDomHtcDocument& mrtHtcDocument)
    : KxwDomHtmlDocument(mptMemMgr, nullptr), _rtHtcDocument(mrtHtcDocument) {}

bool KxwDomHtmlDocumentWithHtc::IsResolved(const char* mpszName) {
    if (KxwDomHtmlDocument::IsResolved(mpszName)) return true;
    return _rtHtcDocument.HasVariable(mpszName) || _rtHtcDocument.IsResolved(mpszName);
}

bool KxwDomHtmlDocumentWithHtc::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                                  KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (KxwDomHtmlDocument::IsResolved(mpszName))
        return KxwDomHtmlDocument::GetPropertyByName(mpszName, mppvValue, mpnLength, mpeType);
    if (_rtHtcDocument.HasVariable(mpszName)) {
        KxwJsval tValue;
        if (!_rtHtcDocument.ReadVariable(mpszName, tValue)) return false;
        _tLastValue = tValue;
        return KxwDomHtcDocument::JsvalToTriple(_tLastValue, _dfLastNumber, mppvValue, mpnLength, mpeType);
    }
    return _rtHtcDocument.GetPropertyByName(mpszName, mppvValue, mpnLength, mpeType);
}
