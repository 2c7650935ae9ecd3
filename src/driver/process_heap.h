// The command line's heap: set up once, before anything large is allocated.
#pragma once

namespace lpsens {

// Keeps the process's heap in one region backed by transparent huge pages
// where the C library and the kernel allow it, and keeps freed memory for
// reuse instead of handing it back.  A run allocates and fills tens of
// megabytes (the model, the factors, the report); touching them page by
// page costs a fault per 4 KiB, which on a virtual machine is as much as
// the whole solve of a small model.  Does nothing where it cannot (another
// C library, a sanitizer's allocator, no room for the region); allocation
// works the same either way.  For a process of its own only: a library
// must not change its host's allocator.
void prepare_process_heap();

}  // namespace lpsens
