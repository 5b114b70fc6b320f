// The window of a modal or modeless dialog (showModalDialog, showModelessDialog): a browser window of its own that
// belongs to the top window that opened it, with the arguments it was given (dialogArguments), the place and size
// its features asked for, and the value it hands back (returnValue). A top window has at most one dialog of each
// kind; a new one replaces the old. A closed dialog stays with its top window, as a closed top window stays with
// the object manager, until the iteration ends.
#pragma once

#include <string>

#include "KxwDomHtmlTopWindow.h"
#include "kxw/KxwJsval.h"

class KxwDomHtmlWindowDialog : public KxwDomHtmlTopWindow {
public:
    KxwDomHtmlWindowDialog(KxwObjMgr* mptObjMgr, KxwDomHtmlTopWindow* mptOwner, bool mbModal,
                           const KxwJsval& mrtArguments, const std::string& mdsFeatures);
    ~KxwDomHtmlWindowDialog() override;

    bool IsModal() const { return _bModal; }
    // The top window whose dialog this is; null once that window went first.
    KxwDomHtmlTopWindow* GetOwnerTopWindow() const { return _ptOwner; }
    void ForgetOwner() { _ptOwner = nullptr; }
    KxwJsval GetReturnValue() const { return _tReturnValue.Get(); }
    // The value of one of the features ("dialogWidth:300px; center:yes"), as written; empty when not given.
    std::string GetFeature(const char* mpszName) const;

    // Closing a dialog tells its top window, which keeps it until the iteration ends. Deferred while the
    // dialog's own script runs.
    void Close(bool mbForce) override;

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue) override;
    bool SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue) override;

private:
    KxwDomHtmlTopWindow* _ptOwner;
    bool _bModal;
    std::string _dsFeatures;
    KxwJsvalProt _tArguments;
    KxwJsvalProt _tReturnValue;
};
