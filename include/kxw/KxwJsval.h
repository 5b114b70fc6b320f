// One engine value, as the library sees it without engine headers. A KxwJsval is a root: while it holds an engine
// thing (a string, an object), the collector keeps that thing alive and updates the value when the thing moves,
// whatever the holder calls meanwhile. So a value can be kept across anything that allocates (a property read, a
// method call, a script) without further care. It must die on its engine's thread; values held by C++ objects
// that a cycle may reach (listeners) are KxwJsvalHeap instead, traced by their holders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kxw/KxwExport.h"
#include "kxw/KxwJswTypes.h"

class KXW_API KxwJsval {
public:
    KxwJsval();  // undefined
    KxwJsval(const KxwJsval& mrtOther);
    KxwJsval& operator=(const KxwJsval& mrtOther);
    ~KxwJsval();

    // The raw bits of a value that is valid now (rooted by the engine where it comes from).
    static KxwJsval FromRawBits(uint64_t muBits);
    uint64_t GetRawBits() const;
    // Where the engine value itself lives, for the wrapper's triples of functions and engine objects: valid and
    // rooted while this value lives and is not assigned.
    const void* GetValueAddress() const;

    bool IsUndefined() const;
    bool IsNull() const;
    bool IsBoolean() const;
    bool IsInt() const;
    bool IsDouble() const;
    bool IsNumber() const;
    bool IsString() const;
    bool IsObject() const;
    bool IsFunction() const;
    // An engine object of one of the wrapper's classes that still has its user object.
    bool IsDomObject() const;
    KxwJswUserObjBase* GetRawDomObject() const;
    // The engine object of an object value, or null.
    JSObject* GetRawObject() const;

    // Conversions as scripts make them (ToString, ToInt32, ToBoolean, ToNumber). A null context means the calling
    // thread's engine. The text stays valid until this value is converted again or destroyed. These never leave an
    // exception behind: a value whose conversion throws gives the empty text or 0.
    const char16_t* GetStringU16n(unsigned* mpnLen, JSContext* mptCx = nullptr);
    std::string GetStringUtf8(JSContext* mptCx = nullptr) const;
    int32_t GetInt(JSContext* mptCx = nullptr) const;
    double GetDouble(JSContext* mptCx = nullptr) const;
    bool GetBoolean(JSContext* mptCx = nullptr) const;
    // Whether a string value has an ASCII capital letter, read in place (no conversion, no copy).
    bool IsStringWithAsciiCapital() const;
    // The same conversions for a native that a script called: false leaves the script's exception pending (a
    // toString or valueOf that throws), so that the native fails and the exception reaches the calling script.
    bool ToStringU16n(std::u16string& mrdsResult, JSContext* mptCx = nullptr) const;
    bool ToInt32(int32_t& mriResult, JSContext* mptCx = nullptr) const;

    void SetUndefined();
    void SetNull();
    void SetBoolean(bool mbValue);
    void SetInt(int32_t miValue);
    void SetDouble(double mdfValue);
    // Makes an engine string; false (and undefined) when the engine is out of memory.
    bool SetStringU16n(const char16_t* mpwsfStr, size_t mnLen, JSContext* mptCx = nullptr);
    bool SetStringUtf8(const char* mpsfStr, size_t mnLen, JSContext* mptCx = nullptr);
    // The engine object of a user object, made on first need; null gives script null.
    bool SetDomObject(KxwJswUserObjBase* mptUserObj, JSContext* mptCx = nullptr);
    void SetObject(JSObject* mptObj);

    // Properties of an object value, by name; false when this is not an object or the engine failed.
    bool GetProperty(const char* mpszName, KxwJsval& mrtResult, JSContext* mptCx = nullptr) const;
    bool SetProperty(const char* mpszName, const KxwJsval& mrtValue, JSContext* mptCx = nullptr) const;
    // Whether an object value has an own property of that name.
    bool ItsOwnProperty(const char16_t* mpwsfName, unsigned mnLen, JSContext* mptCx = nullptr) const;
    // The same for an own property that enumeration lists (GetOwnPropertyNames names it).
    bool ItsOwnEnumerableProperty(const char16_t* mpwsfName, unsigned mnLen, JSContext* mptCx = nullptr) const;
    // The names of an object value's own string-named properties, in the engine's order (expandos, attributes
    // dumped into the object; declared properties live on the prototypes and are not listed).
    bool GetOwnPropertyNames(std::vector<std::u16string>& mrtNames, JSContext* mptCx = nullptr) const;
    // Defines an own data property (enumerable unless told), bypassing setters of the prototype chain.
    bool DefineOwnProperty(const char16_t* mpwsfName, size_t mnLen, const KxwJsval& mrtValue, bool mbEnumerable = true,
                           JSContext* mptCx = nullptr) const;
    bool GetOwnProperty(const char16_t* mpwsfName, size_t mnLen, KxwJsval& mrtResult, JSContext* mptCx = nullptr) const;
    // The same for an own property that enumeration lists, in one lookup: false when there is none.
    bool GetOwnEnumerableProperty(const char16_t* mpwsfName, size_t mnLen, KxwJsval& mrtResult,
                                  JSContext* mptCx = nullptr) const;
    // The value of an own data property, without running anything: false for an accessor (its getter is not
    // called), for a missing property and when the engine failed.
    bool GetOwnDataProperty(const char16_t* mpwsfName, size_t mnLen, KxwJsval& mrtResult,
                            JSContext* mptCx = nullptr) const;
    // Deletes an own property; false when it could not be deleted.
    bool DeleteOwnProperty(const char16_t* mpwsfName, size_t mnLen, JSContext* mptCx = nullptr) const;

private:
    friend class KxwJsvalAccess;
    void Store(uint64_t muBits);
    void FreeText();
    bool ReadOwnProperty(const char16_t* mpwsfName, size_t mnLen, bool mbEnumerableOnly, KxwJsval& mrtResult,
                         JSContext* mptCx) const;
    // A persistent root of the engine, built in place: linked into the engine's root list only while it holds an
    // engine thing.
    alignas(8) unsigned char _acRoot[32];
    char16_t* _pwcText = nullptr;  // the last GetStringU16n result
};

// A value kept for the holder's life (DOM commands, timeouts, top windows, dialogs): a KxwJsval with a mark of
// whether it was set. Must die on the thread and before the engine that made it.
class KXW_API KxwJsvalProt {
public:
    KxwJsvalProt() = default;
    explicit KxwJsvalProt(const KxwJsval& mrtValue, JSContext* mptCx = nullptr) { Set(mrtValue, mptCx); }
    KxwJsvalProt(const KxwJsvalProt&) = delete;
    KxwJsvalProt& operator=(const KxwJsvalProt&) = delete;

    void Set(const KxwJsval& mrtValue, JSContext* mptCx = nullptr);
    void Reset();
    KxwJsval Get() const { return _tValue; }
    bool IsSet() const { return _bSet; }

private:
    KxwJsval _tValue;
    bool _bSet = false;
};

// A value held by a C++ object and traced by it (event listeners): not a root, so that a cycle between a node and
// its listener's closure is still collected. The holder traces it from its TraceHeldValues.
class KXW_API KxwJsvalHeap {
public:
    KxwJsvalHeap();
    ~KxwJsvalHeap();
    KxwJsvalHeap(const KxwJsvalHeap&) = delete;
    KxwJsvalHeap& operator=(const KxwJsvalHeap&) = delete;

    void Set(const KxwJsval& mrtValue);
    KxwJsval Get() const;  // with the read barrier the engine needs
    void Trace(KxwJswTracer& mrtTracer, const char* mpszName);

private:
    alignas(8) unsigned char _acHeap[8];
};

// Walks an array-like value: its length, then each element in order.
class KXW_API KxwJsvalIterator {
public:
    KxwJsvalIterator(const KxwJsval& mrtArray, JSContext* mptCx = nullptr);
    bool IsValid() const { return _uIndex < _uLength; }
    uint32_t GetLength() const { return _uLength; }
    KxwJsval operator*() const;
    KxwJsvalIterator& operator++() {
        ++_uIndex;
        return *this;
    }

private:
    KxwJsval _tArray;
    JSContext* _ptCx;
    uint32_t _uLength = 0;
    uint32_t _uIndex = 0;
};

// DCS (UTF-8 here) text of a value; valid until the next call on the same thread.
const char* xfpszKxwJswUtilsGetDcsStrByJsval(JSContext* mptCx, const KxwJsval& mrtValue);
