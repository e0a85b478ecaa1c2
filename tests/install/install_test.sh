#!/usr/bin/env bash
# Starts the installed game the way a player does, through its launcher with a scratch HOME,
# installed by cmake --install into a scratch prefix; builds and checks the Debian packages.
# Their lintian (which also finds an unstripped or unhardened game), install, removal and
# autopkgtest are the release check's (scripts/release-check), as are the build's hardening flags.
#   install_test.sh CASE BUILD_DIR WORK_DIR VERSION
# CASE "build" makes the packages in WORK_DIR/deb with scripts/package (dpkg-buildpackage);
# the other package cases check them.
set -euo pipefail
case_name=$1 build=$2 work=$3 version=$4 arch=$(dpkg --print-architecture)
out=$work/deb scratch=$(mktemp -d)
source=$(cd "$(dirname "$0")/../.." && pwd) deb=$out/zorvat_${version}_$arch.deb data_deb=$out/zorvat-data_${version}_all.deb
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

case $case_name in
prefix)
  # Component "player" is everything a plain cmake --install puts in place; naming it keeps
  # the build's install_manifest.txt, which a player may need to uninstall a real install.
  cmake --install "$build" --prefix "$root" --component player >"$scratch/out" 2>&1 || { cat "$scratch/out"; exit 1; }
  check "installed launcher, game, art, font, desktop entry, icon and manual page" ls "$root"/{bin/zorvat,lib/zorvat/zorvat,share/games/zorvat/Data/{DejaVuSansMono.ttf,Original/Menu/Menu.bmp,Skaliert/Game/Ball.bmp},share/{applications/zorvat.desktop,icons/hicolor/48x48/apps/zorvat.png,man/man6/zorvat.6.gz}}
  check "desktop entry is valid" desktop-file-validate "$root/share/applications/zorvat.desktop"
  data=$(readlink -f "$root/share/games/zorvat/Data")
  # A player's first start: settings in the player's folder only, nothing written under $root.
  home=$scratch/home user=$scratch/home/.local/share/zorvat
  mkdir -p "$home" && before=$(snapshot "$root")
  status=$(play "$user/Settings.zorvat" "$root/bin/zorvat" HOME="$home")
  check "the game ends with status 0 on SIGTERM (got $status)" test "$status" = 0
  check "Data in the player's folder links to the installed data" test "$(readlink "$user/Data")" = "$data"
  check "nothing else written into HOME" test "$(cd "$home" && find . | sort | xargs)" = \
    ". ./.local ./.local/share ./.local/share/zorvat ./.local/share/zorvat/Data ./.local/share/zorvat/Settings.zorvat"
  check "nothing written under $root, nothing printed" test "$before" = "$(snapshot "$root")" -a ! -s "$scratch/out"

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

build) # As players get them: the project's own scripts/package, so dpkg-buildpackage.
  rm -rf "$out"
  # The suite has run the unit tests already; nocheck leaves the packages as they are.
  DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" ZORVAT_NO_SETUP=1 "$source/scripts/package" "$out" >"$scratch/out" 2>&1 ||
    cat "$scratch/out"
  check "scripts/package made the source package, both packages and the debug symbols" \
    ls "$deb" "$data_deb" "$out"/zorvat{-dbgsym_${version}_$arch.deb,_$version.dsc,_${version}_$arch.changes}
  ;;

contents)
  fields() { dpkg-deb -f "$1" Package Version Architecture Multi-Arch Section Maintainer Depends | sed 's/ ([^)]*)//g' | xargs; }
  check "control fields: the game depends on its data and the libraries it loads, the data on the font" \
    test "$(fields "$deb") / $(fields "$data_deb")" = "Package: zorvat Version: $version Architecture: $arch Section: games Maintainer: Zorvat developers <zorvat@example.org> Depends: zorvat-data, libc6, libgcc-s1, libsdl-ttf2.0-0, libsdl1.2debian, libstdc++6 / Package: zorvat-data Version: $version Architecture: all Multi-Arch: foreign Section: games Maintainer: Zorvat developers <zorvat@example.org> Depends: fonts-dejavu-core"
  check "zorvat needs its data of the same version" test "$(dpkg-deb -f "$deb" Depends | cut -d, -f1)" = "zorvat-data (= $version)"
  # Every file but the art, with its mode: the games layout and nothing else.
  doc() { echo -rw-r--r--@./usr/share/doc/"$1"/{changelog.gz,copyright}; }
  listing() { dpkg-deb -c "$1" | grep -v -e ^d -e /Data/Original/ -e /Data/Skaliert/ |
    awk '{ $2 = $3 = $4 = $5 = ""; print }' | tr -s ' ' @ | sort -t@ -k2 | xargs; }
  want=(-rwxr-xr-x@./usr/{games/zorvat,libexec/zorvat/zorvat} -rw-r--r--@./usr/share/applications/zorvat.desktop $(doc zorvat)
    -rw-r--r--@./usr/share/{icons/hicolor/{128x128,256x256,48x48,64x64}/apps/zorvat.png,man/man6/zorvat.6.gz,metainfo/org.example.zorvat.metainfo.xml,lintian/overrides/zorvat})
  check "zorvat holds the game in the games layout" test "$(listing "$deb")" = "$(echo "${want[@]}" | tr ' ' '\n' | sort -t@ -k2 | xargs)"
  want=(lrwxrwxrwx@./usr/share/games/zorvat/Data/DejaVuSansMono.ttf@-\>@../../../fonts/truetype/dejavu/DejaVuSansMono.ttf $(doc zorvat-data))
  check "zorvat-data holds the font link" test "$(listing "$data_deb")" = "$(echo "${want[@]}" | tr ' ' '\n' | sort -t@ -k2 | xargs)"
  check "zorvat-data holds both art trees" test "$(dpkg-deb -c "$data_deb" | grep -cE '/Data/(Original|Skaliert)/.*\.bmp$')" = 32
  # The project has no web address yet, so no homepage: the one thing the validator may name.
  # AppStream before 1.0 (Debian 12) does not know the developer tag that 1.0 asks for.
  dpkg-deb -x "$deb" "$root"
  appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/org.example.zorvat.metainfo.xml" >"$scratch/as" 2>&1 || true
  check "metainfo: nothing but url-homepage-missing" test -z "$(grep -E '^[EWIP]: ' "$scratch/as" |
    grep -v -e ' url-homepage-missing$' -e ' unknown-tag developer$' | tee /dev/stderr)"
  ;;

esac
[ $failures -eq 0 ]
