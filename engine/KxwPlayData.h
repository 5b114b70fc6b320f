// The data of a run (--data): a CSV file whose header names parameters and whose rows give their values. Each
// virtual user's iteration takes one row, and `{name}` in a step's arguments becomes that row's value of the column.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Reads a whole text file of at most mnMaxBytes; false with the reason (naming the file) in *mpdsError.
bool xfbKxwPlayReadTextFile(const std::string& mdsPath, size_t mnMaxBytes, std::string* mpdsText,
                            std::string* mpdsError);

class KxwPlayData {
public:
    // Fields are separated by commas; a field in double quotes may hold commas, line breaks and "" for a quote.
    // The first record is the header: its names are trimmed of blanks and must be non-empty, distinct and free of
    // braces. Every later record needs as many fields as the header; empty lines are skipped; at least one row is
    // required. On failure *mpdsError says why as "<file>:<line>: <reason>" and the data stays empty.
    bool LoadFromFile(const std::string& mdsPath, std::string* mpdsError);
    bool LoadFromText(const char* mpsfText, size_t mnLen, const std::string& mdsFileName, std::string* mpdsError);

    bool IsEmpty() const { return _tNames.empty(); }
    const std::vector<std::string>& GetNames() const { return _tNames; }
    size_t GetRowCount() const { return _tRows.size(); }
    const std::vector<std::string>& GetRow(size_t mnRow) const { return _tRows[mnRow % _tRows.size()]; }

    // The row of one iteration of one virtual user (both counted from 1). Rows go out in order, iteration by
    // iteration, so that the virtual users running side by side hold different rows whenever there are enough;
    // after the last row the first comes again.
    size_t GetRowIndex(int miVUserId, int miIteration, int miVUserCount) const;

    // Whether the text holds `{name}` for a column of the header.
    bool HasPlaceholder(const std::string& mdsText) const;
    // The text with every `{name}` of a column replaced by the row's value; any other brace is kept as written, so
    // that scripts keep their blocks.
    std::string Substitute(const std::string& mdsText, size_t mnRow) const;

private:
    // The column of the `{name}` that starts at mnOpen (a '{'), or -1; *mpnClose receives the '}' position.
    int FindPlaceholder(const std::string& mdsText, size_t mnOpen, size_t* mpnClose) const;

    std::vector<std::string> _tNames;
    std::vector<std::vector<std::string>> _tRows;
};
