"""What the tests that run `tallowin --convert` from outside share: the
program run without a display, checks, JSON Lines, and made trees of copies
of the sample documents."""
import json
import os
import shutil
import subprocess

SAMPLES = ["sample-wp6.wpd", "sample-wp50.wpd", "sample-wp51.wpd"]


class Failure(AssertionError):
    pass


def environment(**extra):
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env.pop("QT_QPA_PLATFORM", None)  # no display is needed, and none is asked for
    env.update(extra)
    return env


def run(exe, args, text=True, **kw):
    """Runs the program to its end; names may be bytes (then text=False)."""
    kw.setdefault("env", environment())
    return subprocess.run([exe] + args, capture_output=True, text=text, timeout=600, **kw)


def check(condition, message):
    if not condition:
        raise Failure(message)


def lines(result):
    return [json.loads(line) for line in result.stdout.splitlines()]


def make_tree(root, samples, paths):
    """Copies the samples, in turn, to each of `paths` (relative to root);
    returns their full paths."""
    made = []
    for i, path in enumerate(paths):
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        shutil.copy(os.path.join(samples, SAMPLES[i % len(SAMPLES)]), full)
        made.append(full)
    return made


def main(name, test):
    """Runs test(exe, samples, work) in a fresh folder; prints PASS or FAIL."""
    import sys
    import tempfile
    work = tempfile.mkdtemp(prefix="tallowin-%s-" % name)
    try:
        test(sys.argv[1], sys.argv[2], work)
        return 0
    except Failure as failure:
        print("%s: FAIL: %s" % (name, failure))
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
