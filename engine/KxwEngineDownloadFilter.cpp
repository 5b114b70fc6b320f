#include "KxwEngineDownloadFilter.h"

#include <cctype>

#include "KxwiUrl.h"

namespace {

std::string Lower(const char* mpsfText, size_t mnLen) {
    std::string dsResult(mpsfText, mnLen);
    for (char& rcChar : dsResult) rcChar = static_cast<char>(std::tolower(static_cast<unsigned char>(rcChar)));
    return dsResult;
}

bool IsSpace(char mcChar) {
    return mcChar == ' ' || mcChar == '\t';
}

}  // namespace

KxwEngineDownloadFilter::KxwEngineDownloadFilter(const std::string& mdsHostList) {
    size_t nPos = 0;
    while (nPos <= mdsHostList.size()) {
        size_t nEnd = mdsHostList.find(',', nPos);
        if (nEnd == std::string::npos) nEnd = mdsHostList.size();
        size_t nBegin = nPos, nLast = nEnd;
        while (nBegin < nLast && IsSpace(mdsHostList[nBegin])) ++nBegin;
        while (nLast > nBegin && IsSpace(mdsHostList[nLast - 1])) --nLast;
        Host tHost;
        if (nLast - nBegin >= 2 && mdsHostList.compare(nBegin, 2, "*.") == 0) {
            tHost._bWithSubdomains = true;
            nBegin += 2;
        }
        if (nLast > nBegin) {
            tHost._dsName = Lower(mdsHostList.data() + nBegin, nLast - nBegin);
            _tHosts.push_back(std::move(tHost));
        }
        nPos = nEnd + 1;
    }
}

bool KxwEngineDownloadFilter::Allows(const std::string& mdsUrl) const {
    if (_tHosts.empty()) return true;
    KxwiUrlCrack tUrl(mdsUrl.data(), mdsUrl.size());
    if (!tUrl.HasAuthority() || tUrl.GetHostNameLen() == 0) return true;
    std::string dsHost = Lower(tUrl.GetHostNameStr(), tUrl.GetHostNameLen());
    while (!dsHost.empty() && dsHost.back() == '.') dsHost.pop_back();  // "example.com." is example.com
    for (const Host& rtHost : _tHosts) {
        if (dsHost == rtHost._dsName) return true;
        if (rtHost._bWithSubdomains && dsHost.size() > rtHost._dsName.size() &&
            dsHost.compare(dsHost.size() - rtHost._dsName.size(), rtHost._dsName.size(), rtHost._dsName) == 0 &&
            dsHost[dsHost.size() - rtHost._dsName.size() - 1] == '.')
            return true;
    }
    return false;
}
