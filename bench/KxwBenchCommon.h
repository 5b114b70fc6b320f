// What the benchmarks that drive the engine share: the pages of a corpus folder, reporting switched off (only the
// figures count), and the process's memory figures.
#pragma once

#include <dirent.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "KxwPlayReport.h"
#include "kxw/KxwSevLvl.h"

namespace kxwbench {

// Every .html file under the folder, recursively.
inline void FindPages(const std::string& mdsFolder, std::vector<std::string>* mptPaths) {
    DIR* ptDir = opendir(mdsFolder.c_str());
    if (!ptDir) return;
    while (dirent* ptEntry = readdir(ptDir)) {
        std::string dsName = ptEntry->d_name;
        if (dsName == "." || dsName == "..") continue;
        std::string dsPath = mdsFolder + "/" + dsName;
        struct stat tStat;
        if (stat(dsPath.c_str(), &tStat) != 0) continue;
        if (S_ISDIR(tStat.st_mode))
            FindPages(dsPath, mptPaths);
        else if (dsName.size() > 5 && dsName.compare(dsName.size() - 5, 5, ".html") == 0)
            mptPaths->push_back(dsPath);
    }
    closedir(ptDir);
}

// The reporting functions that issue nothing.
inline bool IssueNothing(KXW_WTL_SEV_LVL_ENUM) { return false; }
inline void PrintNothing(KXW_WTL_SEV_LVL_ENUM, int, const char*, const char*, int) {}

// A memory figure of /proc/self/status ("VmRSS", "VmHWM") in MiB; 0 when it cannot be read.
inline double ProcStatusMb(const char* mpszField) {
    long lKb = xflKxwPlayReadProcStatusKb(mpszField);
    return lKb < 0 ? 0 : static_cast<double>(lKb) / 1024.0;
}

}  // namespace kxwbench
