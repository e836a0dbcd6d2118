// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

class QIODevice;

namespace engine {

// Tells from a WordPerfect document's prefix alone (its header and packet
// index, never its text or its pictures' data) whether the document may
// carry embedded pictures, so that a document without any costs no more than
// reading a few kilobytes.
//
//   WordPerfect 6 and later  the index names a "graphics cached file data"
//                            packet (type 0x6F) that holds data
//   WordPerfect 5.x          a "graphics information" packet (type 8)
//                            counts at least one picture
//
// A prefix that cannot be read to its end (a damaged index) answers "maybe"
// (true): the full reader decides. Other files (other WordPerfect versions,
// other formats) answer false.
class PictureProbe final {
public:
    PictureProbe() = delete;

    static bool MayHavePictures(const QString& path) { return Declared(path) > 0; }
    // `file` is open for reading and can seek.
    static bool MayHavePictures(QIODevice& file) { return Declared(file) > 0; }

    // How many pictures the prefix declares (6+: the packets of picture
    // data; 5.x: the graphics information packet's count), 1 for "maybe",
    // 0 for none: what is left out when the pictures cannot be read at all.
    static int Declared(const QString& path);
    static int Declared(QIODevice& file);
};

} // namespace engine
