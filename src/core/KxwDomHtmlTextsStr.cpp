#include "KxwDomHtmlTextsStr.h"

#include <cstdio>

#include "KxwUtilEscape.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {

void ReportTextsStrError(const char* mpszMessage) {
    if (xtKxwEnvCfg._pfvInternalError) xtKxwEnvCfg._pfvInternalError(mpszMessage);
    else xfvKxwUtilReportInternalError("%s", mpszMessage);
}

}  // namespace

void KxwDomHtmlTextsStr::ConcatHtmlOpeningTagPrefix(const char* mpsfTagNameAscStr, int miTagNameAscLen) {
    if (!mpsfTagNameAscStr || miTagNameAscLen < 1) {
        ReportTextsStrError("Invalid mpsfTagNameAscStr/miTagNameAscLen passed to "
                            "KxwDomHtmlTextsStr::ConcatHtmlOpeningTagPrefix");
        return;
    }
    Concat('<');
    Concat(mpsfTagNameAscStr, miTagNameAscLen);
}

void KxwDomHtmlTextsStr::ConcatHtmlClosingTag(const char* mpsfTagNameAscStr, int miTagNameAscLen) {
    if (!mpsfTagNameAscStr || miTagNameAscLen < 1) {
        ReportTextsStrError("Invalid mpsfTagNameAscStr/miTagNameAscLen passed to "
                            "KxwDomHtmlTextsStr::ConcatHtmlClosingTag");
        return;
    }
    Concat("</", 2);
    Concat(mpsfTagNameAscStr, miTagNameAscLen);
    Concat('>');
}

void KxwDomHtmlTextsStr::ConcatHtmlEscaped(const char* mpsfDcsStr, int miDcsLenInBytes) {
    if (!mpsfDcsStr || miDcsLenInBytes <= 0) return;
    int iRoom = xfiKxwUtilEstimateHtmlEscapedLen(mpsfDcsStr, miDcsLenInBytes);
    char* pcEnd = LockAdditional(iRoom);
    UnlockAdditional(xfiKxwUtilPerformHtmlEscapingAndReturnLength(mpsfDcsStr, miDcsLenInBytes, pcEnd));
}

bool KxwDomHtmlTextsStr::IsValidPropertyName(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes) {
    if (mpsfPropertyNameDcsStr && miPropertyNameDcsLenInBytes >= 1) return true;
    ReportTextsStrError("Invalid mpsfPropertyNameDcsStr/miPropertyNameDcsLenInBytes passed to "
                        "KxwDomHtmlTextsStr::ConcatHtmlPropertyByValue");
    return false;
}

void KxwDomHtmlTextsStr::ConcatPropertyName(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes) {
    Concat(' ');
    Concat(mpsfPropertyNameDcsStr, miPropertyNameDcsLenInBytes);
}

void KxwDomHtmlTextsStr::ConcatHtmlPropertyByValue(const char* mpsfPropertyNameDcsStr,
                                                   int miPropertyNameDcsLenInBytes, const char* mpsfValueDcsStr,
                                                   int miValueDcsLenInBytes) {
    if (!IsValidPropertyName(mpsfPropertyNameDcsStr, miPropertyNameDcsLenInBytes)) return;
    if (miValueDcsLenInBytes < 0 || (!mpsfValueDcsStr && miValueDcsLenInBytes != 0)) {
        ReportTextsStrError("Invalid mpsfValueDcsStr/miValueDcsLenInBytes passed to "
                            "KxwDomHtmlTextsStr::ConcatHtmlPropertyByValue");
        return;
    }
    ConcatPropertyName(mpsfPropertyNameDcsStr, miPropertyNameDcsLenInBytes);
    Concat("=\"", 2);
    ConcatHtmlEscaped(mpsfValueDcsStr, miValueDcsLenInBytes);
    Concat('"');
}

void KxwDomHtmlTextsStr::ConcatHtmlPropertyByValue(const char* mpsfPropertyNameDcsStr,
                                                   int miPropertyNameDcsLenInBytes, long mliValue) {
    if (!IsValidPropertyName(mpsfPropertyNameDcsStr, miPropertyNameDcsLenInBytes)) return;
    ConcatPropertyName(mpsfPropertyNameDcsStr, miPropertyNameDcsLenInBytes);
    char acNumber[24];
    int iLen = std::snprintf(acNumber, sizeof acNumber, "=%ld", mliValue);
    Concat(acNumber, iLen);
}

void KxwDomHtmlTextsStr::ConcatHtmlPropertyByValue(const char* mpsfPropertyNameDcsStr,
                                                   int miPropertyNameDcsLenInBytes, bool mbValue) {
    if (!IsValidPropertyName(mpsfPropertyNameDcsStr, miPropertyNameDcsLenInBytes)) return;
    if (mbValue) ConcatPropertyName(mpsfPropertyNameDcsStr, miPropertyNameDcsLenInBytes);
}
