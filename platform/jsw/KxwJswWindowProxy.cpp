// Window proxies: the engine object of a window is a forwarding proxy whose target is the global of the window's
// current page, as browsers do it. Moving the proxy to a new global keeps the window's identity for every holder
// while the old page's variables stay behind in the old global. Nothing here subclasses an engine class: the
// engine's own forwarding handler does the work.
#include <js/Wrapper.h>
#include <js/friend/WindowProxy.h>

#include "KxwJswInternal.h"
#include "KxwUtilReport.h"
#include "kxw/KxwJswGlobal.h"

using namespace kxwjsw;

namespace {

// Slot kSlotUserObj holds the window; the class's extension keeps the proxy's bookkeeping when it moves.
const JSClass ktWindowProxyClass = PROXY_CLASS_DEF("WindowProxy", JSCLASS_HAS_RESERVED_SLOTS(kSlotCount));

}  // namespace

namespace kxwjsw {

const JSClass* WindowProxyClass() {
    return &ktWindowProxyClass;
}

}  // namespace kxwjsw

bool KxwJswGlobal::SetWindow(KxwJswUserObjBase* mptWindow) {
    JSObject* ptObject = GetObject();
    if (!ptObject || !_ptEngine) return false;
    JSContext* ptCx = _ptEngine->GetContext();
    if (!mptWindow) {
        _ptWindow = nullptr;
        return true;
    }
    const KxwJswClassInformation* ptClassInfo = mptWindow->GetClassInformation();
    JS::RootedObject tGlobal(ptCx, ptObject);
    JSAutoRealm tRealm(ptCx, tGlobal);
    JS::RootedObject tProto(ptCx, ptClassInfo ? ObtainPrototype(ptCx, tGlobal, ptClassInfo) : nullptr);
    JS::RootedObject tCurrent(ptCx);
    bool bOK = tProto && JS_GetPrototype(ptCx, tGlobal, &tCurrent) &&
               (tCurrent == tProto || JS_SetPrototype(ptCx, tGlobal, tProto));
    // The prototypes of a window and of its classes cannot be changed, as in a browser; the engine's caches then
    // serve the reads of the window's properties from its prototypes ("location", "attachEvent") instead of a full
    // lookup each time.
    for (JS::RootedObject tLink(ptCx, bOK ? tGlobal.get() : nullptr); bOK && tLink;) {
        bool bImmutable = false;
        bOK = JS_SetImmutablePrototype(ptCx, tLink, &bImmutable) && bImmutable && JS_GetPrototype(ptCx, tLink, &tLink);
        // The chain ends with the engine's own Object.prototype, which stays as it is.
        if (bOK && tLink && !IsWrapperPrototype(tLink)) break;
    }
    JS::RootedObject tProxy(ptCx, bOK ? mptWindow->PeekJsiObj() : nullptr);
    if (bOK && tProxy && JS::GetClass(tProxy) != &ktWindowProxyClass) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Window %p already has an engine object %p that is no window proxy in "
                                              "KxwJswGlobal::SetWindow for this=%p",
                                              static_cast<void*>(mptWindow), static_cast<void*>(tProxy.get()),
                                              static_cast<void*>(this));
        return false;
    }
    if (bOK && !tProxy) {
        // The proxy belongs to the engine's main realm: an object keeps its realm's global alive, and the proxy
        // lives as long as its window, longer than any page.
        JSAutoRealm tMainRealm(ptCx, _ptEngine->GetGlobal());
        js::WrapperOptions tOptions;
        tOptions.setClass(&ktWindowProxyClass);
        tProxy = js::Wrapper::New(ptCx, tGlobal, &js::Wrapper::singleton, tOptions);
        bOK = tProxy != nullptr;
        if (bOK) mptWindow->SetJsiObj(tProxy);
    } else if (bOK) {
        js::SetProxyPrivate(tProxy, JS::ObjectValue(*tGlobal));
    }
    if (!bOK) {
        JS_ClearPendingException(ptCx);
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "The window proxy of window %p could not be set up in "
                                              "KxwJswGlobal::SetWindow for this=%p",
                                              static_cast<void*>(mptWindow), static_cast<void*>(this));
        return false;
    }
    js::SetWindowProxy(ptCx, tGlobal, tProxy);
    _ptWindow = mptWindow;
    return true;
}
