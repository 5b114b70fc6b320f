#include "KxwPlayCsv.h"

#include <cstring>

KxwPlayCsvReader::KxwPlayCsvReader(const char* mpsfText, size_t mnLen) : _psfText(mpsfText), _nLen(mnLen) {
    if (_nLen >= 3 && std::memcmp(_psfText, "\xEF\xBB\xBF", 3) == 0) _nPos = 3;
}

bool KxwPlayCsvReader::Next(std::vector<std::string>* mptFields, std::string* mpdsReason) {
    mptFields->clear();
    _uRecordLine = _uLine;
    if (AtEndOfLine()) {
        SkipLineEnd();
        return true;
    }
    for (;;) {
        std::string dsField;
        if (_nPos < _nLen && _psfText[_nPos] == '"') {
            if (!ReadQuoted(&dsField, mpdsReason)) return false;
        } else {
            while (_nPos < _nLen && _psfText[_nPos] != ',' && !AtEndOfLine()) {
                if (_psfText[_nPos] == '"') {
                    *mpdsReason = "a double quote inside an unquoted field (quote the whole field and double it)";
                    return false;
                }
                dsField += _psfText[_nPos++];
            }
        }
        mptFields->push_back(std::move(dsField));
        if (_nPos < _nLen && _psfText[_nPos] == ',') {
            ++_nPos;
            continue;
        }
        if (AtEndOfLine()) {
            SkipLineEnd();
            return true;
        }
        *mpdsReason = "text after a closing quote (a field ends at a comma or the line's end)";
        return false;
    }
}

bool KxwPlayCsvReader::AtEndOfLine() const {
    return _nPos >= _nLen || _psfText[_nPos] == '\n' ||
           (_psfText[_nPos] == '\r' && (_nPos + 1 >= _nLen || _psfText[_nPos + 1] == '\n'));
}

void KxwPlayCsvReader::SkipLineEnd() {
    if (_nPos < _nLen && _psfText[_nPos] == '\r') ++_nPos;
    if (_nPos < _nLen && _psfText[_nPos] == '\n') ++_nPos;
    ++_uLine;
}

bool KxwPlayCsvReader::ReadQuoted(std::string* mpdsField, std::string* mpdsReason) {
    ++_nPos;  // the opening quote
    while (_nPos < _nLen) {
        char c = _psfText[_nPos++];
        if (c == '"') {
            if (_nPos < _nLen && _psfText[_nPos] == '"') {
                *mpdsField += '"';
                ++_nPos;
                continue;
            }
            if (_nPos < _nLen && _psfText[_nPos] != ',' && !AtEndOfLine()) {
                *mpdsReason = "text after a closing quote (a field ends at a comma or the line's end)";
                return false;
            }
            return true;
        }
        if (c == '\n') ++_uLine;
        *mpdsField += c;
    }
    *mpdsReason = "a quoted field is not closed";
    return false;
}

void xfvKxwPlayAppendCsvField(std::string* mpdsRecord, const std::string& mdsField) {
    // A blank at an end is quoted too: spreadsheet programs trim unquoted fields.
    bool bQuote = mdsField.find_first_of(",\"\r\n") != std::string::npos ||
                  (!mdsField.empty() && (mdsField.front() == ' ' || mdsField.back() == ' ' ||
                                         mdsField.front() == '\t' || mdsField.back() == '\t'));
    if (!bQuote) {
        *mpdsRecord += mdsField;
        return;
    }
    *mpdsRecord += '"';
    for (char c : mdsField) {
        if (c == '"') *mpdsRecord += '"';
        *mpdsRecord += c;
    }
    *mpdsRecord += '"';
}
