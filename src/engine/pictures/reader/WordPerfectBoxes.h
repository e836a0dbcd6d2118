// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QByteArray>
#include <vector>

namespace engine {

// The boxes of a WordPerfect 6+ document as its text stream states them:
// what each box is anchored to, by its function code, and its size where
// the box overrides its style's. libwpd takes the anchoring from the box
// style's positioning flags instead; when it cannot read the style it
// reports a box anchored to its paragraph as anchored to the page. The
// pictures' placement corrects that with what is found here.
class WordPerfectBoxes final {
public:
    enum class Anchor { Character, Paragraph, Page };
    struct Box {
        Anchor anchor;
        int width = 0;  // WordPerfect units (1/1200 inch); 0 when the style gives it
        int height = 0;
    };

    // The boxes in the order they stand in the document's text, read from
    // the whole file. A file that is not a WordPerfect 6+ document has none.
    static std::vector<Box> Scan(const QByteArray& file);
};

} // namespace engine
