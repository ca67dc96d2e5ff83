# Picture decoders (items, terrain, textures, gumps, lights, animation frames) and hue groups.
foreach(target item terrain texture gump light anim hues)
    file(GLOB images_${target}_seeds ${CMAKE_CURRENT_SOURCE_DIR}/images_seeds/${target}*)
    tessaly_fuzzer(fuzz_images_${target}
        SOURCES images_${target}.cpp LIBS tessaly_images SEEDS ${images_${target}_seeds})
endforeach()
