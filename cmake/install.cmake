# Installation: the two programs, the desktop entry, the icons and the
# Japanese Qt translations the windows use; CPack turns it into a .deb.
include(GNUInstallDirs)

install(TARGETS tavo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tavo-extract)
    install(TARGETS tavo-extract RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/data/tavo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/tavo-32.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME tavo.png)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/tavo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Qt's own Japanese texts (buttons, file and print dialogs), installed beside
# the program so that it does not depend on a translations package.
get_target_property(_tavo_qmake Qt6::qmake IMPORTED_LOCATION)
execute_process(COMMAND ${_tavo_qmake} -query QT_INSTALL_TRANSLATIONS
                OUTPUT_VARIABLE _tavo_qt_translations OUTPUT_STRIP_TRAILING_WHITESPACE)
foreach(_catalog qtbase_ja.qm)
    if(EXISTS ${_tavo_qt_translations}/${_catalog})
        install(FILES ${_tavo_qt_translations}/${_catalog}
                DESTINATION ${CMAKE_INSTALL_DATADIR}/tavo/translations)
    endif()
endforeach()

set(CPACK_PACKAGE_NAME tavo)
set(CPACK_PACKAGE_VENDOR "Tavo")
set(CPACK_PACKAGE_CONTACT "Tavo developers <tavo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Collects drawing title blocks into a parts list (Tavo表題)")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk | fonts-ipafont-gothic")
set(CPACK_STRIP_FILES ON)
include(CPack)
