# Sound entries (through the file set, exported and read back) and RIFF/WAVE reading.
file(GLOB sound_entry_seeds ${CMAKE_CURRENT_SOURCE_DIR}/sound_seeds/*.entry)
file(GLOB sound_wave_seeds ${CMAKE_CURRENT_SOURCE_DIR}/sound_seeds/*.wav)
tessaly_fuzzer(fuzz_sound_entry SOURCES sound_entry.cpp LIBS tessaly_sound
    SEEDS ${sound_entry_seeds})
tessaly_fuzzer(fuzz_sound_wave SOURCES sound_wave.cpp LIBS tessaly_sound
    SEEDS ${sound_wave_seeds})
