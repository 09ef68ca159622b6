#!/usr/bin/python3
"""Small checks and settings for the walkthrough script (standard library only).

    walkutil.py reg-set ROOT KEY NAME VALUE   write a value into the file-backed registry
    walkutil.py reg-get ROOT KEY NAME         print a value (exit 1 when missing)
    walkutil.py sql DATABASE STATEMENT        print the first column of every row
    walkutil.py trailer-keys DUMP             the key A of the 16 sector trailers, in hex

The registry folder is $LUMO_REGISTRY; ROOT is a root key name such as HKEY_LOCAL_MACHINE.
Writes take the registry's own lock file and replace the root file by rename, as the
programs do, so a program that writes at the same moment keeps its value.
"""
import fcntl
import os
import sqlite3
import sys
import tempfile


def registry_file(root):
    folder = os.environ["LUMO_REGISTRY"]
    os.makedirs(folder, exist_ok=True)
    return folder, os.path.join(folder, root + ".ini")


def escape(value):
    return (value.replace("\\", "\\\\").replace("\n", "\\n").replace("\r", "\\r")
            .replace("\t", "\\t"))


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append({"\\": "\\", "n": "\n", "r": "\r", "t": "\t"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def read_lines(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []


def find_entry(lines, key, name):
    """(section line index or None, entry line index or None)."""
    section, entry, current = None, None, None
    for i, line in enumerate(lines):
        s = line.strip()
        if s.startswith("[") and s.endswith("]"):
            current = s[1:-1].strip("\\").lower() == key.strip("\\").lower()
            if current and section is None:
                section = i
        elif current and "=" in s:
            if s.split("=", 1)[0].strip().lower() == name.lower():
                entry = i
    return section, entry


def reg_set(root, key, name, value):
    folder, path = registry_file(root)
    with open(os.path.join(folder, root + ".lock"), "a+") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        lines = read_lines(path)
        section, entry = find_entry(lines, key, name)
        text = "%s=%s" % (name, escape(value))
        if entry is not None:
            lines[entry] = text
        elif section is not None:
            lines.insert(section + 1, text)
        else:
            lines += ["[%s]" % key, text]
        fd, temp = tempfile.mkstemp(dir=folder, prefix="." + root)
        with os.fdopen(fd, "w", encoding="utf-8") as out:
            out.write("\n".join(lines) + "\n")
        os.rename(temp, path)


def reg_get(root, key, name):
    _, path = registry_file(root)
    lines = read_lines(path)
    _, entry = find_entry(lines, key, name)
    if entry is None:
        return None
    return unescape(lines[entry].split("=", 1)[1].strip())


def read_card(path):
    with open(path, "rb") as f:
        dump = f.read()
    if len(dump) != 1024:
        raise ValueError("%s holds %d bytes, not 1024" % (path, len(dump)))
    return dump


def block(path, number):
    return read_card(path)[number * 16:number * 16 + 16]


def trailer_keys(path):
    dump = read_card(path)
    return [dump[(s * 4 + 3) * 16:(s * 4 + 3) * 16 + 6].hex() for s in range(16)]


def sql(database, statement):
    db = sqlite3.connect("file:%s?mode=ro" % database, uri=True)
    try:
        return ["" if row[0] is None else str(row[0]) for row in db.execute(statement)]
    finally:
        db.close()


def main(argv):
    command, args = argv[1] if len(argv) > 1 else "", argv[2:]
    if command == "reg-set" and len(args) == 4:
        reg_set(*args)
        return 0
    if command == "reg-get" and len(args) == 3:
        value = reg_get(*args)
        if value is None:
            return 1
        print(value)
        return 0
    if command == "sql" and len(args) == 2:
        for value in sql(*args):
            print(value)
        return 0
    if command == "trailer-keys" and len(args) == 1:
        print(" ".join(trailer_keys(args[0])))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
