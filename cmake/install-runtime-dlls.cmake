# Install-time script: copies beside the programs every DLL that they, their
# Qt plugins and those DLLs in turn load, found in the Qt and compiler
# folders given; what is in none of them is Windows' own. The import tables
# are read with objdump, so it works when cross-compiling too. Windows
# matches DLL names without regard to case, and so does this.
set(_index)
foreach(_dir IN LISTS TAVO_DEPLOY_DIRECTORIES)
    file(GLOB _dlls LIST_DIRECTORIES false "${_dir}/*.dll" "${_dir}/*.DLL")
    foreach(_dll IN LISTS _dlls)
        get_filename_component(_name "${_dll}" NAME)
        string(TOLOWER "${_name}" _name)
        if(NOT DEFINED _path_${_name})
            set(_path_${_name} "${_dll}")
        endif()
    endforeach()
endforeach()

set(_queue ${TAVO_DEPLOY_EXECUTABLES} ${TAVO_DEPLOY_MODULES})
set(_found)
while(_queue)
    list(POP_FRONT _queue _file)
    execute_process(COMMAND "${TAVO_DEPLOY_OBJDUMP}" -p "${_file}" OUTPUT_VARIABLE _dump
                    RESULT_VARIABLE _status)
    if(NOT _status EQUAL 0)
        message(FATAL_ERROR "cannot read the imports of ${_file}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\r\n]+" _imports "${_dump}")
    foreach(_import IN LISTS _imports)
        string(REGEX REPLACE "^DLL Name: " "" _name "${_import}")
        string(STRIP "${_name}" _name)
        string(TOLOWER "${_name}" _name)
        if(DEFINED _path_${_name})
            list(FIND _found "${_path_${_name}}" _at)
            if(_at EQUAL -1)
                list(APPEND _found "${_path_${_name}}")
                list(APPEND _queue "${_path_${_name}}")
            endif()
        elseif(_name MATCHES "^(qt6|lib|zlib)")
            message(FATAL_ERROR "${_file} needs ${_name}, found in none of ${TAVO_DEPLOY_DIRECTORIES}")
        endif()
    endforeach()
endwhile()
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}" TYPE SHARED_LIBRARY FILES ${_found})
# The compiler's runtime comes with its debugging symbols (libstdc++ is 24 MB
# with them, 2 without): the copies shipped do without.
if(TAVO_DEPLOY_STRIP)
    foreach(_dll IN LISTS _found)
        get_filename_component(_name "${_dll}" NAME)
        execute_process(COMMAND "${TAVO_DEPLOY_STRIP}" --strip-unneeded
                                "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${_name}")
    endforeach()
endif()
