#!/usr/bin/env bash
# Builds Qt Widgets for 64-bit Windows (mingw-w64, posix threads, shared
# libraries) once, from Debian's own source package of the host's Qt, into
# a cache outside the repository:
#   ${LED2VQN_QT_MINGW:-~/.cache/led2vqn/qt6-mingw}
# The host's Qt (/usr) supplies moc, rcc and uic. The system's apt
# configuration is left alone: the source package comes through a private
# sources list. About an hour on two cores; runs at the lowest priority.
set -euo pipefail
cache=${LED2VQN_CACHE:-$HOME/.cache/led2vqn}
prefix=${LED2VQN_QT_MINGW:-$cache/qt6-mingw}
if [ -f "$prefix/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ]; then
  exit 0
fi
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)   # e.g. 6.4.2+dfsg-10
work="$cache/qt6-mingw-work"
mkdir -p "$work"
cd "$work"

# The source package, through a private sources list (deb-src of the mirror
# the system already uses).
apt_state="$work/apt"
mkdir -p "$apt_state/lists/partial"
cat >"$apt_state/sources.list" <<LIST
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
LIST
apt_options=(-o "Dir::Etc::SourceList=$apt_state/sources.list" -o Dir::Etc::SourceParts=-
             -o "Dir::State::Lists=$apt_state/lists" -o Dir::Etc::Parts=-)
if [ ! -d qtbase ]; then
  apt-get "${apt_options[@]}" -qq update
  apt-get "${apt_options[@]}" -qq source --download-only "qt6-base=$version"
  dpkg-source -x "qt6-base_${version}.dsc" qtbase-unpack >/dev/null
  mv qtbase-unpack qtbase
fi

# Qt 6.4 builds its DirectWrite font database only with Direct2D, which is
# off here, but the Windows platform plugin asks for it regardless: the
# plugin keeps to the GDI font database, its default, as in later Qt.
sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
  qtbase/src/plugins/platforms/windows/qwindowsintegration.cpp

# The toolchain: mingw-w64's posix compilers, libraries from its sysroot only.
cat >toolchain.cmake <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

# Widgets only: everything else Qt can build is off, third-party code is
# Qt's bundled copy (the mingw sysroot has none of it).
cmake -S qtbase -B build -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_testlib=OFF -DFEATURE_dbus=OFF \
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
  -DFEATURE_direct2d=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_glib=OFF \
  -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_freetype=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF \
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF \
  -DFEATURE_sql_sqlite=OFF -DFEATURE_androiddeployqt=OFF -DFEATURE_qmake=OFF
nice -n 19 cmake --build build -j"${LED2VQN_QT_JOBS:-2}"
cmake --install build >/dev/null
