#!/usr/bin/env bash
# Builds ROTEKA for 64-bit Windows on Debian and tries it under Wine.
#
# Usage: scripts/windows.sh           build the programs, the zip and the installer, then run
#                                     the Wine check when Wine is installed
#        scripts/windows.sh --qt      only build (or reuse) the Windows Qt
#        scripts/windows.sh --check   only run the Wine check on the last build
#
# Stages:
#  1. the Debian packages the build and the check need (installed when missing);
#  2. Qt for Windows: Debian's own qt6-base source, cross-built with MinGW-w64 against the
#     Qt host tools Debian ships (moc, rcc, uic of the same Qt version), only the parts ROTEKA
#     uses. The source, the build tree and the installed Qt stay in
#     ${XDG_CACHE_HOME:-~/.cache}/roteka/ and are reused; the first build takes about
#     50 minutes on two cores;
#  3. roteka.exe, roteka-mapgen.exe and the Start-menu launcher roteka-launcher.exe in
#     build-windows/, configured by the preset "windows" of CMakePresets.json (there is no
#     serial-port module for this Qt: the program talks to the Windows communications API
#     itself);
#  4. build-windows/roteka-<version>-windows-x64.zip and ...-setup.exe (NSIS);
#  5. the check: the program under Wine on a virtual display, with the controller simulator
#     on a pseudo-terminal that Wine sees as COM3, and how far the azimuth it shows lags
#     behind the simulator's reports.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mode=all
case "${1:-}" in
"") ;;
--qt) mode=qt ;;
--check) mode=check ;;
-h | --help)
  sed -n '2,23p' "$0" | sed 's/^# \{0,1\}//'
  exit 0
  ;;
*)
  echo "windows.sh: unknown option $1 (try --help)" >&2
  exit 2
  ;;
esac

triplet=x86_64-w64-mingw32
# The version of the host tools Debian ships; the preset's toolchain file names it.
qt_version=$(sed -n 's/^set(ROTEKA_WINDOWS_QT_VERSION \([0-9.]*\))$/\1/p' \
  cmake/WindowsToolchain.cmake)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/roteka
qt_src_dir=$cache/qt6-base-src
qt_build_dir=$cache/qt6-base-build
qt_prefix=$cache/qt6-$qt_version-mingw64
qt_stamp=$qt_prefix/.roteka-built
toolchain=$cache/mingw64-toolchain.cmake
out=$root/build-windows
jobs=$(nproc)

log() { printf '\n== %s\n' "$*"; }

# --- 1. Debian packages ----------------------------------------------------------------------

install_packages() {
  # The Linux build's own packages (for the simulator the check runs) and the cross tools.
  local extra=(mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
               binutils-mingw-w64-x86-64 ninja-build qt6-base-dev qt6-base-dev-tools
               dpkg-dev xz-utils zip nsis imagemagick)
  if [ "$mode" != qt ]; then
    extra+=(wine wine64 xvfb xauth x11-utils xdotool imagemagick unzip fonts-ipafont-gothic
            python3)
  fi
  scripts/deps.sh "${extra[@]}"
}

# --- 2. Qt for Windows -------------------------------------------------------------------------

# Fetches Debian's qt6-base source without touching the machine's apt configuration: a private
# source list (deb-src entries for the mirror and suites the system uses) and a private lists
# directory in the cache.
fetch_qt_source() {
  [ -f "$qt_src_dir/CMakeLists.txt" ] && return 0
  local apt_dir=$cache/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/src"
  local uri suite
  uri=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n1)
  suite=$(sed -n 's/^Suites: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null |
    head -n1)
  uri=${uri:-http://deb.debian.org/debian}
  suite=${suite:-bookworm}
  echo "deb-src $uri $suite main" >"$apt_dir/sources.list"
  local apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
                  -o "Dir::State::Lists=$apt_dir/lists" -o Dir::Cache::pkgcache=
                  -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User=root)
  log "Fetching Debian's qt6-base source ($uri $suite)"
  apt-get -q "${apt_opts[@]}" update
  rm -rf "$apt_dir/src" && mkdir -p "$apt_dir/src"
  (cd "$apt_dir/src" && apt-get -q "${apt_opts[@]}" source qt6-base)
  local unpacked
  unpacked=$(find "$apt_dir/src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
  if ! grep -q "set(QT_REPO_MODULE_VERSION \"$qt_version\")" "$unpacked/.cmake.conf"; then
    echo "windows.sh: the fetched qt6-base is not Qt $qt_version, the version of the host tools" >&2
    exit 1
  fi
  rm -rf "$qt_src_dir"
  mv "$unpacked" "$qt_src_dir"
  rm -rf "$apt_dir/src"
}

write_toolchain() {
  mkdir -p "$cache"
  cat >"$toolchain" <<EOF
# MinGW-w64 (POSIX threads) for 64-bit Windows, written by scripts/windows.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $triplet-gcc-posix)
set(CMAKE_CXX_COMPILER $triplet-g++-posix)
set(CMAKE_RC_COMPILER $triplet-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triplet)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

# Core, Gui, Widgets and Network with the Windows platform plugin and styles. The options:
# no SQL, D-Bus, OpenSSL, tests or examples; no tablet events (the Windows plugin's tablet
# support needs a header Debian's source leaves out); OpenGL stays on, as the Windows plugin of
# this Qt version does not build without it (Qt loads the system's OpenGL at run time).
build_qt() {
  if [ -f "$qt_stamp" ]; then
    echo "Reusing the Windows Qt in $qt_prefix"
    return 0
  fi
  fetch_qt_source
  write_toolchain
  log "Configuring Qt $qt_version for Windows (log: $cache/qt-configure.log)"
  local started=$SECONDS
  cmake -S "$qt_src_dir" -B "$qt_build_dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
    -DQT_HOST_PATH=/usr \
    -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DINPUT_openssl=no -DFEATURE_tabletevent=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_testlib=OFF \
    -DFEATURE_xml=OFF \
    >"$cache/qt-configure.log" 2>&1 || {
    tail -n 40 "$cache/qt-configure.log" >&2
    exit 1
  }
  log "Building Qt (log: $cache/qt-build.log; about 50 minutes the first time)"
  nice -n 19 cmake --build "$qt_build_dir" --parallel "$jobs" >"$cache/qt-build.log" 2>&1 || {
    tail -n 40 "$cache/qt-build.log" >&2
    exit 1
  }
  cmake --install "$qt_build_dir" >"$cache/qt-install.log" 2>&1
  echo "$qt_version $((SECONDS - started)) seconds" >"$qt_stamp"
  echo "Qt built in $(((SECONDS - started) / 60)) minutes"
}

install_packages
if [ "$mode" != check ]; then
  build_qt
fi
[ "$mode" = qt ] && exit 0

# --- 3. ROTEKA for Windows ---------------------------------------------------------------------

version=$(sed -n 's/^project(roteka VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip_name=roteka-$version-windows-x64
strip_tool=$triplet-strip
objdump_tool=$triplet-objdump

# The preset's configuration, nothing added, so the preset and this script build the same.
# The programs' icon, build-windows/roteka.ico, is made by the build from the PNG icons the
# Linux desktop uses.
build_roteka() {
  log "Building ROTEKA $version for Windows in build-windows/ (cmake --preset windows)"
  local started=$SECONDS
  mkdir -p "$out"
  # A build tree configured before the preset existed names Qt's toolchain file directly.
  if [ -f "$out/CMakeCache.txt" ] && ! grep -q 'WindowsToolchain.cmake' "$out/CMakeCache.txt"; then
    rm -rf "$out/CMakeCache.txt" "$out/CMakeFiles"
  fi
  cmake --preset windows >"$out/configure.log" || {
    cat "$out/configure.log" >&2
    exit 1
  }
  nice -n 10 cmake --build --preset windows --parallel "$jobs" \
    --target roteka roteka-mapgen roteka-launcher
  echo "ROTEKA built in $((SECONDS - started)) seconds"
}

# --- 4. The zip and the installer --------------------------------------------------------------

# The DLLs a Windows binary imports, one a line, in lower case.
imports() {
  "$objdump_tool" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'
}

# Fails when a shipped binary imports a DLL that is neither shipped nor part of Windows.
check_imports() {
  local dir=$1 file dll missing=0
  local -A shipped=()
  while IFS= read -r file; do
    shipped[$(basename "$file" | tr 'A-Z' 'a-z')]=1
  done < <(find "$dir" -name '*.dll')
  while IFS= read -r file; do
    while IFS= read -r dll; do
      [ -n "${shipped[$dll]:-}" ] && continue
      # Windows' own: the system libraries and the API sets of the C runtime.
      case $dll in
      kernel32.dll | user32.dll | gdi32.dll | shell32.dll | ole32.dll | oleaut32.dll | advapi32.dll | \
        comdlg32.dll | winmm.dll | ws2_32.dll | imm32.dll | shlwapi.dll | uxtheme.dll | dwmapi.dll | \
        version.dll | netapi32.dll | userenv.dll | mpr.dll | dnsapi.dll | iphlpapi.dll | \
        setupapi.dll | d3d9.dll | d3d11.dll | d3d12.dll | dxgi.dll | dwrite.dll | d2d1.dll | \
        opengl32.dll | authz.dll | wtsapi32.dll | msvcrt.dll | bcrypt.dll | crypt32.dll | \
        secur32.dll | ntdll.dll | rpcrt4.dll | comctl32.dll | shcore.dll | winhttp.dll | \
        api-ms-win-*.dll) ;;
      *)
        echo "windows.sh: $file needs $dll, which is not shipped" >&2
        missing=1
        ;;
      esac
    done < <(imports "$file")
  done < <(find "$dir" -name '*.exe' -o -name '*.dll')
  [ "$missing" -eq 0 ]
}

# Copies the programs, what they load and the documents into a directory: the layout of both
# the zip and the installed program.
stage_files() {
  local stage=$1 mingw_file
  rm -rf "$stage"
  mkdir -p "$stage/platforms" "$stage/styles" "$stage/data"
  cp "$out/roteka.exe" "$out/roteka-mapgen.exe" "$stage/"
  # Qt: the modules the programs link, the platform plugin (qwindows, for the map generator
  # too: Qt's offscreen platform finds no fonts on Windows), and the native style, which Qt
  # loads as the default at start-up before ROTEKA chooses Fusion. No image-format plugin: the
  # map and the icons are PNG, which Qt Gui reads itself.
  cp "$qt_prefix"/bin/Qt6{Core,Gui,Widgets,Network}.dll "$stage/"
  cp "$qt_prefix/plugins/platforms/qwindows.dll" "$stage/platforms/"
  cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
  # The compiler's run-time libraries.
  for mingw_file in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$("$triplet-g++-posix" -print-file-name="$mingw_file")" "$stage/"
  done
  cp data/land-110m.json data/world-atlas-LICENSE "$stage/data/"
  cp README.md LICENSE "$stage/"
  find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec "$strip_tool" --strip-unneeded {} +
  check_imports "$stage"
}

package_zip() {
  local stage=$out/zip/$zip_name
  log "Writing build-windows/$zip_name.zip"
  stage_files "$stage"
  rm -f "$out/$zip_name.zip"
  (cd "$out/zip" && zip -q -r -9 "$out/$zip_name.zip" "$zip_name")
  ls -l "$out/$zip_name.zip"
}

package_installer() {
  local stage=$out/installer/files
  log "Writing build-windows/$zip_name-setup.exe"
  stage_files "$stage"
  cp "$out/roteka-launcher.exe" "$stage/"
  "$strip_tool" --strip-unneeded "$stage/roteka-launcher.exe"
  # The installer's own lists of what it installs and, for the uninstaller, removes.
  local list=$out/installer/files.nsh unlist=$out/installer/unfiles.nsh dir file
  : >"$list"
  : >"$unlist"
  while IFS= read -r dir; do
    printf 'SetOutPath "$INSTDIR%s"\n' "${dir:+\\${dir//\//\\}}" >>"$list"
    while IFS= read -r file; do
      printf 'File "%s"\n' "$stage/${dir:+$dir/}$file" >>"$list"
      printf 'Delete "$INSTDIR\\%s"\n' "${dir:+${dir//\//\\}\\}$file" >>"$unlist"
    done < <(find "$stage/$dir" -mindepth 1 -maxdepth 1 -type f -printf '%f\n' | sort)
  done < <(cd "$stage" && find . -type d -printf '%P\n' | sort)
  while IFS= read -r dir; do
    printf 'RMDir "$INSTDIR\\%s"\n' "${dir//\//\\}" >>"$unlist"
  done < <(cd "$stage" && find . -mindepth 1 -type d -printf '%P\n' | sort -r)
  # The licence page shows the licence with Windows line ends.
  sed 's/$/\r/' LICENSE >"$out/installer/LICENSE.txt"
  makensis -V2 -INPUTCHARSET UTF8 \
    -DVERSION="$version" -DFILES="$list" -DUNFILES="$unlist" -DICON="$out/roteka.ico" \
    -DLICENSE="$out/installer/LICENSE.txt" -DOUTFILE="$out/$zip_name-setup.exe" \
    packaging/windows/roteka.nsi
  ls -l "$out/$zip_name-setup.exe"
}

# --- 5. The check under Wine ------------------------------------------------------------------

check_dir=$out/check
pids=()

stop_check() {
  local pid
  if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX:-}" ]; then
    wineserver -k 2>/dev/null || true
  fi
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  pids=()
}

# Waits up to $1 seconds for a command to succeed.
wait_for() {
  local limit=$1
  shift
  local until=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $until ] || return 1
    sleep 0.5
  done
}

# The visible top-level windows titled ROTEKA (the main window and its message boxes).
roteka_windows() {
  xdotool search --onlyvisible --name '^ROTEKA$' 2>/dev/null || true
}

geometry() {
  # x y width height of a window (without a window manager, Wine's windows have no frame)
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                          /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

# The main window is 3240 x 4740 twips, 216 x 316 pixels; a message box, also titled ROTEKA,
# has another size.
main_size="216 316"
windows_sized() {
  local want=$1 id x y w h
  for id in $(roteka_windows); do
    read -r x y w h < <(geometry "$id")
    if [ "$want" = main ] && [ "$w $h" = "$main_size" ]; then echo "$id"; fi
    if [ "$want" = box ] && [ "$w $h" != "$main_size" ]; then echo "$id"; fi
  done
}
main_window() { windows_sized main | head -n1; }
# Presses the OK button of the message box, at its lower right corner.
confirm_message_box() {
  local x y w h
  read -r x y w h < <(geometry "$(message_box)")
  xdotool mousemove "$((x + w - 52))" "$((y + h - 21))" click 1
}
message_box() { windows_sized box | head -n1; }
has_main_window() { [ -n "$(main_window)" ]; }
has_message_box() { [ -n "$(message_box)" ]; }

fail_check() {
  echo "CHECK FAILED: $*" >&2
  echo "(screenshots and logs in $check_dir)" >&2
  stop_check
  exit 1
}

# Starts roteka.exe from the unzipped zip in the check's working directory, with the arguments.
start_roteka() {
  (cd "$check_dir/run" && exec wine "$check_dir/unzipped/$zip_name/roteka.exe" "$@") \
    >>"$check_dir/roteka.log" 2>&1 &
  pids+=($!)
  disown $! # killed with the other Wine processes; no job report then
}

# How many lines of the simulator's output (sim_log) match a pattern; whether at least that
# many do.
sim_log=
log_lines() {
  local count
  count=$(grep -c -- "$1" "$sim_log" 2>/dev/null || true)
  echo "${count:-0}"
}
has_log_lines() { [ "$(log_lines "$1")" -ge "$2" ]; }

# Starts the simulator on a new pseudo-terminal and links it as COM3 (sets sim_pid and pty).
# Its output goes to sim.log, or with arguments (the simulator's options) to the log file
# named first.
start_simulator() {
  sim_log=$check_dir/sim.log
  local options=(--log --speed 90 --idle-interval 200)
  if [ $# -gt 0 ]; then
    sim_log=$1
    shift
    options=("$@")
  fi
  local lines=$(($(log_lines '^PTY ') + 1))
  build/roteka-sim "${options[@]}" >>"$sim_log" &
  sim_pid=$!
  pids+=("$sim_pid")
  wait_for 10 has_log_lines '^PTY ' "$lines" || fail_check "the simulator did not start"
  pty=$(sed -n 's/^PTY //p' "$sim_log" | tail -n1)
  ln -sfn "$pty" "$WINEPREFIX/dosdevices/com3"
}

# A TCP port on this machine that nothing listens on.
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("", 0)); print(s.getsockname()[1])'
}

# How far the azimuth the window shows lags behind the simulator's reports: roteka.exe serves
# the rotctld protocol on a free local port, and scripts/azimuth-lag.py turns the antenna
# through it and reads the azimuth back while the simulator logs each report it sends (the
# time stamps of both are on the same clock). Arguments: the name of the run, the line's baud
# rate, what the check prints of it, then the simulator's options.
measure_lag() {
  local name=$1 baud=$2 label=$3 port
  shift 3
  wineserver -k
  sleep 1
  start_simulator "$check_dir/lag-$name.log" --log-sent --speed 20 "$@"
  printf '3,%s,N,8,1:0\r\n' "$baud" >"$check_dir/run/ROTEKA.DAT"
  port=$(free_port)
  start_roteka --listen "$port"
  wait_for 90 has_main_window || fail_check "no main window appeared for the lag check"
  python3 scripts/azimuth-lag.py "$check_dir/lag-$name.log" "$label" --port "$port" \
    --seconds 8 --limit-ms 200 || fail_check "the azimuth lagged $label"
  kill "$sim_pid"
}

# A logger's PstRotator turn reaches the controller: roteka.exe, started without options, takes
# --pst from its configuration file in %APPDATA%\roteka; a datagram asks for 123 degrees, and the
# simulator receives the go-to; the question AZ? is answered at the port + 1.
check_pst() {
  local port roaming answer
  wineserver -k
  sleep 1
  start_simulator "$check_dir/pst.log" --log --speed 90 --start 100
  printf '3,9600,N,8,1:0\r\n' >"$check_dir/run/ROTEKA.DAT"
  port=$(python3 -c 'import socket
for _ in range(50):
    a = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); a.bind(("127.0.0.1", 0))
    b = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        b.bind(("127.0.0.1", a.getsockname()[1] + 1)); print(a.getsockname()[1]); break
    except OSError:
        pass')
  roaming="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/roteka"
  mkdir -p "$roaming"
  printf 'pst=%s\n' "$port" >"$roaming/roteka.conf"
  start_roteka
  wait_for 90 has_main_window || fail_check "no main window appeared for the PstRotator check"
  answer=$(python3 - "$port" <<'PY'
import socket, sys, time
port = int(sys.argv[1])
answers = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
answers.bind(("127.0.0.1", port + 1))
answers.settimeout(1)
sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
for _ in range(30):
    sender.sendto(b"<PST><AZIMUTH>123</AZIMUTH></PST>", ("127.0.0.1", port))
    sender.sendto(b"<PST>AZ?</PST>", ("127.0.0.1", port))
    try:
        print(answers.recv(64).decode("ascii", "replace").strip())
        break
    except socket.timeout:
        pass
PY
)
  [[ "$answer" =~ ^AZ:[0-9]{3}$ ]] || fail_check "no answer to AZ? at port $((port + 1))"
  wait_for 10 has_log_lines '^RX M123' 1 || fail_check "the PstRotator turn sent no M123"
  echo "ok: a PstRotator datagram on port $port (set in %APPDATA%\\roteka\\roteka.conf) reached COM3" \
    "as M123, and AZ? was answered $answer"
  rm "$roaming/roteka.conf"
  kill "$sim_pid"
}

run_check() {
  log "Checking the Windows build under Wine"
  local zip=$out/$zip_name.zip
  [ -f "$zip" ] || fail_check "$zip is missing; build first"
  rm -rf "$check_dir"
  mkdir -p "$check_dir/run"
  unzip -q "$zip" -d "$check_dir/unzipped"
  trap stop_check EXIT

  # The Linux simulator plays the controller.
  cmake -S . -B build -DROTEKA_BUILD_BENCH=OFF >"$check_dir/linux-configure.log"
  nice -n 10 cmake --build build --target roteka-sim >"$check_dir/linux-build.log"

  # A virtual display.
  local display=90
  while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
  done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$check_dir/xvfb.log" 2>&1 &
  pids+=($!)
  export DISPLAY=:$display
  wait_for 20 test -e "/tmp/.X11-unix/X$display" || fail_check "Xvfb did not start"

  # A fresh Wine prefix; no downloads of Wine's .NET and browser add-ons.
  export WINEPREFIX=$check_dir/wineprefix WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  wineboot --init >"$check_dir/wineboot.log" 2>&1
  wineserver -w
  echo "Wine: $(wine --version) in a fresh prefix"

  local sim_pid pty
  start_simulator
  echo "COM3 is the simulator's $pty"
  printf '3,9600,N,8,1:0\r\n' >"$check_dir/run/ROTEKA.DAT"

  # 1. The program starts on COM3 with no failure message.
  start_roteka
  wait_for 90 has_main_window || {
    import -window root "$check_dir/1-started.png"
    fail_check "no main window appeared"
  }
  sleep 5
  import -window root "$check_dir/1-started.png"
  ! has_message_box || fail_check "a message box appeared beside the main window"
  local window wx wy ww wh
  window=$(main_window)
  read -r wx wy ww wh < <(geometry "$window")
  echo "ok: the main window (${ww}x$wh) opened on COM3 without a failure message"

  # 2. A click on the map reaches the simulator as a go-to command. The map is the 200 x 200
  # box on the first page, 106 pixels below and 6 right of the window's corner (twips
  # 1590 and 90); a click to the right of its centre asks for an easterly bearing.
  local before_rx
  before_rx=$(log_lines '^RX M')
  import -window "$window" "$check_dir/2-before-click.png"
  xdotool mousemove "$((wx + 6 + 101 + 60))" "$((wy + 106 + 102))" click 1
  wait_for 10 has_log_lines '^RX M' "$((before_rx + 1))" ||
    fail_check "the click on the map sent no M command"
  echo "ok: the click on the map reached the simulator as $(grep '^RX M' "$check_dir/sim.log" | tail -n1 | cut -c4-)"

  # 3. The simulator's reports move the pointers and the bearing.
  sleep 4
  import -window "$window" "$check_dir/3-after-click.png"
  local changed
  changed=$(compare -metric AE "$check_dir/2-before-click.png" "$check_dir/3-after-click.png" \
    null: 2>&1 || true)
  [ "${changed%% *}" -gt 50 ] 2>/dev/null ||
    fail_check "the window did not change after the click ($changed pixels differ)"
  echo "ok: the reports moved the pointers ($changed pixels changed)"

  # The controller going away (the simulator ends, its terminal hangs up) closes the port:
  # the status line (its top 20 rows) changes to say so.
  kill "$sim_pid"
  sleep 3
  import -window "$window" "$check_dir/3-device-gone.png"
  convert "$check_dir/3-after-click.png" -crop "${ww}x20+0+0" "$check_dir/status-before.png"
  convert "$check_dir/3-device-gone.png" -crop "${ww}x20+0+0" "$check_dir/status-after.png"
  changed=$(compare -metric AE "$check_dir/status-before.png" "$check_dir/status-after.png" \
    null: 2>&1 || true)
  [ "${changed%% *}" -gt 20 ] 2>/dev/null ||
    fail_check "the status line did not change when the simulator ended ($changed pixels)"
  echo "ok: the simulator's end closed the port (the status line changed)"
  start_simulator

  # The map generator, started from another folder, finds the coastlines beside it and writes
  # the station map where ROTEKA reads it: the per-user application data folder.
  local roaming
  roaming="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/roteka"
  (cd "$check_dir/run" &&
    wine "$check_dir/unzipped/$zip_name/roteka-mapgen.exe" --locator IO91wm) \
    >>"$check_dir/mapgen.log" 2>&1 || fail_check "roteka-mapgen failed (see mapgen.log)"
  [ "$(identify -format '%wx%h' "$roaming/map.png" 2>/dev/null)" = 200x200 ] ||
    fail_check "roteka-mapgen wrote no 200 x 200 map in %APPDATA%\\roteka"
  cp "$roaming/map.png" "$check_dir/mapgen-IO91wm.png"
  echo "ok: roteka-mapgen wrote %APPDATA%\\roteka\\map.png"

  # 4. With COM3 missing, start-up shows the failure message (before the main window), and the
  # main window follows once it is confirmed.
  wineserver -k
  sleep 1
  rm -f "$WINEPREFIX/dosdevices/com3"
  start_roteka
  wait_for 90 has_message_box || {
    import -window root "$check_dir/4-no-port.png"
    fail_check "no failure message when COM3 is missing"
  }
  sleep 2
  import -window root "$check_dir/4-no-port.png"
  confirm_message_box
  wait_for 30 has_main_window || fail_check "no main window after the failure message"
  sleep 2
  import -window root "$check_dir/4-after-message.png"
  echo "ok: with COM3 missing, the start-up failure message appeared, then the main window"

  # The azimuth follows the controller within 200 ms, also when it reports without a pause:
  # every 10 ms, and back to back at 115200 baud (1440 reports a second).
  measure_lag 10ms 9600 "at 10 ms reports" --moving-interval 10 --idle-interval 10
  measure_lag back-to-back 115200 "with reports back to back at 115200 baud" \
    --back-to-back --baud 115200
  check_pst
  start_simulator
  printf '3,9600,N,8,1:0\r\n' >"$check_dir/run/ROTEKA.DAT"

  # 5. The installer, silently: the files under Program Files, the Start-menu entry, the
  # launcher making the user's own folder and starting ROTEKA there (where ROTEKA writes its
  # first ROTEKA.DAT, for COM3), and an uninstaller that leaves that file.
  wineserver -k
  sleep 1
  ln -sfn "$pty" "$WINEPREFIX/dosdevices/com3"
  local setup=$out/$zip_name-setup.exe
  if [ -f "$setup" ]; then
    local programs="$WINEPREFIX/drive_c/Program Files/ROTEKA"
    local menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ROTEKA"
    local userdir
    userdir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/ROTEKA"
    wine "$setup" /S >>"$check_dir/installer.log" 2>&1
    wineserver -w
    [ -f "$programs/roteka.exe" ] && [ -f "$programs/roteka-launcher.exe" ] &&
      [ -f "$programs/platforms/qwindows.dll" ] || fail_check "the installer left no program"
    [ -f "$menu/ROTEKA.lnk" ] || fail_check "the installer made no Start-menu entry"
    [ ! -e "$userdir" ] || fail_check "$userdir exists before the first start"
    # With no ROTEKA.DAT yet, ROTEKA writes one (for COM3) in the launcher's folder and says so;
    # as the message says, it takes effect at the next start, so the failure message for the
    # default port may follow.
    wine 'C:\Program Files\ROTEKA\roteka-launcher.exe' >>"$check_dir/installer.log" 2>&1
    wait_for 90 has_message_box || fail_check "the launcher started no ROTEKA"
    wait_for 10 test -f "$userdir/ROTEKA.DAT" ||
      fail_check "ROTEKA started by the launcher wrote no $userdir/ROTEKA.DAT"
    sleep 2
    import -window root "$check_dir/5-installed-first-start.png"
    local box
    for box in 1 2; do
      has_message_box && confirm_message_box
      wait_for 15 has_main_window && break
    done
    has_main_window || fail_check "no main window after the first start's messages"
    # The second start reads that ROTEKA.DAT and opens COM3.
    wineserver -k
    sleep 1
    wine 'C:\Program Files\ROTEKA\roteka-launcher.exe' >>"$check_dir/installer.log" 2>&1
    wait_for 90 has_main_window || fail_check "the launcher started no ROTEKA the second time"
    sleep 3
    import -window root "$check_dir/5-installed.png"
    ! has_message_box || fail_check "the installed ROTEKA did not open COM3 from its ROTEKA.DAT"
    wineserver -k
    sleep 1
    wine "$programs/uninstall.exe" /S >>"$check_dir/installer.log" 2>&1
    wineserver -w
    sleep 2
    [ ! -e "$programs/roteka.exe" ] && [ ! -e "$menu/ROTEKA.lnk" ] ||
      fail_check "the uninstaller left the program"
    [ -f "$userdir/ROTEKA.DAT" ] || fail_check "the uninstaller removed the user's ROTEKA.DAT"
    echo "ok: the installer installed, the launcher started ROTEKA in %LOCALAPPDATA%\\ROTEKA," \
      "the uninstaller removed the program and kept ROTEKA.DAT"
  fi

  stop_check
  trap - EXIT
  echo "The Wine check passed; screenshots in build-windows/check/"
}

case $mode in
check)
  run_check
  ;;
all)
  build_roteka
  package_zip
  package_installer
  if command -v wine >/dev/null; then
    run_check
  else
    echo "Wine is not installed: the check is skipped"
  fi
  ;;
esac
