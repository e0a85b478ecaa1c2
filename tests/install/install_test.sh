#!/usr/bin/env bash
# Installs the build into a scratch prefix and starts the installed game the way a player does,
# through the launcher, with a scratch HOME.
#   install_test.sh CASE BUILD_DIR PREFIX
# CASE "install" fills PREFIX; the other cases use it.
set -euo pipefail

case_name=$1
build=$2
prefix=$3
listing=$prefix.list
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failures=0
check() { # description, command...
  local what=$1; shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

# Every file under the prefix with size, time and mode: a run that writes there changes it.
snapshot() { find "$prefix" -printf '%P %y %s %T@ %m\n' | sort; }

first_bytes() { od -An -tx1 -N"$2" "$1" | tr -d ' \n'; }

# Starts a launcher with the given environment and ends the game as a desktop would at
# logout, by SIGTERM, once it has created its settings file. Prints the exit status.
play() { # settings-file, launcher, env assignments...
  local settings=$1 launcher=$2; shift 2
  env -u XDG_DATA_HOME "$@" "$launcher" >"$scratch/out" 2>&1 &
  local pid=$! tries=0
  while [ ! -s "$settings" ] && kill -0 "$pid" 2>/dev/null && [ $tries -lt 300 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  kill -TERM "$pid" 2>/dev/null || true
  local status=0
  wait "$pid" || status=$?
  echo "$status"
}

links_to_data() { [ "$(readlink "$1")" = "$(readlink -f "$prefix/share/games/zorvat/Data")" ]; }

case $case_name in
install)
  rm -rf "$prefix" "$listing"
  # cmake --install rewrites the build's install_manifest.txt, which a player may need to
  # uninstall a real install made from this build: keep theirs.
  manifest=$build/install_manifest.txt
  [ -e "$manifest" ] && cp -p "$manifest" "$scratch/manifest"
  status=0
  cmake --install "$build" --prefix "$prefix" >"$scratch/out" 2>&1 || status=$?
  if [ -e "$scratch/manifest" ]; then mv "$scratch/manifest" "$manifest"; else rm -f "$manifest"; fi
  if [ $status -ne 0 ]; then
    cat "$scratch/out"
    exit 1
  fi
  for f in bin/zorvat lib/zorvat/zorvat share/applications/zorvat.desktop \
    share/games/zorvat/Data/DejaVuSansMono.ttf share/games/zorvat/Data/Original/Menu/Menu.bmp \
    share/games/zorvat/Data/Skaliert/Game/Ball.bmp share/icons/hicolor/48x48/apps/zorvat.png \
    share/icons/hicolor/256x256/apps/zorvat.png; do
    check "installed $f" test -e "$prefix/$f"
  done
  check "the launcher is executable" test -x "$prefix/bin/zorvat"
  snapshot >"$listing"
  ;;

first_start)
  home=$scratch/home
  mkdir -p "$home"
  user=$home/.local/share/zorvat
  status=$(play "$user/Settings.zorvat" "$prefix/bin/zorvat" HOME="$home")
  check "the game ends with status 0 on SIGTERM (got $status)" test "$status" = 0
  check "settings file created in the player's folder" test -f "$user/Settings.zorvat"
  check "settings hold level 2 and the window mode" \
    test "$(first_bytes "$user/Settings.zorvat" 8)" = 0200000000000000
  check "Data in the player's folder links to the installed data" links_to_data "$user/Data"
  check "nothing else written into HOME" test "$(cd "$home" && find . | sort | tr '\n' ' ')" = \
    ". ./.local ./.local/share ./.local/share/zorvat ./.local/share/zorvat/Data ./.local/share/zorvat/Settings.zorvat "
  check "nothing written under the prefix" cmp -s "$listing" <(snapshot)
  check "the launcher printed nothing" test ! -s "$scratch/out"
  ;;

links)
  # A link left by an earlier install somewhere else, now dangling.
  home=$scratch/stale
  user=$home/.local/share/zorvat
  mkdir -p "$user"
  ln -s "$scratch/gone/Data" "$user/Data"
  status=$(play "$user/Settings.zorvat" "$prefix/bin/zorvat" HOME="$home")
  check "game runs past a dangling link (status $status)" test "$status" = 0
  check "dangling link mended" links_to_data "$user/Data"

  # A link to a folder that exists but is not this install's data.
  home=$scratch/wrong
  user=$home/.local/share/zorvat
  mkdir -p "$user" "$scratch/other/Data"
  ln -s "$scratch/other/Data" "$user/Data"
  status=$(play "$user/Settings.zorvat" "$prefix/bin/zorvat" HOME="$home")
  check "game runs past a link to other data (status $status)" test "$status" = 0
  check "link to other data mended" links_to_data "$user/Data"
  check "the other data folder is left alone" test -d "$scratch/other/Data"

  # A real folder named Data is the player's own: refuse, remove nothing.
  home=$scratch/real
  user=$home/.local/share/zorvat
  mkdir -p "$user/Data"
  echo keep >"$user/Data/mine.txt"
  status=0
  env -u XDG_DATA_HOME HOME="$home" "$prefix/bin/zorvat" >"$scratch/out" 2>&1 || status=$?
  check "a real Data folder is refused with a non-zero status" test "$status" -ne 0
  check "the refusal names the folder" grep -qF "$user/Data" "$scratch/out"
  check "the player's folder is kept" test "$(cat "$user/Data/mine.txt")" = keep
  check "no settings written when refused" test ! -e "$user/Settings.zorvat"

  # XDG_DATA_HOME, when absolute, is the base of the player's folder.
  home=$scratch/xdg-home
  mkdir -p "$home"
  status=$(play "$scratch/xdg/zorvat/Settings.zorvat" "$prefix/bin/zorvat" HOME="$home" XDG_DATA_HOME="$scratch/xdg")
  check "game runs under XDG_DATA_HOME (status $status)" test "$status" = 0
  check "settings kept under XDG_DATA_HOME" test -f "$scratch/xdg/zorvat/Settings.zorvat"
  check "HOME left untouched when XDG_DATA_HOME is set" test ! -e "$home/.local"

  # A relative XDG_DATA_HOME is not valid and falls back to HOME; the launcher may also be
  # started through a link of the player's own, from another working directory.
  home=$scratch/rel
  mkdir -p "$home/bin" "$scratch/cwd"
  ln -s "$prefix/bin/zorvat" "$home/bin/zorvat"
  status=$(cd "$scratch/cwd" && play "$home/.local/share/zorvat/Settings.zorvat" \
    "$home/bin/zorvat" HOME="$home" XDG_DATA_HOME=relative)
  check "game started through a link to the launcher (status $status)" test "$status" = 0
  check "relative XDG_DATA_HOME falls back to HOME" \
    test -f "$home/.local/share/zorvat/Settings.zorvat"
  check "nothing written in the working directory" test -z "$(ls -A "$scratch/cwd")"
  check "nothing written under the prefix" cmp -s "$listing" <(snapshot)
  ;;

missing_data)
  # The launcher alone, as if the data had been removed from the install.
  mkdir -p "$scratch/p/bin" "$scratch/home"
  cp "$prefix/bin/zorvat" "$scratch/p/bin/zorvat"
  status=0
  env -u XDG_DATA_HOME HOME="$scratch/home" "$scratch/p/bin/zorvat" >"$scratch/out" 2>&1 ||
    status=$?
  check "missing data folder ends with status 1 (got $status)" test "$status" = 1
  check "the message names the missing folder" \
    grep -qF "$scratch/p/share/games/zorvat/Data is missing" "$scratch/out"
  check "nothing made in HOME" test -z "$(ls -A "$scratch/home")"
  ;;

desktop)
  entry=$prefix/share/applications/zorvat.desktop
  for line in "[Desktop Entry]" "Type=Application" "Name=Zorvat" "Exec=zorvat" "Icon=zorvat" \
    "Categories=Game;ArcadeGame;"; do
    check "desktop entry has $line" grep -qxF "$line" "$entry"
  done
  if command -v desktop-file-validate >/dev/null; then
    check "desktop entry is valid" desktop-file-validate "$entry"
  fi
  # An independent decoder reads every icon back: a wrong CRC, Adler-32 or block layout
  # makes it complain.
  for size in 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/zorvat.png
    check "${size}px icon decodes cleanly at its size" \
      test "$(convert "$icon" -format '%m %w %h' info: 2>&1)" = "PNG $size $size"
  done
  # The picture itself, at every size: transparent corners, field, both paddles and the ball
  # where they belong (a mirrored picture or swapped colour channels would show here).
  for size in 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/zorvat.png
    while read -r fx fy want what; do
      x=$(awk -v f="$fx" -v s="$size" 'BEGIN { print int(f * s) }')
      y=$(awk -v f="$fy" -v s="$size" 'BEGIN { print int(f * s) }')
      check "${size}px icon shows $what at ($x, $y)" \
        test "$(convert "$icon" -format "%[pixel:p{$x,$y}]" info:)" = "$want"
    done <<'POINTS'
0.00 0.00 srgba(0,0,0,0) transparent_corner
0.30 0.80 srgba(20,46,69,1) field
0.16 0.38 srgba(92,214,242,1) left_paddle
0.84 0.62 srgba(255,140,58,1) right_paddle
0.57 0.40 srgba(255,242,214,1) ball
POINTS
  done
  ;;

*)
  echo "unknown case $case_name" >&2
  exit 2
  ;;
esac

[ $failures -eq 0 ]
