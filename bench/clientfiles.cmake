# Client data files: loading, sorting and searching a large patch table, reading every index
# record, and building a container's entry index, each against a bulk read of the same bytes.
add_executable(bench_clientfiles clientfiles_load.cpp)
target_compile_options(bench_clientfiles PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_clientfiles PRIVATE tessaly_clientfiles tessaly_sampleclient
                      benchmark::benchmark)
