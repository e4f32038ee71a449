# Sourced by run.sh and test.sh: installs the Debian packages that are missing.
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
  $as_root apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
}

# python3-segyio: an independent reader of the SEG-Y files in the tests;
# locales: the sources localedef makes the tests' decimal-comma locale from;
# qt6-translations-l10n: Qt's own texts in Chinese, compiled in;
# libkissfft-dev: the viewer's spectrum (its C++ header, for both systems);
# xvfb: the viewer's tests on a 1024 x 768 X server.
GT7P_BUILD_PACKAGES="g++ cmake make pkg-config libgtest-dev libbenchmark-dev qt6-base-dev python3-segyio locales qt6-translations-l10n libkissfft-dev xvfb"
# A Song-style CJK font for the window's "宋体"; xdg-open for the help button.
GT7P_RUN_PACKAGES="fonts-arphic-uming xdg-utils"
