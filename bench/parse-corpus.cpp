// Parses every .html file of a folder (recursively) into a fresh document of one virtual user, as the player loads
// a page (charset from a byte-order mark or a META element, the page parser building through the library's
// interface, no script run), counts its links (the document's "links": A and AREA elements with an href), and
// prints one line:
//   kxw pages=N bytes=B seconds=S pages_per_s=P mb_per_s=M peak_rss_mb=R [links=L]
// The files are read into memory before the clock starts; MB are MiB. bench/run-parse runs it beside the peers.
//   parse-corpus [--links] [--rounds N] DIR
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "KxwBenchCommon.h"
#include "KxwEnginePageSource.h"
#include "KxwEngineFetch.h"
#include "KxwEngineParser.h"
#include "kxw/KxwDomHtmlBuild.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJswEngine.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

}  // namespace

int main(int argc, char** argv) {
    bool bLinks = false;
    int iRounds = 1;
    std::string dsFolder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--links") == 0)
            bLinks = true;
        else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            iRounds = std::max(1, std::atoi(argv[++i]));
        else
            dsFolder = argv[i];
    }
    if (dsFolder.empty()) {
        std::fprintf(stderr, "usage: parse-corpus [--links] [--rounds N] DIR\n");
        return 2;
    }
    // Pages are loaded by file: URLs, which name absolute paths.
    if (char* pszReal = realpath(dsFolder.c_str(), nullptr)) {
        dsFolder = pszReal;
        std::free(pszReal);
    }
    std::vector<std::string> tPaths;
    kxwbench::FindPages(dsFolder, &tPaths);
    std::sort(tPaths.begin(), tPaths.end());
    if (tPaths.empty()) {
        std::fprintf(stderr, "parse-corpus: no .html files in %s\n", dsFolder.c_str());
        return 2;
    }
    std::vector<KxwEnginePageSource> tSources;
    size_t nBytes = 0;
    KxwEngineFetcher tFetcher;
    for (const std::string& rdsPath : tPaths) {
        KxwEngineFetchRequest tRequest;
        tRequest._dsUrl = "file://" + rdsPath;
        tRequest._nMaxBodyBytes = size_t(1) << 30;
        KxwEngineFetchResponse tResponse;
        if (!tFetcher.Fetch(tRequest, nullptr, &tResponse)) {
            std::fprintf(stderr, "parse-corpus: %s\n", tResponse._dsError.c_str());
            return 2;
        }
        KxwEnginePageSource tSource;
        tSource._dsUrl = tResponse._dsFinalUrl;
        tSource._dsBytes.swap(tResponse._dsBody);
        xfvKxwEngineSniffCharset(&tSource, tResponse._dsCharset);
        struct stat tStat;
        nBytes += stat(rdsPath.c_str(), &tStat) == 0 ? static_cast<size_t>(tStat.st_size) : tSource._dsBytes.size();
        tSources.push_back(std::move(tSource));
    }

    KxwiRunTimeSettings tInitialRTS;
    KxwEnvCfg tEnvCfg;
    tEnvCfg._ptInitialRTS = &tInitialRTS;
    if (xfiKxwObjMgrGlobalInit(&tEnvCfg) != 0) {
        std::fprintf(stderr, "parse-corpus: global initialisation failed\n");
        return 1;
    }
    KxwObjMgr::SetWtlFuncs(&kxwbench::IssueNothing, &kxwbench::PrintNothing);
    unsigned long ulLinks = 0;
    double dfSeconds = 0;
    {
        KxwVUserVars tVUser(1);
        tVUser.GetRTS() = tInitialRTS;
        KxwVUserVarsThreadBinding tBinding(&tVUser);
        KxwJswEngine* ptEngine = KxwJswEngine::Create();
        {
            auto tStart = std::chrono::steady_clock::now();
            for (int iRound = 0; iRound < iRounds; ++iRound) {
                ulLinks = 0;
                for (const KxwEnginePageSource& rtPage : tSources) {
                    // Each page into a document of its own, as the parser builds it, no script run.
                    KxwDomHtmlDocument* ptDocument = KxwEngineParser::ParseStandalone(
                        rtPage._dsUrl, rtPage._dsBytes.data(), rtPage._dsBytes.size(), rtPage._dsCharset);
                    if (!ptDocument) continue;
                    ulLinks += xfulKxwDomHtmlBuildGetLinkCount(ptDocument);
                    xfvKxwDomHtmlBuildDeleteDocument(ptDocument);
                }
            }
            dfSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
        }
        delete ptEngine;
    }
    xfvKxwObjMgrGlobalTerm();
    double dfPages = static_cast<double>(tSources.size()) * iRounds;
    std::printf("kxw pages=%zu bytes=%zu seconds=%.3f pages_per_s=%.1f mb_per_s=%.2f peak_rss_mb=%.1f", tSources.size(),
                nBytes, dfSeconds / iRounds, dfPages / dfSeconds,
                static_cast<double>(nBytes) * iRounds / (1024.0 * 1024.0) / dfSeconds, kxwbench::ProcStatusMb("VmHWM"));
    if (bLinks) std::printf(" links=%lu", ulLinks);
    std::printf("\n");
    return 0;
}
