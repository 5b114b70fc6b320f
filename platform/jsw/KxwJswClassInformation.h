// Class descriptions: what scripts see of a class of user objects. Each scriptable class has one static
// description built from tables of data: properties with tiny ids, methods with signature letters, script
// constructors. Descriptions chain to their parent class; lookups continue there.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "kxw/KxwExport.h"
#include "kxw/KxwJswTypes.h"

// Property flags, as in the class tables.
constexpr uint16_t KXW_JSW_PROP_PERMANENT = 0x4;
constexpr uint16_t KXW_JSW_PROP_READONLY = 0x2;
constexpr uint16_t KXW_JSW_PROP_ATTRIBUTE = 0x8;         // reflects an HTML attribute
constexpr uint16_t KXW_JSW_PROP_ATTRIBUTE_ALT = 0x1000;  // reflects an HTML attribute (second mark)

struct KxwJswPropertySpec {
    const char* _pszName;        // as scripts write it; null ends the table
    uint16_t _uTinyId;           // 0..255, class-relative; 128..255 reach the class as -128..-1
    uint16_t _uFlags;            // KXW_JSW_PROP_*
    const char* _pszTypeLetter;  // "S", "i", "b", "o" for writable properties; null for read-only ones
};

struct KxwJswMethodSpec {
    const char* _pszName;  // null ends the table
    KxwJswMethodCallback _pfCallback;
    const char* _pszSignature;  // one letter per argument: S i b o f *; null: the callback converts by itself
    uint16_t _uArgCount;        // the function's length as scripts see it
    KxwJswRawMethodCallback _pfRawCallback = nullptr;  // used instead of _pfCallback when set
};

namespace JS {
class Value;
}

// A script constructor of a class (new Image, new Option): the global name, the callback that makes the object,
// and the function's length. ExportFunc is the native behind every one of them.
struct KxwJswCtorRegistrator {
    const char* _pszName;  // null ends the table
    KxwJswConstructorCallback _pfConstruct;
    uint16_t _uArgCount;
    // Whether a window's scripts see the name (the emulated browser decides); null: every window does.
    bool (*_pfIsAvailable)(KxwJswUserObjBase* mptWindow) = nullptr;

    static bool ExportFunc(JSContext* mptCx, unsigned muArgc, JS::Value* mpvVp);
};

class KxwJswUserObjBase;
// The description a page's scripts know by a global name (window.HTMLDivElement, whose "prototype" is the
// class's prototype), asked for a global's window and a name the global does not have; null when the name is no
// such name. Asked for every such name: it must answer other names at once.
using KxwJswInterfaceResolver = const KxwJswClassInformation* (*)(KxwJswUserObjBase* mptWindow, const char* mpszName);

// Which hooks the engine class of a description has beyond properties and methods.
enum KXW_JSW_CLASS_KIND_ENUM {
    KXW_JSW_CLASS_KIND_PLAIN = 0,
    KXW_JSW_CLASS_KIND_NAMED_ITEMS = 1,  // undeclared names and indexes asked of the user object
    KXW_JSW_CLASS_KIND_CALLABLE = 2,     // named items, and the object itself can be called
};

class KXW_API KxwJswClassInformation {
public:
    KxwJswClassInformation(const KxwJswClassInformation* mptParent, const char* mpszClassName,
                           const KxwJswPropertySpec* mpatProperties, const KxwJswMethodSpec* mpatMethods,
                           const KxwJswCtorRegistrator* mpatConstructors = nullptr,
                           KXW_JSW_CLASS_KIND_ENUM meKind = KXW_JSW_CLASS_KIND_PLAIN);
    virtual ~KxwJswClassInformation();
    KxwJswClassInformation(const KxwJswClassInformation&) = delete;
    KxwJswClassInformation& operator=(const KxwJswClassInformation&) = delete;

    const KxwJswClassInformation* GetParent() const { return _ptParent; }
    const char* GetClassName() const { return _pszClassName; }
    const KxwJswPropertySpec* GetProperties() const { return _patProperties; }
    const KxwJswMethodSpec* GetMethods() const { return _patMethods; }
    const KxwJswCtorRegistrator* GetConstructors() const { return _patConstructors; }
    KXW_JSW_CLASS_KIND_ENUM GetKind() const { return _eKind; }
    // The engine class (a JSClass), made when the description is built.
    const void* GetEngineClass() const { return _pvEngineClass; }
    // Whether this description is mptOther or derives from it.
    bool IsSubclassOf(const KxwJswClassInformation* mptOther) const;
    // Whether the table of this class and its parents is well formed (each class's own ids after its parent's,
    // in the engine's signed order; writable properties have a type letter). Reported once when not.
    bool IsValid() const;

    // Looks a name up in the description chain: a declared property (with its id, flags and type letter) or
    // method. The out-parameters may be null.
    bool GetPropertyInfo(const char* mpszName, short* mpnTinyId, unsigned short* mpuFlags, char* mpcTypeLetter) const;
    bool IsDeclared(const char* mpszName) const;
    // The declared property of that name in the chain, ASCII case ignored (attribute names as markup writes them).
    const KxwJswPropertySpec* FindPropertyIgnoringCase(const char* mpszName) const;
    // The declared property of exactly that name in the chain.
    const KxwJswPropertySpec* FindProperty(const char* mpszName) const;

    // This class's own members (not its parents'): properties in table order, then methods. FindOwnMember gives
    // the index of a name, or GetOwnMemberCount() when it has none.
    size_t GetOwnMemberCount() const;
    bool GetOwnMember(size_t mnIndex, const KxwJswPropertySpec** mpptProperty, const KxwJswMethodSpec** mpptMethod) const;
    size_t FindOwnMember(const char* mpszName) const;

    // The script constructor of that global name among all descriptions, and the class that declares it.
    static const KxwJswCtorRegistrator* FindConstructor(const char* mpszName, const KxwJswClassInformation** mpptClass);
    // The process's resolver of interface names (the library installs its own at start-up); null for none.
    static void SetInterfaceResolver(KxwJswInterfaceResolver mpfResolver);
    static KxwJswInterfaceResolver GetInterfaceResolver();

    // The tiny id as the class receives it.
    static short DispatchId(uint16_t muTinyId) { return static_cast<short>(static_cast<int8_t>(muTinyId & 0xFF)); }

private:
    bool Validate() const;
    struct PropertyIndex;
    const PropertyIndex& GetPropertyIndex() const;
    const KxwJswClassInformation* _ptParent;
    const char* _pszClassName;
    const KxwJswPropertySpec* _patProperties;
    const KxwJswMethodSpec* _patMethods;
    const KxwJswCtorRegistrator* _patConstructors;
    KXW_JSW_CLASS_KIND_ENUM _eKind;
    void* _pvEngineClass;                         // points into the storage below
    alignas(8) unsigned char _acEngineClass[64];  // the engine class, built in place
    mutable std::once_flag _tValidateOnce;
    mutable bool _bValid = true;
    mutable std::once_flag _tDeclaredNamesOnce;
    mutable std::atomic<void*> _pvDeclaredNames{nullptr};  // the names declared in the chain, made on first need
    mutable std::once_flag _tPropertiesOnce;
    // The chain's properties by name and by lower-case name, made on first need.
    mutable std::atomic<void*> _pvProperties{nullptr};
    mutable std::once_flag _tOwnMembersOnce;
    mutable std::atomic<void*> _pvOwnMembers{nullptr};  // own member index by name, made on first need
    size_t _nOwnProperties = 0;
    size_t _nOwnMethods = 0;
    const KxwJswClassInformation* _ptNext = nullptr;
};
