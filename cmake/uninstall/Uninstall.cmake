# The removal of a `cmake --install`: the script lib/solmira/uninstall, which needs no build
# folder. It removes the files of the install from which it came, as the install left them,
# and the folders that install made once they are empty; users' files stay, and so does a
# file of the install that a user changed or replaced. It is written at the end of the
# install from the install's own list of files. The package has apt for this and leaves it
# out (its component is not packaged).
#
#   solmira_install(...)              install(...) that notes the rule's folder
#   solmira_install_uninstaller()     after every rule
set(_solmira_uninstall_dir ${CMAKE_CURRENT_LIST_DIR})
set(_solmira_uninstall_folders ${CMAKE_BINARY_DIR}/install/folders.txt)

function(solmira_install)
  cmake_parse_arguments(PARSE_ARGV 0 rule "" DESTINATION "")
  set_property(GLOBAL APPEND PROPERTY SOLMIRA_INSTALL_FOLDERS ${rule_DESTINATION})
  install(${ARGV})
endfunction()

# Before any file is installed: which of the install's folders are still to be made. Those
# a former install made, as its script says, count as made by this one.
set(_solmira_program_dir ${SOLMIRA_INSTALL_PROGRAMDIR})
set(_solmira_folders_file ${_solmira_uninstall_folders})
string(CONFIGURE [[
set(_solmira_prefix "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(STRINGS "@_solmira_folders_file@" _solmira_folders)
set(_solmira_made_folders)
foreach(_solmira_folder IN LISTS _solmira_folders)
  if(NOT IS_DIRECTORY "${_solmira_prefix}/${_solmira_folder}")
    list(APPEND _solmira_made_folders "${_solmira_folder}")
  endif()
endforeach()
if(EXISTS "${_solmira_prefix}/@_solmira_program_dir@/uninstall")
  file(STRINGS "${_solmira_prefix}/@_solmira_program_dir@/uninstall" _solmira_former REGEX "^folder ")
  list(TRANSFORM _solmira_former REPLACE "^folder " "")
  list(APPEND _solmira_made_folders ${_solmira_former})
endif()
]] _solmira_begin @ONLY)
install(CODE "${_solmira_begin}" COMPONENT uninstaller)

function(solmira_install_uninstaller)
  # Every folder of the install with the folders above it, each after those inside it.
  get_property(destinations GLOBAL PROPERTY SOLMIRA_INSTALL_FOLDERS)
  set(folders)
  foreach(folder IN LISTS destinations)
    while(NOT folder STREQUAL "")
      list(APPEND folders ${folder})
      get_filename_component(folder ${folder} DIRECTORY)
    endwhile()
  endforeach()
  list(REMOVE_DUPLICATES folders)
  list(SORT folders ORDER DESCENDING)
  string(JOIN "\n" lines ${folders})
  file(WRITE ${_solmira_uninstall_folders} "${lines}\n")

  file(READ ${_solmira_uninstall_dir}/remove_pending_starts.sh SOLMIRA_REMOVE_PENDING_STARTS)
  file(RELATIVE_PATH SOLMIRA_UNINSTALL_TO_PREFIX /prefix/${SOLMIRA_INSTALL_PROGRAMDIR} /prefix)
  set(template ${CMAKE_BINARY_DIR}/install/uninstall.in)
  configure_file(${_solmira_uninstall_dir}/uninstall.in ${template} @ONLY)
  # After every file: the script, with the list of what the install put in place.
  string(CONFIGURE [[
# The install's list names its files without DESTDIR, as the prefix holds them, each with
# the SHA-256 of what it put there (a link's target, a file's bytes): the script removes a
# file only as the install left it. The script removes itself.
set(_solmira_script "${CMAKE_INSTALL_PREFIX}/@_solmira_program_dir@/uninstall")
set(_solmira_lines)
foreach(_solmira_file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
  file(RELATIVE_PATH _solmira_path "${CMAKE_INSTALL_PREFIX}" "${_solmira_file}")
  set(_solmira_file "$ENV{DESTDIR}${_solmira_file}")
  if(_solmira_path MATCHES "^\\.\\./")
    continue()
  elseif(IS_SYMLINK "${_solmira_file}")
    file(READ_SYMLINK "${_solmira_file}" _solmira_target)
    string(SHA256 _solmira_sum "${_solmira_target}")
  else()
    file(SHA256 "${_solmira_file}" _solmira_sum)
  endif()
  list(APPEND _solmira_lines "file ${_solmira_sum} ${_solmira_path}")
endforeach()
foreach(_solmira_folder IN LISTS _solmira_folders)
  list(FIND _solmira_made_folders "${_solmira_folder}" _solmira_made)
  if(_solmira_made GREATER -1)
    list(APPEND _solmira_lines "folder ${_solmira_folder}")
  endif()
endforeach()
list(REMOVE_DUPLICATES _solmira_lines)
string(JOIN "\n" _solmira_lines ${_solmira_lines})
file(READ "@template@" _solmira_text)
message(STATUS "Installing: $ENV{DESTDIR}${_solmira_script}")
file(WRITE "$ENV{DESTDIR}${_solmira_script}" "${_solmira_text}${_solmira_lines}\nEND\n")
file(CHMOD "$ENV{DESTDIR}${_solmira_script}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
     GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_solmira_script}")
]] end @ONLY)
  install(CODE "${end}" COMPONENT uninstaller)
endfunction()
