#!/usr/bin/env bash
# Installs the build into a temporary prefix, builds the example host against the installed
# package and runs it; then builds the Debian package, unpacks it into a temporary root and runs
# its programs from there.
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen ARDENTA_HOME="$work/home"
mkdir -p "$ARDENTA_HOME"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for file in lib/libQLX_Ardenta.so include/QLX_Ardenta/clsMain.h include/QLX_Ardenta/LanguagePack.h \
    include/QLX_Ardenta/FontScheme.h lib/cmake/QLX_Ardenta/QLX_ArdentaConfig.cmake \
    lib/pkgconfig/QLX_Ardenta.pc bin/ardenta bin/ardenta-listen share/ardenta/lang/CHS.lang \
    share/ardenta/schema/sqlite.sql share/ardenta/SystemConfig.ini.sample \
    share/applications/ardenta.desktop share/man/man1/ardenta.1; do
    [[ -e "$work/prefix/$file" ]] || { echo "not installed: $file"; exit 1; }
done
PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --cflags --libs QLX_Ardenta | grep -q lQLX_Ardenta

db="$work/example.sqlite"
"$work/prefix/bin/ardenta" --init-db --connection "Data Source=$db"
cmake -S "$source/examples/host" -B "$work/example" -G Ninja \
    -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/example" >/dev/null
out=$("$work/example/example-host" "Data Source=$db" --check)
echo "$out"
grep -q "frmMain: Host staff list" <<<"$out"
grep -q "frmNotice: Host notices" <<<"$out"

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/*.deb)
dpkg-deb --field "$deb" Package Version Depends
dpkg -x "$deb" "$work/root"
root_db="$work/root.sqlite"
"$work/root/usr/bin/ardenta" --version
"$work/root/usr/bin/ardenta" --init-db --connection "Data Source=$root_db"
"$work/root/usr/bin/ardenta" --connection "Data Source=$root_db" --operator ops --language ENG \
    --screenshot "$work/shot.png"
[[ -s "$work/shot.png" ]]
echo "install test passed"
