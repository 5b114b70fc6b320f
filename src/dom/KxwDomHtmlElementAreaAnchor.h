// The elements with an address: A and AREA (script classes "anchor" and "area" on "areaanchorbase"), BASE and
// LINK. The href of A and AREA is kept as written and read resolved against the element's base URL, with the parts
// of the resolved URL (protocol, hostname, pathname, host, port, search). An A or AREA whose href becomes set or is
// cleared while it is in a tree tells its ancestors (notifications 29 and 30), so that the document's "links"
// follows it. A click follows an A or AREA; a style-sheet LINK in a document asks the engine for its sheet
// (notification 31).
#pragma once

#include <cstdint>
#include <string>

#include "KxwDomBaseUrlSource.h"
#include "KxwDomHtmlElementWithName.h"
#include "KxwDomHtmlPropertyUrl.h"
#include "KxwDomStyleSheet.h"

class KxwDomHtmlElementMap;

class KxwDomHtmlElementAreaAnchorBase : public KxwDomHtmlElementWithName, public KxwDomBaseUrlSource {
public:
    KxwDomHtmlElementAreaAnchorBase(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                                    bool mbUseMemMgr);

    // The href as written.
    const KxwDomHtmlPropertyStr& GetHref() const { return _tHref; }
    // An href counts as set when it holds a text.
    bool IsHrefSet() const { return !_tHref.IsEmpty(); }
    // A click follows the href: one that is set and is more than a fragment of this page.
    bool IsHrefFollowable() const {
        const char* psfHref = _tHref.GetDcsStr();
        return IsHrefSet() && psfHref && _tHref.GetDcsLenInBytes() > 0 && psfHref[0] != '#';
    }
    void SetHrefParsed(const char* mpszParsedValue);
    void SetHrefU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    void SetHrefDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    const KxwDomHtmlPropertyStr& GetTarget() const { return _tTarget; }
    void SetTargetParsed(const char* mpszParsedValue) { _tTarget.SetParsed(ParsedText(mpszParsedValue)); }
    bool IsSpecifiedTarget() const { return _tTarget.IsSpecified(); }
    bool IsEmptyTarget() const { return _tTarget.IsEmpty(); }
    const KxwDomHtmlPropertyStr* GetOwnTarget() const override { return &_tTarget; }
    // The href as scripts read it (UTF-8): resolved against the element's base URL, empty when there is none.
    std::string GetResolvedHref() const;
    // The href with its cached parts, current with the element's base URL.
    const KxwDomHtmlPropertyUrl& GetHrefUrl() const;

    // What the href resolves against (the URL property asks).
    bool GetBaseUrlDcs(const char** mppsfUrl, unsigned* mpnLen) override;

    // ---- Events ----
    // A click on a link follows it: the engine is told (notification 10) and loads the address into the target.
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                           const KxwDomEventData* mptDomEventDataOrNULL) override;
    // A user's click on a link or an area comes after the pointer moved over it.
    void DoBeforeEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType, const KxwDomEventData* mptDomEventDataOrNULL) override;

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // getAttribute("href", 2) reads the href as written.
    signed char GetTinyIdForExactValueFromTinyId(signed char mcTinyId) override;
    static const KxwJswClassInformation& GetAreaAnchorBaseClassInformation();

    static constexpr short kIdHref = KxwDomHtmlElementWithName::kFirstDerivedTinyId;  // 8
    static constexpr short kIdHrefExact = kIdHref + 1;                                // in no table
    static constexpr short kIdProtocol = kIdHref + 2;
    static constexpr short kIdHostname = kIdHref + 3;
    static constexpr short kIdPathname = kIdHref + 4;
    static constexpr short kIdHost = kIdHref + 5;
    static constexpr short kIdPort = kIdHref + 6;
    static constexpr short kIdSearch = kIdHref + 7;
    static constexpr short kIdTarget = kIdHref + 8;
    static constexpr short kFirstDerivedTinyId = kIdTarget + 1;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    // Tells the ancestors when the href went from unset to set or back.
    void AnnounceHrefChange(bool mbWasSet);
    // A script set protocol, host, port or search: the href becomes the URL rebuilt with the new part.
    void SetHrefPart(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo);

    // The parts cache what the base URL gave; they are made again once the document's base URL changed.
    mutable KxwDomHtmlPropertyUrl _tHref;
    KxwDomHtmlPropertyStr _tTarget;
    mutable uint32_t _uHrefBaseGeneration = 0;
};

// A: an address and a name; nothing of its own beyond them.
class KxwDomHtmlElementAnchor : public KxwDomHtmlElementAreaAnchorBase {
public:
    KxwDomHtmlElementAnchor(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    // The element's line, and its inner text when the mask asks for it.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    const KxwJswClassInformation* GetClassInformation() const override;
};

// AREA: a region of an image map, with its alternative text. The areas of a map are the "areas" of the MAP that
// holds them.
class KxwDomHtmlElementArea : public KxwDomHtmlElementAreaAnchorBase {
public:
    KxwDomHtmlElementArea(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    const KxwDomHtmlPropertyStr& GetAlt() const { return _tAlt; }
    void SetAltParsed(const char* mpszParsedValue) { _tAlt.SetParsed(ParsedText(mpszParsedValue)); }
    bool IsSpecifiedAlt() const { return _tAlt.IsSpecified(); }
    bool IsEmptyAlt() const { return _tAlt.IsEmpty(); }
    // The MAP the area lies in, or null.
    KxwDomHtmlElementMap* GetContainingMap() const;

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    static constexpr short kIdAlt = KxwDomHtmlElementAreaAnchorBase::kFirstDerivedTinyId;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tAlt;
};

// BASE: the document's base URL and default target while it is the active base.
class KxwDomHtmlElementBase : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementBase(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);
    // The document forgets the element among its bases.
    ~KxwDomHtmlElementBase() override;

    const KxwDomHtmlPropertyStr& GetHref() const { return _tHref; }
    void SetHrefParsed(const char* mpszParsedValue);
    // What the addresses under this BASE resolve against: its href, itself resolved against the document's
    // address when it is relative (as written when it cannot be). Valid until the document's base URL changes.
    const char* GetResolvedHrefDcs(unsigned* mpuLen) const;
    const KxwDomHtmlPropertyStr& GetTarget() const { return _tTarget; }
    void SetTargetParsed(const char* mpszParsedValue) { _tTarget.SetParsed(ParsedText(mpszParsedValue)); }
    const KxwDomHtmlPropertyStr* GetOwnTarget() const override { return &_tTarget; }

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    // The addresses that resolve against this BASE are worked out again.
    void NoteHrefChanged();

    KxwDomHtmlPropertyStr _tHref;
    KxwDomHtmlPropertyStr _tTarget;
    mutable std::string _dsResolvedHref;
    mutable uint32_t _uResolvedHrefBaseGeneration = 0;
};

// LINK: its address and relation. A LINK whose relation names a style sheet asks for its href while it is in a
// document: when it joins one, and when a script changes its href or rel.
class KxwDomHtmlElementLink : public KxwDomHtmlElement, public KxwDomHtmlElementStyleSheetContainer {
public:
    KxwDomHtmlElementLink(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    // The sheet of a style-sheet LINK (made on first use); null, reported, for another LINK.
    KxwDomStyleSheet* GetStyleSheetObject();
    void EnumerateSubtreeMembers(KxwDomSubtreeMemberSink& mrtSink) override;

    const KxwDomHtmlPropertyStr& GetHref() const { return _tHref; }
    void SetHrefParsed(const char* mpszParsedValue);
    const KxwDomHtmlPropertyStr& GetRel() const { return _tRel; }
    void SetRelParsed(const char* mpszParsedValue);
    // The href resolved against the element's base URL, without a length limit; made again once the document's
    // base URL changed. Empty for an empty href.
    const KxwDomHtmlPropertyStr& GetAbsoluteHref() const;
    bool GetIsStyleSheet() const { return _bIsStyleSheet; }
    // rel is "StyleSheet" or "Alternate StyleSheet", whole and ignoring case.
    void UpdateIsStyleSheet();
    // After a script set href or rel: the style-sheet status again, and the sheet asked for when it is one.
    void HandleChangedHrefOrRel();
    // A style sheet with an href in a document is asked of the engine (notification 31).
    void HandleDownloadNotification();
    void NotifyDocumentConnection(KxwDomHtmlDocument& mrtDocument, bool mbConnectedToDocument) override;

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    KxwDomHtmlPropertyStr _tHref;
    KxwDomHtmlPropertyStr _tRel;
    mutable KxwDomHtmlPropertyStr _tAbsoluteHref;
    mutable uint32_t _uAbsoluteHrefBaseGeneration = 0;
    mutable bool _bAbsoluteHrefValid = false;
    bool _bIsStyleSheet = false;
};
