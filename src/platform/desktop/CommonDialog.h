// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

class QObject;

namespace platform {

// The file-open and Save As dialogs with the properties the program sets:
// FileName, Filter ("Description|pattern|Description|pattern", or a single
// pattern), Flags, CancelError and DialogTitle. The dialogs go through the
// dialog provider, so tests answer them.
class CommonDialog final {
public:
    enum Flag : int {
        OverwritePrompt = 0x2,
        FileMustExist = 0x1000,
    };

    explicit CommonDialog(QObject* owner = nullptr) : mOwner(owner) {}

    QString FileName;
    QString Filter;
    int Flags = 0;
    bool CancelError = false;
    QString DialogTitle;

    // Show the dialog and wait. On OK, FileName holds the chosen path. On
    // cancel, FileName keeps its text and, with CancelError set, the call
    // raises CancelSelected (32755).
    void ShowOpen();
    void ShowSave();

    // Qt's form of Filter: one entry per description/pattern pair.
    static QStringList qtFilters(const QString& filter);

private:
    void show(bool save);
    QObject* mOwner;
};

} // namespace platform
