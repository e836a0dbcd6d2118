// SPDX-License-Identifier: MPL-2.0
#include "engine/office/OfficeInstallation.h"

#include "platform/files/FileNames.h"
#include "platform/automation/RuntimeError.h"

#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using platform::RuntimeError;

namespace engine {

namespace {
QString& executableOverride()
{
    static QString program;
    return program;
}
} // namespace

QString OfficeInstallation::ProgramFolder()
{
    return QStringLiteral(TALLOWIN_OFFICE_PROGRAM_DIR);
}

QString OfficeInstallation::Executable()
{
    if (!executableOverride().isEmpty())
        return executableOverride();
    // The office binary itself, not its launcher script: the engine must be
    // the office's parent so that the office can be tied to its lifetime.
    return ProgramFolder() + QStringLiteral("/soffice.bin");
}

bool OfficeInstallation::HasWriterWindows()
{
    static const bool has = QFile::exists(
        ProgramFolder() + QStringLiteral("/../share/config/soffice.cfg/modules/swriter/ui/annotation.ui"));
    return has;
}

QString OfficeInstallation::ProductVersion()
{
    // "ProductKey=LibreOffice 7.4": the product name, then its version.
    QFile bootstrap(ProgramFolder() + QStringLiteral("/bootstraprc"));
    if (!bootstrap.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray& line : bootstrap.readAll().split('\n')) {
        if (!line.startsWith("ProductKey="))
            continue;
        const QString version = QString::fromUtf8(line.trimmed()).section(QLatin1Char(' '), -1);
        static const QRegularExpression number(QStringLiteral("^[0-9]+(\\.[0-9]+)+$"));
        return number.match(version).hasMatch() ? version : QString();
    }
    return QString();
}

void OfficeInstallation::Check()
{
    const QString program = Executable();
    const QByteArray native = platform::EncodeFileName(program);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        throw RuntimeError(RuntimeError::FileNotFound,
                           QStringLiteral("The office program %1 is not installed (%2)")
                               .arg(program, QString::fromLocal8Bit(std::strerror(errno))),
                           QStringLiteral("Office engine"));
    if (!S_ISREG(info.st_mode))
        throw RuntimeError(RuntimeError::FileNotFound,
                           QStringLiteral("The office program %1 is not a regular file").arg(program),
                           QStringLiteral("Office engine"));
    if (::access(native.constData(), X_OK) != 0)
        throw RuntimeError(RuntimeError::PermissionDenied,
                           QStringLiteral("The office program %1 may not be executed").arg(program),
                           QStringLiteral("Office engine"));
}

void OfficeInstallation::SetExecutable(const QString& program)
{
    executableOverride() = program;
}

} // namespace engine
