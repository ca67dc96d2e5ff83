# The entry framework over a patch file: records as entries, their targets, list texts, the
# writes of a save and the attachment of records to category lists.
if(TARGET tessaly_categories)
    file(GLOB categories_seeds ${CMAKE_CURRENT_SOURCE_DIR}/clientfiles_seeds/*)
    tessaly_fuzzer(fuzz_categories_verdata
        SOURCES categories_verdata.cpp LIBS tessaly_categories SEEDS ${categories_seeds})
endif()
