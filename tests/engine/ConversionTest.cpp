// Real documents through the whole road of a conversion job.
#include "EngineTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

using namespace enginetest;

namespace {

class ConversionTest : public EngineTest {};

TEST_F(ConversionTest, EverySampleBecomesAWordDocumentThatCatdocReads)
{
    for (const Sample& sample : Samples()) {
        SCOPED_TRACE(sample.file);
        const QString source = copySample(QString::fromLatin1(sample.file), QStringLiteral("in.wpd"));
        const QByteArray before = Digest(source);
        const QString target = path(QStringLiteral("out.doc"));
        ASSERT_TRUE(converts(source, target));
        const QString text = WordText(target);
        bool found = false;
        for (const QString& known : sample.texts)
            found = found || text.contains(known);
        EXPECT_TRUE(found) << text.left(400).toStdString();
        EXPECT_EQ(Digest(source), before) << "the source changed";
        EXPECT_EQ(Entries(mDir.path()), (QStringList{QStringLiteral("in.wpd"), QStringLiteral("out.doc")}));
        QFile::remove(source);
        QFile::remove(target);
    }
}

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
// writes for the same document: the samples, a real document with pictures
// and a page number, and a text with page-number and page-count fields.
TEST_F(ConversionTest, TheTextEqualsWhatTheOfficesOwnCommandLineWrites)
{
    const QStringList files{QStringLiteral("sample-wp6"), QStringLiteral("sample-wp50"), QStringLiteral("sample-wp51"),
                            QStringLiteral("pictures-wp6"), QStringLiteral("page-number")};
    const QString ours = path(QStringLiteral("ours")), theirs = path(QStringLiteral("theirs"));
    for (const QString& folder : {path(QStringLiteral("in")), ours, theirs})
        ASSERT_TRUE(QDir().mkpath(folder));
    QStringList sources;
    for (const QString& file : files)
        sources << copySample(file + (file == QStringLiteral("page-number") ? ".odt" : ".wpd"),
                              QStringLiteral("in/") + file + QStringLiteral(".wpd"));

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
        const QString name = QLatin1Char('/') + files[i] + QStringLiteral(".doc");
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(converts(sources[i], ours + name));
        const QString text = WordText(ours + name);
        EXPECT_FALSE(text.trimmed().isEmpty());
        EXPECT_EQ(text, WordText(theirs + name));
    }
}

} // namespace
