// Reports shared by the script bindings of every DOM class.
#pragma once

#include <string>

#include "kxw/KxwJswTypes.h"

class KxwDomHtmlPropertyStr;
class KxwDomPropertyInfo;

// A method callback that cannot run with what it was given (a user object of another class, a missing out-pointer):
// sets the result to null of type 11 where the out-pointers allow and reports at the script-error level.
// mpvDynamicCastResult is what the callback's down-cast gave.
void xfvKxwDomUtilInvalidJswMethodCallbackArgs(const char* mpszMethodName, void* mpvDynamicCastResult,
                                               KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv,
                                               unsigned* mpanArgvLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType,
                                               void** mppvRetVal, unsigned* mpnRetValLen,
                                               KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType);

// An object made for scripts alone (a rectangle, a text range) gets its engine object at once, so that the engine
// object owns it even if the caller drops it. Without a script engine on this thread the object is deleted and the
// answer is false (reported with mpszCaller).
bool xfbKxwDomUtilGiveToEngineObject(KxwJswUserObjBase* mptUserObj, const char* mpszCaller);

// A property id that no class of the chain handles, read: traced as "<Class>::GetDomPropertyInfo: Unsupported
// property ID (%d)", the info set to undefined. Returns false for the caller to return.
bool xfbKxwDomUtilUnsupportedGetPropertyId(const char* mpszClassName, short mnTinyId,
                                           KxwDomPropertyInfo& mrtPropertyInfo);
// The same for a write ("<Class>::SetDomPropertyInfo: ..."); the info is left as the script gave it.
bool xfbKxwDomUtilUnsupportedSetPropertyId(const char* mpszClassName, short mnTinyId);

// Names and keys cross between the script side (UTF-16) and the C++ side (UTF-8); unpaired surrogates and bad
// bytes are carried as they come, never dropped.
std::string xfdsKxwDomUtilU16ToUtf8(const char16_t* mpwsfStr, unsigned muLen);
std::u16string xfdsKxwDomUtilUtf8ToU16(const char* mpszStr);
// A property's text in UTF-8, as the engine's interface gives texts; "" without one.
std::string xfdsKxwDomUtilPropertyToUtf8(const KxwDomHtmlPropertyStr& mrtProperty);

// Attribute and property names compare ignoring the case of ASCII letters only.
bool xfbKxwDomUtilU16EqualIgnoringAsciiCase(const char16_t* mpwsf1, size_t mnLen1, const char16_t* mpwsf2,
                                            size_t mnLen2);
