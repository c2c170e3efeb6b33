# Installation and the Debian package.
#
#   <prefix>/lib/mosslance-hero/mosslance-hero   the game itself
#   <prefix>/share/mosslance-hero/               its data tree, read-only
#   <prefix>/bin/mosslance-hero                  the launcher players start
#   <prefix>/share/applications, share/icons     the desktop menu entry
#
# The game opens its data relative to its working folder and writes Save/
# there, so players never run it in the installed tree: the launcher
# (packaging/mosslance-hero.sh.in) prepares a folder of their own and starts
# the game in it.
include(GNUInstallDirs)

set(MOSSLANCE_INSTALL_GAMEDIR lib/mosslance-hero
  CACHE STRING "Folder of the game's executable, relative to the prefix")
set(MOSSLANCE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/mosslance-hero)

# The launcher finds the game and the data from its own folder, so that the
# installed tree works wherever the prefix ends up.
file(RELATIVE_PATH MOSSLANCE_BIN_TO_GAME /prefix/${CMAKE_INSTALL_BINDIR}
  /prefix/${MOSSLANCE_INSTALL_GAMEDIR})
file(RELATIVE_PATH MOSSLANCE_BIN_TO_DATA /prefix/${CMAKE_INSTALL_BINDIR}
  /prefix/${MOSSLANCE_INSTALL_DATADIR})
configure_file(${CMAKE_SOURCE_DIR}/packaging/mosslance-hero.sh.in
  ${CMAKE_BINARY_DIR}/packaging/mosslance-hero @ONLY)

install(TARGETS mosslance-hero RUNTIME DESTINATION ${MOSSLANCE_INSTALL_GAMEDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/mosslance-hero
  DESTINATION ${CMAKE_INSTALL_BINDIR})

if(MOSSLANCE_DATA)
  # Everything the build lays out beside the executable, except the
  # executable and what playing from build/game wrote into Save/: of Save/
  # only the shipped saved game goes.
  string(REGEX REPLACE "([][+.*?()^$|\\\\])" "\\\\\\1" game_dir_regex "${GAME_DIR}")
  install(DIRECTORY ${GAME_DIR}/ DESTINATION ${MOSSLANCE_INSTALL_DATADIR}
    REGEX "^${game_dir_regex}/mosslance-hero$" EXCLUDE
    REGEX "^${game_dir_regex}/Save/." EXCLUDE
    REGEX "\\.part$" EXCLUDE)
  install(FILES ${GAME_DIR}/Save/save.sv DESTINATION ${MOSSLANCE_INSTALL_DATADIR}/Save)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/mosslance-hero.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/assets/font/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR}
  RENAME README.font.md)

# cpack -G DEB in the build folder makes mosslance-hero_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME mosslance-hero)
set(CPACK_PACKAGE_VENDOR "MOSSLANCE Hero developers")
set(CPACK_PACKAGE_CONTACT "MOSSLANCE Hero developers <mosslance-hero@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "one-button side-scrolling platform game")
set(CPACK_PACKAGE_DESCRIPTION
  "A small knight with a moss-green lance runs through a forest that scrolls
by itself; the space bar alone decides when to jump. Three levels, a record
for each, French menus.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The SDL 1.2 family, the MP3 decoder and the C and C++ runtimes, with their
# least versions, as dpkg-shlibdeps reads them off the executable; the same
# libraries by name where it is missing. Debian's sdl12-compat shim provides
# libsdl1.2debian, so the package installs beside either SDL 1.2.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libsdl1.2debian, libsdl-image1.2, libsdl-ttf2.0-0, libsdl-mixer1.2, libmpg123-0")
endif()
include(CPack)
