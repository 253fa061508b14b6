#include "LargeMemory.h"

#include <cstdint>
#include <sys/mman.h>

namespace {

void adviseHugePages(void* data, qsizetype bytes) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
    if (bytes < qsizetype(4 * kHugePage))
        return;
    // Only whole huge pages inside the buffer can be advised.
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end =
        (reinterpret_cast<std::uintptr_t>(data) + std::uintptr_t(bytes)) & ~(kHugePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}

} // namespace

void reserveLargeText(QString& text, qsizetype capacity) {
    text.reserve(capacity);
    adviseHugePages(text.data(), capacity * qsizetype(sizeof(QChar)));
}

void reserveLargeBytes(QByteArray& bytes, qsizetype capacity) {
    bytes.reserve(capacity);
    adviseHugePages(bytes.data(), capacity);
}
