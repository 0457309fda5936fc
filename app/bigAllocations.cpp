// Blocks of whole grids (millions of cells) come in 2 MB pages. Each first touch of a 4 KB page is
// a fault, and in a virtual machine a fault costs several microseconds: filling the route tables
// of a 16-million-cell grid took half a second of faults alone. The system hands 2 MB pages only
// to memory that asks for them (transparent huge pages in "madvise" mode), so the program asks
// for its big blocks here; everything else goes to malloc as before, and delete frees both alike.
// Left out of sanitizer builds, whose own allocator must see every block.

#include "planner/kernels/hugePages.h"

#include <cstdlib>
#include <new>

namespace {

// Smaller blocks gain little, and each would be rounded up to whole 2 MB pages.
constexpr std::size_t BIG_BLOCK = 8 * HUGE_PAGE;

void* allocate(std::size_t size) {
    if (size >= BIG_BLOCK) {
        std::size_t bytes = 0;
        if (void* block = allocateInHugePages(size, bytes)) {
            return block;
        }
    }
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

void* operator new(std::size_t size) {
    if (void* block = allocate(size)) {
        return block;
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete[](void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
