#!/usr/bin/env bash
# Checks what a user installs, with the platform's own validators.
#   check_packaging.sh install BUILD_DIR  install into a DESTDIR, check the tree and its files
#   check_packaging.sh deb BUILD_DIR      build the .deb, check its fields and contents, run it,
#                                         and let lintian judge it
# The environment names the expected version, desktop id and MIME type, and the
# cmake and cpack to use.
set -euo pipefail

mode="$1"
build="$(cd "$2" && pwd)"
: "${QUORVEX_VERSION:?}" "${QUORVEX_APP_ID:?}" "${QUORVEX_MIME_TYPE:?}"
CMAKE_COMMAND="${CMAKE_COMMAND:-cmake}"
CPACK_COMMAND="${CPACK_COMMAND:-cpack}"
id="$QUORVEX_APP_ID"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A program that ignored --version would open its window and wait; never wait long.
run_offscreen() { QT_QPA_PLATFORM=offscreen timeout 10 "$@"; }

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Every file the install holds, relative to the prefix; nothing else may be there.
expected_files() {
    printf '%s\n' \
        bin/quorvex \
        bin/quorvex-plot \
        "share/applications/$id.desktop" \
        "share/icons/hicolor/128x128/apps/$id.png" \
        "share/icons/hicolor/32x32/apps/$id.png" \
        "share/icons/hicolor/48x48/apps/$id.png" \
        "share/icons/hicolor/64x64/apps/$id.png" \
        "share/icons/hicolor/scalable/apps/$id.svg" \
        share/doc/quorvex/changelog.gz \
        share/doc/quorvex/copyright \
        share/man/man1/quorvex-plot.1.gz \
        share/man/man1/quorvex.1.gz \
        "share/metainfo/$id.metainfo.xml" \
        "share/mime/packages/$id.xml" |
        LC_ALL=C sort
}

check_tree() { # ROOT of the /usr tree
    local actual
    actual="$(cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)"
    if [ "$actual" != "$(expected_files)" ]; then
        fail "installed files differ from the expected list:"
        diff <(expected_files) <(printf '%s\n' "$actual") >&2 || true
    fi
    for program in quorvex quorvex-plot; do
        [ -x "$1/bin/$program" ] || fail "bin/$program is not executable"
    done
}

check_versions() { # ROOT of the /usr tree
    local out
    out="$(run_offscreen "$1/bin/quorvex-plot" --version)" ||
        fail "quorvex-plot --version failed"
    [ "$out" = "quorvex-plot $QUORVEX_VERSION" ] || fail "quorvex-plot --version said '$out'"
    out="$(run_offscreen "$1/bin/quorvex" --version)" || fail "quorvex --version failed"
    [ "$out" = "quorvex $QUORVEX_VERSION" ] || fail "quorvex --version said '$out'"
    # With no display to reach, creating the application would abort: the answer
    # must come before it.
    out="$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 10 "$1/bin/quorvex" --version 2>&1)" ||
        fail "quorvex --version needs a display"
    [ "$out" = "quorvex $QUORVEX_VERSION" ] || fail "quorvex --version without a display said '$out'"
}

check_desktop_entry() { # ROOT of the /usr tree
    local entry="$1/share/applications/$id.desktop" report line
    # Hints are advice (the required categories name two main ones); warnings and errors fail.
    report="$(desktop-file-validate "$entry" 2>&1)" || fail "desktop-file-validate failed: $report"
    if grep -v ': hint: ' <<<"$report" | grep -q .; then
        fail "desktop-file-validate: $report"
    fi
    for line in 'Type=Application' 'Name=Quorvex' 'Exec=quorvex %f' "Icon=$id" 'Terminal=false' \
        'Categories=Education;Science;Geoscience;' "MimeType=$QUORVEX_MIME_TYPE;text/plain;"; do
        grep -qxF "$line" "$entry" || fail "desktop entry lacks '$line'"
    done
    for key in GenericName Comment; do
        grep -q "^$key=." "$entry" || fail "desktop entry lacks $key"
    done
    # The menu's MIME cache must send the data files to this entry, and offer
    # it for any text file.
    mkdir -p "$work/applications"
    cp "$entry" "$work/applications/"
    update-desktop-database "$work/applications"
    for type in "$QUORVEX_MIME_TYPE" text/plain; do
        grep -qxF "$type=$id.desktop;" "$work/applications/mimeinfo.cache" ||
            fail "update-desktop-database does not map $type to $id.desktop"
    done
}

check_icons() { # ROOT of the /usr tree
    local size kind
    for size in 32 48 64 128; do
        kind="$(file -b "$1/share/icons/hicolor/${size}x${size}/apps/$id.png")"
        case "$kind" in
        "PNG image data, $size x $size, 8-bit/color RGBA"*) ;;
        *) fail "icon at $size px is '$kind'" ;;
        esac
    done
    xmllint --noout "$1/share/icons/hicolor/scalable/apps/$id.svg" || fail "the SVG icon is not XML"
}

check_mime() { # ROOT of the /usr tree
    local log
    xmllint --noout "$1/share/mime/packages/$id.xml" || fail "the MIME file is not XML"
    mkdir -p "$work/mime/packages"
    cp "$1/share/mime/packages/$id.xml" "$work/mime/packages/"
    # It reports a file it cannot parse but still succeeds, so its words are checked too.
    log="$(update-mime-database "$work/mime" 2>&1)" || fail "update-mime-database failed: $log"
    if grep -q 'Failed to parse\|error' <<<"$log"; then
        fail "update-mime-database: $log"
    fi
    # Below the default weight of 50, so that another program's *.plt type wins.
    grep -qxF "20:$QUORVEX_MIME_TYPE:*.plt" "$work/mime/globs2" ||
        fail "*.plt is not $QUORVEX_MIME_TYPE at weight 20: $(grep -F '*.plt' "$work/mime/globs2")"
    grep -qxF "$QUORVEX_MIME_TYPE text/plain" "$work/mime/subclasses" ||
        fail "$QUORVEX_MIME_TYPE is not a kind of text/plain"
    grep -qxF "$QUORVEX_MIME_TYPE" "$work/mime/types" || fail "$QUORVEX_MIME_TYPE is not registered"
}

check_metainfo() { # ROOT of the /usr tree
    local metainfo="$1/share/metainfo/$id.metainfo.xml" report launchable
    report="$(appstreamcli validate --no-net "$metainfo" 2>&1)" ||
        fail "appstreamcli validate: $report"
    grep -qF "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
    launchable="$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")"
    [ -f "$1/share/applications/$launchable" ] || fail "the metainfo launches '$launchable', not installed"
}

# The options a --help text lists on its option lines ("  -o, --output FILE  ..."),
# one a line; wrapped descriptions are indented further and never begin with "-".
help_options() { # PROGRAM
    run_offscreen "$1" --help | sed -n 's/^ \{1,6\}\(-.*\)$/\1/p' | sed 's/  .*//' | option_words
}

# The options a manual page's OPTIONS section gives as the tags of its .TP items.
page_options() { # PAGE.gz
    {
        echo '.TH X 1'
        zcat "$1" | awk '/^\.SH / { options = ($2 == "OPTIONS"); tag = 0; next }
                         tag { print ".PP"; print }
                         { tag = options && $0 == ".TP" }'
    } | groff -man -Tascii -P-cbou 2>/dev/null | sed -n 's/^ \+\(-.*\)$/\1/p' | option_words
}

# "-o, --output FILE" gives -o and --output.
option_words() { tr ',' '\n' | awk '$1 ~ /^-/ { print $1 }' | LC_ALL=C sort -u; }

check_man_pages() { # ROOT of the /usr tree
    local page warnings program option in_help in_page rendered
    for page in "$1"/share/man/man1/*.1.gz; do
        warnings="$(zcat "$page" | groff -man -ww -z 2>&1)" || fail "groff failed on $page"
        [ -z "$warnings" ] || fail "groff warns on $(basename "$page"): $warnings"
    done
    # A program's --help and the OPTIONS of its page name the same options.
    for program in quorvex quorvex-plot; do
        in_help="$(help_options "$1/bin/$program")"
        in_page="$(page_options "$1/share/man/man1/$program.1.gz")"
        [ -n "$in_help" ] || fail "$program --help lists no options"
        for option in $(LC_ALL=C comm -23 <(echo "$in_help") <(echo "$in_page")); do
            fail "$program --help lists $option, but the OPTIONS of man/$program.1.in do not"
        done
        for option in $(LC_ALL=C comm -13 <(echo "$in_help") <(echo "$in_page")); do
            fail "the OPTIONS of man/$program.1.in list $option, but $program --help does not"
        done
    done
    # The file types' captions and columns reach the page through roff intact.
    rendered="$(zcat "$1/share/man/man1/quorvex.1.gz" | groff -man -Tutf8 -P-cbou 2>/dev/null |
        tr -s '[:space:]' ' ')"
    while IFS= read -r line; do
        grep -qF -- "$(printf '%s' "$line" | tr -s ' ')" <<<"$rendered" ||
            fail "quorvex.1 does not show '$line'"
    done < <("$build/man/file_type_list" --text)
}

check_doc() { # ROOT of the /usr tree
    local doc="$1/share/doc/quorvex" version
    grep -qxF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
        "$doc/copyright" || fail "the copyright file is not machine-readable"
    zcat "$doc/changelog.gz" >"$work/changelog"
    version="$(dpkg-parsechangelog -l "$work/changelog" -S Version 2>&1)" ||
        fail "dpkg-parsechangelog: $version"
    [ "$version" = "$QUORVEX_VERSION" ] ||
        fail "the changelog's last entry is for '$version', not $QUORVEX_VERSION"
}

case "$mode" in
install)
    DESTDIR="$work/root" "$CMAKE_COMMAND" --install "$build" --prefix /usr >/dev/null
    root="$work/root/usr"
    [ -z "$(ls -A "$work/root" | grep -vx usr)" ] || fail "files installed outside /usr"
    check_tree "$root"
    check_desktop_entry "$root"
    check_icons "$root"
    check_mime "$root"
    check_metainfo "$root"
    check_man_pages "$root"
    check_doc "$root"
    check_versions "$root"
    ;;
deb)
    arch="$(dpkg --print-architecture)"
    (cd "$work" && "$CPACK_COMMAND" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >cpack.log 2>&1) ||
        {
            cat "$work/cpack.log" >&2
            fail "cpack failed"
            exit 1
        }
    deb="$work/out/quorvex_${QUORVEX_VERSION}_${arch}.deb"
    [ -f "$deb" ] || {
        fail "no $(basename "$deb"); cpack made: $(ls "$work/out")"
        exit 1
    }
    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package)" = quorvex ] || fail "Package is '$(field Package)'"
    [ "$(field Version)" = "$QUORVEX_VERSION" ] || fail "Version is '$(field Version)'"
    [ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
    [ "$(field Section)" = science ] || fail "Section is '$(field Section)'"
    grep -q '^[^<>]\+ <[^<>@]\+@[^<>]\+>$' <<<"$(field Maintainer)" ||
        fail "Maintainer is '$(field Maintainer)'"
    # A short line and a long text beneath it.
    [ "$(field Description | sed -n '1p' | wc -c)" -gt 10 ] &&
        [ "$(field Description | sed -n '2,$p' | wc -w)" -gt 20 ] ||
        fail "Description is '$(field Description)'"
    depends="$(field Depends)"
    for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6; do
        grep -q "\(^\|, \)$library\( (>= [^)]*)\)\?\(,\|$\)" <<<"$depends" ||
            fail "Depends lacks $library: '$depends'"
    done
    listing="$(dpkg-deb -c "$deb" | awk '{print $6}')"
    if grep -v '^\./usr/' <<<"$listing" | grep -vxF './' | grep -q .; then
        fail "package paths outside /usr: $(grep -v '^\./usr/' <<<"$listing" | grep -vxF './')"
    fi
    dpkg-deb -x "$deb" "$work/x"
    check_tree "$work/x/usr"
    for program in quorvex quorvex-plot; do
        case "$(file -b "$work/x/usr/bin/$program")" in
        *", stripped"*) ;;
        *) fail "$program in the package is not stripped" ;;
        esac
    done
    check_versions "$work/x/usr"
    # Errors fail; warnings and notes are shown for whoever reads the log.
    lintian_log="$(lintian --fail-on error --display-info --tag-display-limit 0 "$deb" 2>&1)" ||
        fail "lintian: $lintian_log"
    [ -z "$lintian_log" ] || printf 'lintian:\n%s\n' "$lintian_log"
    ;;
*)
    echo "usage: $0 install|deb BUILD_DIR" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || {
    echo "$failures check(s) failed" >&2
    exit 1
}
echo "all $mode checks passed"
