# The Debian package: `cpack -G DEB` in a build folder makes solmira_<version>_<arch>.deb
# from the same install rules, with the files Debian asks for besides.
set(SOLMIRA_MAINTAINER "The Solmira developers <solmira@example.org>")
set(SOLMIRA_DEBIAN_REVISION 1)
set(SOLMIRA_DEBIAN_VERSION ${PROJECT_VERSION}-${SOLMIRA_DEBIAN_REVISION})

# The package's own changelog, compressed without a name or time in it.
configure_file(cmake/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog.Debian @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
  COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/debian/changelog.Debian > ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian
  COMMENT "Compressing the Debian changelog")
add_custom_target(debian-changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
# Only the package carries it: a home install is no Debian package.
install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/solmira
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES cmake/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME solmira
        COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME solmira)
set(CPACK_PACKAGE_VENDOR "The Solmira developers")
set(CPACK_PACKAGE_CONTACT ${SOLMIRA_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# One package of the program's files and the package's own.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)

set(CPACK_DEBIAN_PACKAGE_NAME solmira)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${SOLMIRA_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SOLMIRA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.example.org/solmira/)
# The libraries come from the program itself; Qt's platform plugins, which it loads
# by name at start, are in a package of their own, and so is libcanberra, which it loads
# by name when the chime first plays.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libcanberra0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# The daily start needs a user service manager or atd.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "at")
# Removing the package removes every user's pending daily start of the packaged program.
file(READ cmake/uninstall/remove_pending_starts.sh SOLMIRA_REMOVE_PENDING_STARTS)
set(SOLMIRA_PACKAGED_PROGRAM ${CPACK_PACKAGING_INSTALL_PREFIX}/${SOLMIRA_INSTALL_PROGRAMDIR}/solmira)
configure_file(cmake/debian/postrm.in ${CMAKE_BINARY_DIR}/debian/postrm @ONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "one reading for each day of the year")
# CPack puts the summary first and indents the rest; a blank line parts paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Solmira shows one reading for each day of the year from a book that lies
beside it. It opens on today's reading; pick another date and the reading
follows. It can chime when it starts, and start itself every day at a time
of your choosing.

It comes with a book of its own, The Steady Lamp: a year of readings from
the Stoic teachers, in plain English. Each of its 365 short readings renders
one passage from Epictetus, Marcus Aurelius or Seneca and names its source.

The command solmira-book makes, checks and reads books.")

include(CPack)
