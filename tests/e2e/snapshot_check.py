#!/usr/bin/env python3
"""Reads the snapshot folders kxwplay -s wrote and prints what they hold, parsed, for an e2e test to compare.

    snapshot_check.py DIR

For every folder under DIR that holds files (sorted): each index file (.inf) as its sections and keys (sections by
name, keys in natural order: FileName2 before FileName10), each page with whether the policy that keeps a browser
off the network comes first (after a doctype) and its text without markup, each other file with its size and kind.
The folder is checked as it is parsed; each fault is an ERROR line (and the exit status is 1):
  - a step's Total is not the number of its FileName<n> keys, or a FileName<n> lacks its URL<n>;
  - a file an index lists is missing (a resource from an earlier snapshot of the iteration is looked for in the
    same folder), or a file name would lead out of the folder;
  - a page or resource is in the folder without an index file listing it;
  - a page does not start with the policy.
"""
import html
import os
import re
import sys

POLICY = ('<meta http-equiv="Content-Security-Policy" content="default-src \'none\'; img-src file: data:; '
          'style-src file: \'unsafe-inline\'">')
errors = []


def natural(text):
    return [int(part) if part.isdigit() else part.lower() for part in re.split(r"(\d+)", text)]


def parse_inf(path):
    sections = {}
    current = None
    with open(path, "rb") as file:
        for number, raw in enumerate(file.read().split(b"\n"), 1):
            line = raw.decode("utf-8", "replace")
            if "\r" in line:
                errors.append("%s:%d: a CR in the line" % (path, number))
            line = line.strip()
            if not line:
                continue
            if line.startswith("["):
                current = sections.setdefault(line[1:-1], {})
            elif "=" in line and current is not None:
                key, value = line.split("=", 1)
                if key in current:
                    errors.append("%s:%d: %s given twice" % (path, number, key))
                current[key] = value
            else:
                errors.append("%s:%d: not a key line: %r" % (path, number, line))
    return sections


def page_text(data):
    text = data.decode("utf-8", "replace")
    text = re.sub(r"(?is)<(script|style)\b.*?</\1\s*>", " ", text)
    text = re.sub(r"(?s)<[^>]*>", " ", text)
    text = " ".join(html.unescape(text).split())
    return text[:160]


def kind_of(data):
    if data.startswith(b"GIF8"):
        return "gif"
    if data.startswith(b"\x89PNG"):
        return "png"
    return "data"


def check_folder(root, folder, out):
    names = sorted(os.listdir(folder), key=natural)
    files = [name for name in names if os.path.isfile(os.path.join(folder, name)) and not name.startswith(".")]
    if not files:
        return
    files.sort(key=lambda name: (name.endswith(".ini"), natural(name)))
    out.append("FOLDER %s" % (os.path.relpath(folder, root) if folder != root else "."))
    listed = set()
    for name in files:
        if not name.endswith(".inf"):
            continue
        sections = parse_inf(os.path.join(folder, name))
        out.append("INF %s" % name)
        for section in sorted(sections, key=natural):
            out.append("  [%s]" % section)
            keys = sections[section]
            for key in sorted(keys, key=natural):
                out.append("  %s=%s" % (key, keys[key]))
            file_keys = [key for key in keys if re.fullmatch(r"FileName\d+", key)]
            if "Total" in keys and int(keys["Total"]) != len(file_keys):
                errors.append("%s [%s]: Total=%s but %d FileName keys" % (name, section, keys["Total"],
                                                                          len(file_keys)))
            for key in file_keys:
                listed_name = keys[key]
                if "URL" + key[len("FileName"):] not in keys:
                    errors.append("%s [%s]: %s without its URL" % (name, section, key))
                if "/" in listed_name or "\\" in listed_name or listed_name in (".", ".."):
                    errors.append("%s [%s]: %s=%r leads out of the folder" % (name, section, key, listed_name))
                    continue
                listed.add(listed_name)
                if not os.path.isfile(os.path.join(folder, listed_name)):
                    errors.append("%s [%s]: %s=%s is missing" % (name, section, key, listed_name))
    for name in files:
        path = os.path.join(folder, name)
        with open(path, "rb") as file:
            data = file.read()
        if name.endswith(".inf"):
            continue
        if name.endswith(".html"):
            rest = data.decode("utf-8", "replace")
            doctype = re.match(r"(?is)\s*<!doctype[^>]*>", rest)
            if doctype:
                rest = rest[doctype.end():]
            policy = rest.startswith(POLICY)
            if not policy:
                errors.append("%s: the page does not start with the policy" % name)
            out.append("PAGE %s%s %s" % (name, " doctype" if doctype else "", page_text(data)))
            images = re.findall(r'(?i)<img src="([^"]*)"', data.decode("utf-8", "replace"))
            for image in images:
                out.append("  IMG %s" % re.sub(r"file://.*/", "file://DATA/", image))
        elif name == "ctrlsink.dat":
            out.append("FILE %s %r" % (name, data.decode("utf-8", "replace")))
            continue
        elif name.endswith(".ini"):
            # The correlation file: the snapshots each step's passes wrote.
            out.append("INI %s" % name)
            sections = parse_inf(path)
            for section in sorted(sections, key=natural):
                out.append("  [%s]" % section)
                for key in sorted(sections[section], key=natural):
                    out.append("  %s=%s" % (key, sections[section][key]))
            continue
        else:
            out.append("RESOURCE %s %s %d bytes" % (name, kind_of(data), len(data)))
        if name not in listed:
            errors.append("%s is in the folder but no index file lists it" % name)


def main():
    if len(sys.argv) != 2 or not os.path.isdir(sys.argv[1]):
        print("usage: snapshot_check.py DIR (a folder kxwplay -s wrote)", file=sys.stderr)
        return 2
    root = sys.argv[1]
    out = []
    folders = [root]
    for base, dirs, _ in os.walk(root):
        dirs.sort(key=natural)
        folders += [os.path.join(base, name) for name in dirs]
    for folder in sorted(set(folders), key=lambda path: natural(os.path.relpath(path, root))):
        check_folder(root, folder, out)
    for line in out:
        print(line)
    for error in errors:
        print("ERROR " + error)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
