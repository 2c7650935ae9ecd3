// The rows of one exchange step shared between the calling thread and one
// worker thread.  Every entry's result depends only on its own operands, so
// the output is the same for any split.
//
// Exchanges follow each other within microseconds, so both sides spin for a
// short while before they sleep (atomic wait): a wake-up through the kernel
// would cost as much as a small exchange.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <thread>

namespace lpsens {

class ExchangeTeam {
public:
    ExchangeTeam();
    ~ExchangeTeam();
    ExchangeTeam(const ExchangeTeam&) = delete;
    ExchangeTeam& operator=(const ExchangeTeam&) = delete;

    // Runs first_half on the calling thread and second_half on the worker,
    // and returns when both are done.  An exception of either is thrown
    // here, the first half's first.
    void run(const std::function<void()>& first_half, const std::function<void()>& second_half);

private:
    void work();

    // Jobs handed out and jobs finished; the worker runs job number started_.
    std::atomic<unsigned> started_{0};
    std::atomic<unsigned> finished_{0};
    std::atomic<bool> stop_{false};
    const std::function<void()>* job_ = nullptr;
    std::exception_ptr error_;
    std::thread worker_;
};

}  // namespace lpsens
