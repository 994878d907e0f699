# Writes `lines` identifiers under the arcs that real lists use (PKIX, PKCS,
# X.500, LDAP, SNMP, enterprise numbers, UUIDs), each with one to five more
# arcs of the sizes found there, the same each time:
#   awk -v lines=1000000 -f bench/real_looking_identifiers.awk
BEGIN {
  srand(20261208)
  split("1.3.6.1.5.5.7 1.3.6.1.5.5.7.48 2.5.29 2.5.4 1.2.840.113549.1.1 1.2.840.113549.1.9.16.2 " \
        "1.2.840.10045.4.3 1.3.132.0 2.16.840.1.101.3.4.2 0.9.2342.19200300.100.1 " \
        "1.3.6.1.4.1.1466.115.121.1 1.3.6.1.2.1.2.2.1 1.3.6.1.6.3.1.1.5 1.3.6.1.4.1.311.21 " \
        "1.3.6.1.4.1.11129.2.4 2.16.840.1.113730.1 1.3.6.1.4.1 2.25", prefixes, " ")
  n = length(prefixes)
  for (i = 0; i < lines; i++) {
    id = prefixes[int(rand() * n) + 1]
    arcs = int(rand() * 5) + 1
    for (a = 0; a < arcs; a++) {
      r = rand()
      if (r < 0.6) id = id "." int(rand() * 128)
      else if (r < 0.9) id = id "." int(rand() * 65536)
      else id = id "." int(rand() * 2147483648)
    }
    print id
  }
}
