# Runs one libFuzzer target for a few seconds over a fresh corpus seeded with SEEDS.
if(NOT SECONDS)
    set(SECONDS 5)
endif()
file(REMOVE_RECURSE ${CORPUS})
file(MAKE_DIRECTORY ${CORPUS})
foreach(seed ${SEEDS})
    get_filename_component(base ${seed} NAME)
    file(COPY_FILE ${seed} ${CORPUS}/${base})
endforeach()
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -rss_limit_mb=2048 -max_len=65536
            -print_final_stats=1 ${CORPUS}
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "fuzzer ${FUZZER} failed (${rc})")
endif()
