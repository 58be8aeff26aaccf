# Installs vorplane as a Debian game and describes its .deb, made by scripts/package
# with CPack. Included at the end of the top-level CMakeLists.txt.
include(GNUInstallDirs)

set(dist ${PROJECT_SOURCE_DIR}/dist)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The manual page and the changelog carry the project's version; Debian wants both
# compressed to the maximum and without a time stamp.
configure_file(${dist}/vorplane.6.in vorplane.6 @ONLY)
configure_file(${dist}/changelog.in changelog @ONLY)
add_custom_command(OUTPUT vorplane.6.gz changelog.gz
                   COMMAND gzip -9nkf vorplane.6 changelog
                   DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/vorplane.6 ${CMAKE_CURRENT_BINARY_DIR}/changelog)
add_custom_target(vorplane_docs ALL DEPENDS vorplane.6.gz changelog.gz)

# Debian keeps games in /usr/games.
install(TARGETS vorplane RUNTIME DESTINATION games)
# Without the compilers' version notes, as Debian's own packaging strips them.
install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/games/vorplane\" COMMAND_ERROR_IS_FATAL ANY)")
install(FILES ${dist}/vorplane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dist}/vorplane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${VORPLANE_ICON_SIZES})  # rendered by dist/icons.cmake
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}/vorplane.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${dist}/vorplane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vorplane.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${dist}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT "Vorplane developers <contact@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cellular automaton toy, one cell per screen pixel")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
A 640 x 480 world of cells evolves under Conway's Game of Life or under
decay rules in which a dying cell fades through up to 16 states. With the
keyboard and the mouse the player pauses, steps and speeds it up, fills,
clears or inverts the world, sows a random soup, paints cells, edits the
survival and birth tables, draws a random rule and switches between a torus
and a bounded world.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
