// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "conversion/Automation.h"

#include <QString>
#include <QStringList>

// What "tallowin --convert" is asked to do (see ConvertCommand).
struct ConvertOptions {
    // Documents and folders, in order; "-" (at most once) stands for the
    // paths read from standard input, one per line.
    QStringList paths;
    // The folder the Word files go to; empty: each next to its document.
    QString target;
    // The folder relative places under the target are taken from, for every
    // path; empty: a folder given is its own documents' base, and a document
    // given goes straight into the target.
    QString base;
    // Folders given are descended (symbolic links to folders are not).
    bool recursive = false;
    // A document whose Word file exists and is newer is skipped.
    bool skipExisting = false;
    // The format written (Automation's codes).
    qint16 format = Automation::WordFormat;
    // The extensions a folder yields for this run; empty: the extension
    // list as the program starts with it ("wpd").
    QStringList extensions;
    // JSON Lines instead of tab-separated text lines.
    bool json = false;
    // No progress line and no summary.
    bool quiet = false;
};
