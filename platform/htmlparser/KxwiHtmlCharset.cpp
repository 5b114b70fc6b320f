#include "KxwiHtmlCharset.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool StartsCharset(const char* mpsf) {
    static const char kszWord[] = "charset";
    for (size_t n = 0; n < sizeof kszWord - 1; ++n) {
        char c = mpsf[n];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != kszWord[n]) return false;
    }
    return true;
}

}  // namespace

bool xfbKxwiHtmlFindCharsetInContent(const char* mpsfText, size_t mnLen, const char** mppsfCharset, size_t* mpnLen) {
    if (!mpsfText) return false;
    for (size_t nAt = 0; nAt + 7 <= mnLen; ++nAt) {
        if (!StartsCharset(mpsfText + nAt)) continue;
        size_t nPos = nAt + 7;
        while (nPos < mnLen && IsBlank(mpsfText[nPos])) ++nPos;
        if (nPos >= mnLen || mpsfText[nPos] != '=') continue;
        ++nPos;
        while (nPos < mnLen && IsBlank(mpsfText[nPos])) ++nPos;
        char cQuote = 0;
        if (nPos < mnLen && (mpsfText[nPos] == '"' || mpsfText[nPos] == '\'')) cQuote = mpsfText[nPos++];
        size_t nBegin = nPos;
        while (nPos < mnLen && mpsfText[nPos] != cQuote && mpsfText[nPos] != ';' && !IsBlank(mpsfText[nPos]) &&
               (cQuote || (mpsfText[nPos] != '"' && mpsfText[nPos] != '\'')))
            ++nPos;
        if (nPos == nBegin) return false;
        *mppsfCharset = mpsfText + nBegin;
        *mpnLen = nPos - nBegin;
        return true;
    }
    return false;
}
