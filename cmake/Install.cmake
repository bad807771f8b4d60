# Trackwell as an installed desktop application: the install rules, the Debian package that
# CPack makes from them (scripts/package.sh), and the test of an installed tree. Included from
# the top-level CMakeLists.txt once the programs and the tests exist.

# ---- install rules ---------------------------------------------------------------------------

# One reverse-DNS id names the .desktop file, the AppStream file, the MIME package and the icon,
# and is the name the editor gives the window system for its windows (app/ui/main.cpp).
set(TRACKWELL_APP_ID io.github.trackwell.Trackwell)
target_compile_definitions(trackwell PRIVATE TRACKWELL_APP_ID="${TRACKWELL_APP_ID}")

# Folders made by the install are 755 whatever the umask, as a package's must be.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS trackwell trackwell-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Where the editor looks when the files are not beside it (TRACKWELL_DATADIR_FROM_BINDIR).
install(FILES resources/Presets.dat DESTINATION ${CMAKE_INSTALL_DATADIR}/trackwell)
install(DIRECTORY resources/Help DESTINATION ${CMAKE_INSTALL_DATADIR}/trackwell)

install(FILES resources/desktop/${TRACKWELL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/desktop/${TRACKWELL_APP_ID}.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES resources/desktop/${TRACKWELL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/icons/trackwell.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TRACKWELL_APP_ID}.svg)
install(FILES docs/man/trackwell.1 docs/man/trackwell-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES resources/bash-completion/trackwell-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# A Debian package also carries its copyright file and changelog, and its manual pages and
# changelog compressed. Only CPack's install sets TRACKWELL_DEBIAN_LAYOUT (below), so that a
# plain `cmake --install` gives the usual tree.
set(TRACKWELL_PACKAGE_MAINTAINER "Trackwell developers <trackwell@users.noreply.github.com>"
    CACHE STRING "The Maintainer field of the Debian package")
configure_file(packaging/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog @ONLY)
install(CODE "set(TRACKWELL_DEBIAN_FILES
    \"${CMAKE_CURRENT_SOURCE_DIR}/packaging/copyright\"
    \"${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog\")
set(TRACKWELL_DEBIAN_DOCDIR \"${CMAKE_INSTALL_DATADIR}/doc/trackwell\")
set(TRACKWELL_DEBIAN_MANDIR \"${CMAKE_INSTALL_MANDIR}/man1\")
set(TRACKWELL_DEBIAN_BINDIR \"${CMAKE_INSTALL_BINDIR}\")")
install(SCRIPT cmake/DebianLayout.cmake)

# ---- the Debian package ----------------------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trackwell)
set(CPACK_PACKAGE_VENDOR "The Trackwell developers")
set(CPACK_PACKAGE_CONTACT "${TRACKWELL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for D88/D77 floppy-disk image containers")
# Debian's control file keeps the line breaks given here; its lines stay under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Trackwell shows every disk image of a D88/D77 container, the files that"
    "PC-88, PC-98, FM-7, X1 and MSX collections are kept in, as one row of a"
    "list. It adds blank formatted images or the images of other files,"
    "renames, write-protects, sorts, reorders, duplicates and deletes them,"
    "every edit undoable, and saves the whole container or a selection. It"
    "never changes the tracks of an image, and a save replaces a file only"
    "once the new one is complete."
    ""
    "The package also holds trackwell-cli, which does the same work from"
    "scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_CUSTOM_INSTALL_VARIABLES TRACKWELL_DEBIAN_LAYOUT=ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the programs link are found by dpkg-shlibdeps; the plugins Qt loads at run time
# are not: the SVG icon engine draws every image, and the platform plugins show the window.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-qpa-plugins")
# Names are Shift-JIS: without a Japanese font they are rows of boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-japanese-gothic")
include(CPack)

# ---- the installed tree, checked ---------------------------------------------------------------

add_test(NAME install_tree
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/install/install_test.sh
                 ${CMAKE_BINARY_DIR} ${TRACKWELL_DATADIR_FROM_BINDIR} ${TRACKWELL_APP_ID}
                 ${CMAKE_CURRENT_SOURCE_DIR}/tests/data/samples/fm77av-demo.d77)
# The sanitizer build installs sanitized programs: Qt's own leaks at exit are not ours.
set_tests_properties(install_tree PROPERTIES ENVIRONMENT
    "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/tests/app/ui/lsan.supp")
