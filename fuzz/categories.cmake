# The entry framework over a patch file: records as entries, their targets, list texts, the
# writes of a save and the attachment of records to category lists.
tessaly_fuzzer(fuzz_categories_verdata
    SOURCES categories_verdata.cpp LIBS tessaly_categories SEEDS ${clientfiles_seeds})
# Skills: an index and a skills file made of one input, each skill read and listed.
tessaly_fuzzer(fuzz_categories_skills
    SOURCES categories_skills.cpp LIBS tessaly_categories
    SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/categories_seeds/skills.bin)
