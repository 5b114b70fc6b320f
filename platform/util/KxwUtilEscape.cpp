#include "KxwUtilEscape.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "KxwUtilReport.h"

namespace {

bool ArgsOK(const void* mpvStr, long long mllLen, const void* mpvBuffer, const char* mpszFunction) {
    if (mllLen >= 0 && (mpvStr || mllLen == 0) && mpvBuffer) return true;
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "Invalid text %p / length %lld / buffer %p passed to %s", mpvStr, mllLen,
                                          mpvBuffer, mpszFunction);
    return false;
}

const char* HtmlEntity(unsigned char mucByte) {
    switch (mucByte) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        default:
            return nullptr;
    }
}

// Walks a text for HTML escaping and hands each byte to mrfVisit with its entity (null: written as is). ISO-2022
// text switches to two-byte characters with ESC $ and back with ESC (; bytes of those characters are never
// escaped.
template <typename Visit>
void WalkHtmlEscaping(const char* mpsfStr, int miLen, Visit&& mrfVisit) {
    const auto* pucStr = reinterpret_cast<const unsigned char*>(mpsfStr);
    bool bMultiByte = false;
    for (int i = 0; i < miLen; ++i) {
        unsigned char ucByte = pucStr[i];
        if (ucByte == 0x1B && i + 1 < miLen) {
            if (pucStr[i + 1] == '$') bMultiByte = true;
            if (pucStr[i + 1] == '(') bMultiByte = false;
        }
        mrfVisit(ucByte, bMultiByte ? nullptr : HtmlEntity(ucByte));
    }
}

long long ExactHtmlEscapedLen(const char* mpsfStr, int miLen) {
    long long llLen = 0;
    WalkHtmlEscaping(mpsfStr, miLen, [&llLen](unsigned char, const char* mpszEntity) {
        while (mpszEntity && mpszEntity[1]) {
            ++llLen;
            ++mpszEntity;
        }
        ++llLen;
    });
    return llLen;
}

int HexValue(unsigned char mucByte) {
    if (mucByte >= '0' && mucByte <= '9') return mucByte - '0';
    if (mucByte >= 'a' && mucByte <= 'f') return mucByte - 'a' + 10;
    if (mucByte >= 'A' && mucByte <= 'F') return mucByte - 'A' + 10;
    return -1;
}

int UnEscape(const char* mpsfStr, int miLen, char* mpsfBuffer, bool mbPlusAsSpace) {
    const auto* pucStr = reinterpret_cast<const unsigned char*>(mpsfStr);
    int iOut = 0;
    for (int i = 0; i < miLen; ++i) {
        unsigned char ucByte = pucStr[i];
        if (ucByte == '%' && i + 2 < miLen) {
            int iHigh = HexValue(pucStr[i + 1]);
            int iLow = HexValue(pucStr[i + 2]);
            if (iHigh >= 0 && iLow >= 0) {
                mpsfBuffer[iOut++] = static_cast<char>(iHigh * 16 + iLow);
                i += 2;
                continue;
            }
        }
        mpsfBuffer[iOut++] = (mbPlusAsSpace && ucByte == '+') ? ' ' : static_cast<char>(ucByte);
    }
    return iOut;
}

// The C-style form of one byte: its length and, when mpsfOut is given, the bytes.
size_t CStyleEncodeByte(unsigned char mucByte, char* mpsfOut) {
    char acOut[4];
    size_t nLen;
    switch (mucByte) {
        case '\\':
        case '"':
            acOut[0] = '\\';
            acOut[1] = static_cast<char>(mucByte);
            nLen = 2;
            break;
        case '\t':
            acOut[0] = '\\';
            acOut[1] = 't';
            nLen = 2;
            break;
        case '\n':
            acOut[0] = '\\';
            acOut[1] = 'n';
            nLen = 2;
            break;
        case '\r':
            acOut[0] = '\\';
            acOut[1] = 'r';
            nLen = 2;
            break;
        default:
            if (mucByte >= 0x20 && mucByte < 0x7F) {
                acOut[0] = static_cast<char>(mucByte);
                nLen = 1;
            } else {
                acOut[0] = '\\';
                acOut[1] = static_cast<char>('0' + (mucByte >> 6));
                acOut[2] = static_cast<char>('0' + ((mucByte >> 3) & 7));
                acOut[3] = static_cast<char>('0' + (mucByte & 7));
                nLen = 4;
            }
    }
    if (mpsfOut)
        for (size_t i = 0; i < nLen; ++i) mpsfOut[i] = acOut[i];
    return nLen;
}

template <typename Unit>
int AddCrBeforeNl(const Unit* mptStr, int miLen, Unit* mptBuffer) {
    if (miLen > (INT_MAX - 1) / 2) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Text of %d units is too long for xfiKxwUtilAddCrBeforeNl", miLen);
        return 0;
    }
    int iOut = 0;
    for (int i = 0; i < miLen; ++i) {
        if (mptStr[i] == Unit('\n') && (i == 0 || mptStr[i - 1] != Unit('\r'))) mptBuffer[iOut++] = Unit('\r');
        mptBuffer[iOut++] = mptStr[i];
    }
    mptBuffer[iOut] = Unit('\0');
    return iOut;
}

}  // namespace

int xfiKxwUtilEstimateHtmlEscapedLen(const char* mpsfDcsStr, int miLen) {
    if (!ArgsOK(mpsfDcsStr, miLen, "", "xfiKxwUtilEstimateHtmlEscapedLen")) return 0;
    long long llLen = ExactHtmlEscapedLen(mpsfDcsStr, miLen);
    if (llLen > INT_MAX) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Escaped text of %lld bytes is too long in "
                                              "xfiKxwUtilEstimateHtmlEscapedLen",
                                              llLen);
        return 0;
    }
    return static_cast<int>(llLen);
}

int xfiKxwUtilPerformHtmlEscapingAndReturnLength(const char* mpsfDcsStr, int miLen, char* mpsfBuffer) {
    if (!ArgsOK(mpsfDcsStr, miLen, mpsfBuffer, "xfiKxwUtilPerformHtmlEscapingAndReturnLength")) return 0;
    // Only a text whose escaped form might not fit in an int is measured first; the estimate refused it too.
    if (miLen > INT_MAX / 6 && ExactHtmlEscapedLen(mpsfDcsStr, miLen) > INT_MAX) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Text of %d bytes is too long to escape in "
                                              "xfiKxwUtilPerformHtmlEscapingAndReturnLength",
                                              miLen);
        return 0;
    }
    char* pcOut = mpsfBuffer;
    WalkHtmlEscaping(mpsfDcsStr, miLen, [&pcOut](unsigned char mucByte, const char* mpszEntity) {
        if (!mpszEntity) {
            *pcOut++ = static_cast<char>(mucByte);
            return;
        }
        while (*mpszEntity) *pcOut++ = *mpszEntity++;
    });
    return static_cast<int>(pcOut - mpsfBuffer);
}

std::string xfdsKxwUtilHtmlEscaped(const char* mpsfDcsStr, size_t mnLen) {
    std::string dsOut;
    if (!mpsfDcsStr) return dsOut;
    // A piece escapes to at most six times its length, which still fits an int.
    constexpr size_t knPiece = static_cast<size_t>(INT_MAX / 6);
    for (size_t nAt = 0; nAt < mnLen; nAt += knPiece) {
        int iLen = static_cast<int>(mnLen - nAt < knPiece ? mnLen - nAt : knPiece);
        size_t nOld = dsOut.size();
        dsOut.resize(nOld + static_cast<size_t>(xfiKxwUtilEstimateHtmlEscapedLen(mpsfDcsStr + nAt, iLen)));
        dsOut.resize(nOld + static_cast<size_t>(xfiKxwUtilPerformHtmlEscapingAndReturnLength(mpsfDcsStr + nAt, iLen,
                                                                                             &dsOut[0] + nOld)));
    }
    return dsOut;
}

int xfiKxwUtilPerformPercentageUnEscapingAndReturnLength(const char* mpsfStr, int miLen, char* mpsfBuffer) {
    if (!ArgsOK(mpsfStr, miLen, mpsfBuffer, "xfiKxwUtilPerformPercentageUnEscapingAndReturnLength")) return 0;
    return UnEscape(mpsfStr, miLen, mpsfBuffer, false);
}

int xfiKxwUtilPerformUrlUnEscapingAndReturnLength(const char* mpsfStr, int miLen, char* mpsfBuffer,
                                                  bool mbPlusAsSpace) {
    if (!ArgsOK(mpsfStr, miLen, mpsfBuffer, "xfiKxwUtilPerformUrlUnEscapingAndReturnLength")) return 0;
    return UnEscape(mpsfStr, miLen, mpsfBuffer, mbPlusAsSpace);
}

size_t xfnKxwUtilEstimateCStyleEncodedLen(const char* mpsfStr, size_t mnLen) {
    if (!mpsfStr && mnLen) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpsfStr is NULL for mnLen=%zu in xfnKxwUtilEstimateCStyleEncodedLen",
                                              mnLen);
        return 0;
    }
    size_t nLen = 0;
    for (size_t i = 0; i < mnLen; ++i) nLen += CStyleEncodeByte(static_cast<unsigned char>(mpsfStr[i]), nullptr);
    return nLen;
}

size_t xfnKxwUtilCStyleEncodeBuf(const char* mpsfStr, size_t mnLen, char* mpsfBuffer, size_t mnBufSize) {
    if ((!mpsfStr && mnLen) || (!mpsfBuffer && mnBufSize)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mpsfStr=%p/%zu or mpsfBuffer=%p/%zu passed to "
                                              "xfnKxwUtilCStyleEncodeBuf",
                                              static_cast<const void*>(mpsfStr), mnLen, static_cast<void*>(mpsfBuffer),
                                              mnBufSize);
        return 0;
    }
    size_t nFull = 0;
    size_t nWritten = 0;
    bool bCut = mnBufSize == 0;
    for (size_t i = 0; i < mnLen; ++i) {
        auto ucByte = static_cast<unsigned char>(mpsfStr[i]);
        char acEncoded[4];
        size_t nByteLen;
        if (ucByte >= 0x20 && ucByte < 0x7F && ucByte != '\\' && ucByte != '"') {
            // Most bytes of a URL or a message stand for themselves.
            acEncoded[0] = static_cast<char>(ucByte);
            nByteLen = 1;
        } else {
            nByteLen = CStyleEncodeByte(ucByte, acEncoded);
        }
        // One byte stays free for the terminator.
        if (!bCut && nWritten + nByteLen < mnBufSize) {
            std::memcpy(mpsfBuffer + nWritten, acEncoded, nByteLen);
            nWritten += nByteLen;
        } else {
            bCut = true;
        }
        nFull += nByteLen;
    }
    if (mnBufSize) mpsfBuffer[nWritten] = '\0';
    return nFull;
}

int xfiKxwUtilAddCrBeforeNl(const char* mpsfStr, int miLen, char* mpsfBuffer) {
    if (!ArgsOK(mpsfStr, miLen, mpsfBuffer, "xfiKxwUtilAddCrBeforeNl")) return 0;
    return AddCrBeforeNl(mpsfStr, miLen, mpsfBuffer);
}

int xfiKxwUtilAddCrBeforeNl(const char16_t* mpwStr, int miLen, char16_t* mpwBuffer) {
    if (!ArgsOK(mpwStr, miLen, mpwBuffer, "xfiKxwUtilAddCrBeforeNl")) return 0;
    return AddCrBeforeNl(mpwStr, miLen, mpwBuffer);
}
