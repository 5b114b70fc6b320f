// FORM: its action, target, method and encoding, its "elements", and its submission. A submission builds the
// request body from the successful controls in document order and hands the form to the object manager
// (notification 8), which passes it on to the engine; the engine reads what it sends from the form. Scripts see the
// form as its controls' collection as well: by index, by name ("form.userName"), item, namedItem and tags.
#pragma once

#include <string>

#include "KxwDomHtmlElementWithName.h"
#include "KxwUtilSubmitDataBody.h"

class KxwDomFormElementsCollection;
class KxwDomHtmlCollectionOrdered;
class KxwDomHtmlElementFormControl;

enum KXW_DOM_HTML_ELEMENT_FORM_METHOD_ENUM : unsigned char {
    KXW_DOM_HTML_ELEMENT_FORM_METHOD_GET = 0,
    KXW_DOM_HTML_ELEMENT_FORM_METHOD_POST = 1,
    KXW_DOM_HTML_ELEMENT_FORM_METHOD_NOT_SPECIFIED = 2,
};

enum KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_ENUM : unsigned char {
    KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_URLENCODED = 0,
    KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_MULTIPART = 1,
    KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_NOT_SPECIFIED = 2,
    KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_TEXT_PLAIN = 3,
};

class KxwDomHtmlElementForm : public KxwDomHtmlElementWithName {
public:
    KxwDomHtmlElementForm(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);
    ~KxwDomHtmlElementForm() override;

    // ---- Action and target ----
    const KxwDomHtmlPropertyStr& GetAction() const { return _tAction; }
    // The action resolved against the form's base URL (a BASE element before it counts); empty without an action.
    std::string GetAbsoluteActionDcs() const { return ResolveUrlDcs(_tAction); }
    void SetActionParsed(const char* mpszParsedValue) { _tAction.SetParsed(ParsedText(mpszParsedValue)); }
    const KxwDomHtmlPropertyStr& GetTarget() const { return _tTarget; }
    void SetTargetParsed(const char* mpszParsedValue) { _tTarget.SetParsed(ParsedText(mpszParsedValue)); }
    void SetTargetDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
        _tTarget.SetDcs(mpsfDcsStr, muDcsLenInBytes);
    }
    void SetTargetU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) {
        _tTarget.SetU16n(mpwsfU16nStr, muU16nLenInChars);
    }
    bool IsSpecifiedTarget() const { return _tTarget.IsSpecified(); }
    bool IsEmptyTarget() const { return _tTarget.IsEmpty(); }
    const KxwDomHtmlPropertyStr* GetOwnTarget() const override { return &_tTarget; }
    // Whether the target names the frame that holds this form (its own window).
    bool IsOwnedByTargetFrame() const;

    // ---- Method and encoding ----
    // The parsed setters act while the value is not specified: "post" (any case) is POST, anything else GET;
    // "multipart/form-data" is multipart, "text/plain" plain text, anything else urlencoded.
    void SetMethodParsed(const char* mpszParsedValue);
    void SetEncTypeParsed(const char* mpszParsedValue);
    // The script setters take exactly "get" or "post", and an encoding's name (any case); another value is
    // reported and changes nothing (false).
    bool SetMethodDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    bool SetMethodU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    bool SetEncTypeDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    bool SetEncTypeU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    bool IsSpecifiedMethod() const { return _eMethod != KXW_DOM_HTML_ELEMENT_FORM_METHOD_NOT_SPECIFIED; }
    bool IsSpecifiedEncType() const { return _eEncType != KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_NOT_SPECIFIED; }
    // As everybody sees them: multipart forces POST; an unspecified method is GET, an unspecified encoding
    // urlencoded.
    KXW_DOM_HTML_ELEMENT_FORM_METHOD_ENUM GetMethodEnum() const;
    KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_ENUM GetEncTypeEnum() const;
    // "get" or "post".
    const char* GetMethodDcsStr() const;
    const char16_t* GetMethodU16nStr() const;
    unsigned GetMethodLen() const;
    // Empty for a GET form without multipart; else the encoding's name.
    const char* GetEncTypeDcsStr() const;
    const char16_t* GetEncTypeU16nStr() const;
    unsigned GetEncTypeLen() const;

    // ---- Controls ----
    // The form's controls in document order, made on first use.
    KxwDomFormElementsCollection* GetElements();
    // The first IMG inside the form with that name or id (ASCII case ignored), or null.
    KxwDomNodeBase* FindImageByName(const char* mpszName);

    // ---- Submission ----
    // A test step submits the form: onsubmit runs, then unless it refused the submission; the step's rules for
    // submit buttons apply. False when the form went meanwhile or the dispatch failed.
    bool HandleUserActionSubmitArgument();
    // The page's submit(): no onsubmit, no submit button. False when the dispatch reported an error.
    bool SubmitFromScript();
    // Each control back to its default.
    void Reset();
    bool IsJavaScriptSubmit() const { return _bJavaScriptSubmit; }
    bool IsWithinSubmit() const { return _bWithinSubmitWithoutOnsubmit; }
    // During a step's submission, whether a submit button that was not clicked is sent anyway: the form's first
    // submit button, when nothing was clicked and the form has two text or password inputs or more.
    bool IncludeUnclickedInputSubmit(const KxwDomHtmlElementFormControl* mptQueriedInputSubmit);
    // A pair of the running submission; outside one it is reported and added all the same. The UTF-16 form
    // converts to the request's character set, where characters it cannot hold become character references.
    bool AddNameAndValueSubmitBodyMainU16n(const char16_t* mpwsfName, unsigned muNameLen, const char16_t* mpwsfValue,
                                           unsigned muValueLen, bool mbIsFile);
    bool AddNameAndValueSubmitBodyMain(const char* mpsfName, unsigned muNameLen, const char* mpsfValue,
                                       unsigned muValueLen, bool mbIsFile, bool mbInDocumentCharset);
    bool AddNameAndValueSubmitBodySuffix(const char* mpsfName, unsigned muNameLen, const char* mpsfValue,
                                         unsigned muValueLen, bool mbIsFile);
    const KxwUtilSubmitDataBody& GetSubmitBodyMain() const { return _tSubmitBodyMain; }
    const KxwUtilSubmitDataBody& GetSubmitBodySuffix() const { return _tSubmitBodySuffix; }

    // ---- Events ----
    bool CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    // The default action of SUBMIT: the data set is built and the form handed on.
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                           const KxwDomEventData* mptDomEventDataOrNULL) override;
    // A user's SUBMIT on the form is a step's submission.
    void OnUserEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) override;

    // ---- Tree ----
    void UpdateCollectionDependency(KxwDomNodeBase* mptTopOfSubHierarchy) override;
    void OnAddedToTree() override;
    void NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                    void* mpvNotificationObject) override;
    void NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                  void* mpvNotificationObject) override;

    // The element's line, and its collections when the mask asks for them.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    // ---- Script ----
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool IsResolved(const char* mpszName) override;
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    bool GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    void GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>& mrtNames) override;

    static constexpr short kIdElements = KxwDomHtmlElementWithName::kFirstDerivedTinyId;  // 8
    static constexpr short kIdLength = kIdElements + 1;
    static constexpr short kIdEncoding = kIdElements + 2;
    static constexpr short kIdMethod = kIdElements + 3;
    static constexpr short kIdAction = kIdElements + 4;
    static constexpr short kIdTarget = kIdElements + 5;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    // Refills "elements" when the form moved since it was filled; mbMakeAll as for GetTopMostAll.
    void EnsureDependencyCurrent(bool mbMakeAll);
    void Refill(KxwDomHtmlCollectionOrdered* mptAll);
    // Whether a control belongs to this form's elements (its nearest form is this one; an image button not while
    // imitating Internet Explorer, which notes that the submission walks all descendants then).
    bool TakesControl(KxwDomNodeBase* mptNode);
    // Both bodies emptied, given the request's character set and the encoding.
    void PrepareBodies();
    // Fires SUBMIT with the activation; false when the form went or the dispatch failed.
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM FireSubmit(FIRE_EVENT_ACTIVATE_ENUM meActivate, bool* mpbDeleted);

    KxwDomHtmlPropertyStr _tAction;
    KxwDomHtmlPropertyStr _tTarget;
    KxwDomFormElementsCollection* _ptElements = nullptr;  // made when first asked for
    KxwUtilSubmitDataBody _tSubmitBodyMain;
    KxwUtilSubmitDataBody _tSubmitBodySuffix;
    bool _bPreviousSubmitOwnedByTargetFrame = false;
    bool _bWithinSubmitWithoutOnsubmit = false;
    bool _bUserActionSubmit = false;
    bool _bJavaScriptSubmit = false;
    bool _bSubmitAllDescendants = false;
    KXW_DOM_HTML_ELEMENT_FORM_METHOD_ENUM _eMethod = KXW_DOM_HTML_ELEMENT_FORM_METHOD_NOT_SPECIFIED;
    KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_ENUM _eEncType = KXW_DOM_HTML_ELEMENT_FORM_ENCTYPE_NOT_SPECIFIED;
};
