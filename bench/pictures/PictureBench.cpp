// SPDX-License-Identifier: MPL-2.0
// Times the engine's own work for the pictures embedded in WordPerfect
// documents, without the office (the office's part, inserting them and
// writing them into the Word document, is in bench_engine --sample):
//
//  - the look at the prefix (PictureProbe) that every WordPerfect document
//    pays, on the samples without pictures;
//  - reading the pictures with libwpd and converting them (PictureCollector,
//    PictureConverter) in this process, on the picture samples: wall and
//    CPU time; and the same through the picture reader, the process the
//    engine runs it in while the office loads the document (PictureReader:
//    its start, its work, its answer through the pipe), wall time;
//  - the check of a Word file (WordFileContents), which every converted
//    document pays, on the Word file of the picture sample.
//
//   bench_pictures [rounds=20]
#include "engine/document/WordFileContents.h"
#include "engine/pictures/reader/PictureCollector.h"
#include "engine/pictures/reader/PictureConverter.h"
#include "engine/pictures/PictureProbe.h"
#include "engine/pictures/PictureReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

QString sample(const char* file)
{
    return QStringLiteral(TALLOWIN_SAMPLE_DIR "/") + QString::fromLatin1(file);
}

double cpuMs()
{
    timespec t {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = std::max(1, argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20);

    for (const char* file : {"sample-wp6.wpd", "sample-wp50.wpd", "sample-wp51.wpd", "pictures-wp6.wpd"}) {
        const QString path = sample(file);
        constexpr int kCalls = 2000;
        bool mayHave = false;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kCalls; ++i)
            mayHave = engine::PictureProbe::MayHavePictures(path);
        std::printf("probe %-24s %s  %6.1f us per document\n", file, mayHave ? "may have pictures" : "no pictures      ",
                    double(clock.nsecsElapsed()) / 1e3 / kCalls);
    }

    {
        const QString word = sample("pictures-wp6.doc");
        constexpr int kReads = 500;
        QString whyNot;
        engine::WordFileContents contents;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kReads; ++i)
            contents = engine::WordFileContents::Read(word, &whyNot);
        std::printf("check pictures-wp6.doc (%lld KB): %d pictures, %d letters; %6.1f us per Word file\n",
                    QFileInfo(word).size() / 1024, contents.pictures, contents.letters,
                    double(clock.nsecsElapsed()) / 1e3 / kReads);
    }

    for (const char* file : {"pictures-wp6.wpd", "business-plan-wp6.wpd"}) {
        const QString path = sample(file);
        std::vector<double> collectWall, collectCpu, convertWall, convertCpu, readerWall;
        int pictures = 0;
        int converted = 0;
        for (int round = 0; round < rounds; ++round) {
            QElapsedTimer clock;
            clock.start();
            double cpu = cpuMs();
            const engine::PictureCollector::Result found = engine::PictureCollector::Collect(path);
            collectWall.push_back(double(clock.nsecsElapsed()) / 1e6);
            collectCpu.push_back(cpuMs() - cpu);
            clock.restart();
            cpu = cpuMs();
            converted = 0;
            for (const engine::EmbeddedPicture& picture : found.pictures)
                converted += engine::PictureConverter::Convert(picture.data, picture.mimeType).outcome
                                     == engine::PictureConverter::Outcome::Converted;
            convertWall.push_back(double(clock.nsecsElapsed()) / 1e6);
            convertCpu.push_back(cpuMs() - cpu);
            pictures = int(found.pictures.size());
            clock.restart();
            const engine::PictureReader::Result read =
                engine::PictureReader::Read(path, engine::PictureProbe::Declared(path));
            readerWall.push_back(double(clock.nsecsElapsed()) / 1e6);
            if (read.pictures.size() != pictures)
                std::printf("the picture reader gave %d of %d pictures\n", int(read.pictures.size()), pictures);
        }
        std::printf("%-20s %2d pictures (%2d converted): read %6.1f ms (CPU %6.1f), convert %6.1f ms (CPU %6.1f); "
                    "both in the picture reader %6.1f ms; medians of %d rounds\n",
                    file, pictures, converted, median(collectWall), median(collectCpu), median(convertWall),
                    median(convertCpu), median(readerWall), rounds);
    }
    return 0;
}
