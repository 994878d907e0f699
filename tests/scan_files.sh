# Makes, in the current folder, the files that the scan tests read: files
# that OpenSSL writes as a user would make them (a certificate with
# extensions and policies, a request, a CRL, a PKCS#12 bundle, a CMS
# signature, an OCSP request), hand-made and damaged encodings, and PEM and
# Base64 texts. Sourced by each test that scans them; make_scan_files fails,
# saying why, when OpenSSL cannot make its files.

# The files made, each a test's input.
scan_files=(cert.der cert.pem request.pem crl.pem bundle.p12 signature.der ocsp-request.der
  indefinite.ber high-tags.ber nested.ber beyond.ber trailing.ber deep.ber bad-identifier.ber
  good.der cut.pem no-end.pem encrypted.pem label.pem letter.pem override.b64 many.der far.der
  bad.pem)

make_scan_files() {
  cat >ca.cnf <<'EOF'
[req]
distinguished_name = dn
x509_extensions = v3
prompt = no
[dn]
C = GB
O = Pellamar Tests
CN = Test CA
[v3]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign, digitalSignature
extendedKeyUsage = serverAuth, clientAuth, 1.3.6.1.4.1.99999.7
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = DNS:example.org, email:ca@example.org
authorityInfoAccess = OCSP;URI:http://ocsp.example.org, caIssuers;URI:http://example.org/ca.crt
crlDistributionPoints = URI:http://example.org/ca.crl
certificatePolicies = 2.23.140.1.2.1, @policy
1.3.6.1.4.1.99999.1 = ASN1:SEQUENCE:private
[policy]
policyIdentifier = 1.3.6.1.4.1.99999.2
CPS.1 = http://example.org/cps
userNotice.1 = @notice
[notice]
explicitText = Tests only
[private]
kind = OID:1.3.6.1.4.1.99999.3
part = RELATIVE_OID_PLACEHOLDER
[ca]
default_ca = test
[test]
database = index.txt
crlnumber = crlnumber
default_md = sha256
default_crl_days = 30
EOF
  sed -i 's/^part = .*/part = INTEGER:7/' ca.cnf
  touch index.txt
  echo 01 >crlnumber
  made=true
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout key.pem -out cert.pem \
    -days 30 -set_serial 7 -config ca.cnf 2>/dev/null || made=false
  openssl x509 -in cert.pem -outform DER -out cert.der 2>/dev/null || made=false
  openssl req -new -key key.pem -subj "/CN=Request" -addext "subjectAltName=DNS:request.example.org" \
    -out request.pem 2>/dev/null || made=false
  openssl ca -gencrl -config ca.cnf -keyfile key.pem -cert cert.pem -out crl.pem 2>/dev/null || made=false
  openssl pkcs12 -export -in cert.pem -inkey key.pem -passout pass:tests -out bundle.p12 2>/dev/null ||
    made=false
  printf 'Signed text\n' >message.txt
  openssl cms -sign -in message.txt -signer cert.pem -inkey key.pem -outform DER -out signature.der \
    2>/dev/null || made=false
  openssl ocsp -issuer cert.pem -cert cert.pem -reqout ocsp-request.der 2>/dev/null || made=false
  if ! $made; then
    echo "FAILED: openssl could not make the test files"
    return 1
  fi

  # Hand-made encodings: indefinite lengths, high tag numbers, wrapping
  # within wrapping, a depth beyond the limit, a length beyond the input,
  # trailing data, a RELATIVE-OID.
  hand() { printf '%b' "$2" >"$1"; }
  hand indefinite.ber '\x30\x80\x31\x80\x06\x03\x2a\x03\x04\x00\x00\x24\x80\x04\x03\x06\x01\x2b\x00\x00\x00\x00'
  hand high-tags.ber '\xbf\x81\x00\x05\x06\x03\x55\x1d\x0f\x5f\x81\x82\x03\x01\x02\x06\x01\x2b'
  hand nested.ber '\x04\x0c\x04\x0a\x03\x08\x00\x30\x05\x0d\x03\xc2\x7b\x03'
  hand beyond.ber '\x30\x10\x06\x03\x2a\x03\x04\x04\x05\x06\x01\x2b'
  hand trailing.ber '\x06\x03\x2a\x03\x04\x0a\x01'
  for level in $(seq 70); do printf '\x30\x80'; done >deep.ber
  printf '\x06\x01\x2a' >>deep.ber
  hand bad-identifier.ber '\x06\x02\x80\x01\x06\x01\x2b'

  # Texts and encodings that single rows read.
  printf '\x30\x03\x06\x01\x2A' >good.der
  printf -- '-----BEGIN A-----\nMAwECjAGBgQqAwQFBQ==\n-----END A-----\n-----BEGIN B-----\nBgEr\n-----END B-----\n' >cut.pem
  head -n 2 cut.pem >no-end.pem
  openssl genrsa -traditional -aes128 -passout pass:x 512 2>/dev/null >encrypted.pem
  { printf '%600s\n' "" | tr ' ' '#'; printf -- '-----BEGIN EVIL\e]0;pwned\a\e[2J LABEL-----\nBgEr\n-----END EVIL-----\n'; } >label.pem
  printf -- '-----BEGIN A-----\nBg\xc3\xa9r\n-----END A-----\n' >letter.pem
  printf 'BgEr\nBg\xe2\x80\xaer\n' >override.b64
  python3 -c 'import sys; sys.stdout.buffer.write(bytes.fromhex("06012a") * 123456)' >many.der
  python3 -c 'import sys; sys.stdout.buffer.write(bytes.fromhex("04840098968a") + bytes(10000010) + bytes.fromhex("06012a"))' >far.der
  printf -- '-----BEGIN CERTIFICATE-----\nBgEr\nAS*G\n-----END CERTIFICATE-----\nsome text\n-----BEGIN X-----\nBgEr\n-----END X-----\n' >bad.pem
}

# Every cut of the certificate (cuts/LENGTH), and every octet of it flipped
# in its top bit and in its lowest (flips/INDEX-MASK).
make_cuts_and_flips() {
  local size
  size=$(stat -c %s cert.der)
  mkdir cuts flips
  for length in $(seq 2 $((size - 1))); do head -c "$length" cert.der >"cuts/$length"; done
  python3 - cert.der flips <<'PYTHON'
import sys
data = open(sys.argv[1], "rb").read()
for index in range(len(data)):
    for mask in (0x80, 0x01):
        damaged = bytearray(data)
        damaged[index] ^= mask
        open(f"{sys.argv[2]}/{index}-{mask}", "wb").write(damaged)
PYTHON
}
