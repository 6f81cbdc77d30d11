// SPDX-License-Identifier: MIT
// Square matrices as the double-precision programs hold them: n row
// pointers, each to its own array of n doubles, released together.
#ifndef ZELKOR_ROW_ARRAYS_H
#define ZELKOR_ROW_ARRAYS_H

#include <memory>
#include <vector>

class RowArrays {
public:
    explicit RowArrays(int n) : rows_(n), table_(n) {
        for (int i = 0; i < n; ++i) {
            rows_[i].reset(new double[n]);
            table_[i] = rows_[i].get();
        }
    }
    double** rows() { return table_.data(); }

private:
    std::vector<std::unique_ptr<double[]>> rows_;
    std::vector<double*> table_;
};

#endif
