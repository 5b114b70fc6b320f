// The small tagged value that crosses the script boundary: a DOM class fills one when a script reads a property
// and receives one when a script writes a property. Stored properties are passed by reference and read only when
// the value is converted.
#pragma once

#include <cstdint>

#include "kxw/KxwJsval.h"
#include "kxw/KxwJswTypes.h"

class KxwDomStr;
class KxwDomHtmlPropertyStr;
class KxwDomHtmlPropertyNumLong;
class KxwDomHtmlPropertyBool;

// Values 1 to 10 mean what they mean in KXW_JSW_OBJ_PROP_TYPE_ENUM.
enum KXW_DOM_PROPERTY_INFO_TYPE_ENUM : unsigned char {
    KXW_DOM_PROPERTY_INFO_TYPE_INVALID = 0,
    KXW_DOM_PROPERTY_INFO_TYPE_DOM_OBJECT = 1,
    KXW_DOM_PROPERTY_INFO_TYPE_STRING = 2,
    KXW_DOM_PROPERTY_INFO_TYPE_INT = 4,
    KXW_DOM_PROPERTY_INFO_TYPE_DOUBLE = 5,
    KXW_DOM_PROPERTY_INFO_TYPE_BOOLEAN = 6,
    KXW_DOM_PROPERTY_INFO_TYPE_NULL = 7,
    KXW_DOM_PROPERTY_INFO_TYPE_UNDEFINED = 8,
    KXW_DOM_PROPERTY_INFO_TYPE_FUNCTION = 9,
    KXW_DOM_PROPERTY_INFO_TYPE_JS_OBJECT = 10,
    KXW_DOM_PROPERTY_INFO_TYPE_STRING_HELD_ELSEWHERE = 11,  // constant texts, the empty text
    KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_STR = 12,
    KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_NUM_LONG = 13,
    KXW_DOM_PROPERTY_INFO_TYPE_PROPERTY_BOOL = 14,
    KXW_DOM_PROPERTY_INFO_TYPE_JSVAL = 15,     // an engine value as the engine gave it
    KXW_DOM_PROPERTY_INFO_TYPE_NO_VALUE = 16,  // the property exists but gives nothing
};

// Functions (9), engine objects (10) and engine values (15) are held as a rooted engine value, so that an info
// made from a method argument (a pointer to the engine value) and one made from an engine object or a classified
// engine value read alike, and so that the value stays valid whatever runs while the info lives (a setter that
// parses markup, a script). GetValue gives the wrapper's form for them: a pointer to that value, valid while this
// info lives and keeps it.
class KxwDomPropertyInfo {
public:
    KxwDomPropertyInfo() = default;  // all zero: type 0
    explicit KxwDomPropertyInfo(const KxwJsval& mrtValue) { *this = mrtValue; }

    // ---- Assignment; each clears the length and the specified mark unless stated ----
    KxwDomPropertyInfo& operator=(const KxwJswUserObjBase* mptUserObj);                  // 1
    KxwDomPropertyInfo& operator=(const KxwDomStr& mrtStr);                              // 2, the string's U16n text
    void AssignU16nStr(const char16_t* mpwsfStr, unsigned mnLen, bool mbHeldElsewhere);  // 11 or 2
    void AssignEmptyStr();                                                               // 11, static empty text
    KxwDomPropertyInfo& operator=(int miValue);                                          // 4
    KxwDomPropertyInfo& operator=(const double* mpdfDouble);                  // 5; null reports and gives undefined
    KxwDomPropertyInfo& operator=(bool mbValue);                              // 6
    void AssignNull();                                                        // 7
    void AssignDomObjectOrNull(const KxwJswUserObjBase* mptUserObj);          // 1, or 7 for none
    void AssignUndefined();                                                   // 8
    void AssignNoValue();                                                     // 16
    KxwDomPropertyInfo& operator=(const JSObject* mptObj);                    // 10; a null object gives script null (7)
    KxwDomPropertyInfo& operator=(const KxwDomHtmlPropertyStr& mrtProperty);  // 12
    KxwDomPropertyInfo& operator=(const KxwDomHtmlPropertyNumLong& mrtProperty);  // 13
    KxwDomPropertyInfo& operator=(const KxwDomHtmlPropertyBool& mrtProperty);     // 14
    KxwDomPropertyInfo& operator=(const KxwJsval& mrtValue);                      // 15
    // From a value triple: 1 and 4 keep the word; 2 keeps pointer and length; 5 keeps the pointer (null reports
    // and gives undefined); 6 stores pointer != null; 9 and 10 take the engine value the pointer points at;
    // 7 and 8 keep nothing; anything else reports and gives undefined.
    void Assign(void* mpvPropValue, unsigned mnPropValueLen, KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType);
    void Assign(void** mppvPropValue, unsigned* mpnPropValueLen, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpePropType);
    void PartialReset();  // clears the length and the mark, keeps the value
    void SetIsSpecified(bool mbIsSpecified) { _bIsSpecified = mbIsSpecified; }

    // ---- Reading; invalid states are reported and give the fallback the comment names ----
    KXW_DOM_PROPERTY_INFO_TYPE_ENUM GetType() const { return static_cast<KXW_DOM_PROPERTY_INFO_TYPE_ENUM>(_ucType); }
    bool HasValue() const { return _ucType != KXW_DOM_PROPERTY_INFO_TYPE_NO_VALUE; }
    bool IsSpecified() const;
    // The engine value (strings and objects are made now); undefined for what cannot be converted.
    KxwJsval GetJsval() const;
    // The same into mrtValue, whatever it held: a property read makes no copy of the value.
    void GetJsval(KxwJsval& mrtValue) const;
    void* GetValue() const;
    unsigned GetLength() const;
    KXW_JSW_OBJ_PROP_TYPE_ENUM GetJswObjPropType() const;
    bool GetBoolean() const;   // false
    int GetInt() const;        // 0
    double GetDouble() const;  // 0.0
    // Text of 2 and 11 as it is; a stored string property (12) becomes type 2 with its text; an engine value is
    // converted in place (to type 2); anything else becomes the empty text (type 11). The text lives as long as
    // this info (or what it refers to).
    const char16_t* ConvertAndGetStringU16n();
    unsigned ConvertAndGetStringU16nLength();
    KxwJswUserObjBase* GetDomObject() const;  // null
    // Turns references (12 to 14) and engine values (15) into plain types, in place; returns the new type.
    KXW_DOM_PROPERTY_INFO_TYPE_ENUM ConvertToJswObjPropType();

    ~KxwDomPropertyInfo();
    KxwDomPropertyInfo(const KxwDomPropertyInfo& mrtOther);
    KxwDomPropertyInfo& operator=(const KxwDomPropertyInfo& mrtOther);

private:
    union Value {
        const void* _pvPointer;
        const KxwJswUserObjBase* _ptUserObj;
        const char16_t* _pwcStr;
        int32_t _iInt;
        const double* _pdfDouble;
        bool _bBool;
        const KxwDomHtmlPropertyStr* _ptPropertyStr;
        const KxwDomHtmlPropertyNumLong* _ptPropertyNumLong;
        const KxwDomHtmlPropertyBool* _ptPropertyBool;
    };

    // Every assignment goes through here: the type and value change together, the length and the mark are
    // cleared, and storage owned for the previous value is freed unless the new value points into it.
    void Store(KXW_DOM_PROPERTY_INFO_TYPE_ENUM meType, const Value& mrtValue);
    void StoreJsval(KXW_DOM_PROPERTY_INFO_TYPE_ENUM meType, const KxwJsval& mrtValue);
    // Takes a copy of a text converted from an engine value as this info's own (type 2).
    void StoreOwnedText(const char16_t* mpwsfStr, unsigned mnLen);
    void StoreOwnedDouble(double mdfValue);
    void FreeOwned();
    void CopyFrom(const KxwDomPropertyInfo& mrtOther);
    void ReportReadFallback(const char* mpszReason, const char* mpszFunction) const;

    Value _uValue{};
    KxwJsval _tJsval;  // 9, 10 and 15; undefined for every other type
    uint32_t _nLen = 0;
    unsigned char _bIsSpecified = 0;
    unsigned char _ucType = KXW_DOM_PROPERTY_INFO_TYPE_INVALID;
    // What a value converted from an engine value needs held for its reader: the text (type 2) or the double
    // (type 5) that _uValue then points at. Owned; null for every other value.
    void* _pvOwned = nullptr;
};
