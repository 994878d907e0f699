#!/usr/bin/env bash
# pellamar-cli as scripts use it: items from operands and from standard
# input, the output formats, every way an item is refused with its line and
# column, and the exit statuses. Arguments: the program, its version.
set -u
program=$1
version=$2
source "$(dirname "$0")/program_expectations.sh"

tab=$'\t'
usage="Usage: pellamar-cli encode [--lenient] [--tsv] [--names] [IDENTIFIER...]
   or: pellamar-cli decode [--lenient] [--hex] [--der] [--tsv] [--names] [TEXT...]
   or: pellamar-cli --help | --version
Try 'pellamar-cli --help' for more information."

# Output for people, and for scripts.
expect encode_for_people 0 "1.2.840.113549 rsadsi (RSA Data Security, Inc.)
  contents octets  2A 86 48 86 F7 0D
  contents Base64  KoZIhvcN
  DER octets       06 06 2A 86 48 86 F7 0D
  DER Base64       BgYqhkiG9w0=" "" encode 1.2.840.113549
expect encode_tsv_with_names_and_prefixes 0 \
  "urn:OID:2.5.4.3${tab}55 04 03${tab}VQQD${tab}06 03 55 04 03${tab}BgNVBAM=${tab}CN
.1.3.6.1${tab}2B 06 01${tab}KwYB${tab}06 03 2B 06 01${tab}BgMrBgE=${tab}IANA
2.999.1${tab}88 37 01${tab}iDcB${tab}06 03 88 37 01${tab}BgOINwE=${tab}" \
  "" encode --tsv --names urn:OID:2.5.4.3 .1.3.6.1 2.999.1
expect decode_for_people 0 "1.2.840.113549 rsadsi (RSA Data Security, Inc.)
2.999.1" "" decode KoZIhvcN iDcB
expect decode_tsv_with_names 0 "KoZIhvcN${tab}1.2.840.113549${tab}rsadsi" "" decode --tsv --names KoZIhvcN

# Standard input: a carriage return dropped, blanks and tabs trimmed, empty
# lines skipped but counted, a last line without a line break read.
input=$' 2.16.840.1\t\r\n\n01.2\n2.5'
expect encode_standard_input 1 "2.16.840.1${tab}60 86 48 01${tab}YIZIAQ==${tab}06 04 60 86 48 01${tab}BgRghkgB
2.5${tab}55${tab}VQ==${tab}06 01 55${tab}BgFV" \
  "pellamar-cli: 3:1: The arc at position 1 starts with a zero; arcs are written without leading zeros." \
  encode --tsv
input=$(head -c 70000 /dev/zero | tr '\0' '1')$'\nKoZI'
expect line_too_long 1 "KoZI${tab}1.2.840" \
  "pellamar-cli: 1:65537: The line is longer than 65536 characters, longer than any item, and was skipped." \
  decode --tsv
input=""

# Strict reading refuses what the window would read as another identifier;
# the column counts the blanks before the item.
expect strict_rejections 1 "" "pellamar-cli: 1:5: The full stop at position 5 does not follow an arc: arcs are separated by single full stops.
pellamar-cli: 2:4: The identifier ends with a full stop at position 4, where another arc should follow.
pellamar-cli: 3:1: The identifier has only one arc at position 1; it needs at least two.
pellamar-cli: 4:8: The character \"x\" at position 6 cannot stand in an identifier, which has only digits and full stops.
pellamar-cli: 5:5: The character \"+\" at position 5 cannot stand in an identifier, which has only digits and full stops.
pellamar-cli: 6:7: The character \"é\" at position 7 cannot stand in an identifier, which has only digits and full stops.
pellamar-cli: 7:9: The first arc is 3 (at position 9), but it must be 0, 1 or 2.
pellamar-cli: 8:5: The arc 99999999999 at position 5 is larger than 2147483647.
pellamar-cli: 9:1: The operand is empty.
pellamar-cli: 10:2: The identifier has no arcs after its prefix." \
  encode 1.2..3 1.2. 1 "  1.2.8x40" "1.2.+5" "1.2.84é0" urn:oid:3.5 1.2.99999999999 "" .
expect lenient_reads_as_the_window 0 "2.16.8x40.1${tab}60 08 01${tab}YAgB${tab}06 03 60 08 01${tab}BgNgCAE=
5${tab}05${tab}BQ==${tab}06 01 05${tab}BgEF" "" encode --lenient --tsv 2.16.8x40.1 5

# Decoding: padding octets, hexadecimal, whole DER encodings.
expect padding_octet_refused 1 "" \
  "pellamar-cli: 1:2: The octet 80 at position 2 pads a subidentifier with a leading zero digit, which X.690 does not allow; --lenient reads it by its value." \
  decode KoCGSA==
expect padding_octet_lenient 0 "1.2.840" "" decode --lenient KoCGSA==
expect hex 1 "1.2.840 ISO-US (ISO US Member Body)
1.2.840 ISO-US (ISO US Member Body)" "pellamar-cli: 3:4: The hexadecimal digit \"8\" at position 4 has no partner: every octet is a pair of digits." \
  decode --hex "2a:86:48" "2A8648" "2A 8"
expect der 1 "2.5.4.3 CN (commonName)
2.5.4.3 CN (commonName)" "pellamar-cli: 3:1: The tag is 30, but the DER encoding of an object identifier starts with the tag 06.
pellamar-cli: 4:4: The length is 4, but 3 octets of contents follow it.
pellamar-cli: 5:4: The length octet 81 opens a long-form length, but DER writes a length below 128 in one octet.
pellamar-cli: 6:4: The length octet is 80, the indefinite form, which DER does not allow.
pellamar-cli: 7:1: The octets end after the tag 06, where the length should follow.
pellamar-cli: 8:4: The length is 0, but the contents of an identifier take at least one octet.
pellamar-cli: 9:7: The octet 80 at position 7 pads a subidentifier with a leading zero digit, which X.690 does not allow; --lenient reads it by its value." \
  decode --der --hex "06 03 55 04 03" "06:03:55:04:03" "30 03 55 04 03" "06 04 55 04 03" "06 81 03 55 04 03" \
  "06 80" "06" "06 00" "06 02 80 01"
expect der_base64 0 "2.5.4.3 CN (commonName)" "" decode --der BgNVBAM=
expect whole_encoding_without_der 0 "0.6.3.85.4.3" \
  "pellamar-cli: 1:1: warning: these octets look like a whole DER encoding (tag 06, length 3); they are read as contents, and --der would read 2.5.4.3." \
  decode BgNVBAM=

# The command line itself.
expect help 0 "~^Usage: pellamar-cli encode .*Exit status:" "" --help
expect version 0 "~^pellamar-cli $version
" "" --version
expect no_command 2 "" "pellamar-cli: A subcommand is required
$usage"
expect unknown_command 2 "" "pellamar-cli: unknown command 'bogus'; the commands are encode and decode
$usage" bogus
expect unknown_option 2 "" "pellamar-cli: The following argument was not expected: --bogus
$usage" encode --bogus 1.2
finish
