# SPDX-License-Identifier: MPL-2.0
"""`tallowin --convert` as scripts use it, with the real office and no
display: exit codes, JSON Lines and text lines, names (cli); trees mirrored,
two processes on one name, a killed run resumed, every format read back
(cli-archive); several processes at once into one target, by GNU parallel
as the README shows it (cli-parallel)."""
import base64
import json
import os
import re
import signal
import subprocess
import zipfile

from support import check, check_lines, copies, environment, files_under, lines, placed, popen, run, test


@test("cli")
def cli(exe, samples, work):
    src, out = os.path.join(work, "in"), os.path.join(work, "out")
    good = copies(src, samples, ["good.wpd"], "sample-wp6.wpd")[0]
    locked = copies(src, samples, ["locked.wpd"], "password-wp6.wpd")[0]
    missing = os.path.join(src, "missing.wpd")
    converted = ("Converted", os.path.join(out, "good.doc"))
    json_lines = ["--convert", "--json", "--target", out]
    for what, args, stdin, code, holds in [
        ("one document", json_lines + [good], None, 0,
         lambda r: check_lines(lines(r.stdout), {good: converted}, "one document")),
        # Paths on standard input, without --base: the Word files go to the top of the target.
        ("converted, failed, missing", json_lines + ["-"], "%s\n%s\n%s\n" % (good, locked, missing), 1,
         lambda r: check_lines(lines(r.stdout), {good: converted, locked: ("Failed", "password-protected"),
                                                 missing: ("Failed", "No such file")}, "three documents")),
        ("a text line", ["--convert", "--target", out, missing], None, 1,
         lambda r: r.stdout.split("\t")[:2] == [missing, "Failed"]),
        ("a usage error", ["--convert", "--target", out], None, 2, lambda r: r.stdout == ""),
        ("the windows without a display", [good], None, 1,
         lambda r: r.stderr.count("\n") == 1 and "--convert" in r.stderr),
    ]:
        result = run(exe, args, input=stdin)
        check(result.returncode == code and holds(result),
              "%s: exit %d: %r %r" % (what, result.returncode, result.stdout, result.stderr))

    # Names that are not UTF-8 (Latin-1, Shift-JIS) in a folder and a target
    # that are not either: Word files named by the same bytes, text lines
    # that print those bytes, JSON with U+FFFD and the exact bytes.
    folder, target = (os.path.join(work, name).encode("latin-1") for name in ("caf\xe9", "out\xe9"))
    documents = copies(folder, samples, [b"caf\xe9.wpd", b"\x93\xfa\x96\x7b.wpd", b"sub/\xff.wpd"])
    word_files = [target + document[len(folder):-len(b".wpd")] + b".doc" for document in documents]
    text = run(exe.encode(), [b"--convert", b"-r", b"--target", target, folder], text=False)
    printed = sorted(line.split(b"\t")[0] for line in text.stdout.splitlines())
    check(text.returncode == 0 and printed == sorted(documents), "names: %r %r" % (text.stdout, text.stderr))
    check(files_under(target) == sorted(word_files), "names: Word files %r" % files_under(target))
    result = run(exe.encode(), [b"--convert", b"-r", b"--json", b"--target", target, folder], text=False)
    named = sorted((base64.b64decode(line["source_bytes"]), line["source"], base64.b64decode(line["target_bytes"]))
                   for line in lines(result.stdout))  # strict JSON
    check(result.returncode == 0 and named == sorted((d, d.decode("utf-8", "replace"), w)
                                                     for d, w in zip(documents, word_files)), "names: %r" % named)
    check(b"out\xef\xbf\xbd" not in os.listdir(work.encode()), "names: a stray folder")


def output(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=300).stdout


TREE = ["2019/a/letter.wpd", "2019/b/letter.wpd", "2020/letter.wpd", "top.wpd", "2020/tab\there\nnewline.wpd"]


@test("cli-archive")
def cli_archive(exe, samples, work):
    # A tree mirrored into the target: repeated names, a file left out by its
    # extension, a link to a folder not followed, a name with a tab and a newline.
    archive, out = os.path.join(work, "archive"), os.path.join(work, "out")
    documents = copies(archive, samples, TREE)
    with open(os.path.join(archive, "2020", "notes.txt"), "w") as notes:
        notes.write("left out")
    os.symlink("../2019", os.path.join(archive, "2020", "link"))
    result = run(exe, ["--convert", "-r", "--json", "--target", out, archive])
    check(result.returncode == 0 and result.stderr.endswith(
        "5 converted, 0 failed, 0 skipped, 1 left out by their extension\n"), "tree: %s" % result.stderr)
    check_lines(lines(result.stdout), {d: ("Converted", placed(d, archive, out)) for d in documents}, "tree",
                under=out)
    # Text lines: one per document, three fields each, whatever the names.
    rows = run(exe, ["--convert", "-r", "-q", "--target", out, archive], text=False).stdout.split(b"\n")[:-1]
    check(len(rows) == 5 and all(row.count(b"\t") == 2 for row in rows) and any(
        row.startswith(archive.encode() + b"/2020/tab\\there\\nnewline.wpd\t") for row in rows), "text: %r" % rows)

    # Two processes, one name: one converts, the other is told, nothing is lost.
    a, b = copies(work, samples, ["two/a/x.wpd", "two/b/x.wpd"])
    out = os.path.join(work, "two", "out")
    procs = [popen(exe, ["--convert", "--json", "--target", out, path]) for path in (a, b)]
    results = [lines(p.communicate(timeout=600)[0])[0] for p in procs]
    check(sorted(p.returncode for p in procs) == [0, 1], "two: exit %r" % [p.returncode for p in procs])
    failed, converted = sorted(results, key=lambda r: r["status"] != "Failed")
    check(failed["reason"] == "The target %s/x.doc was written by another run meanwhile; nothing was written" % out,
          "two: %r" % failed)
    want = "AND FURTHER" if converted["source"] == a else "Surrounded by her family"
    check(want in output("catdoc", converted["target"]) and os.listdir(out) == ["x.doc"],
          "two: the Word file is not the converted one's")

    # A run killed after 20 documents, resumed with --skip-existing: nothing converted twice.
    archive, out = os.path.join(work, "resume"), os.path.join(work, "resume-out")
    documents = copies(archive, samples, ["d%03d.wpd" % i for i in range(120)])
    first = popen(exe, ["--convert", "--json", "--target", out, archive], stderr=subprocess.DEVNULL)
    done = [json.loads(first.stdout.readline()) for _ in range(20)]
    first.send_signal(signal.SIGKILL)
    done += [json.loads(line) for line in first.stdout.read().splitlines() if line.endswith("}")]
    first.wait()
    second = run(exe, ["--convert", "--json", "--skip-existing", "--target", out, archive])
    again = {line["source"]: line["status"] for line in lines(second.stdout)}
    check(second.returncode == 0 and sorted(again) == documents and len(done) < len(documents),
          "resume: %d lines, %d before: %s" % (len(again), len(done), second.stderr))
    check(all(again[line["source"]] == "Skipped" for line in done), "resume: converted twice")
    check(files_under(out) == [placed(d, archive, out) for d in documents], "resume: %r" % files_under(out))
    print("cli-archive: a killed run resumed, %d converted before, none twice" % len(done))

    # Every format, read back with the source's text and its two pictures.
    source = copies(work, samples, ["pictures.wpd"], "pictures-wp6.wpd")[0]
    words = "Ruimtelijke interpolatie"
    for to in ["doc", "docx", "odt", "pdf"]:
        result = run(exe, ["--convert", "-q", "--to", to, "--target", os.path.join(work, to), source])
        check(result.returncode == 0, "--to %s: %s %s" % (to, result.stdout, result.stderr))
    doc = os.path.join(work, "doc", "pictures.doc")
    check(words in output("catdoc", doc), "--to doc: text")
    # The office reads the Word 97 file back for its pictures.
    reread = os.path.join(work, "reread")
    output("soffice", "-env:UserInstallation=file://" + reread + "/profile", "--headless", "--convert-to", "odt",
           "--outdir", reread, doc)
    for path in [os.path.join(reread, "pictures.odt"), os.path.join(work, "docx", "pictures.docx"),
                 os.path.join(work, "odt", "pictures.odt")]:
        with zipfile.ZipFile(path) as z:
            content = z.read("word/document.xml" if path.endswith(".docx") else "content.xml").decode()
        pictures = len(re.findall(r"<draw:frame|<wp:inline|<wp:anchor", content))
        check(pictures == 2 and words in content, "%s: %d pictures" % (path, pictures))
    pdf = os.path.join(work, "pdf", "pictures.pdf")
    meta = output("pdfinfo", "-meta", pdf)
    check("<pdfaid:part>2</pdfaid:part>" in meta and "<pdfaid:conformance>B" in meta, "--to pdf: not PDF/A-2b")
    check(words in output("pdftotext", pdf, "-"), "--to pdf: text")
    drawn = len(re.findall("<path", re.sub(r"<symbol.*?</symbol>", "", output("pdftocairo", "-svg", pdf, "-"),
                                           flags=re.S)))
    check(drawn > 1000, "--to pdf: the pictures' %d paths" % drawn)


@test("cli-parallel")
def cli_parallel(exe, samples, work):
    """The README's way of spreading an archive over processes, for real:
    GNU parallel hands the paths `find` lists to four processes at once,
    into one target, over 400 documents whose names repeat from folder to
    folder; each is converted once, at its mirrored place."""
    archive, out = os.path.join(work, "archive"), os.path.join(work, "converted")
    paths = ["%d/%d/letter%d.wpd" % (f // 10, f, n) for f in range(40) for n in range(10)]
    documents = copies(archive, samples, paths)
    command = ("find archive -name '*.wpd' | parallel -j 4 --pipe -N 100 "
               "\"$TALLOWIN\" --convert --json --base archive --target converted - > results.jsonl")
    # One office each: four processes on a small machine.
    result = subprocess.run(["bash", "-c", command], cwd=work, capture_output=True, text=True, timeout=900,
                            env=environment(TALLOWIN=exe, TALLOWIN_OFFICES="1"))
    check(result.returncode == 0, "exit %d: %s" % (result.returncode, result.stderr))
    with open(os.path.join(work, "results.jsonl")) as results:
        check_lines(lines(results.read()), {d: ("Converted", placed(d, archive, out)) for d in documents},
                    "parallel", under=out)
