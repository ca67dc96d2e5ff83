# Shared build settings for every Tessaly target.

set(TESSALY_WARNINGS -Wall -Wextra -Wpedantic)

# Compiler cache: rebuilds of unchanged sources (other build folders, other checkouts) are free.
# The base directory makes cached objects shareable between checkouts in different folders.
find_program(TESSALY_CCACHE ccache)
if(TESSALY_CCACHE)
    set(launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} ${TESSALY_CCACHE})
    set(CMAKE_C_COMPILER_LAUNCHER ${launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()

if(TESSALY_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    # GCC's flow analysis under the sanitizers takes the standard library's std::regex for
    # reading uninitialised memory (it does not in the plain build).
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        add_compile_options(-Wno-maybe-uninitialized)
    endif()
endif()

# tessaly_library(NAME SOURCES ... LIBS ...): one library target per folder.
function(tessaly_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${TESSALY_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# tessaly_test(NAME LABELS LABEL SOURCES ... LIBS ...): one GoogleTest executable, its tests
# discovered by CTest and labelled: unit (no window), gui (drives widgets on the offscreen
# platform) or slow (minutes rather than seconds; left out of quick runs with -LE slow).
function(tessaly_test name)
    cmake_parse_arguments(ARG "" "" "LABELS;SOURCES;LIBS" ${ARGN})
    list(LENGTH ARG_LABELS label_count)
    if(NOT label_count EQUAL 1)
        message(FATAL_ERROR "tessaly_test(${name}): every test needs one label")
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE ${TESSALY_WARNINGS})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        # One label each: the discovered tests' properties take single values (a list would be
        # split into separate arguments), so LABELS comes before the environment.
        PROPERTIES LABELS "${ARG_LABELS}"
                   ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ALSOFT_LOGLEVEL=0")
endfunction()

# tessaly_fuzzer(NAME SOURCES ... LIBS ... [SEEDS file...]): a libFuzzer target plus a short
# CTest smoke run (a few seconds, bounded memory) over a fresh corpus seeded with SEEDS.
function(tessaly_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;SEEDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE ${TESSALY_WARNINGS} -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    add_dependencies(fuzzers ${name})
    set(corpus ${CMAKE_CURRENT_BINARY_DIR}/corpus-${name})
    add_test(NAME ${name}
        COMMAND ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:${name}> -DCORPUS=${corpus}
                -DNAME=${name} "-DSEEDS=${ARG_SEEDS}"
                -P ${PROJECT_SOURCE_DIR}/cmake/RunFuzzer.cmake)
    set_tests_properties(${name} PROPERTIES LABELS fuzz)
endfunction()

# The fuzz build instruments every library for coverage and memory errors, not just the targets.
if(TESSALY_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
