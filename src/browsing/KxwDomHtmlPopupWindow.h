// The object createPopup gives a page's script (script class "Popup"): a window of its own with an empty document,
// which the script fills and shows. At most one pop-up of a virtual user is shown at a time: showing one hides the
// one shown before, and so does a focus change to another window. A pop-up belongs to the window that made it and
// goes with that window's document.
#pragma once

#include "KxwDomBase.h"

class KxwDomHtmlWindow;

class KxwDomHtmlPopupWindow : public KxwDomBase {
public:
    // Made for mptOwner, with a window whose empty document is complete.
    explicit KxwDomHtmlPopupWindow(KxwDomHtmlWindow* mptOwner);
    ~KxwDomHtmlPopupWindow() override;

    KxwDomHtmlWindow* GetOwnerWindow() const { return _ptOwner; }
    // The pop-up's own window; null if it could not be made.
    KxwDomHtmlWindow* GetWindow() const { return _ptWindow; }
    bool IsOpen() const { return _bIsOpen; }
    // Makes it the virtual user's visible pop-up, kept from the collector while shown.
    void Show();
    // hide(): the virtual user shows no pop-up when this was the one shown; it is hidden in any case.
    void Hide();
    // Shown no more: its protection ends and its window's unload runs. Nothing happens when it is not shown.
    void MarkHidden();

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetShouldBeDeletedAtFinalize() override { return false; }

private:
    KxwDomHtmlWindow* _ptOwner;
    KxwDomHtmlWindow* _ptWindow = nullptr;
    bool _bIsOpen = false;
};
