#!/usr/bin/env bash
# Builds the .deb from the build folder and checks what a Debian system would install from it: the
# files under /usr, the desktop entry and the unit naming the real paths rather than CPack's staging
# folder, the computed dependencies, the maintainer scripts, manual pages that came from the programs'
# own --help, and no error from lintian. Skips (77) where the Debian tools are missing.
#   deb_test.sh BUILD_DIR CPACK
set -euo pipefail
build=$1
cpack=$2

for tool in dpkg-deb dpkg-shlibdeps lintian; do
  command -v "$tool" >/dev/null || { echo "deb test: no $tool, skipped (scripts/install-deps installs it)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "deb test: $*" >&2; exit 1; }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$work/package/brindle_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$work/package")"

dpkg-deb -I "$deb" >"$work/info"
field() { dpkg-deb -f "$deb" "$1"; }
for f in Maintainer Section Homepage Description; do
  [ -n "$(field "$f")" ] || fail "no $f field"
done
depends=$(field Depends)
for lib in libqt6widgets6 libqt6core6 libcurl4 libssl3 libsqlite3-0 libpq5 adduser qt6-qpa-plugins; do
  [[ ", $depends," == *", $lib"[\ ,]* ]] || fail "Depends does not name $lib: $depends"
done
for script in postinst prerm postrm; do
  grep -q "^ *[0-9]* bytes, *[0-9]* lines *\* *$script " "$work/info" || fail "no executable $script"
done
dpkg-deb -e "$deb" "$work/control"

dpkg-deb -c "$deb" | awk '{ print $1 " " $6 ($7 == "->" ? " -> " $8 : "") }' >"$work/contents"
has() { grep -q -- "^$1 \./$2\$" "$work/contents" || fail "the package has no $2 ($1)"; }
for f in usr/lib/brindle/brindle usr/lib/brindle/brindle-cli usr/lib/brindle/brindle-upgrader usr/bin/brindle-server; do
  has -rwxr-xr-x "$f"
done
has lrwxrwxrwx 'usr/bin/brindle -> \.\./lib/brindle/brindle'
has lrwxrwxrwx 'usr/bin/brindle-cli -> \.\./lib/brindle/brindle-cli'
for f in usr/lib/brindle/skin/theme.ini usr/lib/brindle/SkinSM/theme.ini usr/share/applications/brindle.desktop \
         usr/share/icons/hicolor/48x48/apps/brindle.png usr/lib/systemd/system/brindle-server.service \
         usr/lib/sysusers.d/brindle-server.conf usr/share/man/man1/brindle.1.gz \
         usr/share/man/man1/brindle-cli.1.gz usr/share/man/man8/brindle-server.8.gz \
         usr/share/doc/brindle/copyright usr/share/doc/brindle/changelog.gz; do
  has -rw-r--r-- "$f"
done

mkdir "$work/root" && dpkg-deb -x "$deb" "$work/root"
grep -qx 'Exec=/usr/lib/brindle/brindle' "$work/root/usr/share/applications/brindle.desktop" ||
  fail "the desktop entry names $(grep '^Exec=' "$work/root/usr/share/applications/brindle.desktop")"
grep -q '^ExecStart=/usr/bin/brindle-server serve ' "$work/root/usr/lib/systemd/system/brindle-server.service" ||
  fail "the unit names $(grep '^ExecStart=' "$work/root/usr/lib/systemd/system/brindle-server.service")"
! grep -rlI -e '_CPack_Packages' -e "$build" "$work/root" "$work/control" || fail "files name the build folder"
# Each page holds what its program prints today.
zcat "$work/root/usr/share/man/man1/brindle-cli.1.gz" | grep -q 'trust HOST:PORT' || fail "brindle-cli(1) lacks its commands"
zcat "$work/root/usr/share/man/man8/brindle-server.8.gz" | grep -q '^\.SS serve' || fail "brindle-server(8) lacks serve"
zcat "$work/root/usr/share/man/man8/brindle-server.8.gz" | grep -q -- 'trusted\\-proxy' || fail "brindle-server(8) lacks serve's options"
zcat "$work/root/usr/share/man/man1/brindle.1.gz" | grep -q -- 'screenshot' || fail "brindle(1) lacks its options"

lintian --no-tag-display-limit "$deb" >"$work/lintian" 2>&1 || true
if grep -q '^E:' "$work/lintian"; then
  cat "$work/lintian" >&2
  fail "lintian reports errors"
fi
grep -q '^[EW]:' "$work/lintian" && sed 's/^/deb test: lintian: /' "$work/lintian"
echo "deb test: $(basename "$deb"), $(wc -l <"$work/contents") entries, Depends: $depends"
