#!/usr/bin/env bash
# Makes the Debian package of the build tree with CPack, in a temporary
# folder, and checks it: its file name, the files it installs (nothing
# outside /usr), its control fields (the libraries' packages that
# dpkg-shlibdeps found, ffmpeg recommended), that the packaged program runs,
# that its desktop entry and software catalogue entry validate and name
# each other, and that installed in a folder and purged it leaves nothing. Exits with 77, which ctest counts as skipped, where dpkg-deb or
# dpkg-shlibdeps is missing.
# Usage: package_test.sh CPACK BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
cpack=$1
build=$2
source=$3
version=$4

for tool in dpkg-deb dpkg-shlibdeps; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is not installed (Debian's dpkg and dpkg-dev): no package made"
        exit 77
    fi
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log" >&2
    echo "FAIL: cpack -G DEB did not make the package" >&2
    exit 1
fi
deb=$out/orbivex_${version}_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
    echo "FAIL: cpack made $(cd "$out" && echo *.deb), not ${deb##*/}" >&2
    exit 1
fi

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The files: the programs, what puts the viewer on a desktop, the manual
# pages (compressed), the copyright and the changelog, and every example the
# source tree has, all under /usr; the Python module where Debian's own are.
id=org.orbivex.Orbivex
files=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|')
expected=(/usr/bin/orbivex /usr/bin/orbivex-gen /usr/share/applications/$id.desktop
          /usr/share/icons/hicolor/scalable/apps/$id.svg /usr/share/mime/packages/$id.xml
          /usr/share/metainfo/$id.metainfo.xml /usr/share/man/man1/orbivex.1.gz /usr/share/man/man1/orbivex-gen.1.gz
          /usr/share/doc/orbivex/copyright /usr/share/doc/orbivex/changelog.gz)
if [ -f "$source/python/CMakeLists.txt" ]; then
    expected+=(/usr/lib/python3/dist-packages/orbivex/__init__.py)
fi
for example in "$source"/examples/*.{ovx,dat,csv,txt}; do
    expected+=("/usr/share/orbivex/examples/${example##*/}")
done
for file in "${expected[@]}"; do
    grep -qxF "$file" <<<"$files" || fail "the package lacks $file"
done
outside=$(grep -v '^/usr/' <<<"$files" || true)
[ -z "$outside" ] || fail "the package installs outside /usr: $outside"

# The control fields; Depends and Recommends as lists of package names.
field() { dpkg-deb -f "$deb" "$1"; }
names() { field "$1" | tr ',|' '\n\n' | sed 's/(.*//; s/[[:space:]]//g'; }
[ "$(field Package)" = orbivex ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Section)" = science ] || fail "Section is '$(field Section)'"
grep -Eq '^[^<]+ <[^@>]+@[^>]+>$' <<<"$(field Maintainer)" || fail "Maintainer is not 'name <address>'"
# No web address is invented: a build given none names none.
homepage=$(sed -n 's/^ORBIVEX_HOMEPAGE:STRING=//p' "$build/CMakeCache.txt")
[ "$(field Homepage)" = "$homepage" ] || fail "Homepage is '$(field Homepage)', not '$homepage'"
[ "$(field Description | wc -l)" -gt 2 ] || fail "the Description has no long text"
depends=$(names Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libstdc++6 fonts-dejavu-core; do
    grep -qxF "$package" <<<"$depends" || fail "Depends lacks $package: $(field Depends)"
done
recommends=(ffmpeg)
if [ -f "$source/python/CMakeLists.txt" ]; then
    recommends+=(python3 python3-numpy)
fi
for package in "${recommends[@]}"; do
    grep -qxF "$package" <<<"$(names Recommends)" || fail "Recommends lacks $package: $(field Recommends)"
done

# The packaged (stripped) program runs.
root=$out/root
dpkg-deb -x "$deb" "$root"
[ "$("$root/usr/bin/orbivex" --version)" = "Orbivex $version" ] || fail "the packaged orbivex does not run"

# The menu entry and the catalogue entry validate, and the catalogue names
# the entry, the programs, the file type and this version.
entry=$root/usr/share/applications/$id.desktop
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate refuses the entry"
else
    echo "desktop-file-validate is not installed (desktop-file-utils): the entry was not validated"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" >"$out/validate.log" 2>&1 \
        || fail "appstreamcli refuses the metainfo: $(cat "$out/validate.log")"
else
    echo "appstreamcli is not installed (appstream): the metainfo was not validated"
fi
xpath() { xmllint --xpath "$1" "$metainfo"; }
[ "$(xpath 'string(/component/id)')" = "$id" ] || fail "the metainfo's id is not $id"
[ "$(xpath 'string(/component/launchable)')" = "$id.desktop" ] || fail "the metainfo launches another entry"
[ "$(xpath 'string(/component/releases/release[1]/@version)')" = "$version" ] \
    || fail "the metainfo's latest release is not $version"
for binary in $(xpath '/component/provides/binary/text()'); do
    [ -x "$root/usr/bin/$binary" ] || fail "the metainfo provides $binary, which the package lacks"
done
[ "$(xpath '/component/provides/mediatype/text()' | tr '\n' ';')" = "$(sed -n 's/^MimeType=//p' "$entry")" ] \
    || fail "the metainfo's file types are not the entry's"

[ -n "$homepage" ] || [ -z "$(xpath '//url | //screenshot')" ] || fail "the metainfo names an address"

# The copyright file is Debian's machine-readable form, under the project's
# licence; the changelog's latest entry is this version.
copyright=$root/usr/share/doc/orbivex/copyright
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" \
    || fail "the copyright file is not in the machine-readable form"
grep -qx 'License: GPL-3+' "$copyright" || fail "the copyright file names another licence"
[ "$(zcat "$root/usr/share/doc/orbivex/changelog.gz" | head -1 | sed 's/^orbivex (\([^)]*\)).*/\1/')" = "$version" ] \
    || fail "the changelog's latest entry is not $version"

# Installed into a folder of its own and purged, the package leaves nothing
# behind, not even the module's compiled files, which Python writes beside
# it when one who may write there (root, on a system) imports it. dpkg runs
# the maintainer scripts outside a chroot, naming the folder in DPKG_ROOT.
if [ -f "$source/python/CMakeLists.txt" ] && command -v python3 >/dev/null; then
    installed=$out/installed
    mkdir -p "$installed/var/lib/dpkg/info" "$installed/var/lib/dpkg/updates"
    : >"$installed/var/lib/dpkg/status"
    in_folder() {
        dpkg --root="$installed" --force-script-chrootless --force-not-root --force-depends --log=/dev/null "$@" \
            >>"$out/dpkg.log" 2>&1
    }
    module=$installed/usr/lib/python3/dist-packages/orbivex
    if ! in_folder -i "$deb"; then
        fail "dpkg does not install the package into a folder: $(cat "$out/dpkg.log")"
    elif ! python3 -m compileall -q "$module" || [ -z "$(ls -A "$module/__pycache__" 2>/dev/null)" ]; then
        fail "python3 compiled nothing of the installed module"
    elif ! in_folder --purge orbivex; then
        fail "dpkg --purge fails: $(cat "$out/dpkg.log")"
    else
        left=$(cd "$installed" && find . -path ./var -prune -o ! -name . -print)
        [ -z "$left" ] || fail "dpkg --purge leaves $(wc -l <<<"$left") files and folders: $left"
    fi
fi

# Debian's checker finds no error (its warnings are printed).
if command -v lintian >/dev/null; then
    lintian "$deb" >"$out/lintian.log" 2>&1 || true
    cat "$out/lintian.log"
    ! grep -q '^E: ' "$out/lintian.log" || fail "lintian reports errors: $(grep '^E: ' "$out/lintian.log")"
else
    echo "lintian is not installed: the package was not checked by it"
fi

if ((failures > 0)); then
    exit 1
fi
echo "made and checked ${deb##*/}: $(grep -c . <<<"$files") entries; Depends: $(field Depends)"
