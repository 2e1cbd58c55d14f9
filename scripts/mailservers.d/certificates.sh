# A throw-away certificate authority and the servers' certificate it signs,
# for localhost and 127.0.0.1, written into $dir/tls. Sourced by
# scripts/mailservers.

make_certificates() {
  local tls=$dir/tls
  mkdir -p "$tls"
  (
    cd "$tls"
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 30 \
      -subj "/CN=Penvale test authority" -keyout ca.key -out ca.pem
    openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
      -subj "/CN=localhost" -keyout server.key -out server.csr
    printf '%s\n' "subjectAltName = DNS:localhost, IP:127.0.0.1" \
      "basicConstraints = CA:FALSE" "keyUsage = digitalSignature" "extendedKeyUsage = serverAuth" > server.ext
    openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 \
      -extfile server.ext -out server.pem
  ) >"$tls/openssl.log" 2>&1 || fail "openssl could not make the certificates; see $tls/openssl.log"
  chmod 600 "$tls/ca.key" "$tls/server.key"
  chmod 644 "$tls/ca.pem"
}
