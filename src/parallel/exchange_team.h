// The rows of one exchange step shared between the calling thread and one
// worker thread.  Every row's result depends only on its own operands, so
// the output is the same for any sharing.
//
// The rows are taken in chunks from a shared counter by whichever thread is
// running: a worker that the system has put aside delays nothing, because
// the caller takes the chunks it leaves.  The caller waits only for chunks
// the worker has already taken.
//
// Waiting costs little when the other core is busy: the worker spins for a
// few microseconds after a job (exchanges follow each other closely), then
// sleeps on a futex until the next one.  When the worker keeps falling
// behind (the caller, done with its own chunks, often waits for the
// worker's) the team works alone for a while and then tries again.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>

namespace lpsens {

// How many threads this process can use: the processors it may run on
// (its affinity) within the CPU quota of its control group.
int usable_processors();

// The threads an exchange step uses by default: two when the process may
// use two processors or more.
int default_threads();

// Rows a chunk of an exchange takes: about 128 KiB of a tableau whose rows
// hold `row_bytes`, and at least four chunks a job.
int chunk_rows(int rows, std::size_t row_bytes);

class ExchangeTeam {
public:
    ExchangeTeam();
    ~ExchangeTeam();
    ExchangeTeam(const ExchangeTeam&) = delete;
    ExchangeTeam& operator=(const ExchangeTeam&) = delete;

    // Runs body(from, to) over the rows [0, count) in chunks of `chunk`
    // rows, on the calling thread and the worker, and returns when all are
    // done.  An exception of a chunk is thrown here (the first one seen).
    void run(int count, int chunk, const std::function<void(int, int)>& body);

    // What the team has done: jobs run, jobs run alone, rows the worker did.
    struct Figures {
        long jobs = 0;
        long alone = 0;
        long worker_rows = 0;
        long rows = 0;
    };
    Figures figures() const { return figures_; }

private:
    void work();
    // Takes and runs chunks of job `generation` until none is left.
    void take_chunks(std::uint32_t generation, int& done);

    // The job: generation in the high 32 bits, next row in the low ones, so
    // that a late worker can never take rows of a later job.
    std::atomic<std::uint64_t> next_{0};
    // Rows finished in the current job, with its generation likewise.
    std::atomic<std::uint64_t> finished_{0};
    // The latest generation announced to the worker (0 stops it).
    std::atomic<std::uint32_t> announced_{0};
    std::uint32_t generation_ = 0;
    // The job's size and chunk: a late worker may read them while the next
    // job is set up (its stale word then fails to take any row, since a
    // finished job's word is closed first).
    std::atomic<int> count_{0};
    std::atomic<int> chunk_{1};
    // Read only by a thread that has taken rows of the current job.
    const std::function<void(int, int)>* body_ = nullptr;
    std::exception_ptr error_;
    std::atomic<bool> failed_{false};
    std::atomic<bool> stop_{false};
    // Working alone after the worker fell behind: jobs left to run so.
    long alone_for_ = 0;
    long window_jobs_ = 0;
    double window_worked_ = 0;  // seconds the caller worked on its chunks
    double window_waited_ = 0;  // seconds it then waited for the worker's
    Figures figures_;
    std::thread worker_;
};

}  // namespace lpsens
