// SPDX-License-Identifier: MPL-2.0
// Measures what the program itself costs per document in a batch: listing,
// extension chain, queue, jobs, event passes, document list and painting.
// The automation server is the scripted one, whose operations cost nothing.
//
//   bench_pipeline                 runs 1,000, 10,000 and 100,000 documents,
//                                  each in a process of its own
//   bench_pipeline --docs N        runs one batch of N documents
//   bench_pipeline --docs N --hidden   the same with the main window hidden
#include "core/DocumentList.h"
#include "core/General.h"
#include "core/Mediator.h"
#include "support/WindowsHarness.h"
#include "ui/Form2.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Counts the paints of the document list.
class PaintCounter final : public QObject {
public:
    quint64 paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// Peak resident memory of this process so far, in KiB.
qint64 peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

void makeEmptyFiles(const QString& folder, int count)
{
    for (int i = 0; i < count; ++i) {
        const QByteArray path = QFile::encodeName(folder + QStringLiteral("/document %1.wpd").arg(i, 6, 10, QLatin1Char('0')));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

int runOne(int count, bool shown)
{
    QTemporaryDir work;
    const QString src = work.path() + QStringLiteral("/source"), tgt = work.path() + QStringLiteral("/target");
    QDir().mkpath(src);
    QDir().mkpath(tgt);
    makeEmptyFiles(src, count);

    testsupport::WindowsHarness app(shown);
    app.server().writeFiles = false;
    app.server().recordCalls = false;
    PaintCounter painted;
    app.mainWindow().ListView1()->viewport()->installEventFilter(&painted);
    QCoreApplication::processEvents();

    const qint64 before = peakKiB();
    QElapsedTimer timer;
    timer.start();
    app.startBatch(src, tgt);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const qint64 after = peakKiB();

    const DocumentList& list = app.mediator().Documents();
    const bool allConverted = list.Count() == count && list.ConvertedCount() == count;
    std::printf("%9d docs  %10.0f docs/s  %8.3f ms/doc  peak +%8.1f MiB (%6.2f KiB/doc)  list resets %llu  paints "
                "%llu%s\n",
                count, count / seconds, seconds * 1000.0 / count, (after - before) / 1024.0,
                double(after - before) / count, static_cast<unsigned long long>(list.publishCount()),
                static_cast<unsigned long long>(painted.paints), allConverted ? "" : "  INCOMPLETE");
    // What a screen reader asks of the list at the end: its size and a row
    // in the middle. Qt builds the cells it is asked for, not all of them.
    QElapsedTimer reading;
    reading.start();
    app.mediator().Documents().Publish();
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(app.mainWindow().ListView1());
    QAccessibleTableInterface* cells = table ? table->tableInterface() : nullptr;
    const int rows = cells ? cells->rowCount() : 0;
    QAccessibleInterface* middle = rows > 0 ? cells->cellAt(rows / 2, 1) : nullptr;
    const QString status = middle ? middle->text(QAccessible::Name) : QString();
    std::printf("%9s accessible table: %d rows, middle row's status \"%s\", read in %.2f ms\n", "", rows,
                qPrintable(status), reading.nsecsElapsed() / 1e6);
    std::fflush(stdout);
    return allConverted && rows == count && status == QLatin1String("Converted") ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int at = static_cast<int>(args.indexOf(QStringLiteral("--docs")));
    if (at >= 0 && at + 1 < args.size())
        return runOne(args.at(at + 1).toInt(), !args.contains(QStringLiteral("--hidden")));

    // Each size in a process of its own, so that each peak is its own.
    std::printf("Batch orchestration against the scripted automation server, main window painted offscreen\n");
    std::fflush(stdout);
    int failures = 0;
    for (int n : {1000, 10000, 100000}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--docs"), QString::number(n)});
        child.waitForFinished(-1);
        failures += child.exitCode() != 0;
    }
    return failures == 0 ? 0 : 1;
}
