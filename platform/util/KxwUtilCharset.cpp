#include "KxwUtilCharset.h"

#include <cstring>

#include "KxwU16nHandler.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"
#include "maw_alloc.h"

KxwUtilCharset::KxwUtilCharset(const char* mpsfAscStr, size_t mnAscLen) {
    Set(mpsfAscStr, mnAscLen);
}

KxwUtilCharset::KxwUtilCharset(const KxwUtilCharset& mrtOther) {
    Set(mrtOther._psfName, mrtOther._uLen);
}

KxwUtilCharset& KxwUtilCharset::operator=(const KxwUtilCharset& mrtOther) {
    if (&mrtOther != this) Set(mrtOther._psfName, mrtOther._uLen);
    return *this;
}

KxwUtilCharset::~KxwUtilCharset() {
    Reset();
}

void KxwUtilCharset::Set(const char* mpsfAscStr, size_t mnAscLen) {
    if ((!mpsfAscStr && mnAscLen) || mnAscLen > 0xFFFF) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mpsfAscStr=%p / mnAscLen=%zu in KxwUtilCharset::Set. this=%p",
                                              static_cast<const void*>(mpsfAscStr), mnAscLen, static_cast<void*>(this));
        Reset();
        return;
    }
    char* psfNew = nullptr;
    if (mnAscLen > 0) {
        psfNew = static_cast<char*>(maw_malloc(mnAscLen + 1));
        if (!psfNew) KxwUtilOutOfMemoryAbort(static_cast<long>(mnAscLen + 1), "a KxwUtilCharset name");
        std::memcpy(psfNew, mpsfAscStr, mnAscLen);
        psfNew[mnAscLen] = '\0';
    }
    Reset();
    _psfName = psfNew;
    _uLen = static_cast<unsigned>(mnAscLen);
}

void KxwUtilCharset::Reset() {
    maw_free(_psfName);
    _psfName = nullptr;
    _uLen = 0;
}

bool KxwUtilCharset::IsSameCharset(const KxwUtilCharset& mrtOther) const {
    const char* pszMine = xfpszKxwU16nGetCanonicalCharsetName(_psfName, _uLen);
    const char* pszTheirs = xfpszKxwU16nGetCanonicalCharsetName(mrtOther._psfName, mrtOther._uLen);
    if (pszMine && pszTheirs) return std::strcmp(pszMine, pszTheirs) == 0;
    return xfbKxwUtilIsEqualIgnoreCase(_psfName, _uLen, mrtOther._psfName, mrtOther._uLen);
}
