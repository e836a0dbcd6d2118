// SPDX-License-Identifier: MPL-2.0
// The picture reader's room (engine/pictures/reader): this program and what
// it links besides the drawing (../drawing), no office and no UNO.
//
// The picture reader: reads the pictures embedded in one WordPerfect
// document with libwpd and converts them with libwpg, for the engine, in a
// process of its own (see PictureReader, which starts it with its limits).
//
//   tallowin-picture-reader < document > answer
//
// It reads the document from its standard input, shuts itself in
// (PictureReaderSandbox) before it parses any of it, and writes its answer
// (PictureTransfer) to its standard output: the frames first, then each
// different picture once, as soon as it is converted, so that memory holds
// one converted picture at a time. An allocation that fails ends it with
// PictureTransfer::kOutOfMemory. The options --hang-for-tests and
// --exhaust-memory-for-tests make it misbehave after the frames, for tests.
#include "engine/pictures/reader/BitmapBudget.h"
#include "engine/pictures/reader/PictureCollector.h"
#include "engine/pictures/reader/PictureConverter.h"
#include "engine/pictures/reader/PictureReaderSandbox.h"
#include "engine/pictures/reader/PictureTransfer.h"
#include "platform/files/TempFiles.h"

#include <QHash>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <malloc.h>
#include <new>
#include <unistd.h>
#include <vector>

using namespace engine;

namespace {

std::optional<QByteArray> readAll(int fd)
{
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            return bytes;
        if (got < 0 && errno != EINTR)
            return std::nullopt;
        if (got > 0)
            bytes.append(buffer, got);
    }
}

// The different pictures the frames show: boxes that show the same picture
// share its data (WordPerfect keeps one packet for them), which is converted
// and sent once. The frames keep no data.
struct Different {
    QList<QByteArray> data;
    QList<QString> types;
    QList<int> of; // the picture each frame shows
};

Different differentPictures(QList<EmbeddedPicture>& frames)
{
    Different pictures;
    QHash<QByteArray, int> known;
    for (EmbeddedPicture& frame : frames) {
        auto at = known.constFind(frame.data);
        if (at == known.constEnd()) {
            at = known.insert(frame.data, int(pictures.data.size()));
            pictures.data.append(frame.data);
            pictures.types.append(frame.mimeType);
        }
        pictures.of.append(*at);
        frame.data = QByteArray();
    }
    return pictures;
}

// Tests: sleeps until killed; allocates (without using) up to 64 GiB, which
// only a memory limit stops.
void misbehave(bool hang, bool exhaust)
{
    while (hang) {
        const timespec second{1, 0};
        ::nanosleep(&second, nullptr);
    }
    std::vector<void*> taken;
    for (int i = 0; exhaust && i < 1024; ++i)
        taken.push_back(::operator new(std::size_t(64) << 20));
    for (void* block : taken)
        ::operator delete(block);
}

// Which pictures declare bitmaps over their budget, and where in the
// document they begin.
struct OverBudget {
    QList<bool> tooLarge; // per picture
    QList<qint64> at;
};

OverBudget overBudget(const Different& pictures, const QByteArray& document)
{
    OverBudget over;
    for (qsizetype i = 0; i < pictures.data.size(); ++i) {
        over.tooLarge.append(pictures.types[i] == QLatin1String("image/x-wpg")
                             && BitmapBudget::Of(pictures.data[i]).largest > BitmapBudget::kBudget);
        if (const qsizetype at = over.tooLarge.back() ? document.indexOf(pictures.data[i]) : -1; at >= 0)
            over.at.append(at);
    }
    return over;
}

// Converts and sends the pictures one by one, each dropped once sent, in
// the `room` the answer has left; false when the pipe failed.
bool sendPictures(Different& pictures, const QList<bool>& tooLarge, qint64 room)
{
    for (qsizetype i = 0; i < pictures.data.size(); ++i) {
        const PictureConverter::Result converted =
            tooLarge[i] ? PictureConverter::Result{PictureConverter::Outcome::TooLarge, {}}
                        : PictureConverter::Convert(pictures.data[i], pictures.types[i],
                                                    room - PictureTransfer::kPictureMessageBytes);
        pictures.data[i] = QByteArray();
        const QByteArray message = PictureTransfer::Picture(int(i), converted.outcome, converted.picture.mimeType,
                                                            converted.picture.data);
        room -= message.size();
        if (platform::WriteAll(STDOUT_FILENO, message) != 0)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::set_new_handler([] { ::_exit(PictureTransfer::kOutOfMemory); });
    // A process this short keeps what it frees for its next allocation:
    // returning memory to the kernel and taking it back costs it a page
    // fault a page.
    ::mallopt(M_MMAP_THRESHOLD, 64 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 256 << 20);
    bool hang = false;
    bool exhaust = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hang-for-tests") == 0)
            hang = true;
        else if (std::strcmp(argv[i], "--exhaust-memory-for-tests") == 0)
            exhaust = true;
        else
            return 2;
    }
    std::optional<QByteArray> document = readAll(STDIN_FILENO);
    if (!document)
        return 1;
    PictureReaderSandbox::Enter();

    PictureCollector::Result found = PictureCollector::Collect(*document);
    const qint64 limit = PictureTransfer::Limit(document->size());
    Different pictures = differentPictures(found.pictures);
    // Pictures whose bitmaps declare more than their budget are not
    // converted, and the engine keeps the office's own import from them:
    // where they begin in the document goes with the frames.
    const OverBudget over = overBudget(pictures, *document);
    document.reset();
    const QByteArray frames = PictureTransfer::Greeting()
                              + PictureTransfer::Frames(found.pictures, pictures.of, int(pictures.data.size()),
                                                        found.unread, found.unplaced, over.at);
    if (platform::WriteAll(STDOUT_FILENO, frames) != 0)
        return 1;
    misbehave(hang, exhaust);

    // What the answer may still take after the frames and the end.
    if (!sendPictures(pictures, over.tooLarge, limit - frames.size() - PictureTransfer::End().size()))
        return 1;
    return platform::WriteAll(STDOUT_FILENO, PictureTransfer::End()) == 0 ? 0 : 1;
}
