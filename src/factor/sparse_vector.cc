#include "factor/basis_factor.h"

namespace lpsens::factor {

void SparseVector::resize(int size) {
    value.assign(size, 0.0);
    index.assign(size, 0);
    count = 0;
}

void SparseVector::clear() {
    if (count >= 0 && count < size() / 4) {
        for (int k = 0; k < count; ++k) value[index[k]] = 0.0;
    } else {
        value.assign(value.size(), 0.0);
    }
    if (index.size() < value.size()) index.resize(value.size());
    count = 0;
}

void SparseVector::grow_index() { index.resize(value.size() > index.size() ? value.size() : index.size() + 1); }

void SparseVector::rebuild_index() {
    if (index.size() < value.size()) index.resize(value.size());
    count = 0;
    for (int i = 0; i < size(); ++i)
        if (value[i] != 0.0) index[count++] = i;
}

}  // namespace lpsens::factor
