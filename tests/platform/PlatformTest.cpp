// SPDX-License-Identifier: MPL-2.0
// The platform layer: values, late binding, object creation by ProgID, the
// file list, the list view, the common dialog and ending the program.
#include "platform/desktop/CommonDialog.h"
#include "platform/desktop/EventPass.h"
#include "platform/files/FileListBox.h"
#include "platform/automation/LateBinding.h"
#include "platform/automation/ProgIdRegistry.h"
#include "platform/desktop/Program.h"
#include "platform/automation/RuntimeError.h"
#include "platform/files/RunRecord.h"
#include "platform/automation/Value.h"
#include "support/ErrorNumber.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QTemporaryDir>
#include <thread>
#include <vector>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <gtest/gtest.h>

using namespace platform;
using testsupport::ErrorNumber;

TEST(EventPass, EveryPassDeliversWhatWasPostedAndTimersAreServedWithinAMillisecond)
{
    // Passes come in bursts (several per document): each one delivers what
    // the program posted, and a timer that is due fires at the latest at
    // the first pass a millisecond later.
    int delivered = 0;
    for (int i = 0; i < 50; ++i) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [&delivered] { ++delivered; }, Qt::QueuedConnection);
        platform::DoEvents();
        EXPECT_EQ(delivered, i + 1);
    }
    bool fired = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&fired] { fired = true; });
    timer.start(0);
    QElapsedTimer since;
    since.start();
    while (!fired && since.elapsed() < 1000) {
        const bool waited = since.nsecsElapsed() > 1'000'000;
        const quint64 before = platform::EventPassCount();
        platform::DoEvents();
        EXPECT_EQ(platform::EventPassCount(), before + 1);
        if (waited) {
            EXPECT_TRUE(fired);
            break;
        }
    }
    EXPECT_TRUE(fired);
}

TEST(Value, ConversionsFollowTheRunTimeRules)
{
    EXPECT_EQ(Value(true).toInteger(), -1);
    EXPECT_EQ(Value(false).toInteger(), 0);
    EXPECT_EQ(Value().toInteger(), 0);
    EXPECT_EQ(Value(QStringLiteral(" 42 ")).toInteger(), 42);
    EXPECT_EQ(Value(7).toText(), "7");
    EXPECT_EQ(Value(true).toText(), "True");
    EXPECT_TRUE(Value().toText().isEmpty());
    EXPECT_EQ(ErrorNumber([] { Value::null().toInteger(); }), RuntimeError::TypeMismatch);
    EXPECT_EQ(ErrorNumber([] { Value(QStringLiteral("abc")).toInteger(); }), RuntimeError::TypeMismatch);
    EXPECT_EQ(ErrorNumber([] { Value(1).toObject<QObject>(); }), RuntimeError::TypeMismatch);
    EXPECT_FALSE(Value(true) == Value(-1)); // Boolean and integer are different kinds
    EXPECT_TRUE(Value::null() == Value::null());
}

TEST(LateBinding, MissingMemberAndMissingObjectRaiseTheirNumbers)
{
    class Object final : public Dispatchable {
    public:
        Object()
        {
            addMember(QStringLiteral("Twice"), [](const QList<Value>& a) {
                checkArgCount(QStringLiteral("Twice"), a, 1, 1);
                return Value(a.at(0).toInteger() * 2);
            });
        }
    } object;
    EXPECT_EQ(CallByName(&object, "twice", {Value(21)}).toInteger(), 42); // letter case ignored
    EXPECT_EQ(ErrorNumber([&] { CallByName(&object, "Thrice", {Value(1)}); }), RuntimeError::MemberNotFound);
    EXPECT_EQ(ErrorNumber([&] { CallByName(&object, "Twice"); }), RuntimeError::InvalidProcedureCall);
    EXPECT_EQ(ErrorNumber([] { CallByName(static_cast<LateBound*>(nullptr), "Twice"); }),
              RuntimeError::ObjectRequired);
}

TEST(ProgIdRegistry, CreationFailsForUnknownFailingOrEmptyFactories)
{
    EXPECT_EQ(ErrorNumber([] { ProgIdRegistry::CreateObject("No.Such.Server"); }), RuntimeError::CannotCreateObject);
    ProgIdRegistry::Register("Test.Failing", []() -> std::shared_ptr<LateBound> {
        throw RuntimeError(RuntimeError::FileNotFound, "office missing");
    });
    EXPECT_EQ(ErrorNumber([] { ProgIdRegistry::CreateObject("test.failing"); }), RuntimeError::CannotCreateObject);
    ProgIdRegistry::Register("Test.Empty", [] { return std::shared_ptr<LateBound>(); });
    EXPECT_EQ(ErrorNumber([] { ProgIdRegistry::CreateObject("Test.Empty"); }), RuntimeError::CannotCreateObject);
    ProgIdRegistry::Register("Test.Good", [] { return std::make_shared<Dispatchable>(); });
    EXPECT_NE(ProgIdRegistry::CreateObject("TEST.GOOD"), nullptr);
    for (const char* id : {"Test.Failing", "Test.Empty", "Test.Good"})
        ProgIdRegistry::Unregister(id);
}

TEST(FileListBox, ListsOnlyVisibleRegularFilesInCaseInsensitiveOrder)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    for (const char* name : {"b.wpd", "A.wpd", "a.wpd", "C.txt", ".hidden", "space name.wpd", "ü.wpd"})
        testsupport::WriteFile(d + "/" + name);
    QDir().mkdir(d + "/folder.wpd");
    ASSERT_EQ(::mkfifo(QFile::encodeName(d + "/pipe.wpd").constData(), 0600), 0);
    QFile::link(d + "/b.wpd", d + "/link.wpd");
    QFile::link(d + "/missing", d + "/broken.wpd");
    QFile::link(d + "/folder.wpd", d + "/dirlink.wpd");
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray sock = QFile::encodeName(d + "/sock.wpd");
    if (sock.size() < int(sizeof(addr.sun_path))) {
        std::copy(sock.begin(), sock.end(), addr.sun_path);
        ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    }

    FileListBox list;
    list.setPath(d + "/");
    ::close(s);
    EXPECT_EQ(list.path(), d);
    EXPECT_EQ(list.names(), (QStringList{"A.wpd", "a.wpd", "b.wpd", "C.txt", "link.wpd", "space name.wpd", "ü.wpd"}));
    list.setListIndex(2);
    EXPECT_EQ(list.fileName(), "b.wpd");
    EXPECT_NE(ErrorNumber([&] { list.setListIndex(7); }), 0);
}

TEST(FileListBox, EmptyMissingAndRootFolders)
{
    FileListBox list;
    list.setPath(QString());
    EXPECT_EQ(list.listCount(), 0);
    EXPECT_EQ(ErrorNumber([&] { list.setPath("/no/such/folder"); }), RuntimeError::PathNotFound);
    EXPECT_EQ(list.listCount(), 0);
    list.setPath("/");
    EXPECT_EQ(list.path(), "/"); // the root keeps its separator
}

TEST(CommonDialog, FiltersCancelAndFileMustExist)
{
    EXPECT_EQ(CommonDialog::qtFilters("All WordPerfect documents (*.wpd)|*.WPD"),
              QStringList{"All WordPerfect documents (*.wpd)"});
    EXPECT_EQ(CommonDialog::qtFilters("*.doc"), QStringList{"*.doc"});
    EXPECT_EQ(CommonDialog::qtFilters("Text|*.txt;*.text|All|*.*"),
              (QStringList{"Text (*.txt *.text)", "All (*.*)"}));

    testsupport::ScriptedDialogs dialogs;
    CommonDialog dialog;
    dialog.FileName = "kept";
    dialog.Flags = CommonDialog::FileMustExist;
    dialog.ShowSave(); // cancelled without CancelError: nothing raised
    EXPECT_EQ(dialog.FileName, "kept");
    EXPECT_FALSE(dialogs.fileRequests[0].mustExist);
    dialog.CancelError = true;
    EXPECT_EQ(ErrorNumber([&] { dialog.ShowOpen(); }), RuntimeError::CancelSelected);
    EXPECT_TRUE(dialogs.fileRequests[1].mustExist);
    dialogs.fileAnswers = {QStringLiteral("/x/y.wpd")};
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, "/x/y.wpd");
}

TEST(Program, EndProgramRunsTheHooksNewestFirstOnceAndMessageBoxesCarryTheProgramsTitleByDefault)
{
    QStringList ran;
    AddEndHook([&] { ran << "first"; });
    AddEndHook([&] { ran << "second"; });
    struct Ended {};
    SetEndProgramHandler([](int) { RunEndHooks(); throw Ended(); });
    EXPECT_THROW(EndProgram(0), Ended);
    SetEndProgramHandler({});
    RunEndHooks();
    EXPECT_EQ(ran, (QStringList{"second", "first"}));

    testsupport::ScriptedDialogs dialogs;
    MsgBox("hello");
    MsgBox("there", MsgButtons::OK, MsgIcon::Exclamation, "Caption");
    RunHandler([] { throw RuntimeError(RuntimeError::FileNotFound, "lost"); });
    EXPECT_EQ(dialogs.boxes(),
              (QStringList{"Tallowin|hello|None|OK", "Caption|there|Exclamation|OK", "Tallowin|lost|Critical|OK"}));
}

// At the run's end the engine's threads may still be removing their own
// files from the run's memory-backed folder while the folder is removed:
// files that go meanwhile must not leave the folder behind.
TEST(RunRecord, ANotedFolderGoesWholeWhileAnotherThreadRemovesFilesInIt)
{
    QTemporaryDir inMemory(QStringLiteral("/dev/shm/tallowin-test-XXXXXX"));
    QTemporaryDir onDisk;
    const QString folder = (inMemory.isValid() ? inMemory : onDisk).filePath(QStringLiteral("memory"));
    std::vector<QByteArray> files; // 40 folders of 50 files
    for (int i = 0; i < 2000; ++i) {
        const QString file = folder + QStringLiteral("/%1/%2.doc").arg(i / 50).arg(i % 50);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()) && QFile(file).open(QIODevice::WriteOnly));
        files.push_back(QFile::encodeName(file));
    }
    const std::unique_ptr<RunRecord> record = RunRecord::Create(RunRecord::NewRunId());
    ASSERT_NE(record, nullptr);
    record->note(RunRecord::Kind::Folder, folder);
    std::thread other([&files] {
        for (auto file = files.crbegin(); file != files.crend(); ++file)
            ::unlink(file->constData());
    });
    EXPECT_TRUE(record->removeNoted());
    other.join();
    record->discard();
    EXPECT_FALSE(QFileInfo::exists(folder));
}
