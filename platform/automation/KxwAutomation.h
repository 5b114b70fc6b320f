// KxwAutomation: the late-bound object interface through which scripts reach controls and the XML parser's objects
// (the part of a component object model that pages use): reference counting, members found by name ignoring case,
// and get, put and call with values that carry their own type. KxwJswAutomationObject shows one to scripts.
//
// Every object and value belongs to the thread of one virtual user: the counts are not atomic.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "kxw/KxwExport.h"

// Result codes, with the values of the component model that scripts and logs of the time show.
using KxwAutoResult = int32_t;
constexpr KxwAutoResult KXW_AUTO_S_OK = 0;
constexpr KxwAutoResult KXW_AUTO_S_FALSE = 1;
constexpr KxwAutoResult KXW_AUTO_E_NOTIMPL = static_cast<int32_t>(0x80004001u);
constexpr KxwAutoResult KXW_AUTO_E_FAIL = static_cast<int32_t>(0x80004005u);
constexpr KxwAutoResult KXW_AUTO_E_ACCESSDENIED = static_cast<int32_t>(0x80070005u);
constexpr KxwAutoResult KXW_AUTO_E_OUTOFMEMORY = static_cast<int32_t>(0x8007000Eu);
constexpr KxwAutoResult KXW_AUTO_E_INVALIDARG = static_cast<int32_t>(0x80070057u);
constexpr KxwAutoResult KXW_AUTO_E_MEMBERNOTFOUND = static_cast<int32_t>(0x80020003u);
constexpr KxwAutoResult KXW_AUTO_E_TYPEMISMATCH = static_cast<int32_t>(0x80020005u);
constexpr KxwAutoResult KXW_AUTO_E_UNKNOWNNAME = static_cast<int32_t>(0x80020006u);
constexpr KxwAutoResult KXW_AUTO_E_BADPARAMCOUNT = static_cast<int32_t>(0x8002000Eu);
constexpr KxwAutoResult KXW_AUTO_E_CLASSNOTREG = static_cast<int32_t>(0x80040154u);
constexpr KxwAutoResult KXW_AUTO_E_SYNTAX = static_cast<int32_t>(0x800401E4u);  // a malformed class id or name

inline bool xfbKxwAutoSucceeded(KxwAutoResult mlResult) {
    return mlResult >= 0;
}

class KxwAutomation;

// A script function handed to an object (an onreadystatechange handler): the object calls it back without knowing
// the engine. Held by reference count like the objects.
class KXW_API KxwAutoCallable {
public:
    virtual ~KxwAutoCallable() = default;
    void AddRef() { ++_iRefs; }
    void Release() {
        if (--_iRefs == 0) delete this;
    }
    // Calls the function with no arguments; false when it failed or can no longer run (its page went).
    virtual bool Invoke() = 0;

private:
    int _iRefs = 1;
};

// An owning pointer for either reference-counted type.
template <typename T>
class KxwAutoRef {
public:
    KxwAutoRef() = default;
    // Takes over a reference the caller holds (a new object starts with one).
    static KxwAutoRef Adopt(T* mptObject) {
        KxwAutoRef tRef;
        tRef._ptObject = mptObject;
        return tRef;
    }
    // Adds a reference of its own.
    explicit KxwAutoRef(T* mptObject) : _ptObject(mptObject) {
        if (_ptObject) _ptObject->AddRef();
    }
    KxwAutoRef(const KxwAutoRef& mrtOther) : KxwAutoRef(mrtOther._ptObject) {}
    KxwAutoRef(KxwAutoRef&& mrtOther) noexcept : _ptObject(std::exchange(mrtOther._ptObject, nullptr)) {}
    KxwAutoRef& operator=(KxwAutoRef mtOther) {
        std::swap(_ptObject, mtOther._ptObject);
        return *this;
    }
    ~KxwAutoRef() {
        if (_ptObject) _ptObject->Release();
    }
    T* Get() const { return _ptObject; }
    T* operator->() const { return _ptObject; }
    explicit operator bool() const { return _ptObject != nullptr; }
    // Gives the reference to the caller.
    T* Detach() { return std::exchange(_ptObject, nullptr); }

private:
    T* _ptObject = nullptr;
};

enum KXW_AUTO_VALUE_TYPE_ENUM {
    KXW_AUTO_VALUE_EMPTY = 0,  // undefined in scripts; also an argument that was not given
    KXW_AUTO_VALUE_NULL,
    KXW_AUTO_VALUE_BOOL,
    KXW_AUTO_VALUE_INT,  // 32-bit integer
    KXW_AUTO_VALUE_DOUBLE,
    KXW_AUTO_VALUE_STRING,  // UTF-16
    KXW_AUTO_VALUE_OBJECT,  // another automation object
    KXW_AUTO_VALUE_CALLABLE,
    KXW_AUTO_VALUE_FOREIGN,  // a script object that is no automation object (a DOM node, a plain object)
};

// One value crossing the interface: the counterpart of the binding's value, length and type triple.
class KXW_API KxwAutoValue {
public:
    KxwAutoValue() = default;
    static KxwAutoValue Null() { return Of(KXW_AUTO_VALUE_NULL); }
    static KxwAutoValue Bool(bool mb) {
        KxwAutoValue t = Of(KXW_AUTO_VALUE_BOOL);
        t._bValue = mb;
        return t;
    }
    static KxwAutoValue Int(int32_t mi) {
        KxwAutoValue t = Of(KXW_AUTO_VALUE_INT);
        t._iValue = mi;
        return t;
    }
    static KxwAutoValue Double(double md) {
        KxwAutoValue t = Of(KXW_AUTO_VALUE_DOUBLE);
        t._dValue = md;
        return t;
    }
    static KxwAutoValue String(std::u16string mds) {
        KxwAutoValue t = Of(KXW_AUTO_VALUE_STRING);
        t._dsValue = std::move(mds);
        return t;
    }
    static KxwAutoValue Utf8(const std::string& mds);
    // A null object is the value null.
    static KxwAutoValue Object(KxwAutoRef<KxwAutomation> mtObject) {
        if (!mtObject) return Null();
        KxwAutoValue t = Of(KXW_AUTO_VALUE_OBJECT);
        t._tObject = std::move(mtObject);
        return t;
    }
    static KxwAutoValue Callable(KxwAutoRef<KxwAutoCallable> mtCallable) {
        if (!mtCallable) return Null();
        KxwAutoValue t = Of(KXW_AUTO_VALUE_CALLABLE);
        t._tCallable = std::move(mtCallable);
        return t;
    }
    static KxwAutoValue Foreign() { return Of(KXW_AUTO_VALUE_FOREIGN); }

    KXW_AUTO_VALUE_TYPE_ENUM GetType() const { return _eType; }
    bool IsEmpty() const { return _eType == KXW_AUTO_VALUE_EMPTY; }
    bool IsNullOrEmpty() const { return _eType == KXW_AUTO_VALUE_EMPTY || _eType == KXW_AUTO_VALUE_NULL; }
    bool GetBool() const { return _bValue; }
    int32_t GetInt() const { return _iValue; }
    double GetDouble() const { return _dValue; }
    const std::u16string& GetString() const { return _dsValue; }
    KxwAutomation* GetObject() const { return _tObject.Get(); }
    KxwAutoCallable* GetCallable() const { return _tCallable.Get(); }

    // Conversions as the script engine makes them: numbers and booleans to text, text to numbers, true for a
    // non-empty text or an object. False when the value has no such form (an object to a number).
    bool ToString(std::u16string& mrdsResult) const;
    bool ToUtf8(std::string& mrdsResult) const;
    bool ToBool() const;
    bool ToInt(int32_t& mriResult) const;
    bool ToDouble(double& mrdResult) const;

private:
    static KxwAutoValue Of(KXW_AUTO_VALUE_TYPE_ENUM meType) {
        KxwAutoValue t;
        t._eType = meType;
        return t;
    }
    KXW_AUTO_VALUE_TYPE_ENUM _eType = KXW_AUTO_VALUE_EMPTY;
    bool _bValue = false;
    int32_t _iValue = 0;
    double _dValue = 0;
    std::u16string _dsValue;
    KxwAutoRef<KxwAutomation> _tObject;
    KxwAutoRef<KxwAutoCallable> _tCallable;
};

using KxwAutoArgs = std::vector<KxwAutoValue>;

enum KXW_AUTO_MEMBER_KIND_ENUM {
    KXW_AUTO_MEMBER_PROPERTY = 1,  // read with Get, written with Put
    KXW_AUTO_MEMBER_METHOD = 2,    // called with Call
};

// What a member lookup answers: the member's id for Get, Put and Call, and its kind.
struct KxwAutoMember {
    int32_t _iId = -1;
    KXW_AUTO_MEMBER_KIND_ENUM _eKind = KXW_AUTO_MEMBER_PROPERTY;
};

class KXW_API KxwAutomation {
public:
    KxwAutomation() = default;
    KxwAutomation(const KxwAutomation&) = delete;
    KxwAutomation& operator=(const KxwAutomation&) = delete;

    void AddRef() { ++_iRefs; }
    void Release() {
        if (--_iRefs == 0) delete this;
    }

    // The interface name traces and reports give ("IXMLDOMDocument").
    virtual const char* GetInterfaceName() const = 0;
    // The member of that name, compared ignoring ASCII case; false when the object has none.
    virtual bool FindMember(const char* mpszName, KxwAutoMember& mrtMember) = 0;
    virtual KxwAutoResult Get(int32_t miId, KxwAutoValue& mrtResult) = 0;
    virtual KxwAutoResult Put(int32_t miId, const KxwAutoValue& mrtValue) = 0;
    virtual KxwAutoResult Call(int32_t miId, const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) = 0;
    // Collections answer obj[i] and their count (for...in); others have no items.
    virtual bool GetItem(int32_t miIndex, KxwAutoValue& mrtResult) {
        (void)miIndex, (void)mrtResult;
        return false;
    }
    virtual int32_t GetItemCount() { return 0; }
    // The text of the last failure, for the report that follows a failed result (empty when none).
    virtual std::string GetErrorDescription() const { return std::string(); }
    // The container a control of an OBJECT element is sited in (its window's); a control that calls its container
    // keeps a reference. Others ignore it.
    virtual void SetClientSite(KxwAutomation* mptSite) { (void)mptSite; }

    // The script object that shows this one, kept by the script binding so that an object has one script object
    // (identity); the binding clears it when that script object goes.
    void* GetScriptPeer() const { return _pvScriptPeer; }
    void SetScriptPeer(void* mpvPeer) { _pvScriptPeer = mpvPeer; }

protected:
    virtual ~KxwAutomation() = default;

private:
    int _iRefs = 1;
    void* _pvScriptPeer = nullptr;
};

// Table-driven members: a class lists its properties and methods once, beside itself, and derives from
// KxwAutomationTable<Class> with the table; ids are the rows.
template <typename T>
struct KxwAutoMemberRow {
    const char* _pszName;
    KxwAutoResult (T::*_pfGet)(KxwAutoValue&);                       // null: not readable (methods)
    KxwAutoResult (T::*_pfPut)(const KxwAutoValue&);                 // null: read-only
    KxwAutoResult (T::*_pfCall)(const KxwAutoArgs&, KxwAutoValue&);  // non-null: a method
};

// Case-insensitive ASCII comparison of member names.
KXW_API bool xfbKxwAutoNameEquals(const char* mpszA, const char* mpszB);

template <typename T>
class KxwAutomationTable : public KxwAutomation {
public:
    template <size_t N>
    explicit KxwAutomationTable(const KxwAutoMemberRow<T> (&matRows)[N]) : _patRows(matRows), _nRows(N) {}

    bool FindMember(const char* mpszName, KxwAutoMember& mrtMember) override {
        for (size_t n = 0; n < _nRows; ++n) {
            if (!xfbKxwAutoNameEquals(_patRows[n]._pszName, mpszName)) continue;
            mrtMember._iId = static_cast<int32_t>(n);
            mrtMember._eKind = _patRows[n]._pfCall ? KXW_AUTO_MEMBER_METHOD : KXW_AUTO_MEMBER_PROPERTY;
            return true;
        }
        return false;
    }
    KxwAutoResult Get(int32_t miId, KxwAutoValue& mrtResult) override {
        const KxwAutoMemberRow<T>* ptRow = Row(miId);
        if (!ptRow || !ptRow->_pfGet) return KXW_AUTO_E_MEMBERNOTFOUND;
        return (static_cast<T*>(this)->*(ptRow->_pfGet))(mrtResult);
    }
    KxwAutoResult Put(int32_t miId, const KxwAutoValue& mrtValue) override {
        const KxwAutoMemberRow<T>* ptRow = Row(miId);
        if (!ptRow || !ptRow->_pfPut) return KXW_AUTO_E_MEMBERNOTFOUND;
        return (static_cast<T*>(this)->*(ptRow->_pfPut))(mrtValue);
    }
    KxwAutoResult Call(int32_t miId, const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) override {
        const KxwAutoMemberRow<T>* ptRow = Row(miId);
        if (!ptRow || !ptRow->_pfCall) return KXW_AUTO_E_MEMBERNOTFOUND;
        return (static_cast<T*>(this)->*(ptRow->_pfCall))(mrtArgs, mrtResult);
    }

private:
    const KxwAutoMemberRow<T>* Row(int32_t miId) const {
        return miId >= 0 && static_cast<size_t>(miId) < _nRows ? &_patRows[miId] : nullptr;
    }
    const KxwAutoMemberRow<T>* _patRows;
    size_t _nRows;
};

// A member by name, for C++ callers: a method is called with the arguments, a property read (no arguments).
KXW_API KxwAutoResult xflKxwAutoInvokeByName(KxwAutomation* mptObject, const char* mpszName, const KxwAutoArgs& mrtArgs,
                                             KxwAutoValue& mrtResult);
KXW_API KxwAutoResult xflKxwAutoPutByName(KxwAutomation* mptObject, const char* mpszName, const KxwAutoValue& mrtValue);
