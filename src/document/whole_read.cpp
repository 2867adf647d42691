#include "document/whole_read.h"

#include <exception>
#include <new>
#include <utility>

namespace rowbit {

namespace {

// Thrown from a progress report of the fill once the read is cancelled: the fill joins its
// threads and leaves nothing half-filled behind.
struct ReadCancelled {};

// The prompts of the reading thread: progress goes to the request, a cancelled read stops at
// its next report, and messages are kept for the owner to show.
class ReadingPrompts : public Prompts {
public:
    ReadingPrompts(const WholeReadRequest& request, const std::atomic<bool>& cancelled,
                   std::vector<MessageRequest>& messages)
        : request_(request), cancelled_(cancelled), messages_(messages) {}

    int message(const MessageRequest& request) override {
        messages_.push_back(request);
        return 1;
    }
    int popupMenu(const std::string&) override { return 0; }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return {}; }
    bool startProcess(const std::string&, const std::vector<std::string>&) override {
        return false;
    }
    bool openUrl(const std::string&) override { return false; }
    void progress(ProgressStage stage, double fraction) override {
        if (stage == ProgressStage::Listing && cancelled_.load(std::memory_order_relaxed))
            throw ReadCancelled{};
        if (request_.progress)
            request_.progress(stage, fraction);
    }

private:
    const WholeReadRequest& request_;
    const std::atomic<bool>& cancelled_;
    std::vector<MessageRequest>& messages_;
};

} // namespace

WholeRead::WholeRead(WholeReadRequest request)
    : request_(std::move(request)), thread_([this] { run(); }) {}

WholeRead::~WholeRead() {
    cancel();
    if (thread_.joinable())
        thread_.join();
}

void WholeRead::cancel() {
    cancelled_.store(true, std::memory_order_relaxed);
}

bool WholeRead::done() const {
    return done_.load(std::memory_order_acquire);
}

WholeList WholeRead::take() {
    const std::lock_guard<std::mutex> hold(lock_);
    return std::move(outcome_);
}

void WholeRead::run() {
    if (request_.beforeReading)
        request_.beforeReading();
    WholeList outcome;
    ReadingPrompts prompts(request_, cancelled_, outcome.messages);
    try {
        if (!cancelled_.load(std::memory_order_relaxed)) {
            // Only the fill stops early (its reports throw once cancelled): the engine reads a
            // file to its end.
            auto loaded = loadBook(request_.path, [&prompts](double fraction) {
                prompts.progress(ProgressStage::Reading, fraction);
            });
            if (!loaded) {
                outcome.error = loaded.error();
            } else if (!cancelled_.load(std::memory_order_relaxed)) {
                auto whole = std::make_unique<Document>();
                whole->path = request_.path;
                whole->book = std::move(loaded).value();
                whole->columns = request_.columns;
                whole->fill(request_.display, prompts, request_.fill);
                outcome.document = std::move(whole);
            }
        }
    } catch (const ReadCancelled&) {
        outcome = {};
    } catch (const std::bad_alloc&) {
        outcome = {};
        outcome.error = makeError(ErrorCode::Limit, "not enough memory to read the workbook");
    } catch (const std::exception& failure) {
        outcome = {};
        outcome.error = makeError(ErrorCode::Damaged, failure.what());
    }
    {
        const std::lock_guard<std::mutex> hold(lock_);
        if (!cancelled_.load(std::memory_order_relaxed))
            outcome_ = std::move(outcome);
    }
    done_.store(true, std::memory_order_release);
    if (request_.finished)
        request_.finished();
}

} // namespace rowbit
