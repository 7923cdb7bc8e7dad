# cpack -G DEB: a Debian package of what cmake --install lays out, under /usr. The libraries the
# program links are found by dpkg-shlibdeps; what it loads at run time is declared here: Qt's
# platform plugins (no window opens without them), the ODBC drivers for SQL Server (FreeTDS)
# and for the demo database (SQLite), and odbcinst, through which they register themselves.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora2)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT "The Velmora developers <developers@velmora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fast native query tool for Microsoft SQL Server")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, tdsodbc, libsqliteodbc, odbcinst")
# CPack puts the summary first; this is the extended description under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Velmora 2 connects to SQL Server with a SQL Server login, Windows
authentication or a saved connection file. Write Transact-SQL in an editor
that colours it as you type, run the selection or the whole script, and see
the rows in a grid. A schema browser lists databases, tables, views, fields,
stored procedures and parameters and writes statement skeletons into the
script. Unsaved scripts are kept while you work and offered back after a
crash.")
include(CPack)
