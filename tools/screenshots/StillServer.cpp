// SPDX-License-Identifier: MPL-2.0
#include "StillServer.h"

#include "platform/automation/RuntimeError.h"

#include <QFile>
#include <QFileInfo>

using platform::Value;

StillServer::StillServer(QString failingName) : mFailingName(std::move(failingName))
{
    addMember(QStringLiteral("FileOpen"), [this](const QList<Value>& a) {
        const QString path = a.value(0).toText();
        if (QFileInfo(path).fileName() == mFailingName)
            throw platform::RuntimeError(platform::RuntimeError::AutomationError,
                                         QStringLiteral("Cannot open %1").arg(path), QStringLiteral("StillServer"));
        mCurrent = path;
        return Value();
    });
    addMember(QStringLiteral("envDocBlank"), [](const QList<Value>&) { return Value(false); });
    addMember(QStringLiteral("PosDocVeryTop"), [](const QList<Value>&) { return Value(); });
    addMember(QStringLiteral("MacroFilePlay"), [](const QList<Value>&) { return Value(); });
    addMember(QStringLiteral("envMacroPlaying"), [](const QList<Value>&) { return Value(false); });
    addMember(QStringLiteral("FileSave"), [this](const QList<Value>& a) {
        QFile out(a.value(0).toText());
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write("converted " + mCurrent.toUtf8() + "\n");
        return Value();
    });
    // One document's Word file lacks a picture, which its row shows.
    addMember(QStringLiteral("envConversionNotes"), [this](const QList<Value>&) {
        return Value(QFileInfo(mCurrent).fileName() == QLatin1String("Annual report 2002.wpd")
                         ? QStringLiteral("The Word file lacks 1 of 3 pictures")
                         : QString());
    });
    addMember(QStringLiteral("CloseNoSave"), [this](const QList<Value>&) {
        mCurrent.clear();
        return Value();
    });
}
