#include "KxwAutomationRegistry.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <deque>

namespace {

int HexDigit(char mc) {
    if (mc >= '0' && mc <= '9') return mc - '0';
    if (mc >= 'a' && mc <= 'f') return mc - 'a' + 10;
    if (mc >= 'A' && mc <= 'F') return mc - 'A' + 10;
    return -1;
}

bool ParseHex(const char* mpsf, size_t mnDigits, uint64_t& mruValue) {
    mruValue = 0;
    for (size_t n = 0; n < mnDigits; ++n) {
        int i = HexDigit(mpsf[n]);
        if (i < 0) return false;
        mruValue = (mruValue << 4) | static_cast<unsigned>(i);
    }
    return true;
}

bool StartsWithNoCase(const char* mpsf, size_t mnLen, const char* mpszPrefix) {
    size_t nPrefix = std::strlen(mpszPrefix);
    if (mnLen < nPrefix) return false;
    for (size_t n = 0; n < nPrefix; ++n) {
        char c = mpsf[n];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != mpszPrefix[n]) return false;
    }
    return true;
}

struct Entry {
    KxwGuid _tClassId;
    KxwAutoClassInfo _tInfo;
};

// Filled at start-up and read by every virtual user's thread: the mutex keeps a late registration safe.
std::mutex& RegistryMutex() {
    static std::mutex s_tMutex;
    return s_tMutex;
}

// A deque: an entry found under the lock stays where it is when a later registration grows the list.
std::deque<Entry>& Entries() {
    static std::deque<Entry> s_tEntries;
    return s_tEntries;
}

KxwAutoResult Create(const Entry* mptEntry, KxwAutoRef<KxwAutomation>& mrtResult) {
    if (!mptEntry) return KXW_AUTO_E_CLASSNOTREG;
    KxwAutomation* ptObject = mptEntry->_tInfo._pfCreate ? mptEntry->_tInfo._pfCreate() : nullptr;
    if (!ptObject) return KXW_AUTO_E_FAIL;
    mrtResult = KxwAutoRef<KxwAutomation>::Adopt(ptObject);
    return KXW_AUTO_S_OK;
}

}  // namespace

bool KxwGuid::Parse(const char* mpsfText, size_t mnLen, KxwGuid& mrtResult) {
    if (!mpsfText) return false;
    if (mnLen == 38) {
        if (mpsfText[0] != '{' || mpsfText[37] != '}') return false;
        ++mpsfText;
        mnLen -= 2;
    }
    if (mnLen != 36 || mpsfText[8] != '-' || mpsfText[13] != '-' || mpsfText[18] != '-' || mpsfText[23] != '-')
        return false;
    uint64_t u1, u2, u3, u4, u5;
    if (!ParseHex(mpsfText, 8, u1) || !ParseHex(mpsfText + 9, 4, u2) || !ParseHex(mpsfText + 14, 4, u3) ||
        !ParseHex(mpsfText + 19, 4, u4) || !ParseHex(mpsfText + 24, 12, u5))
        return false;
    mrtResult._uData1 = static_cast<uint32_t>(u1);
    mrtResult._uData2 = static_cast<uint16_t>(u2);
    mrtResult._uData3 = static_cast<uint16_t>(u3);
    mrtResult._aucData4[0] = static_cast<uint8_t>(u4 >> 8);
    mrtResult._aucData4[1] = static_cast<uint8_t>(u4);
    for (int n = 0; n < 6; ++n) mrtResult._aucData4[2 + n] = static_cast<uint8_t>(u5 >> (8 * (5 - n)));
    return true;
}

std::string KxwGuid::Format() const {
    char acBuf[40];
    std::snprintf(acBuf, sizeof acBuf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", _uData1, _uData2, _uData3,
                  _aucData4[0], _aucData4[1], _aucData4[2], _aucData4[3], _aucData4[4], _aucData4[5], _aucData4[6],
                  _aucData4[7]);
    return acBuf;
}

bool KxwGuid::operator==(const KxwGuid& mrtOther) const {
    return _uData1 == mrtOther._uData1 && _uData2 == mrtOther._uData2 && _uData3 == mrtOther._uData3 &&
           std::memcmp(_aucData4, mrtOther._aucData4, sizeof _aucData4) == 0;
}

void KxwAutomationRegistry::Register(const KxwAutoClassInfo& mrtClass) {
    KxwGuid tId;
    if (!mrtClass._pszClassId || !KxwGuid::Parse(mrtClass._pszClassId, std::strlen(mrtClass._pszClassId), tId)) return;
    std::lock_guard<std::mutex> tLock(RegistryMutex());
    for (const Entry& rtEntry : Entries())
        if (rtEntry._tClassId == tId) return;
    Entries().push_back(Entry{tId, mrtClass});
}

namespace {
// The class id of "clsid:{...}", "clsid:...", "{...}" or the bare form.
bool ParseClassIdText(const char* mpsf, size_t mnLen, KxwGuid& mrtId) {
    if (!mpsf) return false;
    if (StartsWithNoCase(mpsf, mnLen, "clsid:")) mpsf += 6, mnLen -= 6;
    while (mnLen && (*mpsf == ' ' || *mpsf == '\t')) ++mpsf, --mnLen;
    while (mnLen && (mpsf[mnLen - 1] == ' ' || mpsf[mnLen - 1] == '\t')) --mnLen;
    return KxwGuid::Parse(mpsf, mnLen, mrtId);
}
}  // namespace

KxwAutoResult KxwAutomationRegistry::CreateByClassId(const char* mpsfClassId, size_t mnLen,
                                                    KxwAutoRef<KxwAutomation>& mrtResult) {
    KxwGuid tId;
    if (!ParseClassIdText(mpsfClassId, mnLen, tId)) return KXW_AUTO_E_SYNTAX;
    const Entry* ptFound = nullptr;
    {
        std::lock_guard<std::mutex> tLock(RegistryMutex());
        for (const Entry& rtEntry : Entries())
            if (rtEntry._tClassId == tId) ptFound = &rtEntry;
    }
    return Create(ptFound, mrtResult);
}

KxwAutoResult KxwAutomationRegistry::CreateByProgId(const char* mpsfProgId, size_t mnLen,
                                                   KxwAutoRef<KxwAutomation>& mrtResult) {
    if (!mpsfProgId || !mnLen) return KXW_AUTO_E_SYNTAX;
    std::string dsName(mpsfProgId, mnLen);
    const Entry* ptFound = nullptr;
    {
        std::lock_guard<std::mutex> tLock(RegistryMutex());
        for (const Entry& rtEntry : Entries()) {
            for (const char* const* ppsz = rtEntry._tInfo._papszProgIds; ppsz && *ppsz && !ptFound; ++ppsz)
                if (std::strlen(*ppsz) == mnLen && xfbKxwAutoNameEquals(dsName.c_str(), *ppsz))
                    ptFound = &rtEntry;
            if (ptFound) break;
        }
    }
    return Create(ptFound, mrtResult);
}

bool KxwAutomationRegistry::IsRegisteredClassId(const char* mpsfClassId, size_t mnLen) {
    KxwGuid tId;
    if (!ParseClassIdText(mpsfClassId, mnLen, tId)) return false;
    std::lock_guard<std::mutex> tLock(RegistryMutex());
    for (const Entry& rtEntry : Entries())
        if (rtEntry._tClassId == tId) return true;
    return false;
}
