#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks what puts the
# viewer on a desktop: the program, its menu entry, icon, file type,
# software catalogue entry and manual page, each where desktops and man
# look, and naming each other consistently; and the examples, complete and
# opening from where they were installed.
# Usage: install_test.sh CMAKE BUILD_DIR VERSION SOURCE_DIR
set -euo pipefail
cmake=$1
build=$2
version=$3
source=$4

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

id=org.orbivex.Orbivex
program=$prefix/bin/orbivex
entry=$prefix/share/applications/$id.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/$id.svg
mime=$prefix/share/mime/packages/$id.xml
manual=$prefix/share/man/man1/orbivex.1.gz
metainfo=$prefix/share/metainfo/$id.metainfo.xml
examples=$prefix/share/orbivex/examples
for file in "$program" "$entry" "$icon" "$mime" "$manual" "$metainfo"; do
    [ -f "$file" ] || fail "not installed: ${file#"$prefix"/}"
done
((failures == 0)) || exit 1

# The program runs from where it was installed.
[ "$("$program" --version)" = "Orbivex $version" ] || fail "installed orbivex --version does not say $version"

# The menu entry is valid and names the installed program, icon and file type.
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate refuses the entry"
else
    echo "desktop-file-validate is not installed: entry not validated"
fi
value() { sed -n "s/^$1=//p" "$entry"; }
[ "$(value Exec | cut -d' ' -f1)" = orbivex ] || fail "Exec does not start orbivex"
[ "$(value Icon)" = "$id" ] || fail "Icon is not $id"
case "$(value MimeType)" in
    application/x-orbivex-config\;*text/csv\;*) ;;
    *) fail "MimeType does not offer the configuration type first, and tables" ;;
esac

# The icon and the file type are well-formed XML; the type claims *.ovx.
xmllint --noout "$icon" || fail "the icon is not well-formed"
xmllint --noout "$mime" || fail "the file type is not well-formed"
glob=$(xmllint --xpath "string(//*[local-name()='mime-type'][@type='application/x-orbivex-config']/*[local-name()='glob']/@pattern)" "$mime")
[ "$glob" = "*.ovx" ] || fail "the file type's glob is '$glob', not *.ovx"
if command -v update-mime-database >/dev/null; then
    # The database a desktop builds from the folder maps *.ovx to the type.
    XDG_DATA_DIRS=$prefix/share update-mime-database "$prefix/share/mime"
    grep -q ':application/x-orbivex-config:\*\.ovx' "$prefix/share/mime/globs2" \
        || fail "update-mime-database does not map *.ovx to application/x-orbivex-config"
else
    echo "update-mime-database is not installed: the type was not registered"
fi

# The catalogue entry is well-formed (the package test validates what it says).
xmllint --noout "$metainfo" || fail "the metainfo is not well-formed"

# Every example is installed, with the data file each configuration names
# beside it, and an installed one opens from another folder.
for example in "$source"/examples/*.{ovx,dat,csv,txt}; do
    [ -f "$examples/${example##*/}" ] || fail "example not installed: ${example##*/}"
done
for config in "$examples"/*.ovx; do
    data=$(sed -n '1s/^[^=]*= *//p' "$config" | tr -d '\r')
    [ -f "$examples/$data" ] || fail "${config##*/} names $data, which is not installed beside it"
done
(cd "$prefix" && QT_QPA_PLATFORM=offscreen "$program" --render "$prefix/example.png" --ticks 5 \
    "$examples/inner-planets-named.ovx") || fail "the installed inner-planets-named.ovx does not render"

# The manual page, compressed, formats without warnings and covers every option --help lists.
warnings=$(zcat "$manual" | groff -man -ww -z 2>&1)
[ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"
page=$(zcat "$manual" | groff -man -Tascii -P-cbou)
grep -Fq "Orbivex $version" <<<"$page" || fail "the manual page does not carry version $version"
for option in $("$program" --help | grep -o -- '--[a-z]*' | sort -u); do
    grep -Fqw -- "$option" <<<"$page" || fail "the manual page does not describe $option"
done

if ((failures > 0)); then
    exit 1
fi
echo "installed and checked: bin/orbivex, the desktop entry, icon, file type, metainfo, manual page and examples"
