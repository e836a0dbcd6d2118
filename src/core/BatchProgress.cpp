// SPDX-License-Identifier: MPL-2.0
#include "core/BatchProgress.h"

#include "core/DocumentList.h"

#include <QLocale>

void BatchProgress::Start(int total)
{
    mTotal = total;
    mRunning = true;
    mStarted = true;
}

void BatchProgress::Finish()
{
    mRunning = false;
}

void BatchProgress::Clear()
{
    mRunning = false;
    mStarted = false;
}

QString BatchProgress::Text(const DocumentList& documents) const
{
    if (!mStarted)
        return QString();
    const QLocale locale;
    const int converted = documents.ConvertedCount();
    const int failed = documents.FailedCount();
    if (mRunning)
        return Running(converted + failed, mTotal, failed);
    if (mTotal == 0)
        return QStringLiteral("Batch done: no documents found");
    const QString totals = QStringLiteral("Batch done: %1 converted").arg(locale.toString(converted));
    return failed > 0 ? QStringLiteral("%1, %2 failed").arg(totals, locale.toString(failed)) : totals;
}

QString BatchProgress::Running(int done, int total, int failed)
{
    const QLocale locale;
    const QString text = QStringLiteral("%1 of %2 done").arg(locale.toString(done), locale.toString(total));
    return failed > 0 ? QStringLiteral("%1, %2 failed").arg(text, locale.toString(failed)) : text;
}
