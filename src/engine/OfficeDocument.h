#pragma once

#include "engine/MacroFile.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <rtl/ustring.hxx>

#include <com/sun/star/lang/XComponent.hpp>

namespace platform {
class RunFolder;
}

namespace engine {

class EmbeddedPictures;
class OfficeSession;
class SaveFormat;

// One document open in the office, hidden and read-only. Every member runs on
// the engine thread and raises UNO exceptions or RuntimeErrors; the server
// turns them into the failures its callers see.
class OfficeDocument final {
public:
    // Loads `file` (a regular file, checked by the caller) into the office,
    // without a view. Raises a RuntimeError naming the document (`shownAs`,
    // or else `file`) when the office cannot load it, when it needs a
    // password, when it is not a text document, or when its import would
    // follow the links it holds (HTML, RTF). A document that holds fields
    // whose values only a layout gives (page numbers, page counts) is laid
    // out, so that the Word document carries the values the office shows.
    static std::unique_ptr<OfficeDocument> Load(OfficeSession& session, const QString& file,
                                                const QString& shownAs = QString());
    ~OfficeDocument();

    // The document's name in failures: the file the user chose.
    const QString& sourcePath() const { return mShown; }
    // How many of the pictures embedded in the document could not be put
    // back into it (see EmbeddedPictures).
    int picturesLeftOut() const { return mPicturesLeftOut; }

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
    // the whole new one (see WordFile).
    void storeWord(OfficeSession& session, const QString& path, platform::RunFolder& journal,
                   const QString& privateFolder, const SaveFormat& format);
    // Has the office store the document in `format` at `path`, in a private
    // folder; false when it wrote nothing.
    bool storeWordPrivately(OfficeSession& session, const QString& path, const SaveFormat& format);
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
    // Load without the embedded pictures.
    static std::unique_ptr<OfficeDocument> LoadText(OfficeSession& session, const QString& file,
                                                    const QString& shownAs);
    // Whether the document holds a field whose value comes from the layout.
    bool hasLayoutFields();
    // Gives the document a hidden view (and so a layout).
    void layOut(OfficeSession& session);

    std::unique_ptr<css::uno::Reference<css::lang::XComponent>> mComponent;
    QString mFile;  // what the office reads
    QString mShown; // what failures name
    std::shared_ptr<EmbeddedPictures> mPictures; // what was put back, for a second load
    int mPicturesLeftOut = 0;
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
