#include "KxwDomHtcComponentScanner.h"

#include "KxwUtilStrCompare.h"

namespace {

bool IsBlank(char mc) {
    return mc == ' ' || mc == '\t' || mc == '\r' || mc == '\n' || mc == '\f';
}

bool IsNameChar(char mc) {
    return !IsBlank(mc) && mc != '>' && mc != '/' && mc != '=' && mc != '<' && mc != '"' && mc != '\'';
}

bool StartsWithNoCase(const char* mpsfText, size_t mnPos, size_t mnLen, const char* mpszAsc, size_t mnAscLen) {
    return mnLen - mnPos >= mnAscLen && xfbKxwUtilIsEqualIgnoreCase(mpsfText + mnPos, mnAscLen, mpszAsc, mnAscLen);
}

// Finds mpszAsc (ignoring case) from mnPos; mnLen when absent.
size_t FindNoCase(const char* mpsfText, size_t mnPos, size_t mnLen, const char* mpszAsc, size_t mnAscLen) {
    for (size_t n = mnPos; n + mnAscLen <= mnLen; ++n)
        if (StartsWithNoCase(mpsfText, n, mnLen, mpszAsc, mnAscLen)) return n;
    return mnLen;
}

}  // namespace

std::vector<std::string> xftKxwDomHtcScanComponentTagNames(const char* mpsfText, size_t mnLen) {
    std::vector<std::string> tNames;
    if (!mpsfText) return tNames;
    size_t nPos = 0;
    while (nPos < mnLen && tNames.size() < knMaxHtcComponents) {
        if (mpsfText[nPos] != '<') {
            ++nPos;
            continue;
        }
        if (StartsWithNoCase(mpsfText, nPos, mnLen, "<!--", 4)) {
            size_t nEnd = FindNoCase(mpsfText, nPos + 4, mnLen, "-->", 3);
            nPos = nEnd == mnLen ? mnLen : nEnd + 3;
            continue;
        }
        size_t nNameBegin = nPos + 1;
        size_t nNameEnd = nNameBegin;
        while (nNameEnd < mnLen && IsNameChar(mpsfText[nNameEnd])) ++nNameEnd;
        if (nNameEnd == nNameBegin) {
            ++nPos;
            continue;
        }
        bool bComponent =
            xfbKxwUtilIsEqualIgnoreCase(mpsfText + nNameBegin, nNameEnd - nNameBegin, "PUBLIC:COMPONENT", 16);
        bool bScript = xfbKxwUtilIsEqualIgnoreCase(mpsfText + nNameBegin, nNameEnd - nNameBegin, "SCRIPT", 6);
        // The attributes, up to the end of the tag; values quoted either way may hold '>'.
        std::string dsTagName;
        bool bHasTagName = false;
        size_t nCursor = nNameEnd;
        bool bClosed = false;
        while (nCursor < mnLen) {
            while (nCursor < mnLen && (IsBlank(mpsfText[nCursor]) || mpsfText[nCursor] == '/')) ++nCursor;
            if (nCursor >= mnLen) break;
            if (mpsfText[nCursor] == '>') {
                bClosed = true;
                ++nCursor;
                break;
            }
            size_t nAttrBegin = nCursor;
            while (nCursor < mnLen && IsNameChar(mpsfText[nCursor])) ++nCursor;
            if (nCursor == nAttrBegin) {
                ++nCursor;  // a stray quote or '<': skipped
                continue;
            }
            size_t nAttrEnd = nCursor;
            while (nCursor < mnLen && IsBlank(mpsfText[nCursor])) ++nCursor;
            std::string dsValue;
            bool bHasValue = false;
            if (nCursor < mnLen && mpsfText[nCursor] == '=') {
                ++nCursor;
                while (nCursor < mnLen && IsBlank(mpsfText[nCursor])) ++nCursor;
                if (nCursor < mnLen && (mpsfText[nCursor] == '"' || mpsfText[nCursor] == '\'')) {
                    char cQuote = mpsfText[nCursor++];
                    size_t nValueBegin = nCursor;
                    while (nCursor < mnLen && mpsfText[nCursor] != cQuote) ++nCursor;
                    if (nCursor >= mnLen) break;  // unterminated: the tag is cut off
                    dsValue.assign(mpsfText + nValueBegin, nCursor - nValueBegin);
                    ++nCursor;
                } else {
                    size_t nValueBegin = nCursor;
                    while (nCursor < mnLen && !IsBlank(mpsfText[nCursor]) && mpsfText[nCursor] != '>') ++nCursor;
                    dsValue.assign(mpsfText + nValueBegin, nCursor - nValueBegin);
                }
                bHasValue = true;
            }
            if (bComponent && !bHasTagName && bHasValue &&
                xfbKxwUtilIsEqualIgnoreCase(mpsfText + nAttrBegin, nAttrEnd - nAttrBegin, "TAGNAME", 7)) {
                dsTagName = dsValue;
                bHasTagName = true;
            }
        }
        if (!bClosed) break;
        nPos = nCursor;
        if (bComponent && bHasTagName) {
            size_t nBegin = 0, nEnd = dsTagName.size();
            while (nBegin < nEnd && IsBlank(dsTagName[nBegin])) ++nBegin;
            while (nEnd > nBegin && IsBlank(dsTagName[nEnd - 1])) --nEnd;
            bool bValid = nEnd > nBegin && nEnd - nBegin <= knMaxHtcTagNameLen;
            for (size_t n = nBegin; bValid && n < nEnd; ++n) bValid = IsNameChar(dsTagName[n]) && dsTagName[n] != ':';
            if (bValid) tNames.push_back(dsTagName.substr(nBegin, nEnd - nBegin));
        }
        if (bScript) {
            // A script's text is not markup: "<PUBLIC:COMPONENT" inside a string declares nothing.
            size_t nEnd = FindNoCase(mpsfText, nPos, mnLen, "</script", 8);
            nPos = nEnd;
        }
    }
    return tNames;
}
