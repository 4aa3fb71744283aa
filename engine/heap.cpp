#include "engine/heap.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quenby {

void keepLargeBlocksInHeap() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

} // namespace quenby
