// SPDX-License-Identifier: MPL-2.0
#pragma once

#include "platform/automation/LateBinding.h"

#include <chrono>
#include <functional>
#include <memory>
#include <sys/types.h>

namespace engine {

class OfficeEngine;
class OfficePool;
struct PreparedDocument;

// The server room (engine/server), and the engine's entry: the program
// registers this class (EngineRegistration) and calls it by member name. It
// runs a pool of offices (OfficePool), each on an engine thread of its own
// (EngineThread, with calls onto it through EngineCall).
//
// The automation server registered as "WordPerfect.PerfectScript": the seven
// operations the conversion jobs call by name, carried out by a private,
// headless office on the engine thread.
//
//   FileOpen(path)        opens a document hidden and read-only, no macros, no links
//   envDocBlank()         True (-1) when the document holds nothing, else False (0)
//   PosDocVeryTop()       insertion point to the top
//   MacroFilePlay(path)   plays a clean-up macro (see MacroFile) to its end
//   envMacroPlaying()     False (0): MacroFilePlay returns once the macro is done
//   FileSave(path)        a copy as plain text (the fastest format)
//   FileSave(path, 69)    the Word 97 document, written atomically; with 70
//                         Word 2007-365 (.docx), 71 OpenDocument text (.odt),
//                         72 PDF/A-2b (see SaveFormat); never over a file
//                         that appeared after the run began (see WordFile)
//   CloseNoSave()         closes the document without saving
//   envConversionNotes()  what the Word file written last leaves out or lacks,
//                         in words ("2 pictures could not be read and were
//                         left out"); empty when nothing
//
// and optional members:
//
//   ExpectDocuments(count)        a batch of about `count` documents may follow
//   AnnounceDocuments([format,] path, ...)  the documents a batch is about
//                         to open, in order, and the format it saves them in
//   BeginRun()            a run begins: Word files older than now may be
//                         replaced, newer ones not
//   WaitForStart()        waits for office 0's start; raises why it could
//                         not start
//
// The server runs a pool of offices (OfficePool), one per core by default,
// which convert announced documents ahead of the calls; the calls for such a
// document are then answered from that work, with the same results and the
// same failures at the same calls. Office 0 also serves every document the
// work ahead cannot (see OfficePool::take). Office 0 starts in the background
// when the server is created, and the first call waits for it; the others
// start when a batch expected or announced needs them.
class WordPerfectServer final : public platform::Dispatchable {
public:
    WordPerfectServer();
    ~WordPerfectServer() override;
    WordPerfectServer(const WordPerfectServer&) = delete;
    WordPerfectServer& operator=(const WordPerfectServer&) = delete;

    // What tests and benchmarks look at and set is in ServerDiagnostics.
    static constexpr qint64 kDefaultMemoryLimit = 1536LL * 1024 * 1024;

private:
    friend class ServerDiagnostics;
    platform::Value fileOpen(const QList<platform::Value>& args);
    platform::Value envDocBlank(const QList<platform::Value>& args);
    platform::Value posDocVeryTop(const QList<platform::Value>& args);
    platform::Value macroFilePlay(const QList<platform::Value>& args);
    platform::Value envMacroPlaying(const QList<platform::Value>& args);
    platform::Value fileSave(const QList<platform::Value>& args);
    platform::Value closeNoSave(const QList<platform::Value>& args);
    platform::Value envConversionNotes(const QList<platform::Value>& args);
    platform::Value announceDocuments(const QList<platform::Value>& args);
    platform::Value expectDocuments(const QList<platform::Value>& args);
    platform::Value beginRun(const QList<platform::Value>& args);
    platform::Value waitForStart(const QList<platform::Value>& args);

    // The limit for a call on a document of `bytes`.
    std::chrono::milliseconds limitFor(qint64 bytes) const;
    // Runs `task` on every office's thread.
    void runOnEveryOffice(const std::function<void(OfficeEngine&)>& task);
    // Ends the current document's use of the pool's work or of office 0.
    void releaseDocument();
    // Has office 0 open the copy the pool's work read, for what that work
    // cannot answer (a macro with commands, another format).
    void openPreparedDirectly();

    // Runs an operation on the engine thread within the limit for a document
    // of `bytes`; the task must own everything it touches.
    void run(std::function<void()> task, qint64 bytes);

    std::shared_ptr<OfficeEngine> mEngine; // office 0, shared with the tasks in flight
    std::shared_ptr<OfficePool> mPool;
    // The current document when the pool's work serves it.
    std::shared_ptr<PreparedDocument> mPrepared;
    // A document the pool prepared and office 0 has open from its private
    // copy (for a clean-up macro with commands): kept until it is closed.
    std::shared_ptr<PreparedDocument> mReopened;
    bool mDirectOpen = false; // office 0 holds the current document
    int mServedAhead = 0;
    // The watchdog's limits (OfficeEngine::Limits), set by the constructor.
    std::chrono::milliseconds mBaseLimit;
    std::chrono::milliseconds mPerMegabyteLimit;
    std::chrono::milliseconds mGrace{180000};
    qint64 mDocumentBytes = 0;
    // The current document's mode, which its Word file takes (as `cp` does).
    mode_t mDocumentMode = 0666;
    bool mUnresponsive = false;
};

} // namespace engine
