# Runs one libFuzzer target over a corpus seeded with SEEDS: for SECONDS (default 5) over a fresh
# corpus in the build tree, or, when the environment sets TESSALY_FUZZ_CORPUS, over the kept
# corpus TESSALY_FUZZ_CORPUS/NAME, which grows from run to run. TESSALY_FUZZ_SECONDS in the
# environment overrides SECONDS. Every run is held to 2 GiB of resident memory (and no single
# allocation above that); when TESSALY_FUZZ_PEAKS names a file, the target's peak resident
# memory is appended to it as "NAME PEAK_MB".
if(DEFINED ENV{TESSALY_FUZZ_SECONDS} AND NOT "$ENV{TESSALY_FUZZ_SECONDS}" STREQUAL "")
    set(SECONDS $ENV{TESSALY_FUZZ_SECONDS})
endif()
if(NOT SECONDS)
    set(SECONDS 5)
endif()
if(DEFINED ENV{TESSALY_FUZZ_CORPUS} AND NOT "$ENV{TESSALY_FUZZ_CORPUS}" STREQUAL "")
    set(CORPUS $ENV{TESSALY_FUZZ_CORPUS}/${NAME})
else()
    file(REMOVE_RECURSE ${CORPUS})
endif()
file(MAKE_DIRECTORY ${CORPUS})
foreach(seed ${SEEDS})
    get_filename_component(base ${seed} NAME)
    file(COPY_FILE ${seed} ${CORPUS}/${base})
endforeach()
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -rss_limit_mb=2048 -max_len=65536
            -print_final_stats=1 ${CORPUS}
    RESULT_VARIABLE rc
    ERROR_VARIABLE output
    ECHO_ERROR_VARIABLE)
if(DEFINED ENV{TESSALY_FUZZ_PEAKS} AND NOT "$ENV{TESSALY_FUZZ_PEAKS}" STREQUAL "")
    string(REGEX MATCH "stat::peak_rss_mb: *([0-9]+)" peak "${output}")
    if(peak)
        file(APPEND $ENV{TESSALY_FUZZ_PEAKS} "${NAME} ${CMAKE_MATCH_1}\n")
    else()
        file(APPEND $ENV{TESSALY_FUZZ_PEAKS} "${NAME} unknown\n")
    endif()
endif()
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "fuzzer ${FUZZER} failed (${rc})")
endif()
