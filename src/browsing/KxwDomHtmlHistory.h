// The history of a top window (script class "History"): the pages and frame pages it loaded, oldest first, and
// the replay of them for back, forward and go. A page loaded by the history brings its frames back as they were:
// while the history navigation is on, each frame's load is given the address it showed then. The number of pages
// kept is the virtual user's setting, read when the history is made.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "KxwDomBase.h"
#include "kxw/KxwDomCommand.h"

class KxwDomHtmlTopWindow;

// One loaded page or frame page.
struct KxwHistoryItem {
    std::string _ssbUrl;
    KxwPostId _tPostId = 0;
    uint32_t _uliFrameHierarchyId = 0;
    bool _bPrimary = false;
    bool _bDeletePostCacheEntry = false;
};

// Whether a frame hierarchy id names a frame inside the frame of another id: the ancestor's id is reached by
// dropping 4 bits at a time (the top window's id 0 contains every frame).
bool xfbKxwDomIsFrameHierarchyIdInside(uint32_t muId, uint32_t muAncestorId);

class KxwDomHtmlHistory : public KxwDomBase {
public:
    explicit KxwDomHtmlHistory(KxwDomHtmlTopWindow* mptTopWindow);
    ~KxwDomHtmlHistory() override;

    // A document a window operation loads: recorded unless history is off, a history navigation is on, or the
    // address is not http or https. A POST is confirmed by the engine first (its post id); with mbReplace the entry
    // of that frame is replaced.
    void NotifyUrl(const char* mpsfUrl, unsigned muLen, KxwPostNotificationInfo* mptPostInfoOrNull,
                   uint32_t muFrameHierarchyId, bool mbPrimary, bool mbReplace);
    bool Back(int miCount, bool mbSilent);
    bool Forward(int miCount, bool mbSilent);
    bool Go(int miDelta);
    // During a history navigation: the address (and post id) the frame showed then.
    bool HistoryOverridePerformed(uint32_t muFrameHierarchyId, std::string& mrdsUrl, KxwPostId& mrtPostId);
    void NotifyComplete() { _bIsHistoryNavigationActive = false; }
    // The window with that frame id completed: the history navigation ends when it is the page it loaded. The
    // page that asked for it (a back() in its onload) completes before that load has begun, and does not end it.
    void NotifyWindowComplete(uint32_t muFrameHierarchyId) {
        if (_bIsHistoryNavigationActive && _bRequestedLoadStarted && muFrameHierarchyId == _uRequestedFrameId)
            NotifyComplete();
    }
    // A window starts loading a page: in the window the history navigation loads, a page other than the one it
    // asked for ends the history navigation, so that later navigations are recorded again.
    void NotifyNavigationStarts(uint32_t muFrameHierarchyId, const char* mpsfUrl, unsigned muLen);
    bool IsHistoryNavigationActive() const { return _bIsHistoryNavigationActive; }
    void Clear();
    void SetTopWindow(KxwDomHtmlTopWindow* mptTopWindow) { _ptTopWindow = mptTopWindow; }
    size_t GetItemCount() const { return _tHistoryItemsList.size(); }
    const std::vector<KxwHistoryItem>& GetItems() const { return _tHistoryItemsList; }
    size_t GetCurrentPosition() const { return _nCurrent; }
    // "length" as scripts see it: the number of items when there are 2 or more, else 0.
    unsigned GetScriptLength() const;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetShouldBeDeletedAtFinalize() override { return false; }

private:
    bool Move(int miCount, bool mbSilent, bool mbForward);
    void EraseItems(size_t mnFirst, size_t mnEnd);
    void DestroyItem(const KxwHistoryItem& mrtItem);

    KxwDomHtmlTopWindow* _ptTopWindow;
    std::vector<KxwHistoryItem> _tHistoryItemsList;
    size_t _nCurrent = 0;  // the index of the current item; equal to the size when there is none
    std::map<uint32_t, size_t> _tFrameItems;  // frame hierarchy id -> item restored in that frame
    int32_t _iPrimaryCount = 0;
    int32_t _iMaxSize;
    bool _bIsHistoryNavigationActive = false;
    std::string _dsRequestedUrl;  // the page the history navigation asked for, and its window
    uint32_t _uRequestedFrameId = 0;
    bool _bRequestedLoadStarted = false;
};
