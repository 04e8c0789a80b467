# dispc_pkg_config(NAME DESCRIPTION [REQUIRES...]): writes and installs NAME.pc for
# the shared library NAME, which requires the libraries of its public interface.
#
# The file finds its prefix relative to itself (${pcfiledir}), so a prefix given at
# install time, or a tree moved afterwards, still works; every other path goes through
# ${prefix}, so `pkg-config --define-prefix` prints them normalised. A library
# directory given as an absolute path makes the prefix absolute.
#
# Libraries used only inside a shared library (Cairo and libpng in zscreen) are not
# listed: its headers do not need them and its own dependencies load them, while
# Requires.private would add their compile flags to every consumer's (pkg-config
# includes them in --cflags) and require their development files to build against it.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(DISPC_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH _dispc_pc_to_prefix "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
  string(REGEX REPLACE "/$" "" _dispc_pc_to_prefix "${_dispc_pc_to_prefix}")
  set(DISPC_PC_PREFIX "\${pcfiledir}/${_dispc_pc_to_prefix}")
endif()
foreach(_dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${_dir}}")
    set(DISPC_PC_${_dir} "${CMAKE_INSTALL_${_dir}}")
  else()
    set(DISPC_PC_${_dir} "\${prefix}/${CMAKE_INSTALL_${_dir}}")
  endif()
endforeach()

function(dispc_pkg_config name description)
  set(DISPC_PC_NAME "${name}")
  set(DISPC_PC_DESCRIPTION "${description}")
  set(DISPC_PC_REQUIRES "")
  if(ARGN)
    list(JOIN ARGN " " requires)
    set(DISPC_PC_REQUIRES "Requires: ${requires}\n")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/library.pc.in ${PROJECT_BINARY_DIR}/pkgconfig/${name}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/${name}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()
