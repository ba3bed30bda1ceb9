# What a Linux user installs, and the Debian package of it: the saver where
# xscreensaver looks for its hacks, its options for xscreensaver-settings,
# its manual page and its artwork. The saver finds the artwork two levels
# above its own folder, in share/tovrine/bitmaps, under any prefix.
#
#   cmake --install build/native --prefix DIR
#   cd build/native && cpack -G DEB      # tovrine_<version>_amd64.deb

include(GNUInstallDirs)

set(TOVRINE_LINUX_FILES ${PROJECT_SOURCE_DIR}/resources/linux)

if(TARGET tovrine-linux-saver)
    install(TARGETS tovrine-linux-saver
        RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
endif()

install(FILES ${TOVRINE_LINUX_FILES}/tovrine.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)

# Compressed as Debian's policy wants it, without a name or a time stamp in
# the header, so the same page always gives the same package.
set(TOVRINE_MAN_PAGE ${CMAKE_BINARY_DIR}/man/tovrine.6)
add_custom_command(OUTPUT ${TOVRINE_MAN_PAGE}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${TOVRINE_LINUX_FILES}/tovrine.6 ${TOVRINE_MAN_PAGE}
    COMMAND gzip -9nf ${TOVRINE_MAN_PAGE}
    DEPENDS ${TOVRINE_LINUX_FILES}/tovrine.6
    VERBATIM)
add_custom_target(tovrine-man ALL DEPENDS ${TOVRINE_MAN_PAGE}.gz)
install(FILES ${TOVRINE_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/bitmaps/
    DESTINATION ${CMAKE_INSTALL_DATADIR}/tovrine/bitmaps
    FILES_MATCHING PATTERN "*.bmp")

# cpack would otherwise build every test and tool first: `make deb` builds
# what the package holds, and cmake --install never builds anything.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovrine)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Tovrine developers <tovrine@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "artificial-life screen saver for xscreensaver")
# CPack puts the summary first and indents this below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Small creatures, the Vobs, are born with a strength, wander the screen, eat
the food that drifting whirls leave behind, grow, spawn and die; when the
last one has died a new civilization is born after a countdown.
.
The Linux build of the Tovrine screen saver for Windows, as a hack for
xscreensaver, with its options for xscreensaver-settings and its manual
page. It reads the Windows saver's 128-byte settings record.")
# <name>_<version>_<architecture>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The SDL libraries come from dpkg-shlibdeps; the fonts are opened by path.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver")
include(CPack)
