#include "platform/Dialogs.h"

#include "platform/Program.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
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

class QtDialogProvider final : public DialogProvider {
public:
    MsgResult messageBox(const MessageBoxRequest& r) override
    {
        QMessageBox box(r.owner);
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
        default: return r.buttons == MsgButtons::OK ? MsgResult::OK
                        : r.buttons == MsgButtons::OKCancel ? MsgResult::Cancel
                                                            : MsgResult::Cancel;
        }
    }

    std::optional<QString> fileDialog(const FileDialogRequest& r) override
    {
        QFileDialog dialog(r.owner, r.title);
        dialog.setNameFilters(r.filters.isEmpty() ? QStringList{QStringLiteral("*")} : r.filters);
        if (r.kind == FileDialogRequest::Kind::Open) {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(r.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        } else {
            // Save As: a new name must be acceptable, and replacing an
            // existing file is confirmed (No goes back to the dialog).
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

    QString browseForFolder(const QString& prompt, QWidget* owner) override
    {
        const QString dir = QFileDialog::getExistingDirectory(owner, prompt, QString(),
                                                              QFileDialog::ShowDirsOnly);
        if (dir.isEmpty())
            return QString();
        QString clean = QDir::toNativeSeparators(QDir::cleanPath(dir));
        return clean;
    }

    void runModal(QWidget* window, QWidget* owner) override
    {
        Q_UNUSED(owner);
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
};

QtDialogProvider& qtProvider()
{
    static QtDialogProvider provider;
    return provider;
}

DialogProvider* gProvider = nullptr;

} // namespace

DialogProvider& Dialogs()
{
    return gProvider ? *gProvider : qtProvider();
}

void SetDialogProvider(DialogProvider* provider)
{
    gProvider = provider;
}

MsgResult MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& caption,
                 QWidget* owner)
{
    MessageBoxRequest request;
    request.text = text;
    request.buttons = buttons;
    request.icon = icon;
    request.caption = caption.isEmpty() ? AppTitle() : caption;
    request.owner = owner;
    return Dialogs().messageBox(request);
}

void ShowModal(QWidget* window, QWidget* owner)
{
    Dialogs().runModal(window, owner);
}

} // namespace platform

namespace platform {

void RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const RuntimeError& e) {
        MsgBox(e.description(), MsgButtons::OK, MsgIcon::Critical);
    }
}

} // namespace platform
