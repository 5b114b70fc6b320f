#include "KxwJswOwnData.h"

#include <mozilla/Maybe.h>

#include "KxwJswInternal.h"

bool xfbKxwJswGetOwnDataProperty(const KxwJsval& mrtObject, const char16_t* mpwsfName, size_t mnLen,
                                 KxwJsval& mrtResult) {
    mrtResult.SetUndefined();
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    JSObject* ptObj = mrtObject.GetRawObject();
    if (!ptEngine || !ptObj || !mpwsfName) return false;
    JSContext* ptCx = ptEngine->GetContext();
    JS::RootedObject tObj(ptCx, ptObj);
    JS::Rooted<mozilla::Maybe<JS::PropertyDescriptor>> tDesc(ptCx);
    if (!JS_GetOwnUCPropertyDescriptor(ptCx, tObj, mpwsfName, mnLen, &tDesc)) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    if (tDesc.get().isNothing() || !tDesc.get()->isDataDescriptor()) return false;
    KxwJsvalAccess::Set(mrtResult, tDesc.get()->value());
    return true;
}
