// SPDX-License-Identifier: MPL-2.0
#include "platform/desktop/CommonDialog.h"

#include "platform/desktop/Dialogs.h"
#include "platform/automation/RuntimeError.h"

#include <QStringList>

namespace platform {

QStringList CommonDialog::qtFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (filter.isEmpty())
        return result;
    if (parts.size() == 1) {
        result.append(parts.constFirst());
        return result;
    }
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i);
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the last parentheses of an entry. When
        // the description already ends with the same patterns (letter case
        // aside: Qt's dialog matches without regard to case), it is shown
        // as it is.
        const QString suffix = QStringLiteral("(%1)").arg(patterns);
        if (description.endsWith(suffix, Qt::CaseInsensitive))
            result.append(description);
        else
            result.append(QStringLiteral("%1 %2").arg(description, suffix));
    }
    return result;
}

void CommonDialog::ShowOpen() { show(false); }
void CommonDialog::ShowSave() { show(true); }

void CommonDialog::show(bool save)
{
    FileDialogRequest request;
    request.kind = save ? FileDialogRequest::Kind::SaveAs : FileDialogRequest::Kind::Open;
    request.fileName = FileName;
    request.filters = qtFilters(Filter);
    // "File must exist" means something only when opening; a Save As dialog
    // must accept a new name.
    request.mustExist = !save && (Flags & FileMustExist);
    request.title = DialogTitle;
    request.owner = mOwner;
    const std::optional<QString> chosen = Dialogs().fileDialog(request);
    if (chosen) {
        FileName = *chosen;
        return;
    }
    if (CancelError)
        throw RuntimeError(RuntimeError::CancelSelected, QStringLiteral("Cancel was selected."),
                           QStringLiteral("CommonDialog"));
}

} // namespace platform
