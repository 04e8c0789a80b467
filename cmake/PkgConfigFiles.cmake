# dispc_pkg_config(NAME DESCRIPTION [C_ONLY] [REQUIRES...]): writes and installs NAME.pc
# for the shared library NAME, which requires the libraries of its public interface.
# A C_ONLY library's flags name no C++ standard.
#
# The file is written when the tree is installed, with the prefix given then
# (`cmake --install BUILD --prefix DIR` included) as an absolute, normalised path, so
# pkg-config prints clean paths such as -I/opt/dispc/include.
#
# Libraries used only inside a shared library (Cairo and libpng in zscreen) are not
# listed: its headers do not need them and its own dependencies load them, while
# Requires.private would add their compile flags to every consumer's (pkg-config
# includes them in --cflags) and require their development files to build against it.
function(dispc_pkg_config name description)
  set(DISPC_PC_NAME "${name}")
  set(DISPC_PC_DESCRIPTION "${description}")
  cmake_parse_arguments(PC "C_ONLY" "" "" ${ARGN})
  set(DISPC_PC_CFLAGS " -std=c++20")
  if(PC_C_ONLY)
    set(DISPC_PC_CFLAGS "")
  endif()
  set(DISPC_PC_REQUIRES "")
  if(PC_UNPARSED_ARGUMENTS)
    list(JOIN PC_UNPARSED_ARGUMENTS " " requires)
    set(DISPC_PC_REQUIRES "Requires: ${requires}\n")
  endif()
  # First pass now (everything but the prefix), second pass at install time.
  set(DISPC_PC_PREFIX "@DISPC_PC_PREFIX@")
  set(DISPC_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
  set(DISPC_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
  foreach(dir LIBDIR INCLUDEDIR)
    if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
      set(DISPC_PC_${dir} "${CMAKE_INSTALL_${dir}}")
    endif()
  endforeach()
  set(template ${PROJECT_BINARY_DIR}/pkgconfig/${name}.pc.in)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/library.pc.in ${template} @ONLY)
  install(CODE "
    cmake_path(SET DISPC_PC_PREFIX NORMALIZE \"\${CMAKE_INSTALL_PREFIX}\")
    string(REGEX REPLACE \"(.)/$\" \"\\\\1\" DISPC_PC_PREFIX \"\${DISPC_PC_PREFIX}\")
    set(pc \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/${name}.pc\")
    message(STATUS \"Installing: \${pc}\")
    configure_file(\"${template}\" \"\${pc}\" @ONLY)
  ")
endfunction()
