#!/usr/bin/env bash
# Installs the build folder into a temporary prefix, checks the per-user layout and starts the
# installed client offscreen: through its desktop entry's Exec line and through the bin/ link, each
# must find the skin in the Program directory. The package must hold the same tree.
#   install_test.sh BUILD_DIR CMAKE CPACK
set -euo pipefail
build=$1
cmake=$2
cpack=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
program_dir="$prefix/lib/brindle"
fail() { echo "install test: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install failed"; }

for f in lib/brindle/brindle lib/brindle/brindle-cli lib/brindle/brindle-upgrader bin/brindle-server; do
  [ -f "$prefix/$f" ] && [ -x "$prefix/$f" ] || fail "no program $f"
done
for link in brindle brindle-cli; do
  [ -L "$prefix/bin/$link" ] || fail "bin/$link is not a link"
  [ "$(readlink -f "$prefix/bin/$link")" = "$(readlink -f "$program_dir/$link")" ] || fail "bin/$link points elsewhere"
done
"$prefix/bin/brindle-cli" help >/dev/null || fail "brindle-cli does not run through its link"
"$program_dir/brindle-upgrader" --help | grep -q 'Download/Upgrader' || fail "the installed upgrader does not run"

# Every file the skin generator drew beside the client, and nothing the client wrote there.
drawn=$(dirname "$(readlink -f "$build/src/gui/brindle")")
(cd "$drawn" && find skin SkinSM -type f | sort) >"$work/drawn"
(cd "$program_dir" && find skin SkinSM -type f | sort) >"$work/installed"
diff -u "$work/drawn" "$work/installed" >&2 || fail "the installed skin differs from the drawn one"
for f in skin/Splash.bmp skin/theme.ini skin/900/theme.ini SkinSM/theme.ini; do
  [ -s "$program_dir/$f" ] || fail "no $f"
done
for f in Vantora.ini skin.dat skinsm.dat upgrade; do
  [ ! -e "$program_dir/$f" ] || fail "$f from the build folder was installed"
done
[ -w "$program_dir" ] || fail "the Program directory is not writable"

png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }
for icon in "lib/brindle/brindle.png 256x256" "lib/brindle/brindle-48.png 48x48" \
            "share/icons/hicolor/256x256/apps/brindle.png 256x256" \
            "share/icons/hicolor/48x48/apps/brindle.png 48x48"; do
  set -- $icon
  [ -f "$prefix/$1" ] || fail "no icon $1"
  [ "$(png_size "$prefix/$1")" = "$2" ] || fail "$1 is $(png_size "$prefix/$1"), not $2"
done

entry="$prefix/share/applications/brindle.desktop"
[ -f "$entry" ] || fail "no desktop entry"
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
grep -qx 'Icon=brindle' "$entry" || fail "the desktop entry names another icon"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
exec_line=${exec_line#\"}  # quoted when the prefix has a blank
exec_line=${exec_line%\"}
[ "$exec_line" = "$program_dir/brindle" ] || fail "Exec=$exec_line does not name the installed client"

# The package holds the same tree; not knowing its prefix, its entry starts the client through the PATH.
"$cpack" --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
archive=$(find "$work/package" -maxdepth 1 -name 'brindle-*.tar.gz')
[ -n "$archive" ] || fail "cpack wrote no brindle-*.tar.gz"
(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$work/tree"
tar -tzf "$archive" | grep -v '/$' | sort >"$work/archived"
diff -u "$work/tree" "$work/archived" >&2 || fail "the package holds another tree than the installation"
mkdir "$work/unpacked" && tar -xzf "$archive" -C "$work/unpacked" share/applications/brindle.desktop
desktop-file-validate "$work/unpacked/share/applications/brindle.desktop" || fail "the packaged entry does not validate"
grep -qx 'Exec=brindle' "$work/unpacked/share/applications/brindle.desktop" || fail "the packaged entry names a path"

# A second installation over the first keeps what the client wrote in its Program directory.
printf '[SYSTEM]\r\nVersion=7\r\n' >"$program_dir/Vantora.ini"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null 2>&1 || fail "installing again failed"
grep -q 'Version=7' "$program_dir/Vantora.ini" || fail "installing again replaced Vantora.ini"
rm "$program_dir/Vantora.ini"

# The client's --screenshot switch saves the Login window and leaves; a skin it cannot find shows as
# the plain window, so the picture must differ from one taken with the skin moved away.
export QT_QPA_PLATFORM=offscreen HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
shot() {  # shot NAME PROGRAM
  (cd "$work" && timeout 60 "$2" --screenshot "$work/$1.png") >"$work/$1.log" 2>&1 ||
    { cat "$work/$1.log" >&2; fail "the installed client ($2) did not start and leave"; }
  [ -s "$work/$1.png" ] || fail "the installed client ($2) saved no picture"
}
shot exec "$exec_line"
shot link "$prefix/bin/brindle"
mv "$program_dir/SkinSM" "$program_dir/SkinSM.away"
shot unskinned "$exec_line"
mv "$program_dir/SkinSM.away" "$program_dir/SkinSM"
! cmp -s "$work/exec.png" "$work/unskinned.png" || fail "started through Exec, the client did not find its skin"
! cmp -s "$work/link.png" "$work/unskinned.png" || fail "started through bin/brindle, the client did not find its skin"
echo "install test: $(find "$prefix" -type f | wc -l) files installed and the installed client starts skinned"
