// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>

// A stateless helper for path texts, temporary files and file operations.
// Every user makes its own instance when it needs one and drops it afterwards.
//
// Path texts come in two styles. Native is the style of this host ("/" as the
// only separator, no drives) and is what the program uses. Windows style
// ("\" as separator, ":" after a drive letter) reads and builds Windows path
// texts; it exists for texts written that way and works on text only: the
// operations that touch the file system hand their path to this host as it
// is, whatever the style.
//
// Operations whose failures are shown to the user (DeleteFile, CopyFile,
// MoveFile, MakeDIR, RemoveDIR, fnGetTempPath) show their message and return
// normally; the caller is not told. Operations whose failures are ignored
// give their documented fallback result. None of them throws.
class clsFileSystem final {
public:
    enum class PathStyle { Windows, Native };

    explicit clsFileSystem(PathStyle style = PathStyle::Native);

    PathStyle Style() const { return mStyle; }

    // "/" natively, "\" in Windows style.
    QString Separator() const;
    // `folder` and `name` with exactly one separator between them: when the
    // folder already ends with the separator (a root such as "/" or "C:\")
    // the name follows directly. An empty folder gives the name alone.
    QString JoinPath(const QString& folder, const QString& name) const;

    // Creates a new, empty temporary file and returns its full path. Blanks
    // around the arguments are dropped; a folder argument of two or more
    // characters is the folder to use (a separator is appended when it does
    // not end with one), otherwise the program's private temporary folder
    // (in its run folder, see platform::RunFolder) is used. The file is open
    // to the user alone (0600). The
    // name is at most the first three characters of `sOptPrefix`, a
    // hexadecimal number and ".TMP". On failure the error-report box is shown
    // and the empty text returned.
    QString fnGetTempPath(const QString& sOptPrefix = QString(), const QString& sOptDir = QString()) const;

    // The extension without its dot, one to four characters long, found by
    // looking at the last five characters only, or "Unknown". Case is kept.
    QString GetFileExtension(const QString& FileName) const;
    // The file name without its last extension; with IncludePath the whole
    // text without its last extension.
    QString GetFileBaseName(const QString& FileName, bool IncludePath = false) const;
    // The part after the last separator (empty when the text ends with one);
    // the whole text when it holds no separator.
    QString GetFileName(const QString& Path) const;
    // The folder part up to and including the last separator; the separator
    // alone when the text holds none.
    QString GetPath(const QString& PathFile) const;

    // Deletes the file (a link itself, not what it names); on failure shows
    // "Error deleting File". A folder or a read-only file is not deleted.
    void DeleteFile(const QString& FileName) const;

    // True when a file or folder of that path exists.
    bool FileExist(const QString& strFile) const;
    // True only for the bare name of an existing, not hidden file in the
    // current folder.
    bool FileReal(const QString& FileName) const;
    // When FileReal(FileName), asks "Overwrite File?" and on Yes deletes the
    // file. Nothing is written.
    void Save(const QString& FileName) const;

    // "123B" below 1024 bytes, "1.5KB" from there on (four decimals at most,
    // the locale's decimal separator); "0B" when the size cannot be read.
    QString GetFileSize(const QString& FileName) const;

    // The attribute value's name when it is exactly one attribute, else the
    // value in decimal; "Unknown" when the file cannot be examined.
    QString GetAttrib(const QString& FileName) const;
    // Set the attributes to exactly the one named, replacing the others, as
    // far as this host can hold them. Failures are ignored.
    void SetReadOnly(const QString& FileName) const;
    void SetHidden(const QString& FileName) const;
    void SetSystem(const QString& FileName) const;
    void SetNormal(const QString& FileName) const;

    // Date and time of the last change in the locale's short date and time
    // format; the empty text when it cannot be read.
    QString GetFileDate(const QString& FileName) const;

    // Copies Source to Destination, replacing an existing destination file
    // unless it is read-only; on failure shows "Error copying File" and
    // leaves the destination as it was. A file is never copied onto itself.
    void CopyFile(const QString& Source, const QString& Destination) const;
    // Copies Source to Destination, then deletes Source; the source is
    // deleted only after the copy succeeded. On failure shows
    // "Error moving File".
    void MoveFile(const QString& Source, const QString& Destination) const;

    // Creates one folder; on failure shows "Error creating Directory".
    void MakeDIR(const QString& Path) const;
    // Removes an empty folder; on failure shows "Error removing Directory".
    void RemoveDIR(const QString& Path) const;

    // Closes every file the program holds open by file number. The program
    // keeps no such files (each file it writes is closed by the object that
    // wrote it), so there is nothing to close.
    void CloseAllFiles() const;

    // The attribute values and their names.
    enum Attribute : int {
        Normal = 0,
        ReadOnly = 1,
        Hidden = 2,
        System = 4,
        Volume = 8,
        Directory = 16,
        Archive = 32,
        Alias = 64,
    };

private:
    bool IsSeparator(QChar c) const;

    PathStyle mStyle;
};
