// The thread team of the exchange step: every row done exactly once for any
// count and chunk, errors passed on, a worker that falls behind left out for
// a while, and the processors the process may use.
#include <gtest/gtest.h>

#include <sched.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "parallel/exchange_team.h"

namespace lpsens {
namespace {

TEST(ExchangeTeam, EveryRowOnceForAnyCountAndChunk) {
    ExchangeTeam team;
    const struct {
        int count, chunk;
    } cases[] = {{1, 1}, {2, 1}, {3, 1}, {7, 2}, {64, 16}, {999, 16}, {1000, 3}, {5, 10}, {100, 100}, {101, 100}};
    for (int round = 0; round < 20; ++round)
        for (const auto& c : cases) {
            std::vector<std::atomic<int>> hits(static_cast<std::size_t>(c.count));
            team.run(c.count, c.chunk, [&](int from, int to) {
                // A chunk, or all rows at once when the team works alone.
                ASSERT_TRUE(to - from <= c.chunk || (from == 0 && to == c.count)) << from << ".." << to;
                for (int i = from; i < to; ++i) hits[static_cast<std::size_t>(i)].fetch_add(1);
            });
            for (int i = 0; i < c.count; ++i) ASSERT_EQ(hits[static_cast<std::size_t>(i)].load(), 1) << c.count << "/" << c.chunk;
        }
}

TEST(ExchangeTeam, AnErrorOfAChunkReachesTheCaller) {
    ExchangeTeam team;
    // Row 2 (round % 20) fails, whichever chunk holds it (the team may be
    // working alone by then, in one piece).
    for (int round = 0; round < 50; ++round) {
        const int failing = 2 * (round % 20);
        EXPECT_THROW(team.run(40, 2, [&](int from, int to) {
            if (from <= failing && failing < to) throw std::runtime_error("chunk failed");
        }),
                     std::runtime_error);
    }
    // The team still works afterwards.
    std::atomic<int> rows{0};
    team.run(40, 2, [&](int from, int to) { rows += to - from; });
    EXPECT_EQ(rows.load(), 40);
}

TEST(ExchangeTeam, AWorkerThatFallsBehindIsLeftOutForAWhile) {
    ExchangeTeam team;
    const std::thread::id caller = std::this_thread::get_id();
    // The worker's chunks take far longer than the caller's: the caller
    // waits for them, and after a few dozen jobs works alone.
    auto body = [&](int, int) {
        const bool on_caller = std::this_thread::get_id() == caller;
        std::this_thread::sleep_for(on_caller ? std::chrono::microseconds(50) : std::chrono::microseconds(3000));
    };
    for (int job = 0; job < 40; ++job) team.run(64, 4, body);
    const ExchangeTeam::Figures slow = team.figures();
    for (int job = 0; job < 100; ++job) team.run(64, 4, body);
    EXPECT_GE(team.figures().alone - slow.alone, 90);
}

TEST(UsableProcessors, FollowTheAffinity) {
    cpu_set_t saved;
    ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
    const int all = usable_processors();
    EXPECT_GE(all, 1);
    EXPECT_LE(all, CPU_COUNT(&saved));
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &saved)) {
            CPU_SET(cpu, &one);
            break;
        }
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(usable_processors(), 1);
    ASSERT_EQ(sched_setaffinity(0, sizeof saved, &saved), 0);
}

TEST(ChunkRows, AboutACacheSizeAndAtLeastFourChunks) {
    EXPECT_EQ(chunk_rows(1000, 8000), 16);  // 999 columns of 8 bytes: 16 rows of 128 KiB
    EXPECT_EQ(chunk_rows(3, 8), 1);
    EXPECT_EQ(chunk_rows(40, 8), 10);       // small rows: four chunks
    EXPECT_EQ(chunk_rows(1000, 1 << 20), 1);
}

}  // namespace
}  // namespace lpsens
