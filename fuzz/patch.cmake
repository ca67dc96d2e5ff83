# ".pat" patch files: reading, and the record buffer built from what was read.
file(GLOB patch_seeds ${CMAKE_CURRENT_SOURCE_DIR}/patch_seeds/*.pat)
tessaly_fuzzer(fuzz_patch_read SOURCES patch_read.cpp LIBS tessaly_patch SEEDS ${patch_seeds})
