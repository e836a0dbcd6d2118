// Real documents through the whole road of a conversion job.
#include "EngineTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

using namespace enginetest;

namespace {

class ConversionTest : public EngineTest {};

// A delay code is a function group in the text stream that holds the codes
// it delays. The import reads such a group by its length and passes over it:
// neither the code nor what it holds reaches the document, so the clean-up
// macro has nothing to remove.
TEST_F(ConversionTest, ADelayCodeLeavesNothingInTheConvertedDocument)
{
    const QString plain = copySample(QStringLiteral("sample-wp6.wpd"), QStringLiteral("plain.wpd"));
    const QString delayed = copySample(QStringLiteral("delay-code-wp6.wpd"), QStringLiteral("delayed.wpd"));
    ASSERT_TRUE(converts(plain, path(QStringLiteral("plain.doc"))));
    ASSERT_TRUE(converts(delayed, path(QStringLiteral("delayed.doc"))));
    const QString text = WordText(path(QStringLiteral("delayed.doc")));
    EXPECT_FALSE(text.contains(QStringLiteral("DELAYED")));
    EXPECT_EQ(text, WordText(path(QStringLiteral("plain.doc"))));
}

// A document is loaded without a layout; page numbers and page counts only
// get their values from one. Documents with such fields are laid out, so the
// Word document shows what the office's own conversion shows; also one with
// a comment, for which the office builds a window of its own in the layout.
TEST_F(ConversionTest, PageNumberFieldsKeepTheirValues)
{
    for (const QString& file : {QStringLiteral("page-number.odt"), QStringLiteral("page-number-comment.odt")}) {
        SCOPED_TRACE(file.toStdString());
        const QString target = path(file + QStringLiteral(".doc"));
        QString notes;
        ASSERT_TRUE(converts(copySample(file, file + QStringLiteral(".wpd")), target, &notes));
        EXPECT_EQ(notes, QString());
        const QString text = WordText(target).simplified();
        EXPECT_TRUE(text.contains(QStringLiteral("This is page PAGE 2 of NUMPAGES 2"))) << text.toStdString();
    }
}

// What the engine writes reads as what LibreOffice's own command line
// writes for the same document: the samples (whose known texts catdoc
// reads), a real document with pictures and a page number, and a text with
// page-number and page-count fields. The documents stay as they were, and
// nothing but the Word documents is left beside them.
TEST_F(ConversionTest, EveryDocumentReadsAsWhatTheOfficesOwnCommandLineWrites)
{
    QStringList files{QStringLiteral("pictures-wp6.wpd"), QStringLiteral("page-number.odt")};
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
        ASSERT_TRUE(converts(sources[i], target));
        const QString text = WordText(target);
        EXPECT_FALSE(text.trimmed().isEmpty());
        EXPECT_EQ(text, WordText(theirs + QLatin1Char('/') + words[i]));
        EXPECT_EQ(Digest(sources[i]), digests[i]) << "the source changed";
        if (i >= 2) {
            bool found = false;
            for (const QString& known : Samples().at(i - 2).texts)
                found = found || text.contains(known);
            EXPECT_TRUE(found) << text.left(400).toStdString();
        }
    }
    names.sort();
    words.sort();
    EXPECT_EQ(Entries(in), names);
    EXPECT_EQ(Entries(ours), words);
}

} // namespace
