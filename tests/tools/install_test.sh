#!/usr/bin/env bash
# Installs the build into a fresh prefix and runs the installed print
# utility as a user who never ran it: its data must land in the user's
# data folder, seeded from share/torvex, and a second run must keep the
# user's own account file.
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/prefix"
home="$tmp/home"
data="$home/.local/share/torvex"
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$tmp/install.log"
for file in bin/vxprintu bin/vxschedule share/torvex/account.ini share/torvex/readme.txt \
            share/torvex/vxptfaq.htm share/torvex/vxphlpbs.htm share/torvex/vxphlprl.htm share/torvex/vxphlpfr.htm \
            share/applications/vxschedule.desktop etc/xdg/autostart/vxschedule.desktop; do
  [ -f "$prefix/$file" ] || fail "$file was not installed"
done
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$prefix/share/applications/vxschedule.desktop"
fi

# As a new user: nothing but HOME, no display. An installed page nobody may
# write still seeds a copy the user may.
mkdir -p "$home"
chmod 444 "$prefix/share/torvex/vxphlpbs.htm"
run() { env -i HOME="$home" PATH=/usr/bin:/bin "$prefix/bin/vxprintu" /6; }
run || fail "the installed vxprintu failed"

grep -q '^VXPrint=quit' "$home/.config/torvex/torvex.ini" || fail "no summary in ~/.config/torvex/torvex.ini"
cmp -s "$prefix/share/torvex/account.ini" "$data/account.ini" || fail "account.ini not seeded into $data"
for page in readme.txt vxptfaq.htm vxphlpbs.htm vxphlprl.htm vxphlpfr.htm; do
  cmp -s "$prefix/share/torvex/$page" "$data/$page" || fail "$page not seeded into $data"
done
[ -n "$(find "$data/vxphlpbs.htm" -perm -u=w)" ] || fail "the seeded vxphlpbs.htm is not the user's to write"
for folder in In Out temp; do
  [ -d "$data/$folder" ] || fail "the run made no $folder/ in $data"
done
extra=$(find "$prefix/bin" -mindepth 1 ! -name vxprintu ! -name vxschedule)
[ -z "$extra" ] || fail "the run wrote beside the programs: $extra"

# The user's own account file and links (even dangling ones) survive the
# next start; a page the user removed comes back.
printf '[TORVEX]\nVX_IP_Address=192.0.2.7\n' > "$data/account.ini"
rm "$data/vxptfaq.htm" "$data/vxphlpfr.htm"
ln -s "$tmp/nowhere.htm" "$data/vxphlpfr.htm"
run || fail "the second run failed"
[ -L "$data/vxphlpfr.htm" ] && [ ! -e "$tmp/nowhere.htm" ] || fail "the user's link to nowhere was replaced or followed"
grep -q '^VX_IP_Address=192.0.2.7$' "$data/account.ini" || fail "the user's account.ini was replaced"
cmp -s "$prefix/share/torvex/vxptfaq.htm" "$data/vxptfaq.htm" || fail "a missing help page was not restored"
echo "installed layout and user data folder OK"
