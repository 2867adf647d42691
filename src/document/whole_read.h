#pragma once
// Reading a whole workbook on a thread of its own while a window already shows the first screen
// of its records (Document::open with a first-rows limit). The thread opens the file again, with
// the setup the first screen was filled with, and fills the records into a document of its own:
// nothing it touches is shared until the owner takes the outcome on its own thread, after
// `finished` said it is there, and hands it to Document::takeWholeList.

#include "app/app_state.h"
#include "app/prompts.h"
#include "app/records.h"
#include "app/result.h"
#include "document/document.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace rowbit {

struct WholeReadRequest {
    std::string path;    // the file the first rows were read from (Document::diskPath)
    ColumnSetup columns; // the setup the first screen was filled with
    AppState display;    // the date picture and the year the fill works with
    FillOptions fill;
    // How far the read and then the fill got; called on the reading thread.
    std::function<void(ProgressStage stage, double fraction)> progress;
    // Called on the reading thread once, as its last act, however the read ended.
    std::function<void()> finished;
    // Called on the reading thread before it reads anything: a test holds the thread there.
    std::function<void()> beforeReading;
};

// What the whole read came to: the document (its whole book, its setup and its records), or
// the error that kept the file from being read; neither when the read was cancelled.
struct WholeList {
    std::unique_ptr<Document> document;
    std::optional<Error> error;
    // What the fill had to tell the user (the cells too long for their fields), to be shown by
    // the owner, as the reading thread asks nobody anything.
    std::vector<MessageRequest> messages;
};

class WholeRead {
public:
    explicit WholeRead(WholeReadRequest request);
    // Cancels the read and waits for its thread.
    ~WholeRead();
    WholeRead(const WholeRead&) = delete;
    WholeRead& operator=(const WholeRead&) = delete;

    // The outcome is no longer wanted: the fill stops at its next progress report; a read of
    // the file, which cannot be stopped, runs out and is thrown away.
    void cancel();
    // Whether `finished` was called.
    bool done() const;
    // The outcome once done (empty before, or when cancelled); taken once.
    WholeList take();

private:
    void run();

    WholeReadRequest request_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> done_{false};
    mutable std::mutex lock_;
    WholeList outcome_; // under lock_
    std::thread thread_;
};

} // namespace rowbit
