// Which inner loop the classic exchange step runs (see exchange_kernel.h).
#pragma once

namespace lpsens {

enum class KernelKind { best, scalar, avx2, avx512 };

}  // namespace lpsens
