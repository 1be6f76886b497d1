# Installation and packaging: the program, the simulator and the map generator in bin, the
# launcher the desktop entry starts, the desktop entry, the icon in the hicolor theme, the
# AppStream metainfo, the coastline data for the map generator, the manual pages and the
# documents. The Debian package (debian/) is built from the same install tree.
include(GNUInstallDirs)

set(ROTEKA_APP_ID io.github.roteka.Roteka)
set(ROTEKA_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR}/../packaging)
set(ROTEKA_ICON_DIR ${CMAKE_CURRENT_LIST_DIR}/../src/ui/resources/icons)

# The programs link only against libraries in the system's own directories, so the installed
# copies carry no run path (the project setup's default would add $ORIGIN/../lib).
foreach(program roteka roteka-sim roteka-mapgen)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "")
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(PROGRAMS ${ROTEKA_PACKAGING_DIR}/roteka-launcher DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${ROTEKA_PACKAGING_DIR}/${ROTEKA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ROTEKA_PACKAGING_DIR}/${ROTEKA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${ROTEKA_ICON_DIR}/roteka-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${ROTEKA_APP_ID}.png)
endforeach()

# roteka-mapgen reads the coastlines with --data; they are installed for it with their licence.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../data/land-110m.json
              ${CMAKE_CURRENT_LIST_DIR}/../data/world-atlas-LICENSE
        DESTINATION ${CMAKE_INSTALL_DATADIR}/roteka)

foreach(page roteka roteka-sim roteka-mapgen roteka-launcher)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/../docs/man/${page}.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

install(FILES ${CMAKE_CURRENT_LIST_DIR}/../README.md ${CMAKE_CURRENT_LIST_DIR}/../LICENSE
        ${CMAKE_CURRENT_LIST_DIR}/../debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
