# Sound entries (through the file set, exported and read back) and RIFF/WAVE reading.
set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/sound_seeds)
tessaly_fuzzer(fuzz_sound_entry SOURCES sound_entry.cpp LIBS tessaly_sound
    SEEDS ${seeds}/empty.entry ${seeds}/odd.entry ${seeds}/short.entry ${seeds}/tone.entry)
tessaly_fuzzer(fuzz_sound_wave SOURCES sound_wave.cpp LIBS tessaly_sound
    SEEDS ${seeds}/empty.wav ${seeds}/list.wav ${seeds}/odd.wav ${seeds}/ramp.wav)
