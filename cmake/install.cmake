# Installation (GNUInstallDirs) and the Debian package (`cmake --build build
# --target package`, or `./run package`).
include(GNUInstallDirs)

install(TARGETS led2vqn RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/org.led2vqn.led2vqn.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/org.led2vqn.led2vqn.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/led2vqn.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/led2vqn-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME led2vqn.xml)
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The manual page, from the program's own --help and --version.
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
if(HELP2MAN AND GZIP)
  set(MAN_PAGE ${CMAKE_BINARY_DIR}/led2vqn.1.gz)
  add_custom_command(OUTPUT ${MAN_PAGE}
    COMMAND ${HELP2MAN} --no-info --section=1 --source=led2vqn
            "--name=convert LED program files into controller card files"
            --output=${CMAKE_BINARY_DIR}/led2vqn.1 $<TARGET_FILE:led2vqn>
    COMMAND ${GZIP} -9nf ${CMAKE_BINARY_DIR}/led2vqn.1
    DEPENDS led2vqn
    COMMENT "Writing the manual page led2vqn.1")
  add_custom_target(man_page ALL DEPENDS ${MAN_PAGE})
  install(FILES ${MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# Debian's place for the licence and the change log.
set(DEB_DOC ${CMAKE_BINARY_DIR}/deb-doc)
file(MAKE_DIRECTORY ${DEB_DOC})
file(READ ${CMAKE_SOURCE_DIR}/LICENSE LICENSE_TEXT)
string(REGEX REPLACE "\n\n" "\n.\n" LICENSE_BODY "${LICENSE_TEXT}")
string(REGEX REPLACE "\n([^\n])" "\n \\1" LICENSE_BODY "${LICENSE_BODY}")
file(WRITE ${DEB_DOC}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: led2vqn\n\nFiles: *\nCopyright: 2026 The led2vqn developers\nLicense: Expat\n ${LICENSE_BODY}\n")
if(GZIP)
  add_custom_command(OUTPUT ${DEB_DOC}/changelog.gz
    COMMAND ${GZIP} -9nc ${CMAKE_SOURCE_DIR}/data/changelog > ${DEB_DOC}/changelog.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/data/changelog)
  add_custom_target(deb_changelog ALL DEPENDS ${DEB_DOC}/changelog.gz)
  install(FILES ${DEB_DOC}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
install(FILES ${DEB_DOC}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME led2vqn)
set(CPACK_PACKAGE_VENDOR "The led2vqn developers")
set(CPACK_PACKAGE_CONTACT "led2vqn developers <maintainers@led2vqn.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert LED program files into controller card files")
set(CPACK_PACKAGE_DESCRIPTION
  "led2vqn converts LED program files (*.led) into the card files (*.vqn) that\n"
  "the controllers of LED light boxes play from a memory card, for seven card\n"
  "models. It is one window in English or Chinese; the same conversions run\n"
  "from the command line.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
