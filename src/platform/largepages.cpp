#include "largepages.h"

#ifdef Q_OS_LINUX
#include <sys/mman.h>
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

} // namespace LargePages
