#!/usr/bin/env python3
"""Checks every #include under a source root against the project's layering.

Libraries depend one way only. Each source folder belongs to one layer; a file may include
headers of the layers its own layer is allowed to see, and Qt only where its layer draws or
shows windows. The build already refuses headers of libraries a target does not link; this check
also covers what linking cannot express (the engine core must not include Qt even through a
transitive link, expressions see only the report object and the engine state, never the band
engine).

Usage: check_includes.py SRC_ROOT    exit status 1 and one line per bad arrow when any is found.
"""
import os
import re
import sys

# Folder (relative to the source root) -> layer; the longest matching folder wins.
FOLDERS = {
    "platform": "platform",
    "platform/qt": "platform_qt",
    "coordisp": "coordisp",
    "report": "report",
    "report/expr": "expr",
    "report/export": "export",
    "report/print": "print",
    "report/output": "output",
    "report/gridreport": "gridreport",
    "controls": "controls",
    "framework": "framework",
    "module": "module",
    "host": "host",
    "tools": "tools",
}

# Files of the host folder that make the host program (window, command line) rather than the
# server, which builds without Qt.
HOST_PROGRAM = re.compile(r"^host/(HostWindow\.(h|cpp)|main\.cpp)$")

ENGINE = {"report", "expr", "export", "print", "platform"}

# Layer -> layers it may include. A layer always sees itself.
ALLOWED = {
    "platform": set(),
    "coordisp": {"platform"},
    "expr": {"platform"},  # and the report object, see EXPR_REPORT_HEADERS
    "report": {"expr", "print", "platform"},
    "print": {"report", "expr", "platform"},
    "export": {"report", "expr", "print", "platform"},
    "platform_qt": {"platform", "coordisp"},
    "output": ENGINE | {"platform_qt"},
    "controls": {"platform", "platform_qt"},
    "gridreport": ENGINE | {"output", "controls", "platform_qt"},
    "framework": {"coordisp", "controls", "platform", "platform_qt"},
    "module": ENGINE | {"coordisp", "controls", "framework", "gridreport", "output", "platform_qt"},
    "host": {"coordisp", "platform"},
    "host_program": {"host", "coordisp", "platform", "platform_qt"},
    "tools": ENGINE | {"output", "platform_qt"},
}

# Expressions evaluate against a report (its data sets, variables and dictionary) and read the
# engine's state, but never reach into the band engine, the memo layout or the pages.
EXPR_REPORT_HEADERS = {"report/VNReport.h", "report/VNEngineState.h"}

# Layers whose code may include Qt (drawing, windows, events).
QT_LAYERS = {"platform_qt", "output", "controls", "gridreport", "framework", "module", "host_program", "tools"}
QT_HEADER = re.compile(r"^(Q[A-Za-z]|Qt[A-Za-z]*/|qt[a-z])")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(rel):
    if HOST_PROGRAM.match(rel):
        return "host_program"
    folder = os.path.dirname(rel)
    while folder:
        if folder in FOLDERS:
            return FOLDERS[folder]
        folder = os.path.dirname(folder)
    return None


def check(root):
    problems = []
    for dirpath, dirnames, names in os.walk(root):
        dirnames.sort()  # a stable order of reports
        for name in sorted(names):
            if not name.endswith((".h", ".cpp", ".cpp.in")):
                continue
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, root).replace(os.sep, "/")
            own = layer_of(rel)
            if own is None:
                problems.append(f"{rel}: folder belongs to no layer")
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    kind, target = m.groups()
                    where = f"{rel}:{number}"
                    if kind == "<":
                        if QT_HEADER.match(target) and own not in QT_LAYERS:
                            problems.append(f"{where}: {own} code includes Qt <{target}>")
                        continue
                    local = os.path.normpath(os.path.join(os.path.dirname(rel), target)).replace(os.sep, "/")
                    if os.path.exists(os.path.join(root, local)):
                        resolved = local
                    elif os.path.exists(os.path.join(root, target)):
                        resolved = target
                    else:
                        problems.append(f'{where}: "{target}" is not a file of the source tree')
                        continue
                    theirs = layer_of(resolved)
                    if theirs == own:
                        continue
                    if own == "expr" and resolved in EXPR_REPORT_HEADERS:
                        continue
                    if theirs not in ALLOWED[own]:
                        problems.append(f'{where}: {own} may not include {theirs} ("{resolved}")')
    return problems


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    problems = check(sys.argv[1])
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
