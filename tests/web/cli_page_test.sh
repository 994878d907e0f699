#!/usr/bin/env bash
# Runs the inspection page's test in Chromium beside pellamar-cli, which is
# given the names the page holds built in: the same sources, where Debian
# installs them, and no user's own.
# Arguments: node, the page, pellamar-cli, the window_results program, the
# folder of Pellamar's names files.
set -euo pipefail
node=$1
page=$2
cli=$(realpath "$3")
window_results=$4
names_folder=$(realpath "$5")
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
  echo "puppeteer-core is missing: run npm ci --prefix $here (./dev.sh test does)"
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
existing() { [ -e "$1" ] && echo "$1" || echo ""; }
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache \
  XDG_DATA_HOME=$work/data \
  MIBDIRS=/usr/share/snmp/mibs:/usr/share/snmp/mibs/iana:/usr/share/snmp/mibs/ietf \
  PELLAMAR_DUMPASN1_CFG=$(existing /etc/dumpasn1/dumpasn1.cfg) \
  PELLAMAR_LDAP_SCHEMAS=/etc/ldap/schema:/usr/share/dirsrv/schema:/usr/share/samba/setup/ad-schema \
  PELLAMAR_NAMES_DIRS=$names_folder \
  PELLAMAR_ENTERPRISES=$(existing /usr/share/wireshark/enterprises.tsv)
"$window_results" >"$work/cases.json"
mkdir "$work/files"
(
  cd "$work/files"
  source "$here/../scan_files.sh"
  make_scan_files
  # A file of 50 MiB: an OCTET STRING of zeros, then the certificate.
  python3 -c 'import sys; sys.stdout.buffer.write(bytes.fromhex("048403200000") + bytes(52428800) + open("cert.der", "rb").read())' >large.der
  make_cuts_and_flips
  # What the scan test gives on standard input, as files, and a name that
  # holds escapes. (A name that is no UTF-8 cannot reach a browser as it
  # is: the browser's names are Unicode.)
  printf 'MAYGASoG\r\nASs=\r\n' >crlf.b64
  printf 'BgEr=\n' >extra-padding.b64
  base64 -w 64 high-tags.ber >high-tags.b64
  cp good.der $'x\e[2J\n\\.der'
  if [ -f /etc/ssl/certs/ca-certificates.crt ]; then
    cp /etc/ssl/certs/ca-certificates.crt .
  fi
)
"$node" "$here/cli_page_test.mjs" "$page" "$cli" "$work/cases.json" "$work/files"
