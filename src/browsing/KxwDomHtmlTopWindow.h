// A browser window: a child of the object manager, numbered by creation, with its opener, its history and the
// navigator, screen and external objects of the emulated browser. A close asked for by the window's own running
// script waits until that script ends.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KxwDomHtmlWindow.h"

class KxwDomHtmlHistory;
class KxwDomHtmlNavigator;
class KxwDomHtmlScreen;
class KxwDomHtmlExternal;
class KxwDomHtmlWindowDialog;
class KxwJsval;

class KxwDomHtmlTopWindow : public KxwDomHtmlWindow {
public:
    KxwDomHtmlTopWindow(KxwObjMgr* mptObjMgr, KxwDomHtmlWindow* mptOpenerOrNull, const char* mpsfName,
                        unsigned muNameLen, unsigned muCreationIndex);
    ~KxwDomHtmlTopWindow() override;

    KxwDomHtmlTopWindow* GetTopWindow() override { return this; }
    bool IsTopWindow() const override { return true; }
    unsigned GetCreationIndex() const { return _uCreationIndex; }
    KxwDomHtmlTopWindow* GetNextTopWindow() const;

    KxwDomHtmlWindow* GetOpener() const;
    void SetOpener(KxwDomHtmlWindow* mptOpener);
    void ResetOpener() { SetOpener(nullptr); }

    KxwDomHtmlHistory* GetHistory() override { return _ptHistory; }
    // The window's navigator, screen and external objects, which its frames' windows share.
    KxwDomHtmlNavigator* GetNavigator() const { return _ptNavigator; }
    KxwDomHtmlScreen* GetScreen() const { return _ptScreen; }
    KxwDomHtmlExternal* GetExternal() const { return _ptExternal; }
    void ClearHistory();
    // The page a history navigation brought back is complete.
    void NotifyHistoryComplete();

    // A null title, or a window without a document, matches; else the TITLE text (or the URL without one).
    bool MatchByTitle(const char* mpsfTitle, unsigned muTitleLen, bool mbIsRegExp) const;

    // ---- Closing ----
    void Close(bool mbForce) override;
    bool GetDeferredClose() const { return _bDeferredClose; }
    // Clears a deferred close that no script of this window (or its frames) runs for any more.
    void ResetDeferredCloseIfRequired(const char* mpszCaller);
    // Carries out a deferred close once no protected call and no script of the window runs; true when it closed.
    bool CarryOutDeferredClose();
    void IncrementDeferredCloseProtectionDepth() { ++_iDeferredCloseProtectionDepth; }
    void DecrementDeferredCloseProtectionDepth() {
        if (_iDeferredCloseProtectionDepth > 0) --_iDeferredCloseProtectionDepth;
    }

    // ---- Dialogs ----
    KxwDomHtmlWindow* GetWindowDialogModeless() const override;
    KxwDomHtmlWindow* GetWindowDialogModal() const override;
    // showModalDialog: the dialog opens (replacing one that is open), its page loads, the modal answer registered
    // in advance (if any) runs while it is shown, and it closes; the result is its returnValue.
    KxwJsval ShowModalDialog(KxwDomHtmlWindow* mptCalling, const std::string& mdsUrl, const KxwJsval& mrtArguments,
                             const std::string& mdsFeatures);
    // showModelessDialog: the dialog opens (replacing one that is open) and its page is asked for.
    KxwDomHtmlWindowDialog* ShowModelessDialog(KxwDomHtmlWindow* mptCalling, const std::string& mdsUrl,
                                               const KxwJsval& mrtArguments, const std::string& mdsFeatures);
    // A dialog of this window closed: it is this window's dialog no more, and stays until the iteration ends.
    void NotifyDialogClosed(KxwDomHtmlWindowDialog* mptDialog);
    void DeleteWindowDialogModal();
    void DeleteWindowDialogModeless();

    void OnEndIteration() override;
    KxwDomHtmlWindow* FindHtmlWindow(const char* mpsfName, unsigned muNameLen, bool mbNameIsRegExp, const char* mpsfId,
                                     unsigned muIdLen, unsigned muOrdinal) override;

protected:
    void OnResetOfTopWindow() override;
    // Defers the close when the running script is this window's or one of its frames'; true when deferred.
    bool DeferCloseWhileOwnScriptRuns();
    void ClearDeferredClose() { _bDeferredClose = false; }

private:
    unsigned _uCreationIndex;
    KxwDomWatchDelete _tOpenerWatch{"[window opener]", nullptr};
    KxwDomHtmlHistory* _ptHistory = nullptr;
    KxwDomHtmlNavigator* _ptNavigator = nullptr;
    KxwDomHtmlScreen* _ptScreen = nullptr;
    KxwDomHtmlExternal* _ptExternal = nullptr;
    bool _bDeferredClose = false;
    int _iDeferredCloseProtectionDepth = 0;
    KxwDomHtmlWindowDialog* _ptModalDialog = nullptr;
    KxwDomHtmlWindowDialog* _ptModelessDialog = nullptr;
    std::vector<KxwDomHtmlWindowDialog*> _tClosedDialogs;

    // Makes the dialog of that kind (replacing an open one) and asks for its page.
    KxwDomHtmlWindowDialog* OpenDialog(bool mbModal, KxwDomHtmlWindow* mptCalling, const std::string& mdsUrl,
                                       const KxwJsval& mrtArguments, const std::string& mdsFeatures);
    void DeleteAllDialogs();
};
