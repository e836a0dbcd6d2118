// SPDX-License-Identifier: MPL-2.0
#include "EngineTestSupport.h"

#include "engine/server/EngineRegistration.h"
#include "platform/files/FileNames.h"
#include "platform/automation/ProgIdRegistry.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <csignal>
#include <unistd.h>

namespace enginetest {

const QList<Sample>& Samples()
{
    static const QList<Sample> samples{
        {"sample-wp6.wpd", {QStringLiteral("AND FURTHER"), QStringLiteral("test1-2")}},
        {"sample-wp50.wpd", {QStringLiteral("Surrounded by her family")}},
        {"sample-wp51.wpd", {QStringLiteral("STUDY RESULTS: Existing condition"), QStringLiteral("Seattle nonstop flights.")}},
    };
    return samples;
}

QString DataPath(const QString& file)
{
    return QStringLiteral(TALLOWIN_ENGINE_TEST_DATA "/") + file;
}

QString MacroPath()
{
    return QStringLiteral(TALLOWIN_MACRO_SOURCE);
}

namespace {
std::shared_ptr<platform::LateBound> createServer()
{
    static const bool registered = (engine::RegisterEngine(), true);
    Q_UNUSED(registered);
    return platform::ProgIdRegistry::CreateObject(QStringLiteral("WordPerfect.PerfectScript"));
}
} // namespace

std::shared_ptr<platform::LateBound> SharedServer()
{
    // One office unless the environment asks for more: the tests of the
    // pool make a server of their own.
    static std::shared_ptr<platform::LateBound> server =
        qEnvironmentVariableIsSet("TALLOWIN_OFFICES") ? createServer() : NewServer(1);
    return server;
}

engine::ServerDiagnostics SharedEngine()
{
    return EngineOf(SharedServer());
}

std::shared_ptr<platform::LateBound> NewServer(int offices)
{
    const QByteArray before = qgetenv("TALLOWIN_OFFICES");
    qputenv("TALLOWIN_OFFICES", QByteArray::number(offices));
    auto server = createServer();
    if (before.isNull())
        qunsetenv("TALLOWIN_OFFICES");
    else
        qputenv("TALLOWIN_OFFICES", before);
    return server;
}

engine::ServerDiagnostics EngineOf(const std::shared_ptr<platform::LateBound>& server)
{
    return engine::ServerDiagnostics(dynamic_cast<engine::WordPerfectServer&>(*server));
}

void StartEveryOffice(const std::shared_ptr<platform::LateBound>& server)
{
    platform::CallByName(server, QStringLiteral("ExpectDocuments"), {platform::Value(1 << 20)});
    EngineOf(server).waitForOffice();
}

platform::Value Call(const std::shared_ptr<platform::LateBound>& server, const QString& member,
                     const QList<platform::Value>& args)
{
    return platform::CallByName(server, member, args);
}

std::optional<platform::RuntimeError> Convert(const std::shared_ptr<platform::LateBound>& server,
                                              const QString& source, const QString& target, const QString& macro,
                                              QString* notes)
{
    try {
        Call(server, QStringLiteral("FileOpen"), {source});
        if (Call(server, QStringLiteral("envDocBlank")).toInteger() == 0) {
            Call(server, QStringLiteral("PosDocVeryTop"));
            Call(server, QStringLiteral("MacroFilePlay"), {macro});
            while (Call(server, QStringLiteral("envMacroPlaying")).toInteger() == -1) {
            }
        }
        const QString copy = target + QStringLiteral(".copy.TMP");
        Call(server, QStringLiteral("FileSave"), {copy});
        // The format by the target's extension, as Save As gives it.
        const int format = target.endsWith(QLatin1String(".docx")) ? 70
                           : target.endsWith(QLatin1String(".odt")) ? 71
                           : target.endsWith(QLatin1String(".pdf")) ? 72
                                                                    : 69;
        Call(server, QStringLiteral("FileSave"), {target, platform::Value(format)});
        if (notes)
            *notes = Call(server, QStringLiteral("envConversionNotes")).toText();
        Call(server, QStringLiteral("CloseNoSave"));
        QFile::remove(copy);
        return std::nullopt;
    } catch (const platform::RuntimeError& e) {
        CloseQuietly(server);
        QFile::remove(target + QStringLiteral(".copy.TMP"));
        return e;
    }
}

::testing::AssertionResult Converts(const std::shared_ptr<platform::LateBound>& server, const QString& source,
                                    const QString& target, QString* notes, const QString& macro)
{
    const auto failure = Convert(server, source, target, macro, notes);
    if (failure)
        return ::testing::AssertionFailure() << failure->description().toStdString();
    return ::testing::AssertionSuccess();
}

platform::RuntimeError FailureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const platform::RuntimeError& e) {
        return e;
    }
    ADD_FAILURE() << "succeeded";
    return platform::RuntimeError(0, QString());
}

::testing::AssertionResult Says(const platform::RuntimeError& failure, const QString& text)
{
    if (failure.description().contains(text))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << failure.description().toStdString() << "\" does not say \""
                                         << text.toStdString() << '"';
}

QByteArray Digest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

QString WordText(const QString& path)
{
    // catdoc is handed names as text: a name that is not UTF-8 goes through
    // a link.
    QTemporaryDir links;
    QString readable = path;
    if (platform::HasUndecodableBytes(path)) {
        readable = links.filePath(QStringLiteral("word.doc"));
        if (::symlink(platform::EncodeFileName(path).constData(), platform::EncodeFileName(readable).constData()) != 0)
            return {};
    }
    QProcess catdoc;
    catdoc.start(QStringLiteral("catdoc"), {QStringLiteral("-d"), QStringLiteral("utf-8"), QStringLiteral("-w"), readable});
    if (!catdoc.waitForFinished(30000) || catdoc.exitCode() != 0)
        return {};
    return QString::fromUtf8(catdoc.readAllStandardOutput());
}

bool WordReadable(const QString& path)
{
    QProcess catdoc;
    catdoc.start(QStringLiteral("catdoc"), {QStringLiteral("-d"), QStringLiteral("utf-8"), path});
    return catdoc.waitForFinished(30000) && catdoc.exitStatus() == QProcess::NormalExit && catdoc.exitCode() == 0;
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool Exists(const QString& path)
{
    return QFileInfo::exists(path);
}

bool WaitUntilGone(pid_t pid)
{
    for (int i = 0; i < 500 && ProcessAlive(pid); ++i)
        QThread::msleep(10);
    return !ProcessAlive(pid);
}

void CloseQuietly(const std::shared_ptr<platform::LateBound>& server)
{
    try {
        Call(server, QStringLiteral("CloseNoSave"));
    } catch (const platform::RuntimeError&) {
    }
}

bool ProcessAlive(pid_t pid)
{
    if (pid <= 0 || ::kill(pid, 0) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const int close = text.lastIndexOf(')');
    return close < 0 || text.mid(close + 2, 1) != "Z";
}

void EngineTest::SetUp()
{
    ASSERT_TRUE(mDir.isValid());
}

QString EngineTest::copySample(const QString& sample, const QString& name)
{
    const QString target = path(name);
    EXPECT_TRUE(QFile::copy(DataPath(sample), target)) << sample.toStdString();
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

} // namespace enginetest
