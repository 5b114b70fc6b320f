// PUBLIC:METHOD of a behaviour file: the name the element answers (NAME, kept as HTCNAME) and the function of the
// behaviour it calls (INTERNALNAME, the same name when absent). The element itself is what a script reads as
// element.name: it is callable. Script class "PUBLIC:METHOD" ("element").
#pragma once

#include <string>

#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlProperty.h"
#include "kxw/KxwJsval.h"
class KxwDomHtcDocument;

class KxwDomHtcElementMethod : public KxwDomHtmlElement {
public:
    KxwDomHtcElementMethod(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetHtcName() const { return _tHtcName; }
    const KxwDomHtmlPropertyStr& GetInternalName() const { return _tInternalName; }
    // The function the method calls: INTERNALNAME when given, else HTCNAME.
    std::string GetFunctionName() const;
    // A script called the method (element.method(...)): the behaviour's function with the caller's arguments, at
    // most knMaxHtcMethodArgs of them (more are refused with a report and the call gives undefined).
    bool InvokeMethod(KxwJswCallArgs& mrtArgs) override;
    static constexpr unsigned knMaxHtcMethodArgs = 20;

    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    KxwDomHtmlElement* MakeEmptyClone(KxwDomHtmlDocument& mrtDocument) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    // The behaviour the element's file was built for, or null (a copy of the element in a page).
    KxwDomHtcDocument* GetHtcDocument() const;
    KxwDomHtmlPropertyStr _tHtcName;
    KxwDomHtmlPropertyStr _tInternalName;
};
