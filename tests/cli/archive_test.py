#!/usr/bin/python3
"""An archive converted as scripts do, with the real program and office:
a made tree mirrored into the target (repeated names, a link to a folder, a
name with a tab and a newline, folders and a target not named in UTF-8),
two processes writing one name, a killed run resumed, and every --to format
read back with the source's text and pictures.

usage: archive_test.py PATH/TO/tallowin PATH/TO/SAMPLES
"""
import base64
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import zipfile

from cli_support import check, environment, lines, main, make_tree, run

TREE = ["2019/a/letter.wpd", "2019/b/letter.wpd", "2020/letter.wpd", "top.wpd", "2020/tab\there\nnewline.wpd"]


def mirrored(exe, samples, work):
    archive, out = os.path.join(work, "archive"), os.path.join(work, "out")
    documents = make_tree(archive, samples, TREE)
    with open(os.path.join(archive, "2020", "notes.txt"), "w") as notes:
        notes.write("left out")
    os.symlink("../2019", os.path.join(archive, "2020", "link"))
    result = run(exe, ["--convert", "-r", "--json", "--target", out, archive])
    check(result.returncode == 0, "tree: exit %d: %s" % (result.returncode, result.stderr))
    check(sorted(line["source"] for line in lines(result)) == sorted(documents), "tree: %s" % result.stdout)
    for line in lines(result):
        want = os.path.join(out, os.path.relpath(line["source"], archive))[:-len(".wpd")] + ".doc"
        check(line["status"] == "Converted" and line["target"] == want and os.path.getsize(want) > 0,
              "tree: %r" % line)
    check(not os.path.exists(os.path.join(out, "2020", "link")), "tree: the link to a folder was followed")
    check(result.stderr.endswith("5 converted, 0 failed, 0 skipped, 1 left out by their extension\n"),
          "tree: summary %r" % result.stderr)
    # Text lines: one per document, three fields each, whatever the names.
    text = run(exe, ["--convert", "-r", "-q", "--target", out, archive], text=False)
    rows = text.stdout.split(b"\n")[:-1]
    check(len(rows) == 5 and all(row.count(b"\t") == 2 for row in rows), "forged: %r" % text.stdout)
    check(any(row.startswith(archive.encode() + b"/2020/tab\\there\\nnewline.wpd\t") for row in rows),
          "escaped: %r" % text.stdout)
    print("archive: a tree mirrored, names that cannot forge a line: PASS")


def not_utf8(exe, samples, work):
    folder, out = os.path.join(work, "caf\xe9").encode("latin-1"), os.path.join(work, "out\xe9").encode("latin-1")
    make_tree(folder.decode("utf-8", "surrogateescape"), samples, ["sub/\udcff.wpd"])
    result = run(exe.encode(), [b"--convert", b"-r", b"--json", b"--target", out, folder], text=False)
    check(result.returncode == 0, "names: exit %d: %r" % (result.returncode, result.stderr))
    line = lines(result)[0]  # strict JSON
    check(base64.b64decode(line["source_bytes"]) == folder + b"/sub/\xff.wpd", "names: %r" % line)
    check(line["source"] == (folder + b"/sub/\xff.wpd").decode("utf-8", "replace"), "names: %r" % line)
    check(os.path.getsize(out + b"/sub/\xff.doc") > 0, "names: no Word file")
    check(sorted(os.listdir(work.encode())).count(b"out\xef\xbf\xbd") == 0, "names: a stray folder")
    print("archive: folders and a target not named in UTF-8: PASS")


def two_processes(exe, samples, work):
    a, b = make_tree(work, samples, ["two/a/x.wpd", "two/b/x.wpd"])
    out = os.path.join(work, "two", "out")
    procs = [subprocess.Popen([exe, "--convert", "--json", "--target", out, path], env=environment(),
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True) for path in (a, b)]
    results = [json.loads(p.communicate(timeout=600)[0]) for p in procs]
    check(sorted(p.returncode for p in procs) == [0, 1], "two: exit %r" % [p.returncode for p in procs])
    failed = [r for r in results if r["status"] == "Failed"][0]
    check(failed["reason"] == "The target %s/x.doc was written by another run meanwhile; nothing was written" % out,
          "two: %r" % failed)
    converted = [r for r in results if r["status"] == "Converted"][0]
    text = subprocess.run(["catdoc", converted["target"]], capture_output=True, text=True).stdout
    want = "AND FURTHER" if converted["source"] == a else "Surrounded by her family"
    check(want in text and os.listdir(out) == ["x.doc"], "two: the Word file is not the converted one's")
    print("archive: two processes, one name: one converted, one told, nothing lost: PASS")


def resumed(exe, samples, work):
    archive, out = os.path.join(work, "resume"), os.path.join(work, "resume-out")
    documents = make_tree(archive, samples, ["d%03d.wpd" % i for i in range(120)])
    first = subprocess.Popen([exe, "--convert", "--json", "--target", out, archive], env=environment(),
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    done = [json.loads(first.stdout.readline()) for _ in range(20)]
    first.send_signal(signal.SIGKILL)
    done += [json.loads(line) for line in first.stdout.read().splitlines() if line.endswith("}")]
    first.wait()
    second = run(exe, ["--convert", "--json", "--skip-existing", "--target", out, archive])
    check(second.returncode == 0, "resume: exit %d: %s" % (second.returncode, second.stderr))
    again = {line["source"]: line["status"] for line in lines(second)}
    check(sorted(again) == documents and len(done) < len(documents), "resume: %d lines" % len(again))
    check(all(again[line["source"]] == "Skipped" for line in done), "resume: converted twice")
    check(sorted(os.listdir(out)) == ["d%03d.doc" % i for i in range(120)], "resume: %r" % os.listdir(out))
    print("archive: a killed run resumed, %d converted before, none twice: PASS" % len(done))


def pictures_in_office_file(path):
    with zipfile.ZipFile(path) as z:
        content = z.read("content.xml" if path.endswith(".odt") else "word/document.xml").decode()
    return len(re.findall(r"<draw:frame|<wp:inline|<wp:anchor", content)), content


def formats(exe, samples, work):
    source = os.path.join(work, "pictures.wpd")
    shutil.copy(os.path.join(samples, "pictures-wp6.wpd"), source)
    text = "Ruimtelijke interpolatie"
    for to in ["doc", "docx", "odt", "pdf"]:
        result = run(exe, ["--convert", "-q", "--to", to, "--target", os.path.join(work, to), source])
        check(result.returncode == 0, "--to %s: %s %s" % (to, result.stdout, result.stderr))
    # The office reads the Word 97 file back for its pictures.
    reread = os.path.join(work, "reread")
    subprocess.run(["soffice", "-env:UserInstallation=file://" + reread + "/profile", "--headless",
                    "--convert-to", "odt", "--outdir", reread, os.path.join(work, "doc", "pictures.doc")],
                   capture_output=True, timeout=300)
    doc = subprocess.run(["catdoc", os.path.join(work, "doc", "pictures.doc")], capture_output=True, text=True)
    check(text in doc.stdout, "--to doc: text")
    for path in [os.path.join(reread, "pictures.odt"), os.path.join(work, "docx", "pictures.docx"),
                 os.path.join(work, "odt", "pictures.odt")]:
        count, content = pictures_in_office_file(path)
        check(count == 2 and text in content, "%s: %d pictures" % (path, count))
    pdf = os.path.join(work, "pdf", "pictures.pdf")
    meta = subprocess.run(["pdfinfo", "-meta", pdf], capture_output=True, text=True).stdout
    check("<pdfaid:part>2</pdfaid:part>" in meta and "<pdfaid:conformance>B" in meta, "--to pdf: not PDF/A-2b")
    check(text in subprocess.run(["pdftotext", pdf, "-"], capture_output=True, text=True).stdout, "--to pdf: text")
    svg = subprocess.run(["pdftocairo", "-svg", pdf, "-"], capture_output=True, text=True).stdout
    drawn = len(re.findall("<path", re.sub(r"<symbol.*?</symbol>", "", svg, flags=re.S)))
    check(drawn > 1000, "--to pdf: the pictures' %d paths" % drawn)
    print("archive: every --to format read back with its text and pictures: PASS")


def test(exe, samples, work):
    mirrored(exe, samples, work)
    not_utf8(exe, samples, work)
    two_processes(exe, samples, work)
    resumed(exe, samples, work)
    formats(exe, samples, work)


if __name__ == "__main__":
    sys.exit(main("archive", test))
