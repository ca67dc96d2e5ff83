# The ".pat" patch: merging a large patch file into a large patch.
add_executable(bench_patch_merge patch_merge.cpp)
target_compile_options(bench_patch_merge PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_patch_merge PRIVATE tessaly_patch benchmark::benchmark)
