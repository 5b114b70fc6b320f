#include "kxw/KxwDomCommand.h"

#include <cstdlib>
#include <cstring>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementApplet.h"
#include "KxwDomHtmlElementFrame.h"
#include "KxwDomHtmlElementScript.h"
#include "KxwDomHtmlElementXml.h"
#include "KxwDomHtmlHistory.h"
#include "KxwDomNamespace.h"
#include "KxwDomHtmlTopWindow.h"
#include "KxwDomOnLoadHold.h"
#include "KxwDomSnapshotMgr.h"
#include "KxwDomWatchDelete.h"
#include "KxwDomXmlResponse.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwObjMgr.h"

namespace {

bool IsJavaScriptUrl(const char* mpsfUrl, unsigned muLen) {
    static const char kacScheme[] = "javascript:";
    if (!mpsfUrl || muLen < sizeof kacScheme - 1) return false;
    for (unsigned n = 0; n < sizeof kacScheme - 1; ++n) {
        char c = mpsfUrl[n];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kacScheme[n]) return false;
    }
    return true;
}

}  // namespace

KxwDomCommand::KxwDomCommand(KxwObjMgr* mptObjMgr)
    : _ptObjMgr(mptObjMgr),
      _ptTargetWatch(std::make_unique<KxwDomWatchDelete>("KxwDomCommand::Prepare", nullptr)),
      _ptOnLoadHold(std::make_unique<KxwDomOnLoadHold>()) {}

KxwDomCommand::~KxwDomCommand() {
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile(
            "KxwDomCommand::~KxwDomCommand this=%p, _eDomCommandType=%d, _ptDocument=%p, "
            "_ptObjectWithContentToLoad=%p, _ptObjMgr=%p, _dsHref=\"%.512s\"",
            static_cast<void*>(this), static_cast<int>(_eDomCommandType), static_cast<void*>(_ptDocument),
            static_cast<void*>(_ptObjectWithContentToLoad), static_cast<void*>(_ptObjMgr), _dsHref.c_str());
}

KxwObjMgr* KxwDomCommand::ObtainObjMgr() {
    if (!_ptObjMgr) _ptObjMgr = xfptKxwDomUtilGetObjMgr(nullptr);
    if (!_ptObjMgr)
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Object Manager address cannot be obtained by "
                                              "KxwDomCommand::ObtainObjMgr for this=%p, mptHtmlWindowOrNULL=%p",
                                              static_cast<void*>(this), static_cast<void*>(_ptOriginatingWindow));
    return _ptObjMgr;
}

void KxwDomCommand::Reset() {
    OnTaskDocument(nullptr);
    EndDownloadRequest();
    _ptOnLoadHold->Release();
    _uRequestDocumentGeneration = 0;
    _eDomCommandType = KXW_DOM_COMMAND_TYPE_NONE;
    _ptOriginatingWindow = nullptr;
    _dsFrameName.clear();
    _ptDocument = nullptr;
    _ptObjectWithContentToLoad = nullptr;
    _dsHref.clear();
    _dsWindowName.clear();
    _ptTargetWindow = nullptr;
    _ptObjMgr = nullptr;
    _tPostId = 0;
    _ucFlags1 = 0;
    _iContentType = KXW_DOM_CONTENT_TYPE_DEFAULT;
    _dsAccumulatedResponseBody.clear();
    _dsAccumulatedResponseBody.shrink_to_fit();
    // A charset held for one response must not decode the next, unrelated one.
    _dsResponseCharset.clear();
    _pvUserData = nullptr;
    _ptTargetObjectForAbort = nullptr;
    _ptTargetWatch->Reset();
}

// ---------------------------------------------------------------------------------------------------------------
// Preparing

void KxwDomCommand::PrepareTargetObject(KxwDomCoreNode* mptNode, bool mbUseWindowDocument) {
    if (!mptNode) {
        _ptTargetObjectForAbort = nullptr;
        _ptTargetWatch->Reset();
        return;
    }
    if (_ptTargetObjectForAbort) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwDomCommand::PrepareTargetObject(%p) when _ptTargetObjectForAbort=%p",
                                              static_cast<void*>(mptNode), static_cast<void*>(_ptTargetObjectForAbort));
        _ptTargetWatch->Reset();
    }
    KxwDomCoreNode* ptTarget = mptNode;
    if (KxwDomHtmlWindow* ptWindow = mptNode ? mptNode->AsHtmlWindow() : nullptr) {
        ptWindow->IncrementTargetCount();
        if (mbUseWindowDocument && ptWindow->GetDocument()) ptTarget = ptWindow->GetDocument();
    }
    _ptTargetObjectForAbort = ptTarget;
    _ptTargetWatch->ActivateWatch(ptTarget);
}

bool KxwDomCommand::PrepareCommandAddOrReplaceWindowByOrigin(KxwDomHtmlWindow* mptOriginatingWindow,
                                                             KxwDomNodeBase* mptElement) {
    if (!mptOriginatingWindow) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptOriginatingWindow == NULL in "
                                              "KxwDomCommand::PrepareAddOrReplaceWindowByOriginCommand.");
        return false;
    }
    _eDomCommandType = KXW_DOM_COMMAND_TYPE_ADD_OR_REPLACE_WINDOW_BY_ORIGIN;
    _ptOriginatingWindow = mptOriginatingWindow;
    _dsFrameName.clear();
    if (auto* ptElement = dynamic_cast<KxwDomHtmlElement*>(mptElement)) {
        unsigned uLen = 0;
        const char* psfTarget = ptElement->GetActiveTarget(&uLen);
        if (psfTarget) _dsFrameName.assign(psfTarget, uLen);
    }
    KxwObjMgr* ptObjMgr = ObtainObjMgr();
    KxwDomHtmlWindow* ptTarget = ptObjMgr
                                     ? ptObjMgr->FindHtmlWindowByOriginating(mptOriginatingWindow, _dsFrameName.data(),
                                                                             static_cast<unsigned>(_dsFrameName.size()))
                                     : nullptr;
    PrepareTargetObject(ptTarget, true);
    return true;
}

bool KxwDomCommand::PrepareCommandAddOrReplaceWindow(const char* mpsfTitle, unsigned muTitleLen, bool mbTitleIsRegExp,
                                                     unsigned muBrowserOrdinal, const char* mpsfFrameName,
                                                     unsigned muFrameNameLen, unsigned muFrameOrdinal,
                                                     bool mbCreateSnapshots) {
    _eDomCommandType = KXW_DOM_COMMAND_TYPE_ADD_OR_REPLACE_WINDOW;
    KxwObjMgr* ptObjMgr = ObtainObjMgr();
    if (!ptObjMgr) return false;
    KxwDomHtmlWindow* ptWindow =
        ptObjMgr->AddOrReplaceHtmlWindow(mpsfTitle, muTitleLen, mbTitleIsRegExp, muBrowserOrdinal, mpsfFrameName,
                                         muFrameNameLen, muFrameOrdinal, GetSchemeJavaScript(), mbCreateSnapshots);
    if (!ptWindow) return false;
    _ptObjectWithContentToLoad = ptWindow;
    _ptDocument = ptWindow->GetDocument();
    PrepareTargetObject(ptWindow, true);
    return _ptDocument != nullptr;
}

bool KxwDomCommand::PrepareCommandReplaceWindow(KxwDomHtmlWindow* mptWindow, bool mbWithHistory) {
    if (!mptWindow) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mptReplacedWindow is NULL in KxwDomCommand::PrepareCommandReplaceWindow "
                                              "for this=%p",
                                              static_cast<void*>(this));
        return false;
    }
    _eDomCommandType =
        mbWithHistory ? KXW_DOM_COMMAND_TYPE_REPLACE_WINDOW : KXW_DOM_COMMAND_TYPE_REPLACE_WINDOW_NO_HISTORY;
    _ptTargetWindow = mptWindow;
    _ptOriginatingWindow = mptWindow;
    // A frame's page is reported to its frame element, a top window's to the window itself.
    if (mptWindow->GetFrameElement())
        _ptObjectWithContentToLoad = mptWindow->GetFrameElement();
    else
        _ptObjectWithContentToLoad = mptWindow;
    PrepareTargetObject(mptWindow, false);
    return true;
}

bool KxwDomCommand::PrepareCommandWindowOpened(KxwDomHtmlWindow* mptNewWindow) {
    if (!mptNewWindow) return false;
    _eDomCommandType = KXW_DOM_COMMAND_TYPE_WINDOW_OPENED;
    _ptObjectWithContentToLoad = mptNewWindow;
    _ptDocument = mptNewWindow->GetDocument();
    PrepareTargetObject(mptNewWindow, true);
    return true;
}

bool KxwDomCommand::PrepareCommandWindowOpen(KxwDomHtmlWindow* mptOpenerWindow,
                                             const KxwDomWindowOpenParameters* mptParameters) {
    if (!mptOpenerWindow || !mptParameters) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid parameters to KxwDomCommand::PrepareCommandWindowOpen "
                                              "(mptOpenerWindow=%p, mptWindowOpenParameters=%p)",
                                              static_cast<void*>(mptOpenerWindow),
                                              static_cast<const void*>(mptParameters));
        return false;
    }
    _eDomCommandType = KXW_DOM_COMMAND_TYPE_WINDOW_OPEN;
    _ptOriginatingWindow = mptOpenerWindow;
    _dsHref = mptParameters->_dsHref;
    _dsWindowName = mptParameters->_dsName;
    _ptTargetWindow = mptParameters->_ptTargetWindow;
    PrepareTargetObject(_ptTargetWindow, true);
    return true;
}

namespace {

KxwDomHtmlDocument* DocumentOfNode(KxwDomNodeBase* mptNode) {
    return mptNode ? dynamic_cast<KxwDomHtmlDocument*>(mptNode->GetOwnerDocument(false)) : nullptr;
}

// The window whose onload a download for a node of its document holds off.
KxwDomHtmlWindow* WindowOfNode(KxwDomNodeBase* mptNode) {
    KxwDomHtmlDocument* ptDocument = DocumentOfNode(mptNode);
    return ptDocument ? ptDocument->GetWindow() : nullptr;
}

}  // namespace

bool KxwDomCommand::PrepareCommandDownloadScript(KxwDomNodeBase* mptScriptElement) {
    auto* ptScript = dynamic_cast<KxwDomHtmlElementScript*>(mptScriptElement);
    if (!ptScript) return false;
    _eDomCommandType = KXW_DOM_COMMAND_TYPE_DOWNLOAD_SCRIPT;
    _ptObjectWithContentToLoad = ptScript;
    // The element itself is watched: a script removed and collected while its source is on its way is not
    // followed (its document's end deletes it as well).
    PrepareTargetObject(ptScript, false);
    // Held from the request on: the window's onload waits for the script, however its download ends; a source a
    // page script set does not hold it.
    if (!ptScript->IsSrcFromJS()) _ptOnLoadHold->Acquire(WindowOfNode(ptScript));
    return true;
}

bool KxwDomCommand::PrepareCommandDownloadJavaCode(KxwDomNodeBase* mptAppletElement) {
    auto* ptApplet = dynamic_cast<KxwDomHtmlElementApplet*>(mptAppletElement);
    if (!ptApplet) return false;
    const std::string& rdsUrl = ptApplet->GetUrlToDownload(nullptr);
    if (rdsUrl.empty()) return false;
    _eDomCommandType = KXW_DOM_COMMAND_TYPE_DOWNLOAD_JAVA_CODE;
    _ptObjectWithContentToLoad = ptApplet;
    // The URL stays with the command: the applet may ask for more before this one arrives.
    _dsHref = rdsUrl;
    PrepareTargetObject(ptApplet, false);
    _ptOnLoadHold->Acquire(WindowOfNode(ptApplet));
    ptApplet->NotifyJavaCodeRequested(rdsUrl);
    return true;
}

bool KxwDomCommand::PrepareCommandDownloadXml(KxwDomNodeBase* mptXmlElement) {
    // An island's src, or the style sheet of a document that shows an XML response.
    auto* ptXml = dynamic_cast<KxwDomHtmlElementXml*>(mptXmlElement);
    auto* ptDocument = ptXml ? nullptr : dynamic_cast<KxwDomHtmlDocument*>(mptXmlElement);
    KxwDomXmlResponse* ptResponse = ptDocument ? ptDocument->GetXmlResponse() : nullptr;
    if (!ptXml && !ptResponse) return false;
    _eDomCommandType = KXW_DOM_COMMAND_TYPE_DOWNLOAD_XML;
    _ptObjectWithContentToLoad = mptXmlElement->AsCoreNode();
    _dsHref = ptXml ? ptXml->GetUrlToDownload() : ptResponse->GetXslUrl();
    PrepareTargetObject(_ptObjectWithContentToLoad, false);
    _ptOnLoadHold->Acquire(WindowOfNode(_ptObjectWithContentToLoad));
    return true;
}

bool KxwDomCommand::PrepareBehaviorDownload(KXW_DOM_COMMAND_TYPE_ENUM meType, KxwDomCoreNode* mptNode,
                                            const std::string& mrdsUrl) {
    if (!mptNode || mrdsUrl.empty()) return false;
    _eDomCommandType = meType;
    _ptObjectWithContentToLoad = mptNode;
    _dsHref = mrdsUrl;
    PrepareTargetObject(mptNode, false);
    // The window's onload waits for the file: the handlers it declares for load must be there first.
    KxwDomHtmlDocument* ptDocument = dynamic_cast<KxwDomHtmlDocument*>(mptNode->GetOwnerDocument(false));
    _ptOnLoadHold->Acquire(ptDocument ? ptDocument->GetWindow() : nullptr);
    _uRequestDocumentGeneration = ptDocument ? ptDocument->GetResetGeneration() : 0;
    return true;
}

bool KxwDomCommand::PrepareCommandDownloadBehavior(KxwDomNodeBase* mptElement, const std::string& mrdsUrl) {
    return PrepareBehaviorDownload(KXW_DOM_COMMAND_TYPE_DOWNLOAD_BEHAVIOR, dynamic_cast<KxwDomHtmlElement*>(mptElement),
                                   mrdsUrl);
}

bool KxwDomCommand::PrepareCommandDownloadElementBehavior(KxwDomNodeBase* mptNamespace, const std::string& mrdsUrl) {
    return PrepareBehaviorDownload(KXW_DOM_COMMAND_TYPE_DOWNLOAD_ELEMENT_BEHAVIOR,
                                   dynamic_cast<KxwDomNamespace*>(mptNamespace), mrdsUrl);
}

void KxwDomCommand::DeliverBehavior() {
    // The body is taken: what the file's scripts do may reuse this command.
    std::string dsBody;
    dsBody.swap(_dsAccumulatedResponseBody);
    if (_eDomCommandType == KXW_DOM_COMMAND_TYPE_DOWNLOAD_BEHAVIOR) {
        auto* ptElement = dynamic_cast<KxwDomHtmlElement*>(_ptObjectWithContentToLoad);
        if (!ptElement) {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "ptBehaviorElement == NULL in KxwDomCommand::OnTaskDownloadComplete()");
            return;
        }
        std::string dsUrl = _dsHref;
        ptElement->SetDownloadedBehavior(dsBody, dsUrl.data(), static_cast<unsigned>(dsUrl.size()));
        return;
    }
    auto* ptNamespace = dynamic_cast<KxwDomNamespace*>(_ptObjectWithContentToLoad);
    if (!ptNamespace) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptNamespace is NULL for _ptObjectWithContentToLoad=%p in "
                                              "KxwDomCommand::OnTaskDownloadComplete()",
                                              static_cast<void*>(_ptObjectWithContentToLoad));
        return;
    }
    ptNamespace->AddDownloadedElementBehavior(dsBody);
}

bool KxwDomCommand::PrepareCommandDownloadResource(KxwDomNodeBase* mptNode) {
    KxwDomCoreNode* ptNode = mptNode ? mptNode->AsCoreNode() : nullptr;
    if (!ptNode) return false;
    _eDomCommandType = KXW_DOM_COMMAND_TYPE_DOWNLOAD_RESOURCE;
    _ptObjectWithContentToLoad = ptNode;
    PrepareTargetObject(ptNode, false);
    _ptOnLoadHold->Acquire(WindowOfNode(ptNode));
    KxwDomHtmlDocument* ptDocument = DocumentOfNode(ptNode);
    _uRequestDocumentGeneration = ptDocument ? ptDocument->GetResetGeneration() : 0;
    // From the request on, until the command lets it go, the node stays (an image no script holds any more).
    EndDownloadRequest();
    _ptDownloadRequestNode = ptNode;
    ptNode->NotifyDownloadRequested();
    return true;
}

void KxwDomCommand::EndDownloadRequest() {
    KxwDomCoreNode* ptNode = _ptDownloadRequestNode;
    _ptDownloadRequestNode = nullptr;
    if (ptNode && !WasTargetObjectForAbortDeleted()) ptNode->NotifyDownloadRequestEnded();
}

bool KxwDomCommand::PrepareCommandNoSpecialAction(KxwDomHtmlDocument* mptDocument) {
    _eDomCommandType = KXW_DOM_COMMAND_TYPE_NO_SPECIAL_ACTION;
    _ptDocument = mptDocument;
    _ptObjectWithContentToLoad = mptDocument;
    PrepareTargetObject(mptDocument, false);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Executing

bool KxwDomCommand::IsWindowOperationReplacesWindow() const {
    if (_eDomCommandType >= 6 || GetSchemeJavaScript()) return true;
    switch (_iContentType) {
        case 0:
        case 1:
        case 2:
        case 4:
        case 5:
        case 7:
            return true;
        case KXW_DOM_CONTENT_TYPE_NO_CONTEXT:
            return false;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Invalid _eContentType=%d in "
                                                  "KxwDomCommand::IsWindowOperationReplacesWindow (this=%p)",
                                                  _iContentType, static_cast<const void*>(this));
            return true;
    }
}

bool KxwDomCommand::IsAccumulateResponseBodyRequired() const {
    switch (_eDomCommandType) {
        case KXW_DOM_COMMAND_TYPE_DOWNLOAD_BEHAVIOR:
        case KXW_DOM_COMMAND_TYPE_DOWNLOAD_ELEMENT_BEHAVIOR:
        case KXW_DOM_COMMAND_TYPE_DOWNLOAD_XML:
        case KXW_DOM_COMMAND_TYPE_DOWNLOAD_JAVA_CODE:
        case KXW_DOM_COMMAND_TYPE_METHOD_START_DOWNLOAD:
            return true;
        default:
            return _iContentType == KXW_DOM_CONTENT_TYPE_XML;
    }
}

KxwDomHtmlWindow* KxwDomCommand::ExecuteCommand(const char* mpsfUrl, unsigned muUrlLen, const char* mpsfReferrer,
                                                unsigned muReferrerLen, KxwPostNotificationInfo* mptPostInfoOrNull,
                                                bool mbShouldSetHref, void* mpvUserData) {
    if (WasCommandExecuted()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "KxwDomCommand::ExecuteCommand called more than once for this=%p. "
                                              "CommandType=%d, URL=%.2000s",
                                              static_cast<void*>(this), static_cast<int>(_eDomCommandType),
                                              mpsfUrl ? std::string(mpsfUrl, muUrlLen).c_str() : "");
        return nullptr;
    }
    SetFlag(kFlagExecuted, true);
    if (!mpsfUrl) muUrlLen = 0;
    if (IsJavaScriptUrl(mpsfUrl, muUrlLen)) SetSchemeJavaScript(true);
    std::string dsUrl(mpsfUrl ? mpsfUrl : "", muUrlLen);
    if (IsWindowOperation() && !IsWindowOperationReplacesWindow()) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                 "No DOM action taken due to Content-Type not building context for URL=\"%.2000s\" "
                                 "(internal command code=%d)",
                                 dsUrl.c_str(), static_cast<int>(_eDomCommandType));
        _eDomCommandType = KXW_DOM_COMMAND_TYPE_NO_SPECIAL_ACTION;
    }
    KxwObjMgr* ptObjMgr = ObtainObjMgr();
    if (!ptObjMgr) return nullptr;
    // Off the executing list on every way out.
    struct ExecutingEntry {
        KxwObjMgr* _ptObjMgr;
        KxwDomCommand* _ptCommand;
        bool _bAdded;
        ~ExecutingEntry() {
            if (_bAdded) _ptObjMgr->RemoveExecutingDomCommand(_ptCommand);
        }
    } tEntry{ptObjMgr, this, ptObjMgr->AddExecutingDomCommand(this)};

    KxwDomHtmlWindow* ptWindow = nullptr;
    switch (_eDomCommandType) {
        case KXW_DOM_COMMAND_TYPE_ADD_OR_REPLACE_WINDOW_BY_ORIGIN:
            ptWindow = ptObjMgr->AddOrReplaceHtmlWindowByOriginating(_ptOriginatingWindow, _dsFrameName.data(),
                                                                     static_cast<unsigned>(_dsFrameName.size()),
                                                                     GetSchemeJavaScript());
            _ptDocument = ptWindow ? ptWindow->GetDocument() : nullptr;
            _ptTargetObjectForAbort = nullptr;
            _ptTargetWatch->Reset();
            PrepareTargetObject(_ptDocument, false);
            break;
        case KXW_DOM_COMMAND_TYPE_ADD_OR_REPLACE_WINDOW:
            if (_ptDocument && WasTargetObjectForAbortDeleted()) _ptDocument = nullptr;
            if (_ptDocument && !GetSchemeJavaScript())
                _ptDocument->SetHrefDcs(dsUrl.data(), static_cast<unsigned>(dsUrl.size()));
            ptWindow = _ptDocument ? _ptDocument->GetWindow() : nullptr;
            break;
        case KXW_DOM_COMMAND_TYPE_REPLACE_WINDOW:
        case KXW_DOM_COMMAND_TYPE_REPLACE_WINDOW_NO_HISTORY:
            if (WasTargetObjectForAbortDeleted()) {
                if (xfbKxwTraceEnabled())
                    xfvKxwUtilReportTraceToFile(
                        "Replaced window has been DELETED in "
                        "KxwDomCommand::ExecuteCommandReplaceWindow for this=%p. Returning "
                        "NULL",
                        static_cast<void*>(this));
                return nullptr;
            }
            if (GetSchemeJavaScript()) {
                ptWindow = _ptTargetWindow;
            } else {
                // The load of a window not made by its history ends a history navigation that never completed.
                if (KxwDomHtmlTopWindow* ptTop = _ptTargetWindow->GetTopWindow())
                    if (KxwDomHtmlHistory* ptHistory = ptTop->GetHistory())
                        ptHistory->NotifyNavigationStarts(_ptTargetWindow->GetFrameHierarchyId(), dsUrl.data(),
                                                          static_cast<unsigned>(dsUrl.size()));
                ptWindow = ptObjMgr->ReplaceHtmlWindow(_ptTargetWindow);
                if (!ptWindow || WasTargetObjectForAbortDeleted()) return nullptr;
            }
            _ptDocument = ptWindow->GetDocument();
            break;
        case KXW_DOM_COMMAND_TYPE_WINDOW_OPENED:
            if (_ptDocument && WasTargetObjectForAbortDeleted()) _ptDocument = nullptr;
            ptWindow = _ptDocument ? _ptDocument->GetWindow() : nullptr;
            break;
        case KXW_DOM_COMMAND_TYPE_WINDOW_OPEN:
            if (!_ptOriginatingWindow) {
                xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                      "_ptOriginatingWindow == NULL in "
                                                      "KxwDomCommand::ExecuteCommandWindowOpen");
                return nullptr;
            }
            if (_ptTargetWindow && WasTargetObjectForAbortDeleted()) _ptTargetWindow = nullptr;
            ptWindow =
                _ptOriginatingWindow->Open(_ptTargetWindow, _dsHref.data(), static_cast<unsigned>(_dsHref.size()),
                                           _dsWindowName.data(), static_cast<unsigned>(_dsWindowName.size()));
            _ptDocument = ptWindow ? ptWindow->GetDocument() : nullptr;
            _ptObjectWithContentToLoad = ptWindow;
            _ptTargetObjectForAbort = nullptr;
            _ptTargetWatch->Reset();
            PrepareTargetObject(_ptDocument, false);
            break;
        case KXW_DOM_COMMAND_TYPE_DOWNLOAD_BEHAVIOR:
            _dsHref = dsUrl;
            break;
        case KXW_DOM_COMMAND_TYPE_DOWNLOAD_SCRIPT:
        case KXW_DOM_COMMAND_TYPE_DOWNLOAD_ELEMENT_BEHAVIOR:
        case KXW_DOM_COMMAND_TYPE_DOWNLOAD_XML:
        case KXW_DOM_COMMAND_TYPE_DOWNLOAD_JAVA_CODE:
        case KXW_DOM_COMMAND_TYPE_DOWNLOAD_RESOURCE:
        case KXW_DOM_COMMAND_TYPE_METHOD_START_DOWNLOAD:
        case KXW_DOM_COMMAND_TYPE_NO_SPECIAL_ACTION:
        case KXW_DOM_COMMAND_TYPE_NONE:
            break;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "DomCommandType (%d) unrecognized in KxwDomCommand::ExecuteCommand",
                                                  static_cast<int>(_eDomCommandType));
            break;
    }
    if (!_ptObjectWithContentToLoad) _ptObjectWithContentToLoad = ptWindow;
    if (!ptWindow) return nullptr;
    if (ptWindow->GetIsClosed()) return nullptr;
    if (!ptWindow->GetDocument()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "NULL document for window=%p in KxwDomCommand::ExecuteCommand. this=%p, "
                                              "_eDomCommandType=%d, _ptDocument=%p",
                                              static_cast<void*>(ptWindow), static_cast<void*>(this),
                                              static_cast<int>(_eDomCommandType), static_cast<void*>(_ptDocument));
        return nullptr;
    }
    if (ptWindow->GetDocument() != _ptDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Non-NULL ptNewWindow->GetDocument() (%p) != _ptDocument (%p) in "
                                              "KxwDomCommand::ExecuteCommand",
                                              static_cast<void*>(ptWindow->GetDocument()),
                                              static_cast<void*>(_ptDocument));
        _ptDocument = ptWindow->GetDocument();
    }
    KxwDomWatchDelete tWatchWindow("KxwDomCommand::ExecuteCommand", ptWindow);
    if (!_dsResponseCharset.empty()) {
        _ptDocument->SetResponseCharset(_dsResponseCharset.data(), static_cast<unsigned>(_dsResponseCharset.size()));
        _dsResponseCharset.clear();
    }
    if (IsWindowOperation() && !GetSchemeJavaScript()) _ptDocument->NotifyDownloading(true);
    if (mbShouldSetHref && !GetSchemeJavaScript())
        _ptDocument->SetHrefDcs(dsUrl.data(), static_cast<unsigned>(dsUrl.size()));
    if (_iContentType != KXW_DOM_CONTENT_TYPE_XML) OnTaskDocument(mpvUserData);
    if (tWatchWindow.HasBeenDeleted()) return nullptr;
    if (IsWindowOperation() && !GetSchemeJavaScript()) {
        if (KxwDomHtmlTopWindow* ptTop = ptWindow->GetTopWindow())
            if (KxwDomHtmlHistory* ptHistory = ptTop->GetHistory())
                ptHistory->NotifyUrl(dsUrl.data(), static_cast<unsigned>(dsUrl.size()), mptPostInfoOrNull,
                                     ptWindow->GetFrameHierarchyId(), IsPrimaryForHistory(),
                                     _eDomCommandType == KXW_DOM_COMMAND_TYPE_REPLACE_WINDOW_NO_HISTORY);
        if (tWatchWindow.HasBeenDeleted()) return nullptr;
    }
    if (mpsfReferrer && muReferrerLen && _ptDocument) _ptDocument->SetReferer(mpsfReferrer, muReferrerLen);
    return ptWindow;
}

// ---------------------------------------------------------------------------------------------------------------
// Task callbacks

KxwDomHtmlDocument* KxwDomCommand::GetDocument() const {
    return WasTargetObjectForAbortDeleted() ? nullptr : _ptDocument;
}

KxwDomHtmlWindow* KxwDomCommand::DocumentWindow() const {
    KxwDomHtmlDocument* ptDocument = GetDocument();
    return ptDocument ? ptDocument->GetWindow() : nullptr;
}

bool KxwDomCommand::WasTargetPageReplaced() const {
    if (WasTargetObjectForAbortDeleted()) return true;
    if (_eDomCommandType != KXW_DOM_COMMAND_TYPE_DOWNLOAD_RESOURCE || _uRequestDocumentGeneration == 0) return false;
    KxwDomHtmlDocument* ptDocument = DocumentOfNode(_ptObjectWithContentToLoad);
    return ptDocument && ptDocument->GetResetGeneration() != _uRequestDocumentGeneration;
}

bool KxwDomCommand::WasTargetObjectForAbortDeleted() const {
    return _ptTargetWatch->HasBeenDeleted();
}

KxwDomCoreNode* KxwDomCommand::GetTargetObjectForAbortOrNullIfDeleted() const {
    return WasTargetObjectForAbortDeleted() ? nullptr : _ptTargetObjectForAbort;
}

KxwDomNodeBase* KxwDomCommand::GetScriptElementToLoad() const {
    if (_eDomCommandType != KXW_DOM_COMMAND_TYPE_DOWNLOAD_SCRIPT || WasTargetObjectForAbortDeleted()) return nullptr;
    return _ptObjectWithContentToLoad;
}

KxwDomHtmlDocument* KxwDomCommand::GetAssociatedDocument() const {
    if (IsWindowOperation()) return GetDocument();
    if (IsNoOperation() || WasTargetObjectForAbortDeleted() || !_ptObjectWithContentToLoad) return nullptr;
    return dynamic_cast<KxwDomHtmlDocument*>(_ptObjectWithContentToLoad->GetOwnerDocument(false));
}

void KxwDomCommand::SetAssociatedDocumentResponseCharset(const char* mpszCharset) {
    if (!IsWindowOperation() || !mpszCharset) return;
    if (KxwDomHtmlDocument* ptDocument = WasCommandExecuted() ? GetDocument() : nullptr)
        ptDocument->SetResponseCharset(mpszCharset, static_cast<unsigned>(std::strlen(mpszCharset)));
    else
        _dsResponseCharset = mpszCharset;
}

const char* KxwDomCommand::GetAssociatedDocumentResponseCharset() const {
    KxwDomHtmlDocument* ptDocument = GetAssociatedDocument();
    if (!ptDocument) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptAssociatedDocument is NULL in "
                                              "KxwDomCommand::GetAssociatedDocumentResponseCharset for this=%p",
                                              static_cast<const void*>(this));
        return "";
    }
    return ptDocument->GetResponseCharsetName();
}

unsigned long KxwDomCommand::GetPendingScriptSrcCount() const {
    KxwDomHtmlDocument* ptDocument = GetAssociatedDocument();
    return ptDocument ? ptDocument->GetPendingScriptSrcCount() : 0;
}

void KxwDomCommand::OnTaskDocument(void* mpvUserData) {
    KxwDomHtmlDocument* ptDocument = IsWindowOperation() ? GetDocument() : nullptr;
    if (!ptDocument) {
        _pvUserData = mpvUserData;
        return;
    }
    if (_pvUserData && _pvUserData != mpvUserData)
        xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM_USER_DATA_RELEASED, ptDocument, _pvUserData);
    _pvUserData = mpvUserData;
}

void KxwDomCommand::OnTaskRedirection(void* mpvUserData) {
    _dsAccumulatedResponseBody.clear();
    OnTaskDocument(mpvUserData);
}

void KxwDomCommand::OnTaskInitSnapshot(cached_info* mptCachedInfo) {
    OnTaskInitSnapshot("", 0, "", false, false, mptCachedInfo);
}

void KxwDomCommand::OnTaskInitSnapshot(const char* mpsfUrl, unsigned muUrlLen, const char* mpszContentType,
                                       bool mbIsRedirectedTask, bool mbFirstResponseSegmentBodyInTask,
                                       cached_info* mptCachedInfo, const char* mpsfData, unsigned muDataLen) {
    KxwObjMgr* ptObjMgr = ObtainObjMgr();
    if (!ptObjMgr || WasTargetObjectForAbortDeleted()) return;
    // A window's page is its document's body; any other load is a resource of its element.
    KxwDomHtmlWindow* ptWindow = IsWindowOperation() ? DocumentWindow() : nullptr;
    KxwDomCoreNode* ptObject = ptWindow ? nullptr : _ptObjectWithContentToLoad;
    if (!ptWindow && !ptObject) return;
    ptObjMgr->GetSnapshot()->Set(ptWindow, ptObject, mpsfData, muDataLen, mpszContentType, mpsfUrl, muUrlLen,
                                 mbIsRedirectedTask, mbFirstResponseSegmentBodyInTask, mptCachedInfo);
}

void KxwDomCommand::OnTaskStartDownload() {
    bool bDeleted = WasTargetObjectForAbortDeleted();
    if (_ptObjectWithContentToLoad && !bDeleted) _ptObjectWithContentToLoad->NotifyStartDownload();
}

void KxwDomCommand::OnTaskResponseBodyBuffer(const char* mpsfData, unsigned muLength) {
    if (mpsfData && muLength && IsAccumulateResponseBodyRequired())
        _dsAccumulatedResponseBody.append(mpsfData, muLength);
}

void KxwDomCommand::OnTaskStartHtmlParsing() {
    if (!IsWindowOperation()) return;
    KxwDomHtmlDocument* ptDocument = GetDocument();
    if (!ptDocument) {
        if (!WasTargetObjectForAbortDeleted())
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "ptDocument=NULL in KxwDomCommand::OnTaskStartHtmlParsing(). this=%p",
                                                  static_cast<void*>(this));
        return;
    }
    ptDocument->NotifyHtmlParsing(true);
}

void KxwDomCommand::OnTaskEndHtmlParsing() {
    if (!IsWindowOperation()) return;
    KxwDomHtmlDocument* ptDocument = GetDocument();
    if (!ptDocument) {
        if (!WasTargetObjectForAbortDeleted())
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "ptDocument=NULL in KxwDomCommand::OnTaskEndHtmlParsing(). this=%p",
                                                  static_cast<void*>(this));
        return;
    }
    // The end of the parsing loads the document's frames (once each).
    ptDocument->NotifyHtmlParsing(false);
    OnTaskDocument(nullptr);
    if (WasTargetObjectForAbortDeleted()) return;
    if (KxwDomHtmlWindow* ptWindow = ptDocument->GetWindow()) ptWindow->NotifyEndOfHtml();
}

void KxwDomCommand::OnTaskReparse() {
    KxwDomHtmlWindow* ptWindow = DocumentWindow();
    KxwObjMgr* ptObjMgr = ObtainObjMgr();
    if (!ptWindow || !ptObjMgr) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid ptHtmlWindow=%p / _ptObjMgr=%p KxwDomCommand::OnTaskReparse "
                                              "for this=%p. Exiting.",
                                              static_cast<void*>(ptWindow), static_cast<void*>(ptObjMgr),
                                              static_cast<void*>(this));
        return;
    }
    _dsAccumulatedResponseBody.clear();
    bool bAdded = !ptObjMgr->IsExecutingDomCommand(this) && ptObjMgr->AddExecutingDomCommand(this);
    ptWindow->Reset(KXW_DOM_RESET_WINDOW_REASON_REPARSE);
    if (bAdded) ptObjMgr->RemoveExecutingDomCommand(this);
    if (KxwDomHtmlDocument* ptDocument = GetDocument()) {
        ptDocument->NotifyDownloading(true);
        ptDocument->NotifyHtmlParsing(true);
    }
}

void KxwDomCommand::OnTaskDownloadComplete(bool mbWithoutDownloading, const char*, unsigned) {
    if (WasTargetObjectForAbortDeleted()) {
        _ptDownloadRequestNode = nullptr;
        _ptOnLoadHold->Release();
        return;
    }
    if (IsWindowOperation())
        if (KxwDomHtmlDocument* ptDocument = GetDocument()) ptDocument->NotifyDownloading(false);
    if (_eDomCommandType == KXW_DOM_COMMAND_TYPE_DOWNLOAD_JAVA_CODE && !WasTargetObjectForAbortDeleted()) {
        auto* ptApplet = dynamic_cast<KxwDomHtmlElementApplet*>(_ptObjectWithContentToLoad);
        if (!ptApplet)
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "ptAppletElement == NULL in KxwDomCommand::OnTaskDownloadComplete()");
        // Completed without a download (aborted): the applet hears of a failure.
        else
            ptApplet->NotifyJavaCode(_dsHref, mbWithoutDownloading ? nullptr : &_dsAccumulatedResponseBody);
        if (WasTargetObjectForAbortDeleted()) {
            _ptDownloadRequestNode = nullptr;
            _ptOnLoadHold->Release();
            return;
        }
    }
    if (_eDomCommandType == KXW_DOM_COMMAND_TYPE_DOWNLOAD_XML && !WasTargetObjectForAbortDeleted()) {
        auto* ptXml = dynamic_cast<KxwDomHtmlElementXml*>(_ptObjectWithContentToLoad);
        auto* ptDocument = ptXml ? nullptr : dynamic_cast<KxwDomHtmlDocument*>(_ptObjectWithContentToLoad);
        if (ptDocument && ptDocument->GetXmlResponse())
            ptDocument->GetXmlResponse()->SetDownloadedXsl(_dsAccumulatedResponseBody, !mbWithoutDownloading);
        else if (!ptXml)
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "ptXmlElement == NULL in KxwDomCommand::OnTaskDownloadComplete()");
        else if (!mbWithoutDownloading)
            ptXml->SetDownloadedXml(_dsAccumulatedResponseBody);
        _dsAccumulatedResponseBody.clear();
        if (WasTargetObjectForAbortDeleted()) {
            _ptDownloadRequestNode = nullptr;
            _ptOnLoadHold->Release();
            return;
        }
    }
    if (IsDownloadBehavior() && !mbWithoutDownloading && _ptObjectWithContentToLoad && !WasTargetPageReplaced()) {
        DeliverBehavior();
        if (WasTargetObjectForAbortDeleted()) {
            _ptDownloadRequestNode = nullptr;
            _ptOnLoadHold->Release();
            return;
        }
    }
    if (_ptObjectWithContentToLoad && !WasTargetObjectForAbortDeleted()) {
        KxwDomCoreNode* ptObject = _ptObjectWithContentToLoad;
        _ptObjectWithContentToLoad = nullptr;
        ptObject->NotifyDownloadComplete();
    }
    EndDownloadRequest();
    _ptOnLoadHold->Release();
}

bool KxwDomCommand::OnTaskDownloadFailedRequiresFormattedMsg() const {
    return IsWindowOperation();
}

void KxwDomCommand::OnTaskDownloadFailed(KXW_WTL_SEV_LVL_ENUM meSevLvl, char*& mrpszFormattedMsg,
                                         int miFormattedMsgId) {
    if (IsWindowOperation())
        if (KxwDomHtmlDocument* ptDocument = GetDocument()) ptDocument->NotifyDownloading(false);
    if (_eDomCommandType == KXW_DOM_COMMAND_TYPE_DOWNLOAD_JAVA_CODE && !WasTargetObjectForAbortDeleted())
        if (auto* ptApplet = dynamic_cast<KxwDomHtmlElementApplet*>(_ptObjectWithContentToLoad))
            ptApplet->NotifyJavaCode(_dsHref, nullptr);
    if (_ptObjectWithContentToLoad && !WasTargetObjectForAbortDeleted()) {
        KxwDomCoreNode* ptObject = _ptObjectWithContentToLoad;
        _ptObjectWithContentToLoad = nullptr;
        KxwDomWatchDelete tWatch("KxwDomCommand::OnTaskDownloadFailed", ptObject);
        char* pszMsg = mrpszFormattedMsg;
        mrpszFormattedMsg = nullptr;
        ptObject->NotifyDownloadFailed(meSevLvl, pszMsg, miFormattedMsgId);
        if (!tWatch.HasBeenDeleted() && !WasTargetObjectForAbortDeleted()) ptObject->NotifyDownloadAborted();
    } else {
        free(mrpszFormattedMsg);
        mrpszFormattedMsg = nullptr;
    }
    EndDownloadRequest();
    _ptOnLoadHold->Release();
}

void KxwDomCommand::OnTaskAborted() {
    if (!WasTargetObjectForAbortDeleted() && _ptObjectWithContentToLoad) {
        KxwDomWatchDelete tWatch("KxwDomCommand::OnTaskAborted", _ptObjectWithContentToLoad);
        _ptObjectWithContentToLoad->NotifyDownloadAborted();
        if (!tWatch.HasBeenDeleted()) OnTaskDownloadComplete(true, "", 0);
    }
    SetFlag(kFlagAborted, true);
    EndDownloadRequest();
    _ptOnLoadHold->Release();
}

// ---------------------------------------------------------------------------------------------------------------
// History

bool KxwDomCommand::IsPrimaryForHistory() const {
    if (_eDomCommandType != KXW_DOM_COMMAND_TYPE_REPLACE_WINDOW) return true;
    KxwDomHtmlWindow* ptWindow = _ptTargetWindow && !WasTargetObjectForAbortDeleted() ? _ptTargetWindow : nullptr;
    return !ptWindow || !ptWindow->GetFrameElement();
}

bool KxwDomCommand::HistoryOverridePerformed(std::string& mrdsUrl, std::string& mrdsMethod) {
    if (_eDomCommandType != KXW_DOM_COMMAND_TYPE_REPLACE_WINDOW || !_ptTargetWindow ||
        WasTargetObjectForAbortDeleted() || !_ptTargetWindow->GetFrameElement())
        return false;
    KxwDomHtmlTopWindow* ptTop = _ptTargetWindow->GetTopWindow();
    KxwDomHtmlHistory* ptHistory = ptTop ? ptTop->GetHistory() : nullptr;
    if (!ptHistory) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptHistory == NULL in KxwDomCommand::HistoryOverridePerformed");
        return false;
    }
    KxwPostId tPostId = 0;
    if (!ptHistory->HistoryOverridePerformed(_ptTargetWindow->GetFrameHierarchyId(), mrdsUrl, tPostId)) return false;
    _tPostId = tPostId;
    mrdsMethod = tPostId < KXW_POST_ID_FIRST_REAL ? "GET" : "POST";
    return true;
}
