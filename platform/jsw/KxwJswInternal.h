// What the wrapper's own files share. The only header of the wrapper that includes the engine's headers.
#pragma once

#include <js/CallAndConstruct.h>
#include <js/CompilationAndEvaluation.h>
#include <js/CompileOptions.h>
#include <js/Conversions.h>
#include <js/ErrorReport.h>
#include <js/Exception.h>
#include <js/GCAPI.h>
#include <js/GlobalObject.h>
#include <js/Initialization.h>
#include <js/Interrupt.h>
#include <js/Object.h>
#include <js/PropertyAndElement.h>
#include <js/Proxy.h>
#include <js/Realm.h>
#include <js/SourceText.h>
#include <js/TracingAPI.h>
#include <js/Warnings.h>
#include <js/experimental/JSStencil.h>
#include <js/experimental/JitInfo.h>
#include <js/friend/ErrorMessages.h>
#include <jsapi.h>
#include <jsfriendapi.h>

#include "KxwJswClassInformation.h"
#include "KxwJswUserObjBase.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"

// The engine side of a KxwJsval, for the wrapper's own code.
class KxwJsvalAccess {
public:
    static JS::PersistentRootedValue& Root(KxwJsval& mrtValue);
    static const JS::PersistentRootedValue& Root(const KxwJsval& mrtValue);
    static JS::Value Get(const KxwJsval& mrtValue);
    // A handle to the rooted value, valid while the KxwJsval lives and is not assigned.
    static JS::HandleValue Handle(const KxwJsval& mrtValue);
    static void Set(KxwJsval& mrtValue, const JS::Value& mrtNew);
};

namespace kxwjsw {

// Reserved slots of every wrapper object.
constexpr uint32_t kSlotUserObj = 0;  // PrivateValue(KxwJswUserObjBase*), undefined once cut
constexpr uint32_t kSlotCount = 1;

// Extended slots of the accessor and method functions.
constexpr size_t kFunSlotEntry = 0;  // PrivateValue(the property or method table entry)
constexpr size_t kFunSlotClass = 1;  // PrivateValue(the class description that declared it)

// What the engine's caches ask of an accessor before they call it on a window (the global of a page) directly: a
// getter or a setter of ours takes the window as its object as well as the window's proxy. Without it every
// property of a window a script reads or writes ("document", "location", "window.name") takes the slow path, several
// times the cost of the accessor itself. Every accessor function of the wrapper carries one of the two.
extern const JSJitInfo ktAccessorGetterJitInfo;
extern const JSJitInfo ktAccessorSetterJitInfo;

// The ASCII text of a property name into mpcOut (knMaxAsciiNameLen + 1 bytes), read without the engine's help, so
// without a collection (the engine asks its may-resolve hooks while it must not collect); false for a name that is
// not an atom, is empty or longer, or has other characters. Declared names are all short ASCII names.
constexpr size_t knMaxAsciiNameLen = 63;
bool AtomIdToAscii(jsid mtId, char* mpcOut);

// The engine-class pieces made for a description.
struct EngineClass {
    JSClass _tClass;
    const KxwJswClassInformation* _ptClassInfo;
};

// The description behind an engine object of one of the wrapper's classes, or null for any other object. A window
// proxy and a global bound to a window answer for the window.
const KxwJswClassInformation* ClassInfoOf(JSObject* mptObj);
// A prototype the wrapper made for one of its classes.
bool IsWrapperPrototype(JSObject* mptObj);
// The user object an engine object of ours stands for (a wrapper object, a window proxy, a window's global), or null.
KxwJswUserObjBase* UserObjOf(JSObject* mptObj);
// Whether a user object can be bound to an engine object: one of the wrapper's classes, or a window proxy.
bool CanHoldUserObj(JSObject* mptObj);
// Binds (or, with null, cuts) the user object of a wrapper object or a window proxy.
void SetUserObjSlot(JSObject* mptObj, KxwJswUserObjBase* mptUserObj);

// A named item or index of the user object behind mtObj, defined as a live own accessor (the resolve hook of the
// classes with named items, and of globals whose window has them).
bool ResolveNamedItem(JSContext* mptCx, JS::HandleObject mtObj, JS::HandleId mtId, const std::string* mpdsName,
                      bool* mpbResolved);
// A string id's UTF-8 form (empty for other ids); false with an exception pending when it could not be made.
bool IdToUtf8(JSContext* mptCx, JS::HandleId mtId, std::string* mpdsName);

// The class of the window proxies: a forwarding proxy in front of a window's current global.
const JSClass* WindowProxyClass();

// The handle stored in a user object, seen as what it is.
inline JS::Heap<JSObject*>& HeapOf(unsigned char* mpucStorage) {
    return *reinterpret_cast<JS::Heap<JSObject*>*>(mpucStorage);
}

// Makes the engine object of a user object in the current realm.
JSObject* NewWrapperObject(JSContext* mptCx, KxwJswEngine* mptEngine, KxwJswUserObjBase* mptUserObj);

// Builds the prototype of a class (accessors and methods from its tables) with the parent's prototype as its own.
JSObject* BuildPrototype(JSContext* mptCx, const KxwJswClassInformation* mptClassInfo, JS::HandleObject mtParentProto);

// The class of every global: its hooks resolve constructors (Image, Option) on first use.
const JSClass* GlobalClass();
// The prototype of a class in a global, made on first need (in the global's realm).
JSObject* ObtainPrototype(JSContext* mptCx, JS::HandleObject mtGlobal, const KxwJswClassInformation* mptClassInfo);

// Converts a triple into an engine value; DOM objects get their engine objects.
bool TripleToValue(JSContext* mptCx, void* mpvValue, unsigned mnLen, KXW_JSW_OBJ_PROP_TYPE_ENUM meType,
                   JS::MutableHandleValue mtResult);

// Reports a pending exception (or an uncatchable stop) as a script error; returns the message.
std::string ReportPendingException(JSContext* mptCx, const char* mpszWhat, std::string* mpdsFile, unsigned* mpuLine);

// After a native called into the library: true when the script's time ran out meanwhile, so that the native
// returns false with no exception pending and the script ends as the watchdog would have ended it.
inline bool IsStoppedByDeadline(JSContext* mptCx) {
    auto* ptEngine = static_cast<KxwJswEngine*>(JS_GetContextPrivate(mptCx));
    if (!ptEngine || !ptEngine->IsInterrupted()) return false;
    JS_ClearPendingException(mptCx);
    return true;
}

// The string of a value with the engine's conversion, as UTF-16.
bool ValueToU16(JSContext* mptCx, JS::HandleValue mtValue, std::u16string& mrdsResult);

}  // namespace kxwjsw

#include <atomic>
#include <condition_variable>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

// The one thread that interrupts scripts past their deadline. Each engine has a slot; requests to interrupt are
// made under the same lock as removals, so a context is never asked after it was destroyed.
class KxwJswProcessWatchdog {
public:
    static KxwJswProcessWatchdog& Instance();
    void Start();
    void Stop();
    int AddContext(JSContext* mptCx);
    void RemoveContext(int miSlot);
    // A deadline muLimitMs from now; 0 clears it.
    void SetDeadline(int miSlot, uint32_t muLimitMs);
    bool IsPastDeadline(int miSlot);

private:
    static constexpr int64_t kNoDeadline = INT64_MAX;
    struct Slot {
        JSContext* _ptCx = nullptr;
        int64_t _llDeadlineMs = kNoDeadline;
        bool _bFired = false;
    };
    static int64_t NowMs();
    void Run();
    std::mutex _tMutex;
    std::condition_variable _tWake;
    std::vector<Slot> _tSlots;
    int64_t _llWakeMs = kNoDeadline;  // when the thread wakes next by itself
    std::thread _tThread;
    bool _bRunning = false;
    bool _bStop = false;
};

// Compiled scripts shared by every virtual user: a text compiled once is instantiated in any context. Keyed by the
// text, its file name and first line, which the compiled form carries.
class KxwJswScriptCache {
public:
    static KxwJswScriptCache& Instance();
    struct Entry {
        std::u16string _dsText;
        std::string _dsFile;
        unsigned _uLine;
        bool _bWhole = false;           // every function compiled (the text's second use), not only the top level
        RefPtr<JS::Stencil> _tStencil;  // released only when the last holder of the entry lets go
    };
    // The compiled form of the text, compiling it in mptCx on a miss (the top level; its functions when first
    // called) and once more, whole, on its first hit; null with an exception pending when the text does not
    // compile. Holders keep the entry, not the compiled form, so that no reference count of the
    // engine is touched by two threads.
    std::shared_ptr<Entry> Obtain(JSContext* mptCx, const char16_t* mpwsfText, size_t mnLen, const char* mpszFile,
                                  unsigned muLine);
    void Clear();
    size_t GetEntryCount();
    size_t GetHitCount() const { return _nHits; }
    size_t GetMissCount() const { return _nMisses; }

private:
    static std::shared_ptr<Entry> Compile(JSContext* mptCx, const char16_t* mpwsfText, size_t mnLen,
                                          const char* mpszFile, unsigned muLine, bool mbWhole);

    std::mutex _tMutex;
    std::unordered_multimap<size_t, std::shared_ptr<Entry>> _tEntries;
    std::vector<size_t> _tOrder;  // keys in insertion order, for eviction
    size_t _nChars = 0;
    std::atomic<size_t> _nHits{0};
    std::atomic<size_t> _nMisses{0};
};
