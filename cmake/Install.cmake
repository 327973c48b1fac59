# Installing the demo on a desktop, and its Debian package.
#
#   bin/quillmoor                     the command: changes into the data folder
#                                     (the demo reads music.mp3 from there)
#   lib/quillmoor/quillmoor           the demo itself
#   share/quillmoor/music.mp3         the bundled music
#   lib/quillmoor/quillmoor-capture   the capture tool, with a link to the
#                                     music beside it (its default music)
#   bin/quillmoor-capture             a link to the capture tool
#   share/applications/quillmoor.desktop, share/icons/.../quillmoor.png
#   share/man/man6/quillmoor.6.gz, share/man/man1/quillmoor-capture.1.gz
#   share/doc/quillmoor/copyright, changelog.gz
include(GNUInstallDirs)

# Installing and cpack take what scripts/build made (the programs and their
# pages) and build nothing more: by default they would first build every
# target, the tests and benchmarks included.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(QUILLMOOR_PROGRAM_DIR lib/quillmoor)
set(QUILLMOOR_DATA_DIR ${CMAKE_INSTALL_DATADIR}/quillmoor)

# The command finds the demo and its music relative to its own folder.
file(RELATIVE_PATH QUILLMOOR_BIN_TO_DATA /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${QUILLMOOR_DATA_DIR})
file(RELATIVE_PATH QUILLMOOR_BIN_TO_PROGRAM /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${QUILLMOOR_PROGRAM_DIR})
configure_file(${CMAKE_SOURCE_DIR}/packaging/quillmoor.in ${CMAKE_BINARY_DIR}/packaging/quillmoor
               @ONLY)

install(TARGETS quillmoor quillmoor-capture RUNTIME DESTINATION ${QUILLMOOR_PROGRAM_DIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/quillmoor DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/music.mp3 DESTINATION ${QUILLMOOR_DATA_DIR})

# The capture tool looks for its default music beside its own executable
# (links resolved), so it sits in the program folder with a link to the
# bundled music, and the command is a link to it.
file(RELATIVE_PATH QUILLMOOR_PROGRAM_TO_DATA /prefix/${QUILLMOOR_PROGRAM_DIR}
     /prefix/${QUILLMOOR_DATA_DIR})
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${root}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK ${QUILLMOOR_PROGRAM_TO_DATA}/music.mp3
       \"\${root}/${QUILLMOOR_PROGRAM_DIR}/music.mp3\" SYMBOLIC)
  file(CREATE_LINK ${QUILLMOOR_BIN_TO_PROGRAM}/quillmoor-capture
       \"\${root}/${CMAKE_INSTALL_BINDIR}/quillmoor-capture\" SYMBOLIC)
")

# Manual pages from the programs' own --help texts, and the changelog,
# compressed the way Debian wants them (no name or time in the gzip header).
set(QUILLMOOR_DOC_BUILD ${CMAKE_BINARY_DIR}/packaging)
function(quillmoor_man_page program section summary see_also)
  set(page ${QUILLMOOR_DOC_BUILD}/${program}.${section})
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program}
            -DSECTION=${section} -DSUMMARY=${summary} -DVERSION=${PROJECT_VERSION}
            -DSEE_ALSO=${see_also} -DOUTPUT=${page} -P ${CMAKE_SOURCE_DIR}/cmake/HelpToMan.cmake
    COMMAND gzip -9nf ${page}
    DEPENDS ${program} ${CMAKE_SOURCE_DIR}/cmake/HelpToMan.cmake
    COMMENT "Writing the manual page ${program}(${section})"
    VERBATIM)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
quillmoor_man_page(quillmoor 6 "real-time audio-visual demo" "quillmoor-capture(1)")
quillmoor_man_page(quillmoor-capture 1 "render the Quillmoor film to PNG files or a video"
                   "quillmoor(6)")
add_custom_command(OUTPUT ${QUILLMOOR_DOC_BUILD}/changelog.gz
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${QUILLMOOR_DOC_BUILD}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(quillmoor_docs ALL DEPENDS ${QUILLMOOR_DOC_BUILD}/quillmoor.6.gz
  ${QUILLMOOR_DOC_BUILD}/quillmoor-capture.1.gz ${QUILLMOOR_DOC_BUILD}/changelog.gz)
add_dependencies(quillmoor_programs quillmoor_docs)
set(QUILLMOOR_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/quillmoor)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${QUILLMOOR_DOC_BUILD}/changelog.gz
        DESTINATION ${QUILLMOOR_DOC_DIR})
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
set(CPACK_PACKAGE_CONTACT "Quillmoor developers <quillmoor@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Real-time audio-visual demo")
# Lines of at most 80 characters, as Debian's tools read them.
set(CPACK_PACKAGE_DESCRIPTION "A settings dialog, a countdown leader, then a 110-second film of
procedural OpenGL scenes keyed to its bundled music. The package also holds
quillmoor-capture, which renders the film to PNG files or a video without a
display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The GL library alone draws nothing: Mesa's drivers do.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
include(CPack)
