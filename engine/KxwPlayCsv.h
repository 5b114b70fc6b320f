// Comma-separated values as the player reads them (the --data file, a run's results.csv) and writes them
// (results.csv): fields separated by commas, a field in double quotes may hold commas, line breaks and "" for a
// quote.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Reads CSV records one at a time, counting lines so that errors can name them.
class KxwPlayCsvReader {
public:
    // A byte-order mark at the start (spreadsheet programs write one) is skipped.
    KxwPlayCsvReader(const char* mpsfText, size_t mnLen);

    bool AtEnd() const { return _nPos >= _nLen; }
    // The line (from 1) the last record read starts on.
    unsigned GetRecordLine() const { return _uRecordLine; }

    // The next record's fields; an empty line gives no fields. False with the reason for a malformed record.
    bool Next(std::vector<std::string>* mptFields, std::string* mpdsReason);

private:
    bool AtEndOfLine() const;
    void SkipLineEnd();
    bool ReadQuoted(std::string* mpdsField, std::string* mpdsReason);

    const char* _psfText;
    size_t _nLen;
    size_t _nPos = 0;
    unsigned _uLine = 1;
    unsigned _uRecordLine = 1;
};

// Appends one field to a record being written: as it is when it holds no comma, quote, line break or blank at an
// end; otherwise in double quotes with each quote doubled, so that the reader gives back the same bytes.
void xfvKxwPlayAppendCsvField(std::string* mpdsRecord, const std::string& mdsField);
