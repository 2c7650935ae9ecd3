#include "driver/process_heap.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define LPSENS_OWN_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define LPSENS_OWN_ALLOCATOR 0
#endif
#endif
#ifndef LPSENS_OWN_ALLOCATOR
#define LPSENS_OWN_ALLOCATOR 1
#endif

namespace lpsens {

void prepare_process_heap() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE) && defined(M_TOP_PAD) && LPSENS_OWN_ALLOCATOR
    constexpr std::uintptr_t huge_page = std::uintptr_t{2} << 20;
    constexpr int region = 256 << 20;         // address space, not memory: untouched pages cost nothing
    constexpr int default_top_pad = 128 << 10;
    // One arena for both threads, blocks up to 32 MiB from the heap rather
    // than mapped apart, and no trimming: then the whole run reuses the one
    // region.
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    // Grow the heap once by the region, then back to ordinary steps: where
    // the system will not reserve that much, later growth must not ask for it.
    mallopt(M_TOP_PAD, region);
    void* probe = std::malloc(std::size_t{1} << 20);
    const auto start = reinterpret_cast<std::uintptr_t>(probe);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    mallopt(M_TOP_PAD, default_top_pad);
    // Only where the region did come from the program break (the probe lies
    // in it, the break a region beyond).
    if (probe != nullptr && end > start && end - start >= static_cast<std::uintptr_t>(region)) {
        const std::uintptr_t from = (start + huge_page - 1) & ~(huge_page - 1);
        const std::uintptr_t to = end & ~(huge_page - 1);
        if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);  // a hint: failure changes nothing
    }
    std::free(probe);
#endif
}

}  // namespace lpsens
