#!/bin/bash
# The demo's second half, run by scripts/demo inside a private mount namespace (and,
# headless, a private network): what it mounts here (the demo CA store, the cameras'
# cards) nobody else sees, and it all goes when the last process of the namespace ends.
#
# Usage: inside.sh WORK BIN_DIR BASE_URL MODE OUT SCALE LANGUAGE
#   WORK      the run's scratch folder, made by scripts/demo
#   BIN_DIR   a build tree holding vek-updater
#   BASE_URL  the https address built into that vek-updater; the demo serves it
#   MODE      window (on $DISPLAY, until the user closes it), or on Xvfb, scripted:
#             keyboard (the whole demo by keys), accessibility (through the AT-SPI
#             bus) or language (screenshots in LANGUAGE)
#   OUT       where headless modes leave their screenshots
#   SCALE     headless: the virtual display's scale factor (1 for 100 %, 2 for 200 %)
#   LANGUAGE  headless: the updater's language (de, es); empty: English
set -euo pipefail

work=$1
bin_dir=$2
base_url=$3
mode=$4
out=$5   # read by headless.sh
scale=$6 # read by headless.sh
language=${7:-}
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"

say() { printf 'demo: %s\n' "$*"; }
die() { printf 'demo: %s\n' "$*" >&2; exit 1; }

[[ $base_url =~ ^https://([A-Za-z0-9.-]+)(:([0-9]+))?(/[^?#]*)?$ ]] \
    || die "cannot serve the built-in address $base_url (https://HOST[:PORT]/PATH expected)"
host=${BASH_REMATCH[1]}
port=${BASH_REMATCH[3]:-443}
base_path=${BASH_REMATCH[4]%/}
firmware="$work/www$base_path/firmware"   # read by headless.sh

# --- Processes: every one this script starts is listed here and ended by its id.
started=()
cleanup() {
    local pid
    for pid in "${started[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "${started[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    started=()
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- The maker's server, as the updater will meet it: its host name leads to loopback,
# and its certificate is trusted through a CA store that holds only the demo CA.
"$here/sample-data.sh" "$work" "$base_url" "$host" "$base_path"
[ -d /etc/ssl/certs ] || die "/etc/ssl/certs is missing (install the ca-certificates package)"
mount --bind "$work/trust" /etc/ssl/certs || die "cannot bind the demo CA store over /etc/ssl/certs"
if [ "$host" != 127.0.0.1 ] && [ "$host" != localhost ]; then
    { cat /etc/hosts; printf '127.0.0.1 %s\n' "$host"; } >"$work/hosts"
    mount --bind "$work/hosts" /etc/hosts || die "cannot lead $host to loopback in /etc/hosts"
fi
if [ "$mode" != window ]; then
    ip link set lo up || die "cannot bring up loopback in the demo's network"
fi
# Straight to the server: no proxy of the user's may stand between.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
export no_proxy="127.0.0.1,localhost,$host"
# Whatever the updater or Qt leave behind stays in the scratch folder: the image cache
# and the history of updates too.
export TMPDIR="$work/tmp" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
mkdir -p "$TMPDIR"
if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -d "$XDG_RUNTIME_DIR" ]; then
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 0700 "$XDG_RUNTIME_DIR"
fi

# --- Cameras.
# card_layout ROOT CODE VERSION [BRAND]: a camera's card as the updater expects it. It
# is built aside and renamed into place, so that it appears whole, as a real card does:
# the updater reads a card the moment it is mounted (an adb device the moment it is
# listed), and a model folder seen before its version file is written would be a card
# whose version cannot be read. A mounted card is built on itself; an adb device's
# folder, with its card inside, is built in the work folder.
card_layout() {
    local root=$1 code=$2 version=$3 brand=${4:-} aside card
    if mountpoint -q "$root"; then
        aside="$root/.new" card="$root/.new"
    else
        aside=$(mktemp -d "$work/new.XXXXXX") card="$aside/$(basename "$root")"
    fi
    mkdir -p "$card/DCIM/100$code" "$card/DCIM/${code}LOAD" "$card/DCIM/100MEDIA"
    if [ -n "$brand" ]; then
        printf '%s\n%s\n' "$version" "$brand" >"$card/DCIM/100$code/.version"
    else
        printf '%s\n' "$version" >"$card/DCIM/100$code/.version"
    fi
    if [ "$card" = "$aside" ]; then
        mv "$aside/DCIM" "$root/DCIM" && rmdir "$aside"
    else
        chmod 0755 "$aside" && mkdir -p "$(dirname "$(dirname "$root")")" && mv "$aside" "$(dirname "$root")"
    fi
}

# storage_camera NAME CODE VERSION [BRAND]: a card plugged in as a USB volume, a tmpfs.
storage_camera() {
    local mountpoint="$work/cards/$1"
    mkdir -p "$mountpoint"
    mount -t tmpfs -o size=16m,mode=0755,nosuid,nodev "vek-demo-$1" "$mountpoint" \
        || die "cannot mount a tmpfs card at $mountpoint"
    card_layout "$mountpoint" "${@:2}"
}

storage_camera TZ2200 TZ22 5.917          # out of date: the catalogue offers 5.920
storage_camera VEK-PELKA VEK 2.104 PELKA  # up to date, and one of three brands under VEK
# A camera reached only through adb: the scripted adb answers for it from this card.
export VEK_FAKE_ADB_STATE="$work/adb"
adb_card="$VEK_FAKE_ADB_STATE/devices/0123456789ABCDEF/card"   # read by headless.sh
card_layout "$adb_card" TZ76 1.300   # out of date: the catalogue offers 1.310
export PATH="$repo/tests/support/fake-adb:$PATH"

# --- The maker's web server, on loopback. It runs in a session of its own, so that
# Ctrl-C reaches only this script, which then ends its processes in order.
mkdir -p "$work/server-state"   # headless.sh writes routes here that serve images slowly
setsid python3 "$repo/tests/support/https-server.py" --root "$work/www" --port "$port" --state "$work/server-state" \
    --cert "$work/tls/server.crt" --key "$work/tls/server.key" >"$work/server.port" 2>"$work/server.log" &
server_pid=$!
started+=("$server_pid")
for _ in $(seq 100); do
    [ -s "$work/server.port" ] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
if [ ! -s "$work/server.port" ]; then
    cat "$work/server.log" >&2
    die "the demo server could not listen on 127.0.0.1:$port (is another demo running, or is the port taken?)"
fi
# The same question the updater asks first, through the store it will use.
curl -sS --fail -o /dev/null "$base_url/vek-updater-config.txt" \
    || die "the demo server's certificate is not trusted through the demo CA store"
say "catalogue and firmware images served at $base_url/ on loopback"

# --- The updater.
run_dir="$work/run"   # its working directory: adb pushes are staged here
mkdir -p "$run_dir"

# Scripted, the updater speaks the language asked for, else English (the titles the
# script waits for are English); on a desktop, the user's.
language_environment=()
updater_environment=()   # accessibility.sh adds to it
[ "$mode" = window ] || language_environment=("LANGUAGE=$language" LC_ALL=C.UTF-8)
start_updater() {
    (cd "$run_dir" && exec env QT_QPA_PLATFORM=xcb "${language_environment[@]}" "${updater_environment[@]}" \
        "$bin_dir/vek-updater") >"$work/updater.log" 2>&1 &
    updater_pid=$!
    started+=("$updater_pid")
}

# --- The command line, as a scripted station runs it, on the same cameras.
cli() { (cd "$run_dir" && "$bin_dir/cli/vek-updater-cli" "$@"); }
say "vek-updater-cli --json list:"
cli --json list | sed 's/^/    /' || die "vek-updater-cli list failed"
say "vek-updater-cli --json update (every camera, side by side):"
status=0
cli --json update | grep '"event":"result"' | sed 's/^/    /' || status=$?
[ "$status" = 0 ] || die "vek-updater-cli update did not update every camera"

if [ "$mode" = window ]; then
    start_updater
    say "cameras attached: TZ2200 5.917 (out of date), VEK PELKA 2.104 (up to date), TZ7600 1.300 over adb (out of date)"
    say "double-click a camera or press \"Update All\"; close the window to end the demo"
    wait "$updater_pid" || true
    exit 0
fi

# shellcheck source-path=SCRIPTDIR source=headless.sh
. "$here/headless.sh"
case "$mode" in
keyboard) run_headless ;;
language) run_translated ;;
accessibility)
    # shellcheck source-path=SCRIPTDIR source=accessibility.sh
    . "$here/accessibility.sh"
    run_accessibility
    ;;
esac
