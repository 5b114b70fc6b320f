// The document a behaviour file is built into: an HTML document in the window of the element the behaviour serves,
// that knows its behaviour. Handlers of the file's PUBLIC:ATTACH elements find the behaviour's functions and
// variables, and the names its scripts find (element, document, the element's properties), through it.
#pragma once

#include "KxwDomHtmlDocument.h"
#include "kxw/KxwJsval.h"

class KxwDomHtcDocument;

class KxwDomHtmlDocumentWithHtc : public KxwDomHtmlDocument {
public:
    KxwDomHtmlDocumentWithHtc(KxwMemMgr* mptMemMgr, KxwDomHtcDocument& mrtHtcDocument);

    KxwDomHtcDocument* GetHtcDocument() const override { return &_rtHtcDocument; }

    bool IsResolved(const char* mpszName) override;
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;

private:
    KxwDomHtcDocument& _rtHtcDocument;
    // What the last read answered, for the caller to convert.
    KxwJsval _tLastValue;
    double _dfLastNumber = 0;
};
