#include "TidyArena.h"

#include <chrono>
#include <cstdlib>

namespace {

std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

// Each block carries its links ahead of the bytes Tidy sees, keeping their alignment.
struct alignas(std::max_align_t) TidyArena::Block {
    Block* prev;
    Block* next;
    std::size_t size;
};

TidyArena::TidyArena(std::size_t budgetBytes, std::int64_t budgetNs,
                     const std::atomic<bool>* cancel)
    : m_budget(budgetBytes), m_deadlineNs(nowNs() + budgetNs), m_cancel(cancel) {
    m_base.base.vtbl = &s_vtable;
    m_base.owner = this;
}

const TidyAllocatorVtbl TidyArena::s_vtable = {&TidyArena::alloc, &TidyArena::realloc,
                                               &TidyArena::free, &TidyArena::panic};

TidyArena::~TidyArena() {
    releaseAll();
}

TidyArena& TidyArena::of(TidyAllocator* self) {
    // The allocator is the first member of its holder, which knows the arena.
    return *reinterpret_cast<Holder*>(self)->owner;
}

void TidyArena::releaseAll() {
    while (m_blocks) {
        Block* b = m_blocks;
        m_blocks = b->next;
        std::free(b);
    }
    m_held = 0;
}

void TidyArena::link(Block* b) {
    b->prev = nullptr;
    b->next = m_blocks;
    if (m_blocks)
        m_blocks->prev = b;
    m_blocks = b;
    m_held += b->size;
}

void TidyArena::unlink(Block* b) {
    if (b->prev)
        b->prev->next = b->next;
    else
        m_blocks = b->next;
    if (b->next)
        b->next->prev = b->prev;
    m_held -= b->size;
}

void TidyArena::leave(Escape why) {
    reason = why;
    std::longjmp(escape, 1);
}

void TidyArena::checkBudget(std::size_t more) {
    if (holdEscape)
        return;
    if (m_cancel && m_cancel->load(std::memory_order_relaxed))
        leave(Escape::Cancelled);
    if (m_held + more > m_budget)
        leave(Escape::OutOfBudget);
    // The clock is read now and then: Tidy allocates for every node and attribute.
    if ((++m_calls & 1023) == 0 && nowNs() > m_deadlineNs)
        leave(Escape::OutOfTime);
}

void* TIDY_CALL TidyArena::alloc(TidyAllocator* self, std::size_t bytes) {
    TidyArena& a = of(self);
    a.checkBudget(bytes);
    auto* b = static_cast<Block*>(std::malloc(sizeof(Block) + bytes));
    if (!b)
        a.leave(Escape::OutOfBudget);
    b->size = bytes;
    a.link(b);
    return b + 1;
}

void* TIDY_CALL TidyArena::realloc(TidyAllocator* self, void* block, std::size_t bytes) {
    if (!block)
        return alloc(self, bytes);
    TidyArena& a = of(self);
    Block* old = static_cast<Block*>(block) - 1;
    if (bytes > old->size)
        a.checkBudget(bytes - old->size);
    a.unlink(old);
    auto* b = static_cast<Block*>(std::realloc(old, sizeof(Block) + bytes));
    if (!b) {
        a.link(old);
        a.leave(Escape::OutOfBudget);
    }
    b->size = bytes;
    a.link(b);
    return b + 1;
}

void TIDY_CALL TidyArena::free(TidyAllocator* self, void* block) {
    if (!block)
        return;
    TidyArena& a = of(self);
    Block* b = static_cast<Block*>(block) - 1;
    a.unlink(b);
    std::free(b);
}

void TIDY_CALL TidyArena::panic(TidyAllocator* self, ctmbstr) {
    of(self).leave(Escape::TidyPanic);
}
