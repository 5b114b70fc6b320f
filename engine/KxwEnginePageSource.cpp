#include "KxwEnginePageSource.h"

#include <cstring>

#include "KxwU16nHandler.h"
#include "KxwiHtmlCharset.h"
#include "KxwUtilUtf.h"

namespace {

constexpr size_t knPrescanBytes = 1024;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool StartsWithIgnoringCase(const char* mpsf, size_t mnLen, const char* mpszPrefix) {
    size_t nPrefix = std::strlen(mpszPrefix);
    if (mnLen < nPrefix) return false;
    for (size_t n = 0; n < nPrefix; ++n)
        if (Lower(mpsf[n]) != mpszPrefix[n]) return false;
    return true;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// UTF-16 code units of either order to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::string& mdsBytes, size_t mnStart, bool mbBigEndian) {
    std::u16string dsUnits;
    dsUnits.reserve(mdsBytes.size() / 2);
    for (size_t n = mnStart; n + 1 < mdsBytes.size(); n += 2) {
        unsigned c0 = static_cast<unsigned char>(mdsBytes[n]), c1 = static_cast<unsigned char>(mdsBytes[n + 1]);
        dsUnits += static_cast<char16_t>(mbBigEndian ? (c0 << 8) | c1 : (c1 << 8) | c0);
    }
    return xfdsKxwUtilU16ToUtf8(dsUnits.data(), dsUnits.size(), true);
}

struct MetaAttr {
    std::string _dsName;
    std::string _dsValue;
};

// Reads one attribute of a tag at *mpnAt (lower-case name); false at the tag's end.
bool ReadAttr(const char* mpsf, size_t mnLen, size_t* mpnAt, MetaAttr* mptAttr) {
    size_t n = *mpnAt;
    while (n < mnLen && (IsBlank(mpsf[n]) || mpsf[n] == '/')) ++n;
    if (n >= mnLen || mpsf[n] == '>') {
        *mpnAt = n;
        return false;
    }
    mptAttr->_dsName.clear();
    mptAttr->_dsValue.clear();
    while (n < mnLen && !IsBlank(mpsf[n]) && mpsf[n] != '=' && mpsf[n] != '>' && mpsf[n] != '/')
        mptAttr->_dsName += Lower(mpsf[n++]);
    while (n < mnLen && IsBlank(mpsf[n])) ++n;
    if (n < mnLen && mpsf[n] == '=') {
        ++n;
        while (n < mnLen && IsBlank(mpsf[n])) ++n;
        if (n < mnLen && (mpsf[n] == '"' || mpsf[n] == '\'')) {
            char cQuote = mpsf[n++];
            while (n < mnLen && mpsf[n] != cQuote) mptAttr->_dsValue += mpsf[n++];
            if (n < mnLen) ++n;
        } else {
            while (n < mnLen && !IsBlank(mpsf[n]) && mpsf[n] != '>') mptAttr->_dsValue += mpsf[n++];
        }
    }
    *mpnAt = n;
    return true;
}

}  // namespace

bool xfbKxwEngineFileUrlToPath(const std::string& mdsUrl, std::string* mpdsPath) {
    if (!StartsWithIgnoringCase(mdsUrl.data(), mdsUrl.size(), "file:")) return false;
    std::string dsRest = mdsUrl.substr(5);
    if (dsRest.compare(0, 2, "//") == 0) {
        size_t nSlash = dsRest.find('/', 2);
        std::string dsHost = dsRest.substr(2, nSlash == std::string::npos ? std::string::npos : nSlash - 2);
        if (!dsHost.empty() && dsHost != "localhost") return false;
        dsRest = nSlash == std::string::npos ? std::string("/") : dsRest.substr(nSlash);
    }
    // The query and fragment are not part of the file's name.
    dsRest = dsRest.substr(0, dsRest.find_first_of("?#"));
    if (dsRest.empty() || dsRest[0] != '/') return false;
    std::string dsPath;
    for (size_t n = 0; n < dsRest.size(); ++n) {
        if (dsRest[n] == '%' && n + 2 < dsRest.size() && HexValue(dsRest[n + 1]) >= 0 && HexValue(dsRest[n + 2]) >= 0) {
            char c = static_cast<char>(HexValue(dsRest[n + 1]) * 16 + HexValue(dsRest[n + 2]));
            if (c == '\0') return false;
            dsPath += c;
            n += 2;
        } else {
            dsPath += dsRest[n];
        }
    }
    *mpdsPath = dsPath;
    return true;
}

std::string xfdsKxwEngineCharsetForLabel(const char* mpsfLabel, size_t mnLen) {
    const char* pszCanonical = xfpszKxwU16nGetCanonicalCharsetName(mpsfLabel, mnLen);
    if (!pszCanonical) return std::string();
    if (std::strcmp(pszCanonical, "iso-8859-1") == 0 || std::strcmp(pszCanonical, "us-ascii") == 0)
        return "windows-1252";
    return pszCanonical;
}

std::string xfdsKxwEnginePrescanMetaCharset(const char* mpsfBytes, size_t mnLen) {
    if (mnLen > knPrescanBytes) mnLen = knPrescanBytes;
    for (size_t n = 0; n < mnLen; ++n) {
        if (mpsfBytes[n] != '<') continue;
        if (StartsWithIgnoringCase(mpsfBytes + n, mnLen - n, "<!--")) {
            const char* psfEnd = static_cast<const char*>(memmem(mpsfBytes + n + 4, mnLen - n - 4, "-->", 3));
            if (!psfEnd) return std::string();
            n = static_cast<size_t>(psfEnd - mpsfBytes) + 2;
            continue;
        }
        if (!StartsWithIgnoringCase(mpsfBytes + n, mnLen - n, "<meta") || n + 5 >= mnLen ||
            !(IsBlank(mpsfBytes[n + 5]) || mpsfBytes[n + 5] == '/'))
            continue;
        size_t nAt = n + 5;
        MetaAttr tAttr;
        std::string dsCharset, dsContent;
        bool bHttpEquivContentType = false;
        while (ReadAttr(mpsfBytes, mnLen, &nAt, &tAttr)) {
            if (tAttr._dsName == "charset" && dsCharset.empty()) dsCharset = tAttr._dsValue;
            if (tAttr._dsName == "content" && dsContent.empty()) dsContent = tAttr._dsValue;
            if (tAttr._dsName == "http-equiv" &&
                StartsWithIgnoringCase(tAttr._dsValue.data(), tAttr._dsValue.size(), "content-type"))
                bHttpEquivContentType = true;
        }
        const char* psfFound = nullptr;
        size_t nFound = 0;
        if (dsCharset.empty() && bHttpEquivContentType &&
            xfbKxwiHtmlFindCharsetInContent(dsContent.data(), dsContent.size(), &psfFound, &nFound))
            dsCharset.assign(psfFound, nFound);
        n = nAt;
        if (dsCharset.empty()) continue;
        // A page that calls itself UTF-16 was read as bytes that are not: those bytes are ASCII-compatible.
        if (StartsWithIgnoringCase(dsCharset.data(), dsCharset.size(), "utf-16") ||
            StartsWithIgnoringCase(dsCharset.data(), dsCharset.size(), "unicode"))
            return "utf-8";
        return xfdsKxwEngineCharsetForLabel(dsCharset.data(), dsCharset.size());
    }
    return std::string();
}

void xfvKxwEngineSniffCharset(KxwEnginePageSource* mptSource, const std::string& mdsHeaderCharset) {
    std::string& rdsBytes = mptSource->_dsBytes;
    auto Starts = [&](const char* mpszBom, size_t mnLen) {
        return rdsBytes.size() >= mnLen && std::memcmp(rdsBytes.data(), mpszBom, mnLen) == 0;
    };
    mptSource->_dsCharset.clear();
    mptSource->_dsCharsetSource.clear();
    if (Starts("\xEF\xBB\xBF", 3)) {
        rdsBytes.erase(0, 3);
        mptSource->_dsCharset = "utf-8";
        mptSource->_dsCharsetSource = "bom";
    } else if (Starts("\xFF\xFE", 2) || Starts("\xFE\xFF", 2)) {
        rdsBytes = Utf16ToUtf8(rdsBytes, 2, rdsBytes[0] == '\xFE');
        mptSource->_dsCharset = "utf-8";
        mptSource->_dsCharsetSource = "bom";
    } else if (!mdsHeaderCharset.empty()) {
        mptSource->_dsCharset = mdsHeaderCharset;
        mptSource->_dsCharsetSource = "header";
    } else {
        mptSource->_dsCharset = xfdsKxwEnginePrescanMetaCharset(rdsBytes.data(), rdsBytes.size());
        if (!mptSource->_dsCharset.empty()) mptSource->_dsCharsetSource = "meta";
    }
}
