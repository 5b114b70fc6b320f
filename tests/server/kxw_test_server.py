#!/usr/bin/env python3
"""The HTTP server the tests load pages from: a folder's files and a few routes that answer as the tests need.

    kxw_test_server.py [--tls CERT] DIR

Listens on 127.0.0.1 on a free port and prints the port as its first line of standard output. Runs until SIGTERM
or until its standard input closes, so that it ends with the test that started it, however that test ends.

--tls CERT serves https: instead: a self-signed certificate for 127.0.0.1 and localhost is made with the openssl
command into the file CERT (its key beside it, CERT.key), for the client to trust. Without openssl the server
says so on standard error and exits with status 77 (the tests then skip what needs https).

Routes (anything else is a file of DIR, or 404):
    /redirect?to=URL&n=N&code=C   a chain of N redirects (status C, default 302) ending at URL (default /echo)
    /cookie?set=COOKIE&to=URL     one Set-Cookie header per set=; redirects to URL when given, else a small page
    /echo                         the request as text/plain: the request line, the headers as received, a blank
                                  line, the body (GET and POST)
    /cookies                      a page whose <p id=cookie> holds the request's Cookie header (or "none")
    /status/NNN                   a small page with that status
    /slow?ms=N                    waits N milliseconds, then a small page
    /type?ct=TYPE&body=TEXT       TEXT (default "payload") with the Content-Type TYPE
    /big?bytes=N                  N bytes of 'x' (text/plain), written in pieces
    /close                        closes the connection without an answer
    /garbage                      an answer that is not HTTP
"""
import html
import http.server
import os
import shutil
import ssl
import subprocess
import signal
import sys
import threading
import time
import urllib.parse


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "KxwTestServer/1"
    # Headers and body leave in separate writes: without this the body would wait for the client's delayed ACK.
    disable_nagle_algorithm = True
    root = "."

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        self.dispatch(b"")

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        self.dispatch(self.rfile.read(length) if length > 0 else b"")

    def dispatch(self, body):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)

        def arg(name, default=""):
            return query.get(name, [default])[0]

        try:
            if url.path == "/redirect":
                self.redirect_chain(arg("to", "/echo"), int(arg("n", "1")), int(arg("code", "302")))
            elif url.path == "/cookie":
                self.set_cookies(query.get("set", []), arg("to"))
            elif url.path == "/echo":
                self.echo(body)
            elif url.path == "/cookies":
                cookie = html.escape(self.headers.get("Cookie", "none"))
                self.answer(200, "text/html; charset=utf-8",
                            "<html><head><title>Cookies</title></head><body><p id=cookie>%s</p></body></html>"
                            % cookie)
            elif url.path.startswith("/status/"):
                code = int(url.path[len("/status/"):])
                self.answer(code, "text/html", "<html><head><title>Status %d</title></head><body>%d</body></html>"
                            % (code, code))
            elif url.path == "/slow":
                time.sleep(int(arg("ms", "1000")) / 1000.0)
                self.answer(200, "text/html", "<html><head><title>Slow</title></head><body>late</body></html>")
            elif url.path == "/type":
                self.answer(200, arg("ct"), arg("body", "payload"))
            elif url.path == "/big":
                self.big(int(arg("bytes", "0")))
            elif url.path == "/close":
                self.close_connection = True
                self.connection.shutdown(2)
            elif url.path == "/garbage":
                self.close_connection = True
                self.wfile.write(b"\x00\x01 this is no answer \xff\r\n\r\n")
            else:
                self.serve_file(url.path)
        except (BrokenPipeError, ConnectionResetError):
            # The client gave up (a timeout, a size limit): nothing to answer.
            self.close_connection = True

    def answer(self, code, content_type, text, headers=()):
        data = text.encode("utf-8") if isinstance(text, str) else text
        # These answers have no body (a client would read one as the start of the next answer).
        if code < 200 or code in (204, 304):
            data = b""
        self.send_response(code)
        if content_type and data:
            self.send_header("Content-Type", content_type)
        for name, value in headers:
            self.send_header(name, value)
        if code >= 200 and code != 204:
            self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def redirect_chain(self, target, count, code):
        if count > 1:
            query = urllib.parse.urlencode({"to": target, "n": count - 1, "code": code})
            target = "/redirect?" + query
        self.answer(code, "text/html", "<html><body>moved</body></html>", [("Location", target)])

    def set_cookies(self, cookies, target):
        headers = [("Set-Cookie", cookie) for cookie in cookies]
        if target:
            headers.append(("Location", target))
            self.answer(302, "text/html", "<html><body>moved</body></html>", headers)
        else:
            self.answer(200, "text/html", "<html><head><title>Cookies</title></head><body>set</body></html>",
                        headers)

    def echo(self, body):
        lines = [self.requestline]
        lines += ["%s: %s" % (name, value) for name, value in self.headers.items()]
        text = "\n".join(lines) + "\n\n" + body.decode("latin-1")
        self.answer(200, "text/plain; charset=iso-8859-1", text.encode("latin-1"))

    def big(self, count):
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(count))
        self.end_headers()
        piece = b"x" * 65536
        while count > 0:
            self.wfile.write(piece[:count])
            count -= len(piece)

    def serve_file(self, path):
        relative = os.path.normpath(urllib.parse.unquote(path)).lstrip("/")
        full = os.path.join(self.root, relative)
        if relative.startswith("..") or not os.path.isfile(full):
            self.answer(404, "text/html", "<html><head><title>Not found</title></head><body>404</body></html>")
            return
        types = {".html": "text/html", ".htm": "text/html", ".xml": "text/xml", ".txt": "text/plain",
                 ".js": "application/javascript", ".css": "text/css", ".png": "image/png",
                 ".gif": "image/gif"}
        content_type = types.get(os.path.splitext(full)[1].lower(), "application/octet-stream")
        with open(full, "rb") as file:
            self.answer(200, content_type, file.read())


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    # Closing does not wait for the connections' threads: one still reading from a client that went away must not
    # hold the test's end.
    block_on_close = False

    def handle_error(self, request, client_address):
        # A client that gives up (a timeout, a size limit, a refused certificate) is what several tests do.
        error = sys.exc_info()[1]
        if isinstance(error, (ConnectionError, ssl.SSLError, TimeoutError)):
            return
        super().handle_error(request, client_address)


def make_certificate(cert):
    """A self-signed certificate for 127.0.0.1 and localhost in cert, its key in cert.key; False without openssl."""
    openssl = shutil.which("openssl")
    if not openssl:
        return False
    subprocess.run([openssl, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
                    "-keyout", cert + ".key", "-out", cert],
                   check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    return True


def main():
    args = sys.argv[1:]
    cert = None
    if len(args) == 3 and args[0] == "--tls":
        cert = args[1]
        args = args[2:]
    if len(args) != 1 or not os.path.isdir(args[0]):
        sys.stderr.write("usage: kxw_test_server.py [--tls CERT] DIR\n")
        return 2
    Handler.root = os.path.abspath(args[0])
    context = None
    if cert:
        if not make_certificate(cert):
            sys.stderr.write("kxw_test_server.py: no openssl command to make a certificate with\n")
            return 77
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, cert + ".key")
    server = Server(("127.0.0.1", 0), Handler)
    if context:
        # The handshake happens in the request's thread, so that a client that never completes one stalls no other.
        server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda signum, frame: stop.set())

    def watch_stdin():
        while sys.stdin.buffer.read(4096):
            pass
        stop.set()

    threading.Thread(target=watch_stdin, daemon=True).start()
    # Short polls, so that the server is gone soon after its test ends.
    threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.05}, daemon=True).start()
    print(server.server_address[1], flush=True)
    while not stop.wait(0.05):
        pass
    server.shutdown()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
