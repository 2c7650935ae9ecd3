// The rows of one exchange step shared between the calling thread and one
// worker thread.  Every entry's result depends only on its own operands, so
// the output is the same for any split.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
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

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<void()>* job_ = nullptr;
    std::exception_ptr error_;
    bool busy_ = false;
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace lpsens
