#ifndef QUORVEX_LARGEPAGES_H
#define QUORVEX_LARGEPAGES_H

#include <cstddef>

// A report of years of records is hundreds of megabytes of memory written
// once. On Linux each fresh 4 KiB page costs a fault on first touch, and on a
// virtual machine that costs more than writing the page: asking for large
// pages for such a buffer makes it one fault per 2 MiB. Elsewhere, and for
// small buffers, it does nothing. The memory's contents are not changed.
class TLargePages
{
public:
    static void Advise(void *data, size_t bytes);
};

#endif
