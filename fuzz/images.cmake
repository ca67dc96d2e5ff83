# Picture decoders (items, terrain, textures, gumps, lights, animation frames, animation
# container entries), hue groups, fonts, Unicode fonts and multi import files.
set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/images_seeds)
set(images_item_seeds ${seeds}/item-small)
set(images_terrain_seeds ${seeds}/terrain-full)
set(images_texture_seeds ${seeds}/texture-64)
set(images_gump_seeds ${seeds}/gump-small)
set(images_light_seeds ${seeds}/light-small)
set(images_anim_seeds ${seeds}/anim-two)
set(images_anim_container_seeds ${seeds}/anim-container)
set(images_hues_seeds ${seeds}/hues-file ${seeds}/hues-patch)
set(images_multi_import_seeds ${seeds}/multi-import)
set(images_font_seeds ${seeds}/font-small)
set(images_unifont_seeds ${seeds}/unifont-small)
foreach(target item terrain texture gump light anim anim_container hues font unifont multi_import)
    tessaly_fuzzer(fuzz_images_${target}
        SOURCES images_${target}.cpp LIBS tessaly_images SEEDS ${images_${target}_seeds})
endforeach()
