#include "largepages.h"

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif
#if defined(Q_OS_LINUX) && defined(__GLIBC__)
#include <malloc.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#endif

namespace LargePages {

void advise(void *data, qsizetype size)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    // Only whole large pages inside the buffer; the edges stay as they are.
    constexpr quintptr largePage = quintptr(2) * 1024 * 1024;
    const quintptr begin = (quintptr(data) + largePage - 1) & ~(largePage - 1);
    const quintptr end = (quintptr(data) + quintptr(size)) & ~(largePage - 1);
    if (size > 0 && end > begin) {
        // A refusal only costs the saving.
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
    }
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

void reserveHeap(qsizetype bytes)
{
#if defined(Q_OS_LINUX) && defined(__GLIBC__) && defined(M_MMAP_MAX)
    if (bytes <= 0) {
        return;
    }
    // Freed memory stays in the heap for the blocks to come, and blocks up
    // to a few megabytes (the slices of a list being saved) come from it
    // rather than from a fresh mapping each time.
    constexpr int ownMapping = 4 * 1024 * 1024;
    mallopt(M_TRIM_THRESHOLD, int(std::min<qsizetype>(bytes + ownMapping, INT_MAX)));
    mallopt(M_MMAP_THRESHOLD, ownMapping);
    // One block of the whole size taken from the heap itself and given
    // back at once leaves that much room at the heap's end, where the small
    // blocks to come are cut from. Only its pages are asked for in large
    // pages; none of it is touched here.
    constexpr int defaultMappings = 65536;
    mallopt(M_MMAP_MAX, 0);
    void *const room = std::malloc(std::size_t(bytes));
    mallopt(M_MMAP_MAX, defaultMappings);
    if (room) {
        advise(room, bytes);
        std::free(room);
    }
#else
    Q_UNUSED(bytes);
#endif
}

} // namespace LargePages
