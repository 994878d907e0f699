#!/usr/bin/env bash
# pellamar-cli as scripts and people use it: items from operands and from
# standard input, every input form and output format, every way an item is
# refused with its line, column and message, the exit statuses, streaming,
# failed writes and the shell completion. Arguments: the program, its
# version, the bash completion script.
set -u
program=$1
version=$2
completion=$3
source "$(dirname "$0")/program_expectations.sh"
# Rows that pipe the output on run bash with the program as $0.
cli=$program

tab=$'\t'
usage="Usage: pellamar-cli encode [OPTION]... [IDENTIFIER]...
   or: pellamar-cli decode [OPTION]... [TEXT]...
   or: pellamar-cli names [OPTION]... [PATTERN | IDENTIFIER]...
   or: pellamar-cli scan [OPTION]... [FILE]...
   or: pellamar-cli --help | --version
Try 'pellamar-cli --help' for more information."
# Names come from OpenSSL alone unless a row asks for another source.
export PELLAMAR_DUMPASN1_CFG="" MIBDIRS="" PELLAMAR_LDAP_SCHEMAS="" PELLAMAR_ENTERPRISES="" \
  PELLAMAR_NAMES_DIRS=""
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache

# Output for people, and for scripts.
expect encode_for_people 0 "1.2.840.113549 rsadsi (RSA Data Security, Inc.)
  contents octets  2A 86 48 86 F7 0D
  contents Base64  KoZIhvcN
  DER octets       06 06 2A 86 48 86 F7 0D
  DER Base64       BgYqhkiG9w0=
  value notation   { 1 2 840 113549 }
  C array          0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D

2.25.329800735698586629295641978511506172918
  contents octets  69 83 F0 9D A7 EB CF DE E0 C7 A1 A7 B2 C0 94 8C C8 F9 D7 76
  contents Base64  aYPwnafrz97gx6GnssCUjMj513Y=
  DER octets       06 14 69 83 F0 9D A7 EB CF DE E0 C7 A1 A7 B2 C0 94 8C C8 F9 D7 76
  DER Base64       BhRpg/Cdp+vP3uDHoaeywJSMyPnXdg==
  value notation   { 2 25 329800735698586629295641978511506172918 }
  C array          0x69, 0x83, 0xF0, 0x9D, 0xA7, 0xEB, 0xCF, 0xDE, 0xE0, 0xC7, 0xA1, 0xA7, 0xB2, 0xC0, 0x94, 0x8C, 0xC8, 0xF9, 0xD7, 0x76
  UUID             f81d4fae-7dec-11d0-a765-00a0c91e6bf6" "" \
  encode 1.2.840.113549 urn:uuid:f81d4fae-7dec-11d0-a765-00a0c91e6bf6
expect encode_tsv_with_names_and_prefixes 0 \
  "urn:OID:2.5.4.3${tab}55 04 03${tab}VQQD${tab}06 03 55 04 03${tab}BgNVBAM=${tab}CN${tab}${tab}${tab}OpenSSL${tab}${tab}{ joint-iso-itu-t(2) ds(5) 4 commonName(3) }
.1.3.6.1${tab}2B 06 01${tab}KwYB${tab}06 03 2B 06 01${tab}BgMrBgE=${tab}IANA${tab}${tab}${tab}OpenSSL${tab}${tab}{ iso(1) org(3) dod(6) iana(1) }
2.999.1${tab}88 37 01${tab}iDcB${tab}06 03 88 37 01${tab}BgOINwE=${tab}${tab}${tab}${tab}${tab}${tab}{ joint-iso-itu-t(2) 999 1 }
2.25.0.1${tab}69 00 01${tab}aQAB${tab}06 03 69 00 01${tab}BgNpAAE=${tab}${tab}${tab}${tab}${tab}${tab}{ joint-iso-itu-t(2) uuid(25) 0 1 }" \
  "" encode --tsv --names --uuid urn:OID:2.5.4.3 .1.3.6.1 2.999.1 2.25.0.1
expect decode_for_people 0 "1.2.840.113549 rsadsi (RSA Data Security, Inc.)
2.999.1
2.25.329800735698586629295641978511506172918
  UUID             f81d4fae-7dec-11d0-a765-00a0c91e6bf6" "" \
  decode KoZIhvcN iDcB aYPwnafrz97gx6GnssCUjMj513Y=
expect decode_tsv_with_names 0 "KoZIhvcN${tab}1.2.840.113549${tab}rsadsi${tab}${tab}OpenSSL${tab}${tab}{ iso(1) member-body(2) 840 rsadsi(113549) }
iDcB${tab}2.999.1${tab}${tab}${tab}${tab}${tab}{ joint-iso-itu-t(2) 999 1 }" "" decode --tsv --names KoZIhvcN iDcB
program=bash expect decode_tsv_uuid_field_is_asked_for 0 "aWU=${tab}2.25.101
aYPwnafrz97gx6GnssCUjMj513Y=${tab}2.25.329800735698586629295641978511506172918${tab}f81d4fae-7dec-11d0-a765-00a0c91e6bf6" \
  "" -c '"$0" decode --tsv aWU= && "$0" decode --tsv --uuid "$1"' "$cli" \
  aYPwnafrz97gx6GnssCUjMj513Y=
# A field never holds a tab or a line break: runs of them are one blank.
input=$'2a\t86\t48\n2A\t\t86 \t 48\n'
expect tsv_items_with_tabs 0 "2a 86 48${tab}1.2.840
2A 86 48${tab}1.2.840" "" decode --hex --tsv
input=""

# Arcs of any size, both ways; what encode writes, decode --der reads.
expect any_size_arcs 0 "1.3.6.1.4.1.311.21.8.2321648039.1${tab}2B 06 01 04 01 82 37 15 08 88 D3 86 93 27 01${tab}KwYBBAGCNxUIiNOGkycB${tab}06 0F 2B 06 01 04 01 82 37 15 08 88 D3 86 93 27 01${tab}Bg8rBgEEAYI3FQiI04aTJwE=
2.4294967215${tab}8F FF FF FF 7F${tab}j////38=${tab}06 05 8F FF FF FF 7F${tab}BgWP////fw==" "" \
  encode --tsv 1.3.6.1.4.1.311.21.8.2321648039.1 2.4294967215
hundred=$(printf '.1%.0s' $(seq 99))
der_hex="06 64 2A$(printf ' 01%.0s' $(seq 99))"
expect hundred_contents_octets_as_der 0 "1.2$hundred" "" decode --der --hex "$der_hex"
expect decode_any_size 0 "2.4294967215
1.2.18446744073709551616" "" decode j////38= KoKAgICAgICAgAA=

# The forms people write: value notation, blank-separated arcs, names.
program=bash expect input_forms 0 "{ iso(1) member-body(2) us(840) rsadsi(113549) }${tab}2A 86 48 86 F7 0D
{1 2 840}${tab}2A 86 48
{ iso member-body 840 }${tab}2A 86 48
{ joint-iso-itu-t ds ( 5 ) 4 3 }${tab}55 04 03
1 2 840 113549${tab}2A 86 48 86 F7 0D
rsaEncryption${tab}2A 86 48 86 F7 0D 01 01 01
sha256WithRSAEncryption${tab}2A 86 48 86 F7 0D 01 01 0B
commonName${tab}55 04 03
CN${tab}55 04 03
F81D4FAE-7DEC-11D0-A765-00A0C91E6BF6${tab}69 83 F0 9D A7 EB CF DE E0 C7 A1 A7 B2 C0 94 8C C8 F9 D7 76" "" \
  -c '"$0" encode --tsv "$@" | cut -f1,2' "$cli" \
  "{ iso(1) member-body(2) us(840) rsadsi(113549) }" "{1 2 840}" "{ iso member-body 840 }" \
  "{ joint-iso-itu-t ds ( 5 ) 4 3 }" "1 2 840 113549" rsaEncryption sha256WithRSAEncryption \
  commonName CN F81D4FAE-7DEC-11D0-A765-00A0C91E6BF6
expect input_form_failures 1 "" "pellamar-cli: 1:8: The character \"x\" at position 8 follows the closing \"}\" of the value notation.
pellamar-cli: 2:4: The character \",\" at position 4 cannot stand in value notation, which has numbers, and names with their numbers, separated by blanks.
pellamar-cli: 3:5: The value notation ends at position 5 without its closing \"}\".
pellamar-cli: 4:3: The name \"us\" at position 3 needs its number: only the names of the first two levels stand alone, so write us(N).
pellamar-cli: 5:3: The name \"iso\" at position 3 has no number in its parentheses; value notation writes iso(5).
pellamar-cli: 6:7: The number of \"iso\" at position 7 is not closed by \")\".
pellamar-cli: 7:3: The first arc is 3 (at position 3), but it must be 0, 1 or 2.
pellamar-cli: 8:3: The arc at position 3 starts with a zero; arcs are written without leading zeros.
pellamar-cli: 9:1: No identifier is named \"rsaencryption\" by any source of names; names are matched in the case written, LDAP's in any case. Did you mean \"rsaEncryption\"?
pellamar-cli: 10:3: The identifier has only one arc at position 3; it needs at least two.
pellamar-cli: 11:1: No identifier is named \"xrn:oid:1.2\" by any source of names; names are matched in the case written, LDAP's in any case.
pellamar-cli: 12:9: The full stop at position 9 does not follow an arc: arcs are separated by single full stops." \
  encode "{ 1 2 }x" "{ 1, 2 }" "{ 1 2" "{ us 2 }" "{ iso() }" "{ iso(1 }" "{ 3 }" "1 02" rsaencryption "{ 1 }" \
  xrn:oid:1.2 URN:oid:.1

# Strict reading refuses what the window would read as another identifier;
# the column, and the position in the message, count from the start of the
# line or operand.
input=$'   1..2\n  1.2.8x40\n1.2.84\xc3\xa90\n1.2.\xef\xbc\x91\n1.2.\xef\xbb\xbf5\n1.2.\x1a\n1.2.\xff5\n1.2.\r5\n'
expect strict_columns 1 "" "pellamar-cli: 1:6: The full stop at position 6 does not follow an arc: arcs are separated by single full stops.
pellamar-cli: 2:8: The character \"x\" at position 8 cannot stand in an identifier, which has only digits and full stops.
pellamar-cli: 3:7: The character \"é\" at position 7 cannot stand in an identifier, which has only digits and full stops.
pellamar-cli: 4:5: The character \"１\" (U+FF11 FULLWIDTH DIGIT ONE) at position 5 cannot stand in an identifier, which has only digits and full stops.
pellamar-cli: 5:5: The character U+FEFF ZERO WIDTH NO-BREAK SPACE at position 5 cannot stand in an identifier, which has only digits and full stops.
pellamar-cli: 6:5: The control character U+001A SUBSTITUTE at position 5 cannot stand in an identifier, which has only digits and full stops.
pellamar-cli: 7:5: The byte 0xFF (not UTF-8) at position 5 cannot stand in an identifier, which has only digits and full stops.
pellamar-cli: 8:5: The control character U+000D CARRIAGE RETURN at position 5 cannot stand in an identifier, which has only digits and full stops." \
  encode
input=""
program=bash expect strict_rejections 1 "2B 06 01
28" "pellamar-cli: 1:5: The full stop at position 5 does not follow an arc: arcs are separated by single full stops.
pellamar-cli: 2:4: The identifier ends with a full stop at position 4, where another arc should follow.
pellamar-cli: 3:1: The identifier has only one arc at position 1; it needs at least two.
pellamar-cli: 4:5: The character \"+\" at position 5 cannot stand in an identifier, which has only digits and full stops.
pellamar-cli: 5:9: The first arc is 3 (at position 9), but it must be 0, 1 or 2.
pellamar-cli: 6:1: The operand is empty.
pellamar-cli: 7:1: The identifier has no arcs after its prefix.
pellamar-cli: 9:3: The arc at position 3 starts with a zero; arcs are written without leading zeros.
pellamar-cli: 11:203: The identifier needs more than 100 octets: arc 102 (1 at position 203) no longer fits." \
  -c 'set -o pipefail; "$0" encode --tsv "$@" | cut -f2' "$cli" \
  1.2..3 1.2. 1 "1.2.+5" urn:oid:3.5 "" . .1.3.6.1 1.00 1.0 "1.2$hundred.1"
# --lenient reads as the window does, and says where that differs from
# the strict reading.
program=bash expect lenient_reads_as_the_window 0 "2.16.8x40.1${tab}60 08 01
5${tab}05
.1.3.6.1${tab}01 03 06 01
urn:oid:1.2.840.113549${tab}02 86 48 86 F7 0D" \
  "pellamar-cli: 3:1: warning: --lenient reads this as \"0.1.3.6.1\", but read strictly it is \"1.3.6.1\".
pellamar-cli: 4:1: warning: --lenient reads this as \"0.2.840.113549\", but read strictly it is \"1.2.840.113549\"." \
  -c '"$0" encode --lenient --tsv "$@" | cut -f1,2' "$cli" \
  2.16.8x40.1 5 .1.3.6.1 urn:oid:1.2.840.113549
expect lenient_columns 1 "" "pellamar-cli: 1:7: The arc 4294967296 at position 7 is larger than 2147483647.
pellamar-cli: 2:5: The arc -5 at position 5 is negative; arcs are whole numbers from 0 up.
pellamar-cli: 3:5: The arc 123456789012345678901234 at position 5 is larger than 2147483647." \
  encode --lenient "  1.2.4294967296" "1.2.-5" "1.2.123456789012345678901234"
# Value notation without arcs: the fault is placed at the closing brace.
expect braces_without_arcs 1 "" "pellamar-cli: 1:3: The identifier has no arcs." encode "{ }"
# Columns count characters, however many bytes each takes.
expect lenient_column_after_wide_characters 1 "" \
  "pellamar-cli: 1:8: The arc 99999999999 at position 8 is larger than 2147483647." \
  encode --lenient $'1.2.\xe2\x82\xac\xf0\x9f\x98\x80.99999999999'

# Base64 read strictly refuses what no encoder writes; --lenient reads the
# same texts as the window does. A fault found where the text runs out is
# at its last character.
input=$'KoZIhvcNAQEBC\nBR==\nKoZIhvcNA\nQe==\nKoZIhvc\nKoaG\nKgMEBYAB\n  KoZI hvcN\n'
expect strict_base64 1 "" "pellamar-cli: 1:13: The text cannot be Base64: the character \"C\" at position 13 stands alone in its group of four, which holds no octet, so one character is too many or one is missing.
pellamar-cli: 2:2: The last character \"R\" at position 2 carries bits beyond the last octet; the text would be \"BQ==\".
pellamar-cli: 3:9: The text cannot be Base64: the character \"A\" at position 9 stands alone in its group of four, which holds no octet, so one character is too many or one is missing.
pellamar-cli: 4:2: The last character \"e\" at position 2 carries bits beyond the last octet; the text would be \"QQ==\".
pellamar-cli: 5:7: The octets end in the middle of arc 4: its last octet still has the top bit set, so the text looks cut off.
pellamar-cli: 6:4: The octets end in the middle of arc 3: its last octet still has the top bit set, so the text looks cut off.
pellamar-cli: 7:6: The octet 80 at position 6 pads a subidentifier with a leading zero digit, which X.690 does not allow; --lenient reads it by its value.
pellamar-cli: 8:7: The character \" \" at position 7 is not a Base64 character." decode
input=$'KoZIhvcNAQEBC\nBR==\nKoZIhvcNA\nQe==\nKgMEBYAB\n'
expect lenient_base64 0 "1.2.840.113549.1.1.1 rsaEncryption
0.5
1.2.840.113549 rsadsi (RSA Data Security, Inc.)
1.25
1.2.3.4.5.1" "" decode --lenient
input=""
expect lenient_arc_limit 1 "" "pellamar-cli: 1:2: Arc 3, 4294967296 at position 2, is larger than 2147483647.
pellamar-cli: 2:2: Arc 3, 34359738367 at position 2, is larger than 2147483647." \
  decode --lenient KpCAgIAA YP//////

# Decoding: padding octets, hexadecimal, whole DER encodings. Names are
# those of the identifier printed, whatever octets it came from.
expect padding_octet_refused 1 "" \
  "pellamar-cli: 1:2: The octet 80 at position 2 pads a subidentifier with a leading zero digit, which X.690 does not allow; --lenient reads it by its value." \
  decode KoCGSA==
input=$'2A 80 86 48 86 F7 0D\n'
program=bash expect lenient_names_the_identifier_printed 0 "2A 80 86 48 86 F7 0D${tab}1.2.840.113549${tab}rsadsi" "" \
  -c '"$0" decode --hex --lenient --tsv --names | cut -f1-3' "$cli"
input=""
expect hex 1 "1.2.840 ISO-US (ISO US Member Body)
1.2.840 ISO-US (ISO US Member Body)" "pellamar-cli: 3:4: The hexadecimal digit \"8\" at position 4 has no partner: every octet is a pair of digits.
pellamar-cli: 4:4: The hexadecimal digit \"8\" at position 4 has no partner: every octet is a pair of digits.
pellamar-cli: 5:4: The hexadecimal digit \"8\" at position 4 has no partner: every octet is a pair of digits.
pellamar-cli: 6:13: The octets end in the middle of arc 4: its last octet still has the top bit set, so the text looks cut off." \
  decode --hex "2a:86:48" "2A8648" "2A 8" $'2A 8\t01' "2A 8:01" "  2A 86 48 86"
expect der 1 "2.5.4.3 CN (commonName)
2.5.4.3 CN (commonName)" "pellamar-cli: 3:1: The tag is 30, but the DER encoding of an object identifier starts with the tag 06.
pellamar-cli: 4:4: The length is 4, but 3 octets of contents follow it.
pellamar-cli: 5:4: The length octet 81 opens a long-form length, but DER writes a length below 128 in one octet.
pellamar-cli: 6:4: The length octet is 80, the indefinite form, which DER does not allow.
pellamar-cli: 7:2: The octets end after the tag 06, where the length should follow.
pellamar-cli: 8:4: The length is 0, but the contents of an identifier take at least one octet.
pellamar-cli: 9:7: The octet 80 at position 7 pads a subidentifier with a leading zero digit, which X.690 does not allow; --lenient reads it by its value." \
  decode --der --hex "06 03 55 04 03" "06:03:55:04:03" "30 03 55 04 03" "06 04 55 04 03" "06 81 03 55 04 03" \
  "06 80" "06" "06 00" "06 02 80 01"
expect der_base64 0 "2.5.4.3 CN (commonName)" "" decode --der BgNVBAM=
expect whole_encoding_without_der 0 "0.6.3.85.4.3" \
  "pellamar-cli: 1:1: warning: these octets look like a whole DER encoding (tag 06, length 3); they are read as contents, and --der would read \"2.5.4.3\"." \
  decode BgNVBAM=
expect hexadecimal_without_hex 0 "2.11199.58.1632186.23.7811" \
  "pellamar-cli: 1:1: warning: the text is hexadecimal octets too; it is read as Base64, and --hex would read \"1.2.840.113549\"." \
  decode 2A864886F70D
expect split_hexadecimal_dump 1 "0.6
0.3
2.5 X500 (directory services (X.500))
0.4
0.3" "pellamar-cli: 3:2: The octets end in the middle of the first subidentifier (the first two arcs): its last octet still has the top bit set, so the text looks cut off. Each operand is one item: to read a hexadecimal dump, quote it as one operand, as in pellamar-cli decode --hex '06 03 55 04 03'." \
  decode --hex 06 03 86 55 04 03
expect split_dump_of_pairs 1 "0.6.3
2.5.4 X509" "pellamar-cli: 3:4: The octets end in the middle of arc 3: its last octet still has the top bit set, so the text looks cut off. Each operand is one item: to read a hexadecimal dump, quote it as one operand, as in pellamar-cli decode --hex '06 03 55 04 03'." \
  decode --hex 0603 5504 0386

# UTF-8 as it comes: each lead byte at its boundaries, overlong forms,
# stray and missing continuation bytes, and the columns after characters
# of two, three and four bytes. Nothing carries over to the next line.
input=$'\xc2\xa0A\n\xc1\x81A\n\xdf\xbfA\n\xe0\x80\x80A\n\xef\xbf\xbdA\n\xf0\x9f\x98\x80=\n\xf4\x90\x80\x80\n\xc3x\n\x80\n\xe2\x82\xac\xe2\x82\xac=\nKoZIhvcN\n\xe0\xa0\x80\n\xf4\x8f\xbf\xbf\n'
expect utf8_reading 1 "1.2.840.113549 rsadsi (RSA Data Security, Inc.)" "pellamar-cli: 1:1: The character U+00A0 NO-BREAK SPACE at position 1 is not a Base64 character.
pellamar-cli: 2:1: The byte 0xC1 (not UTF-8) at position 1 is not a Base64 character.
pellamar-cli: 3:1: The character \"߿\" (U+07FF NKO TAMAN SIGN) at position 1 is not a Base64 character.
pellamar-cli: 4:1: The byte 0xE0 (not UTF-8) at position 1 is not a Base64 character.
pellamar-cli: 5:1: The character \"�\" (U+FFFD REPLACEMENT CHARACTER) at position 1 is not a Base64 character.
pellamar-cli: 6:1: The character \"😀\" (U+1F600 GRINNING FACE) at position 1 is not a Base64 character.
pellamar-cli: 7:1: The byte 0xF4 (not UTF-8) at position 1 is not a Base64 character.
pellamar-cli: 8:1: The byte 0xC3 (not UTF-8) at position 1 is not a Base64 character.
pellamar-cli: 9:1: The byte 0x80 (not UTF-8) at position 1 is not a Base64 character.
pellamar-cli: 10:1: The character \"€\" (U+20AC EURO SIGN) at position 1 is not a Base64 character.
pellamar-cli: 12:1: The character \"ࠀ\" (U+0800 SAMARITAN LETTER ALAF) at position 1 is not a Base64 character.
pellamar-cli: 13:1: The character U+10FFFF at position 1 is not a Base64 character." decode
input=$'1.\xe2\x82\xac.\xf0\x9f\x98\x80x\n1.2x\n'
expect columns_after_wide_characters 1 "" "pellamar-cli: 1:3: The character \"€\" (U+20AC EURO SIGN) at position 3 cannot stand in an identifier, which has only digits and full stops.
pellamar-cli: 2:4: The character \"x\" at position 4 cannot stand in an identifier, which has only digits and full stops." encode
# A file saved by Notepad starts with a byte-order mark.
input=$'\xef\xbb\xbfKoZIhvcN\n'
expect byte_order_mark_skipped 0 "1.2.840.113549 rsadsi (RSA Data Security, Inc.)" "" decode
input=""

# JSON Lines for jq and programs: every field, parsed.
"$program" encode --json 1.2.840.113549 "urn:uuid:f81d4fae-7dec-11d0-a765-00a0c91e6bf6" \
  >"$work/encode.json" 2>&1
printf 'Ko\tZIhvcN\nKoZIhvcN\n' | "$program" decode --json >"$work/decode.json" 2>/dev/null
printf '2a\t86\t48\n' | "$program" decode --json --hex >>"$work/decode.json" 2>&1
if python3 - "$work/encode.json" "$work/decode.json" <<'EOF'; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED json"; fi
import json, sys
encoded = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
decoded = [json.loads(line) for line in open(sys.argv[2], encoding="utf-8")]
rsadsi = {"line": 1, "item": "1.2.840.113549", "identifier": "1.2.840.113549",
          "contents_hex": "2A 86 48 86 F7 0D", "contents_base64": "KoZIhvcN",
          "der_hex": "06 06 2A 86 48 86 F7 0D", "der_base64": "BgYqhkiG9w0=",
          "value_notation": "{ 1 2 840 113549 }", "name": "rsadsi",
          "long_name": "RSA Data Security, Inc."}
uuid = encoded[1]
checks = [
    (encoded[0] == rsadsi, encoded[0]),
    (uuid["identifier"] == "2.25.329800735698586629295641978511506172918", uuid),
    (uuid["uuid"] == "f81d4fae-7dec-11d0-a765-00a0c91e6bf6", uuid),
    ("name" not in uuid and uuid["line"] == 2, uuid),
    (decoded[0] == dict(rsadsi, line=2, item="KoZIhvcN"), decoded[0]),
    (decoded[1]["item"] == "2a\t86\t48" and decoded[1]["identifier"] == "1.2.840", decoded[1]),
    (len(encoded) == 2 and len(decoded) == 2, (encoded, decoded)),
]
for ok, what in checks:
    if not ok:
        print("unexpected:", what)
sys.exit(0 if all(ok for ok, _ in checks) else 1)
EOF

# dumpasn1's file, when one is there, names what OpenSSL does not; a
# damaged one is reported once and the rest of it is used.
printf '# names\nOID = 1 3 6 1 4 1 99999 7\nComment = test\nDescription = pellamarTestName\nWarning\n\nOID = 06 03 2B 06 63\nDescription = olderForm\n\nOID = 1 3 6 1 4 1 99999 8\nDescription = twinName\n\nOID = 1 3 6 1 4 1 99999 9\nDescription = twinName\n' >"$work/names.cfg"
printf 'OID = 1 3 6 1 4 1 99999 7\nDescription = pellamarTestName\nnot an entry\nOID = 99 x\nDescription = lost\n' >"$work/damaged.cfg"
input=$'KwYBBAGGjR8H\nKwZj\n'
# The fields after the name: nearest name, source, enterprise, named path.
arc7="${tab}{ iso(1) org(3) dod(6) iana(1) private(4) enterprises(1) 99999"
unnamed7="${tab}${tab}${tab}${arc7} 7 }"
unnamed99="${tab}${tab}${tab}${tab}{ iso(1) org(3) dod(6) 99 }"
PELLAMAR_DUMPASN1_CFG=$work/names.cfg expect dumpasn1_names 0 "KwYBBAGGjR8H${tab}1.3.6.1.4.1.99999.7${tab}pellamarTestName${tab}${tab}dumpasn1${tab}${arc7} pellamarTestName(7) }
KwZj${tab}1.3.6.99${tab}olderForm${tab}${tab}dumpasn1${tab}${tab}{ iso(1) org(3) dod(6) olderForm(99) }" "" decode --tsv --names
PELLAMAR_DUMPASN1_CFG=$work/names.cfg program=bash expect dumpasn1_name_as_input 1 "pellamarTestName${tab}2B 06 01 04 01 86 8D 1F 07" \
  "pellamar-cli: 2:1: The name \"twinName\" is ambiguous: it names \"1.3.6.1.4.1.99999.8\" (dumpasn1), \"1.3.6.1.4.1.99999.9\" (dumpasn1); give the identifier instead." \
  -c 'set -o pipefail; "$0" encode --tsv "$@" | cut -f1,2' "$cli" pellamarTestName twinName
expect dumpasn1_absent 0 "KwYBBAGGjR8H${tab}1.3.6.1.4.1.99999.7${tab}${unnamed7}
KwZj${tab}1.3.6.99${tab}${unnamed99}" "" decode --tsv --names
PELLAMAR_DUMPASN1_CFG=$work/damaged.cfg expect dumpasn1_damaged 0 "KwYBBAGGjR8H${tab}1.3.6.1.4.1.99999.7${tab}pellamarTestName${tab}${tab}dumpasn1${tab}${arc7} pellamarTestName(7) }
KwZj${tab}1.3.6.99${tab}${unnamed99}" "pellamar-cli: warning: $work/damaged.cfg:3: not an entry of dumpasn1's form, nor is 1 more line; the other names are used" \
  decode --tsv --names
PELLAMAR_DUMPASN1_CFG=$work/missing.cfg expect dumpasn1_missing 0 "KwYBBAGGjR8H${tab}1.3.6.1.4.1.99999.7${tab}${unnamed7}
KwZj${tab}1.3.6.99${tab}${unnamed99}" "pellamar-cli: warning: $work/missing.cfg: cannot be read; its names are left out" \
  decode --tsv --names
input=""

# With no variable set, dumpasn1's own file is found where the package
# puts it; indented lines with blanks after them are read; exactly one
# damaged line is warned of; a file that cannot be read is warned of; an
# ambiguous name shows three identifiers and how many more.
if [ -r /etc/dumpasn1/dumpasn1.cfg ]; then
  program=bash expect dumpasn1_default_file 0 "blowfishECB" "" \
    -c 'env -u PELLAMAR_DUMPASN1_CFG -u DUMPASN1_PATH HOME=/nonexistent "$0" decode --tsv --names KwYBBAGXVQEBAQ== | cut -f3' "$cli"
fi
printf '  OID = 1 3 6 1 4 1 99999 7  \n  Description = indentedName  \nnot an entry\n' >"$work/one-damaged.cfg"
PELLAMAR_DUMPASN1_CFG=$work/one-damaged.cfg expect dumpasn1_indented_and_one_damaged 0 \
  "KwYBBAGGjR8H${tab}1.3.6.1.4.1.99999.7${tab}indentedName${tab}${tab}dumpasn1${tab}${arc7} indentedName(7) }" \
  "pellamar-cli: warning: $work/one-damaged.cfg:3: not an entry of dumpasn1's form; the other names are used" \
  decode --tsv --names KwYBBAGGjR8H
PELLAMAR_DUMPASN1_CFG=$work expect dumpasn1_unreadable 0 "KwYBBAGGjR8H${tab}1.3.6.1.4.1.99999.7${tab}${unnamed7}" \
  "~^pellamar-cli: warning: $work: cannot be read" decode --tsv --names KwYBBAGGjR8H
for arc in 1 2 3 4 5; do
  printf 'OID = 1 3 6 1 4 1 99999 %s\nDescription = fiveTwins\n\n' "$arc"
done >"$work/five.cfg"
PELLAMAR_DUMPASN1_CFG=$work/five.cfg expect ambiguous_name_counts_the_rest 1 "" \
  "~^pellamar-cli: 1:1: The name \"fiveTwins\" is ambiguous: it names \"1\\.3\\.6\\.1\\.4\\.1\\.99999\\.[0-9]\" \\(dumpasn1\\), \"[0-9.]*\" \\(dumpasn1\\), \"[0-9.]*\" \\(dumpasn1\\) and 2 more; give the identifier instead\\.$" \
  encode fiveTwins

# Standard input: a carriage return dropped, blanks and tabs trimmed, empty
# lines skipped but counted, a last line without a line break read.
input=$' 2.16.840.1\t\r\n\n01.2\n2.5'
expect encode_standard_input 1 "2.16.840.1${tab}60 86 48 01${tab}YIZIAQ==${tab}06 04 60 86 48 01${tab}BgRghkgB
2.5${tab}55${tab}VQ==${tab}06 01 55${tab}BgFV" \
  "pellamar-cli: 3:1: The arc at position 1 starts with a zero; arcs are written without leading zeros." \
  encode --tsv
input=$'\n  \t\n'
expect blank_lines_only 0 "" "" encode
input=""
expect empty_operand 1 "" "pellamar-cli: 1:1: The operand is empty." encode ""
program=bash expect read_error 1 "" "pellamar-cli: cannot read the input: Is a directory" \
  -c '"$0" encode </' "$cli"
# The longest line kept is 65,536 characters, carriage return aside.
long=$(head -c 65532 /dev/zero | tr '\0' 'x')
input="1.2x${long}"$'\r\n'"1.2xx${long}"$'\n'"1.2${long}"$'\r\r\n'"1.2x${long}"$'\rX\n'
program=bash expect line_length_limit 1 "2A
2A" "pellamar-cli: 2:65537: The line is longer than 65536 characters, longer than any item, and was skipped.
pellamar-cli: 4:65537: The line is longer than 65536 characters, longer than any item, and was skipped." \
  -c 'set -o pipefail; "$0" encode --lenient --tsv | cut -f2' "$cli"
input=""

# Behaviours held at their boundaries: lower-case hexadecimal, the
# warnings, the advice to quote only for what looks like a dump, padding
# after a group of three, the places of faults in the octets.
expect hex_lower_case_padding 1 "" \
  "pellamar-cli: 1:9: The octet 80 at position 9 pads a subidentifier with a leading zero digit, which X.690 does not allow; --lenient reads it by its value." \
  decode --hex 2b06a1018001
expect hex_lower_case_lenient 0 "1.3.6.4225.1" "" decode --hex --lenient 2b06a1018001
expect hex_warning_lower_case 0 "2.1464170.1632186.127.7837" \
  "pellamar-cli: 1:1: warning: the text is hexadecimal octets too; it is read as Base64, and --hex would read \"1.2.840.113549\"." \
  decode 2a864886f70d
expect hex_warning_eight_digits 0 "2.11199.58.1631925" \
  "pellamar-cli: 1:1: warning: the text is hexadecimal octets too; it is read as Base64, and --hex would read \"1.2.840.1\"." \
  decode 2A864801
expect smallest_whole_encoding_warning 0 "0.6.1.42" \
  "pellamar-cli: 1:1: warning: these octets look like a whole DER encoding (tag 06, length 1); they are read as contents, and --der would read \"1.2\"." \
  decode BgEq
expect der_lenient_no_octets 1 "" \
  "pellamar-cli: 1:1: There are no octets, so there is no DER encoding to read." decode --der --lenient A
expect lenient_no_octets 1 "" \
  "pellamar-cli: 1:1: There are no octets, so there is no identifier to show." decode --lenient A
expect no_quoting_advice_for_non_hexadecimal 1 "" "pellamar-cli: 1:1: The character \"z\" at position 1 is not a hexadecimal digit.
pellamar-cli: 2:1: The character \"y\" at position 1 is not a hexadecimal digit." decode --hex zz yy
expect padding_after_three 1 "" \
  "pellamar-cli: 1:5: The \"=\" at position 5 is one too many: after 3 characters of a group of four, at most 1 \"=\" may follow." \
  decode KgM==
program=bash expect value_notation_and_blank_arcs_limits 1 "" "pellamar-cli: 1:9: The character \"m\" at position 9 cannot stand in value notation, which has numbers, and names with their numbers, separated by blanks.
pellamar-cli: 2:7: The arc at position 7 starts with a zero; arcs are written without leading zeros.
pellamar-cli: 3:9: The arc at position 9 starts with a zero; arcs are written without leading zeros.
pellamar-cli: 4:203: The identifier needs more than 100 octets: arc 102 (1 at position 203) no longer fits.
pellamar-cli: 5:3: The name \"iso\" at position 3 has no number in its parentheses; value notation writes iso(5).
pellamar-cli: 6:7: The number of \"iso\" at position 7 is not closed by \")\"." \
  -c '"$0" encode "$@"' "$cli" "{ iso(1)member-body(2) }" "{ 1 2 03 }" "1 2 840 0113549" \
  "1 2$(printf ' 1%.0s' $(seq 100))" "{ iso(" "{ iso(1"
expect one_octet_names 0 "member-body${tab}2A${tab}Kg==${tab}06 01 2A${tab}BgEq
X500${tab}55${tab}VQ==${tab}06 01 55${tab}BgFV" "" encode --tsv member-body X500
program=bash expect crlf_and_blank_first_line 0 "1.2.3${tab}2A 03
1.2${tab}2A" "" -c 'printf "1.2.3\r\n\n1.2\n" | "$0" encode --tsv | cut -f1,2' "$cli"

# Mended: names hold no character that acts on the terminal; a UUID only
# for 2.25.N; the names under joint-iso-itu-t stand alone; ASN.1
# identifiers as X.680 writes them; a UUID's fault where it is.
input=$'abc\033]0;pwned\007\n'
expect name_with_escape 1 "" \
  "pellamar-cli: 1:4: The control character U+001B ESCAPE at position 4 cannot stand in a name." encode
input=""
expect name_with_line_break 1 "" \
  "pellamar-cli: 1:3: The control character U+000A LINE FEED at position 3 cannot stand in a name." \
  encode $'ab\ncd'
expect no_uuid_below_uuid_arc 0 "2.25.5.7${tab}69 05 07${tab}aQUH${tab}06 03 69 05 07${tab}BgNpBQc=${tab}" "" \
  encode --tsv --uuid 2.25.5.7
expect no_uuid_line_below_uuid_arc 0 "2.25.5.7
2.25.25
  UUID             00000000-0000-0000-0000-000000000019" "" decode aQUH aRk=
expect joint_names_alone 1 "{ joint-iso-itu-t country 840 }${tab}60 86 48${tab}YIZI${tab}06 03 60 86 48${tab}BgNghkg=" \
  "pellamar-cli: 2:3: The name \"Iso\" at position 3 is not an ASN.1 identifier, which starts with a lower-case letter and has no hyphen at its end or next to another.
pellamar-cli: 3:3: The name \"i--so\" at position 3 is not an ASN.1 identifier, which starts with a lower-case letter and has no hyphen at its end or next to another." \
  encode --tsv "{ joint-iso-itu-t country 840 }" "{ Iso(1) 2 }" "{ i--so(1) 2 }"
expect uuid_cut_short 1 "" \
  "pellamar-cli: 1:44: The UUID ends at position 44 too early: a UUID is 32 hexadecimal digits in groups of 8-4-4-4-12, separated by hyphens." \
  encode urn:uuid:f81d4fae-7dec-11d0-a765-00a0c91e6bf

# JSON of any item: non-ASCII, quotes and backslashes, and 120,000
# controls, whose escapes are larger than an output block, after earlier
# output.
program=bash expect json_items 0 '"1.2é"
"1.2\"\\"
"1.2'$'\x7f''"
"1.2�A"' "" -c '"$0" encode --lenient --json "1.2é" "1.2\"\\" $'"'"'1.2\x7f'"'"' $'"'"'1.2\xffA'"'"' | python3 -c "
import json, sys
for line in sys.stdin:
    print(json.dumps(json.loads(line)[\"item\"], ensure_ascii=False))"' "$cli"
# A single short pair is no split dump: no advice to quote it. Input that
# arrives a byte at a time is read to its end.
expect single_pair_no_advice 1 "" \
  "pellamar-cli: 1:2: The octets end in the middle of the first subidentifier (the first two arcs): its last octet still has the top bit set, so the text looks cut off." \
  decode --hex 86
program=bash expect input_in_small_pieces 0 "1.2${tab}2A
1.3${tab}2B" "" -c '{ printf 1.2; sleep 0.3; printf "\n"; sleep 0.3; printf "1.3\n"; } | "$0" encode --tsv | cut -f1,2' "$cli"
program=bash expect json_large_items 0 "0.0 120000
1.2 3" "" -c '"$0" encode --lenient --json 1.2 "$(head -c 120000 /dev/zero | tr "\0" "\1")" 1.2 \
  2>/dev/null | python3 -c "
import json, sys
for line in sys.stdin:
    item = json.loads(line)
    if item[\"line\"] > 1:
        print(item[\"identifier\"], len(item[\"item\"]))"' "$cli"

# Lines are counted in characters: 40,000 two-byte characters are an item;
# a byte-order mark does not count.
input="$(head -c 40000 /dev/zero | sed 's/\x0/é/g')"$'\n'
expect line_of_wide_characters 1 "" \
  "pellamar-cli: 1:1: The character \"é\" at position 1 cannot stand in an identifier, which has only digits and full stops." \
  encode
input=$'\xef\xbb\xbf'"1.2$(head -c 65533 /dev/zero | tr '\0' ' ')"$'\n'"1.2$(head -c 65534 /dev/zero | tr '\0' ' ')"$'\n'
expect line_limit_after_byte_order_mark 1 "1.2${tab}2A${tab}Kg==${tab}06 01 2A${tab}BgEq" \
  "pellamar-cli: 2:65537: The line is longer than 65536 characters, longer than any item, and was skipped." \
  encode --tsv
input=""
# Out of memory is a failure, reported; a sanitizer's runtime alone needs
# more than the limit.
if ! ldd "$cli" | grep -q 'libasan'; then
  # The smallest limit, in steps of 100 KiB, at which the libraries load,
  # the loader has room for the first thread's storage, and the C++
  # runtime has the memory it keeps to throw when out of it.
  program=bash expect out_of_memory 1 "" "pellamar-cli: memory exhausted" -c '
    for limit in $(seq 4000 100 64000); do
      (ulimit -v "$limit"; "$0" encode 1.2 2>&1 >/dev/null) 2>/dev/null |
        grep -q "shared libraries\|TLS data\|terminate called" || break
    done
    ulimit -v "$limit"; "$0" encode 1.2' "$cli"
fi

# Advice to quote a split dump is given once, with the first failure.
expect split_dump_advised_once 1 "" \
  "pellamar-cli: 1:1: The octet 80 at position 1 pads a subidentifier with a leading zero digit, which X.690 does not allow; --lenient reads it by its value. Each operand is one item: to read a hexadecimal dump, quote it as one operand, as in pellamar-cli decode --hex '06 03 55 04 03'.
pellamar-cli: 2:1: The octet 80 at position 1 pads a subidentifier with a leading zero digit, which X.690 does not allow; --lenient reads it by its value." \
  decode --hex 80 80

# Relative identifiers (RELATIVE-OID): arcs as they are, the tag 0D.
expect relative_encoded 1 "8571.3.2 (relative)
  contents octets  C2 7B 03 02
  contents Base64  wnsDAg==
  DER octets       0D 04 C2 7B 03 02
  DER Base64       DQTCewMC
  value notation   { 8571 3 2 }
  C array          0xC2, 0x7B, 0x03, 0x02

0 (relative)
  contents octets  00
  contents Base64  AA==
  DER octets       0D 01 00
  DER Base64       DQEA
  value notation   { 0 }
  C array          0x00" "pellamar-cli: 3:3: The full stop at position 3 does not follow an arc: arcs are separated by single full stops." \
  encode --relative 8571.3.2 0 1..2
program=bash expect relative_for_scripts 0 "8571.3.2${tab}C2 7B 03 02${tab}wnsDAg==${tab}0D 04 C2 7B 03 02${tab}DQTCewMC
wnsDAg==${tab}8571.3.2
{\"line\":1,\"item\":\"DQPCewM=\",\"relative_identifier\":\"8571.3\",\"contents_hex\":\"C2 7B 03\",\"contents_base64\":\"wnsD\",\"der_hex\":\"0D 03 C2 7B 03\",\"der_base64\":\"DQPCewM=\",\"value_notation\":\"{ 8571 3 }\"}" "" \
  -c '"$0" encode --relative --tsv 8571.3.2 && "$0" decode --relative --tsv wnsDAg== &&
      "$0" decode --relative --der --json DQPCewM=' "$cli"
expect relative_der_needs_its_tag 1 "" "pellamar-cli: 1:1: The tag is 06, but the DER encoding of a relative identifier starts with the tag 0D.
pellamar-cli: 2:14: The octets end in the middle of arc 3: its last octet still has the top bit set, so the text looks cut off." \
  decode --relative --der --hex "06 02 C2 7B" "0D 03 01 02 83"

# The command line itself.
expect help 0 "~^Usage: pellamar-cli encode .*
Options:
  -h, --help          display this help and exit
  -v, --version       output version information and exit

encode: convert identifiers to octets and Base64
  --lenient           read dotted text as the Pellamar window does
  --relative          read relative identifiers \(RELATIVE-OID\), such as 8571.3.2
  --tsv               write one line of tab-separated fields per item
  --json              write one JSON object per item, one per line
  --names             with --tsv, add the name, and last the nearest name, its source, the enterprise and the named path
  --uuid              with --tsv, add the UUID of an identifier 2.25.N as a field
  --names-file FILE   read names from FILE too, before any other source

decode: convert Base64 or hexadecimal octets to identifiers
  --lenient           read octets as the Pellamar window does
  --relative          read relative identifiers \(RELATIVE-OID\), with --der under the tag 0D
  --hex               read hexadecimal pairs instead of Base64
  --der               read a whole DER encoding: tag 06, length, contents
  --tsv               write one line of tab-separated fields per item
  --json              write one JSON object per item, one per line
  --names             with --tsv, add the name, and last the nearest name, its source, the enterprise and the named path
  --uuid              with --tsv, add the UUID of an identifier 2.25.N as a field
  --names-file FILE   read names from FILE too, before any other source

names: list names that match, and where names come from
  --children          list the names one arc below each IDENTIFIER
  --sources           list the sources of names found, with their counts
  --names-only        match patterns against the names alone, not their descriptions
  --tsv               write one line of tab-separated fields per name
  --json              write one JSON object per name, one per line
  --names-file FILE   read names from FILE too, before any other source

scan: list the identifiers inside BER, DER, PEM or Base64 files, with their places
  --count             list each distinct identifier once, with how many times it was found
  --unknown           list only the identifiers that no source of names names
  --tsv               write one line of tab-separated fields per identifier
  --json              write one JSON object per identifier, one per line
  --names-file FILE   read names from FILE too, before any other source
.*Exit status:" "" --help
expect version 0 "~^pellamar-cli $version
" "" --version
expect no_command 2 "" "pellamar-cli: A subcommand is required
$usage"
expect unknown_command 2 "" "pellamar-cli: unknown command 'bogus'; the commands are encode, decode, names and scan
$usage" bogus
expect unknown_option 2 "" "pellamar-cli: The following argument was not expected: --bogus
$usage" encode --bogus 1.2
# An argument is text from outside: its controls are shown, not obeyed.
expect unknown_option_escaped 2 "" "pellamar-cli: The following argument was not expected: --bogus\\x1B[2J
$usage" encode $'--bogus\e[2J' 1.2
expect tsv_or_json 2 "" "~--tsv excludes --json" encode --tsv --json 1.2
expect relative_or_lenient 2 "" "~--lenient excludes --relative" decode --relative --lenient BgEr
expect sources_or_children 2 "" "~--children excludes --sources" names --sources --children 1.2
expect names_only_or_sources 2 "" "~--sources excludes --names-only" names --names-only --sources

# bash completes the commands, each command's own options (those its
# --help lists, which the program makes from the same table), and files.
completions() {
  bash -c 'source "$0"; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _pellamar_cli; echo "${COMPREPLY[*]}"' \
    "$completion" "$@"
}
options_of() {
  "$program" --help | sed -n "/^$1: /,/^\$/p" | grep -o '^  --[a-z-]*' | tr -d ' ' | tr '\n' ' '
  echo --help
}
: >"$work/completion.names"
for row in "|pellamar-cli |encode decode names scan --help --version" "|pellamar-cli en|encode" \
  "|pellamar-cli encode --|$(options_of encode)" "|pellamar-cli decode --|$(options_of decode)" \
  "|pellamar-cli names --|$(options_of names)" "|pellamar-cli scan --|$(options_of scan)" \
  "|pellamar-cli scan $work/completion.n|$work/completion.names" \
  "|pellamar-cli encode --names-file $work/completion.n|$work/completion.names" \
  "|pellamar-cli encode --l|--lenient" "|pellamar-cli encode --h|--help" "|pellamar-cli encode Ko|"; do
  IFS='|' read -r _ words wanted <<<"$row"
  read -ra typed <<<"$words"
  [[ $words == *" " ]] && typed+=("")
  got=$(completions "${typed[@]}")
  if [ "$got" = "$wanted" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED completion of '$words': '$got', expected '$wanted'"
  fi
done

# Every failed write is an error, however large the output.
input=$(seq 200 | sed 's/^/1.2./')
expect_write_failure small_output_to_full_disk full encode --tsv
input=$(seq 20000 | sed 's/^/1.2./')
expect_write_failure large_output_to_full_disk full encode --tsv
input=""
expect_write_failure help_to_closed_output closed --help
expect_write_failure version_to_full_disk full --version

# A file is written in large blocks: 20,000 lines (600 KB) take a few
# writes, not one a line.
if command -v strace >/dev/null; then
  seq 20000 | sed 's/^/1.2./' >"$work/lines"
  strace -e trace=write -o "$work/writes" "$program" encode --tsv <"$work/lines" >/dev/null 2>&1
  writes=$(grep -c '^write(1,' "$work/writes")
  if [ "$writes" -le 4 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED large_blocks: $writes writes for 20,000 lines, expected at most 4"
  fi
fi

# Answers come as lines arrive, not when the input ends.
fifo=$work/answers
mkfifo "$fifo"
{ printf 'KoZIhvcN\n'; sleep 3; } | "$program" decode --tsv >"$fifo" 2>&1 &
if read -r -t 2 answer <"$fifo" && [ "$answer" = "KoZIhvcN${tab}1.2.840.113549" ]; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAILED streaming: no answer within 2 seconds of the line"
fi
wait
finish
