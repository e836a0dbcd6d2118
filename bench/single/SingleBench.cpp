// SPDX-License-Identifier: MPL-2.0
// One document, as a user with one document waits for it (a double-click,
// "Open With", a script per file), timed from outside as whole processes:
//
//   - `tallowin --convert one.wpd` against the office's own command line,
//     `soffice --headless --convert-to doc one.wpd`, with a profile it has
//     used before; the two commands run in turn, pair by pair (the order
//     alternating), on a 2 KB sample;
//   - the first run after installation: the same, with an empty cache, so
//     that the run prepares the office profile it keeps;
//   - the start of the windows: from the start of the process to the start
//     chooser "Quick Start" on screen (the program's own start-up, in a child
//     process of this benchmark).
//
// Wall time, CPU time of the whole process tree, and the peak resident
// memory of its largest process. This process reaps every descendant
// (PR_SET_CHILD_SUBREAPER), so an office that outlived its program would be
// counted too.
//
//   bench_single [--pairs N] [--program PATH]
#include "app/StartUp.h"
#include "engine/server/EngineRegistration.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Program.h"
#include "platform/gui/QtDialogProvider.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

qint64 nowNs()
{
    timespec t {};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;
    double peakMiB = 0;
    int exitCode = -1;
};

// Runs `argv` with `environment` (NAME=value entries added to ours, NAME=
// removes), output discarded, until it and every descendant have ended.
Run runProcess(const QStringList& argv, const QStringList& environment)
{
    std::vector<QByteArray> args, envs;
    for (const QString& a : argv)
        args.push_back(QFile::encodeName(a));
    for (const QString& e : environment)
        envs.push_back(e.toLocal8Bit());
    const qint64 start = nowNs();
    const pid_t child = ::fork();
    if (child == 0) {
        for (const QByteArray& e : envs) {
            const int eq = e.indexOf('=');
            if (eq + 1 == e.size())
                ::unsetenv(e.left(eq).constData());
            else
                ::setenv(e.left(eq).constData(), e.constData() + eq + 1, 1);
        }
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        std::vector<char*> raw;
        for (QByteArray& a : args)
            raw.push_back(a.data());
        raw.push_back(nullptr);
        ::execvp(raw[0], raw.data());
        ::_exit(127);
    }
    Run run;
    for (;;) {
        int status = 0;
        rusage usage {};
        const pid_t done = ::wait4(-1, &status, 0, &usage);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            break; // no descendant left
        }
        if (done == child) {
            run.seconds = (nowNs() - start) / 1e9;
            run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        run.cpuSeconds += usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                          usage.ru_stime.tv_usec / 1e6;
        run.peakMiB = std::max(run.peakMiB, usage.ru_maxrss / 1024.0);
    }
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Series {
    std::vector<Run> runs;
    double medianOf(double Run::*field) const
    {
        std::vector<double> values;
        for (const Run& r : runs)
            values.push_back(r.*field);
        return median(values);
    }
    bool allSucceeded() const
    {
        return std::all_of(runs.begin(), runs.end(), [](const Run& r) { return r.exitCode == 0; });
    }
};

class Bench {
public:
    Bench(QString program, const QString& folder) : mProgram(std::move(program)), mFolder(folder)
    {
        QDir().mkpath(mFolder + QStringLiteral("/out"));
        mDocument = mFolder + QStringLiteral("/one.wpd");
        QFile::copy(QStringLiteral(TALLOWIN_SAMPLE), mDocument);
    }

    Run office()
    {
        return runProcess({QStringLiteral("soffice"),
                           QStringLiteral("-env:UserInstallation=file://") + mFolder + QStringLiteral("/profile"),
                           QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("doc"),
                           QStringLiteral("--outdir"), mFolder + QStringLiteral("/out"), mDocument},
                          {QStringLiteral("TMPDIR=") + mFolder});
    }

    // The program with the cache folder `cache` (where it keeps the office
    // profile).
    Run program(const QString& cache)
    {
        return runProcess({mProgram, QStringLiteral("--convert"), QStringLiteral("--target"),
                           mFolder + QStringLiteral("/out"), mDocument},
                          {QStringLiteral("XDG_CACHE_HOME=") + cache, QStringLiteral("DISPLAY="),
                           QStringLiteral("QT_QPA_PLATFORM=")});
    }

    // The start of the windows to the start chooser, in a child process.
    Run windows(const QString& self)
    {
        const QString shown = mFolder + QStringLiteral("/shown");
        QFile::remove(shown);
        Run run = runProcess({self, QStringLiteral("--windows"), QString::number(nowNs()), shown},
                             {QStringLiteral("XDG_CACHE_HOME=") + mFolder + QStringLiteral("/cache"),
                              QStringLiteral("QT_QPA_PLATFORM=offscreen")});
        QFile file(shown);
        run.seconds = file.open(QIODevice::ReadOnly) ? file.readAll().toDouble() : 0;
        return run;
    }

    QString folder() const { return mFolder; }

private:
    QString mProgram;
    QString mFolder;
    QString mDocument;
};

void print(const char* what, const Series& series)
{
    std::printf("  %-46s", what);
    for (const Run& r : series.runs)
        std::printf(" %6.3f", r.seconds);
    std::printf("   median %.3f s, CPU %.3f s, largest process %.0f MiB%s\n", series.medianOf(&Run::seconds),
                series.medianOf(&Run::cpuSeconds), series.medianOf(&Run::peakMiB),
                series.allSucceeded() ? "" : "  (some runs FAILED)");
}

// The child of windows(): the program's start-up as `tallowin` runs it,
// until the start chooser is shown; writes the seconds since `startNs`.
int showWindows(int argc, char** argv, qint64 startNs, const QString& shown)
{
    QGuiApplication::setDesktopFileName(QStringLiteral(TALLOWIN_APP_ID));
    QApplication app(argc, argv);
    platform::QtDialogProvider dialogs;
    platform::SetDialogProvider(&dialogs);
    engine::RegisterEngine();
    struct Watch final : QObject {
        qint64 start;
        QString file;
        bool eventFilter(QObject* object, QEvent* event) override
        {
            auto* widget = qobject_cast<QWidget*>(object);
            if (event->type() == QEvent::Show && widget && widget->isWindow() &&
                widget->windowTitle() == QStringLiteral("Quick Start")) {
                const double seconds = (nowNs() - start) / 1e9;
                QFile out(file);
                if (out.open(QIODevice::WriteOnly))
                    out.write(QByteArray::number(seconds, 'f', 4));
                out.close();
                platform::EndProgram(0);
            }
            return false;
        }
    } watch;
    watch.start = startNs;
    watch.file = shown;
    app.installEventFilter(&watch);
    General::Main();
    return 1; // the chooser was never shown
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--windows")
        return showWindows(argc, argv, QByteArray(argv[2]).toLongLong(), QString::fromLocal8Bit(argv[3]));

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int pairs = 5;
    QString program = QStringLiteral(TALLOWIN_PROGRAM);
    if (const int at = static_cast<int>(args.indexOf(QStringLiteral("--pairs"))); at >= 0 && at + 1 < args.size())
        pairs = args.at(at + 1).toInt();
    if (const int at = static_cast<int>(args.indexOf(QStringLiteral("--program"))); at >= 0 && at + 1 < args.size())
        program = args.at(at + 1);
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);

    QTemporaryDir work;
    Bench bench(program, work.path());
    const QString cache = work.path() + QStringLiteral("/cache");
    // A profile each has used before: the office's own, and the one the
    // program keeps.
    for (int i = 0; i < 2; ++i) {
        bench.office();
        bench.program(cache);
    }

    std::printf("One 2 KB document, %d pairs, whole processes (%s)\n", pairs, qPrintable(program));
    Series office, tallowin, officeAgain, firstRun, windows;
    for (int i = 0; i < pairs; ++i) {
        if (i % 2 == 0) {
            office.runs.push_back(bench.office());
            tallowin.runs.push_back(bench.program(cache));
        } else {
            tallowin.runs.push_back(bench.program(cache));
            office.runs.push_back(bench.office());
        }
    }
    for (int i = 0; i < pairs; ++i) {
        // The first run after installation: nothing kept yet.
        const QString empty = work.path() + QStringLiteral("/empty-cache-%1").arg(i);
        officeAgain.runs.push_back(bench.office());
        firstRun.runs.push_back(bench.program(empty));
    }
    for (int i = 0; i < pairs; ++i)
        windows.runs.push_back(bench.windows(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))));

    print("soffice --convert-to doc, used profile", office);
    print("tallowin --convert, kept profile", tallowin);
    std::printf("  ratio tallowin / soffice (medians): %.2f\n",
                tallowin.medianOf(&Run::seconds) / office.medianOf(&Run::seconds));
    print("soffice --convert-to doc, used profile", officeAgain);
    print("tallowin --convert, first run (empty cache)", firstRun);
    std::printf("  ratio first run / soffice (medians): %.2f\n",
                firstRun.medianOf(&Run::seconds) / officeAgain.medianOf(&Run::seconds));
    print("tallowin, start to \"Quick Start\" shown", windows);
    return office.allSucceeded() && tallowin.allSucceeded() && firstRun.allSucceeded() ? 0 : 1;
}
