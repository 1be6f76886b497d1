# Installation and packaging: the program, the simulator and the map generator in bin, the
# launcher the desktop entry starts, the desktop entry, the icon in the hicolor theme, the
# AppStream metainfo, the coastline data for the map generator, the manual pages and the
# documents; CPack turns the same install tree into a Debian package.
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
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${ROTEKA_PACKAGING_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME roteka)
set(CPACK_PACKAGE_VENDOR "The ROTEKA developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The ROTEKA developers <roteka@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "antenna rotator control through a serial-port controller")
set(CPACK_PACKAGE_DESCRIPTION
    "ROTEKA turns an amateur radio antenna rotator through its controller on a\n\
serial port: turn left, stop and turn right, 15 degree steps, a click on an\n\
azimuthal equidistant map centred on the station, and a free command line.\n\
The bearing the controller reports is shown as digits and as pointers on the\n\
map.\n\
\n\
The package also holds roteka-sim, a rotator controller simulator on a\n\
pseudo-terminal for trying ROTEKA without hardware, and roteka-mapgen, which\n\
draws the station map for another location.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_LIST_DIR}/../LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The window's Japanese captions need a Japanese font; the shared libraries (Qt's platform
# plugin for X11 comes with libqt6gui6) are found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
find_program(ROTEKA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ROTEKA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  message(STATUS "dpkg-shlibdeps not found (package dpkg-dev): "
                 "a .deb built now lists only fonts-ipafont-gothic as a dependency")
endif()

include(CPack)
