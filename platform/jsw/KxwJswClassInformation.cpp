// Class descriptions and the engine classes made from them: the hooks every wrapper object shares (trace,
// finalize, named items, calls) and the prototypes with one accessor pair per declared property and one function
// per method, each carrying its table entry in the function's reserved slots.
#include <strings.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "KxwJswCallArgs.h"
#include "KxwJswInternal.h"
#include "kxw/KxwJswGlobal.h"
#include "KxwUtilReport.h"
#include "kxw/KxwJsval.h"

using namespace kxwjsw;

namespace {

// ---------------------------------------------------------------------------------------------------------------
// The registry of descriptions, in construction order. Descriptions are static objects of many files, so the
// head lives in a function to be ready whatever the order of static construction.

struct ClassList {
    std::mutex _tMutex;
    const KxwJswClassInformation* _ptHead = nullptr;
    // Raised whenever a description comes or goes: each thread's table of constructors is made again then.
    std::atomic<uint64_t> _uGeneration{1};
};

// The script constructors by global name, for the global's resolve hook that asks for every name a page reads and
// does not define. One table per thread, so that virtual users do not contend for the list's lock on that path;
// descriptions come and go at start-up, at the end and in tests, on the thread that uses them.
using KxwJswConstructorTable =
    std::unordered_map<std::string_view, std::pair<const KxwJswCtorRegistrator*, const KxwJswClassInformation*>>;
struct KxwJswThreadConstructors {
    uint64_t _uGeneration = 0;
    KxwJswConstructorTable _tTable;
};

ClassList& Classes() {
    static ClassList tList;
    return tList;
}

// ---------------------------------------------------------------------------------------------------------------
// Hooks shared by every wrapper object.

void TraceHook(JSTracer* mptTracer, JSObject* mptObj) {
    KxwJswUserObjBase* ptUserObj = KxwJswUserObjBase::FromJsiObj(mptObj);
    if (!ptUserObj) return;
    KxwJswTracer tTracer(mptTracer);
    ptUserObj->TraceFromJsiObj(tTracer);
}

void FinalizeHook(JS::GCContext*, JSObject* mptObj) {
    KxwJswUserObjBase* ptUserObj = KxwJswUserObjBase::FromJsiObj(mptObj);
    if (!ptUserObj) return;
    // Finalizers only queue: deleting here could run arbitrary destructors in the middle of the collection.
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    if (ptEngine) ptEngine->QueueDelete(ptUserObj);
}

bool IsIndexId(JS::HandleId mtId, int32_t* mpiIndex) {
    if (!mtId.isInt()) return false;
    *mpiIndex = mtId.toInt();
    return *mpiIndex >= 0;
}

// A named item or an index is an own accessor that asks the user object again on every read, so that it follows
// the page; once the item is gone the accessor removes itself. Writing makes an ordinary property (an expando).
bool NamedItemGetter(JSContext* mptCx, unsigned muArgc, JS::Value* mpvVp) {
    JS::CallArgs tArgs = JS::CallArgsFromVp(muArgc, mpvVp);
    JS::RootedValue tKey(mptCx, js::GetFunctionNativeReserved(&tArgs.callee(), kFunSlotEntry));
    // A window's item read as a global name comes without an object: it is the window of the getter's global.
    JS::RootedObject tThis(mptCx, tArgs.thisv().isObject() ? &tArgs.thisv().toObject()
                                                           : JS::GetNonCCWObjectGlobal(&tArgs.callee()));
    KxwJswUserObjBase* ptUserObj = KxwJswUserObjBase::FromJsiObj(tThis);
    void* pvValue = nullptr;
    unsigned nLen = 0;
    auto eType = KXW_JSW_OBJ_PROP_TYPE_NONE;
    bool bFound = false;
    if (ptUserObj && tKey.isInt32()) {
        bFound = ptUserObj->GetPropByIndex(tKey.toInt32(), &pvValue, &nLen, &eType);
    } else if (ptUserObj && tKey.isString()) {
        JS::RootedString tName(mptCx, tKey.toString());
        JS::UniqueChars pszName = JS_EncodeStringToUTF8(mptCx, tName);
        if (!pszName) return false;
        bFound = ptUserObj->GetPropertyByName(pszName.get(), &pvValue, &nLen, &eType);
    }
    if (!bFound) {
        JS::RootedId tId(mptCx);
        if (!JS_ValueToId(mptCx, tKey, &tId)) return false;
        JS::ObjectOpResult tResult;
        if (!JS_DeletePropertyById(mptCx, tThis, tId, tResult)) return false;
        tArgs.rval().setUndefined();
        return true;
    }
    return TripleToValue(mptCx, pvValue, nLen, eType, tArgs.rval());
}

bool NamedItemSetter(JSContext* mptCx, unsigned muArgc, JS::Value* mpvVp) {
    JS::CallArgs tArgs = JS::CallArgsFromVp(muArgc, mpvVp);
    JS::RootedValue tKey(mptCx, js::GetFunctionNativeReserved(&tArgs.callee(), kFunSlotEntry));
    JS::RootedValue tValue(mptCx, tArgs.get(0));
    tArgs.rval().setUndefined();
    JS::RootedObject tThis(mptCx, tArgs.thisv().isObject() ? &tArgs.thisv().toObject()
                                                           : JS::GetNonCCWObjectGlobal(&tArgs.callee()));
    KxwJswUserObjBase* ptUserObj = KxwJswUserObjBase::FromJsiObj(tThis);
    if (ptUserObj && tKey.isInt32() && ptUserObj->TakesIndexWrites()) {
        // The object decides what the index holds; the accessor stays and reads it back from the object.
        KxwJswUserObjBase* ptValueObj = tValue.isObject() ? KxwJswUserObjBase::FromJsiObj(&tValue.toObject()) : nullptr;
        if (ptValueObj)
            ptUserObj->SetIndexProperty(tKey.toInt32(), ptValueObj, KXW_JSW_DOM_OBJECT_LEN,
                                        KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT);
        else if (tValue.isNull() || tValue.isUndefined())
            ptUserObj->SetIndexProperty(tKey.toInt32(), nullptr, 0,
                                        tValue.isNull() ? KXW_JSW_OBJ_PROP_TYPE_NULL : KXW_JSW_OBJ_PROP_TYPE_UNDEFINED);
        else
            ptUserObj->SetIndexProperty(tKey.toInt32(), nullptr, 0, KXW_JSW_OBJ_PROP_TYPE_NONE);
        return !IsStoppedByDeadline(mptCx);
    }
    if (ptUserObj && tKey.isString()) {
        JS::RootedString tName(mptCx, tKey.toString());
        JS::UniqueChars pszName = JS_EncodeStringToUTF8(mptCx, tName);
        if (!pszName) return false;
        if (ptUserObj->SetNamedItem(pszName.get(), KxwJsval::FromRawBits(tValue.get().asRawBits())))
            return !IsStoppedByDeadline(mptCx);
    }
    JS::RootedId tId(mptCx);
    if (!JS_ValueToId(mptCx, tKey, &tId)) return false;
    JS::ObjectOpResult tResult;
    if (!JS_DeletePropertyById(mptCx, tThis, tId, tResult)) return false;
    return JS_DefinePropertyById(mptCx, tThis, tId, tValue, JSPROP_ENUMERATE);
}

bool DefineNamedItemAccessor(JSContext* mptCx, JS::HandleObject mtObj, JS::HandleId mtId, JS::HandleValue mtKey) {
    JSFunction* ptGetter = js::NewFunctionWithReserved(mptCx, NamedItemGetter, 0, 0, "get");
    if (!ptGetter) return false;
    JS::RootedObject tGetter(mptCx, JS_GetFunctionObject(ptGetter));
    js::SetFunctionNativeReserved(tGetter, kFunSlotEntry, mtKey);
    JSFunction* ptSetter = js::NewFunctionWithReserved(mptCx, NamedItemSetter, 1, 0, "set");
    if (!ptSetter) return false;
    JS::RootedObject tSetter(mptCx, JS_GetFunctionObject(ptSetter));
    js::SetFunctionNativeReserved(tSetter, kFunSlotEntry, mtKey);
    return JS_DefinePropertyById(mptCx, mtObj, mtId, tGetter, tSetter, JSPROP_ENUMERATE);
}

// The name's UTF-8 form, when the caller has it already, spares a second conversion.
bool ResolveNamedItemOf(JSContext* mptCx, JS::HandleObject mtObj, JS::HandleId mtId, const std::string* mpdsName,
                        bool* mpbResolved) {
    *mpbResolved = false;
    KxwJswUserObjBase* ptUserObj = KxwJswUserObjBase::FromJsiObj(mtObj);
    if (!ptUserObj) return true;
    int32_t iIndex;
    if (IsIndexId(mtId, &iIndex)) {
        void* pvValue = nullptr;
        unsigned nLen = 0;
        auto eType = KXW_JSW_OBJ_PROP_TYPE_NONE;
        // An index the object takes writes at gets the accessor even beyond the end: the write reaches the object.
        if (!ptUserObj->GetPropByIndex(iIndex, &pvValue, &nLen, &eType) && !ptUserObj->TakesIndexWrites())
            return true;
        JS::RootedValue tKey(mptCx, JS::Int32Value(iIndex));
        *mpbResolved = true;
        return DefineNamedItemAccessor(mptCx, mtObj, mtId, tKey);
    }
    if (!mtId.isString()) return true;
    std::string dsConverted;
    if (!mpdsName) {
        if (!IdToUtf8(mptCx, mtId, &dsConverted)) return false;
        mpdsName = &dsConverted;
    }
    const std::string& dsName = *mpdsName;
    const KxwJswClassInformation* ptClassInfo = ptUserObj->GetClassInformation();
    // Declared names live on the prototypes and win over items of the same name.
    if (dsName.empty() || (ptClassInfo && ptClassInfo->IsDeclared(dsName.c_str()))) return true;
    if (!ptUserObj->IsResolved(dsName.c_str())) return true;
    JS::RootedValue tKey(mptCx, JS::StringValue(mtId.toString()));
    *mpbResolved = true;
    return DefineNamedItemAccessor(mptCx, mtObj, mtId, tKey);
}

bool NamedResolveHook(JSContext* mptCx, JS::HandleObject mtObj, JS::HandleId mtId, bool* mpbResolved) {
    return ResolveNamedItemOf(mptCx, mtObj, mtId, nullptr, mpbResolved);
}

// A declared name is never an item (it lives on the prototypes): saying so lets the engine cache the lookup of a
// method or property of a named-item object (document.getElementById) instead of asking the hook at every call.
bool NamedMayResolve(const JSAtomState&, jsid mtId, JSObject* mptMaybeObj) {
    if (mtId.isSymbol()) return false;
    char acName[knMaxAsciiNameLen + 1];
    if (!mptMaybeObj || !AtomIdToAscii(mtId, acName)) return true;
    KxwJswUserObjBase* ptUserObj = KxwJswUserObjBase::FromJsiObj(mptMaybeObj);
    const KxwJswClassInformation* ptClassInfo = ptUserObj ? ptUserObj->GetClassInformation() : nullptr;
    return !ptClassInfo || !ptClassInfo->IsDeclared(acName);
}

// for...in over a collection lists its indexes and the names its class chooses; reading each goes through the
// resolve hook above, so the values are the live items.
bool NamedEnumerateHook(JSContext* mptCx, JS::HandleObject mtObj, JS::MutableHandleIdVector mtProperties, bool) {
    KxwJswUserObjBase* ptUserObj = KxwJswUserObjBase::FromJsiObj(mtObj);
    if (!ptUserObj) return true;
    unsigned long uliCount = 0;
    std::vector<std::string> tNames;
    ptUserObj->GetEnumerableItems(uliCount, tNames);
    // Integer keys stop at the engine's largest int id; larger indexes would be strings reading as nothing.
    if (uliCount > static_cast<unsigned long>(JS::PropertyKey::IntMax) + 1)
        uliCount = static_cast<unsigned long>(JS::PropertyKey::IntMax) + 1;
    if (!mtProperties.reserve(mtProperties.length() + uliCount + tNames.size())) return false;
    for (unsigned long n = 0; n < uliCount; ++n) mtProperties.infallibleAppend(JS::PropertyKey::Int(static_cast<int32_t>(n)));
    for (const std::string& dsName : tNames) {
        JS::RootedString tName(mptCx, JS_NewStringCopyUTF8N(mptCx, JS::UTF8Chars(dsName.data(), dsName.size())));
        if (!tName) return false;
        JS::RootedId tId(mptCx);
        if (!JS_StringToId(mptCx, tName, &tId)) return false;
        mtProperties.infallibleAppend(tId);
    }
    return true;
}

bool CallHook(JSContext* mptCx, unsigned muArgc, JS::Value* mpvVp) {
    JS::CallArgs tArgs = JS::CallArgsFromVp(muArgc, mpvVp);
    KxwJswUserObjBase* ptUserObj = KxwJswUserObjBase::FromJsiObj(&tArgs.callee());
    tArgs.rval().setUndefined();
    if (!ptUserObj) return true;
    KxwJswCallArgs tCallArgs(mptCx, &tArgs);
    return ptUserObj->InvokeMethod(tCallArgs);
}

// A script added an own property (an expando, or an attribute dumped into the object): the user object hears of it
// (elements mirror such properties into their attribute nodes).
bool AddPropertyHook(JSContext* mptCx, JS::HandleObject mtObj, JS::HandleId mtId, JS::HandleValue mtValue) {
    KxwJswUserObjBase* ptUserObj = KxwJswUserObjBase::FromJsiObj(mtObj);
    if (!ptUserObj || !mtId.isString()) return true;
    JS::RootedValue tName(mptCx);
    if (!JS_IdToValue(mptCx, mtId, &tName)) return false;
    KxwJsval tNameValue = KxwJsval::FromRawBits(tName.get().asRawBits());
    KxwJsval tValue = KxwJsval::FromRawBits(mtValue.get().asRawBits());
    ptUserObj->AddProperty(tNameValue, tValue, KXW_JSW_PROP_ATTRIBUTE);
    return true;
}

const JSClassOps ktPlainOps = {AddPropertyHook, nullptr,      nullptr, nullptr, nullptr,
                               nullptr,         FinalizeHook, nullptr, nullptr, TraceHook};
const JSClassOps ktNamedOps = {AddPropertyHook, nullptr,      nullptr, NamedEnumerateHook, NamedResolveHook,
                               NamedMayResolve, FinalizeHook, nullptr, nullptr,            TraceHook};
const JSClassOps ktCallableOps = {AddPropertyHook, nullptr,      nullptr,  NamedEnumerateHook, NamedResolveHook,
                                  NamedMayResolve, FinalizeHook, CallHook, nullptr,            TraceHook};

// ---------------------------------------------------------------------------------------------------------------
// Dispatch natives on prototypes.

bool ThrowIncompatible(JSContext* mptCx, const KxwJswClassInformation* mptDeclaring, const char* mpszName,
                       JS::HandleValue mtThis) {
    JS_ReportErrorNumberASCII(mptCx, js::GetErrorMessage, nullptr, JSMSG_INCOMPATIBLE_PROTO,
                              mptDeclaring->GetClassName(), mpszName,
                              mtThis.isObject() ? JS::GetClass(&mtThis.toObject())->name : "primitive value");
    return false;
}

// The user object behind `this`, checked against the class that declared the member. False with an exception
// pending for a foreign object; true with a null user object when the object was cut from a deleted C++ object.
bool UnwrapThis(JSContext* mptCx, const JS::CallArgs& mrtArgs, const KxwJswClassInformation* mptDeclaring,
                const char* mpszName, KxwJswUserObjBase** mpptUserObj) {
    *mpptUserObj = nullptr;
    // A window's method called without an object (alert(1) in a page) works on the window of its own global.
    JSObject* ptThis = mrtArgs.thisv().isObject() ? &mrtArgs.thisv().toObject()
                       : mrtArgs.thisv().isNullOrUndefined() ? JS::GetNonCCWObjectGlobal(&mrtArgs.callee())
                                                             : nullptr;
    if (!ptThis) return ThrowIncompatible(mptCx, mptDeclaring, mpszName, mrtArgs.thisv());
    const KxwJswClassInformation* ptClassInfo = ClassInfoOf(ptThis);
    if (!ptClassInfo || !ptClassInfo->IsSubclassOf(mptDeclaring))
        return ThrowIncompatible(mptCx, mptDeclaring, mpszName, mrtArgs.thisv());
    *mpptUserObj = KxwJswUserObjBase::FromJsiObj(ptThis);
    return true;
}

// The table entry and declaring class kept in the callee's reserved slots, and the user object behind `this`.
// The callee shares its place with the result: its slots are read before anything writes the result.
template <class Entry>
bool UnwrapCall(JSContext* mptCx, const JS::CallArgs& mrtArgs, const Entry** mpptEntry,
                KxwJswUserObjBase** mpptUserObj) {
    JSObject* ptCallee = &mrtArgs.callee();
    *mpptEntry = static_cast<const Entry*>(js::GetFunctionNativeReserved(ptCallee, kFunSlotEntry).toPrivate());
    auto* ptDeclaring =
        static_cast<const KxwJswClassInformation*>(js::GetFunctionNativeReserved(ptCallee, kFunSlotClass).toPrivate());
    return UnwrapThis(mptCx, mrtArgs, ptDeclaring, (*mpptEntry)->_pszName, mpptUserObj);
}

bool PropGetter(JSContext* mptCx, unsigned muArgc, JS::Value* mpvVp) {
    JS::CallArgs tArgs = JS::CallArgsFromVp(muArgc, mpvVp);
    // The callee shares its place with the result: read its slots before anything writes the result.
    const KxwJswPropertySpec* ptSpec;
    KxwJswUserObjBase* ptUserObj;
    if (!UnwrapCall(mptCx, tArgs, &ptSpec, &ptUserObj)) return false;
    tArgs.rval().setUndefined();
    if (!ptUserObj) return true;
    KxwJsval tValue;
    if (ptUserObj->GetDomPropertyJsval(KxwJswClassInformation::DispatchId(ptSpec->_uTinyId), tValue))
        tArgs.rval().set(JS::Value::fromRawBits(tValue.GetRawBits()));
    return !IsStoppedByDeadline(mptCx);
}

bool PropSetter(JSContext* mptCx, unsigned muArgc, JS::Value* mpvVp) {
    JS::CallArgs tArgs = JS::CallArgsFromVp(muArgc, mpvVp);
    const KxwJswPropertySpec* ptSpec;
    KxwJswUserObjBase* ptUserObj;
    if (!UnwrapCall(mptCx, tArgs, &ptSpec, &ptUserObj)) return false;
    JS::RootedValue tValue(mptCx, tArgs.get(0));
    tArgs.rval().setUndefined();
    if (!ptUserObj) return true;
    switch (ptSpec->_pszTypeLetter ? ptSpec->_pszTypeLetter[0] : '\0') {
        case 'S': {
            JSString* ptStr = JS::ToString(mptCx, tValue);
            if (!ptStr) return false;
            tValue.setString(ptStr);
            break;
        }
        case 'i': {
            int32_t iValue;
            if (!JS::ToInt32(mptCx, tValue, &iValue)) return false;
            tValue.setInt32(iValue);
            break;
        }
        case 'b':
            tValue.setBoolean(JS::ToBoolean(tValue));
            break;
        case 'o':
            if (!tValue.isObjectOrNull()) {
                if (tValue.isUndefined()) {
                    tValue.setNull();
                } else {
                    JS_ReportErrorASCII(mptCx, "%s: an object is required", ptSpec->_pszName);
                    return false;
                }
            }
            break;
        default:
            break;
    }
    KxwJsval tConverted = KxwJsval::FromRawBits(tValue.asRawBits());
    ptUserObj->SetDomPropertyJsval(KxwJswClassInformation::DispatchId(ptSpec->_uTinyId), tConverted);
    return !IsStoppedByDeadline(mptCx);
}

// Classifies a value for a triple: DOM objects, functions, other objects, and the primitives.
KXW_JSW_OBJ_PROP_TYPE_ENUM ClassifyValue(const JS::Value& mrtValue) {
    if (mrtValue.isUndefined()) return KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
    if (mrtValue.isNull()) return KXW_JSW_OBJ_PROP_TYPE_NULL;
    if (mrtValue.isBoolean()) return KXW_JSW_OBJ_PROP_TYPE_BOOLEAN;
    if (mrtValue.isInt32()) return KXW_JSW_OBJ_PROP_TYPE_INT;
    if (mrtValue.isNumber()) return KXW_JSW_OBJ_PROP_TYPE_DOUBLE;
    if (mrtValue.isString()) return KXW_JSW_OBJ_PROP_TYPE_STRING;
    if (mrtValue.isObject()) {
        JSObject* ptObj = &mrtValue.toObject();
        if (KxwJswUserObjBase::FromJsiObj(ptObj)) return KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
        if (JS::IsCallable(ptObj)) return KXW_JSW_OBJ_PROP_TYPE_FUNCTION;
        return KXW_JSW_OBJ_PROP_TYPE_JS_OBJECT;
    }
    return KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
}

bool MethodThunk(JSContext* mptCx, unsigned muArgc, JS::Value* mpvVp) {
    JS::CallArgs tArgs = JS::CallArgsFromVp(muArgc, mpvVp);
    const KxwJswMethodSpec* ptSpec;
    KxwJswUserObjBase* ptUserObj;
    if (!UnwrapCall(mptCx, tArgs, &ptSpec, &ptUserObj)) return false;
    if (!ptUserObj) {
        tArgs.rval().setUndefined();
        return true;
    }
    if (ptSpec->_pfRawCallback) {
        KxwJswCallArgs tCallArgs(mptCx, &tArgs);
        tArgs.rval().setUndefined();
        bool bRawOK = ptSpec->_pfRawCallback(ptUserObj, tCallArgs);
        if (IsStoppedByDeadline(mptCx)) return false;
        // A conversion of the callback's that threw fails the call with that exception, whatever it returned.
        if (bRawOK && !JS_IsExceptionPending(mptCx)) return true;
        if (!JS_IsExceptionPending(mptCx)) JS_ReportErrorASCII(mptCx, "%s failed", ptSpec->_pszName);
        return false;
    }

    // Convert by the signature letters. Strings are copied into buffers that live for the call; 'f', '*' and
    // arguments beyond the signature pass a pointer to the rooted engine value of the call itself.
    unsigned nArgc = tArgs.length();
    // Calls of a few arguments (nearly all) use the frame's buffers: four allocations a call were a tenth of an
    // appendChild.
    constexpr unsigned knInlineArgs = 4;
    void* apvInlineArgv[knInlineArgs + 1] = {};
    unsigned anInlineArgvLen[knInlineArgs + 1] = {};
    KXW_JSW_OBJ_PROP_TYPE_ENUM aeInlineTypes[knInlineArgs + 1];
    std::u16string adsInlineTexts[knInlineArgs];
    std::vector<void*> tHeapArgv;
    std::vector<unsigned> tHeapArgvLen;
    std::vector<KXW_JSW_OBJ_PROP_TYPE_ENUM> tHeapTypes;
    std::vector<std::u16string> tHeapTexts;
    void** tArgv = apvInlineArgv;
    unsigned* tArgvLen = anInlineArgvLen;
    KXW_JSW_OBJ_PROP_TYPE_ENUM* tTypes = aeInlineTypes;
    std::u16string* tTexts = adsInlineTexts;
    if (nArgc > knInlineArgs) {
        tHeapArgv.assign(nArgc + 1, nullptr);
        tHeapArgvLen.assign(nArgc + 1, 0);
        tHeapTypes.assign(nArgc + 1, KXW_JSW_OBJ_PROP_TYPE_UNDEFINED);
        tHeapTexts.resize(nArgc);
        tArgv = tHeapArgv.data();
        tArgvLen = tHeapArgvLen.data();
        tTypes = tHeapTypes.data();
        tTexts = tHeapTexts.data();
    } else {
        for (KXW_JSW_OBJ_PROP_TYPE_ENUM& reType : aeInlineTypes) reType = KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
    }
    const char* pszSignature = ptSpec->_pszSignature ? ptSpec->_pszSignature : "";
    size_t nSignatureLen = std::strlen(pszSignature);
    for (unsigned n = 0; n < nArgc; ++n) {
        char cLetter = n < nSignatureLen ? pszSignature[n] : '*';
        JS::MutableHandleValue tArg = tArgs[n];
        switch (cLetter) {
            case 'S':
                if (!ValueToU16(mptCx, tArg, tTexts[n])) return false;
                tArgv[n] = const_cast<char16_t*>(tTexts[n].c_str());
                tArgvLen[n] = static_cast<unsigned>(tTexts[n].size());
                tTypes[n] = KXW_JSW_OBJ_PROP_TYPE_STRING;
                break;
            case 'i': {
                int32_t iValue;
                if (!JS::ToInt32(mptCx, tArg, &iValue)) return false;
                tArgv[n] = reinterpret_cast<void*>(static_cast<intptr_t>(iValue));
                tTypes[n] = KXW_JSW_OBJ_PROP_TYPE_INT;
                break;
            }
            case 'b':
                tArgv[n] = reinterpret_cast<void*>(static_cast<intptr_t>(JS::ToBoolean(tArg)));
                tTypes[n] = KXW_JSW_OBJ_PROP_TYPE_BOOLEAN;
                break;
            case 'o': {
                tTypes[n] = ClassifyValue(tArg);
                if (tTypes[n] == KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT) {
                    tArgv[n] = KxwJswUserObjBase::FromJsiObj(&tArg.toObject());
                    tArgvLen[n] = KXW_JSW_DOM_OBJECT_LEN;
                } else if (tTypes[n] == KXW_JSW_OBJ_PROP_TYPE_FUNCTION ||
                           tTypes[n] == KXW_JSW_OBJ_PROP_TYPE_JS_OBJECT) {
                    tArgv[n] = tArg.address();
                } else if (tTypes[n] == KXW_JSW_OBJ_PROP_TYPE_NULL || tTypes[n] == KXW_JSW_OBJ_PROP_TYPE_UNDEFINED) {
                    tTypes[n] = KXW_JSW_OBJ_PROP_TYPE_NULL;
                } else {
                    JS_ReportErrorASCII(mptCx, "%s: argument %u must be an object", ptSpec->_pszName, n + 1);
                    return false;
                }
                break;
            }
            default:  // 'f', '*' and the arguments beyond the signature
                tArgv[n] = tArg.address();
                tTypes[n] = ClassifyValue(tArg);
                break;
        }
    }
    void* pvRetVal = nullptr;
    unsigned nRetValLen = 0;
    auto eRetValType = KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
    bool bOK = ptSpec->_pfCallback(ptUserObj, nArgc, tArgv, tArgvLen, tTypes, &pvRetVal,
                                   &nRetValLen, &eRetValType);
    if (IsStoppedByDeadline(mptCx)) return false;
    if (!bOK || JS_IsExceptionPending(mptCx)) {
        if (!JS_IsExceptionPending(mptCx)) JS_ReportErrorASCII(mptCx, "%s failed", ptSpec->_pszName);
        return false;
    }
    return TripleToValue(mptCx, pvRetVal, nRetValLen, eRetValType, tArgs.rval());
}

// ---------------------------------------------------------------------------------------------------------------
// Prototypes. A page's global makes the prototypes its scripts reach, and most scripts touch a few of each class's
// members: each member is defined on its prototype the first time a script names it (or lists the prototype's
// names), as eagerly defined members would be, and never again, so that a member a script deleted stays deleted.

constexpr uint32_t kProtoSlotData = 0;  // PrivateValue(PrototypeData*)

struct PrototypeData {
    const KxwJswClassInformation* _ptClassInfo = nullptr;
    std::vector<bool> _tDefined;  // by own member index: defined already (and perhaps deleted since)
};

PrototypeData* PrototypeDataOf(JSObject* mptProto) {
    const JS::Value& rtSlot = JS::GetReservedSlot(mptProto, kProtoSlotData);
    return rtSlot.isUndefined() ? nullptr : static_cast<PrototypeData*>(rtSlot.toPrivate());
}

// The accessor pair of a property, or the function of a method, each carrying its table entry and declaring class.
bool DefineMember(JSContext* mptCx, JS::HandleObject mtProto, const KxwJswClassInformation* mptClassInfo,
                  size_t mnIndex) {
    const KxwJswPropertySpec* ptProperty = nullptr;
    const KxwJswMethodSpec* ptMethod = nullptr;
    if (!mptClassInfo->GetOwnMember(mnIndex, &ptProperty, &ptMethod)) return true;
    auto* pvClass = const_cast<KxwJswClassInformation*>(mptClassInfo);
    if (ptProperty) {
        JSFunction* ptGetFun = js::NewFunctionWithReserved(mptCx, PropGetter, 0, 0, ptProperty->_pszName);
        if (!ptGetFun) return false;
        SET_JITINFO(ptGetFun, &ktAccessorGetterJitInfo);
        JS::RootedObject tGetter(mptCx, JS_GetFunctionObject(ptGetFun));
        js::SetFunctionNativeReserved(tGetter, kFunSlotEntry,
                                      JS::PrivateValue(const_cast<KxwJswPropertySpec*>(ptProperty)));
        js::SetFunctionNativeReserved(tGetter, kFunSlotClass, JS::PrivateValue(pvClass));
        JS::RootedObject tSetter(mptCx);
        if (!(ptProperty->_uFlags & KXW_JSW_PROP_READONLY)) {
            JSFunction* ptSetFun = js::NewFunctionWithReserved(mptCx, PropSetter, 1, 0, ptProperty->_pszName);
            if (!ptSetFun) return false;
            SET_JITINFO(ptSetFun, &ktAccessorSetterJitInfo);
            tSetter = JS_GetFunctionObject(ptSetFun);
            js::SetFunctionNativeReserved(tSetter, kFunSlotEntry,
                                          JS::PrivateValue(const_cast<KxwJswPropertySpec*>(ptProperty)));
            js::SetFunctionNativeReserved(tSetter, kFunSlotClass, JS::PrivateValue(pvClass));
        }
        return JS_DefineProperty(mptCx, mtProto, ptProperty->_pszName, tGetter, tSetter, JSPROP_ENUMERATE);
    }
    JSFunction* ptFun = js::NewFunctionWithReserved(mptCx, MethodThunk, ptMethod->_uArgCount, 0, ptMethod->_pszName);
    if (!ptFun) return false;
    JS::RootedObject tFun(mptCx, JS_GetFunctionObject(ptFun));
    js::SetFunctionNativeReserved(tFun, kFunSlotEntry, JS::PrivateValue(const_cast<KxwJswMethodSpec*>(ptMethod)));
    js::SetFunctionNativeReserved(tFun, kFunSlotClass, JS::PrivateValue(pvClass));
    JS::RootedValue tFunValue(mptCx, JS::ObjectValue(*tFun));
    return JS_DefineProperty(mptCx, mtProto, ptMethod->_pszName, tFunValue, JSPROP_ENUMERATE);
}

// Marks the member defined, then defines it in the prototype's own realm (a frame's script may be the one asking).
// Defining runs this hook again for the same name, which then finds the mark.
bool DefineMemberOnce(JSContext* mptCx, JS::HandleObject mtProto, PrototypeData* mptData, size_t mnIndex) {
    if (mnIndex >= mptData->_tDefined.size() || mptData->_tDefined[mnIndex]) return true;
    mptData->_tDefined[mnIndex] = true;
    JSAutoRealm tRealm(mptCx, mtProto);
    return DefineMember(mptCx, mtProto, mptData->_ptClassInfo, mnIndex);
}

// The member index of a property name on a prototype, or the member count for a name that is no member.
size_t FindOwnMemberOfId(const PrototypeData& mrtData, jsid mtId) {
    char acName[knMaxAsciiNameLen + 1];
    if (!AtomIdToAscii(mtId, acName)) return mrtData._tDefined.size();
    return mrtData._ptClassInfo->FindOwnMember(acName);
}

bool PrototypeResolve(JSContext* mptCx, JS::HandleObject mtProto, JS::HandleId mtId, bool* mpbResolved) {
    *mpbResolved = false;
    PrototypeData* ptData = mtId.isString() ? PrototypeDataOf(mtProto) : nullptr;
    if (!ptData) return true;
    size_t nIndex = FindOwnMemberOfId(*ptData, mtId);
    if (nIndex >= ptData->_tDefined.size() || ptData->_tDefined[nIndex]) return true;
    if (!DefineMemberOnce(mptCx, mtProto, ptData, nIndex)) return false;
    *mpbResolved = true;
    return true;
}

// Exact for a prototype the engine names: only a member not defined yet may appear. That lets the engine cache a
// lookup that goes past this prototype (a method of a base class, a name no class has), which it would otherwise do
// again, through this hook, at every access.
bool PrototypeMayResolve(const JSAtomState&, jsid mtId, JSObject* mptMaybeProto) {
    if (!mtId.isString()) return false;
    if (!mptMaybeProto) return true;
    PrototypeData* ptData = PrototypeDataOf(mptMaybeProto);
    if (!ptData) return false;
    size_t nIndex = FindOwnMemberOfId(*ptData, mtId);
    return nIndex < ptData->_tDefined.size() && !ptData->_tDefined[nIndex];
}

// Listing the prototype's names (for...in, Object.keys) defines the members still missing, in table order, as the
// prototype had them all from the start.
bool PrototypeEnumerate(JSContext* mptCx, JS::HandleObject mtProto, JS::MutableHandleIdVector mtProperties, bool) {
    PrototypeData* ptData = PrototypeDataOf(mtProto);
    if (!ptData) return true;
    const KxwJswClassInformation* ptClassInfo = ptData->_ptClassInfo;
    for (size_t n = 0; n < ptData->_tDefined.size(); ++n) {
        const KxwJswPropertySpec* ptProperty;
        const KxwJswMethodSpec* ptMethod;
        // A name the tables hold twice is defined once, by the entry that wins it.
        if (!ptClassInfo->GetOwnMember(n, &ptProperty, &ptMethod) ||
            ptClassInfo->FindOwnMember(ptProperty ? ptProperty->_pszName : ptMethod->_pszName) != n)
            continue;
        if (!DefineMemberOnce(mptCx, mtProto, ptData, n)) return false;
        JS::RootedString tName(mptCx, JS_AtomizeString(mptCx, ptProperty ? ptProperty->_pszName : ptMethod->_pszName));
        JS::RootedId tId(mptCx);
        if (!tName || !JS_StringToId(mptCx, tName, &tId)) return false;
        bool bHas = false;
        if (!JS_HasOwnPropertyById(mptCx, mtProto, tId, &bHas)) return false;
        if (bHas && !mtProperties.append(tId)) return false;
    }
    return true;
}

void PrototypeFinalize(JS::GCContext*, JSObject* mptProto) {
    delete PrototypeDataOf(mptProto);
    JS::SetReservedSlot(mptProto, kProtoSlotData, JS::UndefinedValue());
}

const JSClassOps ktPrototypeOps = {nullptr,          nullptr,           nullptr, PrototypeEnumerate, PrototypeResolve,
                                   PrototypeMayResolve, PrototypeFinalize, nullptr, nullptr,            nullptr};
const JSClass ktPrototypeClass = {"Object", JSCLASS_HAS_RESERVED_SLOTS(1) | JSCLASS_FOREGROUND_FINALIZE,
                                  &ktPrototypeOps, nullptr, nullptr, nullptr};

bool IllegalConstructor(JSContext* mptCx, unsigned, JS::Value*) {
    JS_ReportErrorASCII(mptCx, "Illegal constructor");
    return false;
}

}  // namespace

bool KxwJswUserObjBase::ExposeNamedItem(const char* mpszName) {
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    if (!ptEngine || !mpszName || !*mpszName) return false;
    const KxwJswClassInformation* ptClassInfo = GetClassInformation();
    // A declared name stays the class's own: its accessor on the prototype wins.
    if (ptClassInfo && ptClassInfo->IsDeclared(mpszName)) return false;
    JSContext* ptCx = ptEngine->GetContext();
    JS::RootedObject tObj(ptCx, GetJsiObj());
    if (!tObj) return false;
    JSAutoRealm tRealm(ptCx, tObj);
    JS::RootedString tName(ptCx, JS_NewStringCopyUTF8N(ptCx, JS::UTF8Chars(mpszName, std::strlen(mpszName))));
    JS::RootedId tId(ptCx);
    bool bOK = tName && JS_StringToId(ptCx, tName, &tId);
    if (bOK) {
        JS::RootedValue tKey(ptCx, JS::StringValue(tName));
        bOK = DefineNamedItemAccessor(ptCx, tObj, tId, tKey);
    }
    if (!bOK) JS_ClearPendingException(ptCx);
    return bOK;
}

// ---------------------------------------------------------------------------------------------------------------
// KxwJswClassInformation

KxwJswClassInformation::KxwJswClassInformation(const KxwJswClassInformation* mptParent, const char* mpszClassName,
                                               const KxwJswPropertySpec* mpatProperties,
                                               const KxwJswMethodSpec* mpatMethods,
                                               const KxwJswCtorRegistrator* mpatConstructors,
                                               KXW_JSW_CLASS_KIND_ENUM meKind)
    : _ptParent(mptParent),
      _pszClassName(mpszClassName ? mpszClassName : "[unnamed]"),
      _patProperties(mpatProperties),
      _patMethods(mpatMethods),
      _patConstructors(mpatConstructors),
      _eKind(meKind) {
    static_assert(sizeof(EngineClass) <= sizeof(_acEngineClass), "the engine class fits its storage");
    auto* ptEngineClass = new (_acEngineClass) EngineClass();
    ptEngineClass->_tClass.name = _pszClassName;
    ptEngineClass->_tClass.flags = JSCLASS_HAS_RESERVED_SLOTS(kSlotCount) | JSCLASS_FOREGROUND_FINALIZE;
    ptEngineClass->_tClass.cOps = meKind == KXW_JSW_CLASS_KIND_CALLABLE      ? &ktCallableOps
                                  : meKind == KXW_JSW_CLASS_KIND_NAMED_ITEMS ? &ktNamedOps
                                                                             : &ktPlainOps;
    ptEngineClass->_ptClassInfo = this;
    _pvEngineClass = ptEngineClass;
    for (const KxwJswPropertySpec* ptSpec = _patProperties; ptSpec && ptSpec->_pszName; ++ptSpec) ++_nOwnProperties;
    for (const KxwJswMethodSpec* ptSpec = _patMethods; ptSpec && ptSpec->_pszName; ++ptSpec) ++_nOwnMethods;
    // Parents may be built after their children (static construction order across files), so the id ranges are
    // checked when the first prototype is made, not here.
    std::lock_guard<std::mutex> tLock(Classes()._tMutex);
    _ptNext = Classes()._ptHead;
    Classes()._ptHead = this;
    Classes()._uGeneration.fetch_add(1, std::memory_order_release);
}

// Attribute reads and writes look declared properties up by name, a case-ignoring lookup at every call: the
// chain's properties are indexed once, the nearest class's entry winning as a walk up the chain would find it.
struct KxwJswClassInformation::PropertyIndex {
    std::unordered_map<std::string_view, const KxwJswPropertySpec*> _tExact;
    std::unordered_map<std::string, const KxwJswPropertySpec*> _tLowerCase;
};

KxwJswClassInformation::~KxwJswClassInformation() {
    delete static_cast<std::unordered_set<std::string_view>*>(_pvDeclaredNames.load());
    delete static_cast<std::unordered_map<std::string_view, size_t>*>(_pvOwnMembers.load());
    delete static_cast<PropertyIndex*>(_pvProperties.load());
    std::lock_guard<std::mutex> tLock(Classes()._tMutex);
    Classes()._uGeneration.fetch_add(1, std::memory_order_release);
    if (Classes()._ptHead == this) {
        Classes()._ptHead = _ptNext;
    } else {
        for (const KxwJswClassInformation* ptClass = Classes()._ptHead; ptClass; ptClass = ptClass->_ptNext) {
            if (ptClass->_ptNext != this) continue;
            const_cast<KxwJswClassInformation*>(ptClass)->_ptNext = _ptNext;
            break;
        }
    }
    // The engine class stays: engine objects of the class may still be finalized after a description made for a
    // short time (tests) is gone. Descriptions of the library are static and outlive every engine object.
}

const KxwJswCtorRegistrator* KxwJswClassInformation::FindConstructor(const char* mpszName,
                                                                     const KxwJswClassInformation** mpptClass) {
    if (!mpszName) return nullptr;
    ClassList& rtClasses = Classes();
    thread_local KxwJswThreadConstructors ttConstructors;
    if (ttConstructors._uGeneration != rtClasses._uGeneration.load(std::memory_order_acquire)) {
        std::lock_guard<std::mutex> tLock(rtClasses._tMutex);
        // The first description in the list wins a name, as a walk of the list would find it.
        ttConstructors._tTable.clear();
        for (const KxwJswClassInformation* ptClass = rtClasses._ptHead; ptClass; ptClass = ptClass->_ptNext)
            for (const KxwJswCtorRegistrator* ptSpec = ptClass->_patConstructors; ptSpec && ptSpec->_pszName; ++ptSpec)
                ttConstructors._tTable.emplace(ptSpec->_pszName, std::make_pair(ptSpec, ptClass));
        ttConstructors._uGeneration = rtClasses._uGeneration.load(std::memory_order_relaxed);
    }
    auto it = ttConstructors._tTable.find(mpszName);
    if (it == ttConstructors._tTable.end()) return nullptr;
    if (mpptClass) *mpptClass = it->second.second;
    return it->second.first;
}

namespace {
std::atomic<KxwJswInterfaceResolver> gpfInterfaceResolver{nullptr};
}  // namespace

void KxwJswClassInformation::SetInterfaceResolver(KxwJswInterfaceResolver mpfResolver) {
    gpfInterfaceResolver.store(mpfResolver, std::memory_order_release);
}

KxwJswInterfaceResolver KxwJswClassInformation::GetInterfaceResolver() {
    return gpfInterfaceResolver.load(std::memory_order_acquire);
}

bool KxwJswClassInformation::IsSubclassOf(const KxwJswClassInformation* mptOther) const {
    for (const KxwJswClassInformation* ptClass = this; ptClass; ptClass = ptClass->_ptParent)
        if (ptClass == mptOther) return true;
    return false;
}

namespace {

constexpr size_t knMaxFoldedNameLen = 63;

// The ASCII lower-case form of a name into mpcOut (knMaxFoldedNameLen + 1 bytes); false when it is longer.
bool FoldName(const char* mpszName, char* mpcOut, size_t* mpnLen) {
    size_t n = 0;
    for (; mpszName[n]; ++n) {
        if (n == knMaxFoldedNameLen) return false;
        char c = mpszName[n];
        mpcOut[n] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    mpcOut[n] = '\0';
    *mpnLen = n;
    return true;
}

}  // namespace

namespace {

// An index of a class's tables, built once by the first thread that asks; every later read is one acquire load
// (std::call_once alone sets a thread-local and calls into the library at every read, several times per DOM call).
template <class Build>
void* BuildOnce(std::once_flag& mrtOnce, std::atomic<void*>& mrpvBuilt, Build&& mrtBuild) {
    if (void* pvBuilt = mrpvBuilt.load(std::memory_order_acquire)) return pvBuilt;
    std::call_once(mrtOnce, [&] { mrpvBuilt.store(mrtBuild(), std::memory_order_release); });
    return mrpvBuilt.load(std::memory_order_acquire);
}

}  // namespace

const KxwJswClassInformation::PropertyIndex& KxwJswClassInformation::GetPropertyIndex() const {
    return *static_cast<const PropertyIndex*>(BuildOnce(_tPropertiesOnce, _pvProperties, [this]() -> void* {
        auto* ptIndex = new PropertyIndex();
        for (const KxwJswClassInformation* ptClass = this; ptClass; ptClass = ptClass->_ptParent)
            for (const KxwJswPropertySpec* ptSpec = ptClass->_patProperties; ptSpec && ptSpec->_pszName; ++ptSpec) {
                ptIndex->_tExact.emplace(ptSpec->_pszName, ptSpec);
                char acFolded[knMaxFoldedNameLen + 1];
                size_t nLen = 0;
                if (FoldName(ptSpec->_pszName, acFolded, &nLen))
                    ptIndex->_tLowerCase.emplace(std::string(acFolded, nLen), ptSpec);
            }
        return ptIndex;
    }));
}

const KxwJswPropertySpec* KxwJswClassInformation::FindProperty(const char* mpszName) const {
    if (!mpszName) return nullptr;
    const auto& rtExact = GetPropertyIndex()._tExact;
    auto it = rtExact.find(mpszName);
    return it == rtExact.end() ? nullptr : it->second;
}

bool KxwJswClassInformation::GetPropertyInfo(const char* mpszName, short* mpnTinyId, unsigned short* mpuFlags,
                                             char* mpcTypeLetter) const {
    const KxwJswPropertySpec* ptSpec = FindProperty(mpszName);
    if (!ptSpec) return false;
    if (mpnTinyId) *mpnTinyId = DispatchId(ptSpec->_uTinyId);
    if (mpuFlags) *mpuFlags = ptSpec->_uFlags;
    if (mpcTypeLetter) *mpcTypeLetter = ptSpec->_pszTypeLetter ? ptSpec->_pszTypeLetter[0] : '\0';
    return true;
}

const KxwJswPropertySpec* KxwJswClassInformation::FindPropertyIgnoringCase(const char* mpszName) const {
    char acFolded[knMaxFoldedNameLen + 1];
    size_t nLen = 0;
    if (!mpszName || !FoldName(mpszName, acFolded, &nLen)) return nullptr;
    const auto& rtLowerCase = GetPropertyIndex()._tLowerCase;
    auto it = rtLowerCase.find(std::string(acFolded, nLen));
    return it == rtLowerCase.end() ? nullptr : it->second;
}

bool KxwJswClassInformation::IsDeclared(const char* mpszName) const {
    if (!mpszName) return false;
    // Asked for each undeclared name a script reads of a named-item object (the window's global among them):
    // the chain's names are gathered once. The tables are static data and the chain never changes.
    void* pvNames = BuildOnce(_tDeclaredNamesOnce, _pvDeclaredNames, [this]() -> void* {
        auto* ptNames = new std::unordered_set<std::string_view>();
        for (const KxwJswClassInformation* ptClass = this; ptClass; ptClass = ptClass->_ptParent) {
            for (const KxwJswPropertySpec* ptSpec = ptClass->_patProperties; ptSpec && ptSpec->_pszName; ++ptSpec)
                ptNames->insert(ptSpec->_pszName);
            for (const KxwJswMethodSpec* ptSpec = ptClass->_patMethods; ptSpec && ptSpec->_pszName; ++ptSpec)
                ptNames->insert(ptSpec->_pszName);
        }
        return ptNames;
    });
    return static_cast<const std::unordered_set<std::string_view>*>(pvNames)->count(mpszName) != 0;
}

size_t KxwJswClassInformation::GetOwnMemberCount() const {
    return _nOwnProperties + _nOwnMethods;
}

bool KxwJswClassInformation::GetOwnMember(size_t mnIndex, const KxwJswPropertySpec** mpptProperty,
                                          const KxwJswMethodSpec** mpptMethod) const {
    *mpptProperty = nullptr;
    *mpptMethod = nullptr;
    if (mnIndex < _nOwnProperties)
        *mpptProperty = &_patProperties[mnIndex];
    else if (mnIndex < _nOwnProperties + _nOwnMethods)
        *mpptMethod = &_patMethods[mnIndex - _nOwnProperties];
    return *mpptProperty || *mpptMethod;
}

size_t KxwJswClassInformation::FindOwnMember(const char* mpszName) const {
    void* pvMembers = BuildOnce(_tOwnMembersOnce, _pvOwnMembers, [this]() -> void* {
        // A name in the tables twice is the last one, as defining them all in order left it.
        auto* ptMembers = new std::unordered_map<std::string_view, size_t>();
        for (size_t n = 0; n < _nOwnProperties; ++n) (*ptMembers)[_patProperties[n]._pszName] = n;
        for (size_t n = 0; n < _nOwnMethods; ++n) (*ptMembers)[_patMethods[n]._pszName] = _nOwnProperties + n;
        return ptMembers;
    });
    if (!mpszName) return GetOwnMemberCount();
    const auto& rtMembers = *static_cast<const std::unordered_map<std::string_view, size_t>*>(pvMembers);
    auto it = rtMembers.find(mpszName);
    return it == rtMembers.end() ? GetOwnMemberCount() : it->second;
}

bool KxwJswClassInformation::IsValid() const {
    std::call_once(_tValidateOnce, [this] { _bValid = Validate(); });
    return _bValid;
}

bool KxwJswClassInformation::Validate() const {
    int iParentMax = -129;
    for (const KxwJswClassInformation* ptClass = _ptParent; ptClass; ptClass = ptClass->_ptParent)
        for (const KxwJswPropertySpec* ptSpec = ptClass->_patProperties; ptSpec && ptSpec->_pszName; ++ptSpec)
            if (DispatchId(ptSpec->_uTinyId) > iParentMax) iParentMax = DispatchId(ptSpec->_uTinyId);
    bool bValid = true;
    for (const KxwJswPropertySpec* ptSpec = _patProperties; ptSpec && ptSpec->_pszName; ++ptSpec) {
        if (ptSpec->_uTinyId > 255 || DispatchId(ptSpec->_uTinyId) <= iParentMax) {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Tiny id %u of %s.%s is not after its parent's range (%d) in "
                                                  "KxwJswClassInformation::Validate",
                                                  ptSpec->_uTinyId, _pszClassName, ptSpec->_pszName, iParentMax);
            bValid = false;
        }
        if (!(ptSpec->_uFlags & KXW_JSW_PROP_READONLY) && (!ptSpec->_pszTypeLetter || !*ptSpec->_pszTypeLetter)) {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "Writable property %s.%s has no type letter in "
                                                  "KxwJswClassInformation::Validate",
                                                  _pszClassName, ptSpec->_pszName);
            bValid = false;
        }
    }
    return bValid;
}

// ---------------------------------------------------------------------------------------------------------------
// Engine side

namespace kxwjsw {

// Fallible, aliasing everything, of unknown result: the engine assumes nothing of the accessor but that it takes the
// window itself as its object.
const JSJitInfo ktAccessorGetterJitInfo = {{nullptr}, {0}, {0}, JSJitInfo::Getter, JSJitInfo::AliasEverything,
                                           JSVAL_TYPE_UNKNOWN, false, false, false, false, false, false, 0};
const JSJitInfo ktAccessorSetterJitInfo = {{nullptr}, {0}, {0}, JSJitInfo::Setter, JSJitInfo::AliasEverything,
                                           JSVAL_TYPE_UNKNOWN, false, false, false, false, false, false, 0};

bool AtomIdToAscii(jsid mtId, char* mpcOut) {
    if (!mtId.isAtom()) return false;
    JSLinearString* ptName = JS::AtomToLinearString(mtId.toAtom());
    size_t nLen = JS::GetLinearStringLength(ptName);
    if (nLen == 0 || nLen > knMaxAsciiNameLen) return false;
    for (size_t n = 0; n < nLen; ++n) {
        char16_t c = JS::GetLinearStringCharAt(ptName, n);
        if (c == 0 || c > 0x7f) return false;
        mpcOut[n] = static_cast<char>(c);
    }
    mpcOut[nLen] = '\0';
    return true;
}

namespace {
bool IsWrapperClass(const JSClass* mptClass) {
    return mptClass->cOps == &ktPlainOps || mptClass->cOps == &ktNamedOps || mptClass->cOps == &ktCallableOps;
}
}  // namespace

const KxwJswClassInformation* ClassInfoOf(JSObject* mptObj) {
    if (!mptObj) return nullptr;
    const JSClass* ptClass = JS::GetClass(mptObj);
    if (IsWrapperClass(ptClass)) return reinterpret_cast<const EngineClass*>(ptClass)->_ptClassInfo;
    if (ptClass != WindowProxyClass() && ptClass != GlobalClass()) return nullptr;
    KxwJswUserObjBase* ptWindow = UserObjOf(mptObj);
    return ptWindow ? ptWindow->GetClassInformation() : nullptr;
}

bool ResolveNamedItem(JSContext* mptCx, JS::HandleObject mtObj, JS::HandleId mtId, const std::string* mpdsName,
                      bool* mpbResolved) {
    return ResolveNamedItemOf(mptCx, mtObj, mtId, mpdsName, mpbResolved);
}

bool IdToUtf8(JSContext* mptCx, JS::HandleId mtId, std::string* mpdsName) {
    mpdsName->clear();
    if (!mtId.isString()) return true;
    JSString* ptStr = mtId.toString();
    size_t nLen = JS_GetStringLength(ptStr);
    // Names are short: most convert in one pass through a buffer on the stack, with no allocation.
    char acBuffer[128];
    if (nLen * 3 <= sizeof acBuffer) {
        auto tDone = JS_EncodeStringToUTF8BufferPartial(mptCx, ptStr, mozilla::Span<char>(acBuffer, sizeof acBuffer));
        if (!tDone) {
            JS_ReportOutOfMemory(mptCx);
            return false;
        }
        mpdsName->assign(acBuffer, mozilla::Get<1>(*tDone));
        return true;
    }
    JS::RootedString tName(mptCx, ptStr);
    JS::UniqueChars pszUtf8 = JS_EncodeStringToUTF8(mptCx, tName);
    if (!pszUtf8) return false;
    mpdsName->assign(pszUtf8.get());
    return true;
}

KxwJswUserObjBase* UserObjOf(JSObject* mptObj) {
    if (!mptObj) return nullptr;
    const JSClass* ptClass = JS::GetClass(mptObj);
    const JS::Value* ptSlot = nullptr;
    if (IsWrapperClass(ptClass))
        ptSlot = &JS::GetReservedSlot(mptObj, kSlotUserObj);
    else if (ptClass == WindowProxyClass())
        ptSlot = &js::GetProxyReservedSlot(mptObj, kSlotUserObj);
    else if (ptClass == GlobalClass())
        return KxwJswGlobal::OfObject(mptObj) ? KxwJswGlobal::OfObject(mptObj)->GetWindow() : nullptr;
    return ptSlot && !ptSlot->isUndefined() ? static_cast<KxwJswUserObjBase*>(ptSlot->toPrivate()) : nullptr;
}

bool CanHoldUserObj(JSObject* mptObj) {
    const JSClass* ptClass = JS::GetClass(mptObj);
    return IsWrapperClass(ptClass) || ptClass == WindowProxyClass();
}

void SetUserObjSlot(JSObject* mptObj, KxwJswUserObjBase* mptUserObj) {
    JS::Value tValue = mptUserObj ? JS::PrivateValue(mptUserObj) : JS::UndefinedValue();
    const JSClass* ptClass = JS::GetClass(mptObj);
    if (IsWrapperClass(ptClass))
        JS::SetReservedSlot(mptObj, kSlotUserObj, tValue);
    else if (ptClass == WindowProxyClass())
        js::SetProxyReservedSlot(mptObj, kSlotUserObj, tValue);
}

JSObject* NewWrapperObject(JSContext* mptCx, KxwJswEngine* mptEngine, KxwJswUserObjBase* mptUserObj) {
    const KxwJswClassInformation* ptClassInfo = mptUserObj->GetClassInformation();
    if (!ptClassInfo) return nullptr;
    JS::RootedObject tProto(mptCx, mptEngine->ObtainPrototype(ptClassInfo));
    if (!tProto) return nullptr;
    auto* ptClass = static_cast<const JSClass*>(ptClassInfo->GetEngineClass());
    JSObject* ptObj = JS_NewObjectWithGivenProto(mptCx, ptClass, tProto);
    if (!ptObj) return nullptr;
    SetUserObjSlot(ptObj, mptUserObj);
    return ptObj;
}

bool IsWrapperPrototype(JSObject* mptObj) {
    return mptObj && JS::GetClass(mptObj) == &ktPrototypeClass;
}

JSObject* BuildPrototype(JSContext* mptCx, const KxwJswClassInformation* mptClassInfo, JS::HandleObject mtParentProto) {
    mptClassInfo->IsValid();  // reports a malformed table once; the class still works as far as it can
    JS::RootedObject tProto(mptCx, JS_NewObjectWithGivenProto(mptCx, &ktPrototypeClass, mtParentProto));
    if (!tProto) return nullptr;
    auto* ptData = new PrototypeData();
    ptData->_ptClassInfo = mptClassInfo;
    ptData->_tDefined.assign(mptClassInfo->GetOwnMemberCount(), false);
    JS::SetReservedSlot(tProto, kProtoSlotData, JS::PrivateValue(ptData));
    // The class's name for Object.prototype.toString ("[object Element]").
    JS::RootedId tToStringTag(mptCx, JS::GetWellKnownSymbolKey(mptCx, JS::SymbolCode::toStringTag));
    JS::RootedString tName(mptCx, JS_NewStringCopyZ(mptCx, mptClassInfo->GetClassName()));
    if (!tName) return nullptr;
    JS::RootedValue tNameValue(mptCx, JS::StringValue(tName));
    if (!JS_DefinePropertyById(mptCx, tProto, tToStringTag, tNameValue, JSPROP_READONLY)) return nullptr;
    return tProto;
}

JSNative IllegalKxwJswCtorRegistrator_ExportFunc() {
    return IllegalConstructor;
}

}  // namespace kxwjsw
