// The common class of every HTML element: the properties all elements share (id, title, lang, accessKey, tabIndex,
// className, dir), the inner text, the geometry answered without any rendering, the entry points of the inner and
// outer HTML, and the script class "element" with its methods. Every tag has its class, made by AllocElement from
// the tag's subtype.
//
// Elements are made for every parsed tag of every page of many virtual users, so an element stays small: the
// properties that most elements never set live in a block made on the first store, and strings are made only when
// a value is stored.
#pragma once

#include <cstdint>
#include <string>

#include "KxwDomCoreElement.h"

class KxwDomHtcDocument;
class KxwDomHtmlDocument;
class KxwDomHtmlElementBase;
class KxwDomHtmlStyle;
class KxwUtilTagName;
struct KxwJswMethodSpec;

// Whether elements of a subtype may have content (canHaveChildren, canHaveHTML, the check before innerHTML).
enum KXW_DOM_HTML_CONTENT_MODEL_ENUM : unsigned char {
    KXW_DOM_HTML_CONTENT_MODEL_NONE = 0,
    KXW_DOM_HTML_CONTENT_MODEL_ANY = 1,
    KXW_DOM_HTML_CONTENT_MODEL_MARKED = 2,  // HTML, BODY, OPTION and P: content, with a mark of their own
};

// Where insertAdjacent* places a node.
enum KXW_DOM_HTML_ADJACENT_ENUM {
    KXW_DOM_HTML_ADJACENT_INVALID = -1,
    KXW_DOM_HTML_ADJACENT_BEFORE_BEGIN = 0,
    KXW_DOM_HTML_ADJACENT_AFTER_BEGIN = 1,
    KXW_DOM_HTML_ADJACENT_BEFORE_END = 2,
    KXW_DOM_HTML_ADJACENT_AFTER_END = 3,
};

class KxwDomHtmlElement : public KxwDomCoreElement {
public:
    // On the document's memory manager when mbUseMemMgr is set (else on the process heap), with empty properties.
    KxwDomHtmlElement(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                      bool mbUseMemMgr);
    ~KxwDomHtmlElement() override;

    // ---- The factory ----
    // The element of the tag's class (subtypes 15 to 118), detached; on the document's disconnected-nodes list when
    // asked, so that an element a script never inserts is collected. Null (reported) for a bad tag or document.
    static KxwDomHtmlElement* AllocElement(const KxwUtilTagName& mrtTagName, KxwDomHtmlDocument* mptOwnerDocument,
                                           bool mbAddToDisconnectList);
    // The subtype whose tag text equals the name ignoring ASCII case, searched from the highest subtype down; 0 for
    // none and for a null name.
    static KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetSubtypeByU16nTagName(const char16_t* mpwsfTagName,
                                                                    unsigned muTagNameLenInChars);
    static KXW_DOM_HTML_CONTENT_MODEL_ENUM GetContentModel(int miSubtype);
    bool CanHaveChildren() const { return GetContentModel(GetNodeSubtype()) != KXW_DOM_HTML_CONTENT_MODEL_NONE; }

    KxwDomHtmlElement* DownCastToElement() override { return this; }

    // ---- Tag ----
    // The tag name: the subtype's text for the tag classes, the name as parsed for the generic element.
    const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const override;
    virtual const char* GetTagNameDcsStr() const;
    virtual unsigned GetTagNameDcsLenInBytes() const;
    // "HTML" for the tag classes; the prefix for a namespaced element.
    virtual const char16_t* GetScopeNameU16nStr(unsigned* mpuLenInChars) const;
    const char* GetTagNameOrInvalidDcsStr() const;

    // ---- Document ----
    // The owner document as an HTML document, or null (reported when asked).
    KxwDomHtmlDocument* GetOwnerHtmlDocument(bool mbReportIfNull) const;
    // The document tells the element that it joined or left it.
    virtual void NotifyDocumentConnection(KxwDomHtmlDocument& mrtDocument, bool mbConnectedToDocument);
    // The BASE element in force when the element was made.
    void SetElementBase(const KxwDomHtmlElementBase* mptElementBase);
    const KxwDomHtmlElementBase* GetElementBase() const;
    // The base URL of the element's relative URLs (DCS): the href of its BASE when that has one, else the
    // document's base URL; the empty text without a document.
    virtual const char* GetBaseURL(unsigned* mpuLen) const;
    // In the tree of its own document (not only owned by it).
    bool IsConnectedToDocument() const;
    // A URL combined with a base URL, without a length limit; false (mrdsResult empty) when the combiner cannot.
    static bool CombineUrlDcs(const char* mpsfBase, unsigned muBaseLen, const char* mpsfUrl, unsigned muUrlLen,
                              std::string& mrdsResult);

    // ---- Flags ----
    bool IsAffectsOnloadCount() const { return (_ucElementFlags & kFlagAffectsOnloadCount) != 0; }
    void SetIsAffectsOnloadCount(bool mbOn) { SetElementFlag(kFlagAffectsOnloadCount, mbOn); }
    // A container the library makes to receive parsed markup (cloning, createElement, insertAdjacentHTML).
    bool IsDummyContainer() const { return (_ucElementFlags & kFlagDummyContainer) != 0; }
    void SetIsDummyContainer(bool mbOn) { SetElementFlag(kFlagDummyContainer, mbOn); }

    // ---- The common properties ----
    const KxwDomHtmlPropertyStr& GetId() const override { return _tId; }
    void SetIdDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetIdU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetIdParsed(const char* mpszParsedValue);
    bool IsSpecifiedId() const { return _tId.IsSpecified(); }
    bool IsEmptyId() const { return _tId.IsEmpty(); }

    const KxwDomHtmlPropertyStr& GetTitle() const;
    void SetTitleDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetTitleU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetTitleParsed(const char* mpszParsedValue);
    bool IsSpecifiedTitle() const { return GetTitle().IsSpecified(); }
    bool IsEmptyTitle() const { return GetTitle().IsEmpty(); }

    const KxwDomHtmlPropertyStr& GetLang() const;
    void SetLangDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetLangU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetLangParsed(const char* mpszParsedValue);
    bool IsSpecifiedLang() const { return GetLang().IsSpecified(); }
    bool IsEmptyLang() const { return GetLang().IsEmpty(); }

    const KxwDomHtmlPropertyStr& GetAccessKey() const;
    void SetAccessKeyDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetAccessKeyU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetAccessKeyParsed(const char* mpszParsedValue);
    bool IsSpecifiedAccessKey() const { return GetAccessKey().IsSpecified(); }
    bool IsEmptyAccessKey() const { return GetAccessKey().IsEmpty(); }

    const KxwDomHtmlPropertyStr& GetClassName() const { return _tClassName; }
    void SetClassNameDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void SetClassNameU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetClassParsed(const char* mpszParsedValue);
    bool IsSpecifiedClassName() const { return _tClassName.IsSpecified(); }
    bool IsEmptyClassName() const { return _tClassName.IsEmpty(); }

    const KxwDomHtmlPropertyNumLong& GetTabIndex() const;
    long GetLongTabIndex() const;
    void SetTabIndexParsed(const char* mpszParsedValue);
    bool IsSpecifiedTabIndex() const { return GetTabIndex().IsSpecified(); }

    // "ltr" or "rtl" (ignoring case, kept in lower case); SetDir rejects anything else, a parsed value is then
    // dropped.
    const KxwDomHtmlPropertyStr& GetDir() const;
    bool SetDir(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetDirParsed(const char* mpszParsedValue);

    // The parsed style attribute's text, kept until style objects read it.
    void SetStyleParsed(const char* mpszParsedValue);
    // The style attribute's text as it stands now: once the element has a style object, the text that object
    // composes (what scripts set included); null when the element has no style.
    const KxwDomHtmlPropertyStr* GetStyleText() const;

    // ---- Style objects ----
    // The element's style, currentStyle or runtimeStyle (KxwDomHtmlStyle::StyleType), made on first use; Peek
    // gives null for one not made yet.
    KxwDomHtmlStyle* ObtainStyleObject(int miStyleType);
    KxwDomHtmlStyle* PeekStyleObject(int miStyleType) const;
    // The default text of a style property that nothing else answers (height from the run-time settings); false
    // when there is none.
    virtual bool GetStringStylePropertyFromRTS(const char* mpszPropertyName, std::string& mrdsValue) const;
    // The key of the recorded layout for a property of the element: window number, tag, ordinal among the
    // document's elements of the tag, the style kind when one is given ("style", "currentStyle", "runtimeStyle"),
    // and the property name. False without a document.
    bool GetLayoutEntry(const char* mpszStyleKindOrNull, const char* mpszPropertyName, std::string& mrdsKey) const;
    void EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) override;

    // clearAttributes: the attributes the markup can give are removed; the id, the style and what scripts added
    // stay.
    virtual void ClearAttributes();

    // ---- Parsed attributes ----
    // The parser's entry for each attribute of a start tag: a DOM property of the class takes it through its
    // parsed setter, any other is stored for later. A value-less attribute comes as null.
    bool AddParsedAttr(const char* mpszNameDcsStr, const char* mpszValueDcsStrOrNULL) override;
    // The attribute nodes named as the markup names them where the script property is named otherwise: "class"
    // for className (attribute-node code written for this browser asks for the markup's name).
    bool AddExceptionalAttributesToCollection(KxwDomAttributeCollection& mrtCollection) override;
    // Adds one such node for a declared property; a failure is traced with the calling function's name.
    bool AddExceptionalAttribute(KxwDomAttributeCollection& mrtCollection, const char16_t* mpwsfName,
                                 signed char mcTinyId, const char* mpszCallingFunctionName);
    // ---- Events ----
    // Every HTML element answers contentready; BODY and FRAMESET also blur, focus, load and unload (and
    // contextmenu), which they hand to their window; SCRIPT answers readystatechange.
    bool CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    KxwDomEventTarget* GetEventHandlerHolder(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    bool CreateAndAddEventListenerIfEligible(KXW_DOM_EVENT_LISTENER_TYPE_ENUM meListenerType,
                                             KXW_DOM_EVENT_TYPE_ENUM meEventType, const char16_t* mpwsfCode,
                                             unsigned muCodeLen) override;
    using KxwDomCoreElement::CreateAndAddEventListenerIfEligible;

    // ---- Text ----
    // The text of the subtree: text nodes as they are, P and BR a line break before their content. A text of the
    // caller's own: the next generation does not touch it.
    virtual std::u16string GetInnerText() const;
    // Replaces the content (the caller deleted the children) by one text node.
    virtual bool SetInnerTextU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    // What the element itself adds to the inner text of a subtree it lies in.
    void AddDataToInnerText(std::u16string& mrdsText) const override;
    // The parser's character data for this element: joined to a last text child, or a new text node.
    virtual bool AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);

    // ---- Generated markup ----
    // The element's markup from the tree, with (mbOuter) or without its own tags: in the document's character set,
    // or converted to UTF-16. Texts of the caller's own: the next generation does not touch them.
    std::string GenerateInnerOuterHtml(bool mbOuter);
    std::u16string GetInnerOuterHtml(bool mbOuter);
    // The start tag: the prefix, the class's attributes, the properties scripts added, the suffix (BODY, SCRIPT
    // and the table sections and rows after a line break).
    void AddDataToInnerOuterHtml(KxwDomHtmlTextsStr& mrtText) const override;
    // The class's attributes: its own first, then its base's; here the properties every HTML element has, then
    // the handlers and the stored attributes.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    // The strings, numbers and booleans that scripts set on the element's engine object under names its class
    // does not declare (functions, objects, null and undefined are not markup).
    virtual void GenerateJSProperties(KxwDomHtmlTextsStr& mrtText) const;
    virtual void GenerateHtmlOpeningTagPrefix(KxwDomHtmlTextsStr& mrtText) const;
    virtual void GenerateHtmlOpeningTagSuffix(KxwDomHtmlTextsStr& mrtText) const;
    // The content an element keeps as a property instead of as child nodes, written before its end tag.
    virtual void GenerateHtmlNonTextNodeInnerText(KxwDomHtmlTextsStr& mrtText) const;
    // The end tag, for the elements that have content.
    virtual void GenerateHtmlClosingTag(KxwDomHtmlTextsStr& mrtText) const;

    // ---- Markup ----
    // Hand markup to the parser to become the element's content, or to take the element's place: notification 18
    // (KXW_DOM_COMMON_NOTIFICATION_ENUM_INNER_HTML) with the element to build into as subject and a const KxwDomStr*
    // holding the markup in DCS as extra. False (reported to the script) when the element cannot have content, or
    // for outerHTML when it is the document's root; outerHTML of an element in no tree changes nothing (true).
    bool SetInnerHtmlU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    bool SetInnerHtmlDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    bool SetOuterHtml(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    // Parses markup at a position next to this element; false for a bad position or a position without parent.
    bool InsertAdjacentHtml(KXW_DOM_HTML_ADJACENT_ENUM meWhere, const char16_t* mpwsfU16nStr,
                            unsigned muU16nLenInChars);
    // Places mptNode next to or inside this element; with mbMergeText a text node joins a neighbouring text.
    bool InsertAdjacentNode(KXW_DOM_HTML_ADJACENT_ENUM meWhere, KxwDomNodeBase* mptNode, bool mbMergeText);
    static KXW_DOM_HTML_ADJACENT_ENUM GetAdjacentPosition(const char16_t* mpwsfWhere, unsigned muLen);

    // ---- Node methods of the element ----
    // A copy in the same document, detached and on its disconnected-nodes list: the tag, the properties that
    // were given, the stored and script-added attributes, and with mbDeep the whole content.
    KxwDomHtmlElement* CloneElement(bool mbDeep);
    // Exchanges the places of this element and mptOther; false when no place holder could be made.
    bool SwapNode(KxwDomHtmlElement* mptOther);
    // Script "mergeAttributes": the source element's attributes join this element's; with mbPreserve the id stays.
    bool MergeAttributes(KxwDomNodeBase* mptSourceNode, bool mbPreserve) override;
    // An empty element of the same tag with the same attributes, for the content a split leaves behind.
    KxwDomNodeBase* CloneForSplit() override;
    // The window an A, AREA, BASE or FORM sends its navigation to: its own target, else the target of the BASE in
    // force when it was made, else empty. Other elements have none (reported).
    const char* GetActiveTarget(unsigned* mpuLen) const;
    // The element's own target property, for the classes that have one.
    virtual const KxwDomHtmlPropertyStr* GetOwnTarget() const { return nullptr; }
    // A dummy container element in this element's document (for markup parsed on the side), or null.
    KxwDomHtmlElement* CreateDummyContainerElement(const char* mpszCallingFunctionNameStr);

    // ---- Behaviour ----
    // The behaviour a behaviour file gave the element (at most one, owned by the element), or null.
    KxwDomHtcDocument* GetBehavior() const;
    // A downloaded behaviour file becomes the element's behaviour (with its address when given), its declared
    // names the element's, and the element hears "contentready"; a second one is refused with a report.
    void SetDownloadedBehavior(const std::string& mrdsText, const char* mpsfUrl, unsigned muUrlLen);
    // Names the behaviour declares are answered by it; writes to its properties go to it.
    bool IsResolved(const char* mpszName) override;
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    bool SetNamedItem(const char* mpszName, const KxwJsval& mrtValue) override;

    // ---- Text ranges ----
    // The property of the element that stands behind a text range's text or htmlText (KxwDomTextRange::kIdText,
    // kIdHtmlText): innerText and innerHTML here.
    virtual short GetTextRangeReplacedTinyId(short msiOriginalTinyId) const;

    // ---- Geometry ----
    int GetLayoutPropertyValue(short mnTinyId, int miDefault);
    virtual int GetLayoutPropertyFromRTS(short mnTinyId, int miDefault);
    virtual bool IsDisabled() const { return false; }

    // ---- Hierarchy dump ----
    // The element's line; the classes with more to show add their lines after it, as the mask asks.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;
    // The tag, and the id, class, name and style with the attributes the element keeps as they were written.
    void GetPrintingTagAndAttributes(std::string& mrdsTag, std::string& mrdsAttributes) const override;

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    static const KxwJswClassInformation& GetElementClassInformation();
    // The methods of "element" (their callbacks live with the script bindings of the class).
    static const KxwJswMethodSpec* GetElementMethods();

    // The first tiny id after the range of "element", for the classes derived from it.
    static constexpr short kFirstDerivedTinyId = 7;

protected:
    // A class takes the parsed attributes that are its DOM properties (ASCII case ignored); false passes the
    // attribute on. Classes ask their base after their own names.
    virtual bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull);
    // Stores a new id or name of an element already in a tree after the ancestors were told (24 or 25), so that
    // the collections re-key it; the DCS text is the new value.
    void ChangeIdentifierDcs(KxwDomHtmlPropertyStr& mrtProperty, KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                             const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void ChangeIdentifierU16n(KxwDomHtmlPropertyStr& mrtProperty, KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                              const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void ChangeIdentifierParsed(KxwDomHtmlPropertyStr& mrtProperty, KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                const char* mpszParsedValue);
    // The DCS form of a UTF-16 text in the element's charset.
    std::string ToDcs(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars) const;
    // A parsed value as the string setters take it: a value-less attribute is the empty text.
    static const char* ParsedText(const char* mpszValueOrNull) { return mpszValueOrNull ? mpszValueOrNull : ""; }
    static bool IsName(const char* mpszName, const char* mpszAscName);
    // A text made for a script read lives in the thread's temporary string until the wrapper has converted it.
    static void AssignTemporaryText(KxwDomPropertyInfo& mrtPropertyInfo, std::u16string&& mrdsText);
    // A URL property as scripts read it: resolved against the element's base URL (as written when that fails).
    std::string ResolveUrlDcs(const KxwDomHtmlPropertyStr& mrtUrl) const;
    void AssignResolvedUrl(KxwDomPropertyInfo& mrtPropertyInfo, const KxwDomHtmlPropertyStr& mrtUrl) const;
    // The collection of all elements of the top-most ancestor (of mptTopOrNull when given), made when missing and
    // mbMake is set; null when there is none. The views that follow the order of the tree they are in (a map's
    // areas, a table's rows) take it as the collection they follow. While a change of the tree is announced it
    // must not be made: made then, it would already hold the nodes still to be announced, and take them twice.
    KxwDomHtmlCollectionOrdered* GetTopMostAll(KxwDomNodeBase* mptTopOrNull, bool mbMake);
    // Copies a value that was given (a clone takes what the original was given, nothing else).
    static void CopySpecifiedText(const KxwDomHtmlPropertyStr& mrtFrom, KxwDomHtmlPropertyStr& mrtTo);
    // A script's value for a text property: no value leaves the property as it is.
    static void StoreScriptText(KxwDomHtmlPropertyStr& mrtProperty, KxwDomPropertyInfo& mrtPropertyInfo);
    // The UTF-16 form of a DCS text in the element's charset.
    std::u16string ToU16n(const char* mpsfDcsStr, unsigned muDcsLenInBytes) const;
    // Hands markup to the parser to build into mptTarget (notification 18, with the DCS text).
    static void NotifyInnerHtml(KxwDomHtmlElement* mptTarget, const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    // Moves the content of a dummy container into its place and deletes it; the first moved node is returned.
    static KxwDomNodeBase* ReplaceDummyContainerByContent(KxwDomHtmlElement* mptDummyContainer);
    // Deletes a dummy container that is out of the tree (its record on the disconnected list goes first).
    static void DeleteDummyContainer(KxwDomHtmlElement* mptDummyContainer);
    // A new element of the same tag in mrtDocument, without content or properties (the generic class keeps its
    // parsed tag name).
    virtual KxwDomHtmlElement* MakeEmptyClone(KxwDomHtmlDocument& mrtDocument);
    // Copies what the class keeps beyond the common properties into a clone of the same class.
    virtual void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const;
    // For the lines a class prints under its element's line: their indent, and a text in its DCS form, escaped and
    // cut at mnMaxLen (the DCS length is the answer).
    static int GetPrintingTextIndent(int miIndent);
    long GetPrintableDcs(const char16_t* mpwsfU16nStr, size_t mnU16nLenInChars, size_t mnMaxLen,
                         std::string& mrdsText) const;
    static long GetPrintableDcs(const KxwDomHtmlPropertyStr& mrtText, size_t mnMaxLen, std::string& mrdsText);
    // "[The innerText of the <A> is ...]" with the element's tag (A, OPTION).
    void PrintInnerTextLine(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl) const;

private:
    struct RareProperties;
    static constexpr uint8_t kFlagAffectsOnloadCount = 0x01;
    static constexpr uint8_t kFlagDummyContainer = 0x02;
    // The behaviour the style names was asked for (it is asked once, when the element first joins its document).
    static constexpr uint8_t kFlagBehaviorRequested = 0x04;

    void SetElementFlag(uint8_t mucFlag, bool mbOn) {
        _ucElementFlags = static_cast<uint8_t>(mbOn ? (_ucElementFlags | mucFlag) : (_ucElementFlags & ~mucFlag));
    }
    RareProperties& ObtainRareProperties();
    // The given properties and the stored and script-added attributes; a clone (same class) also takes the id and
    // the class's own properties.
    void CopyPropertiesTo(KxwDomHtmlElement& mrtTarget, bool mbClone);
    // The element without content, with what was given to this one.
    KxwDomHtmlElement* CloneShallow(KxwDomHtmlDocument& mrtDocument);

    KxwDomHtmlPropertyStr _tId;
    KxwDomHtmlPropertyStr _tClassName;
    RareProperties* _ptRareProperties = nullptr;
    KxwDomHtmlPropertyStr* _ptStyleText = nullptr;
    // Index of the BASE element in force at creation in the document's list of active bases (0: none).
    uint16_t _uElementBaseIndex = 0;
    uint8_t _ucElementFlags = 0;
};

// The element a script constructor of the window makes (Image, Option): of that tag, in the page of the script
// that runs now, in no tree yet. Null, with a script error naming the constructor, when no page's script runs.
KxwDomHtmlElement* xfptKxwDomHtmlElementConstructForScript(const char* mpszTag, const char* mpszConstructor);
