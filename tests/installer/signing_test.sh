#!/usr/bin/env bash
# Signing with a throwaway self-signed certificate: the DLLs, the Windows 11
# packages of both processors and the setup carry signatures that
# osslsigncode verifies against it, and the packages' publisher is the
# certificate's subject as Windows writes it; a wrong password fails the
# build; without a certificate nothing is signed.
# Environment: LUMBRIX_INSTALLER_WORK, LUMBRIX_SETUP, LUMBRIX_PACKAGE_DLL,
# LUMBRIX_MSIX, LUMBRIX_PACKAGE_DLL_ARM64 and LUMBRIX_MSIX_ARM64 (empty in an
# x64-only build), LUMBRIX_PACKAGE_READER, LUMBRIX_MAKE_PACKAGE, LUMBRIX_ICON,
# LUMBRIX_VERSION.
set -uo pipefail
work=$LUMBRIX_INSTALLER_WORK
rm -rf "$work"
mkdir -p "$work"
failures=0
check() { if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi; }
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.out" 2>&1 || { cat "$work/verify.out"; return 1; }; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/C=JP/O=Orvane, Inc./CN=Lumbrix64 test signing" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/sign.pfx" -passout pass:'p w"d'

arm64=()
[ -n "${LUMBRIX_MSIX_ARM64:-}" ] && arm64=("$LUMBRIX_PACKAGE_DLL_ARM64")
export LUMBRIX_SIGN_PFX=$work/sign.pfx
check "the package builds with the certificate" env LUMBRIX_SIGN_PASSWORD='p w"d' \
    "$LUMBRIX_MAKE_PACKAGE" "$LUMBRIX_PACKAGE_DLL" "$LUMBRIX_ICON" "$LUMBRIX_VERSION" "$work/signed" "${arm64[@]}"
check "the DLL's signature verifies" verify "$work/signed/Lumbrix64.dll"
check "the Windows 11 package's signature verifies" verify "$work/signed/Lumbrix64-$LUMBRIX_VERSION-x64.msix"
check "its publisher is the subject, last part first, without the unsigned-package OID" \
    python3 "$LUMBRIX_PACKAGE_READER" "$work/signed/Lumbrix64-$LUMBRIX_VERSION-x64.msix" --version "$LUMBRIX_VERSION" \
        --arch x64 --publisher 'CN=Lumbrix64 test signing, O="Orvane, Inc.", C=JP'
if [ ${#arm64[@]} -gt 0 ]; then
    check "the ARM64 DLL's and the arm64 package's signatures verify, the package with that publisher" eval \
        'verify "$work/signed/arm64/Lumbrix64.dll" && verify "$work/signed/Lumbrix64-$LUMBRIX_VERSION-arm64.msix" &&
         python3 "$LUMBRIX_PACKAGE_READER" "$work/signed/Lumbrix64-$LUMBRIX_VERSION-arm64.msix" --version "$LUMBRIX_VERSION" \
             --arch arm64 --publisher "CN=Lumbrix64 test signing, O=\"Orvane, Inc.\", C=JP" >/dev/null'
fi
check "the setup's signature verifies" verify "$work/signed/Lumbrix64-$LUMBRIX_VERSION-setup.exe"
check "a wrong password fails the build" eval \
    '! LUMBRIX_SIGN_PASSWORD=wrong "$LUMBRIX_MAKE_PACKAGE" "$LUMBRIX_PACKAGE_DLL" "$LUMBRIX_ICON" "$LUMBRIX_VERSION" "$work/wrong" >/dev/null 2>&1'
unset LUMBRIX_SIGN_PFX
check "the default build signs nothing" eval \
    '(for file in "$LUMBRIX_SETUP" "$LUMBRIX_PACKAGE_DLL" "$LUMBRIX_MSIX" ${LUMBRIX_MSIX_ARM64:+"$LUMBRIX_PACKAGE_DLL_ARM64" "$LUMBRIX_MSIX_ARM64"}; do ! osslsigncode verify -in "$file" >/dev/null 2>&1 || exit 1; done)'

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
