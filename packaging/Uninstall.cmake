# Removes the files a `cmake --install` of Kestro put in place, as listed in
# KESTRO_MANIFEST (the build tree's install_manifest.txt; below $DESTDIR
# when that is set, as for the install), then the folders
# that only Kestro uses (share/kestro and share/doc/kestro) once they are
# empty. Shared folders such as share/applications are left alone.
if(NOT KESTRO_MANIFEST OR NOT EXISTS "${KESTRO_MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${KESTRO_MANIFEST} does not exist. "
                      "It is written by `cmake --install` of this build tree.")
endif()

file(STRINGS "${KESTRO_MANIFEST}" installed)
set(own_folders)
foreach(entry IN LISTS installed)
  # The manifest names the paths below the prefix; a staged install
  # (DESTDIR) put them below DESTDIR.
  set(path "${entry}")
  if(DEFINED ENV{DESTDIR} AND NOT "$ENV{DESTDIR}" STREQUAL "")
    string(FIND "${entry}" "$ENV{DESTDIR}" at)
    if(NOT at EQUAL 0)
      set(path "$ENV{DESTDIR}${entry}")
    endif()
  endif()
  if(NOT EXISTS "${path}" AND NOT IS_SYMLINK "${path}")
    continue()
  endif()
  message(STATUS "Removing ${path}")
  file(REMOVE "${path}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(FATAL_ERROR "Could not remove ${path}")
  endif()
  # The folder of Kestro's own data or documentation this file was in.
  if(path MATCHES "^(.*/share/(doc/)?kestro)/")
    list(APPEND own_folders "${CMAKE_MATCH_1}")
  endif()
endforeach()

list(REMOVE_DUPLICATES own_folders)
foreach(folder IN LISTS own_folders)
  file(GLOB_RECURSE left LIST_DIRECTORIES false "${folder}/*")
  if(left)
    message(STATUS "Keeping ${folder}: it holds files that were not installed")
  else()
    message(STATUS "Removing ${folder}")
    file(REMOVE_RECURSE "${folder}")
  endif()
endforeach()
