# Installation under a prefix (/usr in the Debian package): the programs in
# bin, the shipped read-only files in share/vorlanix, the desktop entry, its
# icon and the software-centre data, the manual pages and the copyright,
# and the systemd user units of the hourly collection.
include(GNUInstallDirs)
set(VORLANIX_APP_ID org.vorlanix.Vorlanix)

install(TARGETS vorlanix vorlanix-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/vntip.tip data/vntip_english.tip data/muster.htm data/vorlan.lng DESTINATION ${CMAKE_INSTALL_DATADIR}/vorlanix)
install(DIRECTORY data/html DESTINATION ${CMAKE_INSTALL_DATADIR}/vorlanix)
install(FILES data/${VORLANIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/vorlanix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/${VORLANIX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The systemd user units of "vorlanix-cli collect", under lib/systemd/user of
# the prefix (/usr/lib/systemd/user in the package). The service names the
# program by the prefix given at install time.
install(CODE "
  set(BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/packaging/vorlanix-collect.service.in\"
                 \"${CMAKE_BINARY_DIR}/packaging/vorlanix-collect.service\" @ONLY)
  file(INSTALL \"${CMAKE_BINARY_DIR}/packaging/vorlanix-collect.service\"
               \"${CMAKE_SOURCE_DIR}/packaging/vorlanix-collect.timer\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\")
")

# Manual pages and the change log are installed compressed, without a time
# stamp in the archive, as Debian asks.
set(compressed)
foreach(file vorlanix.1 vorlanix-cli.1 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${file}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/${file} > ${CMAKE_BINARY_DIR}/packaging/${file}.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${file} VERBATIM)
  list(APPEND compressed ${CMAKE_BINARY_DIR}/packaging/${file}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/packaging/vorlanix.1.gz ${CMAKE_BINARY_DIR}/packaging/vorlanix-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package (scripts/package): vorlanix_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlanix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(VORLANIX_MAINTAINER "Vorlanix developers <vorlanix@example.org>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VORLANIX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "program for serial data loggers")
set(CPACK_PACKAGE_DESCRIPTION
  "Vorlanix reads the status and live values of battery-powered data loggers
(temperature, humidity, current loop, pulse and flow, level, wind, air
pressure, iButton keys) on a serial port, sets their clock, programs their
recording missions and downloads their records into a text database, where
it browses, charts, reports and prints them. The interface is Slovak or
English. The package also holds vorlanix-cli, the same logger flows on the
command line.")
# Shared libraries give the dependencies; the icon needs Qt's SVG plugins,
# and Qt's own texts in Slovak come with its translations.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
