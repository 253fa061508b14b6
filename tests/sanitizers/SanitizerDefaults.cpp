// The sanitizers' settings for every program of the sanitizer build. The runtimes ask for these
// before main(); the environment's ASAN_OPTIONS, UBSAN_OPTIONS and LSAN_OPTIONS override them
// flag by flag (CI adds a log folder that way).

#define TAGLOOM_SANITIZER_HOOK extern "C" __attribute__((visibility("default"), used))

#ifdef TAGLOOM_SANITIZE_GL_DRIVER
#include <dlfcn.h>

// Mesa's GL driver, which the browser pane loads, is unloaded again when the display connection
// closes, before the leak check at exit; the blocks it still held then look leaked, from frames
// in no module, and no suppression can name them. Loaded here for good, the driver stays mapped,
// and with it its pointers to those blocks: nothing of it is reported, and nothing is turned off.
// A process that never shows a page pays only for loading it.
__attribute__((constructor)) static void keepTheGlDriverLoaded() {
    dlopen(TAGLOOM_SANITIZE_GL_DRIVER, RTLD_LAZY | RTLD_NODELETE);
}
#endif

// A leak check at exit.
//
// Chromium inside Qt WebEngine deletes some of its own objects with a size that is not theirs
// (in WebContentsAdapter's destructor), which would stop every program that shows a page. There
// the sized-delete check is left out; our code's way to that fault, deleting through a base
// without a virtual destructor, is -Wdelete-non-virtual-dtor, which -Wall turns on and the build
// keeps clean. The fuzz targets, which show no page, keep the check.
//
// The runtime's hook on __tls_get_addr is off. This clang's runtime takes a loaded library's
// thread-local block that starts 16 bytes past a page for one behind a header glibc has not
// written since 2.25, and reads the 16 bytes before it as the block's bounds. On ASan's heap those
// are the allocator's own header, whose second word, the allocating thread and stack, is a small
// number for the main thread: the leak check at exit then scans from an address such as 0x76f8
// and dies ("Tracer caught signal 11"), failing a program that passed. A page program's one such
// block lands there about once in 256 runs. Without the hook those blocks are not scanned for
// pointers, and the whole suite still reports no leak.
TAGLOOM_SANITIZER_HOOK const char* __asan_default_options() {
    return "detect_leaks=1:check_initialization_order=1:strict_init_order=1:"
           "print_summary=1:handle_abort=1:intercept_tls_get_addr=0"
#ifdef TAGLOOM_SANITIZE_WITH_BROWSER
           ":new_delete_type_mismatch=0"
#endif
#ifdef TAGLOOM_SANITIZE_ALLOCATION_CAP
           // A failed allocation made real: ASan's shadow memory rules out an address-space
           // cap, so the test that needs one has the allocator refuse large blocks instead.
           ":allocator_may_return_null=1:max_allocation_size_mb=" TAGLOOM_SANITIZE_ALLOCATION_CAP
#endif
        ;
}

// Undefined behaviour stops the program where it happens.
TAGLOOM_SANITIZER_HOOK const char* __ubsan_default_options() {
    return "halt_on_error=1:print_stacktrace=1:report_error_type=1";
}

// Qt, fontconfig, Mesa and Chromium keep some allocations until the process ends; only theirs
// are suppressed, by the frames they are made in.
TAGLOOM_SANITIZER_HOOK const char* __lsan_default_options() {
    return "suppressions=" TAGLOOM_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
