#!/usr/bin/env python3
"""The player's run results, report and shards, end to end: kxwplay plays report.steps against the test server on
127.0.0.1 and the files it writes are read back.

    kxw_report_test.py results KXWPLAY   a multi-user run with --report: results.csv's rows and columns, a failure
                                          reason with a comma, quotes and a line break, the summary's new columns
    kxw_report_test.py shards KXWPLAY    three shards merged against the same run unsharded: the same rows, counts,
                                          seeds and data rows; merged percentiles equal to the unsharded ones
    kxw_report_test.py browser KXWPLAY   report.html in headless chromium: drawn, self-contained, table and charts
"""
import csv
import html.parser
import io
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "..", "server", "kxw_test_server.py")
BROWSER_CHECK = os.path.join(HERE, "..", "browser", "kxw_browser_check.py")
COLUMNS = ["vuser", "iteration", "step", "line", "verb", "start_ms", "duration_ms", "outcome", "reason", "snapshot"]
FAILURE = 'Error: bad, "quoted"\nsecond line (report.steps, line 7)'
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


class Server:
    """The test server on a free port of 127.0.0.1; it ends when its standard input closes."""

    def __init__(self, folder):
        self.process = subprocess.Popen([sys.executable, SERVER, folder], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        port = self.process.stdout.readline().decode().strip()
        if not port.isdigit():
            self.stop()
            raise SystemExit("FAIL: the test server did not start: " + self.process.stderr.read().decode())
        self.base = "http://127.0.0.1:" + port

    def stop(self):
        self.process.stdin.close()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def prepare(work, base):
    """The steps file with the server's address put in, and its data file, in the work folder."""
    with open(os.path.join(HERE, "report.steps")) as f:
        steps = f.read().replace("@BASE@", base)
    with open(os.path.join(work, "report.steps"), "w") as f:
        f.write(steps)
    shutil.copy(os.path.join(HERE, "report.csv"), os.path.join(work, "data.csv"))


def play(kxwplay, work, args):
    result = subprocess.run([kxwplay, "--data", "data.csv", "--seed", "7"] + args + ["report.steps"], cwd=work,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    return result.returncode, result.stdout.decode(), result.stderr.decode()


def read_results(path):
    with open(path, newline="", encoding="utf-8") as f:
        text = f.read()
    reader = csv.reader(io.StringIO(text, newline=""))
    rows = list(reader)
    return rows[0], [dict(zip(rows[0], row)) for row in rows[1:]]


def identity(row):
    """What a step run is, leaving out when it ran and how long it took."""
    return (int(row["vuser"]), int(row["iteration"]), int(row["step"]), row["line"], row["verb"], row["outcome"],
            row["reason"], row["snapshot"])


class TableReader(html.parser.HTMLParser):
    """The cells of the table with the given id, row by row."""

    def __init__(self, table_id):
        super().__init__()
        self.table_id, self.inside, self.rows, self.cell = table_id, False, [], None

    def handle_starttag(self, tag, attrs):
        if tag == "table" and dict(attrs).get("id") == self.table_id:
            self.inside = True
        elif self.inside and tag == "tr":
            self.rows.append([])
        elif self.inside and tag in ("td", "th"):
            self.cell = ""

    def handle_endtag(self, tag):
        if tag == "table":
            self.inside = False
        elif self.inside and tag in ("td", "th") and self.cell is not None:
            self.rows[-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def report_table(folder, table_id):
    with open(os.path.join(folder, "report.html"), encoding="utf-8") as f:
        reader = TableReader(table_id)
        reader.feed(f.read())
    return reader.rows


def nearest_rank(times, percent):
    times = sorted(times)
    rank = max(1, math.ceil(percent / 100 * len(times)))
    return times[min(rank, len(times)) - 1]


def median(times):
    times = sorted(times)
    n = len(times)
    return times[n // 2] if n % 2 else (times[n // 2 - 1] + times[n // 2]) / 2


def check_percentiles(folder, rows, what):
    """The report's step table holds the exact figures of the rows given (computed here on their own)."""
    table = report_table(folder, "summary")
    body = {int(cells[0]): cells for cells in table[1:] if cells and cells[0].isdigit()}
    by_step = {}
    for row in rows:
        by_step.setdefault(int(row["step"]), []).append(float(row["duration_ms"]))
    check(sorted(body) == sorted(by_step), "%s: the table's steps %s, the rows' %s" % (what, sorted(body),
                                                                                       sorted(by_step)))
    for step, times in by_step.items():
        if step not in body:
            continue
        expected = ["%.1f ms" % value for value in (median(times), nearest_rank(times, 90), nearest_rank(times, 95),
                                                    nearest_rank(times, 99), max(times))]
        failed = sum(1 for row in rows if int(row["step"]) == step and row["outcome"] == "FAIL")
        check(body[step][3] == str(len(times)) and body[step][4] == str(failed),
              "%s: step %d runs/failures %s/%s, expected %d/%d" % (what, step, body[step][3], body[step][4],
                                                                   len(times), failed))
        check(body[step][5:10] == expected, "%s: step %d figures %s, expected %s" % (what, step, body[step][5:10],
                                                                                     expected))
    return table


def test_results(kxwplay, work, server):
    prepare(work, server.base)
    status, out, err = play(kxwplay, work, ["-u", "3", "-i", "2", "-o", "logs", "--report", "rep"])
    check(status == 1, "exit status %d, expected 1 (a step fails): %s" % (status, err))
    header, rows = read_results(os.path.join(work, "rep", "results.csv"))
    check(header == COLUMNS, "results.csv header %s" % header)
    # Data rows go out iteration by iteration: row (iteration - 1) * 3 + vuser - 1 of 5; the third fails.
    fails = {(vuser, iteration) for vuser in (1, 2, 3) for iteration in (1, 2)
             if ((iteration - 1) * 3 + vuser - 1) % 5 == 2}
    check(fails == {(3, 1)}, "the test's own arithmetic: %s" % fails)
    expected = set()
    for vuser in (1, 2, 3):
        for iteration in (1, 2):
            for step, (line, verb) in enumerate([("3", "goto"), ("4", "link"), ("5", "eval"), ("6", "link"),
                                                 ("7", "eval")], 1):
                failed = step == 5 and (vuser, iteration) in fails
                expected.add((vuser, iteration, step, line, verb, "FAIL" if failed else "OK",
                              FAILURE if failed else "", ""))
    got = [identity(row) for row in rows]
    check(len(got) == 30 and set(got) == expected,
          "results.csv rows differ: missing %s, unexpected %s" % (sorted(expected - set(got)),
                                                                  sorted(set(got) - expected)))
    for vuser in (1, 2, 3):
        starts = [(float(r["start_ms"]), float(r["duration_ms"])) for r in rows if r["vuser"] == str(vuser)]
        check(all(re.fullmatch(r"\d+\.\d{3}", r[c]) for r in rows for c in ("start_ms", "duration_ms")),
              "start_ms and duration_ms are not milliseconds with three decimals")
        check(all(b[0] >= a[0] + a[1] - 0.002 for a, b in zip(starts, starts[1:])),
              "virtual user %d's steps overlap or go back in time: %s" % (vuser, starts))
    # The raw file quotes the reason: its comma, doubled quotes and line break inside one field.
    with open(os.path.join(work, "rep", "results.csv"), encoding="utf-8") as f:
        raw = f.read()
    check('"Error: bad, ""quoted""\nsecond line (report.steps, line 7)"' in raw, "the reason is not CSV-quoted")
    # The summary: the old columns in their order, then 90% and 99%; the failures by reason, one line each.
    check(re.search(r"^ step +line +verb +runs +failures +median +95% +90% +99%$", out, re.M) is not None,
          "the summary's header: " + out)
    check(re.search(r"^ +5 +7 +eval +6 +1( +[0-9.]+ms){4}$", out, re.M) is not None, "step 5's summary row: " + out)
    check("FAILURES 1 by reason:\n       1  Error: bad, \"quoted\"\\nsecond line (report.steps, line 7)\n" in out,
          "the failures by reason: " + out)
    check("REPORT rep/report.html" in out, "no REPORT line: " + out)
    check_percentiles(os.path.join(work, "rep"), rows, "report.html")
    reasons = report_table(os.path.join(work, "rep"), "reasons")
    check(reasons[1:] == [["1", FAILURE]], "the failures by reason in report.html: %s" % reasons)


def test_shards(kxwplay, work, server):
    prepare(work, server.base)
    common = ["-u", "7", "-i", "2"]
    status, out, err = play(kxwplay, work, common + ["-o", "whole-logs", "--report", "whole"])
    check(status == 1, "the unsharded run's exit status %d: %s" % (status, err))
    for index in (1, 2, 3):
        status, out, err = play(kxwplay, work, common + ["--shard", "%d/3" % index, "-o", "logs-%d" % index,
                                                         "--report", "shard-%d" % index])
        check(status in (0, 1), "shard %d's exit status %d: %s" % (index, status, err))
        first, last = {1: (1, 2), 2: (3, 4), 3: (5, 7)}[index]
        check("SHARD %d/3: virtual users %d to %d of 7" % (index, first, last) in out, "shard %d: %s" % (index, out))
        _, rows = read_results(os.path.join(work, "shard-%d" % index, "results.csv"))
        check({int(r["vuser"]) for r in rows} == set(range(first, last + 1)),
              "shard %d played virtual users %s" % (index, sorted({r["vuser"] for r in rows})))
        # Each user's log is the whole run's: the same random pick (seed) and the same data row's name.
        for vuser in range(first, last + 1):
            logs = []
            for folder in ("whole-logs", "logs-%d" % index):
                with open(os.path.join(work, folder, "vuser-%d.log" % vuser)) as f:
                    logs.append(re.sub(r"[0-9]+ms", "Nms", f.read()))
            check(logs[0] == logs[1] and "EVAL Item" in logs[0],
                  "virtual user %d's log differs between the whole run and shard %d:\n%s\n---\n%s"
                  % (vuser, index, logs[0], logs[1]))
    status = subprocess.run([kxwplay, "--merge-report", "merged", "shard-1", "shard-2", "shard-3"], cwd=work,
                            stdout=subprocess.DEVNULL).returncode
    check(status == 1, "the merge's exit status %d (the run had failures)" % status)
    _, whole = read_results(os.path.join(work, "whole", "results.csv"))
    _, merged = read_results(os.path.join(work, "merged", "results.csv"))
    check(sorted(map(identity, whole)) == sorted(map(identity, merged)), "the merged rows are not the whole run's")
    whole_table = check_percentiles(os.path.join(work, "whole"), whole, "the unsharded report")
    merged_table = check_percentiles(os.path.join(work, "merged"), merged, "the merged report")
    check([r[:5] for r in whole_table] == [r[:5] for r in merged_table],
          "merged counts %s, unsharded %s" % (merged_table, whole_table))
    check(report_table(os.path.join(work, "whole"), "reasons") == report_table(os.path.join(work, "merged"),
                                                                               "reasons"),
          "the failures by reason differ")
    # The same rows cut into the shards' slices and merged give the unsharded figures to the last digit.
    header, _ = read_results(os.path.join(work, "whole", "results.csv"))
    for index, (first, last) in enumerate([(1, 2), (3, 4), (5, 7)], 1):
        folder = os.path.join(work, "cut-%d" % index)
        os.mkdir(folder)
        with open(os.path.join(folder, "results.csv"), "w", newline="", encoding="utf-8") as f:
            writer = csv.writer(f, lineterminator="\n")
            writer.writerow(header)
            for row in whole:
                if first <= int(row["vuser"]) <= last:
                    writer.writerow([row[c] for c in header])
    status = subprocess.run([kxwplay, "--merge-report", "cut-merged", "cut-3", "cut-1", "cut-2"], cwd=work,
                            stdout=subprocess.DEVNULL).returncode
    check(status == 1, "the merge of the cut rows: exit status %d" % status)
    check(report_table(os.path.join(work, "whole"), "summary") ==
          report_table(os.path.join(work, "cut-merged"), "summary"),
          "the merged figures of the unsharded rows differ from the unsharded report's")
    # A merge that would write over one of its inputs is refused, and the input stays whole.
    result = subprocess.run([kxwplay, "--merge-report", "shard-1", "shard-1", "shard-2"], cwd=work,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    check(result.returncode == 2 and b"is one of the folders merged" in result.stderr,
          "merging into an input: %d %s" % (result.returncode, result.stderr))
    check(len(read_results(os.path.join(work, "shard-1", "results.csv"))[1]) > 0, "shard-1's results were lost")


def test_browser(kxwplay, work, server):
    prepare(work, server.base)
    status, out, err = play(kxwplay, work, ["-u", "3", "-o", "logs", "--report", "rep"])
    check(status == 1, "exit status %d: %s" % (status, err))
    report = os.path.join(work, "rep", "report.html")
    with open(report, encoding="utf-8") as f:
        page = f.read()
    check(re.search(r"(src|href)=\"(https?:)?//", page) is None, "report.html names an outside resource")
    result = subprocess.run([sys.executable, BROWSER_CHECK, "--screenshot-not-blank", "--no-network",
                             "--dom-contains", '<table id="summary">', "--dom-contains", "Active virtual users",
                             "--dom-count", "<svg=2", report], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    check(result.returncode == 0, "the browser check: " + result.stdout.decode())


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("results", "shards", "browser"):
        print(__doc__)
        return 2
    test = {"results": test_results, "shards": test_shards, "browser": test_browser}[sys.argv[1]]
    kxwplay = os.path.abspath(sys.argv[2])
    work = tempfile.mkdtemp(prefix="kxw-report-test-")
    server = Server(os.path.join(HERE, "pages"))
    try:
        test(kxwplay, work, server)
    finally:
        server.stop()
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAIL " + failure)
    if failures:
        return 1
    print("PASS report " + sys.argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main())
