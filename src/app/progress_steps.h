#pragma once
// Reports how far a long job got in whole hundredths, never going back, so that a listener
// that repaints on every call is called at most a hundred and one times. The job's parts may
// finish out of order (a sheet need not lie where the stream is read): only a new, higher
// hundredth is reported. 1 is left to finish(), once the job is really done.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>

namespace rowbit {

class ProgressSteps {
public:
    ProgressSteps(std::function<void(double)> report, std::uint64_t total)
        : report_(std::move(report)), total_(std::max<std::uint64_t>(total, 1)),
          next_(report_ ? 0 : kNever) {}

    // `done` of the total: cheap enough for every record (one comparison until the next
    // hundredth is reached).
    void at(std::uint64_t done) {
        if (done >= next_)
            advance(done);
    }
    void finish() {
        if (report_ && shown_ < 100) {
            shown_ = 100;
            next_ = kNever;
            report_(1.0);
        }
    }

private:
    static constexpr std::uint64_t kNever = ~std::uint64_t{0};

    void advance(std::uint64_t done) {
        const std::uint64_t step =
            done >= total_ ? 99 : std::min<std::uint64_t>(done * 100 / total_, 99);
        if (static_cast<int>(step) > shown_) {
            shown_ = static_cast<int>(step);
            report_(static_cast<double>(step) / 100.0);
        }
        // The first count whose hundredth is the next one.
        next_ = step >= 99 ? kNever : ((step + 1) * total_ + 99) / 100;
    }

    std::function<void(double)> report_;
    std::uint64_t total_;
    std::uint64_t next_;
    int shown_ = -1;
};

} // namespace rowbit
