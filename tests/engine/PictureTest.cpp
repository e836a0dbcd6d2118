// The pictures embedded in WordPerfect documents, which the office's import
// drops, come through the conversion into the Word document.
#include "EngineTestSupport.h"
#include "OfficeInspector.h"

#include "engine/PictureProbe.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>

using namespace enginetest;

namespace {

// The picture sample's two frames (libwpd: svg:width x svg:height, in
// inches, as 1/100 mm) and the paragraphs their anchors stand in (libwpd
// opens each frame in its paragraph: the first before the paragraph's text,
// the second in an empty paragraph before the heading "7.4").
struct Frame {
    int width;
    int height;
    QString paragraphStart;
    QString nextParagraphStart;
};
const Frame kFirst{3810, 3036, QStringLiteral("Geen van de zojuist besproken interpolatietechnieken"), QString()};
const Frame kSecond{8255, 5611, QString(), QStringLiteral("7.4")};

// Word keeps sizes in its own units: a few hundredths of a millimetre off.
constexpr int kSizeTolerance = 10;

bool fits(const OfficeInspector::Graphic& graphic, const Frame& frame)
{
    return std::abs(graphic.width - frame.width) <= kSizeTolerance
           && std::abs(graphic.height - frame.height) <= kSizeTolerance
           && graphic.paragraph.startsWith(frame.paragraphStart)
           && (frame.paragraphStart.isEmpty() ? graphic.paragraph.trimmed().isEmpty() : true)
           && graphic.nextParagraph.startsWith(frame.nextParagraphStart);
}

QString describe(const QList<OfficeInspector::Graphic>& graphics)
{
    QString text;
    for (const auto& g : graphics)
        text += QStringLiteral("%1x%2 in \"%3\" before \"%4\"\n")
                    .arg(g.width)
                    .arg(g.height)
                    .arg(g.paragraph.left(40), g.nextParagraph.left(40));
    return text;
}

class PictureTest : public EngineTest {};

TEST_F(PictureTest, EveryPictureComesThroughInItsFrameAtItsParagraphAndTheTextStaysTheOfficesOwn)
{
    const struct {
        const char* file;
        int first;
        int second;
        const char* notes;
    } cases[] = {
        {"pictures-wp6.wpd", 1, 1, ""},
        {"pictures12-wp6.wpd", 6, 6, ""},       // each box six times
        {"picture-damaged-wp6.wpd", 1, 0, "1 picture could not be read and was left out"},
        {"sample-wp6.wpd", 0, 0, ""},           // no picture at all
    };
    const auto server = SharedServer();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString source = copySample(QString::fromLatin1(c.file), QStringLiteral("in.wpd"));
        const QString target = path(QStringLiteral("out.doc"));
        QString notes;
        const auto failure = Convert(server, source, target, MacroPath(), &notes);
        ASSERT_FALSE(failure) << failure->description().toStdString();
        EXPECT_EQ(notes, QString::fromLatin1(c.notes));

        const QList<OfficeInspector::Graphic> graphics = OfficeInspector::Shared().graphics(target);
        const auto count = [&](const Frame& frame) {
            return std::count_if(graphics.begin(), graphics.end(), [&](const auto& g) { return fits(g, frame); });
        };
        EXPECT_EQ(graphics.size(), c.first + c.second) << describe(graphics).toStdString();
        EXPECT_EQ(count(kFirst), c.first) << describe(graphics).toStdString();
        EXPECT_EQ(count(kSecond), c.second) << describe(graphics).toStdString();
        // WordPerfect's vector pictures stay vector pictures in Word.
        for (const auto& graphic : graphics)
            EXPECT_EQ(graphic.mimeType, QStringLiteral("image/x-wmf"));

        // The text is what the office's import alone gives (loaded as the
        // engine loads it).
        const QString alone = path(QStringLiteral("alone.doc"));
        OfficeInspector::Shared().convertAlone(source, alone);
        const QString text = WordText(target);
        EXPECT_FALSE(text.isEmpty());
        EXPECT_EQ(text, WordText(alone));
        for (const QString& name : {source, target, alone})
            QFile::remove(name);
    }
}

// Pictures anchored inside a paragraph's text and in a table cell: the
// first picture box of the sample copied after "Geen van de " in its own
// paragraph and into the cell "p=0,034" of the first table.
TEST_F(PictureTest, APictureLandsAtItsCharacterAndInItsTableCell)
{
    const QString source = copySample(QStringLiteral("pictures-placed-wp6.wpd"), QStringLiteral("in.wpd"));
    const QString target = path(QStringLiteral("out.doc"));
    QString notes;
    const auto failure = Convert(SharedServer(), source, target, MacroPath(), &notes);
    ASSERT_FALSE(failure) << failure->description().toStdString();
    EXPECT_EQ(notes, QString());
    QStringList places;
    for (const auto& g : OfficeInspector::Shared().graphics(target))
        places << QStringLiteral("%1x%2 mm after \"%3\" in \"%4\"")
                      .arg(qRound(g.width / 100.0))
                      .arg(qRound(g.height / 100.0))
                      .arg(g.beforeAnchor, g.paragraph.left(20));
    places.sort();
    EXPECT_EQ(places.join(QLatin1Char('\n')).toStdString(),
              QStringList({
                              QStringLiteral("38x30 mm after \"\" in \"Geen van de zojuist \""),
                              QStringLiteral("38x30 mm after \"\" in \"p=0,034\""),
                              QStringLiteral("38x30 mm after \"Geen van de \" in \"Geen van de zojuist \""),
                              QStringLiteral("83x56 mm after \"\" in \"\""),
                          })
                  .join(QLatin1Char('\n'))
                  .toStdString());
}

// A macro with commands has the document loaded again, with a view: the
// pictures come back with it.
TEST_F(PictureTest, PicturesSurviveTheReloadForAMacroWithCommands)
{
    const QString macro = path(QStringLiteral("replace.wcm"));
    WriteFile(macro, "TALLOWIN MACRO 1\nREPLACE \"qqzzqq\" \"x\"\n");
    const QString source = copySample(QStringLiteral("pictures-wp6.wpd"), QStringLiteral("in.wpd"));
    const QString target = path(QStringLiteral("out.doc"));
    QString notes;
    const auto failure = Convert(SharedServer(), source, target, macro, &notes);
    ASSERT_FALSE(failure) << failure->description().toStdString();
    EXPECT_EQ(notes, QString());
    EXPECT_EQ(OfficeInspector::Shared().graphics(target).size(), 2);
}

QByteArray sample(const char* file)
{
    return ReadFile(DataPath(QString::fromLatin1(file)));
}

// The WordPerfect 5.0 sample with its graphics information packet (type 8,
// which counts its pictures in its first two bytes) saying it holds one.
QByteArray wordPerfect5WithAPicture()
{
    QByteArray bytes = sample("sample-wp50.wpd");
    // Its index: blocks of 10-byte entries from offset 16; the packet sits
    // where its entry says.
    for (qint64 block = 16; block != 0;) {
        const int entries = qFromLittleEndian<quint16>(bytes.constData() + block + 2);
        for (int i = 1; i < entries; ++i) {
            const char* entry = bytes.constData() + block + 10 * i;
            if (qFromLittleEndian<quint16>(entry) == 8) {
                const quint32 at = qFromLittleEndian<quint32>(entry + 6);
                bytes[at] = 1;
                return bytes;
            }
        }
        block = qFromLittleEndian<quint32>(bytes.constData() + block + 6);
    }
    return {};
}

TEST(PictureProbeTest, TellsFromThePrefixAloneWhichDocumentsMayHoldPictures)
{
    const QByteArray pictures = sample("pictures-wp6.wpd");
    const struct {
        const char* what;
        QByteArray bytes;
        bool mayHave;
    } cases[] = {
        {"WordPerfect 6 with pictures", pictures, true},
        {"WordPerfect 6 with a damaged picture", sample("picture-damaged-wp6.wpd"), true},
        {"WordPerfect 6 without", sample("sample-wp6.wpd"), false},
        {"WordPerfect 5.0 without", sample("sample-wp50.wpd"), false},
        {"WordPerfect 5.1 without", sample("sample-wp51.wpd"), false},
        {"WordPerfect 5.0 with a picture", wordPerfect5WithAPicture(), true},
        {"a prefix cut inside the index: maybe", pictures.left(1024), true},
        {"a header alone: maybe", pictures.left(16), true},
        {"not WordPerfect", sample("text.odt"), false},
        {"empty", QByteArray(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray bytes = c.bytes;
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_EQ(engine::PictureProbe::MayHavePictures(buffer), c.mayHave);
    }
}

} // namespace
