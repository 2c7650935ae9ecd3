// The inner loop of the exchange step: target[j] := stored(target[j] -
// pivot[j] * f) over a row, exactly as the extended-precision formula gives
// it, in one of three kernels:
//   - scalar: the extended-precision formula itself, entry by entry;
//   - avx2 (with FMA) and avx512: four or eight entries at a time in double
//     precision, each lane checked to give the same stored value, and the
//     lanes that cannot be settled that way done by the scalar formula.
//
// Why a lane of the vector kernels is exact.  Let E = t - p f exactly (t, p, f
// stored reals, so p f has at most 80 significant bits).  The extended path
// computes P = round64(p f), then D = round64(t - P), then rounds D to 40 bits
// with ties away from zero.  The vector path computes r = round53(E) with one
// fused multiply-add and rounds r to 40 bits the same way.  Write u for the
// unit in the last place of r's 53-bit significand.
//   1. |r - E| <= u/2 (the FMA is correctly rounded).
//   2. |D - E| <= ulp64(P)/2 + ulp64(D)/2.  The lane is taken only when
//      |p f| <= 512 |r| (no heavy cancellation; |p f| is computed in double,
//      within a factor 1 + 2^-53 of the exact product), so P lies at most 10
//      binades above r and ulp64(P) <= u/2; and ulp64(D) <= u/2^10.  Hence
//      |D - E| < u.
//   3. The 40-bit rounding of a value depends only on which side of the
//      nearest 40-bit midpoint it lies.  In r's binade the midpoints are the
//      values whose 13 low significand bits are 0x1000.  The lane is taken
//      only when those bits of r are at least 2 away from 0x1000, so E lies
//      at least 1.5 u from every midpoint (the finer midpoints of the binade
//      below are 2048 u away), and so do r and D: all three round to the same
//      40-bit value, which stays in r's binade or carries to the next power
//      of two together.
//   4. Results whose rounded exponent is at either end of the stored range
//      (underflow to zero, overflow to runtime error 205) go through the
//      scalar formula, so those rules apply unchanged; an exact zero (t = p f,
//      or t = 0 with p f = 0) is +0 on both paths.
// So every stored value is bit for bit the extended path's.
#pragma once

#include <cstddef>

#include "classic/kernel_kind.h"

namespace lpsens {

// target[j] := stored(target[j] - pivot[j] * f) for j in [0, count).
// Returns count, or the index of the first entry whose result overflows the
// stored format: the entries before it are written, it and the later ones
// are not (as the scalar loop leaves them).
using EliminateFunction = std::size_t (*)(double* target, const double* pivot, double f, std::size_t count);

std::size_t eliminate_scalar(double* target, const double* pivot, double f, std::size_t count);
std::size_t eliminate_avx2(double* target, const double* pivot, double f, std::size_t count);
std::size_t eliminate_avx512(double* target, const double* pivot, double f, std::size_t count);

// One entry by the extended-precision formula; false on overflow.
bool exact_entry(double t, double p, double f, double& out);

// The lanes a vector kernel could not settle: entry open[k] of `target`
// gets the formula's value from its original operand original[k], in
// ascending order.  Returns `count` of the row, or the index of the first
// entry that overflows.
std::size_t settle_open_lanes(double* target, const double* pivot, double f, const std::size_t* open,
                              const double* original, std::size_t waiting, std::size_t count);

bool kernel_available(KernelKind kind);
// The fastest kernel this processor runs.
KernelKind best_kernel();
// The function of a kernel (best: the fastest one).
EliminateFunction kernel_function(KernelKind kind);
const char* kernel_name(KernelKind kind);

}  // namespace lpsens
