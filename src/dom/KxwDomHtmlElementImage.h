// IMG (script class "image", whose constructor is the window's Image(width, height)): its address and the
// attributes scripts read, its download as the engine performs it, and a click on it inside a link.
//
// A page script that gives the image a non-empty src asks the engine for it (notification 15). From the request on
// the image's engine object is kept from the collector until the download ends, so that `new Image().src = url`
// loads even when nothing else holds the image. The download goes not started (readyState uninitialized),
// started (loading, complete false), completed (complete, complete true, readystatechange then load) or failed
// (back to not started, error). A click on an image inside a link follows the link (notification 9), with the
// coordinates clicked when the image is a server-side map (isMap).
#pragma once

#include <string>

#include "KxwDomHtmlElementWithName.h"
#include "KxwDomWatchDelete.h"

class KxwDomHtmlElementAnchor;
class KxwJswCallArgs;
class KxwJswUserObjBase;

class KxwDomHtmlElementImage : public KxwDomHtmlElementWithName {
public:
    KxwDomHtmlElementImage(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);

    // ---- Attributes ----
    const KxwDomHtmlPropertyStr& GetSrc() const { return _tSrc; }
    const KxwDomHtmlPropertyStr& GetDynSrc() const { return _tDynSrc; }
    const KxwDomHtmlPropertyStr& GetAlt() const { return _tAlt; }
    const KxwDomHtmlPropertyStr& GetUseMap() const { return _tUseMap; }
    bool GetIsMap() const { return _tIsMap.GetBool(); }
    bool GetDisabled() const { return _tDisabled.GetBool(); }
    bool GetComplete() const { return _tComplete.GetBool(); }
    bool IsSpecifiedSrc() const { return _tSrc.IsSpecified(); }
    bool IsEmptySrc() const { return _tSrc.IsEmpty(); }
    void SetSrcParsed(const char* mpszParsedValue) { _tSrc.SetParsed(ParsedText(mpszParsedValue)); }
    void SetDynSrcParsed(const char* mpszParsedValue) { _tDynSrc.SetParsed(ParsedText(mpszParsedValue)); }
    void SetAltParsed(const char* mpszParsedValue) { _tAlt.SetParsed(ParsedText(mpszParsedValue)); }
    void SetUseMapParsed(const char* mpszParsedValue) { _tUseMap.SetParsed(ParsedText(mpszParsedValue)); }
    void SetIsMapParsed(const char* mpszParsedValue) { _tIsMap.SetParsed(mpszParsedValue); }
    void SetDisabledParsed(const char* mpszParsedValue) { _tDisabled.SetParsed(mpszParsedValue); }
    // The addresses resolved against the element's base URL, whatever their length (DCS).
    std::string GetAbsoluteSrc() const { return ResolveUrlDcs(_tSrc); }
    std::string GetAbsoluteDynSrc() const { return ResolveUrlDcs(_tDynSrc); }

    // ---- The link the image lies in ----
    // Watches the A the image lies in (null: none). The tree keeps it right as the image is added anywhere.
    void SetContainingAnchor(KxwDomHtmlElementAnchor* mptAnchor);
    KxwDomHtmlElementAnchor* GetContainingAnchor() const;
    // The name an image link is matched by: the image's own name, else its link's, else the (empty) own one.
    const KxwDomHtmlPropertyStr& GetNameForImageLink() const;
    void OnAddedToTree() override;

    // ---- The download ----
    // A page script set src: a non-empty one is asked of the engine (notification 15).
    void HandleSrcChanged();
    void NotifyDownloadRequested() override;
    void NotifyDownloadRequestEnded() override;
    void NotifyStartDownload() override;
    void NotifyDownloadComplete() override;
    void NotifyDownloadFailed(KXW_WTL_SEV_LVL_ENUM meSevLvl, char* mpszMsg, int miMsgId) override;
    void NotifyDownloadAborted() override;
    KXW_DOM_HTML_READY_STATE_ENUM GetReadyStateRaw() const override { return _eReadyState; }

    // ---- Events ----
    bool CanRespondToEvent(KXW_DOM_EVENT_TYPE_ENUM meEventType) override;
    // A click follows the link the image lies in, with the coordinates clicked for a server-side map.
    KXW_DOM_HANDLE_EVENT_RET_VAL_ENUM DoEventDefaultAction(KXW_DOM_EVENT_TYPE_ENUM meEventType,
                                                           const KxwDomEventData* mptDomEventDataOrNULL) override;
    // The coordinates text a click sends ("x,y", "0,0" or empty), with the reports its rules make.
    std::string ComputeClickCoordinates(const KxwDomEventData* mptDomEventDataOrNULL) const;

    // ---- Script ----
    // new Image(): an IMG of the calling script's document, in no tree, owned by its engine object.
    static KxwJswUserObjBase* DefaultConstructImage(KxwJswCallArgs& mrtArgs);
    static const KxwJswClassInformation& GetImageClassInformation();
    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    signed char GetTinyIdForExactValueFromTinyId(signed char mcTinyId) override;

    // src and dynsrc come with their exact-value ids (the stored text, unresolved).
    static constexpr short kIdSrc = KxwDomHtmlElementWithName::kFirstDerivedTinyId;  // 8
    static constexpr short kIdSrcExact = kIdSrc + 1;
    static constexpr short kIdDynSrc = kIdSrc + 2;
    static constexpr short kIdDynSrcExact = kIdSrc + 3;
    static constexpr short kIdAlt = kIdSrc + 4;
    static constexpr short kIdUseMap = kIdSrc + 5;
    static constexpr short kIdIsMap = kIdSrc + 6;
    static constexpr short kIdDisabled = kIdSrc + 7;
    static constexpr short kIdComplete = kIdSrc + 8;
    // The largest coordinate a click sends, and the longest coordinates text taken as it is.
    static constexpr long kMaxCoordinate = 99999;
    static constexpr size_t kMaxCoordinatesLen = 11;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    struct PropertyRow;
    static const PropertyRow katPropertyRows[];

    bool SetSrcProperty(KxwDomPropertyInfo& mrtPropertyInfo);
    bool SetDynSrcProperty(KxwDomPropertyInfo& mrtPropertyInfo);
    bool IsConnectedToDocument() const;

    KxwDomWatchDelete _tWatchDeleteContainingAnchor{"KxwDomHtmlElementImage::SetContainingAnchor", nullptr};
    bool _bDownloadStarted = false;
    KXW_DOM_HTML_READY_STATE_ENUM _eReadyState = KXW_DOM_HTML_READY_STATE_UNINITIALIZED;
    // Requests of the engine not ended yet: while there is one, the engine object is kept from the collector.
    unsigned _uDownloadRequests = 0;
    KxwDomHtmlPropertyStr _tSrc;
    KxwDomHtmlPropertyStr _tDynSrc;
    KxwDomHtmlPropertyStr _tAlt;
    KxwDomHtmlPropertyStr _tUseMap;
    KxwDomHtmlPropertyBool _tIsMap;
    KxwDomHtmlPropertyBool _tDisabled;
    KxwDomHtmlPropertyBool _tComplete;
};
