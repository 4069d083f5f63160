// An allocator for large arrays that are touched at random (the list's rows, the sort's
// keys and orders): blocks of 2 MiB or more are mapped on their own and asked to use huge
// pages, which saves most of the page faults and address-translation misses of a first
// touch and of random access.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <new>
#include <vector>

template <class T>
struct HugePageAllocator {
    using value_type = T;
    static constexpr size_t kHugePage = size_t{2} << 20;

    HugePageAllocator() = default;
    template <class U>
    HugePageAllocator(const HugePageAllocator<U>&) {}

    T* allocate(size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes < kHugePage) return static_cast<T*>(::operator new(bytes));
        void* p = mmap(nullptr, Rounded(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                       -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        madvise(p, Rounded(bytes), MADV_HUGEPAGE);
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes < kHugePage)
            ::operator delete(p);
        else
            munmap(p, Rounded(bytes));
    }
    template <class U>
    bool operator==(const HugePageAllocator<U>&) const {
        return true;
    }

private:
    static size_t Rounded(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }
};

template <class T>
using HugePageVector = std::vector<T, HugePageAllocator<T>>;
