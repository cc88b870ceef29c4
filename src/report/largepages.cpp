#include "src/report/largepages.h"

#include <QtGlobal>

#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#include <unistd.h>
#endif

void TLargePages::Advise(void *data, size_t bytes)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    const size_t LARGE_PAGE = size_t(2) << 20;
    if (data == nullptr || bytes < 2 * LARGE_PAGE)
        return;
    // Only the whole pages inside the buffer: the advice applies to pages, and
    // the ones at its edges may be shared with other allocations.
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t begin = (reinterpret_cast<size_t>(data) + page - 1) / page * page;
    const size_t end = (reinterpret_cast<size_t>(data) + bytes) / page * page;
    // Advice only: where the system refuses it, the buffer works the same.
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(data)
    Q_UNUSED(bytes)
#endif
}
