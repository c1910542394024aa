# CPack: one Debian package per install component. Dependencies come from
# dpkg-shlibdeps (the library packages the binaries link), nothing by hand
# except the development package's own library.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexaro)
set(CPACK_PACKAGE_VENDOR Vexaro)
set(CPACK_PACKAGE_CONTACT ${VEXARO_CONTACT})
set(CPACK_PACKAGE_VERSION ${VEXARO_PACKAGE_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL https://vexaro.example/updater)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian ships stripped binaries; the debug information stays in the build.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programs library development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VEXARO_CONTACT})
# A Debian revision: the files under debian/ are this packaging's own, so the
# packages are not "native" and carry changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME vexaro-updater)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_CONTROL_EXTRA "${debian}/postinst;${debian}/postrm")
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION "firmware updater for Vexaro USB keyboards
vexaro-updater installs the firmware package appended to its program file on
a Vexaro keyboard through the keyboard's loader; vexaro-updater-demo is the
same program carrying the demo package. vexaro-flash does the update from a
terminal and lists the keyboards it reaches, vexaro-pack makes firmware
packages. The udev rule lets the logged-in user reach the keyboard.")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libvexaro-isp1)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
# shlibs for dpkg-shlibdeps of programs linking the library, and the ldconfig
# trigger that refreshes the loader's cache after installation.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA "${debian}/libvexaro-isp1/triggers")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION "Vexaro keyboard loader protocol library
libvexaro-isp finds the loader of a Vexaro keyboard, programs and verifies
its flash and switches its mode, through the ISP_* functions. It carries its
own simulated keyboard for testing programs without the hardware.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libvexaro-isp-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libvexaro-isp1 (= ${VEXARO_PACKAGE_VERSION}-1)")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "Vexaro keyboard loader protocol library (development files)
The header isp_api.h, the link library and the pkg-config file
vexaro-isp.pc for building programs against libvexaro-isp.")

include(CPack)
