# Client data files: index records and entry loading, the patch table, tile data records and
# statics blocks.
file(GLOB clientfiles_seeds ${CMAKE_CURRENT_SOURCE_DIR}/clientfiles_seeds/*)
foreach(target index verdata tiledata statics)
    tessaly_fuzzer(fuzz_clientfiles_${target}
        SOURCES clientfiles_${target}.cpp LIBS tessaly_clientfiles SEEDS ${clientfiles_seeds})
endforeach()
