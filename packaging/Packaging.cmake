# Install rules and the Debian package (cpack -G DEB, or scripts/package).
#
# Dorvex keeps its plug-in, zab.ini and Log folder beside its program, so the program lives in a
# folder of its own, <prefix>/lib/dorvex, and <prefix>/bin/dorvex is a link to it (the program
# folder is found from the link's target). Log points to /var/log/dorvex, which the package gives
# to the group dorvex (postinst), and zab.ini to the configuration file /etc/dorvex/zab.ini.
include(GNUInstallDirs)

set(DORVEX_PROGRAM_DIR lib/dorvex)
set(DORVEX_PKG_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${DORVEX_PKG_DIR}/links)
string(TIMESTAMP DORVEX_MAN_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP DORVEX_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

install(TARGETS dorvex mdbinfo RUNTIME DESTINATION ${DORVEX_PROGRAM_DIR})
install(DIRECTORY DESTINATION ${DORVEX_PROGRAM_DIR}/Plugins/Velmora)

# Links are made once in the build folder and installed as links.
foreach(link IN ITEMS "dorvex=../${DORVEX_PROGRAM_DIR}/dorvex" "mdbinfo=../${DORVEX_PROGRAM_DIR}/mdbinfo"
                      "Log=/var/log/dorvex" "zab.ini=/etc/dorvex/zab.ini")
  string(REPLACE "=" ";" parts "${link}")
  list(GET parts 0 name)
  list(GET parts 1 target)
  file(CREATE_LINK ${target} ${DORVEX_PKG_DIR}/links/${name} SYMBOLIC)
endforeach()
install(FILES ${DORVEX_PKG_DIR}/links/dorvex ${DORVEX_PKG_DIR}/links/mdbinfo DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${DORVEX_PKG_DIR}/links/Log ${DORVEX_PKG_DIR}/links/zab.ini DESTINATION ${DORVEX_PROGRAM_DIR})
install(FILES packaging/zab.ini DESTINATION /etc/dorvex)

# Manual pages and changelog, compressed as Debian wants them.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(DORVEX_COMPRESSED)
foreach(page dorvex.1 mdbinfo.1 changelog)
  configure_file(packaging/${page}.in ${DORVEX_PKG_DIR}/${page} @ONLY)
  add_custom_command(OUTPUT ${DORVEX_PKG_DIR}/${page}.gz
                     COMMAND ${GZIP_PROGRAM} -9nf -k ${DORVEX_PKG_DIR}/${page}
                     DEPENDS ${DORVEX_PKG_DIR}/${page})
  list(APPEND DORVEX_COMPRESSED ${DORVEX_PKG_DIR}/${page}.gz)
endforeach()
add_custom_target(dorvex_docs ALL DEPENDS ${DORVEX_COMPRESSED})
install(FILES ${DORVEX_PKG_DIR}/dorvex.1.gz ${DORVEX_PKG_DIR}/mdbinfo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${DORVEX_PKG_DIR}/changelog.gz packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dorvex)
install(FILES packaging/dorvex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/dorvex.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME dorvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Dorvex-Entwicklung <dorvex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bringt die SQL-Datenbank von ZABRIX auf einen neuen Stand")
set(CPACK_PACKAGE_DESCRIPTION
    "Dorvex wandelt Access-Tabellen in SQL-Tabellen um, macht aus Abfragen
Sichten und aus Beziehungen Trigger, gleicht die Datenbank mit dem
XDB-Dokument einer neuen ZABRIX-Version ab und läuft auch unbeaufsichtigt
von der Befehlszeile. Es spricht über ODBC (unixODBC) mit Microsoft SQL
Server, MySQL/MariaDB, Oracle, Sybase und DB2.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-dejavu-core, unixodbc, adduser")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-mariadb, libsqliteodbc, tdsodbc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/postinst ${CMAKE_SOURCE_DIR}/packaging/postrm ${CMAKE_SOURCE_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
