// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

// The paths the user has chosen, shared by both modes: the last writer wins.
// No operation checks or changes its text.
class Source {
public:
    QString TgtFolder;
    QString SrcFolder;
    QString SrcFile;
    QString TgtFile;

    void SetSourceFolder(const QString& s) { SrcFolder = s; }
    QString GetSourceFolder() const { return SrcFolder; }
    void SetTgtFolder(const QString& s) { TgtFolder = s; }
    QString GetTgtFolder() const { return TgtFolder; }
    void SetSourceFile(const QString& s) { SrcFile = s; }
    QString GetSourceFile() const { return SrcFile; }
    void SetTgtFile(const QString& s) { TgtFile = s; }
    QString GetTgtFile() const { return TgtFile; }
};
