# What a Linux user installs, and the Debian package of it: the saver where
# xscreensaver looks for its hacks (and a link to it on the PATH), its
# options for xscreensaver-settings, tovrine-setup, its manual page, its
# artwork, a menu entry with its icon, its entry among the desktops' screen
# savers, and the package's copyright, changelog and README.Debian. The saver finds the artwork two levels above its own folder, in
# share/tovrine/bitmaps, under any prefix.
#
#   cmake --install build/native --prefix DIR
#   cd build/native && cpack -G DEB      # tovrine_<version>_amd64.deb

include(GNUInstallDirs)

set(TOVRINE_LINUX_FILES ${PROJECT_SOURCE_DIR}/resources/linux)

if(TARGET tovrine-linux-saver)
    install(TARGETS tovrine-linux-saver
        RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
    # For people who start it by hand: bin/tovrine, a relative link.
    file(RELATIVE_PATH TOVRINE_BIN_TO_HACK /${CMAKE_INSTALL_BINDIR}
        /${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver/tovrine)
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(MAKE_DIRECTORY \"\${bin}\")
        file(CREATE_LINK ${TOVRINE_BIN_TO_HACK} \"\${bin}/tovrine\" SYMBOLIC)
        message(STATUS \"Installing: \${bin}/tovrine -> ${TOVRINE_BIN_TO_HACK}\")")
endif()
install(PROGRAMS ${TOVRINE_LINUX_FILES}/tovrine-setup DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TOVRINE_LINUX_FILES}/tovrine.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Where MATE and the desktops like it list screen savers: the hack by its
# full path, as Debian's xscreensaver lists its own, written at install time
# so that it names the prefix the files go to.
install(CODE "
    set(hack \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver/tovrine\")
    set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/screensavers/tovrine.desktop\")
    configure_file(${TOVRINE_LINUX_FILES}/tovrine-screensaver.desktop.in \"\${entry}\" @ONLY)
    message(STATUS \"Installing: \${entry}\")")

install(FILES ${TOVRINE_LINUX_FILES}/tovrine.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)

# Compressed as Debian's policy wants them, without a name or a time stamp in
# the header, so the same page always gives the same package. The hack's
# page is in section 6x, where Debian's hacks have theirs.
set(TOVRINE_GZIPPED "")
foreach(source tovrine.6x tovrine-setup.1 changelog)
    set(gzipped ${CMAKE_BINARY_DIR}/linux/${source}.gz)
    add_custom_command(OUTPUT ${gzipped}
        COMMAND ${CMAKE_COMMAND} -E copy ${TOVRINE_LINUX_FILES}/${source}
            ${CMAKE_BINARY_DIR}/linux/${source}
        COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/linux/${source}
        DEPENDS ${TOVRINE_LINUX_FILES}/${source}
        VERBATIM)
    list(APPEND TOVRINE_GZIPPED ${gzipped})
endforeach()
# The menu entry's icon: the largest picture of the Windows icon, without
# the time stamps ImageMagick would write into the PNG.
set(TOVRINE_ICON ${CMAKE_BINARY_DIR}/linux/tovrine.png)
add_custom_command(OUTPUT ${TOVRINE_ICON}
    COMMAND convert ${PROJECT_SOURCE_DIR}/resources/tovrine.ico[2] -strip
        -define png:exclude-chunks=date,time ${TOVRINE_ICON}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/tovrine.ico
    VERBATIM)
add_custom_target(tovrine-man ALL DEPENDS ${TOVRINE_GZIPPED} ${TOVRINE_ICON})
install(FILES ${CMAKE_BINARY_DIR}/linux/tovrine.6x.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_BINARY_DIR}/linux/tovrine-setup.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TOVRINE_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
install(FILES ${TOVRINE_LINUX_FILES}/copyright ${CMAKE_BINARY_DIR}/linux/changelog.gz
    ${TOVRINE_LINUX_FILES}/README.Debian
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tovrine)

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
set(CPACK_PACKAGE_CONTACT "The Tovrine developers <tovrine@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "artificial-life screen saver for xscreensaver")
# CPack puts the summary first and indents this below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Small creatures, the Vobs, are born with a strength, wander the screen, eat
the food that drifting whirls leave behind, grow, spawn and die; when the
last one has died a new civilization is born after a countdown.
.
The Linux build of the Tovrine screen saver for Windows, as a hack for
xscreensaver, with its options for xscreensaver-settings and its manual
page. It reads the Windows saver's 128-byte settings record.
.
It also holds the Python module tovrine (import tovrine), the same world
for people who design its algorithms: records, seeded worlds, their
figures and pictures as NumPy arrays.")
# <name>_<version>_<architecture>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The SDL libraries come from dpkg-shlibdeps; the fonts are opened by path.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-dejavu-core")
# The Python module is built for one version of python3; Debian's policy
# has a package holding such a module depend on that version.
if(TOVRINE_PYTHON_MINOR)
    math(EXPR next "${TOVRINE_PYTHON_MINOR} + 1")
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
        ", python3 (>= 3.${TOVRINE_PYTHON_MINOR}~), python3 (<< 3.${next})")
endif()
# The module's figures are NumPy arrays; the saver needs neither.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver, python3-numpy")
# Removing the package tells how to take Tovrine out of ~/.xscreensaver,
# which tovrine-setup wrote and no package may touch.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TOVRINE_LINUX_FILES}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
