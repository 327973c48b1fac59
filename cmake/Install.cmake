# Installing the demo on a desktop, and its Debian package.
#
#   bin/quillmoor                     the command: changes into the data folder
#                                     (the demo reads music.mp3 from there)
#   lib/quillmoor/quillmoor           the demo itself
#   share/quillmoor/music.mp3         the bundled music
#   share/applications/quillmoor.desktop, share/icons/.../quillmoor.png
include(GNUInstallDirs)

set(QUILLMOOR_PROGRAM_DIR lib/quillmoor)
set(QUILLMOOR_DATA_DIR ${CMAKE_INSTALL_DATADIR}/quillmoor)

# The command finds the demo and its music relative to its own folder.
file(RELATIVE_PATH QUILLMOOR_BIN_TO_DATA /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${QUILLMOOR_DATA_DIR})
file(RELATIVE_PATH QUILLMOOR_BIN_TO_PROGRAM /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${QUILLMOOR_PROGRAM_DIR})
configure_file(${CMAKE_SOURCE_DIR}/packaging/quillmoor.in ${CMAKE_BINARY_DIR}/packaging/quillmoor
               @ONLY)

install(TARGETS quillmoor RUNTIME DESTINATION ${QUILLMOOR_PROGRAM_DIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/quillmoor DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/music.mp3 DESTINATION ${QUILLMOOR_DATA_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/quillmoor.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/quillmoor.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)

# The package's dependencies come from the shared libraries the demo links
# (dpkg-shlibdeps), so installing the .deb pulls in what the demo needs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quillmoor)
set(CPACK_PACKAGE_CONTACT "Quillmoor developers <quillmoor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Real-time audio-visual demo")
set(CPACK_PACKAGE_DESCRIPTION
    "A settings dialog, a countdown leader, then a 110-second film of procedural OpenGL scenes keyed to its bundled music.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The GL library alone draws nothing: Mesa's drivers do.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
include(CPack)
