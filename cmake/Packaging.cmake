# The Debian package, made from the install rules: `cpack -G DEB` in the build tree (or
# scripts/package) writes vantrel_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "vantrel developers <vantrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small real-time 3D air-combat game")
set(CPACK_PACKAGE_DESCRIPTION "Pick one of five missions and fly one aircraft over a height-grid \
terrain against, or beside, up to 29 computer pilots. Fight with a gun, rockets and guided \
missiles, with a head-up display, a radar and positional sound. Keyboard or gamepad, window or \
full screen; a computer pilot can fly any mission as a demo.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Libraries the programs link are found by dpkg-shlibdeps. What the game opens only at run
# time is named here: the GL and EGL dispatch libraries libepoxy loads (and through them a
# Mesa driver), assimp (opened by the mesh reader), and the font the head-up display is drawn
# with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1, libassimp5, fonts-dejavu-core")

include(CPack)
