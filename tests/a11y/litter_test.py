#!/usr/bin/python3
"""Nothing left behind: a batch of real documents through the real program
and office, interrupted as users and systems interrupt it:

  - every office killed 1 s into the batch: the batch goes on;
  - File > Exit while it converts;
  - SIGTERM while it converts (ended as Exit ends it);
  - SIGKILL while it converts (nothing can clean up then: the next start does).

After each, the target folder holds complete Word files and nothing else,
the temporary folder holds nothing of the program's, and the next start has
nothing to clean (or, after SIGKILL, cleans it).

usage: litter_test.py PATH/TO/tallowin PATH/TO/SAMPLES
"""
import glob
import os
import shutil
import signal
import struct
import subprocess
import sys
import time

from driving import (Failure, application, choose_folder, exit_by_menu, find, find_all, press, run_test,
                     start, status_texts, top_window, wait_for)

DOCUMENTS = 600
SAMPLES = ["sample-wp6.wpd", "sample-wp50.wpd", "sample-wp51.wpd"]


def office_pids(temp):
    """The offices of the runs whose files are in `temp` (their own
    temporary folder, which only their environment names)."""
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                command = f.read().decode("utf-8", "replace")
            with open("/proc/%s/environ" % entry, "rb") as f:
                environment = f.read().decode("utf-8", "replace")
        except OSError:
            continue
        if "soffice.bin" in command and ("TMPDIR=" + temp) in environment:
            pids.append(int(entry))
    return pids


def environment(temp):
    """The temporary folder to watch; the runtime folder a desktop session
    provides (Qt makes one in the temporary folder without it)."""
    runtime = os.path.join(os.path.dirname(temp), "runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    return {"TMPDIR": temp, "XDG_RUNTIME_DIR": runtime}


def start_batch(exe, temp, source, target):
    program = start(exe, [], env_extra=environment(temp))
    app = application()
    main = wait_for("the main window", lambda: top_window(app, "Tallowin"))
    chooser = wait_for("the start chooser", lambda: top_window(app, "Quick Start"))
    press(wait_for("BatchDocuments", lambda: find(chooser, "push button", "BatchDocuments")))
    batch = wait_for("the batch dialog", lambda: top_window(app, "Batch Documents"))
    select = find_all(batch, "push button", "Select...")
    press(select[0])
    choose_folder(app, "Select a Source Folder", source)
    press(select[1])
    choose_folder(app, "Select a Target Folder", target)
    press(find(batch, "push button", "Start"))
    return program, app, main


def converting(main):
    return any(" of %d done" % DOCUMENTS in t for t in status_texts(main))


def check_target(target, sources):
    """Complete Word files, one per converted document, and nothing else."""
    expected = {os.path.splitext(name)[0] + ".doc" for name in sources}
    for name in os.listdir(target):
        path = os.path.join(target, name)
        if name not in expected:
            raise Failure("left in the target folder: " + name)
        text = subprocess.run(["catdoc", path], capture_output=True, timeout=60)
        if text.returncode != 0 or not text.stdout.strip():
            raise Failure("not a complete Word file: " + name)
    return len(os.listdir(target))


def memory_folders(pid):
    """The folders in memory-backed storage of the run of this process, as
    its record in /tmp names them: [kind][length, 4 bytes][name]..."""
    folders = []
    for records in glob.glob("/tmp/tallowin-runs-%d*" % os.geteuid()):
        for name in os.listdir(records):
            if not name.startswith("%d-" % pid) or name.endswith(".new"):
                continue
            with open(os.path.join(records, name), "rb") as f:
                data = f.read()
            at = 0
            while at + 5 <= len(data):
                length = struct.unpack(">I", data[at + 1:at + 5])[0]
                if data[at:at + 1] == b"D":
                    folders.append(os.fsdecode(data[at + 5:at + 5 + length]))
                at += 5 + length
    return folders


def check_temp(temp, when, memory):
    left = os.listdir(temp) + [folder for folder in memory if os.path.exists(folder)]
    if left:
        raise Failure("%s, the temporary folders hold %r" % (when, left))


def next_start(exe, temp, target):
    """Starts the program, lets it clean what a run left, and exits."""
    before = sorted(os.listdir(target))
    program = start(exe, [], env_extra=environment(temp))
    app = application()
    main = wait_for("the main window", lambda: top_window(app, "Tallowin"))
    chooser = wait_for("the start chooser", lambda: top_window(app, "Quick Start"))
    press(find(chooser, "push button", "Cancel"))
    exit_by_menu(main, program)
    after = sorted(os.listdir(target))
    return before, after, program.pid


def scenario(exe, samples, work, name, interrupt):
    folder = os.path.join(work, name)
    source, target, temp = (os.path.join(folder, p) for p in ("in", "out", "tmp"))
    for path in (source, target, temp):
        os.makedirs(path)
    sources = []
    for i in range(DOCUMENTS):
        sources.append("doc%03d.wpd" % i)
        shutil.copy(os.path.join(samples, SAMPLES[i % 3]), os.path.join(source, sources[-1]))

    program, app, main = start_batch(exe, temp, source, target)
    try:
        wait_for("the batch to convert", lambda: converting(main) and os.listdir(target))
        memory = memory_folders(program.pid)
        cleaned_at_next_start = interrupt(program, main, temp)
        program.wait(timeout=120)
    finally:
        if program.poll() is None:
            os.killpg(program.pid, signal.SIGKILL)
            program.wait()
    # Offices die with the program (at once, or as the kernel ends them).
    wait_for("the offices to end", lambda: not office_pids(temp), timeout=30)
    if not cleaned_at_next_start:
        check_temp(temp, "after the program ended", memory)
        check_target(target, sources)
    before, after, _ = next_start(exe, temp, target)
    if before != after and not cleaned_at_next_start:
        raise Failure("the next start changed the target folder: %r" % sorted(set(before) ^ set(after)))
    check_temp(temp, "after the next start", memory)
    written = check_target(target, sources)
    print("litter: %s: PASS (%d Word files)" % (name, written))


def kill_offices(program, main, temp):
    time.sleep(1)
    pids = office_pids(temp)
    if not pids:
        raise Failure("no office to kill")
    for pid in pids:
        os.kill(pid, signal.SIGKILL)
    done = wait_for("the batch to end", lambda: next((t for t in status_texts(main) if t.startswith("Batch done:")),
                                                     None))
    print("litter: offices killed %r; %s" % (pids, done))
    exit_by_menu(main, program)
    return False


def exit_while_converting(program, main, temp):
    time.sleep(2)
    exit_by_menu(main, program)
    return False


def terminate_while_converting(program, main, temp):
    time.sleep(2)
    os.kill(program.pid, signal.SIGTERM)
    return False


def kill_while_converting(program, main, temp):
    time.sleep(2)
    os.killpg(program.pid, signal.SIGKILL)
    return True


def check(exe, samples, work):
    scenario(exe, samples, work, "office-killed", kill_offices)
    scenario(exe, samples, work, "exit", exit_while_converting)
    scenario(exe, samples, work, "sigterm", terminate_while_converting)
    scenario(exe, samples, work, "sigkill", kill_while_converting)


def main():
    return run_test("litter", lambda work: check(sys.argv[1], sys.argv[2], work))


if __name__ == "__main__":
    sys.exit(main())
