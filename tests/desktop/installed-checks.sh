# Checks shared by installed-tree.sh and debian-package.sh: what an installed prefix holds and
# that the program in it runs on its own files.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

app_id=app.tessarine.Tessarine

# check_installed_tree PREFIX DATA_DOCUMENT WORK_DIR
check_installed_tree() {
    local prefix=$1 document=$2 work=$3
    local program="$prefix/bin/tessarine"

    local file
    for file in bin/tessarine \
        share/tessarine/views/page.html share/tessarine/views/widgets.json share/tessarine/views/themes.json \
        share/tessarine/logos/github.svg share/tessarine/claude-statusline.sh \
        "share/applications/$app_id.desktop" "share/icons/hicolor/scalable/apps/$app_id.svg" \
        "share/metainfo/$app_id.metainfo.xml"; do
        [ -f "$prefix/$file" ] || fail "$file is not installed"
    done
    [ -x "$prefix/share/tessarine/claude-statusline.sh" ] || fail "the status-line script is not executable"

    desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "the desktop entry is not valid"
    appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
        fail "the metainfo is not valid: $(appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml")"
    grep -qx "Icon=$app_id" "$prefix/share/applications/$app_id.desktop" || fail "the desktop entry names another icon"

    # Every command line of the desktop entry is one the program accepts.
    local exec
    while IFS= read -r exec; do
        # shellcheck disable=SC2086
        set -- ${exec#Exec=}
        [ "$1" = tessarine ] || fail "the desktop entry starts $1"
        shift
        "$program" "$@" --version >/dev/null || fail "the program refuses the desktop entry's '$exec'"
    done < <(grep '^Exec=' "$prefix/share/applications/$app_id.desktop")

    mkdir -p "$work"
    cd "$work"
    local version
    version=$("$program" --version)
    [[ $version =~ ^Tessarine\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$version'"
    grep -q "<release version=\"${version#Tessarine }\"" "$prefix/share/metainfo/$app_id.metainfo.xml" ||
        fail "the metainfo does not list release ${version#Tessarine }"
    grep -q "<project_license>GPL-3.0-or-later</project_license>" "$prefix/share/metainfo/$app_id.metainfo.xml" ||
        fail "the metainfo does not name the licence"

    # The help names where the program reads its views: the prefix, not the source tree.
    local help
    help=$("$program" --help)
    grep -q "page view and catalogue *$prefix/share/tessarine/views$" <<<"$help" ||
        fail "the installed program does not read its views from $prefix/share/tessarine/views"

    "$program" render --data "$document" --page 0 --look colour --out page0.png ||
        fail "the installed tessarine render failed"
    [ "$(head -c 8 page0.png | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "render wrote no PNG"
    cd - >/dev/null
}
