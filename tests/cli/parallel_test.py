#!/usr/bin/python3
"""The README's way of spreading an archive over processes, run for real:
GNU parallel hands the paths `find` lists to four `tallowin --convert`
processes at once (--pipe), all into one target, over a made tree of 400
documents whose names repeat from folder to folder. Every document is
converted exactly once, at its mirrored place, and the JSON Lines of all
processes parse.

usage: parallel_test.py PATH/TO/tallowin PATH/TO/SAMPLES
"""
import json
import os
import subprocess
import sys

from cli_support import check, environment, main, make_tree

FOLDERS, NAMES = 40, 10


def test(exe, samples, work):
    archive, out = os.path.join(work, "archive"), os.path.join(work, "converted")
    paths = ["%d/%s/letter%d.wpd" % (f // 10, f, n) for f in range(FOLDERS) for n in range(NAMES)]
    documents = make_tree(archive, samples, paths)
    command = ("find archive -name '*.wpd' | parallel -j 4 --pipe -N 100 "
               "\"$TALLOWIN\" --convert --json --base archive --target converted - > results.jsonl")
    # One office each: four processes on a small machine.
    result = subprocess.run(["bash", "-c", command], cwd=work, capture_output=True, text=True, timeout=900,
                            env=environment(TALLOWIN=exe, TALLOWIN_OFFICES="1"))
    check(result.returncode == 0, "exit %d: %s" % (result.returncode, result.stderr))
    with open(os.path.join(work, "results.jsonl")) as results:
        reported = [json.loads(line) for line in results]
    check(sorted(line["source"] for line in reported) == sorted(documents), "%d lines" % len(reported))
    for line in reported:
        want = os.path.join(out, os.path.relpath(line["source"], archive))[:-len(".wpd")] + ".doc"
        check(line["status"] == "Converted" and line["target"] == want, "%r" % line)
    written = sorted(os.path.relpath(os.path.join(folder, name), out)
                     for folder, _, names in os.walk(out) for name in names)
    check(written == sorted(path[:-len(".wpd")] + ".doc" for path in paths), "%d Word files" % len(written))
    print("parallel: %d documents, 4 processes, one target, each converted once at its place: PASS"
          % len(documents))


if __name__ == "__main__":
    sys.exit(main("parallel", test))
