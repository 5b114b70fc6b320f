// A static file server for the benchmarks: serves the files of one folder over HTTP/1.1 on 127.0.0.1, with
// keep-alive, from one thread, as fast as a load test's web server would. The tests' server
// (tests/server/kxw_test_server.py) answers the routes the tests need and takes a quarter to half a millisecond a
// request; a corpus page that asks for ten missing scripts and images would spend more time there than the
// engine spends on the page, so bench/run-vusers serves the corpus from here.
//
//   static-server DIR
//
// Prints the port as the first line of standard output, then serves until its standard input closes. GET, HEAD
// and POST (whose body is read and ignored: the answer is the file, as the tests' server answers a form sent to a
// page); the query is ignored; a path with a ".." segment, a file that cannot be read and anything that is not a
// regular file is 404; a request that cannot be read is 400 and closes the connection.
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t knMaxRequestBytes = 64 * 1024;

struct Connection {
    int _iFd = -1;
    std::string _dsIn;
    std::string _dsOut;
    size_t _nOutSent = 0;
    bool _bCloseAfterWrite = false;
};

int FromHex(char mcChar) {
    if (mcChar >= '0' && mcChar <= '9') return mcChar - '0';
    if (mcChar >= 'a' && mcChar <= 'f') return mcChar - 'a' + 10;
    if (mcChar >= 'A' && mcChar <= 'F') return mcChar - 'A' + 10;
    return -1;
}

// The request target's path, percent-decoded; false for one that could leave the folder or is not a path.
bool DecodePath(const std::string& mdsTarget, std::string* mpdsPath) {
    std::string dsRaw = mdsTarget.substr(0, mdsTarget.find_first_of("?#"));
    if (dsRaw.empty() || dsRaw[0] != '/') return false;
    std::string& rdsPath = *mpdsPath;
    rdsPath.clear();
    for (size_t n = 0; n < dsRaw.size(); ++n) {
        if (dsRaw[n] == '%' && n + 2 < dsRaw.size() && FromHex(dsRaw[n + 1]) >= 0 && FromHex(dsRaw[n + 2]) >= 0) {
            rdsPath += static_cast<char>(FromHex(dsRaw[n + 1]) * 16 + FromHex(dsRaw[n + 2]));
            n += 2;
        } else {
            rdsPath += dsRaw[n];
        }
    }
    if (rdsPath.find('\0') != std::string::npos || rdsPath.find('\\') != std::string::npos) return false;
    for (size_t nBegin = 0; nBegin < rdsPath.size();) {
        size_t nEnd = rdsPath.find('/', nBegin + 1);
        if (nEnd == std::string::npos) nEnd = rdsPath.size();
        if (rdsPath.compare(nBegin, nEnd - nBegin, "/..") == 0) return false;
        nBegin = nEnd;
    }
    return true;
}

const char* ContentType(const std::string& mdsPath) {
    static const std::map<std::string, const char*> ktTypes = {
        {"html", "text/html"},       {"htm", "text/html"},  {"js", "application/javascript"},
        {"css", "text/css"},         {"txt", "text/plain"}, {"xml", "text/xml"},
        {"png", "image/png"},        {"gif", "image/gif"},  {"jpg", "image/jpeg"},
        {"json", "application/json"}};
    size_t nDot = mdsPath.rfind('.');
    if (nDot == std::string::npos || mdsPath.find('/', nDot) != std::string::npos) return "application/octet-stream";
    auto it = ktTypes.find(mdsPath.substr(nDot + 1));
    return it == ktTypes.end() ? "application/octet-stream" : it->second;
}

bool ReadFile(const std::string& mdsPath, std::string* mpdsBody) {
    int iFd = open(mdsPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (iFd < 0) return false;
    struct stat tStat;
    bool bOK = fstat(iFd, &tStat) == 0 && S_ISREG(tStat.st_mode);
    if (bOK) {
        mpdsBody->resize(static_cast<size_t>(tStat.st_size));
        size_t nRead = 0;
        while (nRead < mpdsBody->size()) {
            ssize_t n = read(iFd, &(*mpdsBody)[nRead], mpdsBody->size() - nRead);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            nRead += static_cast<size_t>(n);
        }
        mpdsBody->resize(nRead);
    }
    close(iFd);
    return bOK;
}

void Answer(Connection& mrtConnection, int miStatus, const char* mpszReason, const char* mpszType,
            const std::string& mdsBody, bool mbHead, bool mbClose) {
    char acHead[256];
    std::snprintf(acHead, sizeof acHead,
                  "HTTP/1.1 %d %s\r\nContent-Type: %s\r\nContent-Length: %zu\r\nConnection: %s\r\n\r\n", miStatus,
                  mpszReason, mpszType, mdsBody.size(), mbClose ? "close" : "keep-alive");
    mrtConnection._dsOut += acHead;
    if (!mbHead) mrtConnection._dsOut += mdsBody;
    if (mbClose) mrtConnection._bCloseAfterWrite = true;
}

// Answers every complete request in the connection's input; false when the connection cannot go on.
bool HandleInput(Connection& mrtConnection, const std::string& mdsRoot) {
    static const std::string kdsNotFound = "<html><head><title>Not found</title></head><body>404</body></html>";
    while (!mrtConnection._bCloseAfterWrite) {
        size_t nEnd = mrtConnection._dsIn.find("\r\n\r\n");
        if (nEnd == std::string::npos) {
            if (mrtConnection._dsIn.size() > knMaxRequestBytes) {
                Answer(mrtConnection, 400, "Bad Request", "text/plain", "request too large\n", false, true);
            }
            return true;
        }
        std::string dsHead = mrtConnection._dsIn.substr(0, nEnd);
        std::string dsLowerHead = dsHead;
        for (char& rc : dsLowerHead) rc = static_cast<char>(std::tolower(static_cast<unsigned char>(rc)));
        // A POST's body (a form the site's steps submit) is read and set aside: the answer is the file, as for a
        // GET. Chunked bodies are refused rather than read as the next request.
        if (dsLowerHead.find("\r\ntransfer-encoding:") != std::string::npos) {
            Answer(mrtConnection, 400, "Bad Request", "text/plain", "no chunked request bodies here\n", false, true);
            return true;
        }
        size_t nBodyBytes = 0;
        size_t nLength = dsLowerHead.find("\r\ncontent-length:");
        if (nLength != std::string::npos) {
            size_t n = nLength + std::strlen("\r\ncontent-length:");
            while (n < dsLowerHead.size() && dsLowerHead[n] == ' ') ++n;
            size_t nDigits = 0;
            for (; n < dsLowerHead.size() && std::isdigit(static_cast<unsigned char>(dsLowerHead[n])); ++n, ++nDigits)
                nBodyBytes = nBodyBytes * 10 + static_cast<size_t>(dsLowerHead[n] - '0');
            if (nDigits == 0 || nDigits > 7 || nBodyBytes > knMaxRequestBytes ||
                (n < dsLowerHead.size() && dsLowerHead[n] != '\r' && dsLowerHead[n] != ' ')) {
                Answer(mrtConnection, 400, "Bad Request", "text/plain", "bad content length\n", false, true);
                return true;
            }
        }
        if (mrtConnection._dsIn.size() < nEnd + 4 + nBodyBytes) return true;  // the rest of the body is to come
        mrtConnection._dsIn.erase(0, nEnd + 4 + nBodyBytes);
        size_t nLineEnd = dsHead.find("\r\n");
        std::string dsLine = dsHead.substr(0, nLineEnd);
        size_t nSp1 = dsLine.find(' '), nSp2 = dsLine.rfind(' ');
        if (nSp1 == std::string::npos || nSp2 == nSp1) {
            Answer(mrtConnection, 400, "Bad Request", "text/plain", "bad request line\n", false, true);
            return true;
        }
        std::string dsMethod = dsLine.substr(0, nSp1), dsTarget = dsLine.substr(nSp1 + 1, nSp2 - nSp1 - 1);
        bool bClose = dsLowerHead.find("\r\nconnection: close") != std::string::npos ||
                      dsLine.compare(nSp2 + 1, std::string::npos, "HTTP/1.0") == 0;
        bool bHead = dsMethod == "HEAD";
        if (dsMethod != "GET" && dsMethod != "POST" && !bHead) {
            Answer(mrtConnection, 405, "Method Not Allowed", "text/plain", "GET, HEAD and POST only\n", false, bClose);
            continue;
        }
        std::string dsPath, dsBody;
        if (DecodePath(dsTarget, &dsPath) && ReadFile(mdsRoot + dsPath, &dsBody))
            Answer(mrtConnection, 200, "OK", ContentType(dsPath), dsBody, bHead, bClose);
        else
            Answer(mrtConnection, 404, "Not Found", "text/html", kdsNotFound, bHead, bClose);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: static-server DIR\n");
        return 2;
    }
    std::string dsRoot = argv[1];
    while (dsRoot.size() > 1 && dsRoot.back() == '/') dsRoot.pop_back();
    std::signal(SIGPIPE, SIG_IGN);
    int iListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in tAddr{};
    tAddr.sin_family = AF_INET;
    tAddr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    tAddr.sin_port = 0;
    socklen_t nAddrLen = sizeof tAddr;
    if (iListen < 0 || bind(iListen, reinterpret_cast<sockaddr*>(&tAddr), sizeof tAddr) != 0 ||
        listen(iListen, 128) != 0 || getsockname(iListen, reinterpret_cast<sockaddr*>(&tAddr), &nAddrLen) != 0) {
        std::fprintf(stderr, "static-server: cannot listen on 127.0.0.1: %s\n", std::strerror(errno));
        return 1;
    }
    std::printf("%d\n", ntohs(tAddr.sin_port));
    std::fflush(stdout);

    std::vector<std::unique_ptr<Connection>> tConnections;
    std::vector<pollfd> tPoll;
    for (;;) {
        tPoll.clear();
        tPoll.push_back({0, POLLIN, 0});  // standard input: its end ends the server
        tPoll.push_back({iListen, POLLIN, 0});
        for (const auto& rptConnection : tConnections)
            tPoll.push_back(
                {rptConnection->_iFd,
                 static_cast<short>(rptConnection->_dsOut.size() > rptConnection->_nOutSent ? POLLOUT : POLLIN), 0});
        if (poll(tPoll.data(), tPoll.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (tPoll[0].revents) {
            char acBuf[256];
            if (read(0, acBuf, sizeof acBuf) <= 0) break;
        }
        if (tPoll[1].revents & POLLIN) {
            int iFd = accept4(iListen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (iFd >= 0) {
                int iOne = 1;
                setsockopt(iFd, IPPROTO_TCP, TCP_NODELAY, &iOne, sizeof iOne);
                auto ptConnection = std::make_unique<Connection>();
                ptConnection->_iFd = iFd;
                tConnections.push_back(std::move(ptConnection));
            }
        }
        for (size_t n = 2; n < tPoll.size(); ++n) {
            if (!tPoll[n].revents) continue;
            Connection& rtConnection = *tConnections[n - 2];
            bool bKeep = true;
            if (tPoll[n].events & POLLOUT) {
                ssize_t nSent = send(rtConnection._iFd, rtConnection._dsOut.data() + rtConnection._nOutSent,
                                     rtConnection._dsOut.size() - rtConnection._nOutSent, MSG_NOSIGNAL);
                if (nSent < 0 && errno != EAGAIN && errno != EINTR) bKeep = false;
                if (nSent > 0) rtConnection._nOutSent += static_cast<size_t>(nSent);
                if (rtConnection._nOutSent == rtConnection._dsOut.size()) {
                    rtConnection._dsOut.clear();
                    rtConnection._nOutSent = 0;
                    if (rtConnection._bCloseAfterWrite) bKeep = false;
                }
            } else {
                char acBuf[16384];
                ssize_t nRead = recv(rtConnection._iFd, acBuf, sizeof acBuf, 0);
                if (nRead == 0 || (nRead < 0 && errno != EAGAIN && errno != EINTR)) {
                    bKeep = false;
                } else if (nRead > 0) {
                    rtConnection._dsIn.append(acBuf, static_cast<size_t>(nRead));
                    bKeep = HandleInput(rtConnection, dsRoot);
                }
            }
            if (!bKeep) {
                close(rtConnection._iFd);
                rtConnection._iFd = -1;
            }
        }
        for (size_t n = tConnections.size(); n-- > 0;)
            if (tConnections[n]->_iFd < 0) tConnections.erase(tConnections.begin() + static_cast<long>(n));
    }
    for (const auto& rptConnection : tConnections) close(rptConnection->_iFd);
    close(iListen);
    return 0;
}
