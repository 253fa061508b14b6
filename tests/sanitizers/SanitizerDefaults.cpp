// The sanitizers' settings for every program of the sanitizer build. The runtimes ask for these
// before main(); the environment's ASAN_OPTIONS, UBSAN_OPTIONS and LSAN_OPTIONS override them
// flag by flag (CI adds a log folder that way).

#define TAGLOOM_SANITIZER_HOOK extern "C" __attribute__((visibility("default"), used))

// Stack traces through Qt's frames as well; a leak check at exit.
TAGLOOM_SANITIZER_HOOK const char* __asan_default_options() {
    return "detect_leaks=1:check_initialization_order=1:strict_init_order=1:"
           "print_summary=1:handle_abort=1";
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
