# The toolchain of the Windows build (the "windows" preset in CMakePresets.json): the Qt for
# Windows that scripts/windows.sh --qt builds with MinGW-w64 and installs in its cache,
# ${XDG_CACHE_HOME:-~/.cache}/roteka. Qt's own toolchain file there loads the MinGW-w64 one.
# scripts/windows.sh reads the Qt version from here.
set(ROTEKA_WINDOWS_QT_VERSION 6.4.2)

if(NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
  set(roteka_cache "$ENV{XDG_CACHE_HOME}/roteka")
else()
  set(roteka_cache "$ENV{HOME}/.cache/roteka")
endif()
set(roteka_qt_toolchain
    "${roteka_cache}/qt6-${ROTEKA_WINDOWS_QT_VERSION}-mingw64/lib/cmake/Qt6/qt.toolchain.cmake")
if(NOT EXISTS "${roteka_qt_toolchain}")
  message(FATAL_ERROR "There is no Qt for Windows in ${roteka_cache}: "
                      "run scripts/windows.sh --qt first (about 50 minutes the first time)")
endif()
include("${roteka_qt_toolchain}")
