# ".pat" patch files: reading, and the record buffer built from what was read.
tessaly_fuzzer(fuzz_patch_read SOURCES patch_read.cpp LIBS tessaly_patch
    SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/patch_seeds/current.pat
          ${CMAKE_CURRENT_SOURCE_DIR}/patch_seeds/old.pat)
