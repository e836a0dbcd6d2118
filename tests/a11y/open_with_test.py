#!/usr/bin/python3
"""A document opened from the desktop ("Open With", or tallowin FILE): the
real program shows the main window with no start chooser and goes straight
to the Save As dialog for that document, with the proposed name. Saving
there converts it with the real office; the list then shows its row.

usage: open_with_test.py PATH/TO/tallowin PATH/TO/SAMPLES
"""
import os
import shutil
import sys

from driving import (Failure, application, exit_by_menu, find, press, run_test, start, table_rows, top_window,
                     wait_for)


def check(exe, samples, work):
    document = os.path.join(work, "quarterly report.wpd")
    shutil.copy(os.path.join(samples, "sample-wp6.wpd"), document)
    program = start(exe, [os.path.basename(document)], cwd=work)
    app = application()
    main_window = wait_for("the main window", lambda: top_window(app, "Tallowin"))
    dialog = wait_for("the Save As dialog", lambda: top_window(app, "Save As"))
    if top_window(app, "Quick Start"):
        raise Failure("the start chooser was shown")
    box = wait_for("the file name box", lambda: find(dialog, "text"))
    proposed = box.queryText().getText(0, -1)
    print("open-with: Save As proposes %r" % proposed)
    if proposed != "quarterly report.doc":
        raise Failure("proposed name %r" % proposed)
    press(wait_for("Save", lambda: find(dialog, "push button", "Save")))
    table = find(main_window, "table", "Documents")
    rows = wait_for("the document's row converted",
                    lambda: (lambda r: r if r and r[0][1] == "Converted" else None)(table_rows(table)))
    if rows[0][0] != document:
        raise Failure("row %r" % (rows[0],))
    exit_by_menu(main_window, program)
    if os.path.getsize(os.path.join(work, "quarterly report.doc")) == 0:
        raise Failure("empty Word file")


def main():
    return run_test("open-with", lambda work: check(sys.argv[1], sys.argv[2], work))


if __name__ == "__main__":
    sys.exit(main())
