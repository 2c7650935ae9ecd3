#include "classic/exchange_kernel.h"

#include "numeric/stored_real.h"

namespace lpsens {

bool exact_entry(double t, double p, double f, double& out) {
    StoredReal result;
    if (!try_store_real(static_cast<Extended>(t) - static_cast<Extended>(p) * static_cast<Extended>(f), result))
        return false;
    out = result.value;
    return true;
}

std::size_t settle_open_lanes(double* target, const double* pivot, double f, const std::size_t* open,
                              const double* original, std::size_t waiting, std::size_t count) {
    for (std::size_t k = 0; k < waiting; ++k)
        if (!exact_entry(original[k], pivot[open[k]], f, target[open[k]])) return open[k];
    return count;
}

std::size_t eliminate_scalar(double* target, const double* pivot, double f, std::size_t count) {
    for (std::size_t j = 0; j < count; ++j) {
        if (pivot[j] == 0.0) continue;  // the entry minus zero is itself
        if (!exact_entry(target[j], pivot[j], f, target[j])) return j;
    }
    return count;
}

bool kernel_available(KernelKind kind) {
    switch (kind) {
    case KernelKind::best:
    case KernelKind::scalar:
        return true;
    case KernelKind::avx2:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case KernelKind::avx512:
        return __builtin_cpu_supports("avx512f");
    }
    return false;
}

KernelKind best_kernel() {
    if (kernel_available(KernelKind::avx512)) return KernelKind::avx512;
    if (kernel_available(KernelKind::avx2)) return KernelKind::avx2;
    return KernelKind::scalar;
}

EliminateFunction kernel_function(KernelKind kind) {
    if (kind == KernelKind::best) kind = best_kernel();
    switch (kind) {
    case KernelKind::avx2:
        return eliminate_avx2;
    case KernelKind::avx512:
        return eliminate_avx512;
    case KernelKind::best:
    case KernelKind::scalar:
        break;
    }
    return eliminate_scalar;
}

const char* kernel_name(KernelKind kind) {
    switch (kind) {
    case KernelKind::avx2:
        return "avx2";
    case KernelKind::avx512:
        return "avx512";
    case KernelKind::best:
        return kernel_name(best_kernel());
    case KernelKind::scalar:
        break;
    }
    return "scalar";
}

}  // namespace lpsens
