#!/bin/bash
# Makes everything the demo serves and trusts, fresh for every run, below WORK:
#
#   www/<path of BASE_URL>/  the maker's folder: catalogue and firmware images
#   tls/                     demo CA and the loopback server's certificate
#   trust/                   a CA store holding only the demo CA, in the layout of
#                            /etc/ssl/certs
#
# Usage: sample-data.sh WORK BASE_URL HOST PATH   (the host and path of BASE_URL)
set -euo pipefail

work=$1
base_url=$2
host=$3
folder="$work/www$4"
mkdir -p "$folder/firmware" "$work/tls" "$work/trust"

# --- Firmware images: random bytes behind a readable header, so every run's digests
# are new and nothing can pass by matching a remembered one.
checksum_of() {
    sha256sum "$1" | cut -d' ' -f1 | tr 'a-f' 'A-F'
}

make_image() { # name model version brand
    local image="$folder/firmware/$1"
    {
        printf 'VEK demo firmware\nmodel %s\nversion %s\nbrand %s\n' "$2" "$3" "${4:--}"
        head -c $((768 * 1024)) /dev/urandom
    } >"$image"
}

# entry KEY VERSION IMAGE [ADB] [BRAND]: one catalogue entry as JSON.
entry() {
    local model=$1 version=$2 image=$3 adb=${4:-false} brand=${5:-}
    make_image "$image" "$model" "$version" "$brand"
    printf '{ "Version": "%s", "Link": "%s/firmware/%s", "Checksum": "%s", "Pathname": "%s", "ADB_Device": %s' \
        "$version" "$base_url" "$image" "$(checksum_of "$folder/firmware/$image")" "$image" "$adb"
    [ -n "$brand" ] && printf ', "Brand": "%s"' "$brand"
    printf ' }'
}

# Keys are read in ascending order and the first one never is: "#" sorts before
# every model name, so "#about" takes that place.
cat >"$folder/vek-updater-config.txt" <<JSON
{
  "#about": { "Catalogue": "vek-updater demo", "Note": "the first key is not a model" },
  "TZ2200": $(entry TZ2200 5.920 TZ2200-5.920.BIN),
  "TZ4100": $(entry TZ4100 5.917 TZ4100-5.917.BIN),
  "TZ4300": $(entry TZ4300 3.402 TZ4300-ORVA-3.402.BIN false ORVA),
  "TZ5500": $(entry TZ5500 4.011 TZ5500-4.011.BIN),
  "TZ7000": $(entry TZ7000 2.300 TZ7000-2.300.BIN),
  "TZ7600": $(entry TZ7600 1.310 TZ7600-1.310.BIN true),
  "VEK": [
    $(entry VEK 2.104 VEK-ORVA-2.104.BIN false ORVA),
    $(entry VEK 2.104 VEK-PELKA-2.104.BIN false PELKA),
    $(entry VEK 2.098 VEK-TALM-2.098.BIN false TALM)
  ]
}
JSON

# --- TLS: a demo CA and a loopback certificate signed by it.
tls="$work/tls"
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 \
    -subj "/O=vek-updater demo/CN=vek-updater demo CA" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout "$tls/demo-ca.key" -out "$tls/demo-ca.crt" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -sha256 \
    -subj "/O=vek-updater demo/CN=$host" \
    -keyout "$tls/server.key" -out "$tls/server.csr" 2>/dev/null
printf '%s\n' "basicConstraints=critical,CA:FALSE" \
    "keyUsage=critical,digitalSignature,keyEncipherment" \
    "extendedKeyUsage=serverAuth" \
    "subjectAltName=IP:127.0.0.1,DNS:localhost$([[ $host =~ [A-Za-z] ]] && echo ",DNS:$host")" \
    >"$tls/server.ext"
openssl x509 -req -in "$tls/server.csr" -CA "$tls/demo-ca.crt" -CAkey "$tls/demo-ca.key" \
    -set_serial "0x$(od -An -tx1 -N8 /dev/urandom | tr -d ' \n')" -days 2 -sha256 \
    -extfile "$tls/server.ext" -out "$tls/server.crt" 2>/dev/null

# --- The CA store the demo process sees as /etc/ssl/certs. OpenSSL looks certificates
# up by subject hash in a directory, and Qt also reads the bundle file by name.
trust="$work/trust"
cp "$tls/demo-ca.crt" "$trust/vek-demo-ca.pem"
ln -s vek-demo-ca.pem "$trust/$(openssl x509 -in "$tls/demo-ca.crt" -noout -subject_hash).0"
cp "$tls/demo-ca.crt" "$trust/ca-certificates.crt"
