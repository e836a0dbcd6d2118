#!/usr/bin/env python3
# SPDX-License-Identifier: MPL-2.0
"""Checks that every file of src/ includes only what the layer table allows.

The table is the one in docs/architecture.md under "## The layers": a row per
folder, the folders its files may include. A file belongs to the longest
folder of the table its path starts with; its own folder is always allowed.
The logic's folders must also include no window header (Qt Widgets or Gui).

    check_layers.py SRC ARCHITECTURE_MD
"""
import os
import re
import sys

WINDOW_HEADERS = re.compile(r'#include [<"](Qt(Widgets|Gui)/|QWidget|QTreeView|QTableView|QMessageBox|QFileDialog|'
                            r'QApplication|QGuiApplication|QIcon|QPainter)')
LOGIC = ("core", "modes", "pipeline", "conversion", "fs")


def read_table(markdown):
    table, inside = {}, False
    for line in open(markdown, encoding="utf-8"):
        if line.startswith("## "):
            inside = line.strip() == "## The layers"
            continue
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if inside and line.startswith("|") and len(cells) == 2 and cells[0].startswith("`"):
            allowed = re.findall(r"`([^`]+)`", cells[1])
            table[cells[0].strip("`")] = set(allowed)
    return table


def folder_of(path, table):
    best = None
    for folder in table:
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def included_folder(target, table):
    return folder_of(target, table) or target.split("/")[0]


def main(src, markdown):
    table = read_table(markdown)
    if not table:
        print("layering: no table under '## The layers' in %s" % markdown)
        return 1
    problems = []
    for root, _, files in os.walk(src):
        for name in files:
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.relpath(os.path.join(root, name), src)
            folder = folder_of(path, table)
            if folder is None:
                problems.append("%s: its folder is not in the table" % path)
                continue
            for number, line in enumerate(open(os.path.join(root, name), encoding="utf-8", errors="replace"), 1):
                if folder.split("/")[0] in LOGIC and WINDOW_HEADERS.match(line):
                    problems.append("%s:%d: the logic includes a window header: %s" % (path, number, line.strip()))
                match = re.match(r'#include "([a-z]+(/[a-z]+)*)/[A-Za-z]+\.h"', line)
                if not match:
                    continue
                target = included_folder(match.group(1) + "/x.h", table)
                if target != folder and target not in table[folder]:
                    problems.append("%s:%d: %s may not include %s" % (path, number, folder, match.group(1)))
    for problem in problems:
        print("layering: " + problem)
    print("layering: %d folders, %s" % (len(table), "%d problems" % len(problems) if problems else "every include allowed"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
