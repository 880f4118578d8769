#!/usr/bin/env bash
# The Debian packages as an administrator gets them: built with dpkg-buildpackage from the
# tracked sources, checked with lintian, desktop-file-validate and appstreamcli, their Depends
# compared with what the programs load, installed with apt, run by an ordinary user, built
# against (example host, CMake and pkg-config), the module loaded as a plugin with the runtime
# package alone, and removed again.
#   install-test.sh SOURCE_DIR
set -euo pipefail
source=$(cd "$1" && pwd)
work=$(mktemp -d)
chmod 755 "$work"
packages=(ardenta libqlx-ardenta-dev libqlx-ardenta1)
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
# Another program (a desktop's automatic updates) may hold the package manager: wait for it.
apt=(apt-get -o DPkg::Lock::Timeout=300)
cleanup() {
    "${sudo[@]}" "${apt[@]}" remove -y -qq "${packages[@]}" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
step() { echo "== $*"; }

step "build the packages"
mkdir "$work/src"
if git -C "$source" rev-parse >/dev/null 2>&1; then
    (cd "$source" && git ls-files -z | xargs -0 cp --parents -t "$work/src")
else
    (cd "$source" && tar --exclude='./build*' --exclude=./.git -cf - .) | tar -xf - -C "$work/src"
fi
if ! (cd "$work/src" && dpkg-buildpackage -us -uc -b -j"$(nproc)") >"$work/build.log" 2>&1; then
    tail -60 "$work/build.log"
    exit 1
fi
debs=("$work"/*.deb)
for deb in "${debs[@]}"; do
    printf '%-52s %8s KiB installed\n' "$(basename "$deb")" "$(dpkg-deb --field "$deb" Installed-Size)"
done

step "lintian, desktop-file-validate, appstreamcli"
lintian --fail-on error,warning --info "$work"/*.changes
dpkg -x "$work"/ardenta_*.deb "$work/unpacked"
desktop-file-validate "$work/unpacked/usr/share/applications/ardenta.desktop"
appstreamcli validate --no-net "$work"/unpacked/usr/share/metainfo/*.metainfo.xml

step "install with apt while another process holds the package manager's lock"
# dpkg's lock is an fcntl lock: flock(1) would not stand in its way.
"${sudo[@]}" /usr/bin/python3 -c '
import fcntl, sys, time
with open("/var/lib/dpkg/lock-frontend", "w") as lock:
    fcntl.lockf(lock, fcntl.LOCK_EX)
    print("locked", flush=True)
    time.sleep(5)
' >"$work/locker.out" &
locker=$!
for _ in $(seq 50); do grep -q locked "$work/locker.out" && break; sleep 0.1; done
grep -q locked "$work/locker.out"
started=$(date +%s)
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive "${apt[@]}" install -y -qq \
    "$work"/libqlx-ardenta1_*.deb "$work"/libqlx-ardenta-dev_*.deb "$work"/ardenta_*.deb >/dev/null
waited=$(($(date +%s) - started))
wait "$locker"
echo "apt waited for the lock and installed (${waited} s)"
[[ $waited -ge 3 ]]

step "run as an ordinary user"
user=ardenta-test
id "$user" >/dev/null 2>&1 || "${sudo[@]}" useradd --create-home "$user"
as_user=("${sudo[@]}" runuser -u "$user" -- env -u XDG_CONFIG_HOME -u XDG_DATA_HOME
    -u XDG_CONFIG_DIRS -u ARDENTA_HOME HOME="/home/$user" QT_QPA_PLATFORM=offscreen)
[[ $(id -u) -eq 0 ]] || as_user=(sudo -u "$user" "${as_user[@]:4}")
db=/tmp/ardenta-install-test.sqlite
"${sudo[@]}" rm -f "$db"
"${as_user[@]}" ardenta --init-db --connection "sqlite:$db"
"${as_user[@]}" ardenta --demo --screenshot /tmp/ardenta-install-demo.png
[[ -s /tmp/ardenta-install-demo.png ]]

step "each package's Depends covers what it loads"
# Every shared object a run maps comes from a package in the closure of the package's Depends.
closure() {
    apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances "$@" | grep -v '^ ' | sed 's/:.*//' | sort -u
}
check_loaded() {
    local package=$1 log=$2
    local allowed
    allowed=$(closure "$package")
    grep -o 'calling init: /[^ ]*' "$log" | sed 's/calling init: //' | sort -u |
        while read -r object; do
            owner=$(dpkg -S "$(readlink -f "$object")" 2>/dev/null | head -1 | sed 's/:.*//') ||
                true
            [[ -z "$owner" ]] && continue
            grep -qx "$owner" <<<"$allowed" ||
                { echo "$package loads $object from $owner, which its Depends do not bring"; exit 1; }
        done
}
"${as_user[@]}" LD_DEBUG=libs ardenta --connection "sqlite:$db" --screenshot /tmp/ardenta-x.png \
    2>"$work/ardenta.libs"
check_loaded ardenta "$work/ardenta.libs"

step "example host against the -dev package: CMake, then pkg-config"
cmake -S "$source/examples/host" -B "$work/example" -G Ninja >/dev/null
cmake --build "$work/example" >/dev/null
out=$(QT_QPA_PLATFORM=offscreen "$work/example/example-host" "sqlite:$db" --check)
grep -q "frmMain: Host staff list" <<<"$out" && grep -q "frmNotice: Host notices" <<<"$out"
# From Qt's plugin folder, where the runtime package links the module.
g++ -std=c++20 -fPIC -o "$work/plugin-host" "$source/examples/host/main.cpp" \
    -DARDENTA_LIBRARY='"ardenta/libQLX_Ardenta"' $(pkg-config --cflags --libs QLX_Ardenta)

step "the module as a plugin with the runtime package alone"
"${sudo[@]}" "${apt[@]}" remove -y -qq ardenta libqlx-ardenta-dev >/dev/null
[[ ! -e /usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/libQLX_Ardenta.so ]]
QT_QPA_PLATFORM=offscreen LD_DEBUG=libs "$work/plugin-host" "sqlite:$db" --check \
    >"$work/plugin.out" 2>"$work/plugin.libs"
grep -q "frmMain: Host staff list" "$work/plugin.out"
check_loaded libqlx-ardenta1 "$work/plugin.libs"

step "remove"
"${sudo[@]}" "${apt[@]}" remove -y -qq libqlx-ardenta1 >/dev/null
! dpkg -s libqlx-ardenta1 >/dev/null 2>&1
echo "install test passed"
