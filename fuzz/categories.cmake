# The entry framework over a patch file: records as entries, their targets, list texts, the
# writes of a save and the attachment of records to category lists.
tessaly_fuzzer(fuzz_categories_verdata
    SOURCES categories_verdata.cpp LIBS tessaly_categories SEEDS ${clientfiles_seeds})
