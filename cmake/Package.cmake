# The Debian package, built by CPack from the install rules (cmake/Install.cmake):
# `./zivra package` (or `cpack -G DEB` in a configured build tree).
#
# Depends comes from dpkg-shlibdeps over the installed programs, plus what
# they load at run time without linking it: Qt's TIFF reader (our skins are
# TIFF files). The desktop, MIME and icon caches are refreshed by the
# triggers of desktop-file-utils, shared-mime-info and the icon theme, so the
# package needs no maintainer scripts.
#
# Debian keeps games and their tools in /usr/games: the package moves both
# programs there (cmake/PackageLayout.cmake). They find their resources from
# either folder as ../share/zivra-jigsaw.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zivra-jigsaw)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zivra Jigsaw developers")
set(CPACK_PACKAGE_CONTACT "Zivra Jigsaw developers <developers@zivra.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "jigsaw-puzzle game: cut pictures into pieces and put them together")
set(CPACK_PACKAGE_DESCRIPTION "\
Open a picture, choose how it is cut (fourteen levels from about sixteen to
about four thousand pieces, seven shape styles, a frame or none, turned
pieces or upright ones, spread out or scattered in a heap) and put it back
together on two tables with four pockets, a thumbnail, a magnifying glass
and a weight. Eight jigsaws come with the game; any picture becomes a new
one. Includes zivra-tool, the game's core on the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_FILE_NAME zivra-jigsaw)  # replaced by the Debian name below
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)    # zivra-jigsaw_1.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZIVRA_WEBSITE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its image plugins and, for HTTPS downloads, OpenSSL by name:
# dpkg-shlibdeps cannot see either.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins, libssl3")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)  # the pictures are compressed already
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)

set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageLayout.cmake)

include(CPack)
