#include "KxwDomOnLoadHold.h"

#include "KxwDomHtmlWindow.h"

void KxwDomOnLoadHold::Acquire(KxwDomHtmlWindow* mptWindow) {
    Release();
    if (!mptWindow || mptWindow->IsOnLoadInvoked()) return;
    _uGeneration = mptWindow->GetDocumentGeneration();
    mptWindow->AddOnLoadHold();
    _tWatch.ActivateWatch(mptWindow);
}

bool KxwDomOnLoadHold::Release() {
    auto* ptWindow = static_cast<KxwDomHtmlWindow*>(_tWatch.GetEffectiveWatchedPtr());
    _tWatch.Reset();
    if (!ptWindow || ptWindow->GetDocumentGeneration() != _uGeneration) return false;
    ptWindow->ReleaseOnLoadHold();
    return true;
}
