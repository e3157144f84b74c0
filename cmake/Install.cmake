# Installation and desktop integration: the two programs, the resources, the
# desktop entry, the file types, the icons, the AppStream metadata and the
# manual pages, laid out the way a Linux desktop looks for them:
#
#   bin/zivra-jigsaw, bin/zivra-tool
#   share/zivra-jigsaw/                      the resources (found as ../share/zivra-jigsaw from bin/)
#   share/applications/com.zivra.Jigsaw.desktop
#   share/mime/packages/com.zivra.Jigsaw.xml
#   share/icons/hicolor/NxN/{apps,mimetypes}/
#   share/metainfo/com.zivra.Jigsaw.metainfo.xml
#   share/man/man6/zivra-jigsaw.6.gz, share/man/man1/zivra-tool.1.gz
#   share/doc/zivra-jigsaw/{copyright,changelog.gz}
#
# Nothing installed names the source or build tree. The Debian package
# (cmake/Package.cmake) installs the same tree under /usr.

include(GNUInstallDirs)

set(ZIVRA_APP_ID com.zivra.Jigsaw)
set(ZIVRA_LICENSE "GPL-2.0-or-later" CACHE STRING "SPDX licence of the game, for the AppStream metadata")
set(ZIVRA_WEBSITE "https://zivra.example.org" CACHE STRING
    "The project's web site: the AppStream metadata links it and its screenshots/ (data/screenshots)")
set(ZIVRA_DATA ${CMAKE_SOURCE_DIR}/data)
set(ZIVRA_DATA_OUT ${CMAKE_BINARY_DIR}/data)
set(ZIVRA_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/zivra-jigsaw)

# The programs and their resources. The icons of the resource folder go to
# the icon theme instead.
install(TARGETS zivra-jigsaw zivra-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zivra-jigsaw
        PATTERN icons EXCLUDE)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Desktop entry, file types and AppStream metadata.
install(FILES ${ZIVRA_DATA}/${ZIVRA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZIVRA_DATA}/${ZIVRA_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${ZIVRA_APP_ID}.xml)
configure_file(${ZIVRA_DATA}/${ZIVRA_APP_ID}.metainfo.xml.in ${ZIVRA_DATA_OUT}/${ZIVRA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${ZIVRA_DATA_OUT}/${ZIVRA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the Debian changelog, compressed without a time stamp (-n)
# so the same sources give the same bytes.
set(_zivra_gz)
foreach(src man/zivra-jigsaw.6 man/zivra-tool.1 changelog)
  get_filename_component(name ${src} NAME)
  add_custom_command(OUTPUT ${ZIVRA_DATA_OUT}/${name}.gz
    COMMAND gzip -9nc ${ZIVRA_DATA}/${src} > ${ZIVRA_DATA_OUT}/${name}.gz
    DEPENDS ${ZIVRA_DATA}/${src}
    VERBATIM)
  list(APPEND _zivra_gz ${ZIVRA_DATA_OUT}/${name}.gz)
endforeach()
add_custom_target(zivra_data ALL DEPENDS ${_zivra_gz})
install(FILES ${ZIVRA_DATA_OUT}/zivra-jigsaw.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${ZIVRA_DATA_OUT}/zivra-tool.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ZIVRA_DATA}/copyright ${ZIVRA_DATA_OUT}/changelog.gz DESTINATION ${ZIVRA_DOCDIR})

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
