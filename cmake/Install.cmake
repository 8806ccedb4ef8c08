# Installs the program the way desktops expect to find it: the executable, its menu entry, its icon in the
# hicolor theme and the AppStream metainfo that software centres read.
include(GNUInstallDirs)

set(VARDELO_APP_ID io.github.vardelo.vardelo)

# The program links its own libraries statically and Qt from the system, so the installed copy needs no
# library search path of its own (qt_standard_project_setup would give it one).
set_target_properties(vardelo PROPERTIES INSTALL_RPATH "")
install(TARGETS vardelo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(UNIX AND NOT APPLE)
    install(FILES ${PROJECT_SOURCE_DIR}/dist/vardelo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/dist/${VARDELO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/vardelo.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/vardelo.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
