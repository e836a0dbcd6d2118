// SPDX-License-Identifier: MPL-2.0
// A batch of real WordPerfect documents (the three samples copied round-robin
// to 201 files), timed as the user sees it: from pressing "Start" to the last
// status, with the pool of offices started behind the windows while the user
// chose the folders. Beside it, in the same run, the same files converted by
// LibreOffice's own command line from cold (one call for all files), and by
// a plain UNO client of one and of two warm offices side by side (each
// document loaded hidden, stored as Word 97, closed: what batch users run
// with a persistent office); for information, the program with the pool
// started cold at "Start", the peak resident memory of all offices, and the
// program's own command line (`tallowin --convert`) on the same files.
//
//   bench_office [--docs N]
#include "app/StartUp.h"
#include "core/DocumentList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "engine/server/EngineRegistration.h"
#include "engine/server/ServerDiagnostics.h"
#include "engine/server/WordPerfectServer.h"
#include "pipeline/cmd1.h"
#include "ui/Form2.h"
#include "ui/Forms.h"
#include "ui/frmExtension.h"

#include "PlainOfficeClient.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

namespace {

const char* const kSamples[] = {"sample-wp6.wpd", "sample-wp50.wpd", "sample-wp51.wpd"};

void copySamples(const QString& folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        const QString sample = QStringLiteral(TALLOWIN_SAMPLE_DIR "/") + QLatin1String(kSamples[i % 3]);
        QFile::copy(sample, folder + QStringLiteral("/doc%1.wpd").arg(i, 4, 10, QLatin1Char('0')));
    }
}

int countFiles(const QString& folder, const QString& pattern)
{
    return static_cast<int>(QDir(folder).entryList({pattern}, QDir::Files).size());
}

// Runs the program's batch; `warm` starts the office before "Start" and
// waits for it, as it would while the user chose the folders.
int runProgram(int count, bool warm)
{
    QTemporaryDir work;
    const QString src = work.path() + QStringLiteral("/source"), tgt = work.path() + QStringLiteral("/target");
    copySamples(src, count);
    QDir().mkpath(tgt);

    engine::RegisterEngine();
    QElapsedTimer timer;
    QElapsedTimer starting; // the offices' start, behind the windows
    starting.start();
    if (!warm)
        timer.start();
    gMediator = std::make_shared<Mediator>();
    gMediator->SetUserInterface(&General::Windows());
    Forms::Get<frmExtension>();
    gMediator->init();
    Forms::Get<Form2>().Show();
    auto* found = dynamic_cast<engine::WordPerfectServer*>(gAutomation.get());
    if (!found) {
        std::fprintf(stderr, "the office engine is not available\n");
        return 2;
    }
    engine::ServerDiagnostics diagnostics(*found);
    engine::ServerDiagnostics* server = &diagnostics;
    double startSeconds = 0;
    if (warm) {
        // As the batch dialog does when the user chooses the source folder:
        // the offices the batch needs start while the user chooses the target.
        gMediator->ChooseSourceFolder(src);
        gMediator->SetTgtFolder(tgt);
        server->waitForOffice();
        startSeconds = starting.nsecsElapsed() / 1e9;
        QCoreApplication::processEvents();
        timer.start();
    } else {
        gMediator->SetSourceFolder(src);
        gMediator->SetTgtFolder(tgt);
    }
    gMediator->StartStateTwo();
    auto start = std::make_shared<cmd1>();
    start->init(gMediator.get());
    static_cast<Command&>(*start).Execute();
    const double seconds = timer.nsecsElapsed() / 1e9;

    const int converted = gMediator->Documents().ConvertedCount();
    std::printf("%.3f %d %d %lld %d %d %.3f\n", seconds, converted, countFiles(tgt, QStringLiteral("*.doc")),
                static_cast<long long>(server->officesPeakResidentBytes()), server->documentsServedAhead(),
                server->officeCount(), startSeconds);
    std::fflush(stdout);
    Forms::UnloadAll();
    gAutomation.reset();
    gMediator.reset();
    return 0;
}

// The plain client of `offices` warm offices.
int runPlainClient(int count, int offices)
{
    QTemporaryDir work;
    const QString src = work.path() + QStringLiteral("/source");
    copySamples(src, count);
    QStringList files;
    for (const QString& f : QDir(src).entryList({QStringLiteral("*.wpd")}, QDir::Files, QDir::Name))
        files << src + QLatin1Char('/') + f;
    PlainOfficeClient client(offices, work.path(), files.first());
    int written = 0;
    const double seconds = client.convert(files, work.path() + QStringLiteral("/out"), written);
    std::printf("%.3f %d %d 0 0 %d 0\n", seconds, written, written, offices);
    std::fflush(stdout);
    return 0;
}

struct Result {
    double seconds = 0;
    int converted = 0;
    int written = 0;
    qint64 officePeak = 0;
    int servedAhead = 0;
    int offices = 0;
    double startSeconds = 0; // of the offices, before "Start"
};

Result runChild(int count, const char* mode)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--run"), QLatin1String(mode), QStringLiteral("--docs"), QString::number(count)});
    child.waitForFinished(-1);
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    Result r;
    if (fields.size() == 7) {
        r.seconds = fields[0].toDouble();
        r.converted = fields[1].toInt();
        r.written = fields[2].toInt();
        r.officePeak = fields[3].toLongLong();
        r.servedAhead = fields[4].toInt();
        r.offices = fields[5].toInt();
        r.startSeconds = fields[6].toDouble();
    }
    return r;
}

// LibreOffice's own batch conversion, from cold, with a fresh profile (as
// the program's private office has).
Result runCommandLine(int count)
{
    QTemporaryDir work;
    const QString src = work.path() + QStringLiteral("/source"), out = work.path() + QStringLiteral("/out");
    copySamples(src, count);
    QDir().mkpath(out);
    QStringList args{QStringLiteral("-env:UserInstallation=file://") + work.path() + QStringLiteral("/profile"),
                     QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                     QStringLiteral("doc"), QStringLiteral("--outdir"), out};
    for (const QString& f : QDir(src).entryList({QStringLiteral("*.wpd")}, QDir::Files, QDir::Name))
        args << src + QLatin1Char('/') + f;
    QElapsedTimer timer;
    timer.start();
    QProcess office;
    office.setProcessChannelMode(QProcess::MergedChannels);
    // The office's own temporary files stay in the benchmark's folder.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), work.path());
    office.setProcessEnvironment(environment);
    office.start(QStringLiteral("soffice"), args);
    office.waitForFinished(-1);
    Result r;
    r.seconds = timer.nsecsElapsed() / 1e9;
    r.written = countFiles(out, QStringLiteral("*.doc"));
    r.converted = r.written;
    return r;
}

// The program's own command line (`tallowin --convert`), as a script runs
// it: the whole process, with its office's start.
Result runProgramCommandLine(int count)
{
    QTemporaryDir work;
    const QString src = work.path() + QStringLiteral("/source"), out = work.path() + QStringLiteral("/out");
    copySamples(src, count);
    QElapsedTimer timer;
    timer.start();
    QProcess program;
    program.setStandardOutputFile(QProcess::nullDevice());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TALLOWIN_PROGRAM),
                  {QStringLiteral("--convert"), QStringLiteral("--target"), out, src});
    program.waitForFinished(-1);
    Result r;
    r.seconds = timer.nsecsElapsed() / 1e9;
    r.written = countFiles(out, QStringLiteral("*.doc"));
    r.converted = program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0 ? r.written : 0;
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    int count = 201;
    if (const int at = static_cast<int>(args.indexOf(QStringLiteral("--docs"))); at >= 0 && at + 1 < args.size())
        count = args.at(at + 1).toInt();
    if (const int at = static_cast<int>(args.indexOf(QStringLiteral("--run"))); at >= 0 && at + 1 < args.size()) {
        const QString mode = args.at(at + 1);
        if (mode.startsWith(QLatin1String("plain")))
            return runPlainClient(count, mode.mid(5).toInt());
        return runProgram(count, mode == QLatin1String("warm"));
    }

    std::printf("%d real WordPerfect documents (the samples, copied)\n", count);
    std::fflush(stdout);
    const Result cli = runCommandLine(count);
    const Result warm = runChild(count, "warm");
    const Result cold = runChild(count, "cold");
    const Result plain1 = runChild(count, "plain1");
    const Result plain2 = runChild(count, "plain2");
    const Result command = runProgramCommandLine(count);
    std::printf("  soffice --convert-to doc, cold          %7.2f s  %6.1f docs/s  (%d written)\n", cli.seconds,
                count / cli.seconds, cli.written);
    std::printf("  plain client, 1 warm office             %7.2f s  %6.1f docs/s  (%d written)\n", plain1.seconds,
                count / plain1.seconds, plain1.written);
    std::printf("  plain client, 2 warm offices            %7.2f s  %6.1f docs/s  (%d written)\n", plain2.seconds,
                count / plain2.seconds, plain2.written);
    std::printf("  Tallowin, %d offices started behind      %7.2f s  %6.1f docs/s  (%d converted, %d written, %d "
                "served ahead)\n",
                warm.offices, warm.seconds, count / warm.seconds, warm.converted, warm.written, warm.servedAhead);
    std::printf("  Tallowin, offices started cold at Start  %7.2f s  %6.1f docs/s  (%d converted)\n", cold.seconds,
                count / cold.seconds, cold.converted);
    std::printf("  ratio Tallowin / command line:          %.2f (cold at Start: %.2f)\n", warm.seconds / cli.seconds,
                cold.seconds / cli.seconds);
    std::printf("  ratio Tallowin / plain client, 2 offices: %.2f\n", warm.seconds / plain2.seconds);
    std::printf("  ratio Tallowin / plain client, 1 office:  %.2f\n", warm.seconds / plain1.seconds);
    std::printf("  tallowin --convert (with its office's start) %7.2f s  %6.1f docs/s  (%d converted)\n",
                command.seconds, count / command.seconds, command.converted);
    std::printf("  ratio tallowin --convert / (Tallowin through the windows + the offices' start %.2f s): %.2f\n",
                warm.startSeconds, command.seconds / (warm.seconds + warm.startSeconds));
    std::printf("  peak resident memory of all offices: %.1f MiB (warm run), %.1f MiB (cold run)\n",
                warm.officePeak / 1048576.0, cold.officePeak / 1048576.0);
    return warm.converted == count && warm.written == count && command.converted == count ? 0 : 1;
}
