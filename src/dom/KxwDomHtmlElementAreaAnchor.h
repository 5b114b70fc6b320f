// The elements with an address: A and AREA (script classes "anchor" and "area" on "areaanchorbase"), BASE and
// LINK. Their "href" is kept as written and read resolved against the element's base URL. An A or AREA whose href
// becomes set or is cleared while it is in a tree tells its ancestors (notifications 29 and 30), so that the
// document's "links" follows it. A click follows an A or AREA; style-sheet links come later.
#pragma once

#include <string>

#include "KxwDomHtmlElement.h"

class KxwDomHtmlElementAreaAnchorBase : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementAreaAnchorBase(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                                    bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetHref() const { return _tHref; }
    // An href counts as set when it holds a text.
    bool IsHrefSet() const { return !_tHref.IsEmpty(); }
    void SetHrefParsed(const char* mpszParsedValue);
    void SetHrefU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    const KxwDomHtmlPropertyStr& GetTarget() const { return _tTarget; }
    void SetTargetParsed(const char* mpszParsedValue) { _tTarget.SetParsed(ParsedText(mpszParsedValue)); }
    const KxwDomHtmlPropertyStr* GetOwnTarget() const override { return &_tTarget; }
    // The href as scripts read it: resolved against the element's base URL (UTF-8).
    std::string GetResolvedHref() const;

    // ---- Events ----
    // A click on a link follows it: the engine is told (notification 10) and loads the address into the target.
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                           const KxwDomEventData* mptDomEventDataOrNULL) override;
    // A user's click on a link or an area comes after the pointer moved over it.
    void DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) override;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    static const KxwJswClassInformation& GetAreaAnchorBaseClassInformation();

    static constexpr short kIdHref = KxwDomHtmlElement::kFirstDerivedTinyId;  // 7
    static constexpr short kIdTarget = kIdHref + 1;
    static constexpr short kFirstDerivedTinyId = kIdTarget + 1;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    // Tells the ancestors when the href went from unset to set or back.
    void AnnounceHrefChange(bool mbWasSet);

    KxwDomHtmlPropertyStr _tHref;
    KxwDomHtmlPropertyStr _tTarget;
};

using KxwDomHtmlElementArea = KxwDomHtmlElementAreaAnchorBase;

// A: an address and a name.
class KxwDomHtmlElementAnchor : public KxwDomHtmlElementAreaAnchorBase {
public:
    KxwDomHtmlElementAnchor(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetName() const override { return _tName; }
    void SetNameParsed(const char* mpszParsedValue);
    void SetNameU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);

    // The element's line, and its inner text when the mask asks for it.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tName;
};

// BASE: the document's base URL and default target while it is the active base.
class KxwDomHtmlElementBase : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementBase(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);
    // The document forgets the element among its bases.
    ~KxwDomHtmlElementBase() override;

    const KxwDomHtmlPropertyStr& GetHref() const { return _tHref; }
    void SetHrefParsed(const char* mpszParsedValue) { _tHref.SetParsed(ParsedText(mpszParsedValue)); }
    const KxwDomHtmlPropertyStr& GetTarget() const { return _tTarget; }
    void SetTargetParsed(const char* mpszParsedValue) { _tTarget.SetParsed(ParsedText(mpszParsedValue)); }
    const KxwDomHtmlPropertyStr* GetOwnTarget() const override { return &_tTarget; }

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tHref;
    KxwDomHtmlPropertyStr _tTarget;
};

// LINK: its address and relation (style sheets come later).
class KxwDomHtmlElementLink : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementLink(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetHref() const { return _tHref; }
    void SetHrefParsed(const char* mpszParsedValue) { _tHref.SetParsed(ParsedText(mpszParsedValue)); }
    const KxwDomHtmlPropertyStr& GetRel() const { return _tRel; }

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tHref;
    KxwDomHtmlPropertyStr _tRel;
};
