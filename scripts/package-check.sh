#!/usr/bin/env bash
# Builds the Debian package from the existing build folder, installs it with
# apt-get, runs the installed programs once (hozanki-cli on the fixtures,
# hozanki offscreen through its desktop entry's Exec line) and removes the
# package again. Needs root (or sudo). PACKAGE_CHECK=0 skips it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${PACKAGE_CHECK:-1}" = 0 ]; then
  echo "package-check: skipped (PACKAGE_CHECK=0)"
  exit 0
fi
BUILD_DIR=${BUILD_DIR:-build}
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
apt() { $SUDO env DEBIAN_FRONTEND=noninteractive apt-get "$@"; }
say() { echo "package-check: $*"; }
die() { echo "package-check: FAILED: $*" >&2; exit 1; }

if dpkg-query -W -f='${Status}' hozanki 2>/dev/null | grep -q "install ok installed"; then
  die "a hozanki package is installed already; remove it first (apt-get remove hozanki)"
fi

cmake --build "$BUILD_DIR" --target hozanki hozanki-cli hozanki_icons hozanki_man >/dev/null
rm -f "$BUILD_DIR"/hozanki_*.deb
if ! (cd "$BUILD_DIR" && cpack -G DEB >cpack.log 2>&1); then
  cat "$BUILD_DIR/cpack.log" >&2
  die "cpack"
fi
debs=("$BUILD_DIR"/hozanki_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || die "cpack made no single hozanki_*.deb"
deb=$(realpath "${debs[0]}")
say "built $(basename "$deb")"

work=$(mktemp -d)
installed=0
cleanup() {
  if [ "$installed" = 1 ]; then apt remove -y -qq hozanki >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Dependencies come from dpkg-shlibdeps, not from a hand-written list.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libtag1v5 libpcre2-8-0 libqt6widgets6 libstdc++6 qt6-qpa-plugins libmecab2 unidic-mecab mecab-ipadic-utf8; do
  [[ $depends == *"$lib"* ]] || die "Depends lacks $lib: $depends"
done

apt install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; die "apt-get install"; }
installed=1
say "installed"

for f in /usr/bin/hozanki /usr/bin/hozanki-cli \
         /usr/share/applications/hozanki.desktop \
         /usr/share/metainfo/io.github.hozanki.Hozanki.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/hozanki.svg \
         /usr/share/icons/hicolor/16x16/apps/hozanki.png \
         /usr/share/icons/hicolor/48x48/apps/hozanki.png \
         /usr/share/icons/hicolor/256x256/apps/hozanki.png \
         /usr/share/hozanki/help/index.html \
         /usr/share/man/man1/hozanki.1.gz /usr/share/man/man1/hozanki-cli.1.gz \
         /usr/share/bash-completion/completions/hozanki-cli; do
  dpkg -S "$f" >/dev/null 2>&1 || die "the package does not install $f"
done
desktop-file-validate /usr/share/applications/hozanki.desktop || die "desktop-file-validate"
appstreamcli validate --no-net /usr/share/metainfo/io.github.hozanki.Hozanki.metainfo.xml >/dev/null || die "appstreamcli validate"

export HOZANKI_CONFIG_DIR="$work/config"
version=$(/usr/bin/hozanki-cli --version)
[ "$version" = "hozanki-cli $(dpkg-deb -f "$deb" Version)" ] || die "hozanki-cli --version says \"$version\""
/usr/bin/hozanki --version | grep -qx "hozanki $(dpkg-deb -f "$deb" Version)" || die "hozanki --version"
/usr/bin/hozanki-cli list --json tests/data/mp3/sjis_id3v2.mp3 tests/data/ogg/tagged.ogg tests/data/mp4/tagged.m4a \
  >"$work/list.json" || die "hozanki-cli list --json"
python3 - "$work/list.json" <<'PY' || die "hozanki-cli list --json gave unexpected output"
import json, sys
files = json.load(open(sys.argv[1], encoding="utf-8"))
assert [f["format"] for f in files] == ["MP3", "OGG", "MP4"], files
assert files[0]["tags"]["ID3v2"]["INAM_v2"] == "春よ、来い", files[0]["tags"]
assert files[1]["tags"]["OGG"]["INAM"] == "Song Title", files[1]["tags"]
PY
[ "$(printf '宇多田ヒカル\n' | /usr/bin/hozanki-cli reading katakana)" = "ウタダヒカル" ] || die "hozanki-cli reading"
say "installed hozanki-cli works"

if [ -f /usr/share/bash-completion/bash_completion ]; then
  offered=$(bash -c 'source /usr/share/bash-completion/bash_completion
    _completion_loader hozanki-cli
    COMP_WORDS=(hozanki-cli listout --enc); COMP_CWORD=2; COMP_LINE="hozanki-cli listout --enc"; COMP_POINT=${#COMP_LINE}
    $(complete -p hozanki-cli | sed "s/.*-F \([^ ]*\) .*/\1/") hozanki-cli --enc listout
    echo "${COMPREPLY[*]}"')
  [ "$offered" = "--encoding" ] || die "bash completion of \"hozanki-cli listout --enc\" gave \"$offered\""
  say "bash completion works"
fi

# The desktop entry's Exec line, as a menu would run it, with a fixture for %F.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/hozanki.desktop)
command=${exec_line//%F/$PWD/tests/data/mp3/sjis_id3v2.mp3}
[ "$(command -v "${command%% *}")" = /usr/bin/hozanki ] || die "Exec=$exec_line does not start /usr/bin/hozanki"
mkdir -p "$work/tmp" "$work/runtime"
chmod 700 "$work/runtime"
status=0
# A private TMPDIR gives a private single-instance socket; the window runs
# until the time-out ends it (status 124).
env QT_QPA_PLATFORM=offscreen TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/runtime" \
  timeout 5 $command >"$work/gui.log" 2>&1 || status=$?
[ "$status" = 124 ] || { cat "$work/gui.log" >&2; die "hozanki ended with status $status before the time-out"; }
say "installed hozanki ran offscreen for 5 seconds"

apt remove -y -qq hozanki >/dev/null 2>&1 || die "apt-get remove"
installed=0
[ ! -e /usr/bin/hozanki ] || die "/usr/bin/hozanki is still there after removal"
say "removed; all good"
