// What a test step says of the element it wants: one argument object per kind of element, filled by the caller
// and reused, that a finder fills with the element found. Every textual description is a KxwDomStrRegExp (absent,
// plain text, or a regular expression) in UTF-8, as steps give them; an ordinal picks among the matches of one
// document (1 the first; kiKxwDomOrdinalRandom one at random).
#pragma once

#include <cstdint>
#include <vector>

#include "KxwCustomDesc.h"
#include "KxwDomStrRegExp.h"

class KxwDomHtmlDocument;
class KxwDomHtmlElement;
class KxwDomNodeBase;

// The ordinal that asks for a random pick among the matches.
constexpr int32_t kiKxwDomOrdinalRandom = INT32_MIN;

// A three-state test of a boolean property: any value, true, false.
enum KXW_DOM_THREE_STATE_ENUM : unsigned char {
    KXW_DOM_THREE_STATE_ANY = 0,
    KXW_DOM_THREE_STATE_YES = 1,
    KXW_DOM_THREE_STATE_NO = 2,
};

// The environment of every description: UTF-8 text on the process heap.
KxwDomStrEnvApi& xfrKxwDomArgsGetDescriptionEnv();

class KxwDomArgsFindElement {
public:
    KxwDomArgsFindElement() = default;
    virtual ~KxwDomArgsFindElement();
    KxwDomArgsFindElement(const KxwDomArgsFindElement&) = delete;
    KxwDomArgsFindElement& operator=(const KxwDomArgsFindElement&) = delete;

    // Runs the kind's finder on one document: clears the result first, true when an element was found.
    virtual bool FindElement(KxwDomHtmlDocument* mptDocument) = 0;
    // The name of the ordinal in the report of a random pick.
    virtual const char* GetOrdinalArgName() const { return "Ordinal"; }
    // The description as a step would write it, for the reason of a step that found nothing.
    virtual void ResetResult() { _ptFoundElement = nullptr; }

    void AddCustomDesc(std::string mdsName, std::string mdsValue, bool mbIsRegExp);
    const std::vector<KxwCustomDesc>* GetCustomDescList() const {
        return _tCustomDescList.empty() ? nullptr : &_tCustomDescList;
    }

    KxwDomHtmlElement* _ptFoundElement = nullptr;
    int32_t _iOrdinal = 1;

private:
    std::vector<KxwCustomDesc> _tCustomDescList;
};

// A description in the descriptions' environment.
class KxwDomArgsDescription : public KxwDomStrRegExp {
public:
    KxwDomArgsDescription() : KxwDomStrRegExp(xfrKxwDomArgsGetDescriptionEnv()) {}
};

class KxwDomHtmlDocumentArgsFindElementAnchor : public KxwDomArgsFindElement {
public:
    bool FindElement(KxwDomHtmlDocument* mptDocument) override;
    KxwDomArgsDescription _tId, _tName, _tText, _tHref;
};

class KxwDomHtmlDocumentArgsFindElementImageLink : public KxwDomArgsFindElement {
public:
    bool FindElement(KxwDomHtmlDocument* mptDocument) override;
    KxwDomArgsDescription _tId, _tName, _tAlt, _tSrc;
    unsigned char _eIsMap = KXW_DOM_THREE_STATE_ANY;
};

class KxwDomHtmlDocumentArgsFindElementStaticImage : public KxwDomArgsFindElement {
public:
    bool FindElement(KxwDomHtmlDocument* mptDocument) override;
    KxwDomArgsDescription _tId, _tName, _tAlt, _tSrc;
};

class KxwDomHtmlDocumentArgsFindElementButton : public KxwDomArgsFindElement {
public:
    bool FindElement(KxwDomHtmlDocument* mptDocument) override;
    KxwDomArgsDescription _tId, _tName, _tValue, _tText;
};

class KxwDomHtmlRadioGroupArgs;

class KxwDomHtmlDocumentArgsFindElementInput : public KxwDomArgsFindElement {
public:
    bool FindElement(KxwDomHtmlDocument* mptDocument) override;
    const char* GetOrdinalArgName() const override;
    void ResetResult() override;

    std::string _dsType;  // the input type's name ("text", "radio", ...)
    KxwDomArgsDescription _tId, _tName, _tValue, _tSrc, _tAlt;
    int32_t _iGroupOrdinal = 1;                    // radio buttons: which group of that name
    KxwDomNodeBase* _ptFoundRadioGroup = nullptr;  // radio buttons: the group found (its first radio)
    bool _bCountingGroups = false;                 // the random report names the group's ordinal while it is picked
    bool _bWithinGroup = false;                    // the group matched the name already (in any case)
};

class KxwDomHtmlDocumentArgsFindElementTextArea : public KxwDomArgsFindElement {
public:
    bool FindElement(KxwDomHtmlDocument* mptDocument) override;
    KxwDomArgsDescription _tId, _tName;
};

class KxwDomHtmlDocumentArgsFindElementSelect : public KxwDomArgsFindElement {
public:
    bool FindElement(KxwDomHtmlDocument* mptDocument) override;
    KxwDomArgsDescription _tName, _tId;
    unsigned char _eMultiple = KXW_DOM_THREE_STATE_ANY;
};

class KxwDomHtmlDocumentArgsFindElementTable : public KxwDomArgsFindElement {
public:
    bool FindElement(KxwDomHtmlDocument* mptDocument) override;
    KxwDomArgsDescription _tId, _tName;
};

class KxwDomHtmlDocumentArgsFindElementGeneral : public KxwDomArgsFindElement {
public:
    bool FindElement(KxwDomHtmlDocument* mptDocument) override;
    // The tag to look for ("" for any), as the step named it; compared ignoring case.
    void SetTag(const std::string& mdsTag) { _dsTag = mdsTag; }
    const std::string& GetTag() const { return _dsTag; }
    KxwDomArgsDescription _tTagPattern;  // a regular expression over the tag name, when the step gave one
    KxwDomArgsDescription _tId, _tName, _tText;

private:
    std::string _dsTag;
};

// The areas of one MAP.
class KxwDomHtmlElementMapArgsFindElementArea : public KxwDomArgsFindElement {
public:
    bool FindElement(KxwDomHtmlDocument* mptDocument) override;
    KxwDomArgsDescription _tId, _tName, _tHref, _tTarget, _tAlt;
    KxwDomNodeBase* _ptMap = nullptr;  // the map searched
};

// The options of one SELECT.
class KxwDomHtmlElementSelectArgsFindElementOption : public KxwDomArgsFindElement {
public:
    bool FindElement(KxwDomHtmlDocument* mptDocument) override;
    const char* GetOrdinalArgName() const override { return "[De/Extend]SelectByOrdinal"; }
    KxwDomArgsDescription _tText;
    unsigned char _eSelected = KXW_DOM_THREE_STATE_ANY;
    KxwDomNodeBase* _ptSelect = nullptr;  // the list searched
};
