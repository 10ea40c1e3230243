# What a Windows user's machine lacks beside the two programs: Qt's DLLs and
# plugins and the compiler's runtime DLLs; and the ZIP and installer CPack
# makes of them.

# Plugins: the Windows platform for the window, offscreen for
# `tavo-extract --pdf`, the native widget style. Printing needs no plugin:
# Qt 6 has the Windows print support inside Qt6PrintSupport.dll.
set(_tavo_plugins
    platforms Qt6::QWindowsIntegrationPlugin
    platforms Qt6::QOffscreenIntegrationPlugin
    styles Qt6::QWindowsVistaStylePlugin)
set(_tavo_plugin_files)
while(_tavo_plugins)
    list(POP_FRONT _tavo_plugins _folder _target)
    if(NOT TARGET ${_target})
        message(FATAL_ERROR "Qt plugin ${_target} not found: the Windows package needs it")
    endif()
    install(FILES $<TARGET_FILE:${_target}> DESTINATION ${_folder})
    list(APPEND _tavo_plugin_files $<TARGET_FILE:${_target}>)
endwhile()

# The DLLs the programs and plugins load, found where the Qt and compiler in
# use keep theirs (the cross prefix, or MSYS2's bin folder).
get_filename_component(_tavo_compiler_dir ${CMAKE_CXX_COMPILER} DIRECTORY)
set(_tavo_dll_dirs $<TARGET_FILE_DIR:Qt6::Core> ${MINGW_RUNTIME_DLL_DIRS} ${_tavo_compiler_dir})
install(CODE "
    set(TAVO_DEPLOY_EXECUTABLES \"$<TARGET_FILE:tavo>;$<TARGET_FILE:tavo-extract>\")
    set(TAVO_DEPLOY_MODULES \"${_tavo_plugin_files}\")
    set(TAVO_DEPLOY_DIRECTORIES \"${_tavo_dll_dirs}\")
    set(TAVO_DEPLOY_OBJDUMP \"${CMAKE_OBJDUMP}\")
    set(TAVO_DEPLOY_STRIP \"${CMAKE_STRIP}\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/install-runtime-dlls.cmake\")
")

# Packages: the ZIP unpacks anywhere; the installer installs for the current
# user only (no administrator rights) with Japanese texts, a Start-menu entry
# and an uninstaller. Its template is ours (cmake/NSIS.template.in).
set(CPACK_GENERATOR ZIP NSIS)
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tavo)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tavo)
set(CPACK_NSIS_PACKAGE_NAME "Tavo表題")
set(CPACK_NSIS_DISPLAY_NAME "Tavo表題")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/data/icons/tavo.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/data/icons/tavo.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME tavo.exe)
set(CPACK_NSIS_UNINSTALL_NAME uninstall)
set(CPACK_PACKAGE_FILE_NAME tavo-${PROJECT_VERSION}-win64)
# The installer's name ends in setup.exe, the ZIP keeps the plain name.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-windows.cmake)
