#!/bin/sh
# Installs dist/gt7p_*_amd64.deb into a fresh Debian root (debootstrap,
# minbase; kept in $GT7P_CACHE/deb-root for the next run) with apt, so that
# only the package's declared dependencies are there; then runs
# gt7p-cli --help, draws a sample record with gt7p-cli plot (no display),
# and starts the window on the host's Xvfb, and checks that
# it maps its window and finds its manual; then that the record types are
# known (xdg-mime names the viewer's desktop entry for each) and that
# xdg-open of a .QFX starts the viewer with that file. Needs root.
# usage: check-deb.sh [DEB]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/deps.sh"
. "$top/scripts/aids.sh"
gt7p_install debootstrap xvfb x11-utils file
deb=${1:-$(ls "$top"/dist/gt7p_*_amd64.deb | tail -n 1)}
cache=${GT7P_CACHE:-/var/cache/gt7p}
base=$cache/deb-root
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")

if [ ! -f "$base/.gt7p-complete" ]; then
  echo "== debootstrap $codename (minbase) into $base"
  rm -rf "$base"
  debootstrap --variant=minbase "$codename" "$base" http://deb.debian.org/debian >"$cache/debootstrap.log" 2>&1 ||
    { tail -n 20 "$cache/debootstrap.log"; exit 1; }
  touch "$base/.gt7p-complete"
fi

# A copy per run: the cached root stays clean.
root=$(mktemp -d /var/tmp/gt7p-deb-XXXXXX)
opener=""
cleanup() {
  [ -n "$opener" ] && kill -- "-$opener" 2>/dev/null
  stop_started
  for m in tmp/.X11-unix dev/pts dev proc sys; do umount "$root/$m" 2>/dev/null || true; done
  rm -rf "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
cp -a "$base/." "$root/"
for m in proc sys dev dev/pts; do mount --bind "/$m" "$root/$m"; done
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/gt7p.deb"

echo "== apt-get install ./$(basename "$deb") in the fresh root"
chroot "$root" sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./tmp/gt7p.deb' \
  >"$root/../$(basename "$root").apt.log" 2>&1 || { tail -n 30 "$root/../$(basename "$root").apt.log"; exit 1; }
rm -f "$root/../$(basename "$root").apt.log"
echo "installed: $(chroot "$root" dpkg-query -W -f='${Package} ${Version}' gt7p);" \
  "$(chroot "$root" dpkg-query -W -f='${binary:Package}\n' | wc -l) packages in the root"

echo "== gt7p-cli --help, sample, plot"
chroot "$root" gt7p-cli --help | head -n 3
chroot "$root" gt7p-cli sample /tmp/s.T7P
chroot "$root" gt7p-cli plot /tmp/s.T7P -o /tmp/s.png --width 800 --height 500
echo "plot: $(file -b "$root/tmp/s.png")"

start_xvfb 1024x768 "$root/tmp"
echo "== gt7p on Xvfb $DISPLAY"
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
chroot "$root" env DISPLAY="$DISPLAY" HOME=/tmp gt7p "/tmp" >"$root/tmp/gt7p.log" 2>&1 &
window=$!
title=""
if id=$(window_id PRX4470 200); then
  title=$(xprop -id "$id" _NET_WM_NAME | sed 's/^[^=]*= //')
fi
kill "$window" 2>/dev/null || true
wait "$window" 2>/dev/null || true
if [ -z "$title" ]; then
  echo "the window did not appear:"; cat "$root/tmp/gt7p.log"; exit 1
fi
echo "window: $title"
[ -f "$root/usr/share/gt7p/Help.htm" ] && echo "manual: /usr/share/gt7p/Help.htm"

echo "== record types: xdg-mime, xdg-open"
for type in t7p qfx esp; do
  app=$(chroot "$root" env HOME=/tmp xdg-mime query default "application/x-gt7p-$type")
  [ "$app" = gt7p-view.desktop ] || { echo "default for application/x-gt7p-$type: '$app'"; exit 1; }
done
echo "default application of the three types: gt7p-view.desktop"
chroot "$root" gt7p-cli convert /tmp/s.T7P /tmp/s.QFX >/dev/null
echo "/tmp/s.QFX: $(chroot "$root" env HOME=/tmp xdg-mime query filetype /tmp/s.QFX)"
# As the file manager's double-click: xdg-open runs the entry's command
# and waits for it. In a session of its own, so that its process group
# (xdg-open and the viewer) can be ended as one.
setsid chroot "$root" env DISPLAY="$DISPLAY" HOME=/tmp xdg-open /tmp/s.QFX >"$root/tmp/open.log" 2>&1 &
opener=$!
seen=""
window_id '查看波形 - s.QFX"' 200 >/dev/null && seen=1
kill -- "-$opener" 2>/dev/null || true
wait "$opener" 2>/dev/null || true
opener=""
if [ -z "$seen" ]; then
  echo "xdg-open /tmp/s.QFX did not open the viewer:"; cat "$root/tmp/open.log"; exit 1
fi
echo "xdg-open: 查看波形 - s.QFX"
echo "ok"
