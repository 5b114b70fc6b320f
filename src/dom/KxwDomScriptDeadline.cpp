#include "KxwDomScriptDeadline.h"

#include "KxwJswEngine.h"

bool KxwDomScriptDeadline::IsPast() {
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    return ptEngine && ptEngine->IsPastScriptDeadline();
}
