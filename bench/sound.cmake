# Sounds: loading every entry of the full-size sample client, writing and reading RIFF/WAVE
# data in memory, against a plain copy of the same samples.
add_executable(bench_sound_wave sound_wave.cpp)
target_compile_options(bench_sound_wave PRIVATE ${TESSALY_WARNINGS})
target_link_libraries(bench_sound_wave PRIVATE tessaly_sound tessaly_sampleclient
                      benchmark::benchmark)
