# Installs the programs and their desktop files in the usual XDG and FHS
# places under the prefix:
#   bin/quenby, bin/quenby-strip
#   share/applications/io.github.quenby.quenby.desktop   (named after the AppStream id)
#   share/icons/hicolor/SIZExSIZE/apps/quenby.png   (16 to 256 px)
#   share/icons/hicolor/scalable/apps/quenby.svg
#   share/metainfo/io.github.quenby.quenby.metainfo.xml   (AppStream)
#   share/man/man1/quenby.1.gz, share/man/man1/quenby-strip.1.gz
#   share/bash-completion/completions/quenby-strip  (loaded by bash-completion)
#   share/doc/quenby/copyright                      (the MIT licence)
# The Debian package (debian/) installs these with `cmake --install`, and
# adds its own copyright file and changelog in share/doc/quenby.
# An installed copy keeps its settings beside itself when it may write there
# and is not under /usr, otherwise in the user's configuration folder.
include(GNUInstallDirs)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/quenby)

install(TARGETS quenby quenby-strip RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/${QUENBY_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size IN LISTS QUENBY_ICON_SIZES)
    install(FILES ${QUENBY_ICON_FOLDER}/${size}x${size}/apps/quenby.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/window/quenby.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
set(metainfo ${QUENBY_APP_ID}.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/data/${metainfo}.in ${CMAKE_BINARY_DIR}/${metainfo} @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUENBY_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/data/quenby-strip.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quenby-strip)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${docdir} RENAME copyright)
