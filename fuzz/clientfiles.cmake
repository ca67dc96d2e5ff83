# Client data files: index records and entry loading, the patch table, tile data records,
# statics blocks, map blocks, containers (read, and converted to the other form), cliloc
# messages, speech keywords, the body definition files and the Wine registry.
set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/clientfiles_seeds)
set(clientfiles_seeds ${seeds}/index.bin ${seeds}/map.bin ${seeds}/statics.bin
                      ${seeds}/tiledata.bin ${seeds}/verdata.bin ${seeds}/uop.bin)
set(cliloc_seeds ${seeds}/cliloc.bin)
set(speech_seeds ${seeds}/speech.bin)
set(animdata_seeds ${seeds}/animdata.bin)
set(bodydefs_seeds ${seeds}/bodydefs.bin)
set(registry_seeds ${seeds}/registry.reg)
foreach(target index verdata tiledata statics map uop convert)
    tessaly_fuzzer(fuzz_clientfiles_${target}
        SOURCES clientfiles_${target}.cpp LIBS tessaly_clientfiles SEEDS ${clientfiles_seeds})
endforeach()
# The client's text files (cliloc messages, speech keywords, the body definition files), the
# animated items' "animdata.mul" and the Wine registry that names the client's directories.
foreach(target cliloc speech animdata bodydefs registry)
    tessaly_fuzzer(fuzz_clientfiles_${target}
        SOURCES clientfiles_${target}.cpp LIBS tessaly_clientfiles SEEDS ${${target}_seeds})
endforeach()

# Facets: difference files and statics over a small map, read whole and drawn.
tessaly_fuzzer(fuzz_clientfiles_facet SOURCES clientfiles_facet.cpp LIBS tessaly_images
    SEEDS ${clientfiles_seeds})
