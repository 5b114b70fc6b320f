#include "KxwJswCaller.h"

#include "KxwJswInternal.h"
#include "kxw/KxwJswGlobal.h"

KxwJswGlobal* xfptKxwJswGetScriptedCallerGlobal(KxwJswEngine* mptEngine) {
    if (!mptEngine || mptEngine->GetEvaluationDepth() == 0) return nullptr;
    JSContext* ptCx = mptEngine->GetContext();
    if (!ptCx) return nullptr;
    JSObject* ptGlobal = JS::GetScriptedCallerGlobal(ptCx);
    return ptGlobal ? KxwJswGlobal::OfObject(ptGlobal) : nullptr;
}
