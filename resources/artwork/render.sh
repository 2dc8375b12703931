#!/usr/bin/env bash
# Renders the SVG sources beside this script into the pictures that
# resources.qrc lists:   resources/artwork/render.sh
# Needs rsvg-convert (Debian: librsvg2-bin) and the DejaVu fonts; the build
# only uses the committed PNGs.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
images="$here/../images"
graphics="$here/../graphics"

render() { # source width height output
    rsvg-convert -w "$2" -h "$3" -o "$4" "$here/$1.svg"
}

# Icons are drawn at twice the size they are shown at, so they stay sharp when
# scaled down and on high-density screens; the style-sheet glyphs (ticks, sort
# arrows, handle) are drawn at the exact size they are shown at.
while read -r name width height; do
    render "$name" "$width" "$height" "$images/$name.png"
done <<'LIST'
add 70 70
edit 70 70
remove 70 70
exit 70 70
master 70 70
PDF 70 70
backup 70 70
restore 70 70
share 70 70
select_file 70 70
Settings 70 70
pass_gen 70 70
web 80 80
bank 80 80
notes_locker 80 80
unlock 80 80
user-id-icon 70 70
user_48x48 50 50
password-icon 70 70
Hyperlink 50 50
bank_card 100 100
credit-card-number 70 70
three_digit_code 70 70
notes_diary 70 70
copy_icon 50 50
Search_icon 60 60
back 60 60
checkbox 18 18
checkboxdark 18 18
btn_sort_up_nrm 12 8
btn_sort_dwn_nrm 12 8
handle 10 30
LIST

render kestrova_logo 256 256 "$graphics/kestrova_logo256.png"
render welcome 640 480 "$graphics/welcome.png"

# The window icon: one 32 x 32 PNG in an ICO container (6-byte header, one
# 16-byte directory entry, then the PNG).
png="$(mktemp)"
trap 'rm -f "$png"' EXIT
render kestrova_icon 32 32 "$png"
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
{
    printf '\x00\x00\x01\x00\x01\x00'
    printf '\x20\x20\x00\x00\x01\x00\x20\x00'
    le32 "$(stat -c %s "$png")"
    le32 22
    cat "$png"
} >"$graphics/kestrova_icon32.ico"
