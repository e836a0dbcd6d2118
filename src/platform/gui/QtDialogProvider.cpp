// SPDX-License-Identifier: MPL-2.0
#include "platform/gui/QtDialogProvider.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace platform {

namespace {

// Ends a local event loop when the watched window is hidden, closed or gone.
class HideWatcher final : public QObject {
public:
    HideWatcher(QWidget* window, QEventLoop* loop) : mLoop(loop) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close)
            mLoop->quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop* mLoop;
};

// The window a dialog belongs to: the one given, else the active window.
QWidget* ownerWindow(QObject* owner)
{
    if (auto* widget = qobject_cast<QWidget*>(owner))
        return widget;
    return QApplication::activeWindow();
}

} // namespace

MsgResult QtDialogProvider::messageBox(const MessageBoxRequest& r)
{
    QMessageBox box(qobject_cast<QWidget*>(r.owner));
    box.setWindowTitle(r.caption);
    box.setText(r.text);
    switch (r.icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (r.buttons) {
    case MsgButtons::OK: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OKCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    default: return r.buttons == MsgButtons::OK ? MsgResult::OK : MsgResult::Cancel;
    }
}

std::optional<QString> QtDialogProvider::fileDialog(const FileDialogRequest& r)
{
    QFileDialog dialog(ownerWindow(r.owner), r.title);
    dialog.setNameFilters(r.filters.isEmpty() ? QStringList{QStringLiteral("*")} : r.filters);
    if (r.kind == FileDialogRequest::Kind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(r.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    } else {
        // Save As: a new name must be acceptable, and replacing an existing
        // file is confirmed (No goes back to the dialog).
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (!r.fileName.isEmpty()) {
        const QFileInfo info(r.fileName);
        if (info.isAbsolute() || r.fileName.contains(QDir::separator())) {
            dialog.setDirectory(info.absolutePath());
            dialog.selectFile(info.fileName());
        } else {
            dialog.selectFile(r.fileName);
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

QString QtDialogProvider::browseForFolder(const QString& prompt)
{
    // The folder-browse dialog has no owner window.
    const QString dir = QFileDialog::getExistingDirectory(nullptr, prompt, QString(), QFileDialog::ShowDirsOnly);
    if (dir.isEmpty())
        return QString();
    return QDir::toNativeSeparators(QDir::cleanPath(dir));
}

void QtDialogProvider::runModal(QObject* object, QObject*)
{
    auto* window = qobject_cast<QWidget*>(object);
    if (!window)
        return;
    QPointer<QWidget> guard(window);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();
    if (!window->isVisible())
        return;
    QEventLoop loop;
    HideWatcher watcher(window, &loop);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::DialogExec);
    if (guard)
        guard->setWindowModality(Qt::NonModal);
}

} // namespace platform
