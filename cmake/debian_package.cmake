# The Debian package (`cpack -G DEB`, run by scripts/package.sh): everything
# the install rules place, under the prefix the build was configured with.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Torvane maintainers <maintainers@users.noreply.c-seed-c4e1eb20.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for 8x8 HDMI matrix switchers")
set(CPACK_PACKAGE_DESCRIPTION
    "Torvane connects to an 8x8 HDMI matrix switcher over a serial port or TCP,
reads its state, routes any input to any output, switches ARC, manages each
input's EDID, upgrades its firmware, reads the device's identity, and finds
switchers on the LAN and changes their network settings.
.
The package holds the window (torvane), the command-line tool for scripts
(torvanectl), the service that shares a switcher over HTTP with a web page
(torvaned, its systemd unit installed but not enabled) and a simulated
switcher to try them without hardware (torvane-sim).")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The installation script only tells how to reach serial ports; it changes
# no group and enables nothing.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
