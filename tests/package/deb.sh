#!/usr/bin/env bash
# The Debian package as a user gets it: built by CPack, installed with apt, used, removed.
# Needs root (or sudo): it installs the package on this machine for the length of the test.
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
id=io.github.tamsel.Quorlen
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
work=$(mktemp -d)
fail() {
  echo "package test: $*" >&2
  exit 1
}

if dpkg-query -W -f='${Status}' tamsel 2>/dev/null | grep -q 'install ok installed'; then
  fail "a tamsel package is installed on this machine already; remove it first (apt-get remove tamsel)"
fi

rm -f "$build"/tamsel_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$build"/tamsel_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
# qt6-qpa-plugins: no library names it, yet without its platform plugins no window opens;
# xdg-utils: xdg-open opens the recording folder and the guide's web links.
for library in libqt6widgets6 libsndfile1 libpulse0 libjpeg62-turbo qt6-qpa-plugins xdg-utils; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

# Debian's policy checker: its errors fail the test; what else it says is shown.
command -v lintian >/dev/null || fail "lintian is not installed (bash scripts/deps.sh test)"
lintian --fail-on error --display-info "$deb" >"$work/lintian" 2>&1 || { cat "$work/lintian"; fail "lintian reports errors"; }
cat "$work/lintian"

cleanup() {
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q tamsel >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "apt-get install failed"; }

share=/usr/share
for file in /usr/bin/Quorlen /usr/bin/quorlen-analyze "$share/applications/$id.desktop" \
  "$share/metainfo/$id.metainfo.xml" "$share/icons/hicolor/scalable/apps/$id.svg" \
  "$share/man/man1/Quorlen.1.gz" "$share/man/man1/quorlen-analyze.1.gz" "$share/doc/tamsel/copyright" \
  "$share/doc/tamsel/changelog.gz" "$share/doc/tamsel/README.md" "$share/doc/tamsel/docs/measuring.png"; do
  [ -f "$file" ] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
  [ -f "$share/icons/hicolor/${size}x$size/apps/$id.png" ] || fail "no ${size}x$size icon"
done

appstreamcli validate --no-net --strict "$share/metainfo/$id.metainfo.xml" >"$work/validate" 2>&1 ||
  { cat "$work/validate"; fail "the metainfo is not valid or draws warnings"; }
# A new version comes with its changelog entry and its release in the metainfo.
version=$(dpkg-deb -f "$deb" Version)
[[ $(zcat "$share/doc/tamsel/changelog.gz" | head -1) == "tamsel ($version) "* ]] ||
  fail "the changelog does not start with version $version"
grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" ||
  fail "the metainfo has no release $version"
desktop-file-validate "$share/applications/$id.desktop" || fail "the desktop entry is not valid"

# Every option the programs take is in their manual page, and the pages format cleanly.
for program in Quorlen quorlen-analyze; do
  page=$(zcat "$share/man/man1/$program.1.gz")
  warnings=$(groff -man -ww -z -Tutf8 <<<"$page" 2>&1)
  [ -z "$warnings" ] || fail "$program(1): $warnings"
  plain=${page//\\-/-}
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY "/usr/bin/$program" --help) || fail "$program --help fails"
  [[ $help == Usage:* ]] || fail "$program --help answers: $help"
  for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
    [[ $plain == *"$option"* ]] || fail "$program(1) does not describe $option"
  done
done

# A synthetic recording: 18 000 beats per hour, a beat every 8 819 samples instead of 8 820,
# so the watch gains 86 400 / 8 819 = 9.797 s/day. 130 s: the second minute's sweep, which FINAL
# gives, reads it (the first settles).
period=8819 beats=650
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
bytes=$((beats * period * 2))
{
  printf 'RIFF'
  printf "$(le32 $((bytes + 36)))"
  printf 'WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x44\xac\x00\x00\x88\x58\x01\x00\x02\x00\x10\x00data'
  printf "$(le32 $bytes)"
  for ((i = 0; i < beats; i++)); do
    # A tick: ten samples rising to 24 000 and decaying, then silence.
    printf '\xd0\x07\x70\x17\xe0\x2e\xc0\x5d\xe0\x2e\x70\x17\xb8\x0b\xdc\x05\xee\x02\x2c\x01'
    head -c $(((period - 10) * 2)) /dev/zero
  done
} >"$work/watch.wav"

env -u XDG_RUNTIME_DIR -u DISPLAY /usr/bin/quorlen-analyze "$work/watch.wav" >"$work/out" 2>"$work/err" ||
  fail "quorlen-analyze failed: $(cat "$work/err")"
[ ! -s "$work/err" ] || fail "quorlen-analyze wrote to stderr: $(cat "$work/err")"
final=$(tail -1 "$work/out")
IFS=, read -r word bps _ _ _ _ _ rate _ <<<"$final"
[ "$word" = FINAL ] && [ "$bps" = " 05.0" ] || fail "wrong FINAL line: $final"
awk -v r="${rate% sec/day}" 'BEGIN { exit !(r > 9.7 && r < 9.9) }' || fail "wrong rate in: $final"

# The desktop entry opens the recording it is given (%f), as the file manager would.
exec_line=$(sed -n 's/^Exec=//p' "$share/applications/$id.desktop")
[[ $exec_line == *%f* ]] || fail "the desktop entry's Exec has no %f: $exec_line"
mkdir -p "$work/home"
set +e
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen HOME="$work/home" \
  XDG_CONFIG_HOME="$work/home/.config" PULSE_SERVER="unix:$work/no-server" \
  timeout -s TERM 6 ${exec_line/\%f/$work/watch.wav} >"$work/gui" 2>&1
status=$?
set -e
[ $status -eq 0 ] || [ $status -eq 124 ] || fail "Quorlen by its desktop entry exited with $status: $(cat "$work/gui")"
# With no sound server to fall back on, a recording it did not open would be an error on its
# standard error stream; stopped by the signal, it still keeps its settings.
! grep -q '^Quorlen: ' "$work/gui" || fail "the desktop entry did not open the WAV: $(cat "$work/gui")"
[ -f "$work/home/.config/Tamsel/Quorlen.ini" ] || fail "Quorlen by its desktop entry kept no settings"

cleanup
trap - EXIT
[ ! -e /usr/bin/quorlen-analyze ] || fail "the package did not remove its files"
echo "package test: $(basename "$deb") built, installed, used and removed"
