# SPDX-License-Identifier: MPL-2.0
"""What the tests that drive the real program from outside share: the
program started on a display, in a session of its own, read and operated
through the accessibility bus (AT-SPI) as a screen reader does; `--convert`
run without a display; folders of copies of the sample documents; waiting;
and the check that the program and everything it started are gone."""
import contextlib
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

import pyatspi

TIMEOUT = 180
SAMPLES = ["sample-wp6.wpd", "sample-wp50.wpd", "sample-wp51.wpd"]
TESTS = {}  # name: test(exe, samples, work)
_started = []  # every program start() started, ended by main
_work = []  # the work folder of the test that runs


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def test(name):
    """Registers the function as the test `name`."""
    return lambda function: TESTS.setdefault(name, function)


def main(name, exe, samples):
    """Runs the test `name` in a fresh work folder; prints PASS, or FAIL with
    the Failure's words and what the programs it started said, and returns
    the exit code. Whatever the programs started that still runs is killed,
    and the folder goes."""
    work = tempfile.mkdtemp(prefix="tallowin-%s-" % name)
    _work.append(work)
    try:
        TESTS[name](exe, samples, work)
        print("%s: PASS" % name)
        return 0
    except Failure as failure:
        print("%s: FAIL: %s" % (name, failure))
        for program in _started:
            with open(program.log, errors="replace") as log:
                print("%s said:\n%s" % (program.args, log.read()[-2000:]))
        return 1
    finally:
        for program in _started:
            for pid in session(program.pid):
                with contextlib.suppress(OSError):  # gone meanwhile
                    os.kill(pid, signal.SIGKILL)
            program.wait()
        shutil.rmtree(work, ignore_errors=True)


def wait_for(what, probe, timeout=TIMEOUT):
    deadline = time.time() + timeout
    while time.time() < deadline:
        try:
            found = probe()
        except Failure:
            raise
        except Exception:  # the accessible tree changes under our feet
            found = None
        if found:
            return found
        time.sleep(0.1)
    raise Failure("timed out waiting for " + what)


def copies(root, samples, paths, sample=None):
    """Copies the sample named, or the samples in turn, to each of `paths`
    (relative to root; str or bytes); returns their full paths."""
    made = []
    for i, path in enumerate(paths):
        made.append(os.path.join(root, path))
        os.makedirs(os.path.dirname(made[-1]), exist_ok=True)
        shutil.copy(os.path.join(samples, sample or SAMPLES[i % len(SAMPLES)]), made[-1])
    return made


def folders(root, *names):
    for name in names:
        os.makedirs(os.path.join(root, name))
    return [os.path.join(root, name) for name in names]


# The program on a display.
def start(exe, args=(), accessible=True, env_extra=None, cwd=None):
    """The program in a session of its own, its output in a log in the work
    folder. With the accessibility bridge on, the bus is brought up
    first, so that the program finds it at once however busy the machine is."""
    env = dict(os.environ, **(env_extra or {}))
    env.pop("QT_QPA_PLATFORM", None)
    if accessible:
        pyatspi.Registry.getDesktop(0)
        env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    log = os.path.join(_work[0], "program-%d.log" % len(_started))
    with open(log, "wb") as output:
        program = subprocess.Popen([exe] + list(args), env=env, cwd=cwd, stdout=output, stderr=output,
                                   start_new_session=True)
    program.log = log
    _started.append(program)
    return program


def session(leader):
    """pid: command line of every process in the session `leader` began:
    the program and what it started (its offices have groups of their own,
    but stay in its session)."""
    found = {}
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % entry) as stat:
                if int(stat.read().rsplit(")", 1)[1].split()[3]) != leader:
                    continue
            with open("/proc/%s/cmdline" % entry, "rb") as command:
                found[int(entry)] = command.read().replace(b"\0", b" ").decode("utf-8", "replace")
        except (OSError, IndexError, ValueError):
            continue
    return found


def ended(program, how, timeout=120):
    """`how` ends the program, and everything it started ends with it;
    returns its exit code."""
    try:
        program.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        raise Failure(how + " did not end the program")
    deadline = time.time() + 30
    while session(program.pid) and time.time() < deadline:
        time.sleep(0.2)
    check(not session(program.pid), "left behind after %s: %r" % (how, session(program.pid)))
    return program.returncode


def children(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child


def find_all(root, role, name=None, showing=True):
    """Every descendant with this role (and name), in tree order."""
    found = []
    stack = [root]
    while stack:
        acc = stack.pop()
        for child in reversed(list(children(acc))):
            try:
                matches = child.getRoleName() == role and (name is None or child.name == name)
                if matches and showing and not child.getState().contains(pyatspi.STATE_SHOWING):
                    matches = False
            except Exception:
                continue
            if matches:
                found.append(child)
            if child.getRoleName() != "table":  # cells come from the table interface
                stack.append(child)
    found.reverse()
    return found


def find(root, role, name=None):
    return next(iter(find_all(root, role, name)), None)


def press(acc):
    action = acc.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("press", "click", "Press", "SetFocus") or i == action.nActions - 1:
            action.doAction(i)
            return
    raise Failure("no action on " + acc.name)


def top_window(app, name):
    return next((w for w in children(app) if w.name == name and w.getState().contains(pyatspi.STATE_SHOWING)), None)


def window(app, name):
    return wait_for("the window \"%s\"" % name, lambda: top_window(app, name))


def button(dialog, name):
    return wait_for("the button \"%s\"" % name, lambda: find(dialog, "push button", name))


def open_main(exe, args=(), **kw):
    """The program started, as it shows on the accessibility bus, and its
    main window."""
    program = start(exe, args, **kw)
    desktop = pyatspi.Registry.getDesktop(0)
    app = wait_for("tallowin on the accessibility bus",
                   lambda: next((a for a in children(desktop) if a.name == "tallowin"), None))
    return program, app, window(app, "Tallowin")


def start_batch(exe, source, target, documents, env_extra=None):
    """A batch started as a user starts one: the start chooser's
    "BatchDocuments", the batch dialog's two "Select..." buttons and the
    folder choosers they open, answered as a keyboard user would (the
    folder's path into the name box, then "Choose"), the documents found
    listed, "Start"."""
    program, app, main_window = open_main(exe, env_extra=env_extra)
    press(button(window(app, "Quick Start"), "BatchDocuments"))
    batch = window(app, "Batch Documents")
    select = wait_for("the two Select... buttons",
                      lambda: (lambda b: b if len(b) == 2 else None)(find_all(batch, "push button", "Select...")))
    for select_button, title, folder in zip(select, ["Select a Source Folder", "Select a Target Folder"],
                                            [source, target]):
        press(select_button)
        dialog = window(app, title)
        wait_for("the chooser's name box", lambda: find(dialog, "text")).queryEditableText().setTextContents(folder)
        press(button(dialog, "Choose"))
        wait_for("the chooser to close", lambda: top_window(app, title) is None)
    wait_for("the %d documents found" % documents,
             lambda: find(batch, "list", "Found Documents").childCount == documents)
    press(button(batch, "Start"))
    return program, app, main_window


def status_texts(main_window):
    bar = find(main_window, "status bar")
    return [label.name for label in find_all(bar, "label", showing=False)] if bar else []


def watch_status(main_window, until, timeout=TIMEOUT):
    """The status bar's texts, in the order they showed, up to (and ending
    with) the first that starts with `until`."""
    seen = []
    deadline = time.time() + timeout
    while time.time() < deadline:
        for text in status_texts(main_window):
            if text and (not seen or seen[-1] != text):
                seen.append(text)
            if text.startswith(until):
                return seen
        time.sleep(0.05)
    raise Failure("the status bar did not say \"%s...\" within %d s: %r" % (until, timeout, seen))


def table_rows(main_window):
    """(first cell, second cell, second cell's description) of every row of
    the document list."""
    cells = find(main_window, "table", "Documents").queryTable()
    return [(cells.getAccessibleAt(r, 0).name, cells.getAccessibleAt(r, 1).name,
             cells.getAccessibleAt(r, 1).description) for r in range(cells.nRows)]


def exit_by_menu(main_window, program):
    """File > Exit, as the bus offers it; the program, and what it started, end."""
    file_menu = find(main_window, "menu item", "File")
    try:
        find_all(file_menu, "menu item", "Exit", showing=False)[0].queryAction().doAction(0)
    except Exception:
        pass  # the program ends before it answers
    ended(program, "File > Exit")


# The command line, without a display.
def environment(**extra):
    env = dict(os.environ, **extra)
    env.pop("DISPLAY", None)
    env.pop("QT_QPA_PLATFORM", None)  # no display is needed, and none is asked for
    return env


def run(exe, args, text=True, **kw):
    """Runs the program to its end; names may be bytes (then text=False)."""
    return subprocess.run([exe] + args, capture_output=True, text=text, timeout=600, env=environment(), **kw)


def popen(exe, args, **kw):
    return subprocess.Popen([exe] + args, env=environment(), stdout=subprocess.PIPE, text=True, **kw)


def lines(output):
    return [json.loads(line) for line in output.splitlines()]


def placed(source, root, target):
    """Where the Word file of `source`, under `root`, goes under `target`."""
    return os.path.splitext(os.path.join(target, os.path.relpath(source, root)))[0] + ".doc"


def files_under(root):
    return sorted(os.path.join(folder, name) for folder, _, names in os.walk(root) for name in names)


def check_lines(reported, want, what, under=None):
    """One JSON line for each source `want` names: "Converted" with the
    target given (and that Word file there), or "Failed" with a reason that
    holds the words given; and, under the folder given, nothing but those
    Word files."""
    got = {line["source"]: line for line in reported}
    check(len(reported) == len(want) and sorted(got) == sorted(want), "%s: reported %r" % (what, sorted(got)))
    for source, (status, detail) in want.items():
        line = got[source]
        if status == "Converted":
            good = line["target"] == detail and os.path.getsize(detail) > 0
        else:
            good = detail in line.get("reason", "")
        check(line["status"] == status and good, "%s: %r" % (what, line))
    if under:
        written = sorted(detail for status, detail in want.values() if status == "Converted")
        check(files_under(under) == written, "%s: the Word files %r" % (what, files_under(under)))
    return True
