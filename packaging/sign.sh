#!/usr/bin/env bash
# Signs a Windows program or DLL in place with osslsigncode: the certificate
# and key in the PFX file LUMBRIX_SIGN_PFX, its password in LUMBRIX_SIGN_PASSWORD
# (read through a pipe, never on a command line), SHA-256, and a time stamp
# from LUMBRIX_SIGN_TIMESTAMP_URL when set.
set -euo pipefail
file=$1
timestamp=()
[ -n "${LUMBRIX_SIGN_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$LUMBRIX_SIGN_TIMESTAMP_URL")
sign() { osslsigncode sign -pkcs12 "$LUMBRIX_SIGN_PFX" "$@" -h sha256 -n Lumbrix64 "${timestamp[@]}" \
    -in "$file" -out "$file.signed" >/dev/null; }
if [ -n "${LUMBRIX_SIGN_PASSWORD:-}" ]; then
    sign -readpass <(printf '%s' "$LUMBRIX_SIGN_PASSWORD")
else
    sign -pass '' # osslsigncode cannot read an empty password from a file; an empty one gives nothing away
fi
mv -f "$file.signed" "$file"
