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
PostgreSQL database that its menu launcher sets up for each user (or on a
lab's server named in a libpq service file). A history window looks the
stored readings up by time range, exports them as text or as an .xlsx
workbook, and prints them.
.
The package also holds the database commands quorvane-db-setup and
quorvane-db-stop, the meter simulator quorvane-metersim and the frame
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
# The server for the private database (not needed where a service file sends
# readings to a lab's server), printing (lp) and opening exported files.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "postgresql, qttranslations5-l10n, cups-client | cups-bsd, xdg-utils")
# A still-empty cluster that the server package puts on port 5432 is moved
# off it, at install and whenever the server package's files change.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${PROJECT_SOURCE_DIR}/resources/debian/postinst;${PROJECT_SOURCE_DIR}/resources/debian/postrm;${PROJECT_SOURCE_DIR}/resources/debian/triggers")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
