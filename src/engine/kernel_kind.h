// Which inner loop the exchange step runs (see classic/exchange_kernel.h).
#pragma once

namespace lpsens {

enum class KernelKind { best, scalar, avx2, avx512 };

}  // namespace lpsens
