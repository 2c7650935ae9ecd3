#include "parallel/exchange_team.h"

#include <sched.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>

namespace lpsens {

namespace {

// About 20 microseconds of spinning: longer than the gap between two
// exchanges of a large problem, far shorter than a time slice.
constexpr int spin_rounds = 400;
// The worker keeps up when the caller, its own chunks done, waits for the
// worker's for less than this share of the time it worked.  Over this many
// jobs it is judged; when it falls behind the caller works alone for this
// many jobs before it tries again.
constexpr double waiting_share = 0.25;
constexpr long judged_jobs = 32;
constexpr long alone_jobs = 256;

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t job_word(std::uint32_t generation, std::uint32_t value) {
    return (static_cast<std::uint64_t>(generation) << 32) | value;
}
constexpr std::uint32_t generation_of(std::uint64_t word) { return static_cast<std::uint32_t>(word >> 32); }
constexpr std::uint32_t value_of(std::uint64_t word) { return static_cast<std::uint32_t>(word); }

void pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// The whole CPUs of a control-group quota ("max" or none: no limit), from
// cgroup v2's cpu.max or v1's cfs files.
int quota_processors() {
    std::ifstream v2("/sys/fs/cgroup/cpu.max");
    std::string quota;
    long period = 0;
    if (v2 >> quota >> period) {
        if (quota == "max" || period <= 0) return 0;
        return static_cast<int>(std::max(1L, std::stol(quota) / period));
    }
    std::ifstream q1("/sys/fs/cgroup/cpu/cpu.cfs_quota_us"), p1("/sys/fs/cgroup/cpu/cpu.cfs_period_us");
    long quota_us = -1, period_us = 0;
    if (q1 >> quota_us && p1 >> period_us && quota_us > 0 && period_us > 0)
        return static_cast<int>(std::max(1L, quota_us / period_us));
    return 0;
}

}  // namespace

int usable_processors() {
    int count = static_cast<int>(std::thread::hardware_concurrency());
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) count = CPU_COUNT(&set);
    try {
        const int quota = quota_processors();
        if (quota > 0) count = std::min(count, quota);
    } catch (...) {
        // An unreadable quota is no quota.
    }
    return std::max(1, count);
}

int default_threads() {
    static const int threads = usable_processors() > 1 ? 2 : 1;  // asked once
    return threads;
}

int chunk_rows(int rows, std::size_t row_bytes) {
    const int by_cache = static_cast<int>(std::max<std::size_t>(1, (std::size_t{128} << 10) / std::max<std::size_t>(1, row_bytes)));
    return std::max(1, std::min(by_cache, (rows + 3) / 4));
}

ExchangeTeam::ExchangeTeam() : worker_([this] { work(); }) {}

ExchangeTeam::~ExchangeTeam() {
    stop_.store(true, std::memory_order_release);
    announced_.fetch_add(1, std::memory_order_release);
    announced_.notify_one();
    worker_.join();
}

void ExchangeTeam::take_chunks(std::uint32_t generation, int& done) {
    std::uint64_t word = next_.load(std::memory_order_acquire);
    for (;;) {
        if (generation_of(word) != generation) return;
        const std::uint32_t from = value_of(word);
        const auto count = static_cast<std::uint32_t>(count_.load(std::memory_order_relaxed));
        if (from >= count) return;
        const std::uint32_t to =
            std::min<std::uint32_t>(from + static_cast<std::uint32_t>(chunk_.load(std::memory_order_relaxed)), count);
        if (!next_.compare_exchange_weak(word, job_word(generation, to), std::memory_order_acq_rel,
                                         std::memory_order_acquire))
            continue;
        // Rows [from, to) are ours, and the job cannot end before we report them.
        if (!failed_.load(std::memory_order_relaxed)) {
            try {
                (*body_)(static_cast<int>(from), static_cast<int>(to));
            } catch (...) {
                if (!failed_.exchange(true)) error_ = std::current_exception();
            }
        }
        done += static_cast<int>(to - from);
        // The caller waits only for the last rows: only they wake it.
        const std::uint64_t before = finished_.fetch_add(to - from, std::memory_order_acq_rel);
        if (value_of(before) + (to - from) == count) finished_.notify_one();
        word = next_.load(std::memory_order_acquire);
    }
}

void ExchangeTeam::work() {
    std::uint32_t seen = 0;
    for (;;) {
        std::uint32_t now = announced_.load(std::memory_order_acquire);
        for (int spin = 0; now == seen && spin < spin_rounds; ++spin) {
            pause();
            now = announced_.load(std::memory_order_acquire);
        }
        while (now == seen) {
            announced_.wait(seen, std::memory_order_acquire);
            now = announced_.load(std::memory_order_acquire);
        }
        seen = now;
        if (stop_.load(std::memory_order_acquire)) return;
        int done = 0;
        take_chunks(seen, done);
    }
}

void ExchangeTeam::run(int count, int chunk, const std::function<void(int, int)>& body) {
    ++figures_.jobs;
    figures_.rows += count;
    if (alone_for_ > 0 || count <= chunk) {
        if (alone_for_ > 0) {
            --alone_for_;
            ++figures_.alone;
        }
        body(0, count);
        return;
    }
    ++generation_;
    count_.store(count, std::memory_order_relaxed);
    chunk_.store(std::max(1, chunk), std::memory_order_relaxed);
    body_ = &body;
    error_ = nullptr;
    failed_.store(false, std::memory_order_relaxed);
    finished_.store(job_word(generation_, 0), std::memory_order_relaxed);
    next_.store(job_word(generation_, 0), std::memory_order_release);
    announced_.store(generation_, std::memory_order_release);
    announced_.notify_one();
    const Clock::time_point start = Clock::now();
    int done = 0;
    take_chunks(generation_, done);
    // Only chunks the worker took can still be running.
    const Clock::time_point own_done = Clock::now();
    std::uint64_t word = finished_.load(std::memory_order_acquire);
    for (int spin = 0; value_of(word) < static_cast<std::uint32_t>(count) && spin < spin_rounds; ++spin) {
        pause();
        word = finished_.load(std::memory_order_acquire);
    }
    while (value_of(word) < static_cast<std::uint32_t>(count)) {
        finished_.wait(word, std::memory_order_acquire);
        word = finished_.load(std::memory_order_acquire);
    }
    // Close the job before the next one changes its size: a worker still
    // holding this job's word (it read it before the last rows were taken)
    // must find no row to take, whatever size it reads next.
    next_.store(job_word(generation_, 0xFFFFFFFFu), std::memory_order_release);
    figures_.worker_rows += count - done;
    window_worked_ += std::chrono::duration<double>(own_done - start).count();
    window_waited_ += std::chrono::duration<double>(Clock::now() - own_done).count();
    if (++window_jobs_ == judged_jobs) {
        if (window_waited_ > waiting_share * window_worked_) alone_for_ = alone_jobs;
        window_jobs_ = 0;
        window_worked_ = window_waited_ = 0;
    }
    if (failed_.load(std::memory_order_acquire)) std::rethrow_exception(error_);
}

}  // namespace lpsens
