# The Debian package, built by `make package` (cpack -G DEB in build/) as
# build/masume_<version>_<arch>.deb from the install rules, with the prefix
# /usr. dpkg-shlibdeps finds the shared libraries the programs need; the
# Japanese interface needs its fonts and Qt's Japanese translation.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME masume)
set(CPACK_PACKAGE_VENDOR "masume maintainers")
set(CPACK_PACKAGE_CONTACT "${MASUME_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lay a regular grid over a picture")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MASUME_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Empty (the default of MASUME_HOMEPAGE): no Homepage field.
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${MASUME_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n")
# The program runs on the X server (XWayland on a Wayland session) by
# default; Qt's Wayland plugin is needed only for native Wayland, chosen
# with QT_QPA_PLATFORM=wayland or where there is no X server.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The extended description below the summary; CPack indents it for the
# control file. Lines of at most 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "masume lays a regular grid over a picture: square, diamond, staggered rows
or columns, or hexagons in rows or columns, with any cell width and height
in pixels and any line colour. It shows the picture with the grid at 1:1
and saves the plain picture or the picture with the grid as a 24-bit BMP
file or a JPEG file of quality 90. The grid is one pixel wide in one colour
and replaces exactly the pixels it covers; every other pixel stays as it was.

The interface text is Japanese. The command masume-batch lays the same grid
over many BMP, JPEG and PNG files from the command line, also from and to
pipes, passing each picture on as rows.")

# Without dpkg-shlibdeps CPack would build the package silently without the
# library dependencies; refuse instead.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageChecks.cmake)

include(CPack)
