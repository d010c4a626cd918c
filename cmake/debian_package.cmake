# The Debian package: `cpack -G DEB` (or `cpack`) in a build folder makes
# zelvane_<version>_amd64.deb from the install() rules of app/ (the program in /opt/zelvane/ and
# the link /usr/bin/zelvane) and res/ (udev rule, desktop entry, icons, metainfo, manual page,
# copyright file). The version is the project's; the dependencies are what dpkg-shlibdeps finds
# the program linked against, plus adduser for the maintainer scripts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zelvane developers")
set(CPACK_PACKAGE_CONTACT "The Zelvane developers <dev@zelvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "database updater for USB devices in update mode")
set(CPACK_PACKAGE_DESCRIPTION
    "Zelvane writes a database image into USB devices that are plugged in while in\n"
    "their update mode, reads every block back and verifies it. Up to four devices\n"
    "are updated at once. The image lies in /opt/zelvane/. Members of the group\n"
    "zelvane run it without root: the package's udev rule opens the SCSI generic\n"
    "node of devices in update mode to them, and no other disk.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
# Installed paths are the package's own: the install() destinations are relative to "/".
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_STRIP_FILES TRUE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://zelvane.invalid/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/res/linux/debian/postinst
    ${PROJECT_SOURCE_DIR}/res/linux/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# Every folder of the package 0755: the install makes them as the builder's umask allows (0700
# under umask 077, which would leave /opt/zelvane closed to its users).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian_package_folder_modes.cmake)
# CPack gives every file and folder the time SOURCE_DATE_EPOCH when it is set, and root as owner:
# cpack run by hand gets the build's (./reproducible.cmake) unless its caller sets another.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_source_date.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
    "if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})\n"
    "    set(ENV{SOURCE_DATE_EPOCH} ${ZELVANE_SOURCE_DATE_EPOCH})\n"
    "endif()\n")

include(CPack)
