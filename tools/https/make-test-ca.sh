#!/bin/sh
# Makes a throw-away certificate authority and a server certificate for
# localhost / 127.0.0.1 in DIR (default: build/https). Test use only.
set -e
dir="${1:-$(dirname "$0")/../../build/https}"
mkdir -p "$dir"
cd "$dir"
[ -f server.pem ] && [ -f ca.pem ] && exit 0
openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Tovra Test CA" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout ca.key -out ca.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout server.key -out server.csr 2>/dev/null
printf 'subjectAltName=DNS:localhost,DNS:127.0.0.1,IP:127.0.0.1\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' > server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 \
    -extfile server.ext -out server.crt 2>/dev/null
cat server.crt server.key > server.pem
rm -f server.csr server.ext
