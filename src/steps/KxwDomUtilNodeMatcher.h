// The matchers of element location: each tests one element against the description of its argument object, one
// attribute after the other; the first failing test rejects the element. The string tests are shared: ids, names,
// values, URLs and alts compare with their leading and trailing blanks set aside, texts with runs of blanks folded,
// regular expressions match anywhere unless anchored, and URLs compare in their absolute form.
#pragma once

#include <string>

#include "KxwDomArgsFindElement.h"

class KxwDomHtmlCollectionGeneral;
class KxwDomHtmlElement;
class KxwDomNodeBase;

class KxwDomUtilNodeMatcher {
public:
    explicit KxwDomUtilNodeMatcher(KxwDomArgsFindElement& mrtArgs) : _rtArgs(mrtArgs) {}
    virtual ~KxwDomUtilNodeMatcher() = default;
    KxwDomUtilNodeMatcher(const KxwDomUtilNodeMatcher&) = delete;
    KxwDomUtilNodeMatcher& operator=(const KxwDomUtilNodeMatcher&) = delete;

    // Whether the node passes every test of the description (custom entries included).
    virtual bool Match(KxwDomNodeBase* mptNode) = 0;

    // ---- String tests: the description first, the value second; a description not given matches anything ----
    static bool MatchStrConsideringLeadingAndTrailingSpaces(const KxwDomStrRegExp& mrtDesc, const KxwDomStr& mrtValue,
                                                            bool mbIgnoreLeading = true, bool mbIgnoreTrailing = true);
    static bool MatchStrConsideringSpaces(const KxwDomStrRegExp& mrtDesc, const KxwDomStr& mrtValue);
    static bool MatchStrIgnoringCase(const KxwDomStrRegExp& mrtDesc, const KxwDomStr& mrtValue);
    static bool MatchStr(const KxwDomStrRegExp& mrtDesc, const KxwDomStr& mrtValue);
    // The same against UTF-16 text the element computed (an inner text, a resolved URL).
    static bool MatchTextConsideringLeadingAndTrailingSpaces(const KxwDomStrRegExp& mrtDesc,
                                                             const std::u16string& mrdsValue);
    static bool MatchTextConsideringSpaces(const KxwDomStrRegExp& mrtDesc, const std::u16string& mrdsValue);
    static bool MatchBool(unsigned char meThreeState, bool mbValue);
    // Every custom entry of the argument object must match the element's attribute or script property.
    bool MatchCustomDescription(KxwDomNodeBase* mptNode, const KxwDomArgsFindElement& mrtArgs);

    // Searches a collection in order for the ordinal-th node that matches (one at random for the random ordinal,
    // reported with the count); its element goes into the argument object. Null when there are fewer matches.
    static KxwDomHtmlElement* Find(KxwDomHtmlCollectionGeneral* mptCollection, KxwDomUtilNodeMatcher& mrtMatcher,
                                   int32_t& mriOrdinal, const char* mpszOrdinalArgName);

protected:
    // The node as an HTML element, or null (reported as a wrong class in the collection named).
    KxwDomHtmlElement* ElementOrReport(KxwDomNodeBase* mptNode, const char* mpszMatcher) const;

    KxwDomArgsFindElement& _rtArgs;
};

// One matcher class per kind of argument object; each knows its element's attributes.
#define KXW_DOM_DECLARE_MATCHER(Name, Args)                                                \
    class Name : public KxwDomUtilNodeMatcher {                                            \
    public:                                                                                \
        explicit Name(Args& mrtArgs) : KxwDomUtilNodeMatcher(mrtArgs), _rtKind(mrtArgs) {} \
        bool Match(KxwDomNodeBase* mptNode) override;                                      \
                                                                                           \
    private:                                                                               \
        Args& _rtKind;                                                                     \
    }

KXW_DOM_DECLARE_MATCHER(KxwDomHtmlDocumentMatcherElementAnchor, KxwDomHtmlDocumentArgsFindElementAnchor);
KXW_DOM_DECLARE_MATCHER(KxwDomHtmlDocumentMatcherElementImageLink, KxwDomHtmlDocumentArgsFindElementImageLink);
KXW_DOM_DECLARE_MATCHER(KxwDomHtmlDocumentMatcherElementStaticImage, KxwDomHtmlDocumentArgsFindElementStaticImage);
KXW_DOM_DECLARE_MATCHER(KxwDomHtmlDocumentMatcherElementButton, KxwDomHtmlDocumentArgsFindElementButton);
KXW_DOM_DECLARE_MATCHER(KxwDomHtmlDocumentMatcherElementInput, KxwDomHtmlDocumentArgsFindElementInput);
KXW_DOM_DECLARE_MATCHER(KxwDomHtmlDocumentMatcherRadioGroup, KxwDomHtmlDocumentArgsFindElementInput);
KXW_DOM_DECLARE_MATCHER(KxwDomHtmlDocumentMatcherElementTextArea, KxwDomHtmlDocumentArgsFindElementTextArea);
KXW_DOM_DECLARE_MATCHER(KxwDomHtmlDocumentMatcherElementSelect, KxwDomHtmlDocumentArgsFindElementSelect);
KXW_DOM_DECLARE_MATCHER(KxwDomHtmlDocumentMatcherElementTable, KxwDomHtmlDocumentArgsFindElementTable);
KXW_DOM_DECLARE_MATCHER(KxwDomHtmlDocumentMatcherElementGeneral, KxwDomHtmlDocumentArgsFindElementGeneral);
KXW_DOM_DECLARE_MATCHER(KxwDomHtmlElementMapMatcherElementArea, KxwDomHtmlElementMapArgsFindElementArea);
KXW_DOM_DECLARE_MATCHER(KxwDomHtmlElementSelectMatcherElementOption, KxwDomHtmlElementSelectArgsFindElementOption);

#undef KXW_DOM_DECLARE_MATCHER
