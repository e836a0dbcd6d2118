# SPDX-License-Identifier: MPL-2.0
"""The real program's windows, on a virtual display, with the real office:
what a user sees first (smoke), a batch as a screen reader meets it (a11y),
a document opened from the desktop (open-with), and batches interrupted
leaving nothing behind (litter)."""
import glob
import os
import re
import signal
import struct
import subprocess
import time

from support import (button, check, copies, ended, exit_by_menu, find, folders, open_main, press, session, start,
                     start_batch, status_texts, table_rows, test, top_window, wait_for, watch_status, window)


def visible(title):
    """The X server's visible top-level windows with exactly this title."""
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                          capture_output=True, text=True).stdout.split()


def keys(title, *keys):
    subprocess.run(["xdotool", "windowfocus", "--sync", visible(title)[0]], check=True)
    for key in keys:
        time.sleep(0.3)
        subprocess.run(["xdotool", "key", "--clearmodifiers", key], check=True)


@test("smoke")
def smoke(exe, samples, work):
    """The first screen, by window title: the main window with the start
    chooser in front of it or, where the office cannot be started, the one
    start-up message; then the program ended by keyboard, leaving nothing
    running."""
    program = start(exe, accessible=False)

    def first_screen():
        check(program.poll() is None, "tallowin ended before showing anything")
        return next((title for title in ("Quick Start", "Error!") if visible(title)), None)
    first = wait_for("the first screen", first_screen, timeout=120)
    time.sleep(1)  # let anything that would wrongly follow show up too
    shown = {title: len(visible(title)) for title in ("Tallowin", "Quick Start", "Error!")}
    print("smoke: first screen %s, windows %r" % (first, shown))
    chooser = first == "Quick Start"
    check(shown == {"Tallowin": int(chooser), "Quick Start": int(chooser), "Error!": int(not chooser)},
          "the windows shown: %r" % shown)
    if chooser:
        # The chooser opens with "Open Document" focused; Tab, Tab reaches "Cancel".
        keys("Quick Start", "Tab", "Tab", "space")
        wait_for("\"Cancel\" to hide the start chooser", lambda: not visible("Quick Start"), timeout=5)
        check(len(visible("Tallowin")) == 1, "the main window went away with the start chooser")
        # Alt+F opens "File" on "Open"; Up wraps round to "Exit".
        keys("Tallowin", "alt+f", "Up", "Return")
    else:
        keys("Error!", "Return")
    code = ended(program, "the keyboard")
    check(code == int(not chooser), "tallowin ended with code %d" % code)


@test("a11y")
def a11y(exe, samples, work):
    """A batch of real documents started, read while it runs and afterwards,
    and File > Exit, through the accessibility bus alone."""
    source, target = folders(work, "in", "out")
    expected = {path: "Converted" for path in copies(source, samples, ["doc%02d.wpd" % i for i in range(24)])}
    locked = copies(source, samples, ["locked.wpd"], "password-wp6.wpd")[0]
    expected[locked] = "Failed"
    program, app, main_window = start_batch(exe, source, target, len(expected))

    seen = watch_status(main_window, "Batch done:")
    print("a11y: status bar said: " + " | ".join(seen))
    check(any(re.fullmatch(r"\d+ of 25 done(, \d+ failed)?", text) for text in seen),
          "no progress was readable while the batch ran")
    check(seen[-1] == "Batch done: 24 converted, 1 failed", "unexpected totals: " + seen[-1])

    cells = find(main_window, "table", "Documents").queryTable()
    headers = [cells.getColumnHeader(c).name for c in range(cells.nColumns)]
    check(headers == ["File Name:", "Status:"], "unexpected column headers %r" % headers)
    wait_for("every row", lambda: cells.nRows == len(expected), timeout=10)
    rows = table_rows(main_window)
    want = sorted(expected.items(), key=lambda kv: (kv[0].lower(), kv[0]), reverse=True)
    check([(name, status) for name, status, _ in rows] == want, "rows differ:\n%r\nexpected\n%r" % (rows, want))
    reasons = {name: reason for name, _, reason in rows if reason}
    check(list(reasons) == [locked] and "password-protected" in reasons[locked], "the reasons shown: %r" % reasons)

    exit_by_menu(main_window, program)
    written = sorted(os.listdir(target))
    check(written == ["doc%02d.doc" % i for i in range(24)], "the target folder holds %r" % written)


@test("open-with")
def open_with(exe, samples, work):
    """`tallowin FILE`, as "Open With" runs it: the main window and the Save
    As dialog with the proposed name, no start chooser; saving converts."""
    document = copies(work, samples, ["quarterly report.wpd"], "sample-wp6.wpd")[0]
    program, app, main_window = open_main(exe, [os.path.basename(document)], cwd=work)
    dialog = window(app, "Save As")
    check(top_window(app, "Quick Start") is None, "the start chooser was shown")
    proposed = wait_for("the file name box", lambda: find(dialog, "text")).queryText().getText(0, -1)
    check(proposed == "quarterly report.doc", "proposed name %r" % proposed)
    press(button(dialog, "Save"))
    rows = wait_for("the document's row converted",
                    lambda: (lambda r: r if r and r[0][1] == "Converted" else None)(table_rows(main_window)))
    check(rows[0][0] == document, "row %r" % (rows[0],))
    exit_by_menu(main_window, program)
    check(os.path.getsize(os.path.join(work, "quarterly report.doc")) > 0, "empty Word file")


BATCH = 600
WORD_FILES = {"doc%03d.doc" % i for i in range(BATCH)}


def memory_folders(pid):
    """The folders in memory-backed storage of the run of this process, as
    its record in /tmp names them: [kind][length, 4 bytes][name]..."""
    found = []
    for record in glob.glob("/tmp/tallowin-runs-%d*/%d-*" % (os.geteuid(), pid)):
        if record.endswith(".new"):
            continue
        with open(record, "rb") as f:
            data = f.read()
        at = 0
        while at + 5 <= len(data):
            length = struct.unpack(">I", data[at + 1:at + 5])[0]
            if data[at:at + 1] == b"D":
                found.append(os.fsdecode(data[at + 5:at + 5 + length]))
            at += 5 + length
    return found


def check_left(when, temp, memory, target):
    """The temporary folders hold nothing of the program's; the target
    folder holds complete Word files, one per converted document, and
    nothing else."""
    left = os.listdir(temp) + [folder for folder in memory if os.path.exists(folder)]
    check(not left, "%s, the temporary folders hold %r" % (when, left))
    for name in os.listdir(target):
        check(name in WORD_FILES, "%s, left in the target folder: %s" % (when, name))
        text = subprocess.run(["catdoc", os.path.join(target, name)], capture_output=True, timeout=60)
        check(text.returncode == 0 and text.stdout.strip(), "%s, not a complete Word file: %s" % (when, name))
    return len(os.listdir(target))


def kill_offices(program, main_window):
    offices = [pid for pid, command in session(program.pid).items() if "soffice.bin" in command]
    check(offices, "no office to kill")
    for pid in offices:
        os.kill(pid, signal.SIGKILL)
    print("litter: offices killed %r; %s" % (offices, watch_status(main_window, "Batch done:")[-1]))
    exit_by_menu(main_window, program)


# How a batch is interrupted, how long after it began converting, and
# whether the program could clean up (not after SIGKILL: the next start does).
INTERRUPTIONS = [
    ("office-killed", 1, kill_offices, True),
    ("exit", 2, lambda program, main_window: exit_by_menu(main_window, program), True),
    ("sigterm", 2, lambda program, main_window: os.kill(program.pid, signal.SIGTERM), True),
    ("sigkill", 2, lambda program, main_window: os.killpg(program.pid, signal.SIGKILL), False),
]


@test("litter")
def litter(exe, samples, work):
    """Batches of real documents interrupted as users and systems interrupt
    them leave nothing behind but complete Word files, and the next start
    has nothing to clean, or cleans what a killed run left."""
    for name, delay, interrupt, cleans in INTERRUPTIONS:
        source, target, temp, runtime = folders(os.path.join(work, name), "in", "out", "tmp", "runtime")
        os.chmod(runtime, 0o700)
        # The temporary folder to watch; the runtime folder a desktop session
        # provides (Qt makes one in the temporary folder without it).
        env = {"TMPDIR": temp, "XDG_RUNTIME_DIR": runtime}
        copies(source, samples, ["doc%03d.wpd" % i for i in range(BATCH)])
        program, app, main_window = start_batch(exe, source, target, BATCH, env)
        wait_for("the batch to convert", lambda: any(" of %d done" % BATCH in t for t in status_texts(main_window))
                 and os.listdir(target))
        memory = memory_folders(program.pid)
        time.sleep(delay)
        interrupt(program, main_window)
        ended(program, name)  # and its offices with it, at once or as the kernel ends them
        if cleans:
            check_left("after " + name, temp, memory, target)
        before = sorted(os.listdir(target))
        program, app, main_window = open_main(exe, env_extra=env)
        press(button(window(app, "Quick Start"), "Cancel"))
        exit_by_menu(main_window, program)
        check(not cleans or sorted(os.listdir(target)) == before,
              "the next start after %s changed the target folder" % name)
        written = check_left("after the next start after " + name, temp, memory, target)
        print("litter: %s: PASS (%d Word files)" % (name, written))
