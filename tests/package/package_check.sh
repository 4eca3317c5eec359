#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the binary package as `make deb` does, without running the tests a
# second time (they run in this build's CTest), so lintian passes it with no
# error and no warning; then checks that it holds the program, the launcher,
# the desktop entry, the icons, the metadata, the manual pages and the
# completion. Skipped (77) when the packaging tools are missing.
#   package_check.sh SOURCE_DIR OUT_DIR
set -eu
source="$1"
out="$2"
for tool in dpkg-buildpackage dh lintian; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
start=$(date +%s)
DEB_BUILD_OPTIONS="nocheck parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}" \
    "$source/scripts/build-deb" "$out" >"$out.log" 2>&1 || { tail -n 60 "$out.log"; exit 1; }
deb=$(ls "$out"/vellora-carnetique-97_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for path in \
    ./usr/bin/vellora-carnetique-97 \
    ./usr/bin/vellora-carnetique-97-launcher \
    ./usr/share/applications/io.github.vellora.carnetique97.desktop \
    ./usr/share/icons/hicolor/scalable/apps/io.github.vellora.carnetique97.svg \
    ./usr/share/icons/hicolor/48x48/apps/io.github.vellora.carnetique97.png \
    ./usr/share/metainfo/io.github.vellora.carnetique97.metainfo.xml \
    ./usr/share/man/man1/vellora-carnetique-97.1.gz \
    ./usr/share/man/man1/vellora-carnetique-97-launcher.1.gz \
    ./usr/share/bash-completion/completions/vellora-carnetique-97 \
    ./usr/share/doc/vellora-carnetique-97/copyright; do
    printf '%s\n' "$contents" | grep -qx -- "$path" || { echo "FAIL: $deb lacks $path"; exit 1; }
done
# The dependencies come from the libraries the program links.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libicu fonts-dejavu-core; do
    case "$depends" in *"$library"*) ;; *) echo "FAIL: Depends lacks $library: $depends"; exit 1 ;; esac
done
echo "package: $(basename "$deb") built and lintian-clean in $(($(date +%s) - start)) s"
