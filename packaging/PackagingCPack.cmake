# CPack: one Debian package per install component. Dependencies come from
# dpkg-shlibdeps (the library packages the binaries link); by hand only the
# packages' dependencies on each other.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexaro)
set(CPACK_PACKAGE_VENDOR Vexaro)
set(CPACK_PACKAGE_CONTACT ${VEXARO_CONTACT})
set(CPACK_PACKAGE_VERSION ${VEXARO_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL ${VEXARO_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian ships stripped binaries; the debug information stays in the build.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL terminal window library development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VEXARO_CONTACT})
# A Debian revision: the files under debian/ are this packaging's own, so the
# packages are not "native" and carry changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VEXARO_DEBIAN_REVISION})
set(full_version ${VEXARO_VERSION}-${VEXARO_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# The terminal programs and the udev rule, for machines without a desktop:
# nothing here may pull in a display, sound, font or image library
# (deb_test.sh and minimal_debian_test.sh check).
set(CPACK_DEBIAN_TERMINAL_PACKAGE_NAME vexaro-flash)
set(CPACK_DEBIAN_TERMINAL_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TERMINAL_PACKAGE_CONTROL_EXTRA "${debian}/vexaro-flash/postinst;${debian}/vexaro-flash/postrm")
set(CPACK_DEBIAN_TERMINAL_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Until 1.0.0-1 vexaro-updater held these programs itself.
set(CPACK_DEBIAN_TERMINAL_PACKAGE_BREAKS "vexaro-updater (<< 1.0.0-2)")
set(CPACK_DEBIAN_TERMINAL_PACKAGE_REPLACES "vexaro-updater (<< 1.0.0-2)")
set(CPACK_COMPONENT_TERMINAL_DESCRIPTION "Vexaro keyboard firmware updater for the terminal
vexaro-flash installs a firmware package on a Vexaro USB keyboard through the
keyboard's loader and lists the keyboards it reaches, with progress, stage
texts and exit codes for scripts; vexaro-pack makes and inspects firmware
packages. The udev rule lets the logged-in user reach the keyboard. Nothing
here needs a desktop.")

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME vexaro-updater)
set(CPACK_DEBIAN_WINDOW_PACKAGE_SECTION utils)
# The udev rule, without which only root reaches the keyboard, comes with the
# terminal package.
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "vexaro-flash (= ${full_version})")
set(CPACK_COMPONENT_WINDOW_DESCRIPTION "Vexaro keyboard firmware updater (window)
vexaro-updater installs the firmware package appended to its program file on
a Vexaro USB keyboard through the keyboard's loader, in a window.
vexaro-updater-demo is the same program carrying the demo package; its menu
entry runs it against the simulated demo keyboard.")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libvexaro-isp1)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
# The shlibs and symbols files for dpkg-shlibdeps of programs linking the
# library, and the ldconfig trigger that refreshes the loader's cache after
# installation (instead of maintainer scripts calling ldconfig, which CPack
# would add and deb_repack.cmake takes out again).
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA
    "${debian}/libvexaro-isp1/shlibs;${debian}/libvexaro-isp1/symbols;${debian}/libvexaro-isp1/triggers")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION "Vexaro keyboard loader protocol library
libvexaro-isp finds the loader of a Vexaro keyboard, programs and verifies
its flash and switches its mode, through the ISP_* functions. It carries its
own simulated keyboard for testing programs without the hardware.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libvexaro-isp-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libvexaro-isp1 (= ${full_version})")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "Vexaro keyboard loader protocol library (development files)
The header isp_api.h, the link library and the pkg-config file
vexaro-isp.pc for building programs against libvexaro-isp.")

set(CPACK_VEXARO_RELEASE_EPOCH ${VEXARO_RELEASE_EPOCH})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/deb_repack.cmake)
include(CPack)
