// SPDX-License-Identifier: MPL-2.0
#include "HelperProcess.h"

#include "platform/files/RunFolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <iostream>

namespace enginetest {

namespace {
const char* const kModeVariable = "TALLOWIN_ENGINE_HELPER";
}

HelperProcess::HelperProcess(const QString& test, const QByteArray& mode, const Environment& extra)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kModeVariable), QString::fromLatin1(mode));
    for (const auto& [name, value] : extra)
        environment.insert(name, value);
    mProcess.setProcessEnvironment(environment);
    mProcess.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + test});
}

HelperProcess::~HelperProcess()
{
    if (mProcess.state() != QProcess::NotRunning) {
        mProcess.kill();
        mProcess.waitForFinished(30000);
    }
}

QString HelperProcess::value(const QString& key)
{
    for (int i = 0; i < 600 && !mValues.contains(key); ++i) {
        if (!mProcess.canReadLine() && !mProcess.waitForReadyRead(100)
            && mProcess.state() == QProcess::NotRunning && !mProcess.canReadLine())
            break;
        while (mProcess.canReadLine()) {
            const QString line = QString::fromUtf8(mProcess.readLine()).trimmed();
            const qsizetype space = line.indexOf(QLatin1Char(' '));
            if (space > 0)
                mValues.insert(line.left(space), line.mid(space + 1));
        }
    }
    return mValues.value(key);
}

std::string HelperProcess::errors()
{
    return mProcess.readAllStandardError().toStdString();
}

QByteArray HelperProcess::Mode()
{
    return qgetenv(kModeVariable);
}

void HelperProcess::Report(const char* key, const QString& value)
{
    std::cout << key << ' ' << value.toStdString() << std::endl;
}

void HelperProcess::ReportRun()
{
    Report("RUN", platform::RunFolder::Instance().path());
    Report("PIPES", platform::RunFolder::Instance().notedSockets().join(QLatin1Char(' ')));
    Report("TEMP", platform::RunFolder::Instance().tempFolder());
}

QStringList HelperProcess::pipesLeft()
{
    QStringList left;
    for (const QString& pipe : value(QStringLiteral("PIPES")).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (QFileInfo(pipe).exists() || QFileInfo(pipe).isSymLink())
            left << pipe;
    return left;
}

} // namespace enginetest
