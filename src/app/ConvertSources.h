// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <vector>

struct ConvertOptions;

// The documents "tallowin --convert" converts: what its paths name, each
// once, in order, each with the place its Word file takes under the target.
//
// A folder gives the documents the extension list accepts, as batch mode
// finds them (its own files first, then, with `recursive`, each subfolder's
// in turn; links to folders are not followed, so nothing is found twice);
// any other path is one document, whatever its extension. The place of a
// document is its folder relative to the base: the --base folder when there
// is one (a path outside it is refused), else the folder given it was found
// in; a document given by name without --base goes to the top.
class ConvertSources final {
public:
    struct Document {
        QString path;     // absolute
        QString relative; // its place under the target: "" or "2019/a"
    };

    // `base`: absolute, or empty.
    ConvertSources(const ConvertOptions& options, QString base);

    // Gathers what the paths name, reading "-" from `input`. False on a
    // path outside the base, which error() then names.
    bool Gather(std::FILE* input);

    const std::vector<Document>& documents() const { return mDocuments; }
    // Files of the folders that were left out because of their extension.
    int leftOut() const { return mLeftOut; }
    const QString& error() const { return mError; }

    // The paths read from `input`, one a line; blank lines are skipped.
    static QStringList ReadPaths(std::FILE* input);

private:
    bool addPath(const QString& path);
    void addFolder(const QString& folder, const QString& relative);
    void add(const QString& document, const QString& relative);
    // `path` relative to the base, or nothing outside it.
    bool relativeToBase(const QString& path, QString& relative);

    const ConvertOptions& mOptions;
    const QString mBase;
    std::vector<Document> mDocuments;
    QSet<QString> mSeen;
    int mLeftOut = 0;
    QString mError;
};
