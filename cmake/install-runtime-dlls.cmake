# Install-time script: copies beside the programs every DLL that they and
# their Qt plugins load, except Windows' own. The DLLs are read from the
# PE import tables (objdump), so it works when cross-compiling too.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${TAVO_DEPLOY_OBJDUMP}")
file(GET_RUNTIME_DEPENDENCIES
     EXECUTABLES ${TAVO_DEPLOY_EXECUTABLES}
     MODULES ${TAVO_DEPLOY_MODULES}
     DIRECTORIES ${TAVO_DEPLOY_DIRECTORIES}
     RESOLVED_DEPENDENCIES_VAR _resolved
     UNRESOLVED_DEPENDENCIES_VAR _unresolved
     PRE_EXCLUDE_REGEXES "^api-ms-" "^ext-ms-"
     POST_EXCLUDE_REGEXES "[/\\\\][Ss][Yy][Ss][Tt][Ee][Mm]32[/\\\\]")
# What is not found on the build machine is Windows' own (kernel32, user32,
# ...) unless it is one of Qt's or a MinGW/MSYS2 library: those must ship.
foreach(_dll IN LISTS _unresolved)
    if(_dll MATCHES "^(Qt6|lib|zlib)")
        message(FATAL_ERROR "${_dll} is needed but not found in ${TAVO_DEPLOY_DIRECTORIES}")
    endif()
endforeach()
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}" TYPE SHARED_LIBRARY FILES ${_resolved})
