// Jobs done side by side come back in the order they were given, whoever did them.
#include "app/parallel.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace rowbit {
namespace {

struct Job {
    int number = 0;
    int turn = -1; // when the in-order step reached it
    long square = 0;
};

TEST(OrderedWorkers, HandsJobsBackInTheOrderGivenAndFailuresWhereTheyHappened) {
    struct Case {
        std::size_t threads;
        bool inOrderStep;
        bool callerHelps; // the caller does jobs too, through runNext
        int failAt;       // the job whose step throws; -1: none
    };
    const Case cases[] = {
        {0, false, false, -1}, {0, true, true, -1},  {1, true, false, -1}, {2, false, true, -1},
        {4, true, true, -1},   {2, true, false, 37}, {4, false, true, 0},  {3, true, true, 99},
    };
    constexpr int kJobs = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.threads << " threads, in order " << c.inOrderStep << ", caller helps "
                     << c.callerHelps << ", failing " << c.failAt);
        using Workers = OrderedWorkers<Job>;
        int turns = 0; // only the in-order step touches it
        Workers::Step inOrder = [&turns](Job& job, std::size_t) { job.turn = turns++; };
        Workers workers(c.threads, {.inOrder = c.inOrderStep ? inOrder : Workers::Step{},
                                    .run = [&c](Job& job, std::size_t) {
                                        if (job.number == c.failAt)
                                            throw std::runtime_error("failed");
                                        job.square = long{job.number} * job.number;
                                    }});
        for (int i = 0; i < kJobs; ++i)
            workers.submit(std::make_unique<Job>(Job{.number = i}));
        std::vector<int> back;
        int failedAt = -1;
        try {
            while (true) {
                if (c.callerHelps)
                    workers.runNext();
                auto job = workers.takeFinished(true);
                if (!job)
                    break;
                EXPECT_EQ(job->square, long{job->number} * job->number);
                if (c.inOrderStep) {
                    EXPECT_EQ(job->turn, job->number);
                }
                back.push_back(job->number);
            }
        } catch (const std::runtime_error&) {
            failedAt = static_cast<int>(back.size());
        }
        EXPECT_EQ(failedAt, c.failAt);
        const int expected = c.failAt < 0 ? kJobs : c.failAt;
        ASSERT_EQ(back.size(), static_cast<std::size_t>(expected));
        for (int i = 0; i < expected; ++i)
            EXPECT_EQ(back[static_cast<std::size_t>(i)], i);
    }
    EXPECT_GE(workerCount(), 1u);
    EXPECT_LE(workerCount(), 4u);
}

} // namespace
} // namespace rowbit
