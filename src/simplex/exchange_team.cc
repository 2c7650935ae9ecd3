#include "simplex/exchange_team.h"

namespace lpsens {

ExchangeTeam::ExchangeTeam() : worker_([this] { work(); }) {}

ExchangeTeam::~ExchangeTeam() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

void ExchangeTeam::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || busy_; });
        if (stop_) return;
        const std::function<void()>* job = job_;
        lock.unlock();
        std::exception_ptr error;
        try {
            (*job)();
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        error_ = error;
        busy_ = false;
        done_.notify_one();
    }
}

void ExchangeTeam::run(const std::function<void()>& first_half, const std::function<void()>& second_half) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &second_half;
        error_ = nullptr;
        busy_ = true;
    }
    wake_.notify_one();
    std::exception_ptr first_error;
    try {
        first_half();
    } catch (...) {
        first_error = std::current_exception();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return !busy_; });
    if (first_error) std::rethrow_exception(first_error);
    if (error_) std::rethrow_exception(error_);
}

}  // namespace lpsens
