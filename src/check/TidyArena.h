#pragma once

#include <tidy/tidy.h>

#include <atomic>
#include <csetjmp>
#include <cstddef>
#include <cstdint>

// The memory of one Tidy run. Every block Tidy takes for the document comes from here and is
// known, so a run can be left at any allocation and all of its memory given back: when the run is
// called off, when it passes its memory or time budget, or when Tidy itself gives up for want of
// memory (its own answer to that is to end the process).
//
// Leaving a run jumps back to `escape`, set by the caller just before Tidy is entered; only Tidy's
// C frames lie between, so nothing with a destructor is skipped.
class TidyArena {
public:
    enum class Escape { None = 0, Cancelled, OutOfBudget, OutOfTime, TidyPanic };

    TidyArena(std::size_t budgetBytes, std::int64_t budgetNs, const std::atomic<bool>* cancel);
    ~TidyArena();
    TidyArena(const TidyArena&) = delete;
    TidyArena& operator=(const TidyArena&) = delete;

    TidyAllocator* allocator() { return &m_base.base; }
    // Gives back every block still held (after a run that was left half-way).
    void releaseAll();

    // While set, the run is not left (the message callback is running C++ code of ours).
    bool holdEscape = false;
    std::jmp_buf escape;
    Escape reason = Escape::None;

private:
    struct Block;
    static void* TIDY_CALL alloc(TidyAllocator* self, std::size_t bytes);
    static void* TIDY_CALL realloc(TidyAllocator* self, void* block, std::size_t bytes);
    static void TIDY_CALL free(TidyAllocator* self, void* block);
    static void TIDY_CALL panic(TidyAllocator* self, ctmbstr message);
    static TidyArena& of(TidyAllocator* self);
    // Leaves the run if it is called off or over budget.
    void checkBudget(std::size_t more);
    [[noreturn]] void leave(Escape why);
    void link(Block* block);
    void unlink(Block* block);

    struct Holder {
        TidyAllocator base; // first: Tidy hands it back as `self`
        TidyArena* owner;
    };
    static const TidyAllocatorVtbl s_vtable;

    Holder m_base;
    std::size_t m_budget;
    std::int64_t m_deadlineNs;
    const std::atomic<bool>* m_cancel;
    std::size_t m_held = 0;
    unsigned m_calls = 0;
    Block* m_blocks = nullptr;
};
