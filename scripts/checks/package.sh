#!/usr/bin/env bash
# Builds the Debian package of Kestro, unpacks it into a temporary root and
# checks that it installs like a desktop application: the programs run from
# the installed tree, the menu entry, file type and software-centre data
# validate, the icons are where the desktop looks for them, and the file
# type database built from the package recognises a project file.
#
# Uses the build tree in $KESTRO_BUILD_DIR (default: build-tests/, the one
# scripts/test.sh builds), configuring it when it does not exist yet. Also
# installs that tree into a temporary root with `cmake --install` and
# removes it again with the uninstall target. Fails on the first error.
set -euo pipefail
cd "$(dirname "$0")/../.."
src=$PWD
build=${KESTRO_BUILD_DIR:-build-tests}
case "$build" in /*) ;; *) build="$src/$build" ;; esac

app_id=com.orvanta.Kestro
mime_type=application/x-kestro-project
mime_icon=application-x-kestro-project

fail() { echo "package check FAILED: $*" >&2; exit 1; }
step() { echo "-- $*"; }
skip() { echo "-- SKIPPED: $*"; }

for tool in cmake cpack dpkg-deb dpkg-shlibdeps desktop-file-validate xmllint \
            update-mime-database file gzip; do
  command -v "$tool" >/dev/null 2>&1 || fail "'$tool' is missing (scripts/install-deps.sh installs it)"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root="$tmp/root"
share="$root/usr/share"
export QT_QPA_PLATFORM=offscreen

# ---- build and package ------------------------------------------------------
step "building in $build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" >/dev/null

step "cpack -G DEB"
(cd "$build" && cpack -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1) \
  || { cat "$tmp/cpack.log" >&2; fail "cpack could not build the package"; }
shopt -s nullglob
debs=("$tmp"/out/kestro_*.deb)
shopt -u nullglob
[ ${#debs[@]} -eq 1 ] || fail "expected one kestro_*.deb, found ${#debs[@]}"
deb=${debs[0]}
echo "   $(basename "$deb")"

# ---- control data -----------------------------------------------------------
step "control fields"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kestro ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', project is $version"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Section)" ] || fail "no Section"
[ -n "$(field Description)" ] || fail "no Description"
# The first line is the summary; the long text below must not repeat it.
summary=$(field Description | sed -n 1p)
second=$(field Description | sed -n 2p | sed 's/^ //')
[ "$summary" != "$second" ] || fail "the Description repeats its summary line: '$summary'"
depends=$(field Depends)
grep -q 'libqt5core5a' <<<"$depends" || fail "Depends lacks the Qt libraries: '$depends'"
grep -q 'libqt5widgets5' <<<"$depends" || fail "Depends lacks the Qt libraries: '$depends'"
grep -q 'libqt5svg5' <<<"$depends" || fail "Depends lacks libqt5svg5 (SVG export): '$depends'"
grep -q 'bubblewrap' <<<"$depends" || fail "Depends lacks bubblewrap (the sandbox of a project's C): '$depends'"

step "maintainer scripts"
dpkg-deb -e "$deb" "$tmp/control"
for script in postinst postrm; do
  [ -x "$tmp/control/$script" ] || fail "$script missing or not executable"
  sh -n "$tmp/control/$script" || fail "$script has a syntax error"
done
# Run them with stand-ins for the cache tools that only note their calls.
stubs="$tmp/stubs"
mkdir -p "$stubs"
for tool in update-mime-database update-desktop-database gtk-update-icon-cache; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$tool" "$tmp" >"$stubs/$tool"
  chmod +x "$stubs/$tool"
done
for script in postinst postrm; do
  : >"$tmp/calls"
  arg=configure; [ "$script" = postrm ] && arg=remove
  PATH="$stubs:$PATH" sh "$tmp/control/$script" "$arg" || fail "$script $arg failed"
  grep -qx 'update-mime-database /usr/share/mime' "$tmp/calls" \
    || fail "$script $arg does not refresh the MIME database"
  grep -qx 'update-desktop-database -q /usr/share/applications' "$tmp/calls" \
    || fail "$script $arg does not refresh the desktop database"
done

# ---- installed tree -----------------------------------------------------------
step "unpacking into a temporary root"
dpkg-deb -x "$deb" "$root"
desktop="$share/applications/$app_id.desktop"
mime_xml="$share/mime/packages/$app_id.xml"
metainfo="$share/metainfo/$app_id.metainfo.xml"
for f in "$root/usr/bin/kestro" "$desktop" "$mime_xml" "$metainfo"; do
  [ -f "$f" ] || fail "not installed: ${f#"$root"}"
done
[ -x "$root/usr/bin/kestro" ] || fail "/usr/bin/kestro is not executable"

step "icons"
for icon in "apps/$app_id" "mimetypes/$mime_icon"; do
  png="$share/icons/hicolor/48x48/$icon.png"
  svg="$share/icons/hicolor/scalable/$icon.svg"
  [ -f "$png" ] || fail "not installed: ${png#"$root"}"
  [ -f "$svg" ] || fail "not installed: ${svg#"$root"}"
  file -b "$png" | grep -q 'PNG image data, 48 x 48' || fail "${png#"$root"} is not a 48 x 48 PNG"
  xmllint --noout "$svg" || fail "${svg#"$root"} is not well-formed"
done

step "copyright"
copyright="$share/doc/kestro/copyright"
[ -f "$copyright" ] || fail "not installed: /usr/share/doc/kestro/copyright"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" \
  || fail "/usr/share/doc/kestro/copyright is not in the machine-readable format"

step "examples"
if [ -d "$src/Examples" ] && [ -n "$(ls -A "$src/Examples")" ]; then
  diff -r "$src/Examples" "$share/kestro/Examples" >/dev/null \
    || fail "installed examples differ from Examples/"
  echo "   $(find "$share/kestro/Examples" -type f | wc -l) file(s) under /usr/share/kestro/Examples"
else
  skip "examples: the source tree has no Examples directory yet"
fi

# ---- kestro-cli ---------------------------------------------------------------
cli="$root/usr/bin/kestro-cli"
if [ -x "$cli" ]; then
  step "kestro-cli --version, --help and its manual page"
  out=$("$cli" --version 2>&1) || fail "installed kestro-cli --version failed: $out"
  echo "   $out"
  grep -qF "$version" <<<"$out" || fail "kestro-cli --version does not print $version"
  help=$("$cli" --help 2>&1) || fail "installed kestro-cli --help failed: $help"

  man="$share/man/man1/kestro-cli.1.gz"
  [ -f "$man" ] || fail "kestro-cli manual page not installed"
  gzip -t "$man" || fail "kestro-cli manual page is not a valid gzip file"
  if command -v man >/dev/null 2>&1; then
    page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man" 2>"$tmp/man.err") \
      || fail "man cannot format the kestro-cli manual page"
    [ ! -s "$tmp/man.err" ] || { cat "$tmp/man.err" >&2; fail "warnings formatting the manual page"; }
    # Every long option that --help lists must be documented in the page.
    for opt in $(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u); do
      grep -qF -- "$opt" <<<"$page" \
        || fail "kestro-cli --help lists $opt, but packaging/kestro-cli.1.in does not"
    done
    if [ -x "$root/usr/bin/kestro-render" ]; then
      export_help=$("$cli" export --help 2>&1) || fail "installed kestro-cli export --help failed: $export_help"
      for opt in $(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$export_help" | sort -u); do
        grep -qF -- "$opt" <<<"$page" \
          || fail "kestro-cli export --help lists $opt, but packaging/kestro-cli.1.in does not"
      done
    fi
  else
    skip "manual page formatting: 'man' is not installed"
  fi
  if [ -f "$src/render/CMakeLists.txt" ] && [ -f "$src/Examples/Example_1.qsmd" ]; then
    step "kestro-cli export finds the installed kestro-render"
    [ -x "$root/usr/bin/kestro-render" ] || fail "kestro-render is not installed next to kestro-cli"
    out=$(env -u DISPLAY "$cli" export "$src/Examples/Example_1.qsmd" -o "$tmp/pictures" 2>&1) \
      || fail "installed kestro-cli export failed: $out"
    [ -s "$tmp/pictures/Example_1.svg" ] || fail "installed kestro-cli export wrote no Example_1.svg"
    echo "   $(find "$tmp/pictures" -name '*.svg' | wc -l) SVG file(s)"
  fi
  step "kestro-cli simulate runs the example in the sandbox of the installed kestro-sandbox"
  [ -x "$root/usr/bin/kestro-sandbox" ] || fail "kestro-sandbox is not installed next to kestro-cli"
  out=$("$cli" simulate "$src/Examples/Example_1.qsmd" SpeedControl --cycles 3 --trust 2>&1) \
    || fail "installed kestro-cli simulate failed: $out"
  grep -q '^3,' <<<"$out" || fail "installed kestro-cli simulate printed no cycle 3: $out"
elif [ -f "$src/cli/CMakeLists.txt" ]; then
  fail "cli/ exists, but the package holds no usable /usr/bin/kestro-cli"
else
  skip "kestro-cli --version: the kestro-cli target does not exist yet (no cli/CMakeLists.txt)"
fi

# ---- desktop entry, file type and software-centre data -----------------------------
step "desktop-file-validate"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
exec_prog=${exec_line%% *}
[ -x "$root/usr/bin/$exec_prog" ] || fail "Exec=$exec_line names no installed program"
grep -q ' %[fFuU]' <<<"$exec_line" || fail "Exec= does not pass the opened file"
grep -q "^MimeType=.*$mime_type;" "$desktop" || fail "desktop entry does not claim $mime_type"
# The window's class (WM_CLASS) is the application name, which the program
# sets to Kestro before its window exists.
grep -qx 'StartupWMClass=Kestro' "$desktop" || fail "desktop entry lacks StartupWMClass=Kestro"
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$share/icons/hicolor/scalable/apps/$icon_name.svg" ] || fail "Icon=$icon_name has no installed icon"

step "xmllint"
xmllint --noout "$mime_xml" "$metainfo" || fail "MIME or metainfo XML is not well-formed"
grep -q "type=\"$mime_type\"" "$mime_xml" || fail "MIME package does not define $mime_type"

if command -v appstreamcli >/dev/null 2>&1; then
  step "appstreamcli validate"
  appstreamcli validate --no-net "$metainfo" >"$tmp/appstream.log" 2>&1 || true
  cat "$tmp/appstream.log"
  if grep -qE '^E:' "$tmp/appstream.log"; then fail "metainfo has AppStream errors"; fi
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
    || fail "metainfo does not launch $app_id.desktop"
else
  skip "appstreamcli validate: appstreamcli is not installed"
fi

step "shared-mime-info database of the installed tree"
XDG_DATA_DIRS="$share" XDG_DATA_HOME="$share" update-mime-database "$share/mime" 2>"$tmp/mime.err" \
  || { cat "$tmp/mime.err" >&2; fail "update-mime-database failed"; }
[ ! -s "$tmp/mime.err" ] || { cat "$tmp/mime.err" >&2; fail "update-mime-database complained about the MIME package"; }
[ -f "$share/mime/$mime_type.xml" ] || fail "database holds no $mime_type"

# A desktop reads one database holding every installed type, so build one
# from the system's type packages plus ours, as the package's postinst does
# under /usr/share. (Keeping two separate databases would let Qt 5 take the
# generic XML type from the second one when sniffing content.)
step "combined database with the system's types"
data="$tmp/xdg-data"
mkdir -p "$data/mime/packages" "$data/applications"
if [ -d /usr/share/mime/packages ]; then
  cp /usr/share/mime/packages/*.xml "$data/mime/packages/" 2>/dev/null || true
fi
cp "$mime_xml" "$data/mime/packages/"
cp "$desktop" "$data/applications/"
update-mime-database "$data/mime" >/dev/null 2>&1 || fail "update-mime-database failed on the combined packages"

# Look only at that database, never at a user's personal one or settings.
export XDG_DATA_DIRS="$data"
export XDG_DATA_HOME="$tmp/home/.local/share"
export XDG_CONFIG_HOME="$tmp/home/.config"
export XDG_CONFIG_DIRS="$tmp/etc-xdg"
export HOME="$tmp/home"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS"

samples="$tmp/samples"
mkdir -p "$samples"
cat >"$samples/Sample Project.qsmd" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<QsmdProject>
    <ProjectFiles>Sample Project</ProjectFiles>
    <SceneData version="v1.0">
        <GraphicsItemList/>
    </SceneData>
</QsmdProject>
XML
cp "$samples/Sample Project.qsmd" "$samples/renamed-project"
# Recognised by its name alone: the content says nothing.
printf 'not yet written\n' >"$samples/draft.qsmd"

probe="$build/packaging/kestro-mimeprobe"
[ -x "$probe" ] || fail "$probe was not built"
expect_probe() { # mode file description
  local got
  got=$("$probe" ${1:+"$1"} "$2")
  [ "$got" = "$mime_type $mime_icon" ] || fail "$3 is '$got', expected '$mime_type $mime_icon'"
  echo "   $3: $got"
}
expect_probe --name "$samples/draft.qsmd" "a .qsmd file by name"
expect_probe --content "$samples/renamed-project" "a project without its extension, by content"
expect_probe "" "$samples/Sample Project.qsmd" "a project file"

# xdg-mime asks the desktop's own tool; outside a desktop session it uses
# 'mimetype' (File::MimeInfo), or 'gio' when told it runs under GNOME. The
# plain 'file' fallback knows nothing of shared-mime-info, so it is not used.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
xdg_env=()
if command -v mimetype >/dev/null 2>&1; then
  xdg_env=(env)
elif command -v gio >/dev/null 2>&1; then
  xdg_env=(env XDG_CURRENT_DESKTOP=GNOME)
fi
if ! command -v xdg-mime >/dev/null 2>&1; then
  skip "xdg-mime query filetype: xdg-mime is not installed"
elif [ ${#xdg_env[@]} -eq 0 ]; then
  skip "xdg-mime query filetype: neither 'mimetype' nor 'gio' is installed"
else
  step "xdg-mime query filetype"
  for f in "$samples/draft.qsmd" "$samples/Sample Project.qsmd" "$samples/renamed-project"; do
    got=$("${xdg_env[@]}" xdg-mime query filetype "$f")
    [ "$got" = "$mime_type" ] || fail "xdg-mime query filetype ${f##*/} says '$got', expected $mime_type"
    echo "   ${f##*/}: $got"
  done
fi

if command -v update-desktop-database >/dev/null 2>&1 && command -v xdg-mime >/dev/null 2>&1; then
  step "default application for $mime_type"
  update-desktop-database -q "$data/applications"
  got=$(env XDG_CURRENT_DESKTOP=X-Generic xdg-mime query default "$mime_type")
  [ "$got" = "$app_id.desktop" ] || fail "project files open with '$got', expected $app_id.desktop"
  echo "   $got"
else
  skip "default application: update-desktop-database or xdg-mime is not installed"
fi

# ---- cmake --install and the uninstall target ----------------------------------------
step "cmake --install into a temporary root, then the uninstall target"
stage="$tmp/stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr/local >"$tmp/install.log" 2>&1 \
  || { cat "$tmp/install.log" >&2; fail "cmake --install failed"; }
[ -x "$stage/usr/local/bin/kestro" ] || fail "cmake --install put no bin/kestro in place"
[ -f "$stage/usr/local/share/kestro/Examples/Example_1.qsmd" ] || fail "cmake --install put no examples in place"
mkdir -p "$stage/usr/local/share/applications/other"
touch "$stage/usr/local/share/applications/other/keep.desktop"   # not Kestro's: must stay
DESTDIR="$stage" cmake --build "$build" --target uninstall >"$tmp/uninstall.log" 2>&1 \
  || { cat "$tmp/uninstall.log" >&2; fail "the uninstall target failed"; }
left=$(find "$stage" -type f ! -path '*/applications/other/*')
[ -z "$left" ] || fail "the uninstall target left files behind: $left"
[ ! -e "$stage/usr/local/share/kestro" ] || fail "the uninstall target left share/kestro behind"
[ -f "$stage/usr/local/share/applications/other/keep.desktop" ] || fail "the uninstall target removed a file it did not install"
echo "   $(grep -c '^-- Removing' "$tmp/uninstall.log") path(s) removed"

echo "package check passed: $(basename "$deb")"
