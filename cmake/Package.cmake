# The Debian package: `cpack` in the build folder writes tessaly_VERSION_ARCH.deb holding what
# `cmake --install` installs: the window, the CLI, the desktop entry, MIME type, icons, AppStream
# metadata, man pages and the CLI's bash completion (the sample generator is not installed).
include(GNUInstallDirs)

# Man pages, made by help2man from the programs' own --help, so they say what the option
# descriptions say; their name and version are the program's and the project's. Sanitizer and fuzz builds make none: their programs are not packaged.
find_program(TESSALY_HELP2MAN help2man)
find_program(TESSALY_GZIP gzip)
if(TESSALY_HELP2MAN AND TESSALY_GZIP AND NOT TESSALY_SANITIZE AND NOT TESSALY_FUZZ)
    set(pages)
    foreach(entry "tessaly|viewer and patch editor for a game client's data files"
                  "tessaly-cli|read a game client's data files from the command line")
        string(REPLACE "|" ";" entry "${entry}")
        list(GET entry 0 program)
        list(GET entry 1 name)
        set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND ${TESSALY_HELP2MAN} --no-info --section=1 --name=${name}
                    "--version-string=${program} ${PROJECT_VERSION}" --output=${page}
                    $<TARGET_FILE:${program}>
            COMMAND ${TESSALY_GZIP} -9nf ${page}
            DEPENDS ${program}
            COMMENT "Writing the man page of ${program}"
            VERBATIM)
        list(APPEND pages ${page}.gz)
    endforeach()
    add_custom_target(man-pages ALL DEPENDS ${pages})
    install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(STATUS "No man pages in this build (help2man and gzip make them in a plain build)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tessaly developers <tessaly@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and patch editor for a game client's data files")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tessaly browses every category of a classic online role-playing game client's data files\n\
(art, animations, sounds, hues, fonts, multis, the map and the tile data), plays animations\n\
and sounds, and edits pictures and sounds into the client's patch file. tessaly-cli reads the\n\
same data from the command line and exports pictures and sounds.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Depends: the packages of the libraries the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
