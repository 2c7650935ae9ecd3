#include "factor/crash_basis.h"

#include <algorithm>
#include <cmath>

namespace lpsens::factor {

std::vector<int> crash_basis(const MatrixView& a) {
    std::vector<int> basic;
    std::vector<char> covered(a.rows, 0);
    std::vector<char> logical(a.rows, 1);
    for (int j = 0; j < a.cols; ++j) {
        double largest = 0;
        for (int e = a.start[j]; e < a.start[j + 1]; ++e) largest = std::max(largest, std::fabs(a.value[e]));
        int row = -1;
        for (int e = a.start[j]; e < a.start[j + 1]; ++e)
            if (!covered[a.row_index[e]] && std::fabs(a.value[e]) >= 0.1 * largest) row = a.row_index[e];
        if (row < 0) continue;
        for (int e = a.start[j]; e < a.start[j + 1]; ++e) covered[a.row_index[e]] = 1;
        logical[row] = 0;
        basic.push_back(j);
    }
    for (int r = 0; r < a.rows; ++r)
        if (logical[r]) basic.push_back(a.cols + r);
    return basic;
}

}  // namespace lpsens::factor
