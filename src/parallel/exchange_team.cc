#include "parallel/exchange_team.h"

namespace lpsens {

namespace {

// Spins until `value` differs from `old` (about a millisecond, longer than
// the pause between two exchanges), then sleeps until it does.
void wait_for_change(const std::atomic<unsigned>& value, unsigned old) {
    for (int spin = 0; spin < 20000; ++spin) {
        if (value.load(std::memory_order_acquire) != old) return;
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    while (value.load(std::memory_order_acquire) == old) value.wait(old, std::memory_order_acquire);
}

}  // namespace

ExchangeTeam::ExchangeTeam() : worker_([this] { work(); }) {}

ExchangeTeam::~ExchangeTeam() {
    stop_.store(true, std::memory_order_release);
    started_.fetch_add(1, std::memory_order_release);
    started_.notify_one();
    worker_.join();
}

void ExchangeTeam::work() {
    unsigned seen = 0;
    for (;;) {
        wait_for_change(started_, seen);
        seen = started_.load(std::memory_order_acquire);
        if (stop_.load(std::memory_order_acquire)) return;
        std::exception_ptr error;
        try {
            (*job_)();
        } catch (...) {
            error = std::current_exception();
        }
        error_ = error;
        finished_.fetch_add(1, std::memory_order_release);
        finished_.notify_one();
    }
}

void ExchangeTeam::run(const std::function<void()>& first_half, const std::function<void()>& second_half) {
    const unsigned done = finished_.load(std::memory_order_acquire);
    job_ = &second_half;
    started_.fetch_add(1, std::memory_order_release);
    started_.notify_one();
    std::exception_ptr first_error;
    try {
        first_half();
    } catch (...) {
        first_error = std::current_exception();
    }
    wait_for_change(finished_, done);
    if (first_error) std::rethrow_exception(first_error);
    if (error_) std::rethrow_exception(error_);
}

}  // namespace lpsens
