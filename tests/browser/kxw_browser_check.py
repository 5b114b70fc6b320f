#!/usr/bin/env python3
"""Opens a local HTML file in a real browser (chromium, headless) and checks what it shows.

    kxw_browser_check.py [--screenshot-not-blank] [--no-network] [--dom-contains TEXT]...
                         [--dom-count TEXT=N]... [--keep-screenshot FILE] [--timeout S] FILE.html
    kxw_browser_check.py --self-test

--screenshot-not-blank  a 1024x768 screenshot of the page is not one colour all over
--no-network            opening the page fetched nothing over http, https, ws or wss (file: and data: are fine);
                        the browser's own background requests (those no page started) are not the page's
--dom-contains TEXT     the page's DOM, serialised after its scripts ran, holds TEXT (repeatable)
--dom-count TEXT=N      ... holds TEXT exactly N times (repeatable; the last '=' separates N)
--self-test             checks the checks: a page that fetches an image from a server on 127.0.0.1 must be caught
                        by --no-network, a page drawn with inline content must pass all three, a blank page must
                        fail --screenshot-not-blank

Exit status: 0 when every check passed, 1 when one failed (each failure is printed), 2 for bad arguments. A
missing chromium is a failure, not a skip: scripts/setup (run by make test) installs it.

Each check runs chromium with a fresh, empty profile folder; chromium is killed (its whole process group) when it
runs longer than the timeout, and every temporary folder is removed however the run ends. Python's standard
library only: the screenshot is decoded here (PNG: zlib and the scanline filters).
"""
import argparse
import http.server
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import zlib

BROWSER_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync"]
NETWORK_SCHEMES = ("http:", "https:", "ws:", "wss:")


class CheckError(Exception):
    """A check that could not be made at all (no browser, the browser failed)."""


def find_chromium():
    path = os.environ.get("KXW_CHROMIUM") or shutil.which("chromium") or shutil.which("chromium-browser")
    if not path:
        raise CheckError("chromium is not installed: scripts/setup installs it (make test runs scripts/setup)")
    return path


def run_chromium(args, timeout):
    """Runs chromium with a fresh profile; returns its standard output. Always leaves no process and no folder."""
    profile = tempfile.mkdtemp(prefix="kxw-browser-profile-")
    try:
        command = [find_chromium()] + BROWSER_FLAGS + ["--user-data-dir=" + profile] + args
        # A session of its own: the browser's helper processes are killed with it.
        process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL,
                                   start_new_session=True)
        try:
            out, err = process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            kill_group(process)
            process.communicate()
            raise CheckError("chromium did not finish within %s s" % timeout)
        finally:
            kill_group(process)
        if process.returncode != 0:
            tail = err.decode("utf-8", "replace").strip().splitlines()[-3:]
            raise CheckError("chromium exited with status %d: %s" % (process.returncode, " / ".join(tail)))
        return out.decode("utf-8", "replace")
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass


def png_pixels(data):
    """Decodes an 8-bit PNG (grey, grey+alpha, RGB, RGBA; not interlaced) into (width, height, channels, rows)."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise CheckError("the screenshot is not a PNG file")
    pos, idat, header = 8, [], None
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        elif kind == b"IEND":
            break
        pos += 12 + length
    if not header:
        raise CheckError("the screenshot has no PNG header chunk")
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace != 0:
        raise CheckError("the screenshot is a PNG this check does not decode (depth %d, colour type %d)"
                         % (depth, colour))
    raw = zlib.decompress(b"".join(idat))
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for x in range(stride):
            left = line[x - channels] if x >= channels else 0
            up = previous[x]
            up_left = previous[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + left) & 255
            elif kind == 2:
                line[x] = (line[x] + up) & 255
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                line[x] = (line[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else up_left)) & 255
            elif kind != 0:
                raise CheckError("the screenshot has an unknown PNG filter %d" % kind)
        rows.append(bytes(line))
        previous = line
    return width, height, channels, rows


def screenshot_is_blank(png):
    width, height, channels, rows = png_pixels(png)
    first = rows[0][:channels]
    return all(row == first * width for row in rows), (width, height)


def page_url(path):
    return "file://" + os.path.abspath(path)


def network_requests(net_log_path):
    """The http(s)/ws(s) requests that a page started, from a net log (the browser's own have no initiator)."""
    with open(net_log_path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    try:
        log = json.loads(text)
    except ValueError:
        # A browser killed mid-way leaves the log without its end: what was written is still evidence.
        log = json.loads(text.rstrip().rstrip(",") + "]}")
    found = []
    for event in log.get("events", []):
        params = event.get("params") or {}
        url = params.get("url")
        if not isinstance(url, str) or not url.lower().startswith(NETWORK_SCHEMES):
            continue
        if params.get("initiator", "not an origin") == "not an origin":
            continue
        if url not in found:
            found.append(url)
    return found


def check_page(path, screenshot_not_blank=False, no_network=False, dom_contains=(), dom_counts=(), timeout=60,
               keep_screenshot=None):
    """Runs the checks on one page; returns the list of failures (empty: all passed)."""
    failures = []
    work = tempfile.mkdtemp(prefix="kxw-browser-check-")
    try:
        url = page_url(path)
        net_logs = []
        if screenshot_not_blank:
            shot = os.path.join(work, "screenshot.png")
            net_logs.append(os.path.join(work, "net-screenshot.json"))
            run_chromium(["--screenshot=" + shot, "--window-size=1024,768", "--log-net-log=" + net_logs[-1], url],
                         timeout)
            if not os.path.exists(shot):
                failures.append("chromium wrote no screenshot")
            else:
                with open(shot, "rb") as f:
                    png = f.read()
                if keep_screenshot:
                    shutil.copyfile(shot, keep_screenshot)
                blank, size = screenshot_is_blank(png)
                if blank:
                    failures.append("the screenshot (%dx%d) is blank: every pixel has the same colour" % size)
        if dom_contains or dom_counts or no_network:
            net_logs.append(os.path.join(work, "net-dom.json"))
            dom = run_chromium(["--dump-dom", "--log-net-log=" + net_logs[-1], url], timeout)
            for text in dom_contains:
                if text not in dom:
                    failures.append("the DOM does not hold %r" % text)
            for text, count in dom_counts:
                if dom.count(text) != count:
                    failures.append("the DOM holds %r %d times, not %d" % (text, dom.count(text), count))
        if no_network:
            requests = []
            for net_log in net_logs:
                if not os.path.exists(net_log):
                    failures.append("chromium wrote no net log")
                    continue
                requests += [r for r in network_requests(net_log) if r not in requests]
            for request in requests:
                failures.append("the page fetched %s" % request)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return failures


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    hits = []

    def do_GET(self):
        _QuietHandler.hits.append(self.path)
        self.send_response(404)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, format, *args):
        pass


def self_test(timeout):
    """The checks catch what they are for: returns the list of failures."""
    failures = []
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), _QuietHandler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    work = tempfile.mkdtemp(prefix="kxw-browser-self-test-")
    try:
        port = server.server_address[1]
        fetching = os.path.join(work, "fetching.html")
        with open(fetching, "w") as f:
            f.write('<!DOCTYPE html><html><body><h1>Fetches an image</h1>'
                    '<img src="http://127.0.0.1:%d/x.png" alt="x"></body></html>' % port)
        drawn = os.path.join(work, "drawn.html")
        with open(drawn, "w") as f:
            f.write('<!DOCTYPE html><html><head><style>body{background:#fff}</style></head><body>'
                    '<h1 id="t">Inline only</h1><svg width="200" height="100"><rect width="150" height="60" '
                    'fill="#1f77b4"/></svg><img alt="d" src="data:image/gif;base64,'
                    'R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"></body></html>')
        blank = os.path.join(work, "blank.html")
        with open(blank, "w") as f:
            f.write('<!DOCTYPE html><html><body style="background:#fff"></body></html>')

        caught = check_page(fetching, no_network=True, timeout=timeout)
        if not any("127.0.0.1:%d/x.png" % port in failure for failure in caught):
            failures.append("--no-network did not catch a page fetching http://127.0.0.1:%d/x.png (%s)"
                            % (port, caught or "no failure"))
        if not any(hit.startswith("/x.png") for hit in _QuietHandler.hits):
            failures.append("the server never saw the page's request: the fetching page proves nothing")
        clean = check_page(drawn, screenshot_not_blank=True, no_network=True, dom_contains=['<h1 id="t">'],
                           dom_counts=[("<svg", 1)], timeout=timeout)
        if clean:
            failures.append("a page with inline content only failed: %s" % "; ".join(clean))
        if not check_page(blank, screenshot_not_blank=True, timeout=timeout):
            failures.append("--screenshot-not-blank passed a blank page")
        if not check_page(drawn, dom_contains=["not in the page"], dom_counts=[("<svg", 2)], timeout=timeout):
            failures.append("--dom-contains / --dom-count passed text the page does not hold")
    finally:
        server.shutdown()
        server.server_close()
        shutil.rmtree(work, ignore_errors=True)
    return failures


def main(argv):
    parser = argparse.ArgumentParser(description="Checks a local HTML page in headless chromium.")
    parser.add_argument("file", nargs="?", help="the HTML file")
    parser.add_argument("--screenshot-not-blank", action="store_true")
    parser.add_argument("--no-network", action="store_true")
    parser.add_argument("--dom-contains", action="append", default=[], metavar="TEXT")
    parser.add_argument("--dom-count", action="append", default=[], metavar="TEXT=N")
    parser.add_argument("--keep-screenshot", metavar="FILE")
    parser.add_argument("--timeout", type=float, default=60)
    parser.add_argument("--self-test", action="store_true")
    args = parser.parse_args(argv)
    try:
        if args.self_test:
            failures = self_test(args.timeout)
            name = "self-test"
        else:
            if not args.file:
                parser.error("the HTML file is missing")
            if not os.path.isfile(args.file):
                parser.error("%s is not a file" % args.file)
            counts = []
            for pair in args.dom_count:
                text, sep, number = pair.rpartition("=")
                if not sep or not text or not number.isdigit():
                    parser.error("--dom-count takes TEXT=N, not %r" % pair)
                counts.append((text, int(number)))
            if not (args.screenshot_not_blank or args.no_network or args.dom_contains or counts):
                parser.error("no check asked for")
            failures = check_page(args.file, args.screenshot_not_blank, args.no_network, args.dom_contains, counts,
                                  args.timeout, args.keep_screenshot)
            name = args.file
    except CheckError as error:
        print("FAIL %s: %s" % (args.file or "self-test", error))
        return 1
    for failure in failures:
        print("FAIL %s: %s" % (name, failure))
    if failures:
        return 1
    print("PASS %s" % name)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
