// The virtual user's loads over http: against the real test server on 127.0.0.1 (tests/server): pages, redirect
// chains with their hops and cookies, posts, error statuses, and servers that misbehave; also the content-type
// classes the loads report.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "KxwEngineFetch.h"

extern char** environ;

namespace {

// Writes what the listener saw, so that the order of the callbacks can be checked.
class RecordingListener : public KxwEngineFetchListener {
public:
    bool OnRedirect(const KxwEngineFetchHop& mrtHop) override {
        _tEvents.push_back("redirect " + std::to_string(mrtHop._iStatus) + " " + mrtHop._dsToUrl);
        return !_bStopAtRedirect;
    }
    bool OnResponseHeaders(const KxwEngineFetchResponse& mrtResponse) override {
        _tEvents.push_back("headers " + std::to_string(mrtResponse._iStatus) + " " + mrtResponse._dsMediaType);
        return true;
    }
    bool OnBodyBytes(const char* mpsfBytes, size_t mnLen) override {
        _dsBody.append(mpsfBytes, mnLen);
        ++_nPieces;
        return _dsBody.size() < _nStopAfterBytes;
    }

    std::vector<std::string> _tEvents;
    std::string _dsBody;
    size_t _nPieces = 0;
    bool _bStopAtRedirect = false;
    size_t _nStopAfterBytes = SIZE_MAX;
};

// The real test server (tests/server/kxw_test_server.py) as a child process: started on a free port of 127.0.0.1,
// stopped by closing its standard input (and a signal, should it be stuck).
class TestServer {
public:
    ~TestServer() { Stop(); }
    // False when it did not start; _iExitStatus then says how it ended (77: https without the openssl command).
    bool Start(const std::string& mdsRoot, const std::string& mdsCertFile = std::string()) {
        int aiIn[2], aiOut[2];
        if (pipe2(aiIn, O_CLOEXEC) != 0) return false;
        if (pipe2(aiOut, O_CLOEXEC) != 0) return false;
        posix_spawn_file_actions_t tActions;
        posix_spawn_file_actions_init(&tActions);
        posix_spawn_file_actions_adddup2(&tActions, aiIn[0], 0);
        posix_spawn_file_actions_adddup2(&tActions, aiOut[1], 1);
        std::string dsScript = KXW_TEST_SERVER_SCRIPT, dsTls = "--tls", dsCert = mdsCertFile, dsRoot = mdsRoot;
        std::vector<char*> tArgs = {const_cast<char*>("python3"), &dsScript[0]};
        if (!dsCert.empty()) {
            tArgs.push_back(&dsTls[0]);
            tArgs.push_back(&dsCert[0]);
        }
        tArgs.push_back(&dsRoot[0]);
        tArgs.push_back(nullptr);
        int iStatus = posix_spawnp(&_tPid, "python3", &tActions, nullptr, tArgs.data(), environ);
        posix_spawn_file_actions_destroy(&tActions);
        close(aiIn[0]);
        close(aiOut[1]);
        _iStdin = aiIn[1];
        if (iStatus != 0) {
            _tPid = 0;
            close(aiOut[0]);
            return false;
        }
        // The first line is the port.
        std::string dsLine;
        pollfd tPoll{aiOut[0], POLLIN, 0};
        char c;
        while (dsLine.find('\n') == std::string::npos && poll(&tPoll, 1, 30000) > 0 && read(aiOut[0], &c, 1) == 1)
            dsLine += c;
        close(aiOut[0]);
        if (dsLine.find('\n') == std::string::npos) {
            Stop();
            return false;
        }
        _dsBase = std::string(dsCert.empty() ? "http" : "https") + "://127.0.0.1:" + std::to_string(std::stoi(dsLine));
        return true;
    }
    void Stop() {
        if (_iStdin >= 0) close(_iStdin);
        _iStdin = -1;
        if (_tPid > 0) {
            // It ends by itself once its input is closed; the signal is for one that does not.
            int iStatus = 0;
            for (int i = 0; i < 50 && waitpid(_tPid, &iStatus, WNOHANG) == 0; ++i) usleep(20000);
            if (waitpid(_tPid, &iStatus, WNOHANG) == 0) {
                kill(_tPid, SIGTERM);
                waitpid(_tPid, &iStatus, 0);
            }
            _iExitStatus = WIFEXITED(iStatus) ? WEXITSTATUS(iStatus) : -1;
        }
        _tPid = 0;
    }

    std::string _dsBase;
    int _iExitStatus = 0;

private:
    pid_t _tPid = 0;
    int _iStdin = -1;
};

class KxwEngineHttpClientTest : public ::testing::Test {
protected:
    // One server for the whole suite: it starts in a second or so.
    static void SetUpTestSuite() {
        // ctest runs each test in a process of its own, several at once: each has its own folder.
        gdsRoot = testing::TempDir() + "kxw-http-client-root-" + std::to_string(getpid());
        mkdir(gdsRoot.c_str(), 0777);
        WriteFile("page.html", "<html><head><title>Page</title></head><body><a href=next.html>next</a></body></html>");
        gptServer = new TestServer;
        if (gptServer->Start(gdsRoot)) gdsBase = gptServer->_dsBase;
    }
    static void TearDownTestSuite() {
        delete gptServer;
        gptServer = nullptr;
        std::error_code tError;
        std::filesystem::remove_all(gdsRoot, tError);
    }
    void SetUp() override { ASSERT_FALSE(gdsBase.empty()) << "the test server did not start (python3?)"; }
    static void WriteFile(const std::string& mdsName, const std::string& mdsText) {
        std::FILE* ptFile = std::fopen((gdsRoot + "/" + mdsName).c_str(), "wb");
        std::fwrite(mdsText.data(), 1, mdsText.size(), ptFile);
        std::fclose(ptFile);
    }

    bool Get(const std::string& mdsPath, KxwEngineFetchListener* mptListener = nullptr) {
        _tRequest._dsUrl = mdsPath.compare(0, 1, "/") == 0 ? gdsBase + mdsPath : mdsPath;
        return _tFetcher.Fetch(_tRequest, mptListener, &_tResponse);
    }

    static std::string gdsRoot;
    static std::string gdsBase;
    static TestServer* gptServer;

    KxwEngineFetcher _tFetcher;
    KxwEngineFetchRequest _tRequest;
    KxwEngineFetchResponse _tResponse;
};

std::string KxwEngineHttpClientTest::gdsRoot;
std::string KxwEngineHttpClientTest::gdsBase;
TestServer* KxwEngineHttpClientTest::gptServer = nullptr;

TEST_F(KxwEngineHttpClientTest, APageComesWithItsStatusTypeAndHeadersOverOneConnection) {
    ASSERT_TRUE(Get("/page.html")) << _tResponse._dsError;
    EXPECT_EQ(200, _tResponse._iStatus);
    EXPECT_EQ("OK", _tResponse._dsStatusText);
    EXPECT_EQ(gdsBase + "/page.html", _tResponse._dsFinalUrl);
    EXPECT_TRUE(_tResponse._tRedirects.empty());
    EXPECT_NE(std::string::npos, _tResponse._dsBody.find("<title>Page</title>"));
    EXPECT_EQ("text/html", _tResponse._dsMediaType);
    EXPECT_EQ(KXW_ENGINE_CONTENT_CLASS_HTML, _tResponse._eContentClass);
    EXPECT_EQ("", _tResponse._dsCharset);
    ASSERT_NE(nullptr, _tResponse.FindHeader("content-length"));
    EXPECT_EQ(std::to_string(_tResponse._dsBody.size()), *_tResponse.FindHeader("Content-Length"));
    EXPECT_EQ(1, _tResponse._lNewConnections);
    // The next load of the virtual user goes over the connection the first one left open.
    ASSERT_TRUE(Get("/type?ct=text/html;+charset=ISO-8859-1&body=x")) << _tResponse._dsError;
    EXPECT_EQ(0, _tResponse._lNewConnections);
    EXPECT_EQ("windows-1252", _tResponse._dsCharset) << "pages labelled Latin-1 are read as windows-1252";
    EXPECT_EQ("x", _tResponse._dsBody);
}

TEST_F(KxwEngineHttpClientTest, RedirectsAreFollowedHopByHopWithTheirCookies) {
    RecordingListener tListener;
    ASSERT_TRUE(Get("/cookie?set=hop%3D1&to=/redirect%3Fn%3D2%26to%3D/echo%253Fx%253D1%2523top", &tListener))
        << _tResponse._dsError;
    ASSERT_EQ(3u, _tResponse._tRedirects.size());
    EXPECT_EQ(gdsBase + "/cookie?set=hop%3D1&to=/redirect%3Fn%3D2%26to%3D/echo%253Fx%253D1%2523top",
              _tResponse._tRedirects[0]._dsFromUrl);
    EXPECT_EQ(gdsBase + "/echo?x=1#top", _tResponse._dsFinalUrl) << "the fragment of the last Location stays";
    ASSERT_EQ(4u, tListener._tEvents.size());
    EXPECT_EQ("redirect 302 " + gdsBase + "/redirect?n=2&to=/echo%3Fx%3D1%23top", tListener._tEvents[0]);
    EXPECT_EQ("redirect 302 " + gdsBase + "/echo?x=1#top", tListener._tEvents[2]);
    EXPECT_EQ("headers 200 text/plain", tListener._tEvents[3]);
    EXPECT_EQ(tListener._dsBody, _tResponse._dsBody);
    // The cookie of the first hop went with the later requests; the redirects' bodies were not delivered.
    EXPECT_EQ(0u, _tResponse._dsBody.find("GET /echo?x=1 HTTP/1.1\n"));
    EXPECT_NE(std::string::npos, _tResponse._dsBody.find("\nCookie: hop=1\n"));
    EXPECT_EQ(std::string::npos, _tResponse._dsBody.find("moved"));
    EXPECT_EQ("hop=1", _tFetcher.GetCookieJar().GetCookies(gdsBase + "/", KxwEngineCookieJar::kFromScript));
}

TEST_F(KxwEngineHttpClientTest, EndlessAndUnusableRedirectsEndTheLoad) {
    RecordingListener tListener;
    EXPECT_FALSE(Get("/redirect?n=1000", &tListener));
    EXPECT_EQ(KXW_ENGINE_FETCH_TOO_MANY_REDIRECTS, _tResponse._eError);
    EXPECT_EQ("cannot load " + gdsBase + "/redirect?n=1000: more than 20 redirects", _tResponse._dsError);
    EXPECT_EQ(20u, _tResponse._tRedirects.size());
    EXPECT_EQ(20u, tListener._tEvents.size());

    EXPECT_FALSE(Get("/redirect?to=file:///etc/passwd"));
    EXPECT_EQ(KXW_ENGINE_FETCH_BAD_REDIRECT, _tResponse._eError);
    EXPECT_NE(std::string::npos, _tResponse._dsError.find("redirects to \"file:///etc/passwd\", which is not"))
        << _tResponse._dsError;

    // The caller may stop at a hop.
    tListener._bStopAtRedirect = true;
    EXPECT_FALSE(Get("/redirect?n=3", &tListener));
    EXPECT_EQ(KXW_ENGINE_FETCH_ABORTED, _tResponse._eError);
    EXPECT_EQ(1u, _tResponse._tRedirects.size());
}

TEST_F(KxwEngineHttpClientTest, APostSendsItsBodyAndHeadersAndBecomesAGetAfterASeeOther) {
    _tRequest._dsMethod = "POST";
    _tRequest._dsBody = "q=shoes&size=42";
    _tRequest._dsReferrer = gdsBase + "/page.html";
    _tRequest._dsUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";
    _tRequest._tHeaders = {{"X-Step", "3"}, {"X-Bad", "a\r\nX-Injected: 1"}, {"Bad:Name", "1"}};
    ASSERT_TRUE(Get("/echo")) << _tResponse._dsError;
    const std::string& rdsEcho = _tResponse._dsBody;
    EXPECT_EQ(0u, rdsEcho.find("POST /echo HTTP/1.1\n"));
    EXPECT_NE(std::string::npos, rdsEcho.find("\nContent-Type: application/x-www-form-urlencoded\n"));
    EXPECT_NE(std::string::npos, rdsEcho.find("\nReferer: " + gdsBase + "/page.html\n"));
    EXPECT_NE(std::string::npos, rdsEcho.find("\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\n"));
    EXPECT_NE(std::string::npos, rdsEcho.find("\nX-Step: 3\n"));
    EXPECT_EQ(std::string::npos, rdsEcho.find("Injected")) << "a header with a line break is not sent";
    EXPECT_EQ(std::string::npos, rdsEcho.find("Bad"));
    EXPECT_EQ(std::string::npos, rdsEcho.find("Expect:"));
    EXPECT_EQ(rdsEcho.size() - 15, rdsEcho.find("\n\nq=shoes&size=42") + 2);

    ASSERT_TRUE(Get("/redirect?to=/echo&code=303")) << _tResponse._dsError;
    EXPECT_EQ(0u, _tResponse._dsBody.find("GET /echo HTTP/1.1\n"));
    EXPECT_EQ(std::string::npos, _tResponse._dsBody.find("q=shoes"));
    _tRequest._dsBodyContentType = "text/plain";
    ASSERT_TRUE(Get("/redirect?to=/echo&code=307")) << _tResponse._dsError;
    EXPECT_EQ(0u, _tResponse._dsBody.find("POST /echo HTTP/1.1\n")) << "307 keeps the method and the body";
    EXPECT_NE(std::string::npos, _tResponse._dsBody.find("\nContent-Type: text/plain\n"));
    EXPECT_NE(std::string::npos, _tResponse._dsBody.find("q=shoes"));

    _tRequest._dsMethod = "DELETE";
    EXPECT_FALSE(Get("/echo"));
    EXPECT_EQ(KXW_ENGINE_FETCH_BAD_REQUEST, _tResponse._eError);
}

TEST_F(KxwEngineHttpClientTest, AnErrorStatusFailsTheLoadButKeepsTheResponse) {
    RecordingListener tListener;
    EXPECT_FALSE(Get("/status/404", &tListener));
    EXPECT_EQ(KXW_ENGINE_FETCH_HTTP_STATUS, _tResponse._eError);
    EXPECT_EQ("cannot load " + gdsBase + "/status/404: HTTP 404 Not Found", _tResponse._dsError);
    EXPECT_EQ(404, _tResponse._iStatus);
    EXPECT_NE(std::string::npos, _tResponse._dsBody.find("<title>Status 404</title>"));
    EXPECT_EQ(_tResponse._dsBody, tListener._dsBody);
    EXPECT_TRUE(Get("/status/204"));
    EXPECT_EQ(204, _tResponse._iStatus);
    EXPECT_FALSE(Get("/status/503"));
    EXPECT_EQ(503, _tResponse._iStatus);
}

TEST_F(KxwEngineHttpClientTest, MisbehavingServersGiveAClearReasonAndNoResponse) {
    struct Case {
        std::string _dsUrl;
        KXW_ENGINE_FETCH_ERROR_ENUM _eError;
        const char* _pszReason;
        uint32_t _uTimeoutMs = 30000;
    };
    // A port nobody listens on: bound, never listened to, closed.
    int iSocket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in tAddr{};
    tAddr.sin_family = AF_INET;
    tAddr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t nAddr = sizeof tAddr;
    ASSERT_EQ(0, bind(iSocket, reinterpret_cast<sockaddr*>(&tAddr), sizeof tAddr));
    ASSERT_EQ(0, getsockname(iSocket, reinterpret_cast<sockaddr*>(&tAddr), &nAddr));
    std::string dsClosedPort = "http://127.0.0.1:" + std::to_string(ntohs(tAddr.sin_port)) + "/";
    close(iSocket);
    std::string dsTlsToPlain = "https://" + gdsBase.substr(7) + "/page.html";

    _tRequest._nMaxBodyBytes = 100000;
    // Only the slow server's case has a short limit: a secure connection's set-up alone (its trusted certificates
    // read) may take seconds in a sanitizer build.
    const Case katCases[] = {
        {dsClosedPort, KXW_ENGINE_FETCH_CONNECT, "could not connect to the server"},
        {gdsBase + "/slow?ms=20000", KXW_ENGINE_FETCH_TIMEOUT, "the server did not answer in time (500 ms)", 500},
        {gdsBase + "/big?bytes=1000000", KXW_ENGINE_FETCH_BODY_TOO_LARGE, "the response is larger than 100000 bytes"},
        {dsTlsToPlain, KXW_ENGINE_FETCH_TLS, "the secure connection could not be set up"},
        {gdsBase + "/close", KXW_ENGINE_FETCH_PROTOCOL, "the server closed the connection without an answer"},
        {gdsBase + "/garbage", KXW_ENGINE_FETCH_PROTOCOL, "the server's answer is not HTTP"},
        {"http://no-such-host.invalid/", KXW_ENGINE_FETCH_DNS, "the host name does not resolve"},
        {"ftp://127.0.0.1/file", KXW_ENGINE_FETCH_BAD_REQUEST, "URLs of the scheme ftp: are not loaded"},
        {"http:///nohost", KXW_ENGINE_FETCH_BAD_REQUEST, "not an http: or https: URL with a host"},
    };
    for (const Case& rtCase : katCases) {
        SCOPED_TRACE(rtCase._dsUrl);
        _tRequest._uTimeoutMs = rtCase._uTimeoutMs;
        EXPECT_FALSE(Get(rtCase._dsUrl));
        EXPECT_EQ(rtCase._eError, _tResponse._eError);
        EXPECT_EQ(0u, _tResponse._dsError.find("cannot load " + rtCase._dsUrl + ": " + rtCase._pszReason))
            << _tResponse._dsError;
        EXPECT_EQ(std::string::npos, _tResponse._dsError.find_first_of("\r\n")) << _tResponse._dsError;
    }
    // The virtual user's client still works after each of them.
    EXPECT_TRUE(Get("/page.html")) << _tResponse._dsError;
}

TEST_F(KxwEngineHttpClientTest, TheBodyArrivesInPiecesAndTheCallerMayStopIt) {
    RecordingListener tListener;
    _tRequest._bAccumulateBody = false;
    ASSERT_TRUE(Get("/big?bytes=300000", &tListener)) << _tResponse._dsError;
    EXPECT_EQ(std::string(300000, 'x'), tListener._dsBody);
    EXPECT_GT(tListener._nPieces, 1u);
    EXPECT_TRUE(_tResponse._dsBody.empty()) << "the caller took the body from the callback alone";

    RecordingListener tStopping;
    tStopping._nStopAfterBytes = 1;
    EXPECT_FALSE(Get("/big?bytes=300000", &tStopping));
    EXPECT_EQ(KXW_ENGINE_FETCH_ABORTED, _tResponse._eError);
    EXPECT_EQ(1u, tStopping._nPieces);
    EXPECT_TRUE(Get("/page.html")) << _tResponse._dsError;
}

TEST_F(KxwEngineHttpClientTest, ContentTypesFallIntoTheClassesTheLibraryReads) {
    struct Case {
        const char* _pszContentType;
        const char* _pszMediaType;
        KXW_ENGINE_CONTENT_CLASS_ENUM _eClass;
    };
    const Case katCases[] = {
        {"text/html; charset=utf-8", "text/html", KXW_ENGINE_CONTENT_CLASS_HTML},
        {" TEXT/HTML ", "text/html", KXW_ENGINE_CONTENT_CLASS_HTML},
        {"text/xml", "text/xml", KXW_ENGINE_CONTENT_CLASS_XML},
        {"application/xml", "application/xml", KXW_ENGINE_CONTENT_CLASS_XML},
        {"application/rss+xml", "application/rss+xml", KXW_ENGINE_CONTENT_CLASS_XML},
        {"text/plain", "text/plain", KXW_ENGINE_CONTENT_CLASS_TEXT},
        {"text/css", "text/css", KXW_ENGINE_CONTENT_CLASS_TEXT},
        {"application/javascript", "application/javascript", KXW_ENGINE_CONTENT_CLASS_TEXT},
        {"application/json", "application/json", KXW_ENGINE_CONTENT_CLASS_TEXT},
        {"image/png", "image/png", KXW_ENGINE_CONTENT_CLASS_NO_CONTEXT},
        {"application/octet-stream", "application/octet-stream", KXW_ENGINE_CONTENT_CLASS_NO_CONTEXT},
        {"application/pdf", "application/pdf", KXW_ENGINE_CONTENT_CLASS_NO_CONTEXT},
        {"video/mp4", "video/mp4", KXW_ENGINE_CONTENT_CLASS_NO_CONTEXT},
        {"", "", KXW_ENGINE_CONTENT_CLASS_UNKNOWN},
        {"garbage", "", KXW_ENGINE_CONTENT_CLASS_UNKNOWN},
        {"text/", "", KXW_ENGINE_CONTENT_CLASS_UNKNOWN},
    };
    for (const Case& rtCase : katCases) {
        SCOPED_TRACE(rtCase._pszContentType);
        std::string dsQuery;
        for (const char* psz = rtCase._pszContentType; *psz; ++psz) {
            char acEscape[4];
            std::snprintf(acEscape, sizeof acEscape, "%%%02X", static_cast<unsigned char>(*psz));
            dsQuery += acEscape;
        }
        ASSERT_TRUE(Get("/type?ct=" + dsQuery)) << _tResponse._dsError;
        EXPECT_EQ(rtCase._pszMediaType, _tResponse._dsMediaType);
        EXPECT_EQ(rtCase._eClass, _tResponse._eContentClass);
    }
    EXPECT_EQ("koi8-r", xfdsKxwEngineContentTypeCharset("text/plain; charset=\"KOI8-R\"", 28));
    EXPECT_EQ("", xfdsKxwEngineContentTypeCharset("text/plain; charset=nonsense", 28));
    EXPECT_EQ("", xfdsKxwEngineContentTypeCharset("text/charset=utf-8", 18)) << "a charset is a parameter";
    // The engine's own kinds of content.
    struct KindCase {
        const char* _pszMediaType;
        const char* _pszKind;
    };
    const KindCase katKinds[] = {
        {"text/html", "html"},         {"application/javascript", "script"},
        {"text/javascript", "script"}, {"text/css", "css"},
        {"image/png", "image"},        {"image/svg+xml", "image"},
        {"text/xml", "xml"},           {"application/rss+xml", "xml"},
        {"text/plain", "text"},        {"application/json", "text"},
        {"application/pdf", "other"},  {"", "other"},
    };
    for (const KindCase& rtCase : katKinds)
        EXPECT_STREQ(rtCase._pszKind, xfpszKxwEngineContentKindName(xfeKxwEngineContentKind(rtCase._pszMediaType)))
            << rtCase._pszMediaType;
    ASSERT_TRUE(Get("/type?ct=text/css")) << _tResponse._dsError;
    EXPECT_EQ(KXW_ENGINE_CONTENT_KIND_CSS, _tResponse._eContentKind);
    EXPECT_STREQ("text/html", xfpszKxwEngineMediaTypeOfFile("/site/INDEX.HTM"));
    EXPECT_STREQ("text/xml", xfpszKxwEngineMediaTypeOfFile("/site/feed.xml"));
    EXPECT_STREQ("application/javascript", xfpszKxwEngineMediaTypeOfFile("/site/app.js"));
    EXPECT_STREQ("image/jpeg", xfpszKxwEngineMediaTypeOfFile("/site/photo.jpeg"));
    EXPECT_STREQ("application/octet-stream", xfpszKxwEngineMediaTypeOfFile("/site/archive.zip"));
    EXPECT_STREQ("application/octet-stream", xfpszKxwEngineMediaTypeOfFile("/site.html/README"));
}

TEST_F(KxwEngineHttpClientTest, CookiesTheServerSetsGoBackOnTheNextRequestWithThoseOfScripts) {
    ASSERT_TRUE(Get("/cookie?set=sid%3Dabc%3B+HttpOnly%3B+Path%3D%2F&set=theme%3Ddark")) << _tResponse._dsError;
    KxwEngineCookieJar& rtJar = _tFetcher.GetCookieJar();
    EXPECT_EQ("sid=abc; theme=dark", rtJar.GetCookies(gdsBase + "/cookies", KxwEngineCookieJar::kFromHttp));
    EXPECT_EQ("theme=dark", rtJar.GetCookies(gdsBase + "/cookies", KxwEngineCookieJar::kFromScript))
        << "a script never sees an HttpOnly cookie";
    // What a page's script sets (document.cookie = ...) goes with the next request too.
    std::string dsScriptCookie = "js=1";
    EXPECT_TRUE(rtJar.Store(gdsBase + "/page.html", dsScriptCookie.data(), dsScriptCookie.size(),
                            KxwEngineCookieJar::kFromScript));
    ASSERT_TRUE(Get("/cookies")) << _tResponse._dsError;
    EXPECT_NE(std::string::npos, _tResponse._dsBody.find("<p id=cookie>sid=abc; theme=dark; js=1</p>"))
        << _tResponse._dsBody;
    // A cookie the server deletes is gone from the next request.
    ASSERT_TRUE(Get("/cookie?set=theme%3D%3B+Max-Age%3D0")) << _tResponse._dsError;
    ASSERT_TRUE(Get("/cookies")) << _tResponse._dsError;
    EXPECT_NE(std::string::npos, _tResponse._dsBody.find("<p id=cookie>sid=abc; js=1</p>")) << _tResponse._dsBody;
    rtJar.Clear();
    ASSERT_TRUE(Get("/cookies")) << _tResponse._dsError;
    EXPECT_NE(std::string::npos, _tResponse._dsBody.find("<p id=cookie>none</p>")) << _tResponse._dsBody;
}

TEST_F(KxwEngineHttpClientTest, HostNamesAreLookedUpForCurl) {
    // "localhost" curl reads itself; another name the client looks up (here the machine's own name, when it is one
    // of this machine's loopback addresses) and hands to curl with its port.
    std::string dsPort = gdsBase.substr(gdsBase.rfind(':') + 1);
    ASSERT_TRUE(Get("http://localhost:" + dsPort + "/page.html")) << _tResponse._dsError;
    char acHost[256] = {};
    ASSERT_EQ(0, gethostname(acHost, sizeof acHost - 1));
    addrinfo tHints{};
    tHints.ai_family = AF_INET;
    addrinfo* ptResult = nullptr;
    bool bLoopback = getaddrinfo(acHost, nullptr, &tHints, &ptResult) == 0 && ptResult &&
                     (ntohl(reinterpret_cast<sockaddr_in*>(ptResult->ai_addr)->sin_addr.s_addr) >> 24) == 127;
    if (ptResult) freeaddrinfo(ptResult);
    if (!bLoopback) GTEST_SKIP() << acHost << " is not a loopback name here";
    ASSERT_TRUE(Get(std::string("http://") + acHost + ":" + dsPort + "/echo")) << _tResponse._dsError;
    EXPECT_NE(std::string::npos, _tResponse._dsBody.find(std::string("\nHost: ") + acHost + ":" + dsPort + "\n"))
        << _tResponse._dsBody;
}

TEST_F(KxwEngineHttpClientTest, FilesAreReadAsPagesWhateverTheirName) {
    WriteFile("picture.png", "<p>not really a picture</p>");
    _tRequest._dsUrl = "file://" + gdsRoot + "/picture.png";
    ASSERT_TRUE(_tFetcher.Fetch(_tRequest, nullptr, &_tResponse)) << _tResponse._dsError;
    EXPECT_EQ("image/png", _tResponse._dsMediaType);
    EXPECT_EQ(KXW_ENGINE_CONTENT_KIND_IMAGE, _tResponse._eContentKind);
    EXPECT_EQ(KXW_ENGINE_CONTENT_CLASS_UNKNOWN, _tResponse._eContentClass) << "the player reads every file as a page";
    EXPECT_EQ("<p>not really a picture</p>", _tResponse._dsBody);
}

// https: against the same server with a self-signed certificate made at test time (skipped without openssl).
class KxwEngineHttpsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        gdsRoot = testing::TempDir() + "kxw-https-root-" + std::to_string(getpid());
        mkdir(gdsRoot.c_str(), 0777);
        std::FILE* ptFile = std::fopen((gdsRoot + "/page.html").c_str(), "wb");
        std::fputs("<html><head><title>Secure</title></head><body>s</body></html>", ptFile);
        std::fclose(ptFile);
        gdsCert = gdsRoot + "/cert.pem";
        gptServer = new TestServer;
        if (gptServer->Start(gdsRoot, gdsCert)) {
            gdsBase = gptServer->_dsBase;
        } else {
            gptServer->Stop();
            gbNoOpenssl = gptServer->_iExitStatus == 77;
        }
    }
    static void TearDownTestSuite() {
        delete gptServer;
        gptServer = nullptr;
        std::error_code tError;
        std::filesystem::remove_all(gdsRoot, tError);
    }
    void SetUp() override {
        if (gbNoOpenssl) GTEST_SKIP() << "no openssl command to make the server's certificate with";
        ASSERT_FALSE(gdsBase.empty()) << "the https test server did not start";
    }
    bool Get(const std::string& mdsPath) {
        _tRequest._dsUrl = gdsBase + mdsPath;
        return _tFetcher.Fetch(_tRequest, nullptr, &_tResponse);
    }

    static std::string gdsRoot;
    static std::string gdsCert;
    static std::string gdsBase;
    static bool gbNoOpenssl;
    static TestServer* gptServer;

    KxwEngineFetcher _tFetcher;
    KxwEngineFetchRequest _tRequest;
    KxwEngineFetchResponse _tResponse;
};

std::string KxwEngineHttpsTest::gdsRoot;
std::string KxwEngineHttpsTest::gdsCert;
std::string KxwEngineHttpsTest::gdsBase;
bool KxwEngineHttpsTest::gbNoOpenssl = false;
TestServer* KxwEngineHttpsTest::gptServer = nullptr;

TEST_F(KxwEngineHttpsTest, ATrustedServerAnswersOverTls) {
    _tRequest._dsTlsCaFile = gdsCert;
    ASSERT_TRUE(Get("/page.html")) << _tResponse._dsError;
    EXPECT_EQ(200, _tResponse._iStatus);
    EXPECT_EQ(gdsBase + "/page.html", _tResponse._dsFinalUrl);
    EXPECT_NE(std::string::npos, _tResponse._dsBody.find("<title>Secure</title>"));
    ASSERT_TRUE(Get("/redirect?n=2&to=/page.html")) << _tResponse._dsError;
    EXPECT_EQ(2u, _tResponse._tRedirects.size());
    EXPECT_EQ(0, _tResponse._lNewConnections) << "the secure connection is kept too";
    EXPECT_FALSE(Get("/status/404"));
    EXPECT_EQ("cannot load " + gdsBase + "/status/404: HTTP 404 Not Found", _tResponse._dsError);
}

TEST_F(KxwEngineHttpsTest, AnUntrustedCertificateFailsUnlessCheckingIsOff) {
    EXPECT_FALSE(Get("/page.html"));
    EXPECT_EQ(KXW_ENGINE_FETCH_TLS, _tResponse._eError);
    EXPECT_EQ(0u, _tResponse._dsError.find("cannot load " + gdsBase +
                                           "/page.html: the server's certificate is not "
                                           "trusted"))
        << _tResponse._dsError;
    _tRequest._dsTlsCaFile = gdsRoot + "/no-such-file.pem";
    EXPECT_FALSE(Get("/page.html"));
    EXPECT_EQ(KXW_ENGINE_FETCH_TLS, _tResponse._eError) << _tResponse._dsError;
    _tRequest._dsTlsCaFile.clear();
    _tRequest._bTlsVerifyPeer = false;
    EXPECT_TRUE(Get("/page.html")) << _tResponse._dsError;
}

TEST_F(KxwEngineHttpsTest, SecureCookiesGoOverHttpsOnly) {
    _tRequest._dsTlsCaFile = gdsCert;
    ASSERT_TRUE(Get("/cookie?set=s%3D1%3B+Secure&set=p%3D2")) << _tResponse._dsError;
    ASSERT_TRUE(Get("/cookies")) << _tResponse._dsError;
    EXPECT_NE(std::string::npos, _tResponse._dsBody.find("<p id=cookie>s=1; p=2</p>")) << _tResponse._dsBody;
    std::string dsPlain = "http://" + gdsBase.substr(8) + "/cookies";
    EXPECT_EQ("p=2", _tFetcher.GetCookieJar().GetCookies(dsPlain, KxwEngineCookieJar::kFromHttp));
}

}  // namespace
