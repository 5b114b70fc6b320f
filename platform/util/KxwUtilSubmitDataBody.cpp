#include "KxwUtilSubmitDataBody.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "KxwUtilEscape.h"
#include "KxwUtilReport.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwVUserVars.h"

namespace {

// A file larger than this is not read into the body: the request would not fit the virtual user's memory.
constexpr off_t knMaxFileBytes = off_t{1} << 30;
// Boundaries drawn before giving up on one that none of the parts holds (each is 64 random bits).
constexpr unsigned kuMaxBoundaryDraws = 100;

const std::string& EmptyString() {
    static const std::string kdsEmpty;
    return kdsEmpty;
}

// The C-style form of a text for a report line, cut to a readable length.
std::string EscapeForReport(const std::string& mdsText) {
    char acBuffer[512];
    size_t nFull = xfnKxwUtilCStyleEncodeBuf(mdsText.data(), mdsText.size(), acBuffer, sizeof acBuffer);
    std::string dsResult(acBuffer);
    if (nFull >= sizeof acBuffer) dsResult += "...";
    return dsResult;
}

bool IsUrlLiteral(unsigned char mucByte) {
    return (mucByte >= 'A' && mucByte <= 'Z') || (mucByte >= 'a' && mucByte <= 'z') ||
           (mucByte >= '0' && mucByte <= '9') || mucByte == '*' || mucByte == '-' || mucByte == '.' || mucByte == '_';
}

void AppendUrlEncoded(std::string& mrdsOut, const std::string& mdsText, bool mbEncodeAtSign) {
    static const char kacHex[] = "0123456789ABCDEF";
    for (char c : mdsText) {
        auto uc = static_cast<unsigned char>(c);
        if (IsUrlLiteral(uc) || (uc == '@' && !mbEncodeAtSign)) {
            mrdsOut += c;
        } else if (uc == ' ') {
            mrdsOut += '+';
        } else {
            mrdsOut += '%';
            mrdsOut += kacHex[uc >> 4];
            mrdsOut += kacHex[uc & 0x0F];
        }
    }
}

// A name or file name inside a quoted header parameter: a quote or a line break would end the parameter or the
// header, so that a page could add headers or parts of its own.
std::string EscapeForHeader(const std::string& mdsText) {
    std::string dsOut;
    dsOut.reserve(mdsText.size());
    for (char c : mdsText) {
        if (c == '"')
            dsOut += "%22";
        else if (c == '\r')
            dsOut += "%0D";
        else if (c == '\n')
            dsOut += "%0A";
        else
            dsOut += c;
    }
    return dsOut;
}

std::string BaseNameOf(const std::string& mdsPath) {
    size_t nSlash = mdsPath.rfind('/');
    return nSlash == std::string::npos ? mdsPath : mdsPath.substr(nSlash + 1);
}

// The file's bytes, or false with the reason. Only a regular file is read: a device or a pipe named by a step
// could block the virtual user or never end.
bool ReadWholeFile(const std::string& mdsPath, std::string* mpdsContent, std::string* mpdsReason) {
    if (mdsPath.find('\0') != std::string::npos) {
        *mpdsReason = "the path holds a NUL byte";
        return false;
    }
    int iFd = open(mdsPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (iFd < 0) {
        *mpdsReason = std::strerror(errno);
        return false;
    }
    struct stat tStat;
    bool bOK = false;
    if (fstat(iFd, &tStat) != 0) {
        *mpdsReason = std::strerror(errno);
    } else if (!S_ISREG(tStat.st_mode)) {
        *mpdsReason = "not a regular file";
    } else if (tStat.st_size > knMaxFileBytes) {
        *mpdsReason = "larger than 1 GiB";
    } else {
        mpdsContent->resize(static_cast<size_t>(tStat.st_size));
        size_t nGot = 0;
        bOK = true;
        while (nGot < mpdsContent->size()) {
            ssize_t nRead = read(iFd, &(*mpdsContent)[nGot], mpdsContent->size() - nGot);
            if (nRead < 0 && errno == EINTR) continue;
            if (nRead < 0) {
                *mpdsReason = std::strerror(errno);
                bOK = false;
                break;
            }
            if (nRead == 0) break;  // the file shrank while it was read: what is there is sent
            nGot += static_cast<size_t>(nRead);
        }
        mpdsContent->resize(bOK ? nGot : 0);
    }
    close(iFd);
    return bOK;
}

bool IsHighSurrogate(char16_t mwUnit) {
    return mwUnit >= 0xD800 && mwUnit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t mwUnit) {
    return mwUnit >= 0xDC00 && mwUnit <= 0xDFFF;
}

}  // namespace

KxwUtilSubmitDataBody::KxwUtilSubmitDataBody(KxwVUserVars* mptVUserVars)
    : _ptVUserVars(mptVUserVars), _tConverter(nullptr) {}

void KxwUtilSubmitDataBody::Reset() {
    _tPairs.clear();
    Changed();
}

void KxwUtilSubmitDataBody::SetEncType(KXW_UTIL_ENC_TYPE_ENUM meEncType) {
    if (meEncType != KXW_UTIL_ENC_TYPE_URLENCODED && meEncType != KXW_UTIL_ENC_TYPE_MULTIPART &&
        meEncType != KXW_UTIL_ENC_TYPE_TEXT_PLAIN) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "meEncType=%d unsupported by KxwUtilSubmitDataBody::SetEncType. "
                                              "Assuming KXW_UTIL_ENC_TYPE_URLENCODED. this=%p",
                                              static_cast<int>(meEncType), static_cast<void*>(this));
        meEncType = KXW_UTIL_ENC_TYPE_URLENCODED;
    }
    _eEncType = meEncType;
    Changed();
}

void KxwUtilSubmitDataBody::SetRequestConversionCharset(const char* mpszCharset) {
    std::string dsName = mpszCharset ? mpszCharset : "";
    // A form sets its page's charset at every submission: an unknown one is reported the first time only.
    if (dsName == _dsCharsetAsGiven) return;
    _dsCharsetAsGiven = dsName;
    Changed();
    if (dsName.empty()) {
        _tConverter.Reset(nullptr);
        return;
    }
    const char* pszCanonical = xfpszKxwU16nGetCanonicalCharsetName(dsName.data(), dsName.size());
    if (!pszCanonical) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                 "Unknown charset \"%s\" for a form's request: windows-1252 is used instead",
                                 EscapeForReport(dsName).c_str());
        _tConverter.Reset(nullptr);
        return;
    }
    _tConverter.Reset(pszCanonical);
}

bool KxwUtilSubmitDataBody::AddNameAndValueOK(const char* mpsfName, unsigned muNameLen, const char* mpsfValue,
                                              unsigned muValueLen, bool mbIsFile,
                                              KXWI_BROWSER_MAJOR_TYPE_ENUM meBrowser,
                                              KXW_UTIL_ENCODE_AT_SIGN_ENUM meAtSign, bool mbInRequestCharset) {
    // Both browser families encode "@" unless told never to.
    (void)meBrowser;
    if ((!mpsfName && muNameLen) || (!mpsfValue && muValueLen)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mpsfName=%p/muNameLen=%u or mpsfValue=%p/muValueLen=%u in "
                                              "KxwUtilSubmitDataBody::AddNameAndValueOK. this=%p",
                                              static_cast<const void*>(mpsfName), muNameLen,
                                              static_cast<const void*>(mpsfValue), muValueLen,
                                              static_cast<void*>(this));
        return false;
    }
    Pair tPair;
    if (muNameLen) tPair._dsName.assign(mpsfName, muNameLen);
    if (muValueLen) tPair._dsValue.assign(mpsfValue, muValueLen);
    tPair._bIsFile = mbIsFile;
    tPair._bEncodeAtSign = meAtSign != KXW_UTIL_ENCODE_AT_SIGN_NEVER;
    tPair._bInRequestCharset = mbInRequestCharset;
    _tPairs.push_back(std::move(tPair));
    Changed();
    return true;
}

bool KxwUtilSubmitDataBody::AddNameAndValueU16nOK(const char16_t* mpwName, unsigned muNameLen, const char16_t* mpwValue,
                                                  unsigned muValueLen, bool mbIsFile,
                                                  KXWI_BROWSER_MAJOR_TYPE_ENUM meBrowser,
                                                  KXW_UTIL_ENCODE_AT_SIGN_ENUM meAtSign) {
    if ((!mpwName && muNameLen) || (!mpwValue && muValueLen)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mpwName=%p/muNameLen=%u or mpwValue=%p/muValueLen=%u in "
                                              "KxwUtilSubmitDataBody::AddNameAndValueU16nOK. this=%p",
                                              static_cast<const void*>(mpwName), muNameLen,
                                              static_cast<const void*>(mpwValue), muValueLen, static_cast<void*>(this));
        return false;
    }
    std::string dsName = ConvertToRequestCharset(mpwName, muNameLen);
    if (mbIsFile) {
        // A path is the system's name of a file: a character reference would name another one.
        std::string dsPath = xfdsKxwUtilU16ToUtf8(mpwValue, muValueLen, true);
        return AddNameAndValueOK(dsName.data(), static_cast<unsigned>(dsName.size()), dsPath.data(),
                                 static_cast<unsigned>(dsPath.size()), true, meBrowser, meAtSign, false);
    }
    std::string dsValue = ConvertToRequestCharset(mpwValue, muValueLen);
    return AddNameAndValueOK(dsName.data(), static_cast<unsigned>(dsName.size()), dsValue.data(),
                             static_cast<unsigned>(dsValue.size()), false, meBrowser, meAtSign, true);
}

std::string KxwUtilSubmitDataBody::ConvertToRequestCharset(const char16_t* mpwText, unsigned muLen) {
    std::string dsOut;
    if (muLen == 0) return dsOut;
    // A lone surrogate is no character: it goes as U+FFFD, as a browser's form data has it.
    std::u16string dsText(mpwText, muLen);
    for (size_t n = 0; n < dsText.size(); ++n) {
        if (IsHighSurrogate(dsText[n]) && n + 1 < dsText.size() && IsLowSurrogate(dsText[n + 1])) {
            ++n;
        } else if (IsHighSurrogate(dsText[n]) || IsLowSurrogate(dsText[n])) {
            dsText[n] = 0xFFFD;
        }
    }
    auto Convert = [this](const char16_t* mpwFrom, size_t mnLen) {
        std::string dsBytes(_tConverter.GetMaxDcsLenInBytes(mnLen), '\0');
        dsBytes.resize(_tConverter.ConvertU16nToDcs(mpwFrom, mnLen, &dsBytes[0], dsBytes.size()));
        return dsBytes;
    };
    if (std::strcmp(_tConverter.GetCharsetName(), "utf-8") == 0) return Convert(dsText.data(), dsText.size());
    // Characters the charset holds are converted a run at a time (a stateful charset switches once per run); each
    // that it cannot hold, which the converter makes a lone "?", becomes a character reference.
    size_t nRunStart = 0;
    size_t n = 0;
    while (n < dsText.size()) {
        size_t nUnits = IsHighSurrogate(dsText[n]) && n + 1 < dsText.size() ? 2 : 1;
        uint32_t uCodePoint =
            nUnits == 2 ? 0x10000 + ((dsText[n] - 0xD800u) << 10) + (dsText[n + 1] - 0xDC00u) : dsText[n];
        if (uCodePoint != '?' && Convert(&dsText[n], nUnits) == "?") {
            dsOut += Convert(&dsText[nRunStart], n - nRunStart);
            dsOut += "&#" + std::to_string(uCodePoint) + ";";
            nRunStart = n + nUnits;
        }
        n += nUnits;
    }
    dsOut += Convert(&dsText[nRunStart], dsText.size() - nRunStart);
    return dsOut;
}

const std::string& KxwUtilSubmitDataBody::GetName(unsigned muIndex) const {
    return muIndex < _tPairs.size() ? _tPairs[muIndex]._dsName : EmptyString();
}

const std::string& KxwUtilSubmitDataBody::GetValue(unsigned muIndex) const {
    return muIndex < _tPairs.size() ? _tPairs[muIndex]._dsValue : EmptyString();
}

bool KxwUtilSubmitDataBody::IsFile(unsigned muIndex) const {
    return muIndex < _tPairs.size() && _tPairs[muIndex]._bIsFile;
}

std::string KxwUtilSubmitDataBody::GetBody() const {
    Render();
    return _dsBody;
}

std::string KxwUtilSubmitDataBody::GetContentType() const {
    switch (_eEncType) {
        case KXW_UTIL_ENC_TYPE_MULTIPART:
            Render();
            return "multipart/form-data; boundary=" + _dsBoundary;
        case KXW_UTIL_ENC_TYPE_TEXT_PLAIN:
            return "text/plain";
        default:
            return "application/x-www-form-urlencoded";
    }
}

std::string KxwUtilSubmitDataBody::MakeBoundary(std::mt19937& mrtRandom) {
    static const char kacHex[] = "0123456789abcdef";
    std::string dsBoundary(27, '-');
    for (int i = 0; i < 2; ++i) {
        uint32_t uBits = static_cast<uint32_t>(mrtRandom());
        for (int iShift = 28; iShift >= 0; iShift -= 4) dsBoundary += kacHex[(uBits >> iShift) & 0x0F];
    }
    return dsBoundary;
}

const char* KxwUtilSubmitDataBody::GetFileContentType(const std::string& mdsFileName) {
    static const struct {
        const char* _pszExtension;
        const char* _pszType;
    } katTypes[] = {{".txt", "text/plain"}, {".htm", "text/html"},   {".html", "text/html"}, {".gif", "image/gif"},
                    {".jpg", "image/jpeg"}, {".jpeg", "image/jpeg"}, {".png", "image/png"}};
    size_t nDot = mdsFileName.rfind('.');
    if (nDot != std::string::npos) {
        std::string dsExtension = mdsFileName.substr(nDot);
        for (char& c : dsExtension)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
        for (const auto& rtType : katTypes)
            if (dsExtension == rtType._pszExtension) return rtType._pszType;
    }
    return "application/octet-stream";
}

std::string KxwUtilSubmitDataBody::DrawBoundary() const {
    KxwVUserVars* ptVUserVars = _ptVUserVars;
    if (!ptVUserVars)
        ptVUserVars = KxwVUserVars::_fptGet("KxwUtilSubmitDataBody::DrawBoundary", KXW_VUSER_VARS_MAY_BE_ABSENT);
    return MakeBoundary(ptVUserVars ? ptVUserVars->GetRandom() : _tLocalRandom);
}

std::string KxwUtilSubmitDataBody::PathOf(const Pair& mrtPair) const {
    const std::string& rdsPath = mrtPair._dsValue;
    bool bAscii = true;
    for (char c : rdsPath) bAscii = bAscii && static_cast<unsigned char>(c) < 0x80;
    if (!mrtPair._bInRequestCharset || bAscii || std::strcmp(_tConverter.GetCharsetName(), "utf-8") == 0)
        return rdsPath;
    std::u16string dsU16n(_tConverter.GetMaxU16nLenInChars(rdsPath.size()), u'\0');
    dsU16n.resize(_tConverter.ConvertDcsToU16n(rdsPath.data(), rdsPath.size(), &dsU16n[0], dsU16n.size()));
    return xfdsKxwUtilU16ToUtf8(dsU16n.data(), dsU16n.size(), true);
}

void KxwUtilSubmitDataBody::Render() const {
    if (_bRendered) return;
    _dsBody.clear();
    _dsBoundary.clear();
    switch (_eEncType) {
        case KXW_UTIL_ENC_TYPE_MULTIPART:
            RenderMultipart();
            break;
        case KXW_UTIL_ENC_TYPE_TEXT_PLAIN:
            RenderTextPlain();
            break;
        default:
            RenderUrlEncoded();
            break;
    }
    _bRendered = true;
}

void KxwUtilSubmitDataBody::RenderUrlEncoded() const {
    for (const Pair& rtPair : _tPairs) {
        if (!_dsBody.empty()) _dsBody += '&';
        AppendUrlEncoded(_dsBody, rtPair._dsName, rtPair._bEncodeAtSign);
        _dsBody += '=';
        // Only a multipart body carries a file's content: the others name the file.
        AppendUrlEncoded(_dsBody, rtPair._bIsFile ? BaseNameOf(rtPair._dsValue) : rtPair._dsValue,
                         rtPair._bEncodeAtSign);
    }
}

void KxwUtilSubmitDataBody::RenderTextPlain() const {
    for (const Pair& rtPair : _tPairs) {
        _dsBody += rtPair._dsName;
        _dsBody += '=';
        _dsBody += rtPair._bIsFile ? BaseNameOf(rtPair._dsValue) : rtPair._dsValue;
        _dsBody += "\r\n";
    }
}

void KxwUtilSubmitDataBody::RenderMultipart() const {
    // The parts' texts first: the boundary must be in none of them.
    std::vector<std::string> tNames;
    std::vector<FilePart> tFiles(_tPairs.size());
    tNames.reserve(_tPairs.size());
    for (size_t n = 0; n < _tPairs.size(); ++n) {
        const Pair& rtPair = _tPairs[n];
        tNames.push_back(EscapeForHeader(rtPair._dsName));
        if (!rtPair._bIsFile || rtPair._dsValue.empty()) continue;
        tFiles[n]._dsBaseName = EscapeForHeader(BaseNameOf(rtPair._dsValue));
        std::string dsReason;
        if (!ReadWholeFile(PathOf(rtPair), &tFiles[n]._dsContent, &dsReason))
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                     "The file \"%s\" of the form's field \"%s\" cannot be read (%s): it is sent empty",
                                     EscapeForReport(rtPair._dsValue).c_str(), EscapeForReport(rtPair._dsName).c_str(),
                                     dsReason.c_str());
    }
    auto OccursInParts = [&](const std::string& mdsBoundary) {
        for (size_t n = 0; n < _tPairs.size(); ++n) {
            if (tNames[n].find(mdsBoundary) != std::string::npos) return true;
            const std::string& rdsContent = _tPairs[n]._bIsFile ? tFiles[n]._dsContent : _tPairs[n]._dsValue;
            if (rdsContent.find(mdsBoundary) != std::string::npos) return true;
            if (tFiles[n]._dsBaseName.find(mdsBoundary) != std::string::npos) return true;
        }
        return false;
    };
    _dsBoundary = DrawBoundary();
    for (unsigned uDraws = 1; OccursInParts(_dsBoundary); ++uDraws) {
        if (uDraws >= kuMaxBoundaryDraws) {
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "No boundary outside the parts after %u draws in "
                                                  "KxwUtilSubmitDataBody::RenderMultipart. this=%p",
                                                  uDraws, static_cast<const void*>(this));
            break;
        }
        _dsBoundary = DrawBoundary();
    }
    for (size_t n = 0; n < _tPairs.size(); ++n) {
        const Pair& rtPair = _tPairs[n];
        _dsBody += "--" + _dsBoundary + "\r\nContent-Disposition: form-data; name=\"" + tNames[n] + "\"";
        if (rtPair._bIsFile) {
            _dsBody += "; filename=\"" + tFiles[n]._dsBaseName + "\"\r\nContent-Type: ";
            _dsBody += GetFileContentType(BaseNameOf(rtPair._dsValue));
            _dsBody += "\r\n\r\n" + tFiles[n]._dsContent + "\r\n";
        } else {
            _dsBody += "\r\n\r\n" + rtPair._dsValue + "\r\n";
        }
    }
    _dsBody += "--" + _dsBoundary + "--\r\n";
}
