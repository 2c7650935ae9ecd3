// Passes over independent items of a final tableau (rows and columns to
// range), shared between the calling thread and one more where the model is
// large: each thread reads its own view of the tableau (a view keeps the
// work space of its solves) and takes chunks of items from a shared
// counter, so a thread the system puts aside delays only the chunk it
// holds.  Each item's result depends on the item alone, so the results are
// the same however the items are shared.
#pragma once

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>

#include "engine/tableau_view.h"
#include "parallel/exchange_team.h"

namespace lpsens {

// Passes of fewer items stay on one thread: a second view first factorises
// the basis again.
inline constexpr int shared_pass_items = 2000;

// Every item 0..count-1 once: each thread calls start(view) with its view
// for the function that does an item (item(k)), which may keep what the
// thread's items share.  `threads` 0 asks for as many as the process may
// use (at most two).  An exception of either thread is thrown here once
// both have stopped.
template <class Start>
void shared_pass(const TableauView& view, int count, int threads, Start start) {
    constexpr int chunk = 32;
    std::atomic<int> next{0};
    const auto work = [&](const TableauView& v) {
        auto item = start(v);
        for (;;) {
            const int from = next.fetch_add(chunk);
            if (from >= count) return;
            for (int k = from; k < std::min(count, from + chunk); ++k) item(k);
        }
    };
    if ((threads > 0 ? threads : default_threads()) < 2 || count < shared_pass_items) {
        work(view);
        return;
    }
    std::exception_ptr failure;
    std::thread helper([&] {
        try {
            const std::unique_ptr<TableauView> own = view.worker();
            if (own) work(*own);
        } catch (...) {
            failure = std::current_exception();
            next.store(count);
        }
    });
    try {
        work(view);
    } catch (...) {
        next.store(count);
        helper.join();
        throw;
    }
    helper.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace lpsens
