// What keeps the picture reader small and shut in, and what the engine
// accepts of its answer: no office needed.
#include "EngineTestSupport.h"

#include "engine/pictures/reader/BitmapBudget.h"
#include "engine/pictures/reader/PictureConverter.h"
#include "engine/pictures/reader/PictureReaderSandbox.h"
#include "engine/pictures/reader/PictureTransfer.h"

#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using engine::PictureTransfer;

namespace {

QByteArray le16(int value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian<quint16>(quint16(value), bytes.data());
    return bytes;
}

// A WordPerfect Graphics picture of `version` whose records follow its
// header; libwpg reads 26 bytes of header, whatever the records.
QByteArray wpg(int version, const QByteArray& records)
{
    QByteArray header("\xFFWPC\x10\x00\x00\x00\x01\x16\x00\x00\x00\x00\x00\x00", 16);
    header[10] = char(version);
    return header + records + QByteArray(10, '\0');
}

QByteArray record1(int type, const QByteArray& data) // WPG 1: type, length, data
{
    return char(type) + ("\xFF" + le16(int(data.size()))) + data;
}

QByteArray record2(int type, const QByteArray& data) // WPG 2: class, type, extension, length
{
    return QByteArray("\x1B", 1) + char(type) + QByteArray(1, '\0') + ("\xFF" + le16(int(data.size()))) + data;
}

QByteArray wpg2Bitmap(int width, int height, const QByteArray& runs)
{
    return wpg(2, record2(0x0E, le16(width) + le16(height) + "\x01\x01" + runs));
}

QByteArray bmp(qint32 width, qint32 height)
{
    QByteArray file("BM", 2);
    file += QByteArray(12, '\0');
    QByteArray info(40, '\0');
    info[0] = 40;
    qToLittleEndian(width, info.data() + 4);
    qToLittleEndian(height, info.data() + 8);
    return file + info;
}

// Every kind of bitmap is costed by what it declares, before libwpg reads
// it; one over the budget is too large, and libwpg never sees it.
TEST(BitmapBudgetTest, BitmapsAreCostedByWhatTheyDeclare)
{
    const QByteArray runs = QByteArray("\x7F\xFF").repeated(64);
    const struct {
        const char* what;
        QByteArray picture;
        bool fits;
    } cases[] = {
        {"WPG 2, 2048 x 2048, one bit", wpg2Bitmap(2048, 2048, runs), true},
        {"WPG 2, 65535 x 500", wpg2Bitmap(65535, 500, runs), false},
        {"WPG 2, 1000 x 1000, runs switching to 255-byte items", wpg2Bitmap(1000, 1000, "\x7D\xFF" + runs), false},
        {"WPG 1, 32767 x 32767", wpg(1, record1(0x0B, le16(32767) + le16(32767) + le16(1) + le16(72) + le16(72))), false},
        {"WPG 1 type 2, 100 x 100", wpg(1, record1(0x14, QByteArray(10, '\0') + le16(100) + le16(100) + le16(8))), true},
        {"WPG 2 image, BMP of 30000 x 30000", wpg(2, record2(0x12, le16(0) + bmp(30000, -30000))), false},
        {"WPG 2 image, BMP of 640 x 480", wpg(2, record2(0x12, le16(0) + bmp(640, 480))), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(engine::BitmapBudget::Of(c.picture).largest <= engine::BitmapBudget::kBudget, c.fits);
        if (!c.fits) {
            EXPECT_EQ(engine::PictureConverter::Convert(c.picture, QStringLiteral("image/x-wpg")).outcome,
                      engine::PictureConverter::Outcome::TooLarge);
        }
    }
}

PictureTransfer::Received read(const QByteArray& bytes, qint64 limit = 1 << 20)
{
    qsizetype at = 0;
    return PictureTransfer::Read(
        [&](char* into, qsizetype length) {
            if (length > bytes.size() - at)
                return false;
            std::memcpy(into, bytes.constData() + at, size_t(length));
            at += length;
            return true;
        },
        limit);
}

// The answer reads back as it was written; anything cut short, out of
// order, out of range or over the limit ends the reading.
TEST(PictureTransferTest, TheAnswerReadsBackAndNothingElseIsTaken)
{
    using Stop = PictureTransfer::Received::Stop;
    const auto converted = engine::PictureConverter::Outcome::Converted;
    engine::EmbeddedPicture frame;
    frame.width = 2.5;
    frame.anchorType = QStringLiteral("char");
    frame.element = 3;
    frame.offset = 5;
    const QByteArray frames = PictureTransfer::Greeting() + PictureTransfer::Frames({frame, frame}, {0, 0}, 1, 1, 2);
    const QByteArray picture = PictureTransfer::Picture(0, converted, QStringLiteral("image/x-wmf"), "metafile");
    const QByteArray whole = frames + picture + PictureTransfer::End();

    const PictureTransfer::Received got = read(whole);
    ASSERT_EQ(got.stop, Stop::End);
    ASSERT_EQ(got.frames.size(), 2);
    EXPECT_EQ(got.frames[1].width, 2.5);
    EXPECT_EQ(got.frames[1].anchorType, QStringLiteral("char"));
    EXPECT_EQ(got.frames[1].element, 3);
    EXPECT_EQ(got.frames[1].offset, 5);
    EXPECT_EQ(got.pictureOf, QList<int>({0, 0}));
    EXPECT_EQ(got.unread, 1);
    EXPECT_EQ(got.unplaced, 2);
    ASSERT_TRUE(got.pictures.value(0));
    EXPECT_EQ(got.pictures[0]->data, QByteArray("metafile"));

    frame.element = -5;
    const struct {
        const char* what;
        QByteArray bytes;
        Stop stop;
    } cases[] = {
        {"cut short", whole.chopped(3), Stop::SourceEnded},
        {"another format", "TPR\x02" + whole.mid(4), Stop::Malformed},
        {"a picture before the frames", PictureTransfer::Greeting() + picture, Stop::Malformed},
        {"a picture no frame shows", frames + PictureTransfer::Picture(1, converted, QStringLiteral("image/png"), "x"), Stop::Malformed},
        {"a type the office is not given", frames + PictureTransfer::Picture(0, converted, QStringLiteral("text/html"), "x"), Stop::Malformed},
        {"a converted picture without data", frames + PictureTransfer::Picture(0, converted, QStringLiteral("image/png")), Stop::Malformed},
        {"a place out of range", PictureTransfer::Greeting() + PictureTransfer::Frames({frame}, {0}, 1, 0, 0), Stop::Malformed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(read(c.bytes).stop, c.stop);
    }
    EXPECT_EQ(read(whole, frames.size() + 8).stop, Stop::OverLimit);
}

// Once shut in, the reader opens no file, no socket and no program, and
// still has its memory and its output.
TEST(PictureReaderSandboxTest, TheReaderCanOpenNothing)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (!engine::PictureReaderSandbox::Enter())
            ::_exit(10);
        if (::open("/etc/passwd", O_RDONLY) >= 0 || errno != EACCES)
            ::_exit(11);
        if (::socket(AF_UNIX, SOCK_STREAM, 0) >= 0 || errno != EACCES)
            ::_exit(12);
        char* const argv[] = {const_cast<char*>("/bin/true"), nullptr};
        if (::execve(argv[0], argv, argv + 1) == 0 || errno != EACCES)
            ::_exit(13);
        std::vector<char> memory(64 << 20, 'x');
        ::_exit(::write(STDERR_FILENO, memory.data(), 0) == 0 ? 0 : 14);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
