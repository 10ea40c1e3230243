# Installation: the two programs, and the Japanese Qt translations the
# windows use. On Linux CPack turns it into a .deb with the desktop entry and
# icons; on Windows into a portable ZIP and an NSIS installer that carry the
# Qt and MinGW runtime beside the programs.
include(GNUInstallDirs)

if(WIN32)
    # Everything in one folder: Windows finds DLLs beside the program.
    set(TAVO_INSTALL_BINDIR .)
    set(TAVO_INSTALL_TRANSLATIONSDIR translations)
else()
    set(TAVO_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
    set(TAVO_INSTALL_TRANSLATIONSDIR ${CMAKE_INSTALL_DATADIR}/tavo/translations)
endif()

install(TARGETS tavo RUNTIME DESTINATION ${TAVO_INSTALL_BINDIR})
if(TARGET tavo-extract)
    install(TARGETS tavo-extract RUNTIME DESTINATION ${TAVO_INSTALL_BINDIR})
endif()
if(NOT WIN32)
    install(FILES ${PROJECT_SOURCE_DIR}/data/tavo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/data/icons/tavo-32.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME tavo.png)
    install(FILES ${PROJECT_SOURCE_DIR}/data/icons/tavo.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Qt's own Japanese texts (buttons, file and print dialogs), installed with
# the program so that it does not depend on a translations package. A Qt
# built for Windows here has none of its own: Debian's copy is the same text.
get_target_property(_tavo_qmake Qt6::qmake IMPORTED_LOCATION)
execute_process(COMMAND ${_tavo_qmake} -query QT_INSTALL_TRANSLATIONS
                OUTPUT_VARIABLE _tavo_qt_translations OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_QUIET)
find_file(TAVO_QTBASE_JA_QM qtbase_ja.qm
          PATHS ${_tavo_qt_translations} /usr/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(TAVO_QTBASE_JA_QM)
    install(FILES ${TAVO_QTBASE_JA_QM} DESTINATION ${TAVO_INSTALL_TRANSLATIONSDIR})
elseif(WIN32)
    message(WARNING "qtbase_ja.qm not found: Qt's dialogs will be in English "
                    "(install qt6-translations-l10n, or set TAVO_QTBASE_JA_QM)")
endif()

set(CPACK_PACKAGE_NAME tavo)
set(CPACK_PACKAGE_VENDOR "Tavo")
set(CPACK_PACKAGE_CONTACT "Tavo developers <tavo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Collects drawing title blocks into a parts list (Tavo表題)")
set(CPACK_STRIP_FILES ON)
if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/windows-deploy.cmake)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk | fonts-ipafont-gothic")
endif()
include(CPack)
