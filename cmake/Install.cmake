# Where an install puts Solmira: the program folder (the program with its book and chime
# beside it) under lib/solmira, the commands in bin, and the desktop's files in share.
# `cmake --install` builds nothing and installs no test.
include(GNUInstallDirs)

# The program folder is private to Solmira and holds the program with its data, not a
# library: it keeps the plain lib/solmira on every prefix (Debian's place for a package's
# private programs), never the multiarch library folder that GNUInstallDirs gives /usr.
set(SOLMIRA_INSTALL_PROGRAMDIR "lib/solmira" CACHE STRING "The program folder, relative to the prefix")

# A `cmake --install` comes with lib/solmira/uninstall, which removes it again.
include(cmake/uninstall/Uninstall.cmake)

# `cmake --install`, `make install` and cpack install what is built and build nothing.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# Every folder and file readable by all, whatever the umask of the one who installs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

solmira_install(TARGETS solmira DESTINATION ${SOLMIRA_INSTALL_PROGRAMDIR})
solmira_install(FILES ${SOLMIRA_PROGRAM_DIR}/solmiraverse.pdb ${SOLMIRA_PROGRAM_DIR}/slm.wav
        DESTINATION ${SOLMIRA_INSTALL_PROGRAMDIR})
solmira_install(TARGETS solmira-book DESTINATION ${CMAKE_INSTALL_BINDIR})

# The command `solmira` is a relative link to the program, so that it holds under any
# prefix and DESTDIR; the program finds its files beside its real path, not the link's.
file(RELATIVE_PATH _solmira_link_target /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${SOLMIRA_INSTALL_PROGRAMDIR}/solmira)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install)
file(CREATE_LINK ${_solmira_link_target} ${CMAKE_BINARY_DIR}/install/solmira SYMBOLIC)
solmira_install(FILES ${CMAKE_BINARY_DIR}/install/solmira DESTINATION ${CMAKE_INSTALL_BINDIR})

solmira_install(FILES data/${SOLMIRA_DESKTOP_FILE_NAME}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
solmira_install(FILES data/${SOLMIRA_DESKTOP_FILE_NAME}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  solmira_install(FILES data/icons/${size}x${size}/solmira.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
solmira_install(FILES data/icons/scalable/solmira.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages are installed compressed, as man reads them everywhere and Debian asks.
# gzip -n keeps no name or time in the file, so that a build is repeatable.
set(SOLMIRA_MANUAL_PAGES
  data/man/solmira.1
  data/man/solmira-book.1
)
set(_solmira_compressed_pages)
foreach(page ${SOLMIRA_MANUAL_PAGES})
  get_filename_component(name ${page} NAME)
  set(compressed ${CMAKE_BINARY_DIR}/install/${name}.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/${page} > ${compressed}
    DEPENDS ${CMAKE_SOURCE_DIR}/${page}
    COMMENT "Compressing the manual page ${name}")
  list(APPEND _solmira_compressed_pages ${compressed})
endforeach()
add_custom_target(manual-pages ALL DEPENDS ${_solmira_compressed_pages})
solmira_install(FILES ${_solmira_compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The completion of solmira-book's commands, options and files, where bash looks for it.
solmira_install(FILES data/bash-completion/solmira-book DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The licence goes with every install, under the name Debian gives it.
solmira_install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/solmira RENAME copyright)

solmira_install_uninstaller()
