#include "KxwDomHtmlTextsStr.h"

#include <climits>
#include <cstdio>

#include "KxwDomHtmlProperty.h"
#include "KxwUtilEscape.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {

void ReportTextsStrError(const char* mpszMessage) {
    if (xtKxwEnvCfg._pfvInternalError) xtKxwEnvCfg._pfvInternalError(mpszMessage);
    else xfvKxwUtilReportInternalError("%s", mpszMessage);
}

// The byte length of a stored text as the buffer counts it; a text beyond that range is refused, not cut.
bool PropertyTextLenOK(const KxwDomHtmlPropertyStr& mrtProperty, int* mpiLen) {
    unsigned uLen = mrtProperty.GetDcsLenInBytes();
    if (uLen <= static_cast<unsigned>(INT_MAX)) {
        *mpiLen = static_cast<int>(uLen);
        return true;
    }
    ReportTextsStrError("Property text too long for KxwDomHtmlTextsStr");
    return false;
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

void KxwDomHtmlTextsStr::ConcatHtmlText(const KxwDomHtmlPropertyStr& mrtProperty) {
    int iLen = 0;
    if (mrtProperty.IsEmpty() || !PropertyTextLenOK(mrtProperty, &iLen)) return;
    ConcatHtmlEscaped(mrtProperty.GetDcsStr(), iLen);
}

void KxwDomHtmlTextsStr::ConcatHtmlTextAsIs(const KxwDomHtmlPropertyStr& mrtProperty) {
    int iLen = 0;
    if (mrtProperty.IsEmpty() || !PropertyTextLenOK(mrtProperty, &iLen)) return;
    Concat(mrtProperty.GetDcsStr(), iLen);
}

void KxwDomHtmlTextsStr::ConcatHtmlProperty(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes,
                                            const KxwDomHtmlPropertyStr& mrtProperty) {
    if (mrtProperty.IsEmpty() && !mrtProperty.IsSpecified()) return;
    int iLen = 0;
    if (!PropertyTextLenOK(mrtProperty, &iLen)) return;
    ConcatHtmlPropertyByValue(mpsfPropertyNameDcsStr, miPropertyNameDcsLenInBytes, mrtProperty.GetDcsStr(), iLen);
}

void KxwDomHtmlTextsStr::ConcatHtmlProperty(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes,
                                            const KxwDomHtmlPropertyNumLong& mrtProperty) {
    if (mrtProperty.GetLong() == 0 && !mrtProperty.IsSpecified()) return;
    ConcatHtmlPropertyByValue(mpsfPropertyNameDcsStr, miPropertyNameDcsLenInBytes, mrtProperty.GetLong());
}

void KxwDomHtmlTextsStr::ConcatHtmlProperty(const char* mpsfPropertyNameDcsStr, int miPropertyNameDcsLenInBytes,
                                            const KxwDomHtmlPropertyBool& mrtProperty) {
    ConcatHtmlPropertyByValue(mpsfPropertyNameDcsStr, miPropertyNameDcsLenInBytes, mrtProperty.GetBool());
}
