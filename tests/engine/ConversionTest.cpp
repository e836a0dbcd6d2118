// SPDX-License-Identifier: MPL-2.0
// Real documents through the whole road of a conversion job; and documents
// that are not what their name says, or not documents at all, whose outcome
// is always a readable Word document or a failure that names the file, with
// nothing written at the target and the source unchanged.
#include "EngineTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <iostream>
#include <sys/stat.h>

using namespace enginetest;

namespace {

class ConversionTest : public EngineTest {};

// What the engine writes reads as what LibreOffice's own command line
// writes for the same document: the samples (whose known texts catdoc
// reads), a real document with pictures and a page number, one with a delay
// code, and texts with page-number and page-count fields. A document is
// loaded without a layout, and those fields only get their values from one:
// documents with them are laid out, also one with a comment, for which the
// office builds a window of its own in the layout. Nothing is said to be
// lacking. The documents stay as they were, and nothing but the Word
// documents is left beside them.
TEST_F(ConversionTest, EveryDocumentReadsAsWhatTheOfficesOwnCommandLineWrites)
{
    QStringList files{QStringLiteral("pictures-wp6.wpd"), QStringLiteral("page-number.odt"),
                      QStringLiteral("page-number-comment.odt"), QStringLiteral("delay-code-wp6.wpd")};
    for (const Sample& sample : Samples())
        files << QString::fromLatin1(sample.file);
    const QString in = path(QStringLiteral("in")), ours = path(QStringLiteral("ours")),
                  theirs = path(QStringLiteral("theirs"));
    for (const QString& folder : {in, ours, theirs})
        ASSERT_TRUE(QDir().mkpath(folder));
    QStringList sources, names, words;
    QList<QByteArray> digests;
    for (const QString& file : files) {
        names << QFileInfo(file).completeBaseName() + QStringLiteral(".wpd");
        sources << copySample(file, QStringLiteral("in/") + names.last());
        words << QFileInfo(file).completeBaseName() + QStringLiteral(".doc");
        digests << Digest(sources.last());
    }

    // The command line, from cold with a profile of its own.
    QProcess office;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), path(QString()));
    office.setProcessEnvironment(environment);
    office.setProcessChannelMode(QProcess::MergedChannels);
    office.start(QStringLiteral("soffice"),
                 QStringList{QStringLiteral("-env:UserInstallation=file://") + path(QStringLiteral("profile")),
                             QStringLiteral("--headless"), QStringLiteral("--norestore"),
                             QStringLiteral("--convert-to"), QStringLiteral("doc"), QStringLiteral("--outdir"), theirs}
                     + sources);
    ASSERT_TRUE(office.waitForFinished(300000)) << office.readAll().toStdString();

    for (int i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(words[i].toStdString());
        const QString target = ours + QLatin1Char('/') + words[i];
        QString notes;
        ASSERT_TRUE(converts(sources[i], target, &notes));
        EXPECT_EQ(notes, QString());
        const QString text = WordText(target);
        EXPECT_FALSE(text.trimmed().isEmpty());
        EXPECT_EQ(text, WordText(theirs + QLatin1Char('/') + words[i]));
        EXPECT_EQ(Digest(sources[i]), digests[i]) << "the source changed";
        if (files[i].startsWith(QLatin1String("page-number"))) {
            EXPECT_TRUE(text.simplified().contains(QStringLiteral("This is page PAGE 2 of NUMPAGES 2")));
        }
        // A delay code is a function group in the text stream that holds the
        // codes it delays. The import reads such a group by its length and
        // passes over it: neither the code nor what it holds reaches the
        // document, so the clean-up macro has nothing to remove.
        if (files[i] == QLatin1String("delay-code-wp6.wpd")) {
            EXPECT_EQ(text, WordText(theirs + QStringLiteral("/sample-wp6.doc")));
        }
        if (i >= 4) {
            bool found = false;
            for (const QString& known : Samples().at(i - 4).texts)
                found = found || text.contains(known);
            EXPECT_TRUE(found) << text.left(400).toStdString();
        }
    }
    names.sort();
    words.sort();
    EXPECT_EQ(Entries(in), names);
    EXPECT_EQ(Entries(ours), words);
}


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
