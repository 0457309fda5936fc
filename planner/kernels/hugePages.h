#pragma once
// Blocks in 2 MB pages. The system hands them only to memory that asks (transparent huge pages in
// "madvise" mode); a search over a big grid then misses the address translation far less often,
// and filling a block costs one page fault per 2 MB instead of one per 4 KB.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>

constexpr std::size_t HUGE_PAGE = std::size_t{2} << 20;

// A block of at least `size` bytes, asked to come in 2 MB pages; its usable size, a whole number
// of pages, goes to `bytes`. Freed with std::free; nullptr when there is no memory.
inline void* allocateInHugePages(std::size_t size, std::size_t& bytes) {
    bytes = (size + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
    void* block = std::aligned_alloc(HUGE_PAGE, bytes);
    if (block != nullptr) {
        madvise(block, bytes, MADV_HUGEPAGE); // only a hint: small pages work as well
    }
    return block;
}

// Gives back to the system the whole 2 MB pages of a block from allocateInHugePages that lie
// in [from, to): their contents are no longer needed. The block stays allocated, and a page
// written again is taken anew.
inline void giveBackPages(const void* from, const void* to) {
    const auto first = (reinterpret_cast<std::uintptr_t>(from) + HUGE_PAGE - 1) / HUGE_PAGE;
    const auto last = reinterpret_cast<std::uintptr_t>(to) / HUGE_PAGE;
    if (first < last) {
        madvise(reinterpret_cast<void*>(first * HUGE_PAGE), (last - first) * HUGE_PAGE,
                MADV_DONTNEED);
    }
}
