# Client data files: loading and sorting a large patch table, and reading every index record,
# each against one bulk read of the same file.
add_executable(bench_clientfiles clientfiles_load.cpp)
target_compile_options(bench_clientfiles PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_clientfiles PRIVATE tessaly_clientfiles benchmark::benchmark)
