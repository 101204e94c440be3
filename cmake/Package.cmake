# The Debian package: `cpack -G DEB` in the build directory (scripts/package.sh)
# packs the component "quorvane" with everything under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "Quorvane developers")
set(CPACK_PACKAGE_CONTACT "Quorvane developers <dev@quorvane.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop companion for a handheld digital multimeter")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvane shows the readings that a handheld digital multimeter repeats
over its serial line the way the meter does, with a live table, a max/min
strip and a trend plot, and stores every sampled reading in a local
PostgreSQL database. A history window looks the stored readings up by time
range, exports them as text or as an .xlsx workbook, and prints them.
.
The package also holds the meter simulator quorvane-metersim and the frame
decoder quorvane-decode.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Install with DESTDIR, so paths written at install time (the desktop
# entry's Exec line) name /usr and not the staging directory.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL quorvane)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the PostgreSQL
# driver plug-in, and the fonts the panel and the Chinese texts need.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5sql5-psql, fonts-liberation, fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "postgresql, qttranslations5-l10n")
include(CPack)
