#!/usr/bin/env bash
# Starts the installed game the way a player does, through its launcher with a scratch HOME:
# installed by cmake --install into a scratch prefix, or unpacked from the Debian package.
#   install_test.sh CASE BUILD_DIR WORK_DIR VERSION
# CASE "build" makes WORK_DIR/zorvat_VERSION_ARCH.deb with cpack; the package cases use it.
set -euo pipefail
case_name=$1 build=$2 work=$3 version=$4 arch=$(dpkg --print-architecture)
deb=$work/zorvat_${version}_$arch.deb scratch=$(mktemp -d)
root=$scratch/root failures=0
trap 'rm -rf "$scratch"' EXIT
check() { # description, command...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1" && failures=$((failures + 1)); fi
}
snapshot() { find "$1" -printf '%P %y %s %T@ %m\n' | sort; }

# Starts a launcher with the given environment and ends the game as a desktop does at logout,
# by SIGTERM, once it has written its settings file. Prints the exit status.
play() { # settings-file, launcher, env assignments...
  local tries=0 status=0
  env -u XDG_DATA_HOME "${@:3}" "$2" >"$scratch/out" 2>&1 &
  while [ ! -s "$1" ] && kill -0 $! 2>/dev/null && [ $((tries += 1)) -lt 300 ]; do sleep 0.1; done
  kill -TERM $! 2>/dev/null || true
  wait $! || status=$?
  echo "$status"
}

# A player's first start: settings in the player's folder only, nothing written under ROOT.
first_start() { # launcher, data folder, root
  local home=$scratch/home user=$scratch/home/.local/share/zorvat before status
  mkdir -p "$home" && before=$(snapshot "$3")
  status=$(play "$user/Settings.zorvat" "$1" HOME="$home")
  check "the game ends with status 0 on SIGTERM (got $status)" test "$status" = 0
  check "settings hold level 2 and the window mode" \
    test "$(od -An -tx1 "$user/Settings.zorvat" | tr -d ' \n')" = 0200000000000000
  check "Data in the player's folder links to the installed data" test "$(readlink "$user/Data")" = "$2"
  check "the score font is found through the link" test -s "$user/Data/DejaVuSansMono.ttf"
  check "nothing else written into HOME" test "$(cd "$home" && find . | sort | xargs)" = \
    ". ./.local ./.local/share ./.local/share/zorvat ./.local/share/zorvat/Data ./.local/share/zorvat/Settings.zorvat"
  check "nothing written under $3, nothing printed" test "$before" = "$(snapshot "$3")" -a ! -s "$scratch/out"
}

case $case_name in
prefix)
  # Component "player" is everything a plain cmake --install puts in place; naming it keeps
  # the build's install_manifest.txt, which a player may need to uninstall a real install.
  cmake --install "$build" --prefix "$root" --component player >"$scratch/out" 2>&1 || { cat "$scratch/out"; exit 1; }
  check "installed launcher, game, art, font, desktop entry, icon and manual page" ls "$root"/{bin/zorvat,lib/zorvat/zorvat,share/games/zorvat/Data/{DejaVuSansMono.ttf,Original/Menu/Menu.bmp,Skaliert/Game/Ball.bmp},share/{applications/zorvat.desktop,icons/hicolor/48x48/apps/zorvat.png,man/man6/zorvat.6.gz}}
  check "desktop entry is valid" desktop-file-validate "$root/share/applications/zorvat.desktop"
  data=$(readlink -f "$root/share/games/zorvat/Data")
  first_start "$root/bin/zorvat" "$data" "$root"

  # A dangling link from an earlier install elsewhere is mended; a real Data folder is the
  # player's own: refused, nothing removed, nothing written.
  mkdir -p "$scratch/stale/zorvat" "$scratch/real/zorvat/Data" && ln -s "$scratch/gone/Data" "$scratch/stale/zorvat/Data"
  status=$(play "$scratch/stale/zorvat/Settings.zorvat" "$root/bin/zorvat" HOME=/nonexistent XDG_DATA_HOME="$scratch/stale")
  check "a dangling link under XDG_DATA_HOME is mended (status $status)" \
    test "$status" = 0 -a "$(readlink "$scratch/stale/zorvat/Data")" = "$data"
  echo keep >"$scratch/real/zorvat/Data/mine.txt"
  status=$(play "$scratch/real/zorvat/Settings.zorvat" "$root/bin/zorvat" HOME=/nonexistent XDG_DATA_HOME="$scratch/real")
  check "a real Data folder is refused with status 1 (got $status), kept, no settings written" \
    test "$status" = 1 -a "$(cd "$scratch/real" && find . -type f)" = ./zorvat/Data/mine.txt
  check "the refusal names the folder" grep -qF "$scratch/real/zorvat/Data" "$scratch/out"

  # The launcher alone, as if the data had been removed from the install.
  mkdir -p "$scratch/p/bin" "$scratch/empty" && cp "$root/bin/zorvat" "$scratch/p/bin/"
  status=$(play "$scratch/none" "$scratch/p/bin/zorvat" HOME="$scratch/empty")
  check "missing data ends with status 1 (got $status), nothing made in HOME" test "$status" = 1 -a -z "$(ls -A "$scratch/empty")"
  check "the message names the missing folder" grep -qF "$scratch/p/share/games/zorvat/Data is missing" "$scratch/out"
  ;;

build) # The Depends line comes from the system's own libraries, whatever the loader is told.
  rm -f "$deb"
  (cd "$build" && env -u LD_LIBRARY_PATH cpack -G DEB -B "$work" >"$scratch/out" 2>&1) || cat "$scratch/out"
  check "cpack made $deb" test -s "$deb"
  ;;

contents)
  check "control fields" test "$(dpkg-deb -f "$deb" Package Version Architecture Section Maintainer | xargs)" = \
    "Package: zorvat Version: $version Architecture: $arch Section: games Maintainer: Zorvat developers <zorvat@example.org>"
  check "Depends names the font and the libraries the game loads, nothing else" test \
    "$(dpkg-deb -f "$deb" Depends | sed 's/ ([^)]*)//g')" = \
    "fonts-dejavu-core, libc6, libgcc-s1, libsdl-ttf2.0-0, libsdl1.2debian, libstdc++6"
  # Every file but the art, with its mode: the games layout and nothing else.
  want=(-rwxr-xr-x@./usr/{games/zorvat,lib/games/zorvat/zorvat} -rw-r--r--@./usr/share/{applications/zorvat.desktop,doc/zorvat/{changelog.gz,copyright}}
    lrwxrwxrwx@./usr/share/games/zorvat/Data/DejaVuSansMono.ttf@-\>@../../../fonts/truetype/dejavu/DejaVuSansMono.ttf
    -rw-r--r--@./usr/share/{icons/hicolor/{128x128,256x256,48x48,64x64}/apps/zorvat.png,man/man6/zorvat.6.gz,metainfo/org.example.zorvat.metainfo.xml})
  check "package holds the games layout" test "$(dpkg-deb -c "$deb" | grep -v -e ^d -e /Data/Original/ -e /Data/Skaliert/ |
    awk '{ $2 = $3 = $4 = $5 = ""; print }' | tr -s ' ' @ | sort -t@ -k2 | xargs)" = "$(echo "${want[@]}" | tr ' ' '\n' | sort -t@ -k2 | xargs)"
  check "package holds both art trees" test "$(dpkg-deb -c "$deb" | grep -cE '/Data/(Original|Skaliert)/.*\.bmp$')" = 32
  dpkg-deb -x "$deb" "$root" && cd "$root/usr/share"
  check "the game is stripped" grep -q ', stripped' <(file "$root/usr/lib/games/zorvat/zorvat")
  check "desktop entry is valid" desktop-file-validate applications/zorvat.desktop
  check "metainfo is valid" appstreamcli validate --no-net metainfo/org.example.zorvat.metainfo.xml
  check "manual page renders without a warning" test -z "$(man --warnings -l man/man6/zorvat.6.gz 2>&1 >/dev/null)"
  check "copyright names the font's licence" grep -qx 'License: bitstream-vera' doc/zorvat/copyright
  check "icons decode cleanly at their sizes" test "$(for s in 48 64 128 256; do
    convert icons/hicolor/${s}x$s/apps/zorvat.png -format '%m %w %h ' info: 2>&1; done)" = "PNG 48 48 PNG 64 64 PNG 128 128 PNG 256 256 "
  ;;

lintian)
  check "lintian finds no error or warning" lintian --fail-on error,warning "$deb" 2>/dev/null
  ;;

start) # The package unpacked, with the font that fonts-dejavu-core puts in place.
  dpkg-deb -x "$deb" "$root" && mkdir -p "$root/usr/share/fonts/truetype/dejavu"
  ln -s /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf "$root/usr/share/fonts/truetype/dejavu/"
  first_start "$root/usr/games/zorvat" "$root/usr/share/games/zorvat/Data" "$root"
  ;;
esac
[ $failures -eq 0 ]
