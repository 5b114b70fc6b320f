// KxwDomStr: the dual-encoding string of every DOM property, attribute value and name.
#pragma once

#include <cstddef>
#include <cstdint>

#include "KxwDomStrEnv.h"
#include "kxw/KxwExport.h"

class KxwMemMgr;
class KxwU16nHandler;

// Holds DCS text (bytes of the page's charset, length in bytes, embedded NULs allowed) and/or UTF-16 text (length
// in units) side by side. Whichever form is missing is converted on demand through the environment's U16n handler
// and kept; without a handler DCS text is taken as windows-1252. Text buffers live on the memory manager the
// environment answered at construction (the process heap when none), and so does the string itself when made with
// the environment's operator new. A DOM page holds tens of thousands of these, so a string is only pointers and
// lengths.
//
// Copying is deleted: a copy would have to choose a memory manager. Assign(other) copies the text deeply onto this
// string's manager. The environment must outlive the string.
//
// Lengths are unsigned 32-bit, as the properties pass them; longer texts are refused with a report.
class KXW_API KxwDomStr {
public:
    explicit KxwDomStr(KxwDomStrEnvApi& mrtStrEnv);
    KxwDomStr(KxwDomStrEnvApi& mrtStrEnv, const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    KxwDomStr(KxwDomStrEnvApi& mrtStrEnv, const char16_t* mpwU16nStr, unsigned muU16nLenInChars);
    // Both forms of the same text, as the caller already has them; they are not checked against each other.
    KxwDomStr(KxwDomStrEnvApi& mrtStrEnv, const char* mpsfDcsStr, unsigned muDcsLenInBytes, const char16_t* mpwU16nStr,
              unsigned muU16nLenInChars);
    ~KxwDomStr();
    KxwDomStr(const KxwDomStr&) = delete;
    KxwDomStr& operator=(const KxwDomStr&) = delete;

    // Allocation on the environment's memory manager (the process heap when it has none). The manager is recorded in
    // front of the object, so a plain delete returns the memory to the right place.
    static void* operator new(size_t mnSize, KxwDomStrEnvApi& mrtStrEnv);
    static void* operator new(size_t mnSize);
    static void operator delete(void* mpvBlock);
    static void operator delete(void* mpvBlock, KxwDomStrEnvApi& mrtStrEnv);

    // Each assignment replaces the whole text; the other form is derived again when asked for.
    void AssignDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    void AssignU16n(const char16_t* mpwU16nStr, unsigned muU16nLenInChars);
    // Converts DCS text now and keeps only its UTF-16 form (for a handler that may not be there later).
    void AssignU16FromDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
    // Converts UTF-16 text now and keeps only its DCS form.
    void AssignDcsFromU16n(const char16_t* mpwU16nStr, unsigned muU16nLenInChars);
    // Latin-1 bytes (each byte is the code point of the same value), whatever the handler's charset.
    void AssignU16nFromLatin1(const char* mpsfLatin1Str, unsigned muLenInBytes);
    void Assign(const KxwDomStr& mrtOther);
    void Empty();

    // Both texts are NUL-terminated for C callers; an empty string gives "" (never null).
    const char* GetDcsStr() const;
    unsigned GetDcsLenInBytes() const;
    const char16_t* GetU16nStr() const;
    unsigned GetU16nLenInChars() const;
    bool IsEmpty() const;

    // Comparisons. Two strings compare as DCS bytes when both hold DCS text of the same charset, else as UTF-16.
    bool operator==(const KxwDomStr& mrtOther) const;
    bool operator!=(const KxwDomStr& mrtOther) const { return !(*this == mrtOther); }
    // This string's DCS text against DCS text in the same charset; mbIgnoreCase folds letters as
    // IsEqualIgnoringCase does. On a regular-expression description the text is matched against the expression.
    bool IsEqualDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes, bool mbIgnoreCase = false) const;
    bool IsEqualU16n(const char16_t* mpwU16nStr, unsigned muU16nLenInChars) const;
    // Letters folded by simple case folding (xfwKxwUtilU16nFoldCase).
    bool IsEqualIgnoringCase(const KxwDomStr& mrtOther) const;
    // Against an ASCII keyword, folding ASCII letters only.
    bool IsEqualIgnoringCaseAsc(const char* mpsfAscStr, unsigned muAscLen) const;
    // Blanks folded, case kept (xfbKxwUtilU16nIsEqualConsideringSpaces): link, element and option texts.
    bool IsEqualConsideringSpaces(const KxwDomStr& mrtOther) const;
    // Exact after the leading and/or trailing blanks of both sides are set aside: ids, names, values, URLs.
    bool IsEqualConsideringLeadingAndTrailingSpaces(const KxwDomStr& mrtOther, bool mbIgnoreLeading,
                                                    bool mbIgnoreTrailing) const;
    // True only for a KxwDomStrRegExp description that holds a regular expression.
    bool IsRegExp() const { return (_ucFlags & kFlagRegExp) != 0; }

    // The "specified" mark of a property value: the property classes set and clear it, the string only keeps it.
    bool IsSpecified() const { return (_ucFlags & kFlagSpecified) != 0; }
    void SetSpecified(bool mbSpecified);

    // The handler conversions use now: the environment's, or the process-wide windows-1252 handler.
    KxwU16nHandler* GetU16nHandler() const;
    KxwDomStrEnvApi& GetStrEnv() const { return *_ptStrEnv; }
    KxwMemMgr* GetMemMgr() const { return _ptMemMgr; }
    bool HasDcs() const { return (_ucFlags & kFlagHasDcs) != 0; }
    bool HasU16n() const { return (_ucFlags & kFlagHasU16n) != 0; }

protected:
    static constexpr uint8_t kFlagHasDcs = 0x01;
    static constexpr uint8_t kFlagHasU16n = 0x02;
    static constexpr uint8_t kFlagSpecified = 0x04;
    static constexpr uint8_t kFlagRegExp = 0x08;       // a description holding a regular expression
    static constexpr uint8_t kFlagDescription = 0x10;  // this object is a KxwDomStrRegExp

    void SetFlag(uint8_t mucFlag, bool mbOn) const;
    // True when the DCS text may be folded or scanned byte by byte for ASCII (see KxwU16nHandler).
    bool IsDcsAsciiSafe(const char* mpsfDcsStr, size_t mnLen) const;
    bool IsEqualDcsPlain(const char* mpsfDcsStr, unsigned muDcsLenInBytes, bool mbIgnoreCase) const;

private:
    void FreeDcs() const;
    void FreeU16n() const;
    void* AllocBuffer(size_t mnSize) const;
    void FreeBuffer(void* mpvBuffer) const;
    bool LengthOK(size_t mnLen, const char* mpszFunction) const;
    void StoreDcs(const char* mpsfDcsStr, size_t mnLen) const;
    void StoreU16n(const char16_t* mpwU16nStr, size_t mnLen) const;
    void ConvertToU16n(const char* mpsfDcsStr, size_t mnLen) const;
    void ConvertToDcs(const char16_t* mpwU16nStr, size_t mnLen) const;
    bool IsSameCharset(const KxwDomStr& mrtOther) const;

    KxwDomStrEnvApi* _ptStrEnv;
    KxwMemMgr* _ptMemMgr;
    // The forms are filled on demand by const readers, hence mutable.
    mutable char* _psfDcsStr = nullptr;
    mutable char16_t* _pwU16nStr = nullptr;
    mutable unsigned _uDcsLenInBytes = 0;
    mutable unsigned _uU16nLenInChars = 0;
    mutable uint8_t _ucFlags = 0;
};
