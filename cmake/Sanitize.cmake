# The sanitizer build: AddressSanitizer and UndefinedBehaviorSanitizer over everything this
# project compiles (Qt and the system's libraries stay as Debian built them), the standard
# library's own checks, and frame pointers for whole stack traces. With clang the same build
# also makes the fuzz targets: the libraries carry libFuzzer's coverage hooks, which a plain
# program simply ignores, and only the fuzz programs link libFuzzer itself.
option(TAGLOOM_SANITIZE
       "Build the program, its tests and the fuzz targets with ASan and UBSan" OFF)

set(TAGLOOM_FUZZ_ENGINE OFF)
if(NOT TAGLOOM_SANITIZE)
    return()
endif()

set(TAGLOOM_SANITIZER_FLAGS
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    list(APPEND TAGLOOM_SANITIZER_FLAGS -fsanitize=fuzzer-no-link)
    set(TAGLOOM_FUZZ_ENGINE ON)
endif()
add_compile_options(${TAGLOOM_SANITIZER_FLAGS})
add_link_options(${TAGLOOM_SANITIZER_FLAGS})
add_compile_definitions(_GLIBCXX_ASSERTIONS)

# The sanitizers' settings, compiled into every program of this build (the program itself, each
# test, each fuzz target), so that a run by hand reports as CI does. ASAN_OPTIONS, UBSAN_OPTIONS
# and LSAN_OPTIONS still add to them.
set(TAGLOOM_SANITIZER_DEFAULTS ${PROJECT_SOURCE_DIR}/tests/sanitizers/SanitizerDefaults.cpp)
set(TAGLOOM_LSAN_SUPPRESSIONS ${PROJECT_SOURCE_DIR}/tests/sanitizers/lsan.supp)
# Mesa's software GL driver, which the browser pane loads under Xvfb (SanitizerDefaults.cpp keeps
# it loaded until the leak check).
find_file(TAGLOOM_GL_DRIVER swrast_dri.so
          PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/dri /usr/lib/dri NO_DEFAULT_PATH)
if(NOT TAGLOOM_GL_DRIVER)
    message(WARNING "swrast_dri.so (libgl1-mesa-dri) not found: programs that show a page will "
                    "report the blocks Mesa's driver holds when it is unloaded as leaks")
endif()

# Adds the settings to every executable defined in the given folders.
function(tagloom_add_sanitizer_defaults)
    foreach(dir IN LISTS ARGN)
        get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target IN LISTS targets)
            get_target_property(type ${target} TYPE)
            if(type STREQUAL "EXECUTABLE")
                target_sources(${target} PRIVATE ${TAGLOOM_SANITIZER_DEFAULTS})
                target_compile_definitions(${target} PRIVATE
                    TAGLOOM_LSAN_SUPPRESSIONS="${TAGLOOM_LSAN_SUPPRESSIONS}")
                # The program and its tests show pages; the fuzz targets never do.
                if(NOT target MATCHES "^fuzz_")
                    target_compile_definitions(${target} PRIVATE TAGLOOM_SANITIZE_WITH_BROWSER)
                    if(TAGLOOM_GL_DRIVER)
                        target_compile_definitions(${target} PRIVATE
                            TAGLOOM_SANITIZE_GL_DRIVER="${TAGLOOM_GL_DRIVER}")
                        target_link_libraries(${target} PRIVATE ${CMAKE_DL_LIBS})
                    endif()
                endif()
            endif()
        endforeach()
    endforeach()
endfunction()
