#!/usr/bin/env bash
# pellamar-cli scan over files that OpenSSL writes here (a certificate with
# extensions and policies, a request, a CRL, a PKCS#12 bundle, a CMS
# signature, an OCSP request) and over damaged and hand-made encodings:
# what it finds, in order and with its offsets, must be what an independent
# walker (der_walk.py) finds, and the certificate's identifiers what
# openssl asn1parse finds layer by layer. Then the command's own rows.
# Arguments: the program.
set -u
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/program_expectations.sh"
cli=$program
walker=$here/der_walk.py
tab=$'\t'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PELLAMAR_DUMPASN1_CFG="" MIBDIRS="" PELLAMAR_LDAP_SCHEMAS="" PELLAMAR_ENTERPRISES="" \
  PELLAMAR_NAMES_DIRS="" XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
cd "$work" || exit 1

# The files, made as a user would make them.
source "$here/scan_files.sh"
make_scan_files || exit 1

# The walkers agree, identifier by identifier and fault by fault.
agree() {
  local name=$1
  shift
  "$cli" scan --tsv "$@" 2>"$name.err" | cut -f1,2,4-7,9 >"$name.mine"
  sed -E 's/^pellamar-cli: ([^:]*): (block ([0-9]+), )?offset ([0-9]+): .*/\1\t\3\tfault\t\4/' \
    "$name.err" >>"$name.mine"
  python3 "$walker" "$@" >"$name.theirs"
  if diff <(grep -v "${tab}fault${tab}" "$name.mine") <(grep -v "${tab}fault${tab}" "$name.theirs") \
    >"$name.diff" &&
    diff <(grep "${tab}fault${tab}" "$name.mine" | sort) <(grep "${tab}fault${tab}" "$name.theirs" | sort) \
      >>"$name.diff"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED $name: pellamar-cli scan and der_walk.py differ"
    head -20 "$name.diff"
  fi
}
agree openssl_files cert.der cert.pem request.pem crl.pem bundle.p12 signature.der ocsp-request.der
agree hand_made indefinite.ber high-tags.ber nested.ber beyond.ber trailing.ber deep.ber bad-identifier.ber

# Every cut of the certificate, and every octet of it flipped: what was
# read before the damage is found, and the fault falls where the other
# walker puts it. (Its first octet alone, 30, is the text "0".)
make_cuts_and_flips
agree every_cut cuts/*
agree every_flip flips/*

# openssl asn1parse finds the same identifiers layer by layer, each
# wrapped layer opened with -strparse at the offset of its string.
layers() {
  openssl asn1parse -inform DER -in cert.der | grep -c 'prim: OBJECT'
  openssl asn1parse -inform DER -in cert.der | sed -n 's/^ *\([0-9]*\):.*OCTET STRING.*/\1/p' |
    while read -r offset; do
      openssl asn1parse -inform DER -in cert.der -strparse "$offset" 2>/dev/null | grep -c 'prim: OBJECT'
    done
}
found_by_openssl=$(layers | paste -sd+ | bc)
program=bash expect certificate_as_openssl_layers 0 "$found_by_openssl" "" \
  -c '"$0" scan --tsv "$1" | wc -l' "$cli" cert.der

# A fault that ends BER octets ends the reading too: a device that never
# ends is left at its first fault.
program=timeout expect device_without_end 1 "" \
  "pellamar-cli: /dev/zero: offset 0: end-of-contents octets stand where no indefinite length is open" \
  10 "$cli" scan /dev/zero

# A file that cannot be read fails the run; the others are still read.
expect missing_file_and_a_good_one 1 "good.der:
       2  d=1  1.2  member-body (ISO Member Body)" \
  "pellamar-cli: nonexistent.der: No such file or directory" scan nonexistent.der good.der
expect_write_failure scan_to_full_disk full scan good.der
# Base64 without armour: lines ended by CRLF, and padding where no octet
# is open.
input=$'MAYGASoG\r\nASs=\r\n' expect base64_with_crlf 0 "(standard input):
       2  d=1  1.2  member-body (ISO Member Body)
       5  d=1  1.3  org (ORG)" "" scan
input=$'BgEr=\n' expect base64_with_extra_padding 1 "(standard input):
       0  d=0  1.3  org (ORG)" \
  'pellamar-cli: (standard input):1:5: the padding character "=" stands where no octet is open' scan

# An OCTET STRING that holds 1.2.3.4.5, cut short: found, and the fault
# placed in its block, whether the block has its END line or not.
expect first_block_cut_short 1 "cut.pem, block 1 (A):
       6  d=3  1.2.3.4.5
cut.pem, block 2 (B):
       0  d=0  1.3  org (ORG)" \
  "pellamar-cli: cut.pem: block 1, offset 12: the input ends inside the element that starts here" \
  scan cut.pem
expect block_without_end 1 "no-end.pem, block 1 (A):
       6  d=3  1.2.3.4.5" \
  "pellamar-cli: no-end.pem:3: the input ends inside the PEM block that begins at line 1" \
  scan no-end.pem

# A key encrypted the old way holds no BER to read: said so, not taken
# for damaged BER.
expect encrypted_key 1 "" \
  "pellamar-cli: encrypted.pem:2: the PEM block \"RSA PRIVATE KEY\" is encrypted (Proc-Type: 4,ENCRYPTED), so what it holds cannot be read" \
  scan encrypted.pem

# JSON is valid UTF-8 whatever a file's name holds.
cp good.der $'bad\xffname.der'
program=bash expect json_of_a_name_that_is_no_utf8 0 '"bad\ufffdname.der"' "" \
  -c '"$0" scan --json "$1" | python3 -c "import json, sys
print(json.dumps(json.loads(sys.stdin.buffer.read().decode(\"utf-8\"))[\"file\"]))"' \
  "$cli" $'bad\xffname.der'

# Text from files reaches the terminal and fields escaped: a label past the
# first 512 bytes, a file name with an escape sequence and a line break, a
# character that is not Base64, named as the character it is.
expect label_escaped 0 'label.pem, block 1 (EVIL\x1B]0;pwned\x07\x1B[2J LABEL):
       0  d=0  1.3  org (ORG)' "" scan label.pem
expect label_escaped_in_its_field 0 "label.pem${tab}1${tab}EVIL\\x1B]0;pwned\\x07\\x1B[2J LABEL${tab}0${tab}0${tab}OID${tab}1.3${tab}ORG${tab}0${tab}${tab}" "" \
  scan --tsv label.pem
cp good.der $'x\e[2J\n\\.der'
expect file_name_escaped 0 'x\x1B[2J\n\\.der:
       2  d=1  1.2  member-body (ISO Member Body)' "" scan $'x\e[2J\n\\.der'
expect file_name_escaped_in_its_field 0 "x\\x1B[2J\\n\\\\.der${tab}${tab}${tab}2${tab}1${tab}OID${tab}1.2${tab}member-body${tab}1${tab}${tab}" "" \
  scan --tsv $'x\e[2J\n\\.der'
expect file_name_escaped_in_a_message 1 "" 'pellamar-cli: no\x1B[2J\n\.der: No such file or directory' \
  scan $'no\e[2J\n\\.der'
expect character_named_by_code_point 1 "" \
  $'pellamar-cli: letter.pem:2:3: the character "\xc3\xa9" is not a Base64 character' scan letter.pem
expect format_character_named 1 "override.b64:
       0  d=0  1.3  org (ORG)" \
  'pellamar-cli: override.b64:2:3: the character U+202E RIGHT-TO-LEFT OVERRIDE is not a Base64 character' \
  scan override.b64

# What people and scripts see.
expect for_people 1 "nested.ber:
       9  d=4  relative 8571.3
high-tags.ber:
       4  d=1  2.5.29.15  keyUsage (X509v3 Key Usage)
      15  d=0  1.3  org (ORG)
beyond.ber:
       2  d=1  1.2.3.4
       9  d=2  1.3  org (ORG)  (in 1.2.3.4)" \
  "pellamar-cli: beyond.ber: offset 7: the input ends inside the element that starts here" \
  scan nested.ber high-tags.ber beyond.ber
expect for_scripts 0 "nested.ber${tab}${tab}${tab}9${tab}4${tab}RELATIVE-OID${tab}8571.3${tab}${tab}1${tab}${tab}
high-tags.ber${tab}${tab}${tab}4${tab}1${tab}OID${tab}2.5.29.15${tab}keyUsage${tab}0${tab}${tab}
high-tags.ber${tab}${tab}${tab}15${tab}0${tab}OID${tab}1.3${tab}ORG${tab}0${tab}${tab}" "" \
  scan --tsv nested.ber high-tags.ber
program=bash expect json_lines 0 '{"file":"nested.ber","block":null,"label":null,"offset":9,"depth":4,"tag":"RELATIVE-OID","identifier":"8571.3","name":null,"leads":true,"within":null,"within_name":null,"owner":null}
{"file":"cert.pem","block":1,"label":"CERTIFICATE","offset":319,"depth":7,"tag":"OID","identifier":"1.3.6.1.5.5.7.3.1","name":"serverAuth","leads":true,"within":"2.5.29.37","within_name":"extendedKeyUsage","owner":null}' "" \
  -c '"$0" scan --json "$@" | grep -e nested -e "5\.5\.7\.3\.1\""' "$cli" nested.ber cert.pem
program=bash expect json_lines_parse 0 "29 29" "" -c '"$0" scan --json "$1" |
  python3 -c "import json, sys; print(len([json.loads(line)[\"offset\"] for line in sys.stdin]), end=\" \")"
  "$0" scan --tsv "$1" | wc -l' "$cli" cert.der

# A summary: each distinct identifier once, the most found first; the
# identifiers no source names.
expect count 0 "      3  1.3  org (ORG)
      2  2.5.29.15  keyUsage (X509v3 Key Usage)
      1  relative 8571.3
      1  1.2.3.4" "" scan --count nested.ber high-tags.ber high-tags.ber indefinite.ber
expect count_for_scripts 0 "2${tab}OID${tab}2.5.29.15${tab}keyUsage
2${tab}OID${tab}1.3${tab}ORG" "" scan --count --tsv high-tags.ber high-tags.ber
expect count_json 0 '{"count":1,"tag":"OID","identifier":"2.5.29.15","name":"keyUsage"}
{"count":1,"tag":"OID","identifier":"1.3","name":"ORG"}' "" scan --count --json high-tags.ber
expect unknown 0 "cert.der:
     339  d=7  1.3.6.1.4.1.99999.7  (in extendedKeyUsage (X509v3 Extended Key Usage))
     570  d=8  2.23.140.1.2.1  (in certificatePolicies (X509v3 Certificate Policies))
     580  d=8  1.3.6.1.4.1.99999.2  (in certificatePolicies (X509v3 Certificate Policies))
     657  d=5  1.3.6.1.4.1.99999.1
     672  d=7  1.3.6.1.4.1.99999.3  (in 1.3.6.1.4.1.99999.1)" "" scan --unknown cert.der
# The enterprise that owns an identifier is shown as encode shows it, for
# people and in JSON; unknown still means that no source names it.
PELLAMAR_ENTERPRISES=$here/data/names/enterprises.tsv program=bash expect unknown_with_owner 0 "cert.der:
     339  d=7  1.3.6.1.4.1.99999.7  [Pellamar Test Enterprise]  (in extendedKeyUsage (X509v3 Extended Key Usage))
     570  d=8  2.23.140.1.2.1  (in certificatePolicies (X509v3 Certificate Policies))" \
  "pellamar-cli: warning: $here/data/names/enterprises.tsv:6: not an enterprise number followed by its organization; the other names are used" \
  -c '"$0" scan --unknown cert.der | head -n 3' "$program"
PELLAMAR_ENTERPRISES=$here/data/names/enterprises.tsv program=bash expect owner_in_json 0 \
  "1.3.6.1.4.1.99999.7 Pellamar Test Enterprise" "" -c '"$0" scan --json cert.der | python3 -c "import json, sys
for line in sys.stdin:
    item = json.loads(line)
    if item[\"owner\"]:
        print(item[\"identifier\"], item[\"owner\"])
        break"' "$program"
expect unknown_counted 0 "      1  relative 8571.3
      1  1.3.6.1.4.1.99999.7
      1  2.23.140.1.2.1
      1  1.3.6.1.4.1.99999.2
      1  1.3.6.1.4.1.99999.1
      1  1.3.6.1.4.1.99999.3" "" scan --unknown --count nested.ber ocsp-request.der signature.der

# Wide counts and offsets keep a blank before them.
expect wide_count 0 " 123456  1.2  member-body (ISO Member Body)" "" scan --count many.der
expect wide_offset 0 "far.der:
 10000016  d=0  1.2  member-body (ISO Member Body)" "" scan far.der

# PEM among text, a bad block among good ones (what it held before the bad
# character is found), files that cannot be read,
# standard input.
expect bad_base64_ends_its_block 1 "bad.pem, block 1 (CERTIFICATE):
       0  d=0  1.3  org (ORG)
bad.pem, block 2 (X):
       0  d=0  1.3  org (ORG)" "pellamar-cli: bad.pem:3:3: the character \"*\" is not a Base64 character" \
  scan bad.pem
expect files_that_cannot_be_read 1 "indefinite.ber:
       4  d=2  1.2.3.4
      15  d=3  1.3  org (ORG)" "pellamar-cli: missing.der: No such file or directory
pellamar-cli: .: Is a directory" scan missing.der . indefinite.ber
input=$(base64 -w 64 high-tags.ber) expect base64_on_standard_input 0 "(standard input):
       4  d=1  2.5.29.15  keyUsage (X509v3 Key Usage)
      15  d=0  1.3  org (ORG)" "" scan -
program=bash expect der_on_standard_input 0 "4 OID 1.2.840.10045.2.1" "" \
  -c '"$0" scan --tsv <"$1" | sed -n "s/^(standard input)\t\t\t180\t\(.*\)\tid-ecPublicKey\t1\t\t$/\1/p" | tr "\t" " "' \
  "$cli" cert.der

# Debian's CA bundle, where it is installed: every distinct identifier,
# counted as the other walker counts them.
bundle=/etc/ssl/certs/ca-certificates.crt
if [ -r "$bundle" ]; then
  program=bash expect ca_bundle_counted 0 "$(python3 "$walker" "$bundle" | cut -f6 | sort | uniq -c | sort -k2 | awk '{print $1 "\t" $2}')" "" \
    -c '"$0" scan --count --tsv "$1" | cut -f1,3 | sort -k2' "$cli" "$bundle"
else
  echo "skipped ca_bundle_counted: $bundle is not installed (package ca-certificates)"
fi

finish
