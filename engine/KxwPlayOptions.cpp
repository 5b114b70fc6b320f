#include "KxwPlayOptions.h"

#include <algorithm>
#include <cstring>

#include "KxwPlayVerbs.h"

#ifndef KXW_PLAY_VERSION
#define KXW_PLAY_VERSION "0.0.0"
#endif

namespace {

// Stores one option's value; false with the reason.
using KxwPlayOptionFunc = bool (*)(KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError);

struct KxwPlayOptionSpec {
    char _cShort;  // 0 when the option has no one-letter form
    const char* _pszLong;
    const char* _pszValueName;  // null for an option without a value
    const char* _pszHelp;
    KxwPlayOptionFunc _pfbStore;
};

bool StoreCount(const std::string& mdsValue, int miMax, const char* mpszWhat, int* mpiResult, std::string* mpdsError) {
    unsigned long long ullValue = 0;
    if (!xfbKxwPlayParseNumber(mdsValue, false, &ullValue) || ullValue < 1 ||
        ullValue > static_cast<unsigned long long>(miMax)) {
        *mpdsError = std::string(mpszWhat) + " must be a whole number from 1 to " + std::to_string(miMax) + ", not \"" +
                     mdsValue + "\"";
        return false;
    }
    *mpiResult = static_cast<int>(ullValue);
    return true;
}

bool StoreText(const std::string& mdsValue, const char* mpszWhat, std::string* mpdsTarget, std::string* mpdsError) {
    if (mdsValue.empty()) {
        *mpdsError = std::string(mpszWhat) + " must not be empty";
        return false;
    }
    *mpdsTarget = mdsValue;
    return true;
}

const KxwPlayOptionSpec katOptions[] = {
    {'u', "vusers", "N", "virtual users, one thread each (default 1)",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         return StoreCount(mdsValue, KxwPlayOptions::kMaxVUsers, "--vusers", &mptOptions->_iVUsers, mpdsError);
     }},
    {'i', "iterations", "N", "iterations of the steps per virtual user (default 1)",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         return StoreCount(mdsValue, KxwPlayOptions::kMaxIterations, "--iterations", &mptOptions->_iIterations,
                           mpdsError);
     }},
    {'b', "browser", "ie|ns", "emulated browser: Internet Explorer (2) or Netscape (3) (default ie)",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         if (mdsValue == "ie")
             mptOptions->_eBrowser = KXWI_BROWSER_MAJOR_TYPE_IE;
         else if (mdsValue == "ns")
             mptOptions->_eBrowser = KXWI_BROWSER_MAJOR_TYPE_NS;
         else {
             *mpdsError = "--browser must be ie or ns, not \"" + mdsValue + "\"";
             return false;
         }
         mptOptions->_bBrowserGiven = true;
         return true;
     }},
    {'s', "snapshots", "DIR", "write each step's snapshots into DIR",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         return StoreText(mdsValue, "--snapshots", &mptOptions->_dsSnapshotDir, mpdsError);
     }},
    {'o', "output", "DIR", "one log file per virtual user, DIR/vuser-<n>.log (default with N > 1: kxwplay-out)",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         return StoreText(mdsValue, "--output", &mptOptions->_dsOutputDir, mpdsError);
     }},
    {0, "settings", "FILE", "run-time settings as name=value lines (below)",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         return StoreText(mdsValue, "--settings", &mptOptions->_dsSettingsFile, mpdsError);
     }},
    {0, "data", "FILE",
     "CSV whose header names parameters; {name} in a step takes the column's value, one row per virtual user and "
     "iteration, in order, wrapping around",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         return StoreText(mdsValue, "--data", &mptOptions->_dsDataFile, mpdsError);
     }},
    {0, "vuser-dir", "DIR",
     "the virtual users' folder: its layout.dat gives the sizes and positions recorded for each step (default: "
     "none)",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         return StoreText(mdsValue, "--vuser-dir", &mptOptions->_dsVUserDir, mpdsError);
     }},
    {0, "seed", "N", "seed for random ordinals (default: the time)",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         unsigned long long ullValue = 0;
         if (!xfbKxwPlayParseNumber(mdsValue, false, &ullValue) || ullValue > UINT32_MAX) {
             *mpdsError =
                 "--seed must be a whole number from 0 to " + std::to_string(UINT32_MAX) + ", not \"" + mdsValue + "\"";
             return false;
         }
         mptOptions->_uSeed = static_cast<uint32_t>(ullValue);
         mptOptions->_bSeedGiven = true;
         return true;
     }},
    {0, "trace", "FILE", "write the trace into FILE (general trace switch on)",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         return StoreText(mdsValue, "--trace", &mptOptions->_dsTraceFile, mpdsError);
     }},
    {0, "report", "DIR", "write results.csv (a row per step run) and report.html into DIR",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         return StoreText(mdsValue, "--report", &mptOptions->_dsReportDir, mpdsError);
     }},
    {0, "shard", "I/N",
     "play only the I-th of N slices of the virtual users (1-based), with the ids, seeds and data rows they have in "
     "the whole run (default 1/1)",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         size_t nSlash = mdsValue.find('/');
         unsigned long long ullIndex = 0, ullCount = 0;
         if (nSlash == std::string::npos || !xfbKxwPlayParseNumber(mdsValue.substr(0, nSlash), false, &ullIndex) ||
             !xfbKxwPlayParseNumber(mdsValue.substr(nSlash + 1), false, &ullCount) || ullCount < 1 ||
             ullCount > static_cast<unsigned long long>(KxwPlayOptions::kMaxVUsers) || ullIndex < 1 ||
             ullIndex > ullCount) {
             *mpdsError = "--shard must be I/N with 1 <= I <= N <= " + std::to_string(KxwPlayOptions::kMaxVUsers) +
                          ", not \"" + mdsValue + "\"";
             return false;
         }
         mptOptions->_iShardIndex = static_cast<int>(ullIndex);
         mptOptions->_iShardCount = static_cast<int>(ullCount);
         return true;
     }},
    {0, "merge-report", "OUT",
     "no run: merge the results.csv of the report folders given instead of a steps file (kxwplay --merge-report OUT "
     "DIR...) into OUT/results.csv and OUT/report.html",
     [](KxwPlayOptions* mptOptions, const std::string& mdsValue, std::string* mpdsError) {
         return StoreText(mdsValue, "--merge-report", &mptOptions->_dsMergeOutDir, mpdsError);
     }},
    {'q', "quiet", nullptr, "print only the summary",
     [](KxwPlayOptions* mptOptions, const std::string&, std::string*) {
         mptOptions->_bQuiet = true;
         return true;
     }},
};

// --help and --version end the parse wherever they stand.
bool IsHelp(const char* mpszArg) {
    return std::strcmp(mpszArg, "-h") == 0 || std::strcmp(mpszArg, "--help") == 0;
}
bool IsVersion(const char* mpszArg) {
    return std::strcmp(mpszArg, "--version") == 0;
}

}  // namespace

std::string KxwPlayOptions::GetLogDir() const {
    if (!_dsOutputDir.empty()) return _dsOutputDir;
    return _iVUsers > 1 ? kOutputDirDefault : "";
}

void KxwPlayOptions::GetShardVUsers(int* mpiFirst, int* mpiLast) const {
    long long llUsers = _iVUsers, llIndex = _iShardIndex, llCount = std::max(1, _iShardCount);
    *mpiFirst = static_cast<int>((llIndex - 1) * llUsers / llCount) + 1;
    *mpiLast = static_cast<int>(llIndex * llUsers / llCount);
}

KXW_PLAY_OPTIONS_RESULT_ENUM xfeKxwPlayParseOptions(int miArgc, const char* const* mppszArgv,
                                                    KxwPlayOptions* mptOptions, std::string* mpdsError) {
    *mptOptions = KxwPlayOptions();
    for (int n = 1; n < miArgc; ++n) {
        if (!mppszArgv[n]) break;
        if (IsHelp(mppszArgv[n])) return KXW_PLAY_OPTIONS_HELP;
        if (IsVersion(mppszArgv[n])) return KXW_PLAY_OPTIONS_VERSION;
        if (std::strcmp(mppszArgv[n], "--") == 0) break;
    }
    bool bOptionsEnded = false;
    std::vector<std::string> tPositionals;
    for (int n = 1; n < miArgc && mppszArgv[n]; ++n) {
        std::string dsArg = mppszArgv[n];
        if (bOptionsEnded || dsArg.size() < 2 || dsArg[0] != '-') {
            tPositionals.push_back(dsArg);
            continue;
        }
        if (dsArg == "--") {
            bOptionsEnded = true;
            continue;
        }
        const KxwPlayOptionSpec* ptSpec = nullptr;
        std::string dsValue;
        bool bValueAttached = false;
        if (dsArg[1] == '-') {
            std::string dsName = dsArg.substr(2);
            size_t nEquals = dsName.find('=');
            if (nEquals != std::string::npos) {
                dsValue = dsName.substr(nEquals + 1);
                dsName.erase(nEquals);
                bValueAttached = true;
            }
            for (const KxwPlayOptionSpec& rtSpec : katOptions)
                if (dsName == rtSpec._pszLong) ptSpec = &rtSpec;
        } else {
            for (const KxwPlayOptionSpec& rtSpec : katOptions)
                if (rtSpec._cShort && dsArg[1] == rtSpec._cShort) ptSpec = &rtSpec;
            if (ptSpec && dsArg.size() > 2) {
                if (!ptSpec->_pszValueName) ptSpec = nullptr;  // "-qx" is no option
                dsValue = dsArg.substr(2);
                bValueAttached = true;
            }
        }
        if (!ptSpec) {
            *mpdsError = "unknown option \"" + dsArg + "\"";
            return KXW_PLAY_OPTIONS_BAD;
        }
        if (!ptSpec->_pszValueName && bValueAttached) {
            *mpdsError = "--" + std::string(ptSpec->_pszLong) + " takes no value";
            return KXW_PLAY_OPTIONS_BAD;
        }
        if (ptSpec->_pszValueName && !bValueAttached) {
            if (n + 1 >= miArgc || !mppszArgv[n + 1]) {
                *mpdsError = dsArg + " needs a value (" + ptSpec->_pszValueName + ")";
                return KXW_PLAY_OPTIONS_BAD;
            }
            dsValue = mppszArgv[++n];
        }
        if (!ptSpec->_pfbStore(mptOptions, dsValue, mpdsError)) return KXW_PLAY_OPTIONS_BAD;
    }
    if (mptOptions->IsMerge()) {
        if (tPositionals.empty()) {
            *mpdsError = "--merge-report needs the report folders to merge (kxwplay --merge-report OUT DIR...)";
            return KXW_PLAY_OPTIONS_BAD;
        }
        if (!mptOptions->_dsReportDir.empty() || mptOptions->_iShardCount > 1) {
            *mpdsError = "--merge-report runs nothing: --report and --shard do not go with it";
            return KXW_PLAY_OPTIONS_BAD;
        }
        mptOptions->_tMergeDirs = tPositionals;
        return KXW_PLAY_OPTIONS_RUN;
    }
    if (tPositionals.size() > 1) {
        *mpdsError = "only one steps file, please (\"" + tPositionals[0] + "\" and \"" + tPositionals[1] + "\")";
        return KXW_PLAY_OPTIONS_BAD;
    }
    if (tPositionals.empty()) {
        *mpdsError = "no steps file given";
        return KXW_PLAY_OPTIONS_BAD;
    }
    mptOptions->_dsStepsFile = tPositionals[0];
    return KXW_PLAY_OPTIONS_RUN;
}

std::string xfdsKxwPlayVersionText() {
    return std::string("kxwplay ") + KXW_PLAY_VERSION + "\n";
}

std::string xfdsKxwPlayHelpText() {
    std::string dsText =
        "Usage: kxwplay [options] STEPS_FILE\n"
        "       kxwplay --merge-report OUT DIR...\n"
        "Replays a steps file with one or many virtual users, each on its own thread.\n"
        "\n"
        "Options:\n";
    for (const KxwPlayOptionSpec& rtSpec : katOptions) {
        std::string dsForm = rtSpec._cShort ? std::string("-") + rtSpec._cShort + ", " : "    ";
        dsForm += std::string("--") + rtSpec._pszLong;
        if (rtSpec._pszValueName) dsForm += std::string(" ") + rtSpec._pszValueName;
        if (dsForm.size() < 24) dsForm.resize(24, ' ');
        dsText += "  " + dsForm + " " + rtSpec._pszHelp + "\n";
    }
    dsText += "      --version            print the version\n";
    dsText += "  -h, --help               print this help\n";
    dsText +=
        "\n"
        "Exit status: 0 when every step of every virtual user passed, 1 when a step failed, 2 for bad arguments or a\n"
        "steps file that cannot be read or parsed.\n"
        "\n"
        "Verbs:";
    size_t nVerbs = 0;
    const KxwPlayVerb* ptVerbs = xfptKxwPlayGetVerbs(&nVerbs);
    for (size_t n = 0; n < nVerbs; ++n) dsText += std::string(" ") + ptVerbs[n]._pszName;
    dsText +=
        "\n"
        "\n"
        "Run-time settings (--settings FILE, name=value lines; default in brackets):\n";
    KxwiRunTimeSettings tDefaults;
    tDefaults.ForEachSetting(
        [&dsText](const char* mpszName, const std::string& mdsValue, const char* mpszAllowed, const char* mpszHelp) {
            dsText += std::string("  ") + mpszName + " [" + mdsValue + "] " + (mpszAllowed ? mpszAllowed : "") + "\n";
            dsText += std::string("      ") + (mpszHelp ? mpszHelp : "") + "\n";
        });
    return dsText;
}
