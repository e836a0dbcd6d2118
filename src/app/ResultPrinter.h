// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>

// One document's outcome as the command line reports it.
struct ConvertResult {
    QString source;
    QString status; // "Converted", "Failed" or "Skipped"
    QString target; // the Word file (converted, skipped)
    QString reason; // why it failed (or what a converted one lacks)
};

// The command line's output: one line per document on standard output, as
// tab-separated fields (source, status, target or reason; a converted
// document whose Word file leaves something out has that reason as a fourth
// field) or as a JSON object (JSON Lines), and the progress line on a
// terminal.
//
// A line is one line whatever the names: in text, tabs, newlines and other
// control characters in a field are written as \t, \n and \xNN, and a
// backslash as \\; bytes of a name that are not UTF-8 are written as they are,
// so that a script gets back the names it can open. JSON stays valid for
// every name: such a name's text has U+FFFD for those bytes, and the exact
// bytes go into "<key>_bytes" (base64).
//
// The progress line is drawn on its own line of the terminal and cleared
// before a result line is printed, then drawn again.
class ResultPrinter final {
public:
    // `progress`: the terminal's stream, or null for no progress line.
    ResultPrinter(bool json, std::FILE* output, std::FILE* progress);

    // Prints the line, and, with `flush`, hands it on at once (a script
    // reading the lines sees each document as it ends).
    void print(const ConvertResult& result, bool flush = true);
    void flush();
    // Shows `text` as the progress line; with `draw` false, only from the
    // next result line on.
    void showProgress(const QString& text, bool draw = true);
    // Clears the progress line for good.
    void endProgress();

    // A field of a text line, escaped as above.
    static QString Escaped(const QString& field);
    // The fields of a text line.
    static QStringList Fields(const ConvertResult& result);
    // The JSON Lines form, without the newline.
    static QByteArray Json(const ConvertResult& result);

private:
    void drawProgress(const QString& text);

    bool mJson;
    std::FILE* mOutput;
    std::FILE* mProgress;
    QString mProgressText;
};
