# Client data files: loading, sorting and searching a large patch table, reading every index
# record, and building a container's entry index, each against a bulk read of the same bytes.
add_executable(bench_clientfiles clientfiles_load.cpp)
target_compile_options(bench_clientfiles PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_clientfiles PRIVATE tessaly_clientfiles tessaly_sampleclient
                      benchmark::benchmark)

# Hostile files against honest ones: a patch table in adversarial order, a container whose
# entries claim huge sizes.
add_executable(bench_clientfiles_hostile clientfiles_hostile.cpp)
target_compile_options(bench_clientfiles_hostile PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_clientfiles_hostile PRIVATE tessaly_clientfiles tessaly_sampleclient
                      benchmark::benchmark)

# tessaly-cli convert of the full-size sample clients (old to containers, newer to .mul pairs)
# against copying the same output bytes with a flush of each file, and the command's peak memory.
add_executable(bench_clientfiles_convert clientfiles_convert.cpp)
target_compile_options(bench_clientfiles_convert PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_clientfiles_convert PRIVATE tessaly_clientfiles tessaly_sampleclient)
target_compile_definitions(bench_clientfiles_convert PRIVATE
                           TESSALY_CLI="$<TARGET_FILE:tessaly-cli>")
add_dependencies(bench_clientfiles_convert tessaly-cli)

# tessaly-cli merge of a 1,020-record patch and a ".pat" of hues and multis into the full-size
# sample clients against copying the same output bytes with a flush of each file, and the
# command's peak memory; with --inputs DIR it writes the clients and patches for
# scripts/demo-merge.sh.
add_executable(bench_clientfiles_merge clientfiles_merge.cpp)
target_compile_options(bench_clientfiles_merge PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_clientfiles_merge PRIVATE tessaly_clientfiles tessaly_sampleclient
                      Qt6::Gui)
target_compile_definitions(bench_clientfiles_merge PRIVATE
                           TESSALY_CLI="$<TARGET_FILE:tessaly-cli>")
add_dependencies(bench_clientfiles_merge tessaly-cli)
