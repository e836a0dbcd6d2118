#!/usr/bin/python3
"""The command line as scripts use it, with the real program and the real
office, and no display: exit codes and JSON lines for good, bad and missing
documents, a usage error, the windows without a display, and four processes at once over one folder split
four ways, each document converted exactly once.

usage: cli_test.py PATH/TO/tallowin PATH/TO/SAMPLES
"""
import json
import os
import shutil
import subprocess
import sys

from cli_support import SAMPLES, check, environment, lines, main, run


def test(exe, samples, work):
    src, out = os.path.join(work, "in"), os.path.join(work, "out")
    os.makedirs(src)
    os.makedirs(out)
    good = os.path.join(src, "good.wpd")
    shutil.copy(os.path.join(samples, "sample-wp6.wpd"), good)
    locked = os.path.join(src, "locked.wpd")
    shutil.copy(os.path.join(samples, "password-wp6.wpd"), locked)
    missing = os.path.join(src, "missing.wpd")

    # One of each: converted, failed with its reason, missing.
    for args, code, want in [
        ([good], 0, {good: "Converted"}),
        ([good, locked, missing], 1, {good: "Converted", locked: "Failed", missing: "Failed"}),
    ]:
        result = run(exe, ["--convert", "--json", "--target", out] + args)
        check(result.returncode == code, "exit %d, expected %d: %s" % (result.returncode, code, result.stderr))
        got = {line["source"]: line["status"] for line in lines(result)}
        check(got == want, "statuses %r, expected %r" % (got, want))
        for line in lines(result):
            if line["status"] == "Converted":
                check(line["target"] == os.path.join(out, "good.doc"), "target " + line["target"])
                check(os.path.getsize(line["target"]) > 0, "empty Word file")
            else:
                check("password-protected" in line["reason"] or "No such file" in line["reason"],
                      "reason " + line["reason"])
    text = run(exe, ["--convert", "--target", out, missing])
    check(text.returncode == 1 and text.stdout.split("\t")[:2] == [missing, "Failed"], "text line " + text.stdout)
    usage = run(exe, ["--convert", "--target", out])
    check(usage.returncode == 2 and usage.stdout == "", "usage error: exit %d" % usage.returncode)
    windows = run(exe, [good])
    check(windows.returncode == 1 and windows.stderr.count("\n") == 1 and "--convert" in windows.stderr,
          "without a display: exit %d: %s" % (windows.returncode, windows.stderr))
    print("cli: good, bad and missing documents, usage error, no display: PASS")

    # Names that are not UTF-8 (Latin-1, Shift-JIS), listed from a folder:
    # converted into Word files named by the same bytes, and printed as
    # those bytes.
    names = os.path.join(work, "names").encode()
    named_out = os.path.join(work, "names-out").encode()
    os.makedirs(names)
    stems = [b"caf\xe9", b"\x93\xfa\x96\x7b"]
    for stem in stems:
        shutil.copy(os.path.join(samples, "sample-wp51.wpd"), os.path.join(names, stem + b".wpd"))
    result = run(exe.encode(), [b"--convert", b"--target", named_out, names], text=False)
    check(result.returncode == 0, "names: exit %d: %r" % (result.returncode, result.stderr))
    check(sorted(os.listdir(named_out)) == sorted(stem + b".doc" for stem in stems),
          "names: Word files %r" % os.listdir(named_out))
    printed = sorted(line.split(b"\t")[0] for line in result.stdout.splitlines())
    check(printed == sorted(os.path.join(names, stem + b".wpd") for stem in stems), "names: printed %r" % printed)
    print("cli: names that are not UTF-8: PASS")

    # Four processes at once over one folder split four ways.
    archive, converted = os.path.join(work, "archive"), os.path.join(work, "converted")
    os.makedirs(archive)
    os.makedirs(converted)
    documents = []
    for i in range(40):
        path = os.path.join(archive, "doc%02d.wpd" % i)
        shutil.copy(os.path.join(samples, SAMPLES[i % 3]), path)
        documents.append(path)
    quarters = [documents[i::4] for i in range(4)]
    procs = [subprocess.Popen([exe, "--convert", "--json", "--target", converted, "-"], env=environment(),
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
             for _ in quarters]
    outputs = [p.communicate("\n".join(q) + "\n", timeout=600) for p, q in zip(procs, quarters)]
    reported = []
    for p, (stdout, stderr) in zip(procs, outputs):
        check(p.returncode == 0, "a process ended with %d: %s" % (p.returncode, stderr))
        reported += [json.loads(line) for line in stdout.splitlines()]
    sources = sorted(line["source"] for line in reported)
    check(sources == sorted(documents), "each document reported once: %d lines" % len(sources))
    check(all(line["status"] == "Converted" for line in reported), "all converted")
    written = sorted(os.listdir(converted))
    check(written == sorted("doc%02d.doc" % i for i in range(40)), "Word files %r" % written)
    print("cli: four processes over one folder, each document once: PASS")


if __name__ == "__main__":
    sys.exit(main("cli", test))
