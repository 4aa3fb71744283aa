# Installs the program with its desktop entry and icon in the usual XDG
# places under the prefix:
#   bin/quenby, bin/quenby-strip
#   share/applications/quenby.desktop
#   share/icons/hicolor/32x32/apps/quenby.xpm   (the icon theme's place)
#   share/pixmaps/quenby.xpm                    (for menus that look only there)
# An installed copy keeps its settings beside itself when it may write
# there, otherwise in the user's configuration folder.
include(GNUInstallDirs)

install(TARGETS quenby quenby-strip RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/quenby.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/window/quenby.xpm
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES ${PROJECT_SOURCE_DIR}/window/quenby.xpm
        DESTINATION ${CMAKE_INSTALL_DATADIR}/pixmaps)
