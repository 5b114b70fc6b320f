// What the object manager keeps for the whole life of its virtual user: the node whose children are the top
// windows (so that the hierarchy walks start here), the windows closed during the iteration, the DOM commands
// free for reuse and those executing now, the focus window and the visible pop-up, and the engine's notification
// callback, and the clipboard its windows share. Every DOM object of the virtual user lives on the memory manager held
// here.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "KxwDomClipboardData.h"
#include "KxwDomCoreNode.h"
#include "KxwDomSnapshotMgr.h"
#include "KxwDomWatchDelete.h"
#include "KxwMemMgr.h"
#include "KxwObjMgrVUserTimeoutInfo.h"
#include "KxwU16nHandler.h"
#include "kxw/KxwObjMgr.h"

class KxwDomHtmlTopWindow;
class KxwDomHtmlPopupWindow;

class KxwObjMgrPersistentInfo : public KxwDomCoreNode {
public:
    KxwObjMgrPersistentInfo(KxwObjMgr* mptOwner, KxwVUserVars* mptVUserVars, KxwMemMgr* mptMemMgr,
                            KxwU16nHandler* mptU16nHandler);
    ~KxwObjMgrPersistentInfo() override;

    KxwObjMgr* GetOwnerObjMgr() const { return _ptOwnerObjMgr; }
    KxwVUserVars* GetVUserVars() const { return _ptVUserVars; }

    KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const override { return KXW_DOM_COMMON_NODE_TYPE_INTERNAL; }
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetNodeSubtype() const override {
        return KXW_DOM_COMMON_NODE_SUBTYPE_OBJECT_MANAGER;
    }
    const char16_t* GetNodeNameU16n(unsigned* mpuLenInChars) const override;
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;
    // The object manager has no script object.
    const KxwJswClassInformation* GetClassInformation() const override { return nullptr; }

    KxwObjMgr* _ptOwnerObjMgr;
    KxwVUserVars* _ptVUserVars;
    KxwObjMgr::NotificationCallback _pfNotificationCallback = nullptr;
    std::vector<KxwDomHtmlTopWindow*> _tClosedWindows;
    KxwDomCommand* _ptFirstFreeCommand = nullptr;
    KxwDomCommand* _ptFirstExecutingCommand = nullptr;
    KxwDomHtmlPopupWindow* _ptVisiblePopup = nullptr;
    KxwDomWatchDelete _tFocusWindowWatch{"[window focus]", nullptr};
    KxwObjMgrVUserTimeoutInfo _tTimeoutInfo;
    bool _bNewTopWindow = false;
    bool _bIsDomSnapshotsBeingGenerated = false;
    bool _bIsReparsePerformedForGet = false;
    bool _bIsReparsePerformedForPost = false;
    // The "Auto" settings are settled once, when the second iteration runs (after the first reset).
    unsigned _uIterationResets = 0;
    bool _bAutoSettingsResolved = false;
    unsigned _uLastCreationIndex = 0;
    // The recorded layout's keys asked in the current step, with how often, and the step's name.
    std::unordered_map<std::string, unsigned> _tLayoutKeyUses;
    std::string _dsLayoutStepName;
    // window.clipboardData of every window of the virtual user; emptied by the full iteration reset.
    KxwDomClipboardData _tClipboardData{GetDomEnv()};
    std::unique_ptr<KxwDomSnapshotMgr> _ptSnapshotMgr;
    // The applet bridge's side of the virtual user (opaque here), made with the object manager.
    void* _pvVuserJavaObject = nullptr;
};

// The part saved and restored around a nested script step: its dialog answers and its initiator base URL.
struct KxwObjMgrStackedInfo {
    KxwObjMgr* _ptOwnerObjMgr = nullptr;
    std::unique_ptr<KxwObjMgrStackedInfo> _ptPrevStackedInfo;
    std::string _dsInitiatorBaseUrl;
    std::vector<KxwDomUserRegistration*> _tUserRegistrations;      // in the order they were added
    std::vector<KxwDomUserRegistration*> _tUsedUserRegistrations;  // most recently used first

    ~KxwObjMgrStackedInfo();
    void FreeRegistrations();
};
