// The command line of kxwplay: kxwplay [options] STEPS_FILE.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kxw/KxwiRunTimeSettings.h"

struct KxwPlayOptions {
    static constexpr int kMaxVUsers = 10000;
    static constexpr int kMaxIterations = 1000000000;

    int _iVUsers = 1;
    int _iIterations = 1;
    KXWI_BROWSER_MAJOR_TYPE_ENUM _eBrowser = KXWI_BROWSER_MAJOR_TYPE_IE;
    bool _bBrowserGiven = false;  // -b overrides the settings file's browser_major_type
    std::string _dsSnapshotDir;
    std::string _dsOutputDir;  // empty: standard output with one virtual user, kOutputDirDefault with several
    std::string _dsSettingsFile;
    std::string _dsDataFile;
    std::string _dsVUserDir;  // answers "kx_usr_dir"; empty: none
    uint32_t _uSeed = 0;
    bool _bSeedGiven = false;
    std::string _dsTraceFile;
    bool _bQuiet = false;
    std::string _dsReportDir;  // --report: results.csv and report.html; empty: none
    // --shard I/N: this process plays the I-th (from 1) of N slices of the virtual users.
    int _iShardIndex = 1;
    int _iShardCount = 1;
    std::string _dsStepsFile;
    // --merge-report OUT DIR...: no run, the report folders DIR... merged into OUT.
    std::string _dsMergeOutDir;
    std::vector<std::string> _tMergeDirs;

    static constexpr const char* kOutputDirDefault = "kxwplay-out";
    // The folder of the log files, or empty when the events go to standard output.
    std::string GetLogDir() const;
    bool IsMerge() const { return !_dsMergeOutDir.empty(); }
    // The ids of the virtual users of this shard: the whole run's ids from *mpiFirst to *mpiLast, the I-th of N
    // slices as even as they can be (empty, *mpiFirst > *mpiLast, when there are more shards than users).
    void GetShardVUsers(int* mpiFirst, int* mpiLast) const;
};

enum KXW_PLAY_OPTIONS_RESULT_ENUM {
    KXW_PLAY_OPTIONS_RUN,      // run with the options
    KXW_PLAY_OPTIONS_HELP,     // print the help and exit 0
    KXW_PLAY_OPTIONS_VERSION,  // print the version and exit 0
    KXW_PLAY_OPTIONS_BAD,      // exit 2 with the reason
};

// Reads the arguments (argv[0] is the program). Options may come before and after the steps file; values follow
// as the next argument or after '=' (--vusers=4) or, for one-letter options, directly (-u4); "--" ends the options.
KXW_PLAY_OPTIONS_RESULT_ENUM xfeKxwPlayParseOptions(int miArgc, const char* const* mppszArgv,
                                                    KxwPlayOptions* mptOptions, std::string* mpdsError);

// The help text: usage, the options and every run-time setting that --settings can set.
std::string xfdsKxwPlayHelpText();
std::string xfdsKxwPlayVersionText();
