// Types shared by the script wrapper and the library. No engine header is needed to use them: engine types appear
// only as forward declarations.
#pragma once

#include <cstdint>

struct JSContext;
class JSObject;
class JSTracer;

class KxwJswUserObjBase;
class KxwJswClassInformation;
class KxwJsval;
class KxwJswCallArgs;
class KxwJswTracer;
class KxwDomPropertyInfo;
class KxwDomHtmlElement;
class KxwDomEventTarget;
class KxwJswAutomationObject;
class KxwJswGlobal;

// What a value triple (value, length, type) carries across the script boundary.
enum KXW_JSW_OBJ_PROP_TYPE_ENUM {
    KXW_JSW_OBJ_PROP_TYPE_INVALID = 0,
    KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT = 1,  // a KxwJswUserObjBase*, length 0xFFFFFFFF
    KXW_JSW_OBJ_PROP_TYPE_STRING = 2,      // UTF-16 text and its length in characters
    KXW_JSW_OBJ_PROP_TYPE_INT = 4,         // a 32-bit integer in the value word
    KXW_JSW_OBJ_PROP_TYPE_DOUBLE = 5,      // a pointer to a double
    KXW_JSW_OBJ_PROP_TYPE_BOOLEAN = 6,     // non-zero value word for true
    KXW_JSW_OBJ_PROP_TYPE_NULL = 7,
    KXW_JSW_OBJ_PROP_TYPE_UNDEFINED = 8,
    KXW_JSW_OBJ_PROP_TYPE_FUNCTION = 9,    // a pointer to the engine value of a function
    KXW_JSW_OBJ_PROP_TYPE_JS_OBJECT = 10,  // a pointer to the engine value of a plain engine object
    KXW_JSW_OBJ_PROP_TYPE_NONE = 11,       // nothing to give (a failed read or call)
};

constexpr unsigned KXW_JSW_DOM_OBJECT_LEN = 0xFFFFFFFFu;

// A method callback: the wrapper converts the script's arguments by the method's signature letters into triples,
// calls it, and turns the result triple into the script's value. False reports the failure to the script.
using KxwJswMethodCallback = bool (*)(KxwJswUserObjBase* mptUserObj, unsigned mnArgc, void** mpapvArgv,
                                      unsigned* mpanArgvLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpaeType, void** mppvRetVal,
                                      unsigned* mpnRetValLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeRetValType);

// A method that converts its arguments by itself: it reads the engine values of the call and sets the result.
using KxwJswRawMethodCallback = bool (*)(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs);

// A script constructor (new Image(...)): makes the object or returns null after reporting why.
using KxwJswConstructorCallback = KxwJswUserObjBase* (*)(KxwJswCallArgs& mrtArgs);
