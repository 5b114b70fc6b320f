// A run's results: one record per step run (per virtual user and iteration), written to results.csv as the steps
// end and read back for the report and for merging the results of several shards.
//
// results.csv has a header row naming its columns; a reader finds the columns by name, so that columns added later
// do not break it:
//   vuser,iteration,step,line,verb,start_ms,duration_ms,outcome,reason,snapshot
// start_ms is the step's start in milliseconds since the run started (the machine's steady clock, not the virtual
// clock that think and wait steps move), duration_ms its real duration, both with three decimals; outcome is OK or
// FAIL; reason is empty for OK; snapshot is the path of the step's snapshot page, relative to the folder of
// results.csv when it lies inside that folder, else absolute; empty when the step has none.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

struct KxwPlayStepResult {
    int _iVUserId = 0;
    int _iIteration = 0;
    int _iStepNumber = 0;
    unsigned _uLine = 0;
    std::string _dsVerb;
    double _dfStartMs = 0;
    double _dfDurationMs = 0;
    bool _bOK = true;
    std::string _dsReason;
    // The step's snapshot page: absolute, or relative to the current folder (the writer makes it relative to the
    // results' folder); empty when none was written.
    std::string _dsSnapshot;
};

// The header row of results.csv, with its line end.
std::string xfdsKxwPlayResultsHeader();
// One record as a CSV row with its line end; the snapshot path is written relative to mdsResultsFolder (absolute)
// when inside it, else absolute.
std::string xfdsKxwPlayFormatResult(const KxwPlayStepResult& mrtResult, const std::string& mdsResultsFolder);

// A path made absolute against the current folder and lexically normalised ("." and ".." resolved, no doubled or
// trailing slash). Empty for an empty path.
std::string xfdsKxwPlayAbsolutePath(const std::string& mdsPath);
// The relative path from a folder to a file, both absolute and normalised ("../" where they part).
std::string xfdsKxwPlayRelativePath(const std::string& mdsFromFolder, const std::string& mdsTo);

// results.csv being written by every virtual user's thread.
class KxwPlayResultsFile {
public:
    KxwPlayResultsFile() = default;
    ~KxwPlayResultsFile();
    KxwPlayResultsFile(const KxwPlayResultsFile&) = delete;
    KxwPlayResultsFile& operator=(const KxwPlayResultsFile&) = delete;

    // Creates (or empties) mdsFolder/results.csv and writes the header; false with the reason.
    bool Open(const std::string& mdsFolder, std::string* mpdsError);
    // Appends a record; any thread. Each record is flushed, so that a run that is stopped keeps what it did.
    void Append(const KxwPlayStepResult& mrtResult);
    // Closes the file; false with the reason when a write failed on the way.
    bool Close(std::string* mpdsError);
    const std::string& GetPath() const { return _dsPath; }

private:
    std::mutex _tMutex;
    FILE* _ptFile = nullptr;
    std::string _dsPath;
    std::string _dsFolder;  // absolute
    bool _bWriteFailed = false;
};

// Reads a results.csv and hands each record to mtOnResult (a relative snapshot path made absolute against the
// file's folder); false with "<file>:<line>: <reason>" for a file that cannot be read, a header without the
// needed columns or a malformed record (nothing is handed on after it).
bool xfbKxwPlayReadResults(const std::string& mdsPath, const std::function<void(KxwPlayStepResult&&)>& mtOnResult,
                           std::string* mpdsError);
