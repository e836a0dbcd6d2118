// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QList>
#include <QString>

namespace engine {

// A clean-up macro in the engine's own small format, read from a file.
//
// The format, line by line (UTF-8 text):
//   - blank lines and lines starting with ";" are comments;
//   - the first other line is the header: TALLOWIN MACRO 1
//   - every further line is one command:
//       REPLACE "find" "replacement"          every occurrence of the text
//       REPLACE REGEX "pattern" "replacement" every match of an ICU regular
//                                             expression ($1.. in the replacement)
//       DELETE "find"                         the same as REPLACE with ""
//       DELETE REGEX "pattern"
//   - a text is written in double quotes; a doubled quote ("") inside it
//     stands for one quote character.
// Keywords ignore letter case. Searches match letter case exactly. The
// commands run in order, each over the whole document.
class MacroFile final {
public:
    struct Command {
        QString find;
        QString replacement;
        bool regex = false;
        bool operator==(const Command&) const = default;
    };

    // Reads and checks the macro at `path`. Raises a RuntimeError naming the
    // file (and the line) when it is missing, unreadable, not a regular file,
    // too large, or not a valid macro.
    static MacroFile Load(const QString& path);
    // Parses macro text; `name` is used in error descriptions.
    static MacroFile Parse(const QString& text, const QString& name);

    const QList<Command>& commands() const { return mCommands; }

private:
    QList<Command> mCommands;
};

} // namespace engine
