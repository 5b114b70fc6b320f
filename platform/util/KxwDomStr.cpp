#include "KxwDomStr.h"

#include <climits>
#include <cstring>

#include "KxwDomStrRegExp.h"
#include "KxwMemMgr.h"
#include "KxwU16nHandler.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"
#include "maw_alloc.h"

namespace {

// The manager an object came from, stored in front of it for operator delete.
constexpr size_t kObjectHeaderSize = 8;
static_assert(alignof(KxwDomStr) <= kObjectHeaderSize, "the object header keeps the string aligned");

// Conversions whose bound fits go through the stack, so the buffer kept has exactly the converted length.
constexpr size_t kStackChars = 512;

const char kszEmptyDcs[1] = "";
const char16_t kwszEmptyU16n[1] = u"";

// Pure ASCII without ESC: every byte is the ASCII character, whatever the charset (ISO-2022-JP shifts out with ESC).
bool IsPlainAscii(const char* mpsfStr, size_t mnLen) {
    for (size_t i = 0; i < mnLen; ++i) {
        auto ucByte = static_cast<unsigned char>(mpsfStr[i]);
        if (ucByte >= 0x80 || ucByte == 0x1B) return false;
    }
    return true;
}

// A scratch buffer of UTF-16 units on the stack, or on the process heap when the text is long.
class ScratchU16n {
public:
    explicit ScratchU16n(size_t mnChars) {
        if (mnChars > kStackChars) {
            _pwHeap = static_cast<char16_t*>(maw_malloc(mnChars * sizeof(char16_t)));
            if (!_pwHeap)
                KxwUtilOutOfMemoryAbort(static_cast<long>(mnChars * sizeof(char16_t)), "a KxwDomStr scratch buffer");
        }
    }
    ~ScratchU16n() { maw_free(_pwHeap); }
    ScratchU16n(const ScratchU16n&) = delete;
    ScratchU16n& operator=(const ScratchU16n&) = delete;
    char16_t* Get() { return _pwHeap ? _pwHeap : _awStack; }

private:
    char16_t _awStack[kStackChars];
    char16_t* _pwHeap = nullptr;
};

}  // namespace

KxwDomStr::KxwDomStr(KxwDomStrEnvApi& mrtStrEnv) : _ptStrEnv(&mrtStrEnv), _ptMemMgr(mrtStrEnv.GetMemMgr()) {}

KxwDomStr::KxwDomStr(KxwDomStrEnvApi& mrtStrEnv, const char* mpsfDcsStr, unsigned muDcsLenInBytes)
    : KxwDomStr(mrtStrEnv) {
    AssignDcs(mpsfDcsStr, muDcsLenInBytes);
}

KxwDomStr::KxwDomStr(KxwDomStrEnvApi& mrtStrEnv, const char16_t* mpwU16nStr, unsigned muU16nLenInChars)
    : KxwDomStr(mrtStrEnv) {
    AssignU16n(mpwU16nStr, muU16nLenInChars);
}

KxwDomStr::KxwDomStr(KxwDomStrEnvApi& mrtStrEnv, const char* mpsfDcsStr, unsigned muDcsLenInBytes,
                     const char16_t* mpwU16nStr, unsigned muU16nLenInChars)
    : KxwDomStr(mrtStrEnv) {
    if ((!mpsfDcsStr && muDcsLenInBytes) || (!mpwU16nStr && muU16nLenInChars)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpsfDcsStr=%p/%u or mpwU16nStr=%p/%u passed to KxwDomStr::KxwDomStr. this=%p",
            static_cast<const void*>(mpsfDcsStr), muDcsLenInBytes, static_cast<const void*>(mpwU16nStr),
            muU16nLenInChars, static_cast<void*>(this));
        return;
    }
    StoreDcs(mpsfDcsStr, muDcsLenInBytes);
    StoreU16n(mpwU16nStr, muU16nLenInChars);
}

KxwDomStr::~KxwDomStr() {
    FreeDcs();
    FreeU16n();
}

// ---------------------------------------------------------------------------------------------------------------
// Allocation

void* KxwDomStr::operator new(size_t mnSize, KxwDomStrEnvApi& mrtStrEnv) {
    KxwMemMgr* ptMemMgr = mrtStrEnv.GetMemMgr();
    size_t nTotal = mnSize + kObjectHeaderSize;
    void* pvBlock = ptMemMgr ? ptMemMgr->Alloc(nTotal, kObjectHeaderSize) : maw_malloc(nTotal);
    if (!pvBlock) KxwUtilOutOfMemoryAbort(static_cast<long>(nTotal), "a KxwDomStr object");
    std::memcpy(pvBlock, &ptMemMgr, sizeof ptMemMgr);
    return static_cast<char*>(pvBlock) + kObjectHeaderSize;
}

void* KxwDomStr::operator new(size_t mnSize) {
    size_t nTotal = mnSize + kObjectHeaderSize;
    void* pvBlock = maw_malloc(nTotal);
    if (!pvBlock) KxwUtilOutOfMemoryAbort(static_cast<long>(nTotal), "a KxwDomStr object");
    KxwMemMgr* ptNoMemMgr = nullptr;
    std::memcpy(pvBlock, &ptNoMemMgr, sizeof ptNoMemMgr);
    return static_cast<char*>(pvBlock) + kObjectHeaderSize;
}

void KxwDomStr::operator delete(void* mpvBlock) {
    if (!mpvBlock) return;
    char* pcBlock = static_cast<char*>(mpvBlock) - kObjectHeaderSize;
    KxwMemMgr* ptMemMgr;
    std::memcpy(&ptMemMgr, pcBlock, sizeof ptMemMgr);
    if (ptMemMgr)
        ptMemMgr->Free(pcBlock);
    else
        maw_free(pcBlock);
}

void KxwDomStr::operator delete(void* mpvBlock, KxwDomStrEnvApi&) {
    operator delete(mpvBlock);
}

void* KxwDomStr::AllocBuffer(size_t mnSize) const {
    void* pvBuffer = _ptMemMgr ? _ptMemMgr->Alloc(mnSize, 8) : maw_malloc(mnSize);
    if (!pvBuffer) KxwUtilOutOfMemoryAbort(static_cast<long>(mnSize), "KxwDomStr text");
    return pvBuffer;
}

void KxwDomStr::FreeBuffer(void* mpvBuffer) const {
    if (!mpvBuffer) return;
    if (_ptMemMgr)
        _ptMemMgr->Free(mpvBuffer);
    else
        maw_free(mpvBuffer);
}

void KxwDomStr::FreeDcs() const {
    FreeBuffer(_psfDcsStr);
    _psfDcsStr = nullptr;
    _uDcsLenInBytes = 0;
    SetFlag(kFlagHasDcs, false);
}

void KxwDomStr::FreeU16n() const {
    FreeBuffer(_pwU16nStr);
    _pwU16nStr = nullptr;
    _uU16nLenInChars = 0;
    SetFlag(kFlagHasU16n, false);
}

void KxwDomStr::SetFlag(uint8_t mucFlag, bool mbOn) const {
    _ucFlags = static_cast<uint8_t>(mbOn ? (_ucFlags | mucFlag) : (_ucFlags & ~mucFlag));
}

bool KxwDomStr::LengthOK(size_t mnLen, const char* mpszFunction) const {
    if (mnLen <= UINT_MAX) return true;
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "Text of %zu units is too long for KxwDomStr::%s. this=%p", mnLen,
                                          mpszFunction, static_cast<const void*>(this));
    return false;
}

// The Store functions replace one form with a copy; the source may be this string's own other form or even the
// same form, so the old buffer is freed only after the copy was made.
void KxwDomStr::StoreDcs(const char* mpsfDcsStr, size_t mnLen) const {
    char* psfNew = nullptr;
    if (mnLen > 0) {
        psfNew = static_cast<char*>(AllocBuffer(mnLen + 1));
        std::memcpy(psfNew, mpsfDcsStr, mnLen);
        psfNew[mnLen] = '\0';
    }
    FreeDcs();
    _psfDcsStr = psfNew;
    _uDcsLenInBytes = static_cast<unsigned>(mnLen);
    SetFlag(kFlagHasDcs, true);
}

void KxwDomStr::StoreU16n(const char16_t* mpwU16nStr, size_t mnLen) const {
    char16_t* pwNew = nullptr;
    if (mnLen > 0) {
        pwNew = static_cast<char16_t*>(AllocBuffer((mnLen + 1) * sizeof(char16_t)));
        std::memcpy(pwNew, mpwU16nStr, mnLen * sizeof(char16_t));
        pwNew[mnLen] = u'\0';
    }
    FreeU16n();
    _pwU16nStr = pwNew;
    _uU16nLenInChars = static_cast<unsigned>(mnLen);
    SetFlag(kFlagHasU16n, true);
}

KxwU16nHandler* KxwDomStr::GetU16nHandler() const {
    KxwU16nHandler* ptHandler = _ptStrEnv->GetU16nHandler();
    // Without a handler (none set, or the watched object died) DCS text is windows-1252.
    return ptHandler ? ptHandler : xfptKxwU16nHandlerGetDefault();
}

// Converts into a scratch buffer sized by the handler's bound and keeps exactly what was converted.
void KxwDomStr::ConvertToU16n(const char* mpsfDcsStr, size_t mnLen) const {
    if (mnLen == 0) {
        StoreU16n(nullptr, 0);
        return;
    }
    KxwU16nHandler* ptHandler = GetU16nHandler();
    size_t nBound = ptHandler->GetMaxU16nLenInChars(mnLen);
    ScratchU16n tScratch(nBound);
    size_t nConverted = ptHandler->ConvertDcsToU16n(mpsfDcsStr, mnLen, tScratch.Get(), nBound);
    if (!LengthOK(nConverted, "ConvertToU16n")) nConverted = 0;
    StoreU16n(tScratch.Get(), nConverted);
}

void KxwDomStr::ConvertToDcs(const char16_t* mpwU16nStr, size_t mnLen) const {
    if (mnLen == 0) {
        StoreDcs(nullptr, 0);
        return;
    }
    KxwU16nHandler* ptHandler = GetU16nHandler();
    size_t nBound = ptHandler->GetMaxDcsLenInBytes(mnLen);
    char acStack[kStackChars * 2];
    char* psfScratch = acStack;
    if (nBound > sizeof acStack) {
        psfScratch = static_cast<char*>(maw_malloc(nBound));
        if (!psfScratch) KxwUtilOutOfMemoryAbort(static_cast<long>(nBound), "a KxwDomStr scratch buffer");
    }
    size_t nConverted = ptHandler->ConvertU16nToDcs(mpwU16nStr, mnLen, psfScratch, nBound);
    if (!LengthOK(nConverted, "ConvertToDcs")) nConverted = 0;
    StoreDcs(psfScratch, nConverted);
    if (psfScratch != acStack) maw_free(psfScratch);
}

// ---------------------------------------------------------------------------------------------------------------
// Assignment

void KxwDomStr::AssignDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (!mpsfDcsStr && muDcsLenInBytes) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpsfDcsStr is NULL for muDcsLenInBytes=%u in KxwDomStr::AssignDcs. "
                                              "this=%p",
                                              muDcsLenInBytes, static_cast<void*>(this));
        muDcsLenInBytes = 0;
    }
    StoreDcs(mpsfDcsStr, muDcsLenInBytes);
    FreeU16n();
}

void KxwDomStr::AssignU16n(const char16_t* mpwU16nStr, unsigned muU16nLenInChars) {
    if (!mpwU16nStr && muU16nLenInChars) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpwU16nStr is NULL for muU16nLenInChars=%u in KxwDomStr::AssignU16n. "
                                              "this=%p",
                                              muU16nLenInChars, static_cast<void*>(this));
        muU16nLenInChars = 0;
    }
    StoreU16n(mpwU16nStr, muU16nLenInChars);
    FreeDcs();
}

void KxwDomStr::AssignU16FromDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) {
    if (!mpsfDcsStr && muDcsLenInBytes) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpsfDcsStr is NULL for muDcsLenInBytes=%u in "
                                              "KxwDomStr::AssignU16FromDcs. this=%p",
                                              muDcsLenInBytes, static_cast<void*>(this));
        muDcsLenInBytes = 0;
    }
    ConvertToU16n(mpsfDcsStr, muDcsLenInBytes);
    FreeDcs();
}

void KxwDomStr::AssignDcsFromU16n(const char16_t* mpwU16nStr, unsigned muU16nLenInChars) {
    if (!mpwU16nStr && muU16nLenInChars) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpwU16nStr is NULL for muU16nLenInChars=%u in "
                                              "KxwDomStr::AssignDcsFromU16n. this=%p",
                                              muU16nLenInChars, static_cast<void*>(this));
        muU16nLenInChars = 0;
    }
    ConvertToDcs(mpwU16nStr, muU16nLenInChars);
    FreeU16n();
}

void KxwDomStr::AssignU16nFromLatin1(const char* mpsfLatin1Str, unsigned muLenInBytes) {
    if (!mpsfLatin1Str && muLenInBytes) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpsfLatin1Str is NULL for muLenInBytes=%u in "
                                              "KxwDomStr::AssignU16nFromLatin1. this=%p",
                                              muLenInBytes, static_cast<void*>(this));
        muLenInBytes = 0;
    }
    char16_t* pwNew = nullptr;
    if (muLenInBytes > 0) {
        pwNew = static_cast<char16_t*>(AllocBuffer((size_t{muLenInBytes} + 1) * sizeof(char16_t)));
        for (unsigned i = 0; i < muLenInBytes; ++i) pwNew[i] = static_cast<unsigned char>(mpsfLatin1Str[i]);
        pwNew[muLenInBytes] = u'\0';
    }
    FreeDcs();
    FreeU16n();
    _pwU16nStr = pwNew;
    _uU16nLenInChars = muLenInBytes;
    SetFlag(kFlagHasU16n, true);
}

void KxwDomStr::Assign(const KxwDomStr& mrtOther) {
    if (&mrtOther == this) return;
    // Both forms are copied as they stand; a form the other string has not made yet is made here on demand.
    bool bOtherHasDcs = mrtOther.HasDcs();
    bool bOtherHasU16n = mrtOther.HasU16n();
    if (bOtherHasDcs)
        StoreDcs(mrtOther._psfDcsStr, mrtOther._uDcsLenInBytes);
    else
        FreeDcs();
    if (bOtherHasU16n)
        StoreU16n(mrtOther._pwU16nStr, mrtOther._uU16nLenInChars);
    else
        FreeU16n();
    // DCS text of another charset must travel as UTF-16.
    if (bOtherHasDcs && !IsSameCharset(mrtOther)) {
        if (!bOtherHasU16n) StoreU16n(mrtOther.GetU16nStr(), mrtOther.GetU16nLenInChars());
        FreeDcs();
    }
}

void KxwDomStr::Empty() {
    FreeDcs();
    FreeU16n();
}

void KxwDomStr::SetSpecified(bool mbSpecified) {
    SetFlag(kFlagSpecified, mbSpecified);
}

// ---------------------------------------------------------------------------------------------------------------
// Reading

const char* KxwDomStr::GetDcsStr() const {
    if (!HasDcs() && HasU16n()) ConvertToDcs(_pwU16nStr, _uU16nLenInChars);
    return _psfDcsStr ? _psfDcsStr : kszEmptyDcs;
}

unsigned KxwDomStr::GetDcsLenInBytes() const {
    if (!HasDcs() && HasU16n()) ConvertToDcs(_pwU16nStr, _uU16nLenInChars);
    return _uDcsLenInBytes;
}

const char16_t* KxwDomStr::GetU16nStr() const {
    if (!HasU16n() && HasDcs()) ConvertToU16n(_psfDcsStr, _uDcsLenInBytes);
    return _pwU16nStr ? _pwU16nStr : kwszEmptyU16n;
}

unsigned KxwDomStr::GetU16nLenInChars() const {
    if (!HasU16n() && HasDcs()) ConvertToU16n(_psfDcsStr, _uDcsLenInBytes);
    return _uU16nLenInChars;
}

// Both forms, when present, hold the same text, so either length tells emptiness without converting.
bool KxwDomStr::IsEmpty() const {
    if (HasDcs()) return _uDcsLenInBytes == 0;
    if (HasU16n()) return _uU16nLenInChars == 0;
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Comparisons

bool KxwDomStr::IsSameCharset(const KxwDomStr& mrtOther) const {
    KxwU16nHandler* ptMine = GetU16nHandler();
    KxwU16nHandler* ptTheirs = mrtOther.GetU16nHandler();
    return ptMine == ptTheirs || std::strcmp(ptMine->GetCharsetName(), ptTheirs->GetCharsetName()) == 0;
}

bool KxwDomStr::IsDcsAsciiSafe(const char* mpsfDcsStr, size_t mnLen) const {
    return GetU16nHandler()->IsAsciiTransparent() || IsPlainAscii(mpsfDcsStr, mnLen);
}

bool KxwDomStr::operator==(const KxwDomStr& mrtOther) const {
    if (&mrtOther == this) return true;
    if (IsEmpty() || mrtOther.IsEmpty()) return IsEmpty() && mrtOther.IsEmpty();
    if (HasDcs() && mrtOther.HasDcs() && IsSameCharset(mrtOther))
        return _uDcsLenInBytes == mrtOther._uDcsLenInBytes &&
               std::memcmp(_psfDcsStr, mrtOther._psfDcsStr, _uDcsLenInBytes) == 0;
    return IsEqualU16n(mrtOther.GetU16nStr(), mrtOther.GetU16nLenInChars());
}

bool KxwDomStr::IsEqualDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes, bool mbIgnoreCase) const {
    // Descriptions are told apart by a flag rather than a virtual table, which would cost every string a pointer.
    if (_ucFlags & kFlagDescription)
        return static_cast<const KxwDomStrRegExp*>(this)->IsEqualDcs(mpsfDcsStr, muDcsLenInBytes, mbIgnoreCase);
    return IsEqualDcsPlain(mpsfDcsStr, muDcsLenInBytes, mbIgnoreCase);
}

bool KxwDomStr::IsEqualDcsPlain(const char* mpsfDcsStr, unsigned muDcsLenInBytes, bool mbIgnoreCase) const {
    if (!mpsfDcsStr && muDcsLenInBytes) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mpsfDcsStr is NULL for muDcsLenInBytes=%u in KxwDomStr::IsEqualDcs. this=%p", muDcsLenInBytes,
            static_cast<const void*>(this));
        return false;
    }
    const char* psfMine = GetDcsStr();
    unsigned uMyLen = GetDcsLenInBytes();
    if (!mbIgnoreCase)
        return uMyLen == muDcsLenInBytes && (uMyLen == 0 || std::memcmp(psfMine, mpsfDcsStr, uMyLen) == 0);
    if (IsPlainAscii(psfMine, uMyLen) && IsPlainAscii(mpsfDcsStr, muDcsLenInBytes))
        return xfbKxwUtilIsEqualIgnoreCase(psfMine, uMyLen, mpsfDcsStr, muDcsLenInBytes);
    // Letters outside ASCII (and trail bytes that look like ASCII) need the UTF-16 form of both sides.
    KxwU16nHandler* ptHandler = GetU16nHandler();
    size_t nBound = ptHandler->GetMaxU16nLenInChars(muDcsLenInBytes);
    ScratchU16n tScratch(nBound);
    size_t nLen = ptHandler->ConvertDcsToU16n(mpsfDcsStr, muDcsLenInBytes, tScratch.Get(), nBound);
    return nLen == GetU16nLenInChars() && xfbKxwU16IsEqualIgnoringCaseByLen(GetU16nStr(), tScratch.Get(), nLen);
}

bool KxwDomStr::IsEqualU16n(const char16_t* mpwU16nStr, unsigned muU16nLenInChars) const {
    if (!mpwU16nStr && muU16nLenInChars) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mpwU16nStr is NULL for muU16nLenInChars=%u in KxwDomStr::IsEqualU16n. this=%p", muU16nLenInChars,
            static_cast<const void*>(this));
        return false;
    }
    unsigned uMyLen = GetU16nLenInChars();
    return uMyLen == muU16nLenInChars &&
           (uMyLen == 0 || std::memcmp(GetU16nStr(), mpwU16nStr, uMyLen * sizeof(char16_t)) == 0);
}

bool KxwDomStr::IsEqualIgnoringCase(const KxwDomStr& mrtOther) const {
    if (&mrtOther == this) return true;
    if (HasDcs() && mrtOther.HasDcs() && IsSameCharset(mrtOther) && IsPlainAscii(_psfDcsStr, _uDcsLenInBytes) &&
        IsPlainAscii(mrtOther._psfDcsStr, mrtOther._uDcsLenInBytes))
        return xfbKxwUtilIsEqualIgnoreCase(_psfDcsStr, _uDcsLenInBytes, mrtOther._psfDcsStr, mrtOther._uDcsLenInBytes);
    unsigned uMyLen = GetU16nLenInChars();
    return uMyLen == mrtOther.GetU16nLenInChars() &&
           xfbKxwU16IsEqualIgnoringCaseByLen(GetU16nStr(), mrtOther.GetU16nStr(), uMyLen);
}

bool KxwDomStr::IsEqualIgnoringCaseAsc(const char* mpsfAscStr, unsigned muAscLen) const {
    if (!mpsfAscStr && muAscLen) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mpsfAscStr is NULL for muAscLen=%u in KxwDomStr::IsEqualIgnoringCaseAsc. this=%p", muAscLen,
            static_cast<const void*>(this));
        return false;
    }
    // A byte >= 0x80 of an ASCII-safe text can never equal a keyword byte, so the byte comparison is exact.
    if (HasDcs() && IsDcsAsciiSafe(_psfDcsStr, _uDcsLenInBytes))
        return xfbKxwUtilIsEqualIgnoreCase(_psfDcsStr, _uDcsLenInBytes, mpsfAscStr, muAscLen);
    return xfbKxwUtilU16nIsEqualToAscIgnoreCase(GetU16nStr(), GetU16nLenInChars(), mpsfAscStr, muAscLen);
}

bool KxwDomStr::IsEqualConsideringSpaces(const KxwDomStr& mrtOther) const {
    return xfbKxwUtilU16nIsEqualConsideringSpaces(GetU16nStr(), GetU16nLenInChars(), mrtOther.GetU16nStr(),
                                                  mrtOther.GetU16nLenInChars());
}

bool KxwDomStr::IsEqualConsideringLeadingAndTrailingSpaces(const KxwDomStr& mrtOther, bool mbIgnoreLeading,
                                                           bool mbIgnoreTrailing) const {
    return xfbKxwUtilU16nIsEqualConsideringLeadingAndTrailingSpaces(GetU16nStr(), GetU16nLenInChars(),
                                                                    mrtOther.GetU16nStr(), mrtOther.GetU16nLenInChars(),
                                                                    mbIgnoreLeading, mbIgnoreTrailing);
}
