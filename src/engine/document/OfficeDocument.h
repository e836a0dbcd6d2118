// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "engine/document/MacroFile.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <rtl/ustring.hxx>
#include <sys/types.h>

#include <com/sun/star/lang/XComponent.hpp>

namespace platform {
class RunFolder;
}

namespace engine {

// The document room (engine/document): one document in an office.
// OfficeDocument is the document itself (its loads, text, macro, saves and
// the check of its Word file, WordFileContents over CompoundFile); the
// calls the program makes on it run on its office's thread through
// OfficeEngine, which also converts announced documents ahead
// (PreparedDocument, SourceSnapshot, FileIdentity). The Word file reaches
// the user's folder through WordFile; the temporary copy is PlainTextCopy;
// the clean-up macro is MacroFile.

class EmbeddedPictures;
class OfficeSession;
struct WordFileContents;
class SaveFormat;

// One document open in the office, hidden and read-only. Every member runs on
// the engine thread and raises UNO exceptions or RuntimeErrors; the server
// turns them into the failures its callers see.
class OfficeDocument final {
public:
    // How a document is loaded. Full: straight into a model without a view,
    // its embedded pictures put back, and laid out when its fields need it.
    // Plain: as the office's own command line loads it (with a hidden view,
    // so laid out), without the pictures: the way to try a document again
    // that the full way made the office fail on.
    enum class Way { Full, Plain };

    // Loads `file` (a regular file, checked by the caller) into the office.
    // Raises a RuntimeError naming the document (`shownAs`, or else `file`)
    // when the office cannot load it, when it needs a password, when it is
    // not a text document, or when its import would follow the links it
    // holds (HTML, RTF). A document that holds fields whose values only a
    // layout gives (page numbers, page counts) is laid out, so that the
    // Word document carries the values the office shows.
    static std::unique_ptr<OfficeDocument> Load(OfficeSession& session, const QString& file,
                                                const QString& shownAs = QString(), Way way = Way::Full);
    ~OfficeDocument();

    // The document's name in failures: the file the user chose.
    const QString& sourcePath() const { return mShown; }
    // What the Word file written last leaves out or lacks, in words for the
    // document list ("3 pictures could not be read and were left out. 1
    // picture was too large to convert and was left out. The Word file lacks
    // 1 of 12 pictures"); empty when nothing.
    QString notes() const;

    // True when the document holds nothing: no character, no table, no
    // picture or other object.
    bool isBlank();
    // Moves the insertion point to the very top.
    void moveToTop();
    // Runs the commands of a clean-up macro, in order.
    void play(OfficeSession& session, const MacroFile& macro);
    // Writes a plain-text copy of the document (see PlainTextCopy).
    void storeCopy(const QString& path);
    // The bytes storeCopy writes.
    QByteArray textCopy();
    // Writes the document in `format` (Word 97 unless asked otherwise): the
    // office stores it in `privateFolder` (the engine's own), the engine
    // copies it under a temporary name into the target's folder and puts it
    // in the target's place, so that the target is either the old file or
    // the whole new one (see WordFile), with the read and write bits of
    // `permissions`.
    void storeWord(OfficeSession& session, const QString& path, platform::RunFolder& journal,
                   const QString& privateFolder, const SaveFormat& format, mode_t permissions);
    // Has the office store the document in `format` at `path`, in a private
    // folder, and checks a Word 97 file against the document (see notes());
    // false when it wrote nothing.
    bool storeWordPrivately(OfficeSession& session, const QString& path, const SaveFormat& format);
    // Runs before the office writes a Word file (tests take something out
    // of the document there, as an export that dropped it would); none by
    // default.
    static void SetBeforeWordSave(std::function<void(const css::uno::Reference<css::lang::XComponent>&)> hook);

    // Closes the document without saving; never raises.
    void close() noexcept;
    // Forgets the document without a word to the office (which is being
    // killed). Nothing of the office's is touched: at process exit the UNO
    // runtime may already have freed the bridge and its proxies.
    void abandon() noexcept;

private:
    OfficeDocument(css::uno::Reference<css::lang::XComponent> component, QString file, QString shown);
    // Loads the document again through the desktop, which gives it a view,
    // with the filter of its first load.
    static std::unique_ptr<OfficeDocument> LoadWithView(OfficeSession& session, const QString& file,
                                                        const QString& shown, const rtl::OUString& filter);
    // Load without the embedded pictures, with a view or without.
    static std::unique_ptr<OfficeDocument> LoadText(OfficeSession& session, const QString& file,
                                                    const QString& shownAs, bool withView);
    // What the document's fields ask of a layout.
    struct Fields {
        bool needLayout = false; // page numbers, page counts, page references
        bool comments = false;
    };
    Fields fields();
    // How many pictures the document holds now.
    int pictureCount();
    // Compares the file at `path`, written in `format`, with what the
    // document holds (a PDF is not read back).
    void check(const QString& path, const SaveFormat& format);
    // Gives the document a hidden view (and so a layout).
    void layOut(OfficeSession& session);
    // With a view: lays out every page now, so that page numbers and page
    // counts have their values before anything reads or saves them.
    void layOutPageFields();

    std::unique_ptr<css::uno::Reference<css::lang::XComponent>> mComponent;
    QString mFile;  // what the office reads
    QString mShown; // what failures name
    std::shared_ptr<EmbeddedPictures> mPictures; // what was put back, for a second load
    bool mPicturesPutBack = false;
    int mPicturesUnread = 0;
    int mPicturesUnplaced = 0;
    int mPicturesTooLarge = 0;
    int mPicturesExpected = 0; // in the document once loaded: what the Word file must hold
    QString mCheck;            // what the check of the Word file found
    // Whether the office gave the document a (hidden) view: only documents
    // that are not loaded straight into a model of their own.
    bool mHasView = false;
    // The import filter the document was loaded with.
    rtl::OUString mFilter;
    // The document's text, fetched once (envDocBlank and the copy both
    // want it) and forgotten when a macro changes the document.
    std::optional<rtl::OUString> mText;
    const rtl::OUString& text();
};

} // namespace engine
