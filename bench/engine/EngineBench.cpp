// SPDX-License-Identifier: MPL-2.0
// Times the office engine alone on a batch of real documents: the eight
// automation calls per document that a conversion job makes, against
// LibreOffice's own command line (soffice --headless --convert-to doc, one
// call for all files) on the same files. Prints both times, their ratio,
// documents per second and the office's memory.
//
//   bench_engine [documents=200] [--memory-every N] [--no-command-line]
//                [--sample FILE]...
//
// --sample takes the batch's documents from the given files of the engine
// tests' data folder (in turn) instead of the three samples: for instance
// pictures12-wp6.wpd, a document with 12 embedded pictures.
#include "engine/office/OfficeInstallation.h"
#include "engine/server/EngineRegistration.h"
#include "engine/server/ServerDiagnostics.h"
#include "engine/server/WordPerfectServer.h"
#include "platform/automation/LateBinding.h"
#include "platform/automation/ProgIdRegistry.h"
#include "platform/automation/RuntimeError.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using platform::CallByName;
using platform::Value;

namespace {

const QStringList kSamples{QStringLiteral("sample-wp6.wpd"), QStringLiteral("sample-wp50.wpd"),
                           QStringLiteral("sample-wp51.wpd")};

QStringList makeBatch(const QString& folder, int count, const QStringList& samples)
{
    QDir().mkpath(folder);
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString file = folder + QStringLiteral("/doc-%1.wpd").arg(i, 5, 10, QLatin1Char('0'));
        QFile::copy(QStringLiteral(TALLOWIN_SAMPLE_DIR "/") + samples[i % samples.size()], file);
        files << file;
    }
    return files;
}

double mib(qint64 bytes)
{
    return bytes / (1024.0 * 1024.0);
}

// CPU time (user and system) used so far by this process, and by the
// office process `pid`, in milliseconds. On a machine shared with other
// work the wall time of a batch varies with the others' load; the CPU time
// the conversion itself takes hardly does.
double ownCpuMs()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double processCpuMs(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields 14 and 15 (utime, stime, in clock ticks) follow the command
    // name in parentheses.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields[11].toDouble() + fields[12].toDouble()) * 1e3 / double(::sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int count = 200;
    int memoryEvery = 0;
    bool commandLine = true;
    QStringList samples;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--memory-every") && i + 1 < args.size())
            memoryEvery = args[++i].toInt();
        else if (args[i] == QStringLiteral("--sample") && i + 1 < args.size())
            samples << args[++i];
        else if (args[i] == QStringLiteral("--no-command-line"))
            commandLine = false;
        else
            count = args[i].toInt();
    }
    if (count <= 0) {
        std::fprintf(stderr,
                     "usage: bench_engine [documents] [--memory-every N] [--no-command-line] [--sample FILE]...\n");
        return 2;
    }
    QTemporaryDir work;
    const QStringList sources =
        makeBatch(work.filePath(QStringLiteral("in")), count, samples.isEmpty() ? kSamples : samples);
    const QString engineOut = work.filePath(QStringLiteral("engine"));
    const QString cliOut = work.filePath(QStringLiteral("cli"));
    QDir().mkpath(engineOut);
    const QString macro = QStringLiteral(TALLOWIN_MACRO_SOURCE);

    // The engine, cold: creation to the office ready, then the batch.
    // The calls of one document after the other, as the program makes them
    // without announcing a batch: one office serves them all.
    if (!qEnvironmentVariableIsSet("TALLOWIN_OFFICES"))
        qputenv("TALLOWIN_OFFICES", "1");
    engine::RegisterEngine();
    QElapsedTimer clock;
    clock.start();
    const auto server = platform::ProgIdRegistry::CreateObject(QStringLiteral("WordPerfect.PerfectScript"));
    engine::ServerDiagnostics engine(dynamic_cast<engine::WordPerfectServer&>(*server));
    engine.setMemoryLimit(0); // measure the office as it grows
    engine.waitForOffice();
    const qint64 startMs = clock.elapsed();
    const pid_t officePid = engine.officePid();
    const double ownCpuBefore = ownCpuMs();
    const double officeCpuBefore = processCpuMs(officePid);
    clock.restart();
    int failures = 0;
    // Time spent in each operation, to see where a document's time goes.
    QMap<QString, qint64> spent;
    QElapsedTimer callClock;
    const auto call = [&](const QString& member, const QList<Value>& callArgs = {}) {
        callClock.start();
        const Value result = CallByName(server, member, callArgs);
        spent[member + (callArgs.size() == 2 ? QStringLiteral("(doc)") : QString())] += callClock.nsecsElapsed();
        return result;
    };
    for (int i = 0; i < sources.size(); ++i) {
        const QString& source = sources[i];
        const QString base = QFileInfo(source).completeBaseName();
        const QString copy = engineOut + QLatin1Char('/') + base + QStringLiteral(".TMP");
        try {
            call(QStringLiteral("FileOpen"), {source});
            if (call(QStringLiteral("envDocBlank")).toInteger() == 0) {
                call(QStringLiteral("PosDocVeryTop"));
                call(QStringLiteral("MacroFilePlay"), {macro});
                while (call(QStringLiteral("envMacroPlaying")).toInteger() == -1) {
                }
            }
            call(QStringLiteral("FileSave"), {copy});
            call(QStringLiteral("FileSave"), {engineOut + QLatin1Char('/') + base + QStringLiteral(".doc"), Value(69)});
            call(QStringLiteral("CloseNoSave"));
        } catch (const platform::RuntimeError& e) {
            ++failures;
            std::fprintf(stderr, "failed: %s\n", qPrintable(e.description()));
        }
        QFile::remove(copy);
        if (memoryEvery > 0 && (i + 1) % memoryEvery == 0) {
            rusage usage {};
            ::getrusage(RUSAGE_SELF, &usage);
            std::printf("  after %6d documents: office resident %.1f MiB, this program's peak %.1f MiB\n", i + 1,
                        mib(engine.officeResidentBytes()), usage.ru_maxrss / 1024.0);
            std::fflush(stdout);
        }
    }
    const qint64 batchMs = clock.elapsed();
    const double ownCpu = ownCpuMs() - ownCpuBefore;
    // An office that was replaced during the batch makes this figure wrong.
    const double officeCpu = engine.officePid() == officePid ? processCpuMs(officePid) - officeCpuBefore : -1;
    const qint64 peak = engine.officePeakResidentBytes();
    const qint64 resident = engine.officeResidentBytes();

    // LibreOffice's own command line, from cold, on the same files, with a
    // profile of its own that already exists (as a user's would).
    const QString profile = QStringLiteral("-env:UserInstallation=file://") + work.filePath(QStringLiteral("cli-profile"));
    const QString soffice = engine::OfficeInstallation::ProgramFolder() + QStringLiteral("/soffice");
    // Its temporary files go into the benchmark's folder, which goes at the end.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QDir().mkpath(work.filePath(QStringLiteral("cli-tmp")));
    environment.insert(QStringLiteral("TMPDIR"), work.filePath(QStringLiteral("cli-tmp")));
    QProcess warmUp;
    warmUp.setProcessEnvironment(environment);
    if (commandLine)
        warmUp.start(soffice, {profile, QStringLiteral("--headless"), QStringLiteral("--terminate_after_init")});
    warmUp.waitForFinished(120000);
    QStringList cliArgs{profile, QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("doc"),
                        QStringLiteral("--outdir"), cliOut};
    cliArgs << sources;
    QProcess cli;
    cli.setProcessEnvironment(environment);
    cli.setStandardOutputFile(QProcess::nullDevice());
    clock.restart();
    if (commandLine) {
        cli.start(soffice, cliArgs);
        cli.waitForFinished(-1);
    }
    const qint64 cliMs = clock.elapsed();
    const int cliDone = QDir(cliOut).entryList({QStringLiteral("*.doc")}, QDir::Files).size();
    const int engineDone = QDir(engineOut).entryList({QStringLiteral("*.doc")}, QDir::Files).size();

    std::printf("documents:                          %d (engine converted %d, failed %d; command line converted %d)\n",
                count, engineDone, failures, cliDone);
    std::printf("engine office start (cold):         %lld ms\n", static_cast<long long>(startMs));
    std::printf("engine batch (office running):      %lld ms = %.1f ms per document, %.1f documents/s\n",
                static_cast<long long>(batchMs), double(batchMs) / count, count * 1000.0 / qMax<qint64>(1, batchMs));
    if (commandLine) {
        std::printf("soffice --convert-to (from cold):   %lld ms = %.1f ms per document\n",
                    static_cast<long long>(cliMs), double(cliMs) / count);
        std::printf("ratio engine / command line:        %.2f (office started behind the windows)\n",
                    double(batchMs) / qMax<qint64>(1, cliMs));
        std::printf("ratio engine / command line:        %.2f (office started cold, for information)\n",
                    double(batchMs + startMs) / qMax<qint64>(1, cliMs));
    }
    std::printf("CPU per document:                   %.1f ms this program, %.1f ms the office, %.1f ms in all\n",
                ownCpu / count, officeCpu / count, (ownCpu + officeCpu) / count);
    std::printf("engine time per document by call:  ");
    for (auto it = spent.constBegin(); it != spent.constEnd(); ++it)
        std::printf("%s %.2f ms  ", qPrintable(it.key()), it.value() / 1e6 / count);
    std::printf("\n");
    std::printf("office memory:                      peak %.1f MiB, now %.1f MiB\n", mib(peak), mib(resident));
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("this program's peak memory:         %.1f MiB\n", usage.ru_maxrss / 1024.0);
    return failures == 0 && engineDone == count ? 0 : 1;
}
