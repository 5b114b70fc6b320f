#include "KxwEngineFolders.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

bool xfbKxwEngineMakeFolders(const std::string& mdsPath, std::string* mpdsError) {
    for (size_t nSlash = mdsPath.find('/', 1);; nSlash = mdsPath.find('/', nSlash + 1)) {
        std::string dsPart = mdsPath.substr(0, nSlash);
        if (!dsPart.empty() && mkdir(dsPart.c_str(), 0777) != 0 && errno != EEXIST) {
            *mpdsError = "cannot make the folder \"" + dsPart + "\": " + std::strerror(errno);
            return false;
        }
        if (nSlash == std::string::npos) break;
    }
    struct stat tStat;
    if (stat(mdsPath.c_str(), &tStat) != 0 || !S_ISDIR(tStat.st_mode)) {
        *mpdsError = "\"" + mdsPath + "\" is not a folder";
        return false;
    }
    return true;
}
