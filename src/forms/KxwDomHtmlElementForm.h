// FORM: its action, target, method and encoding, and its submission. The request body is built from the
// successful controls in document order and handed to the object manager (notification 8), which passes it on to
// the engine.
#pragma once

#include <string>

#include "KxwDomHtmlElementWithName.h"

class KxwDomHtmlElementFormControl;

enum KXW_DOM_HTML_ELEMENT_FORM_METHOD_ENUM : unsigned char {
    KXW_DOM_HTML_ELEMENT_FORM_METHOD_GET = 0,
    KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST = 1,
    KXW_DOM_HTML_ELEMENT_FORM_METHOD_NOT_SPECIFIED = 2,
};

class KxwDomHtmlElementForm : public KxwDomHtmlElementWithName {
public:
    KxwDomHtmlElementForm(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetTarget() const { return _tTarget; }
    void SetTargetParsed(const char* mpszParsedValue) { _tTarget.SetParsed(ParsedText(mpszParsedValue)); }
    bool IsSpecifiedTarget() const { return _tTarget.IsSpecified(); }
    bool IsEmptyTarget() const { return _tTarget.IsEmpty(); }
    const KxwDomHtmlPropertyStr* GetOwnTarget() const override { return &_tTarget; }

    // ---- Submission ----
    // Whether the running submission came from the page's submit().
    bool IsJavaScriptSubmit() const { return _bJavaScriptSubmit; }
    // Whether a submission's data set is being built.
    bool IsWithinSubmit() const { return _bWithinSubmitWithoutOnsubmit; }
    // During a step's submission, whether a submit button that was not clicked is sent anyway.
    bool IncludeUnclickedInputSubmit(const KxwDomHtmlElementFormControl* mptQueriedInputSubmit) const;
    // A pair of the running submission; outside one it is reported and dropped. The UTF-16 form converts to the
    // request's character set, so that characters it cannot hold are sent as character references.
    bool AddNameAndValueSubmitBodyMainU16n(const char16_t* mpwsfName, unsigned muNameLen, const char16_t* mpwsfValue,
                                           unsigned muValueLen, bool mbIsFile);

    // The element's line, and its collections when the mask asks for them.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    static constexpr short kIdTarget = KxwDomHtmlElementWithName::kFirstDerivedTinyId;  // 8

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tTarget;
    bool _bWithinSubmitWithoutOnsubmit = false;
    bool _bUserActionSubmit = false;
    bool _bJavaScriptSubmit = false;
};
