// BasisFactor's public face: each call goes to the factors behind it.
#include "factor/basis_factor.h"

#include <cassert>

#include "factor/lu_factors.h"

namespace lpsens::factor {

struct BasisFactor::Impl {
    detail::LuFactors lu;
};

BasisFactor::BasisFactor() : impl_(std::make_unique<Impl>()) {}
BasisFactor::~BasisFactor() = default;
BasisFactor::BasisFactor(BasisFactor&&) noexcept = default;
BasisFactor& BasisFactor::operator=(BasisFactor&&) noexcept = default;

void BasisFactor::setup(const MatrixView& a) { impl_->lu.setup(a); }

int BasisFactor::build(std::vector<int>& basic) {
    const int deficiency = impl_->lu.build(basic);
    assert(impl_->lu.check_invariants().empty());
    return deficiency;
}

void BasisFactor::ftran(SparseVector& rhs, double density) const { impl_->lu.ftran(rhs, density); }

void BasisFactor::btran(SparseVector& rhs, double density) const { impl_->lu.btran(rhs, density); }

void BasisFactor::ftran_for_update(SparseVector& rhs, double density) { impl_->lu.ftran_for_update(rhs, density); }

bool BasisFactor::update(int p, double pivot) {
    const bool done = impl_->lu.update(p, pivot);
    assert(!done || impl_->lu.check_invariants().empty());
    return done;
}

int BasisFactor::rows() const { return impl_->lu.rows; }

int BasisFactor::updates_since_build() const { return impl_->lu.stats.updates; }

void BasisFactor::set_options(const FactorOptions& options) { impl_->lu.options = options; }

const FactorOptions& BasisFactor::options() const { return impl_->lu.options; }

FactorStats BasisFactor::stats() const { return impl_->lu.stats; }

std::string BasisFactor::check_invariants() const { return impl_->lu.check_invariants(); }

}  // namespace lpsens::factor
