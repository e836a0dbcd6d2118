// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <QHash>
#include <QProcess>
#include <QString>

namespace enginetest {

// This test program run again as a helper process, for what one process
// cannot show about itself: how it ends, what it leaves when it is killed,
// what it creates under another umask. The helper runs only `test`, a test
// that skips itself unless Mode() is set, and reports with lines
// "KEY value" on its standard output (Report).
class HelperProcess final {
public:
    using Environment = QList<std::pair<QString, QString>>; // more variables for the helper
    HelperProcess(const QString& test, const QByteArray& mode, const Environment& extra = {});
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Waits (a minute at most) until the helper has reported `key`; returns
    // the value, or empty text when it did not report it.
    QString value(const QString& key);
    // The helper's error output so far, for failure messages.
    std::string errors();
    QProcess& process() { return mProcess; }

    // In the helper: the mode it was started with (empty in a normal run).
    static QByteArray Mode();
    // In the helper: reports a value to the test that started it.
    static void Report(const char* key, const QString& value);
    // In the helper: reports its run folder ("RUN"), the sockets its offices
    // made outside it ("PIPES") and the folder of its temporary copies
    // ("TEMP"); in the test, those sockets that still exist.
    static void ReportRun();
    QStringList pipesLeft();

private:
    QProcess mProcess;
    QHash<QString, QString> mValues;
};

} // namespace enginetest
