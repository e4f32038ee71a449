# Sourced by the scripts that build or test: installs the Debian packages that are missing.
# Needs root (or passwordless sudo) and Debian's package archive.
gt7p_install() {
  missing=""
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing="$missing $pkg"
  done
  [ -z "$missing" ] && return 0
  echo "installing:$missing"
  as_root=""
  [ "$(id -u)" -eq 0 ] || as_root="sudo"
  # Another install may hold the package system's lock: wait for it.
  $as_root apt-get -o DPkg::Lock::Timeout=600 update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $as_root apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends $missing
}

# python3-segyio: an independent reader of the SEG-Y files in the tests;
# locales: the sources localedef makes the tests' decimal-comma locale from;
# qt6-translations-l10n: Qt's own texts in Chinese, compiled in;
# libkissfft-dev: the viewer's spectrum (its C++ header, for both systems);
# xvfb: the viewer's tests on a 1024 x 768 X server;
# fonts-arphic-uming: the Song-style CJK font for the window's "宋体", whose
# metrics set the section's margins (the viewer's tests lay out with it);
# poppler-utils: pdftoppm, which rasterises the viewer's PDF prints in its tests;
# ccache: the compiler cache kept beside the Qt for Windows (scripts/test.sh).
GT7P_BUILD_PACKAGES="g++ cmake make ccache pkg-config libgtest-dev libbenchmark-dev qt6-base-dev python3-segyio locales qt6-translations-l10n libkissfft-dev xvfb fonts-arphic-uming poppler-utils"
# The fuzz targets (clang's libFuzzer); the Qt for Windows build; the
# Windows suite (mingw-w64, Wine, the installer's NSIS; libgtest-dev for the
# Linux build its simulators come from, configured with its tests).
GT7P_FUZZ_PACKAGES="cmake make clang-14 libclang-rt-14-dev libkissfft-dev python3"
GT7P_QT_WINDOWS_PACKAGES="qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64 cmake ninja-build dpkg-dev perl python3"
GT7P_WINDOWS_PACKAGES="g++ cmake make libgtest-dev g++-mingw-w64-x86-64 googletest wine wine64 locales qt6-base-dev qt6-translations-l10n libkissfft-dev xvfb x11-utils xdotool nsis python3"
# xdg-open for the help button (the font comes with the build packages).
GT7P_RUN_PACKAGES="xdg-utils"
