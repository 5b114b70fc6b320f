// Which hosts a virtual user loads a page's subresources (images, scripts, style sheets) from: the run-time
// setting download_hosts, a comma-separated list of host names, where "*.name" matches name and every host under
// it. An empty list lets every host through. A load test against one application usually names its servers, so
// that the pages' advertising and analytics hosts are neither asked nor waited for.
#pragma once

#include <string>
#include <vector>

class KxwEngineDownloadFilter {
public:
    KxwEngineDownloadFilter() = default;
    explicit KxwEngineDownloadFilter(const std::string& mdsHostList);

    // True when every host is allowed.
    bool IsOpen() const { return _tHosts.empty(); }
    // Whether a subresource at this absolute URL may be loaded. URLs without a host (file:) always may.
    bool Allows(const std::string& mdsUrl) const;

private:
    struct Host {
        std::string _dsName;  // lower case
        bool _bWithSubdomains = false;
    };
    std::vector<Host> _tHosts;
};
