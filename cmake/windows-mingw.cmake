# Toolchain for the windows-mingw preset. On Windows (MSYS2 UCRT64) the
# compilers, Qt and zlib of the environment are used as they are; elsewhere
# the programs are cross-compiled with MinGW-w64 against the prepared prefix
# beside the repository (Qt and zlib built for Windows).
if(CMAKE_HOST_WIN32)
    return()
endif()
if(NOT TAVO_WINDOWS_TOOLCHAIN_DIR)
    set(TAVO_WINDOWS_TOOLCHAIN_DIR "${CMAKE_CURRENT_LIST_DIR}/../../shared/windows")
endif()
# A plain path: the find root path does not match one with ".." or a link in it.
get_filename_component(TAVO_WINDOWS_TOOLCHAIN_DIR "${TAVO_WINDOWS_TOOLCHAIN_DIR}" REALPATH)
if(NOT EXISTS "${TAVO_WINDOWS_TOOLCHAIN_DIR}/mingw-toolchain.cmake")
    message(FATAL_ERROR "No Windows cross toolchain in ${TAVO_WINDOWS_TOOLCHAIN_DIR} "
                        "(set TAVO_WINDOWS_TOOLCHAIN_DIR)")
endif()
list(APPEND CMAKE_PREFIX_PATH "${TAVO_WINDOWS_TOOLCHAIN_DIR}/x86_64-w64-mingw32")
list(REMOVE_DUPLICATES CMAKE_PREFIX_PATH)
include("${TAVO_WINDOWS_TOOLCHAIN_DIR}/mingw-toolchain.cmake")
