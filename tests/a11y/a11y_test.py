#!/usr/bin/python3
"""The real program as a screen reader meets it.

Starts tallowin on the display it is given (a virtual one under xvfb-run,
with a session bus of its own from dbus-run-session), and drives and reads
it through the accessibility bus (AT-SPI) alone: the start chooser's
"BatchDocuments", the batch dialog's two "Select..." buttons and the folder
chooser they open, "Start". While the batch of real documents runs against
the real office it reads the status bar's progress; afterwards the document
list's headers, every row's two cells, the failed row's reason, and the
totals. Then File > Exit, and the program must be gone.

usage: a11y_test.py PATH/TO/tallowin PATH/TO/SAMPLES
"""
import os
import re
import shutil
import sys
import time

from driving import (TIMEOUT, Failure, application, choose_folder, exit_by_menu, find, find_all, press,
                     run_test, start, status_texts, table_rows, top_window, wait_for)

DOCUMENTS = 24  # copies of the three samples


def check(exe, samples, work):
    source, target = os.path.join(work, "in"), os.path.join(work, "out")
    os.makedirs(source)
    os.makedirs(target)
    expected = {}
    names = ["sample-wp6.wpd", "sample-wp50.wpd", "sample-wp51.wpd"]
    for i in range(DOCUMENTS):
        path = os.path.join(source, "doc%02d.wpd" % i)
        shutil.copy(os.path.join(samples, names[i % 3]), path)
        expected[path] = "Converted"
    locked = os.path.join(source, "locked.wpd")
    shutil.copy(os.path.join(samples, "password-wp6.wpd"), locked)
    expected[locked] = "Failed"
    total = len(expected)

    program = start(exe, [])
    app = application()
    main_window = wait_for("the main window", lambda: top_window(app, "Tallowin"))
    chooser = wait_for("the start chooser", lambda: top_window(app, "Quick Start"))
    press(wait_for("BatchDocuments", lambda: find(chooser, "push button", "BatchDocuments")))

    batch = wait_for("the batch dialog", lambda: top_window(app, "Batch Documents"))
    select = wait_for("the Select... buttons", lambda: (lambda b: b if len(b) == 2 else None)(
        find_all(batch, "push button", "Select...")))
    press(select[0])
    choose_folder(app, "Select a Source Folder", source)
    press(select[1])
    choose_folder(app, "Select a Target Folder", target)
    found = wait_for("the documents found", lambda: (lambda l: l if l and l.childCount == total else None)(
        find(batch, "list", "Found Documents")))
    print("a11y: the batch dialog lists %d documents" % found.childCount)
    press(find(batch, "push button", "Start"))

    # How far the batch has got, as the status bar tells it.
    seen = []
    done_text = None
    deadline = time.time() + TIMEOUT
    while time.time() < deadline and not done_text:
        for text in status_texts(main_window):
            if text and (not seen or seen[-1] != text):
                seen.append(text)
            if text.startswith("Batch done:"):
                done_text = text
        time.sleep(0.05)
    print("a11y: status bar said: " + " | ".join(seen))
    if not done_text:
        raise Failure("the batch did not end within %d s" % TIMEOUT)
    running = [t for t in seen if re.fullmatch(r"\d+ of %d done(, \d+ failed)?" % total, t)]
    if not running:
        raise Failure("no progress was readable while the batch ran: %r" % seen)
    if done_text != "Batch done: %d converted, 1 failed" % (total - 1):
        raise Failure("unexpected totals: " + done_text)

    # The document list: a table with its headers, rows and cells.
    table = find(main_window, "table", "Documents")
    if table is None:
        raise Failure("no table named Documents")
    cells = table.queryTable()
    headers = [cells.getColumnHeader(c).name for c in range(cells.nColumns)]
    print("a11y: columns " + repr(headers))
    if headers != ["File Name:", "Status:"]:
        raise Failure("unexpected column headers %r" % headers)
    wait_for("every row", lambda: cells.nRows == total, timeout=10)
    rows = table_rows(table)
    shown = [(n, s) for n, s, _ in rows]
    want = sorted(expected.items(), key=lambda kv: (kv[0].lower(), kv[0]), reverse=True)
    if shown != want:
        raise Failure("rows differ:\n%r\nexpected\n%r" % (shown, want))
    reasons = {n: d for n, s, d in rows if s == "Failed"}
    print("a11y: %d rows read; failed: %r" % (len(rows), reasons))
    if "password-protected" not in reasons.get(locked, ""):
        raise Failure("the failed row does not say why: %r" % reasons)
    if any(d for n, s, d in rows if s != "Failed"):
        raise Failure("a converted row carries a reason")

    exit_by_menu(main_window, program)
    written = sorted(f for f in os.listdir(target))
    if written != sorted("doc%02d.doc" % i for i in range(DOCUMENTS)):
        raise Failure("the target folder holds %r" % written)


def main():
    return run_test("a11y", lambda work: check(sys.argv[1], sys.argv[2], work))


if __name__ == "__main__":
    sys.exit(main())
