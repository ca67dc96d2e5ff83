# The text list of the largest categories of the full-size sample client, from SetCategory to
# the first screen of rows, against one bulk read of the category's index file.
add_executable(bench_categories_lists categories_lists.cpp)
target_compile_options(bench_categories_lists PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_categories_lists PRIVATE tessaly_app tessaly_sampleclient
                      benchmark::benchmark)

# The thumbnail grid's first screen and page scrolling, and typing into the Statics filter.
add_executable(bench_categories_grid categories_grid.cpp)
target_compile_options(bench_categories_grid PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_categories_grid PRIVATE tessaly_app tessaly_sampleclient
                      benchmark::benchmark)

# tessaly-cli export-all items over the full-size sample client against Qt's image writer
# writing the same PNG files from pictures decoded beforehand.
add_executable(bench_categories_export categories_export.cpp)
target_compile_options(bench_categories_export PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_categories_export PRIVATE tessaly_categories tessaly_sampleclient
                      benchmark::benchmark)

# One user action at a time in the real window on the full-size clients: how long each blocks it.
add_executable(bench_categories_window categories_window.cpp)
target_compile_options(bench_categories_window PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_categories_window PRIVATE tessaly_app tessaly_sampleclient
                      benchmark::benchmark)

# The Cliloc category of a 120,000-message file: opening it and filtering it by a word, against
# a bulk read of the file.
add_executable(bench_categories_cliloc categories_cliloc.cpp)
target_compile_options(bench_categories_cliloc PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_categories_cliloc PRIVATE tessaly_app tessaly_sampleclient
                      benchmark::benchmark)
# tessaly-cli export-all Cliloc of the 120,000-message file against copying its output, and the
# command's peak memory.
add_executable(bench_categories_cliloc_export categories_cliloc_export.cpp)
target_compile_options(bench_categories_cliloc_export PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_categories_cliloc_export PRIVATE tessaly_clientfiles
                      tessaly_sampleclient)
target_compile_definitions(bench_categories_cliloc_export PRIVATE
                           TESSALY_CLI="$<TARGET_FILE:tessaly-cli>")
add_dependencies(bench_categories_cliloc_export tessaly-cli)
# The map: the whole-facet picture against a pass over the facet's bytes in memory, the map
# view's first screen and slowest step on the window's thread, render-map against the PNG writer.
add_executable(bench_categories_map categories_map.cpp)
target_compile_options(bench_categories_map PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_categories_map PRIVATE tessaly_categories_window tessaly_sampleclient)
