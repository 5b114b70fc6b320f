#include "KxwDomScriptDeadline.h"

#include "kxw/KxwJswEngine.h"

bool KxwDomScriptDeadline::IsPast() {
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    return ptEngine && ptEngine->IsPastScriptDeadline();
}
