#!/usr/bin/env python3
"""Checks that the layers of the source tree point one way.

    common <- text <- settings <- catalogue <- rename <- tagedit <- tools
                                           <- listout
    core <- gui, cli

A folder of src/core may include its own headers and those of the folders
below it; within the feature folders the save renames files (tagedit uses
rename) and the tools apply edits (tools uses tagedit), and listout uses none
of them. Nothing in src/core includes Qt, src/gui or src/cli, and no core code
reads the process-wide settings (AppSettings::Current is the window's); the
command line includes no Qt and nothing of src/gui, the window nothing of
src/cli.

Usage: check_layers.py SOURCE_ROOT    (prints each wrong include, exits 1)
Before the tree it checks a small made-up tree with one fault of each kind,
so a checker that has stopped finding faults fails too.
"""

import os
import re
import sys
import tempfile

CORE_RANK = {
    "common": 0,
    "text": 1,
    "settings": 2,
    "catalogue": 3,
    "rename": 4,
    "listout": 4,
    "tagedit": 5,
    "tools": 6,
}

# Edges that go against the layers for now, each with the reason.
ALLOWED = set()

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^(Q[A-Za-z]|qt|q[a-z]+\.h$)")
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")


def part_of(relative):
    """("core", folder) / ("gui", None) / ("cli", None) for a path under src."""
    parts = relative.split("/")
    if parts[0] == "core":
        return ("core", parts[1] if len(parts) > 2 else None)
    if parts[0] in ("gui", "cli"):
        return (parts[0], None)
    return (None, None)


def included_path(src, including_dir, name):
    """The path under src an include names, or None when it names none there."""
    if name.split("/")[0] in ("core", "gui", "cli"):
        return name
    candidate = os.path.normpath(os.path.join(including_dir, name))
    if os.path.exists(os.path.join(src, candidate)):
        return candidate.replace(os.sep, "/")
    return None  # a generated file (moc) or a system header given in quotes


def fault(relative, line_no, name, source, target):
    own_part, own_layer = source
    to_part, to_layer = target
    if own_part == "core":
        if to_part in ("gui", "cli"):
            return "the core includes " + to_part
        if to_part != "core" or to_layer is None or own_layer is None:
            return None
        if (own_layer, name) in ALLOWED:
            return None
        if to_layer not in CORE_RANK or own_layer not in CORE_RANK:
            return "layer %s or %s is not in the layer list of this check" % (own_layer, to_layer)
        if to_layer == own_layer:
            return None
        if CORE_RANK[to_layer] >= CORE_RANK[own_layer]:
            return "%s may not use %s (same level or above)" % (own_layer, to_layer)
        return None
    if own_part == "gui" and to_part == "cli":
        return "the window includes the command line"
    if own_part == "cli" and to_part == "gui":
        return "the command line includes the window"
    return None


def check(root):
    src = os.path.join(root, "src")
    faults = []
    for part in ("core", "gui", "cli"):
        for folder, _, files in os.walk(os.path.join(src, part)):
            for file_name in sorted(files):
                if not file_name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(folder, file_name)
                relative = os.path.relpath(path, src).replace(os.sep, "/")
                source = part_of(relative)
                with open(path, encoding="utf-8", errors="replace") as f:
                    lines = f.read().splitlines()
                for line_no, line in enumerate(lines, 1):
                    where = "src/%s:%d" % (relative, line_no)
                    if source[0] == "core" and "AppSettings::Current" in line and not relative.startswith(
                            "core/settings/AppSettings."):
                        faults.append("%s: reads the process-wide settings; pass them in" % where)
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    bracket, name = m.groups()
                    if bracket == "<":
                        if source[0] in ("core", "cli") and QT_HEADER.match(name):
                            faults.append("%s: includes <%s>: no Qt in src/%s" % (where, name, source[0]))
                        continue
                    target_path = included_path(src, os.path.dirname(relative), name)
                    if target_path is None:
                        continue
                    why = fault(relative, line_no, name, source, part_of(target_path))
                    if why:
                        faults.append('%s: includes "%s": %s' % (where, name, why))
    return faults


def self_check():
    """The checker finds each kind of fault in a made-up tree, and only those."""
    files = {
        "src/core/common/A.cpp": '#include "core/text/B.h"\n',                    # fault
        "src/core/text/B.h": '#include "core/common/C.h"\n#include <string>\n',
        "src/core/common/C.h": "",
        "src/core/text/D.cpp": '#include "../settings/E.h"\n',                     # fault
        "src/core/settings/E.h": '#include "core/text/B.h"\n',
        "src/core/settings/F.cpp": '#include "core/catalogue/G.h"\n',              # fault
        "src/core/catalogue/G.h": "#include <QString>\n",                           # fault
        "src/core/rename/H.cpp": '#include "core/listout/I.h"\n',                  # fault
        "src/core/listout/I.h": '#include "gui/J.h"\n',                            # fault
        "src/core/tagedit/K.cpp": '#include "core/rename/L.h"\nint x = AppSettings::Current().y;\n',  # 1 fault
        "src/core/rename/L.h": "",
        "src/gui/J.h": '#include "cli/M.h"\n#include <QWidget>\n#include "core/tools/N.h"\n',  # 1 fault
        "src/cli/M.h": '#include "core/tagedit/K.h"\n#include <QtCore/QString>\n',  # 1 fault
        "src/core/tools/N.h": '#include "core/tagedit/K.h"\n#include "moc_N.cpp"\n',
    }
    expected = {
        "src/core/common/A.cpp:1",
        "src/core/text/D.cpp:1",
        "src/core/settings/F.cpp:1",
        "src/core/catalogue/G.h:1",
        "src/core/rename/H.cpp:1",
        "src/core/listout/I.h:1",
        "src/core/tagedit/K.cpp:2",
        "src/gui/J.h:1",
        "src/cli/M.h:2",
    }
    with tempfile.TemporaryDirectory() as root:
        for name, text in files.items():
            path = os.path.join(root, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
        found = {f.split(": ")[0] for f in check(root)}
    if found != expected:
        print("check_layers.py does not find what it should:")
        for miss in sorted(expected - found):
            print("  missed:", miss)
        for extra in sorted(found - expected):
            print("  wrongly flagged:", extra)
        return False
    return True


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    if not self_check():
        return 1
    faults = check(sys.argv[1])
    for f in faults:
        print(f)
    if faults:
        print("%d fault(s) against the layers" % len(faults))
        return 1
    print("layers: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
