// The list's row quicksort written out directly over the pairwise text comparison, to check
// the key-based sorts against.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ui/controls/list_sort.h"

inline void DirectSort(std::vector<int>& a, const std::vector<std::string>& texts, long lo, long hi,
                       bool asc) {
    auto at = [&a](long i) -> int& { return a[static_cast<size_t>(i)]; };
    while (lo < hi) {
        long i = lo, j = hi;
        const int pivot = at((lo + hi) / 2);
        auto cmp = [&](int x) {
            return CompareCellTexts(texts[static_cast<size_t>(x)],
                                    texts[static_cast<size_t>(pivot)]);
        };
        do {
            if (asc) {
                while (i < hi && cmp(at(i)) < 0) ++i;
                while (j > lo && cmp(at(j)) > 0) --j;
            } else {
                while (i < hi && cmp(at(i)) > 0) ++i;
                while (j > lo && cmp(at(j)) < 0) --j;
            }
            if (j < i) break;
            if (j > i) std::swap(at(i), at(j));
            ++i;
            --j;
        } while (i <= j);
        if (lo < j) DirectSort(a, texts, lo, j, asc);
        lo = i;
    }
}

// The rows of texts in the order DirectSort leaves them.
inline std::vector<int> DirectOrder(const std::vector<std::string>& texts, bool asc) {
    std::vector<int> order;
    for (size_t i = 0; i < texts.size(); ++i) order.push_back(static_cast<int>(i));
    DirectSort(order, texts, 0, static_cast<long>(texts.size()) - 1, asc);
    return order;
}
