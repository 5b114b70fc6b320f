// The page whose script is running, as opposed to the realm the engine is in: a native method of another window's
// object (top.location.href set from a frame) runs in that object's realm, while relative addresses given to it
// belong to the caller's page.
#pragma once

#include "kxw/KxwExport.h"

class KxwJswEngine;
class KxwJswGlobal;

// The global of the innermost script on the stack of the engine, or null when no script runs.
KXW_API KxwJswGlobal* xfptKxwJswGetScriptedCallerGlobal(KxwJswEngine* mptEngine);
