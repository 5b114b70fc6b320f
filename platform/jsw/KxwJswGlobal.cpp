// Globals: their engine class (standard classes and script constructors resolved on first use, prototypes traced
// from the global), their own accessors "window" and "document", and the lazy per-global prototypes.
#include "kxw/KxwJswGlobal.h"

#include <js/friend/WindowProxy.h>

#include <unordered_map>

#include "KxwJswCallArgs.h"
#include "KxwJswInternal.h"
#include "KxwJswScriptClock.h"
#include "KxwUtilReport.h"

using namespace kxwjsw;

namespace {

using PrototypeMap = std::unordered_map<const KxwJswClassInformation*, JS::Heap<JSObject*>>;

constexpr uint32_t kGlobalSlotData = JSCLASS_GLOBAL_SLOT_COUNT;  // PrivateValue(KxwJswGlobal*)

PrototypeMap& PrototypesOf(void* mpvPrototypes) {
    return *static_cast<PrototypeMap*>(mpvPrototypes);
}

}  // namespace

// The hooks of the global class, with access to the global's parts.
class KxwJswGlobalHooks {
public:
    static void Trace(JSTracer* mptTracer, JSObject* mptGlobal) {
        JS_GlobalObjectTraceHook(mptTracer, mptGlobal);
        if (KxwJswGlobal* ptGlobal = DataOf(mptGlobal)) {
            for (auto& rtEntry : PrototypesOf(ptGlobal->_pvPrototypes))
                JS::TraceEdge(mptTracer, &rtEntry.second, "kxw-prototype");
            // The window's engine object is a proxy, whose class has no trace hook of ours: what the window holds
            // (its handlers) is traced from the global of its current page.
            if (ptGlobal->_ptWindow) {
                KxwJswTracer tTracer(mptTracer);
                ptGlobal->_ptWindow->TraceFromJsiObj(tTracer);
            }
        }
    }

    // The global is gone: so is what it kept. No engine call is made here.
    static void Finalize(JS::GCContext*, JSObject* mptGlobal) {
        KxwJswGlobal* ptGlobal = DataOf(mptGlobal);
        if (!ptGlobal) return;
        JS::SetReservedSlot(mptGlobal, kGlobalSlotData, JS::UndefinedValue());
        delete ptGlobal;
    }

    static JSObject* ObtainPrototype(JSContext* mptCx, JS::HandleObject mtGlobal,
                                     const KxwJswClassInformation* mptClassInfo) {
        KxwJswGlobal* ptGlobal = DataOf(mtGlobal);
        if (!ptGlobal || !mptClassInfo) return nullptr;
        PrototypeMap& rtPrototypes = PrototypesOf(ptGlobal->_pvPrototypes);
        auto it = rtPrototypes.find(mptClassInfo);
        if (it != rtPrototypes.end()) return it->second;
        JSAutoRealm tRealm(mptCx, mtGlobal);
        JS::RootedObject tParentProto(mptCx);
        if (mptClassInfo->GetParent())
            tParentProto = ObtainPrototype(mptCx, mtGlobal, mptClassInfo->GetParent());
        else
            tParentProto = JS::GetRealmObjectPrototype(mptCx);
        if (!tParentProto) return nullptr;
        JS::RootedObject tProto(mptCx, BuildPrototype(mptCx, mptClassInfo, tParentProto));
        if (!tProto) return nullptr;
        // Building may have made room in the map for the parents: look the place up again.
        PrototypesOf(ptGlobal->_pvPrototypes)[mptClassInfo] = tProto;
        return tProto;
    }

    static KxwJswGlobal* DataOf(JSObject* mptGlobal) {
        if (!mptGlobal || JS::GetClass(mptGlobal) != GlobalClass()) return nullptr;
        const JS::Value& rtSlot = JS::GetReservedSlot(mptGlobal, kGlobalSlotData);
        return rtSlot.isUndefined() ? nullptr : static_cast<KxwJswGlobal*>(rtSlot.toPrivate());
    }
};

namespace {

// The items of the global's window, by index or by name, when its class has items. mpdsName is the name's UTF-8
// form when the caller has made it.
bool ResolveWindowItem(JSContext* mptCx, JS::HandleObject mtGlobal, JS::HandleId mtId, const std::string* mpdsName,
                       bool* mpbResolved) {
    *mpbResolved = false;
    KxwJswGlobal* ptGlobal = KxwJswGlobalHooks::DataOf(mtGlobal);
    KxwJswUserObjBase* ptWindow = ptGlobal ? ptGlobal->GetWindow() : nullptr;
    const KxwJswClassInformation* ptWindowClass = ptWindow ? ptWindow->GetClassInformation() : nullptr;
    if (!ptWindowClass || ptWindowClass->GetKind() == KXW_JSW_CLASS_KIND_PLAIN) return true;
    return ResolveNamedItem(mptCx, mtGlobal, mtId, mpdsName, mpbResolved);
}

bool IllegalConstructor(JSContext* mptCx, unsigned, JS::Value*) {
    JS_ReportErrorASCII(mptCx, "Illegal constructor");
    return false;
}

// An interface name (HTMLDivElement): a function that makes nothing, whose prototype is the class's prototype in
// this global, so that what a page adds to it every element of the class has.
bool ResolveInterface(JSContext* mptCx, JS::HandleObject mtGlobal, JS::HandleId mtId, const char* mpszName,
                      const KxwJswClassInformation* mptClass, bool* mpbResolved) {
    JSAutoRealm tRealm(mptCx, mtGlobal);
    JSFunction* ptFun = JS_NewFunction(mptCx, IllegalConstructor, 0, JSFUN_CONSTRUCTOR, mpszName);
    if (!ptFun) return false;
    JS::RootedObject tFun(mptCx, JS_GetFunctionObject(ptFun));
    JS::RootedObject tProto(mptCx, ObtainPrototype(mptCx, mtGlobal, mptClass));
    if (!tProto || !JS_LinkConstructorAndPrototype(mptCx, tFun, tProto)) return false;
    JS::RootedValue tFunValue(mptCx, JS::ObjectValue(*tFun));
    *mpbResolved = true;
    return JS_DefinePropertyById(mptCx, mtGlobal, mtId, tFunValue, JSPROP_RESOLVING);
}

// The page's Date runs on the replay's clock: it takes the engine's place when a script first names it, as the
// engine's own classes come into a global (most of a page's frames never name it; making it with every global
// made the engine's Date too).
bool IsDateName(JSContext* mptCx, JS::HandleId mtId) {
    bool bMatch = false;
    return mtId.isString() && JS_StringEqualsLiteral(mptCx, mtId.toString(), "Date", &bMatch) && bMatch;
}

// Standard classes resolve lazily, then the wrapper's script constructors (Image, Option) by name, linked to this
// global's prototypes. Every name a page's scripts read without defining it comes here (and each global name a
// script declares, when the script starts), so the name is converted once for all the lookups.
bool GlobalResolve(JSContext* mptCx, JS::HandleObject mtGlobal, JS::HandleId mtId, bool* mpbResolved) {
    if (mtId.isInt()) return ResolveWindowItem(mptCx, mtGlobal, mtId, nullptr, mpbResolved);  // frames by index
    if (!JS_ResolveStandardClass(mptCx, mtGlobal, mtId, mpbResolved)) return false;
    if (*mpbResolved) return !IsDateName(mptCx, mtId) || xfbKxwJswInstallScriptClock(mptCx, mtGlobal);
    if (!mtId.isString()) return true;
    std::string dsName;
    if (!IdToUtf8(mptCx, mtId, &dsName)) return false;
    const KxwJswClassInformation* ptClass = nullptr;
    const KxwJswCtorRegistrator* ptSpec = KxwJswClassInformation::FindConstructor(dsName.c_str(), &ptClass);
    KxwJswGlobal* ptGlobal = KxwJswGlobalHooks::DataOf(mtGlobal);
    KxwJswUserObjBase* ptWindow = ptGlobal ? ptGlobal->GetWindow() : nullptr;
    if (ptSpec && ptSpec->_pfIsAvailable && !ptSpec->_pfIsAvailable(ptWindow)) ptSpec = nullptr;
    if (!ptSpec) {
        KxwJswInterfaceResolver pfResolver = KxwJswClassInformation::GetInterfaceResolver();
        if (pfResolver && ptWindow)
            if (const KxwJswClassInformation* ptInterface = pfResolver(ptWindow, dsName.c_str()))
                return ResolveInterface(mptCx, mtGlobal, mtId, dsName.c_str(), ptInterface, mpbResolved);
        // The names a window answers (its frames by name) are the page's globals too.
        return ResolveWindowItem(mptCx, mtGlobal, mtId, &dsName, mpbResolved);
    }
    JSAutoRealm tRealm(mptCx, mtGlobal);
    JSFunction* ptFun = js::NewFunctionWithReserved(mptCx, KxwJswCtorRegistrator::ExportFunc, ptSpec->_uArgCount,
                                                    JSFUN_CONSTRUCTOR, ptSpec->_pszName);
    if (!ptFun) return false;
    JS::RootedObject tFun(mptCx, JS_GetFunctionObject(ptFun));
    js::SetFunctionNativeReserved(tFun, kFunSlotEntry, JS::PrivateValue(const_cast<KxwJswCtorRegistrator*>(ptSpec)));
    // Objects it makes are instances of it: its prototype is the class's in this global.
    JS::RootedObject tProto(mptCx, ObtainPrototype(mptCx, mtGlobal, ptClass));
    if (!tProto || !JS_LinkConstructorAndPrototype(mptCx, tFun, tProto)) return false;
    JS::RootedValue tFunValue(mptCx, JS::ObjectValue(*tFun));
    *mpbResolved = true;
    return JS_DefinePropertyById(mptCx, mtGlobal, mtId, tFunValue, 0);
}

// A name the window's classes declare (location, navigator, setTimeout) lives on its prototypes: the hook above
// never defines it on the global, unless it also names a constructor or an interface.
bool IsPrototypeName(JSObject* mptGlobal, const char* mpszName) {
    KxwJswGlobal* ptGlobal = KxwJswGlobalHooks::DataOf(mptGlobal);
    KxwJswUserObjBase* ptWindow = ptGlobal ? ptGlobal->GetWindow() : nullptr;
    const KxwJswClassInformation* ptClass = ptWindow ? ptWindow->GetClassInformation() : nullptr;
    if (!ptClass || !ptClass->IsDeclared(mpszName)) return false;
    const KxwJswClassInformation* ptConstructed = nullptr;
    if (KxwJswClassInformation::FindConstructor(mpszName, &ptConstructed)) return false;
    KxwJswInterfaceResolver pfResolver = KxwJswClassInformation::GetInterfaceResolver();
    return !pfResolver || !pfResolver(ptWindow, mpszName);
}

// Constructor and interface names are not known to the engine: the hook runs for any string but the names the
// window declares. Saying so for those lets the engine's caches serve the reads of the window's own properties and
// methods; otherwise every "location" or "setTimeout" a script reads asked the hook first.
bool GlobalMayResolve(const JSAtomState& mrtNames, jsid mtId, JSObject* mptMaybeObj) {
    if (mtId.isInt() || JS_MayResolveStandardClass(mrtNames, mtId, mptMaybeObj)) return true;
    if (!mtId.isString()) return false;
    char acName[knMaxAsciiNameLen + 1];
    return !mptMaybeObj || !AtomIdToAscii(mtId, acName) || !IsPrototypeName(mptMaybeObj, acName);
}

const JSClassOps ktGlobalOps = {nullptr,       nullptr,          nullptr,
                                JS_NewEnumerateStandardClasses,
                                GlobalResolve, GlobalMayResolve, KxwJswGlobalHooks::Finalize,
                                nullptr,       nullptr,          KxwJswGlobalHooks::Trace};
const JSClass ktGlobalClass = {"Window", JSCLASS_GLOBAL_FLAGS_WITH_SLOTS(1) | JSCLASS_FOREGROUND_FINALIZE,
                               &ktGlobalOps, nullptr, nullptr, nullptr};

// The getters run in the realm of the global they belong to (a call from another window's script enters it first):
// the current global is theirs.

// "window": the global as scripts refer to it (its window proxy once it has one).
bool WindowGetter(JSContext* mptCx, unsigned muArgc, JS::Value* mpvVp) {
    JS::CallArgs tArgs = JS::CallArgsFromVp(muArgc, mpvVp);
    JSObject* ptGlobal = JS::CurrentGlobalOrNull(mptCx);
    if (ptGlobal)
        tArgs.rval().setObject(*js::ToWindowProxyIfWindow(ptGlobal));
    else
        tArgs.rval().setUndefined();
    return true;
}

// "document": whatever the global's owner shows now.
bool DocumentGetter(JSContext* mptCx, unsigned muArgc, JS::Value* mpvVp) {
    JS::CallArgs tArgs = JS::CallArgsFromVp(muArgc, mpvVp);
    JSObject* ptGlobalObject = JS::CurrentGlobalOrNull(mptCx);
    KxwJswGlobal* ptGlobal = ptGlobalObject ? KxwJswGlobalHooks::DataOf(ptGlobalObject) : nullptr;
    KxwJswUserObjBase* ptDocument =
        ptGlobal && ptGlobal->GetOwner() ? ptGlobal->GetOwner()->GetGlobalDocument() : nullptr;
    return TripleToValue(mptCx, ptDocument, KXW_JSW_DOM_OBJECT_LEN,
                         ptDocument ? KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT : KXW_JSW_OBJ_PROP_TYPE_NULL, tArgs.rval());
}

// Own accessors without setters that cannot be deleted or redefined: "document = 5" and "var document" leave
// them as they are, and a strict-mode assignment throws.
const JSPropertySpec katGlobalAccessors[] = {
    JSPropertySpec::nativeAccessors("window", JSPROP_ENUMERATE | JSPROP_PERMANENT, WindowGetter,
                                    &ktAccessorGetterJitInfo),
    JSPropertySpec::nativeAccessors("document", JSPROP_ENUMERATE | JSPROP_PERMANENT, DocumentGetter,
                                    &ktAccessorGetterJitInfo),
    JS_PS_END};

}  // namespace

namespace kxwjsw {

const JSClass* GlobalClass() {
    return &ktGlobalClass;
}

JSObject* ObtainPrototype(JSContext* mptCx, JS::HandleObject mtGlobal, const KxwJswClassInformation* mptClassInfo) {
    return KxwJswGlobalHooks::ObtainPrototype(mptCx, mtGlobal, mptClassInfo);
}

}  // namespace kxwjsw

// ---------------------------------------------------------------------------------------------------------------
// KxwJswGlobal

KxwJswGlobal::KxwJswGlobal(KxwJswEngine* mptEngine) : _ptEngine(mptEngine), _pvPrototypes(new PrototypeMap()) {}

KxwJswGlobal::~KxwJswGlobal() {
    if (_ptEngine) _ptEngine->ForgetGlobal(this);
    delete static_cast<JS::PersistentRootedObject*>(_pvRoot);
    delete &PrototypesOf(_pvPrototypes);
}

KxwJswGlobal* KxwJswGlobal::Create(KxwJswEngine* mptEngine, JSObject* mptCompartmentOf) {
    JSContext* ptCx = mptEngine->GetContext();
    JS::RealmOptions tOptions;
    if (mptCompartmentOf) tOptions.creationOptions().setExistingCompartment(mptCompartmentOf);
    JS::RootedObject tObject(ptCx,
                             JS_NewGlobalObject(ptCx, &ktGlobalClass, nullptr, JS::DontFireOnNewGlobalHook, tOptions));
    if (!tObject) {
        JS_ClearPendingException(ptCx);
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "JS_NewGlobalObject failed in KxwJswGlobal::Create");
        return nullptr;
    }
    auto* ptGlobal = new KxwJswGlobal(mptEngine);
    JS::SetReservedSlot(tObject, kGlobalSlotData, JS::PrivateValue(ptGlobal));
    ptGlobal->_pvRoot = new JS::PersistentRootedObject(ptCx, tObject);
    bool bOK;
    {
        JSAutoRealm tRealm(ptCx, tObject);
        bOK = JS_DefineProperties(ptCx, tObject, katGlobalAccessors);
        if (bOK) JS_FireOnNewGlobalObject(ptCx, tObject);
    }
    if (!bOK) {
        JS_ClearPendingException(ptCx);
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "The accessors or the Date of a new global could not be defined in "
                                              "KxwJswGlobal::Create");
    }
    return ptGlobal;
}

void KxwJswGlobal::Release() {
    _ptOwner = nullptr;
    delete static_cast<JS::PersistentRootedObject*>(_pvRoot);
    _pvRoot = nullptr;
}

void KxwJswGlobal::Shutdown() {
    Release();
    PrototypesOf(_pvPrototypes).clear();
}

JSObject* KxwJswGlobal::GetObject() const {
    return _pvRoot ? static_cast<JS::PersistentRootedObject*>(_pvRoot)->get() : nullptr;
}

KxwJswGlobal* KxwJswGlobal::OfObject(JSObject* mptObj) {
    if (!mptObj) return nullptr;
    return KxwJswGlobalHooks::DataOf(JS::GetNonCCWObjectGlobal(mptObj));
}

KxwJswGlobal::RealmScope::RealmScope(KxwJswGlobal* mptGlobal) {
    JSObject* ptObject = mptGlobal ? mptGlobal->GetObject() : nullptr;
    if (!ptObject) return;
    _ptCx = mptGlobal->GetEngine()->GetContext();
    _pvOldRealm = JS::EnterRealm(_ptCx, ptObject);
}

KxwJswGlobal::RealmScope::~RealmScope() {
    if (_ptCx) JS::LeaveRealm(_ptCx, static_cast<JS::Realm*>(_pvOldRealm));
}
