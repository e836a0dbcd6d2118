// Documents that are not what their name says, or not documents at all. The
// outcome is always a readable Word document or a failure that names the
// file, with nothing written at the target and the source unchanged.
#include "EngineTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <iostream>
#include <sys/stat.h>

using namespace enginetest;

namespace {

enum class Outcome { Converts, Fails, Either };

struct BadInput {
    const char* name;
    std::function<void(const QString& path)> make; // writes the source at path
    Outcome outcome;
    QStringList reasons = {}; // one of them is part of the failure's description
    QString text = {};        // what the Word document says
};

QByteArray sampleBytes(const QString& file, int length = -1)
{
    const QByteArray all = ReadFile(DataPath(file));
    return length < 0 ? all : all.left(length);
}

QList<BadInput> badInputs()
{
    QList<BadInput> inputs{
        {"zero-byte file", [](const QString& p) { WriteFile(p, {}); }, Outcome::Either},
        {"random bytes",
         [](const QString& p) {
             QByteArray bytes(20000, '\0');
             QRandomGenerator generator(20260101);
             for (char& c : bytes)
                 c = static_cast<char>(generator.bounded(256));
             WriteFile(p, bytes);
         },
         Outcome::Fails, {QStringLiteral("the office could not read it as a document")}},
        {"PNG picture",
         [](const QString& p) {
             QImage image(32, 16, QImage::Format_RGB32);
             image.fill(Qt::darkGreen);
             QFile file(p);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             ASSERT_TRUE(image.save(&file, "PNG"));
         },
         // Without the drawing module the office cannot open it at all (its
         // detection offers the plain-text filter, which refuses it).
         Outcome::Fails,
         {QStringLiteral("not as a text document"), QStringLiteral("could not read it as a document")}},
        // Opened as a spreadsheet where the spreadsheet module is installed,
        // else read by the text module as what it can make of it.
        {"spreadsheet", [](const QString& p) { WriteFile(p, ReadFile(DataPath(QStringLiteral("sheet.fods")))); },
         Outcome::Either},
        {"OpenDocument text", [](const QString& p) { WriteFile(p, ReadFile(DataPath(QStringLiteral("text.odt")))); },
         Outcome::Converts, {}, QStringLiteral("An OpenDocument text under another name")},
        // Its macro never runs: it would write <document>.ran beside it.
        {"text with a macro bound to its opening",
         [](const QString& p) { WriteFile(p, ReadFile(DataPath(QStringLiteral("macro-on-load.odt")))); },
         Outcome::Converts, {}, QStringLiteral("macro bound to its opening")},
        {"password-protected WordPerfect 6",
         [](const QString& p) { WriteFile(p, ReadFile(DataPath(QStringLiteral("password-wp6.wpd")))); },
         Outcome::Fails, {QStringLiteral("password")}},
    };
    // Real documents cut short.
    for (const char* sample : {"sample-wp6.wpd", "sample-wp50.wpd", "sample-wp51.wpd"}) {
        const int size = static_cast<int>(sampleBytes(QString::fromLatin1(sample)).size());
        for (const int length : {4, 16, 100, 600, size / 2, size - 1}) {
            inputs.append({sample, [sample, length](const QString& p) {
                               WriteFile(p, sampleBytes(QString::fromLatin1(sample), length));
                           },
                           Outcome::Either});
        }
    }
    return inputs;
}

class BadInputTest : public EngineTest {};

TEST_F(BadInputTest, EveryInputConvertsReadablyOrFailsWithNothingWritten)
{
    const auto server = SharedServer();
    int index = 0;
    for (const BadInput& input : badInputs()) {
        SCOPED_TRACE(std::string(input.name) + " #" + std::to_string(index));
        const QString source = path(QStringLiteral("input-%1.wpd").arg(index++));
        input.make(source);
        const QByteArray before = Digest(source);
        const QString target = path(QStringLiteral("output.doc"));
        const auto failure = Convert(server, source, target);
        EXPECT_EQ(Digest(source), before) << "the source changed";
        if (failure) {
            EXPECT_NE(input.outcome, Outcome::Converts) << failure->description().toStdString();
            EXPECT_TRUE(Says(*failure, source));
            bool explained = input.reasons.isEmpty();
            for (const QString& reason : input.reasons)
                explained = explained || failure->description().contains(reason);
            EXPECT_TRUE(explained) << failure->description().toStdString();
            if (qEnvironmentVariableIsSet("TALLOWIN_SHOW_FAILURES"))
                std::cout << input.name << ": " << failure->description().toStdString() << "\n";
            EXPECT_FALSE(Exists(target));
        } else {
            EXPECT_NE(input.outcome, Outcome::Fails) << "converted";
            EXPECT_TRUE(WordReadable(target));
            if (!input.text.isEmpty()) {
                EXPECT_TRUE(WordText(target).contains(input.text)) << WordText(target).toStdString();
            }
        }
        QFile::remove(target);
        QFile::remove(source);
        EXPECT_EQ(Entries(mDir.path()), QStringList()) << "something was left behind";
    }
}

TEST_F(BadInputTest, ThingsThatAreNotRegularFilesFailAtOnce)
{
    const auto server = SharedServer();
    const QString fifo = path(QStringLiteral("fifo.wpd"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = path(QStringLiteral("folder.wpd"));
    ASSERT_TRUE(QDir().mkdir(folder));
    struct Case {
        QString source;
        int number;
        const char* reason;
    };
    const QList<Case> cases{
        {fifo, platform::RuntimeError::FileNotFound, "not a regular file"},
        {folder, platform::RuntimeError::FileNotFound, "not a regular file"},
        {path(QStringLiteral("missing.wpd")), platform::RuntimeError::FileNotFound, "No such file"},
        {path(QStringLiteral("missing/inside.wpd")), platform::RuntimeError::FileNotFound, "No such file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.toStdString());
        QElapsedTimer clock;
        clock.start();
        const auto e = FailureOf([&] { Call(server, QStringLiteral("FileOpen"), {c.source}); });
        EXPECT_EQ(e.number(), c.number);
        EXPECT_TRUE(Says(e, c.source));
        EXPECT_TRUE(Says(e, QString::fromLatin1(c.reason)));
        EXPECT_LT(clock.elapsed(), 5000) << "the call waited for the file";
    }
}

} // namespace
