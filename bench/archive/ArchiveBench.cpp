// SPDX-License-Identifier: MPL-2.0
// `tallowin --convert` on archives, as a script runs it (the whole process,
// its offices' start included), timed from outside, with the CPU time of the
// program and its offices (read from /proc every 50 ms) and the peak resident
// memory of the program's own process (its offices not counted). Ratios are
// given of the medians, of the best runs and of the CPU times: on a machine
// shared with other work the wall-clock times vary by half.
//
//   1. a tree of 2,000 documents in 200 folders (copies of the three
//      samples, names repeating from folder to folder) converted with -r,
//      against the same documents given as a flat list on standard input
//      (with --base, so that both mirror the tree), runs alternating;
//   2. the listing of a tree of 100,000 files in 1,000 folders whose Word
//      files are all there and newer (--skip-existing: nothing converted);
//   3. 201 copies of the samples in one folder with --to doc, docx, odt and
//      pdf, runs alternating.
//
//   bench_archive [--runs N] [--skip-tree] [--skip-listing] [--skip-formats]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <utime.h>

namespace {

const char* const kSamples[] = {"sample-wp6.wpd", "sample-wp50.wpd", "sample-wp51.wpd"};

struct Run {
    double seconds = 0;
    double cpuSeconds = 0; // the program's and its offices', user and system
    qint64 peakKiB = 0;    // the program's own VmHWM
    int exitCode = -1;
    int written = 0;
};

// The CPU time each process below `root` (and `root` itself) has used so
// far, in clock ticks, added into `used` (per process, the latest reading).
void sampleCpu(qint64 root, QHash<qint64, qint64>& used)
{
    QHash<qint64, qint64> parent;
    QHash<qint64, qint64> ticks;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // After the command's closing parenthesis: state, ppid, ... utime
        // (14th field) and stime (15th).
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        parent.insert(pid, fields.value(1).toLongLong());
        ticks.insert(pid, fields.value(11).toLongLong() + fields.value(12).toLongLong());
    }
    for (auto it = ticks.constBegin(); it != ticks.constEnd(); ++it) {
        for (qint64 pid = it.key(); pid > 1; pid = parent.value(pid)) {
            if (pid == root) {
                used.insert(it.key(), it.value());
                break;
            }
        }
    }
}

void copySample(int i, const QString& path)
{
    QFile::copy(QStringLiteral(TALLOWIN_SAMPLE_DIR "/") + QLatin1String(kSamples[i % 3]), path);
}

// The tree of `folders` folders (ten to a parent) of `perFolder` documents
// each; returns the documents' paths.
QStringList makeTree(const QString& root, int folders, int perFolder)
{
    QStringList documents;
    for (int f = 0; f < folders; ++f) {
        const QString folder = QStringLiteral("%1/%2/%3").arg(root).arg(f / 10).arg(f);
        QDir().mkpath(folder);
        for (int n = 0; n < perFolder; ++n) {
            documents << QStringLiteral("%1/letter%2.wpd").arg(folder).arg(n);
            copySample(f * perFolder + n, documents.last());
        }
    }
    return documents;
}

qint64 peakOf(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).simplified().split(' ').value(0).toLongLong();
    return 0;
}

int countFiles(const QString& root, const QString& pattern)
{
    int count = 0;
    QStringList pending{root};
    while (!pending.isEmpty()) {
        const QDir dir(pending.takeLast());
        count += static_cast<int>(dir.entryList({pattern}, QDir::Files).size());
        for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            pending << dir.filePath(sub);
    }
    return count;
}

Run runProgram(const QStringList& arguments, const QByteArray& input, const QString& out, const QString& pattern)
{
    QProcess program;
    program.setStandardOutputFile(QProcess::nullDevice());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(TALLOWIN_PROGRAM), arguments);
    program.waitForStarted();
    program.write(input);
    program.closeWriteChannel();
    Run run;
    // The high-water mark only grows: the last reading before the end is
    // the peak, but for the last few milliseconds. CPU times are read every
    // 50 ms, from the program and every process it started.
    QHash<qint64, qint64> cpu;
    QElapsedTimer sinceCpu;
    sinceCpu.start();
    while (!program.waitForFinished(5)) {
        run.peakKiB = std::max(run.peakKiB, peakOf(program.processId()));
        if (sinceCpu.elapsed() >= 50) {
            sampleCpu(program.processId(), cpu);
            sinceCpu.restart();
        }
    }
    run.seconds = timer.nsecsElapsed() / 1e9;
    for (const qint64 ticks : std::as_const(cpu))
        run.cpuSeconds += double(ticks) / ::sysconf(_SC_CLK_TCK);
    run.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    run.written = out.isEmpty() ? 0 : countFiles(out, pattern);
    return run;
}

// The times of one kind of run, and their median, best and CPU sum.
struct Times {
    QList<double> seconds;
    double cpuSeconds = 0;
    void add(const Run& run)
    {
        seconds.append(run.seconds);
        cpuSeconds += run.cpuSeconds;
    }
    double median() const
    {
        QList<double> sorted = seconds;
        std::sort(sorted.begin(), sorted.end());
        const qsizetype n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double best() const { return *std::min_element(seconds.begin(), seconds.end()); }
};

void printRatio(const char* what, const Times& a, const Times& b)
{
    std::printf("  ratio %s: median %.2f, best %.2f, CPU time %.2f\n", what, a.median() / b.median(),
                a.best() / b.best(), a.cpuSeconds / b.cpuSeconds);
}

void print(const char* what, const Run& run, int expected)
{
    std::printf("  %-44s %7.2f s  %6.1f docs/s  CPU %6.2f s  peak %5.1f MiB  exit %d  %d of %d written\n", what,
                run.seconds, expected / run.seconds, run.cpuSeconds, run.peakKiB / 1024.0, run.exitCode, run.written,
                expected);
    std::fflush(stdout);
}

void treeAgainstList(int runs)
{
    QTemporaryDir work;
    const QString tree = work.path() + QStringLiteral("/archive");
    const QStringList documents = makeTree(tree, 200, 10);
    const QByteArray list = documents.join(QLatin1Char('\n')).toUtf8() + '\n';
    std::printf("A tree of %lld documents in 200 folders:\n", static_cast<long long>(documents.size()));
    Times treeTimes, listTimes;
    for (int i = 0; i < runs; ++i) {
        for (const bool asTree : {true, false}) {
            const QString out = work.path() + QStringLiteral("/out");
            QDir(out).removeRecursively();
            const Run run =
                asTree ? runProgram({QStringLiteral("--convert"), QStringLiteral("-r"), QStringLiteral("-q"),
                                     QStringLiteral("--target"), out, tree},
                                    {}, out, QStringLiteral("*.doc"))
                       : runProgram({QStringLiteral("--convert"), QStringLiteral("-q"), QStringLiteral("--base"), tree,
                                     QStringLiteral("--target"), out, QStringLiteral("-")},
                                    list, out, QStringLiteral("*.doc"));
            print(asTree ? "--convert -r, the tree" : "--convert --base, the same as a flat list", run,
                  static_cast<int>(documents.size()));
            (asTree ? treeTimes : listTimes).add(run);
        }
    }
    printRatio("tree / flat list", treeTimes, listTimes);
}

void listing()
{
    QTemporaryDir work;
    const QString tree = work.path() + QStringLiteral("/archive"), out = work.path() + QStringLiteral("/out");
    // Tiny files: nothing is converted, all is listed and looked at.
    for (int f = 0; f < 1000; ++f) {
        const QString folder = QStringLiteral("/%1/%2").arg(f / 10).arg(f);
        QDir().mkpath(tree + folder);
        QDir().mkpath(out + folder);
        for (int n = 0; n < 100; ++n) {
            const QString name = folder + QStringLiteral("/letter%1").arg(n);
            QFile source(tree + name + QStringLiteral(".wpd"));
            source.open(QIODevice::WriteOnly);
            source.write("x");
            source.close();
            utimbuf old{1000000000, 1000000000};
            ::utime(QFile::encodeName(source.fileName()).constData(), &old);
            QFile target(out + name + QStringLiteral(".doc"));
            target.open(QIODevice::WriteOnly);
        }
    }
    std::printf("A tree of 100,000 files in 1,000 folders, every Word file there and newer:\n");
    for (int i = 0; i < 3; ++i) {
        const Run run = runProgram({QStringLiteral("--convert"), QStringLiteral("-r"), QStringLiteral("-q"),
                                    QStringLiteral("--skip-existing"), QStringLiteral("--target"), out, tree},
                                   {}, QString(), QString());
        print("--convert -r --skip-existing (all skipped)", run, 100000);
    }
}

void formats(int runs)
{
    QTemporaryDir work;
    const QString folder = work.path() + QStringLiteral("/source");
    QDir().mkpath(folder);
    for (int i = 0; i < 201; ++i)
        copySample(i, folder + QStringLiteral("/doc%1.wpd").arg(i, 4, 10, QLatin1Char('0')));
    std::printf("201 copies of the samples in each format:\n");
    const QStringList formats{QStringLiteral("doc"), QStringLiteral("docx"), QStringLiteral("odt"),
                              QStringLiteral("pdf")};
    QList<Times> times(formats.size());
    for (int i = 0; i < runs; ++i) {
        for (qsizetype f = 0; f < formats.size(); ++f) {
            const QString out = work.path() + QStringLiteral("/out-") + formats[f];
            QDir(out).removeRecursively();
            const Run run = runProgram({QStringLiteral("--convert"), QStringLiteral("-q"), QStringLiteral("--to"),
                                        formats[f], QStringLiteral("--target"), out, folder},
                                       {}, out, QStringLiteral("*.") + formats[f]);
            print(qPrintable(QStringLiteral("--to %1").arg(formats[f])), run, 201);
            times[f].add(run);
        }
    }
    for (qsizetype f = 1; f < formats.size(); ++f)
        printRatio(qPrintable(QStringLiteral("--to %1 / --to doc").arg(formats[f])), times[f], times[0]);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--runs"));
    const int runs = at > 0 ? args.value(at + 1).toInt() : 2;
    if (!args.contains(QStringLiteral("--skip-tree")))
        treeAgainstList(runs);
    if (!args.contains(QStringLiteral("--skip-listing")))
        listing();
    if (!args.contains(QStringLiteral("--skip-formats")))
        formats(runs);
    return 0;
}
