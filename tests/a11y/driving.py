"""Finding, reading and operating the program's windows through the
accessibility bus (AT-SPI), as a screen reader does. Shared by the tests
that drive the real program from outside."""
import os
import shutil
import signal
import subprocess
import tempfile
import time

import pyatspi

TIMEOUT = 180


class Failure(Exception):
    pass


_started = []  # every program start() started, ended by run_test


def wait_for(what, probe, timeout=TIMEOUT, interval=0.1):
    deadline = time.time() + timeout
    while time.time() < deadline:
        try:
            found = probe()
        except Exception:  # the tree changes under our feet
            found = None
        if found:
            return found
        time.sleep(interval)
    raise Failure("timed out waiting for " + what)


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
    hits = find_all(root, role, name)
    return hits[0] if hits else None


def press(acc):
    action = acc.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("press", "click", "Press", "SetFocus") or i == action.nActions - 1:
            action.doAction(i)
            return
    raise Failure("no action on " + acc.name)


def top_window(app, name):
    for window in children(app):
        if window.name == name and window.getState().contains(pyatspi.STATE_SHOWING):
            return window
    return None


def choose_folder(app, title, folder):
    """Answers the folder chooser as a keyboard user would: the folder's
    path into its name box, then "Choose"."""
    dialog = wait_for("the folder chooser \"%s\"" % title, lambda: top_window(app, title))
    box = wait_for("the chooser's name box", lambda: find(dialog, "text"))
    box.queryEditableText().setTextContents(folder)
    press(wait_for("its Choose button", lambda: find(dialog, "push button", "Choose")))
    wait_for("the chooser to close", lambda: top_window(app, title) is None)


def start(exe, args, cwd=None, env_extra=None):
    """The program with the accessibility bridge on, in a session of its own.
    The accessibility bus is brought up first, so that the program finds it
    at once however busy the machine is."""
    pyatspi.Registry.getDesktop(0)
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", **(env_extra or {}))
    env.pop("QT_QPA_PLATFORM", None)
    program = subprocess.Popen([exe] + args, env=env, cwd=cwd, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    _started.append(program)
    return program


def run_test(name, body):
    """Runs body(work), with a fresh work folder, as the test `name`: prints
    PASS, or FAIL with the Failure's words, and returns the exit code. Any
    program it started that still runs is killed, and the folder goes."""
    work = tempfile.mkdtemp(prefix="tallowin-%s-" % name)
    try:
        body(work)
        print("%s: PASS" % name)
        return 0
    except Failure as failure:
        print("%s: FAIL: %s" % (name, failure))
        return 1
    finally:
        for program in _started:
            if program.poll() is None:
                os.killpg(program.pid, signal.SIGKILL)
                program.wait()
        shutil.rmtree(work, ignore_errors=True)


def application(name="tallowin"):
    desktop = pyatspi.Registry.getDesktop(0)
    return wait_for(name + " on the accessibility bus",
                    lambda: next((a for a in children(desktop) if a.name == name), None))


def table_rows(table):
    """(first cell, second cell, second cell's description) of every row."""
    cells = table.queryTable()
    rows = []
    for r in range(cells.nRows):
        name, status = cells.getAccessibleAt(r, 0), cells.getAccessibleAt(r, 1)
        rows.append((name.name, status.name, status.description))
    return rows


def exit_by_menu(main_window, program):
    """File > Exit, as the bus offers it; the program must end."""
    file_menu = find(main_window, "menu item", "File")
    exit_item = next(i for i in find_all(file_menu, "menu item", "Exit", showing=False))
    try:
        exit_item.queryAction().doAction(0)
    except Exception:
        pass  # the program ends before it answers
    try:
        program.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("File > Exit did not end the program")


def status_texts(main):
    bar = find(main, "status bar")
    return [label.name for label in find_all(bar, "label", showing=False)] if bar else []


