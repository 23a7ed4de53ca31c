#include "allocator.h"

#include <malloc.h>

namespace backend {

void keepFreedMemoryForRequests() {
    // Above what a request of the largest accepted body needs at once (the engine's word list
    // takes twice the mail), below a password hash's working memory, which stays mapped apart.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
}

} // namespace backend
