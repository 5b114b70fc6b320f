// Stored values of HTML attributes and DOM properties inside the objects: text, long integer, boolean and
// resettable boolean. Each carries a "specified" mark that tells a value given in the markup or by a script from a
// default. Values come from the markup (SetParsed, ignored once a value is specified) or from a script (SetValue,
// a value triple as the wrapper gives it).
#pragma once

#include <cstdint>

#include "kxw/KxwJswTypes.h"

class KxwDomStr;
class KxwDomStrEnvApi;
class KxwDomPropertyInfo;

class KxwDomHtmlPropertyBase {
public:
    virtual ~KxwDomHtmlPropertyBase() = default;
    virtual bool IsSpecified() const = 0;
    // A value from the markup; ignored when a value is already specified.
    virtual void SetParsed(const char* mpszParsedValue) = 0;
    // A value from a script. False when it cannot be converted: the stored value and its mark stay.
    virtual bool SetValue(void* mpvPropValue, unsigned mnPropValueLen, KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType) = 0;

    // A method callback stores its argument miArgIndex with SetValue. A failure is told to the script's author
    // (catalogued message -35953) and, when script errors fail the run, *mpbOK becomes false.
    bool SetMethodArgValue(const char* mpszMethodName, int miArgIndex, void* mpvValue, unsigned mnLen,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM meType, bool* mpbOK);

protected:
    KxwDomHtmlPropertyBase() = default;
    KxwDomHtmlPropertyBase(const KxwDomHtmlPropertyBase&) = default;
    KxwDomHtmlPropertyBase& operator=(const KxwDomHtmlPropertyBase&) = default;
};

// Text. The string lives on the owning object's environment and is made on the first store; the specified mark is
// the string's own flag, and every store through this class sets it. An absent string reads as the empty text.
class KxwDomHtmlPropertyStr : public KxwDomHtmlPropertyBase {
public:
    explicit KxwDomHtmlPropertyStr(KxwDomStrEnvApi& mrtStrEnv);
    // A default: both forms of the text, not marked as specified.
    KxwDomHtmlPropertyStr(KxwDomStrEnvApi& mrtStrEnv, const char* mpsfDcsStr, unsigned muDcsLenInBytes,
                          const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    ~KxwDomHtmlPropertyStr() override;
    KxwDomHtmlPropertyStr(const KxwDomHtmlPropertyStr&) = delete;
    KxwDomHtmlPropertyStr& operator=(const KxwDomHtmlPropertyStr&) = delete;

    bool IsSpecified() const override;
    void SetParsed(const char* mpszParsedValue) override;
    // Strings as they are; numbers, booleans, null and undefined as scripts write them; objects and functions by
    // their script string form.
    bool SetValue(void* mpvPropValue, unsigned mnPropValueLen, KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType) override;

    // Marks or unmarks the existing string; marking without a string stores the empty text.
    virtual void SetSpecified(bool mbSpecified);
    virtual void SetDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    virtual void SetU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    // Convert now and keep only the converted form.
    virtual void SetU16nFromDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    virtual void SetDcsFromU16n(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);
    // Deletes the string: the value and the mark go.
    void RemoveValue();

    // No value (type 16) removes the value; anything else is stored as its text.
    KxwDomHtmlPropertyStr& operator=(KxwDomPropertyInfo& mrtPropertyInfo);

    const char* GetDcsStr() const;
    unsigned GetDcsLenInBytes() const;
    const char16_t* GetU16nStr() const;
    unsigned GetU16nLenInChars() const;
    KxwDomStr* GetDomStr() const { return _ptDomStr; }
    KxwDomStrEnvApi& GetStrEnv() const { return *_ptStrEnv; }
    bool IsEmpty() const;

    bool operator==(const KxwDomStr& mrtOther) const;
    bool operator!=(const KxwDomStr& mrtOther) const { return !(*this == mrtOther); }
    bool operator==(const KxwDomHtmlPropertyStr& mrtOther) const;
    bool operator!=(const KxwDomHtmlPropertyStr& mrtOther) const { return !(*this == mrtOther); }
    bool IsEqualIgnoringCase(const KxwDomStr& mrtOther) const;
    bool IsEqualIgnoringCaseAsc(const char* mpsfAscStr, unsigned muAscLen) const;
    bool IsEqualConsideringSpaces(const KxwDomStr& mrtOther) const;
    bool IsEqualConsideringLeadingAndTrailingSpaces(const KxwDomStr& mrtOther, bool mbIgnoreLeading,
                                                    bool mbIgnoreTrailing) const;
    bool IsEqualDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes, bool mbIgnoreCase = false) const;

protected:
    // Called before the value or the mark changes, so that a subclass can drop what it derived from the value.
    virtual void ValueChanging() {}

private:
    // The string to store into, made on the environment's memory manager when there is none yet.
    KxwDomStr* ObtainDomStrForStore();
    void StoreLatin1(const char* mpsfStr, unsigned muLen);

    KxwDomStrEnvApi* _ptStrEnv;
    KxwDomStr* _ptDomStr = nullptr;
};

// A signed 32-bit number; values from outside that range are saturated.
class KxwDomHtmlPropertyNumLong : public KxwDomHtmlPropertyBase {
public:
    explicit KxwDomHtmlPropertyNumLong(long mliDefault = 0) { InitializeLong(mliDefault); }

    bool IsSpecified() const override { return (_ucFlags & kFlagSpecified) != 0; }
    // A null text stores 0; otherwise the markup's number (KXW_HTML_NUMBER_NONE when there is none).
    void SetParsed(const char* mpszParsedValue) override;
    bool SetValue(void* mpvPropValue, unsigned mnPropValueLen, KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType) override;

    long GetLong() const { return _liValue; }
    void SetLong(long mliValue);
    // Sets the value without marking it specified (defaults).
    void InitializeLong(long mliValue) { _liValue = Saturate(mliValue); }
    void SetSpecified(bool mbSpecified);
    // No value (type 16) clears the mark and keeps the value; anything else is stored as an integer.
    KxwDomHtmlPropertyNumLong& operator=(const KxwDomPropertyInfo& mrtPropertyInfo);

    // Script numbers as the property keeps them: toward zero, saturated at the 32-bit limits, NaN as 0.
    static int32_t DoubleToLong(double mdfValue);

private:
    static constexpr uint8_t kFlagSpecified = 0x01;
    static int32_t Saturate(long mliValue);

    int32_t _liValue = 0;
    uint8_t _ucFlags = 0;
};

class KxwDomHtmlPropertyBool : public KxwDomHtmlPropertyBase {
public:
    explicit KxwDomHtmlPropertyBool(bool mbDefault = false) : _ucFlags(mbDefault ? kFlagValue : 0) {}

    bool IsSpecified() const override { return (_ucFlags & kFlagSpecified) != 0; }
    // An attribute that is present is true, whatever its text.
    void SetParsed(const char* mpszParsedValue) override;
    bool SetValue(void* mpvPropValue, unsigned mnPropValueLen, KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType) override;

    bool GetBool() const { return (_ucFlags & kFlagValue) != 0; }
    void SetBool(bool mbValue);
    void SetSpecified(bool mbSpecified) { SetFlag(kFlagSpecified, mbSpecified); }
    // No value (type 16) clears the mark; anything else is stored as a boolean.
    KxwDomHtmlPropertyBool& operator=(const KxwDomPropertyInfo& mrtPropertyInfo);

    // The truth of a script value as the property takes it; false (reported) when the triple is invalid.
    static bool ObtainBoolValueOK(void* mpvPropValue, unsigned mnPropValueLen, KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType,
                                  bool& mrbResult);

protected:
    static constexpr uint8_t kFlagSpecified = 0x01;
    static constexpr uint8_t kFlagValue = 0x02;
    static constexpr uint8_t kFlagDefault = 0x04;  // the resettable kind only

    void SetFlag(uint8_t mucFlag, bool mbOn) {
        _ucFlags = static_cast<uint8_t>(mbOn ? (_ucFlags | mucFlag) : (_ucFlags & ~mucFlag));
    }

    uint8_t _ucFlags;
};

// A boolean with a default value to return to (checked and defaultChecked share one byte).
class KxwDomHtmlPropertyResettableBool : public KxwDomHtmlPropertyBool {
public:
    explicit KxwDomHtmlPropertyResettableBool(bool mbDefault = false) : KxwDomHtmlPropertyBool(mbDefault) {
        SetFlag(kFlagDefault, mbDefault);
    }

    // The markup sets the default; it sets the value and the mark too unless a value is specified already.
    void SetParsed(const char* mpszParsedValue) override;

    bool GetDefaultBool() const { return (_ucFlags & kFlagDefault) != 0; }
    void SetDefaultBool(bool mbValue) { SetFlag(kFlagDefault, mbValue); }
    bool SetDefaultValue(void* mpvPropValue, unsigned mnPropValueLen, KXW_JSW_OBJ_PROP_TYPE_ENUM mePropType);
    // The value returns to the default; the mark stays.
    void Reset() { SetFlag(kFlagValue, GetDefaultBool()); }
    // No value (type 16) returns to the default and clears the mark; anything else as the plain boolean.
    KxwDomHtmlPropertyResettableBool& operator=(const KxwDomPropertyInfo& mrtPropertyInfo);
};
