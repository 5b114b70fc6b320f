// Reports shared by the script bindings of every DOM class.
#pragma once

#include "KxwJswTypes.h"

class KxwDomPropertyInfo;

// A method callback that cannot run with what it was given (a user object of another class, a missing out-pointer):
// sets the result to null of type 11 where the out-pointers allow and reports at the script-error level.
// mpvDynamicCastResult is what the callback's down-cast gave.
void xfvKxwDomUtilInvalidJswMethodCallbackArgs(const char* mpszMethodName, void* mpvDynamicCastResult,
                                               KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv,
                                               unsigned* mpanArgvLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType,
                                               void** mppvRetVal, unsigned* mpnRetValLen,
                                               KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType);

// A property id that no class of the chain handles, read: traced as "<Class>::GetDomPropertyInfo: Unsupported
// property ID (%d)", the info set to undefined. Returns false for the caller to return.
bool xfbKxwDomUtilUnsupportedGetPropertyId(const char* mpszClassName, short mnTinyId,
                                           KxwDomPropertyInfo& mrtPropertyInfo);
// The same for a write ("<Class>::SetDomPropertyInfo: ..."); the info is left as the script gave it.
bool xfbKxwDomUtilUnsupportedSetPropertyId(const char* mpszClassName, short mnTinyId);
