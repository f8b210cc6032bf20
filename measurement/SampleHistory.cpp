#include "measurement/SampleHistory.h"

#include <new>
#include <sys/mman.h>

namespace tamsel {

static constexpr size_t kBytes = sizeof(uint16_t) * static_cast<size_t>(SampleHistory::kCapacity);

SampleHistory::SampleHistory()
{
    void *p =
        mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    data_ = static_cast<uint16_t *>(p);
}

SampleHistory::~SampleHistory()
{
    munmap(data_, kBytes);
}

} // namespace tamsel
