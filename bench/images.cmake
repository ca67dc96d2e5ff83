# Picture decoding speed over the full-size sample client.
add_executable(bench_images_decode images_decode.cpp)
target_compile_options(bench_images_decode PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_images_decode PRIVATE tessaly_images tessaly_sampleclient
                      benchmark::benchmark)
