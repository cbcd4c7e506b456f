#!/usr/bin/env bash
# tools/mkart/mkart.sh [--check] [OUTDIR]: draws Tastavia's own pictures with ImageMagick
# and DejaVu fonts: WALLPAPER.bmp (list view background), BANNER.jpg (start dialog) and
# WIZARD.jpg (wizard side picture) and tastavia.ico (the program's icon, through mkicon.py)
# into OUTDIR (default resources/), and PALETTE.bmp, a
# tiny bitmap with a colour table for the Windows resource tests, into tests/win32/.
# With --check everything is drawn into a scratch folder and compared with the committed files.
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
check=
if [ "${1:-}" = "--check" ]; then check=1; shift; fi
out=${1:-$top/resources}

# Debian's ImageMagick; /usr/local/bin/convert may be a stand-in that is not the real one.
if [ -x /usr/bin/convert ]; then magick=/usr/bin/convert; else magick=$(command -v convert); fi
identify=$(dirname "$magick")/identify
fonts=/usr/share/fonts/truetype/dejavu
sans=$fonts/DejaVuSans.ttf
bold=$fonts/DejaVuSans-Bold.ttf
for f in "$sans" "$bold"; do
  [ -f "$f" ] || { echo "mkart: $f is missing (package fonts-dejavu-core)" >&2; exit 1; }
done
# One thread and no timestamps or profiles, so that the same input gives the same bytes.
export MAGICK_THREAD_LIMIT=1
common_out=(-strip +set date:create +set date:modify)

# Colours: calm blue-greys, with one warm accent.
ink='#2f4a66'       # letters and title
ink_soft='#5a7089'  # subtitle
key_face='#fdfeff'
key_edge='#9fb2c6'
key_shadow='#8fa3b8'
accent='#f6e3b4'

# key X Y W H LETTER [FACE] [POINTSIZE]: appends one key cap (shadow, face, centred letter)
# to the draw list; coordinates are the cap's top-left corner in the picture.
draw=()
key() {
  local x=$1 y=$2 w=$3 h=$4 letter=$5 face=${6:-$key_face} size=${7:-13}
  draw+=(-fill "$key_shadow" -stroke none
         -draw "roundrectangle $x,$((y + 2)) $((x + w - 1)),$((y + h + 1)) 4,4"
         -fill "$face" -stroke "$key_edge" -strokewidth 1
         -draw "roundrectangle $x,$y $((x + w - 1)),$((y + h - 1)) 4,4")
  if [ -n "$letter" ]; then
    # Gravity-centred text is placed relative to the picture's centre.
    local cx=$((x + w / 2 - picture_w / 2)) cy=$((y + h / 2 - picture_h / 2 - 1))
    draw+=(-stroke none -fill "$ink" -font "$sans" -pointsize "$size"
           -gravity center -annotate "$(printf '%+d%+d' "$cx" "$cy")" "$letter" -gravity northwest)
  fi
}

# key_row X Y PITCH SIZE LETTERS...: a row of square keys.
key_row() {
  local x=$1 y=$2 pitch=$3 size=$4
  shift 4
  for letter in "$@"; do
    local face=$key_face
    case "$letter" in Б|Г) face=$accent ;; esac
    key "$x" "$y" "$size" "$size" "$letter" "$face"
    x=$((x + pitch))
  done
}

make_banner() {
  picture_w=285 picture_h=189
  draw=()
  # The keyboard's case, then three rows of letter keys of the phonetic layout and a space bar.
  draw+=(-fill '#c9d6e3' -stroke '#a9bbcd' -strokewidth 1 -draw "roundrectangle 10,80 274,182 8,8")
  key_row 18 88 25 22 Я В Е Р Т Ъ У И О П
  key_row 24 112 25 22 А С Д Ф Г Х Й К Л
  key_row 36 136 25 22 З Ь Ц Ж Б Н М Ч
  key 70 160 146 15 ""
  "$magick" -size 285x189 gradient:'#f4f7fb-#d6e2ee' \
    -font "$bold" -pointsize 30 -fill "$ink" -annotate +16+44 'Tastavia' \
    -font "$sans" -pointsize 11 -fill "$ink_soft" -annotate +18+66 'Български клавиатурни подредби' \
    "${draw[@]}" \
    "${common_out[@]}" -type TrueColor -interlace none -sampling-factor 2x2 -quality 82 \
    "JPEG:$1"
}

make_wizard() {
  picture_w=145 picture_h=257
  draw=()
  # A staggered block of large keys, the name below it.
  draw+=(-fill '#c9d6e3' -stroke '#a9bbcd' -strokewidth 1 -draw "roundrectangle 8,14 136,186 8,8")
  local letters=(А Б В Г Д Е Ж З И Й К Л) row col
  for row in 0 1 2 3; do
    for col in 0 1 2; do
      local letter=${letters[row * 3 + col]} face=$key_face
      case "$letter" in Б|Г) face=$accent ;; esac
      key $((16 + (row % 2) * 6 + col * 38)) $((22 + row * 40)) 33 33 "$letter" "$face" 17
    done
  done
  "$magick" -size 145x257 gradient:'#f4f7fb-#d6e2ee' \
    "${draw[@]}" \
    -font "$bold" -pointsize 21 -fill "$ink" -gravity north -annotate +0+200 'Tastavia' \
    -font "$sans" -pointsize 10 -fill "$ink_soft" -annotate +0+229 'клавиатурни подредби' \
    "${common_out[@]}" -type TrueColor -interlace none -sampling-factor 2x2 -quality 82 \
    "JPEG:$1"
}

make_palette_sample() {
  "$magick" -size 8x4 xc:'#f3f6fa' -fill "$ink" -draw 'rectangle 0,0 3,1' \
    -fill "$accent" -draw 'rectangle 4,2 7,3' "${common_out[@]}" -type Palette "BMP3:$1"
}

make_wallpaper() {
  # A 128x128 tile: four rows of faint key outlines, every other row shifted by half a key;
  # keys that cross the right edge are drawn on both sides so the tile repeats seamlessly.
  local args=() rows=("А Б В Г" "Д Е Ж З" "И Й К Л" "М Н О П") row k
  for row in 0 1 2 3; do
    local letters=(${rows[row]}) y=$((row * 32 + 4)) shift_x=$(((row % 2) * 16))
    for k in -1 0 1 2 3; do
      local x=$((shift_x + k * 32 + 2)) letter=${letters[(k + 4) % 4]}
      args+=(-fill '#e9eef5' -stroke '#d9e1eb' -strokewidth 1
             -draw "roundrectangle $x,$y $((x + 27)),$((y + 23)) 4,4"
             -stroke none -fill '#d3dce7' -font "$sans" -pointsize 11
             -annotate "+$((x + 9))+$((y + 16))" "$letter")
    done
  done
  "$magick" -size 128x128 xc:'#f3f6fa' "${args[@]}" \
    "${common_out[@]}" -alpha off -type TrueColor "BMP3:$1"
}

# The program's icon: the start dialog's keyboard in small, 16x16 and 32x32, each in 16
# and in 256 colours. Drawn four times as large and brought down, so that the keys keep
# soft edges; a silhouette drawn the same way marks what is transparent.
make_icon() {
  local work; work=$(mktemp -d)
  local big=128 s
  local keys=(-fill "$key_shadow" -stroke none)
  local faces=(-fill "$key_face" -stroke "$key_edge" -strokewidth 3)
  local x y
  for y in 0 1; do
    for x in 0 1 2; do
      local kx=$((18 + y * 10 + x * 30)) ky=$((40 + y * 30))
      keys+=(-draw "roundrectangle $kx,$((ky + 4)) $((kx + 25)),$((ky + 27)) 5,5")
      faces+=(-fill "$( [ $((x + y)) -eq 1 ] && echo "$accent" || echo "$key_face")"
              -draw "roundrectangle $kx,$ky $((kx + 25)),$((ky + 23)) 5,5")
    done
  done
  faces+=(-fill "$key_face" -draw "roundrectangle 30,100 97,111 4,4")
  "$magick" -size ${big}x${big} xc:"$ink" \
    -fill '#c9d6e3' -stroke "$ink" -strokewidth 4 -draw "roundrectangle 4,26 123,120 14,14" \
    "${keys[@]}" "${faces[@]}" \
    -stroke none -fill "$ink" -font "$bold" -pointsize 24 -gravity northwest -annotate +53+40 'Б' \
    "${common_out[@]}" -alpha off -type TrueColor "PNG24:$work/big.png"
  "$magick" -size ${big}x${big} xc:black -fill white -draw "roundrectangle 2,24 125,122 15,15" \
    "${common_out[@]}" "PNG24:$work/mask.png"
  local parts=()
  for s in 16 32; do
    "$magick" "$work/mask.png" -filter Box -resize ${s}x${s} -threshold 50% "${common_out[@]}" -type Bilevel -compress None "BMP3:$work/mask$s.bmp"
    "$magick" "$work/big.png" -filter Lanczos -resize ${s}x${s} +dither -colors 16 "${common_out[@]}" -type Palette -compress None "BMP3:$work/c16-$s.bmp"
    "$magick" "$work/big.png" -filter Lanczos -resize ${s}x${s} +dither -colors 256 "${common_out[@]}" -type Palette -depth 8 -compress None "BMP3:$work/c256-$s.bmp"
  done
  for s in 32 16; do parts+=("$work/c16-$s.bmp" "$work/mask$s.bmp"); done
  for s in 32 16; do parts+=("$work/c256-$s.bmp" "$work/mask$s.bmp"); done
  python3 "$top/tools/mkart/mkicon.py" "$1" "${parts[@]}"
  rm -rf "$work"
}

dest=$out tests=$top/tests/win32
if [ -n "$check" ]; then dest=$(mktemp -d); tests=$dest; trap 'rm -rf "$dest"' EXIT; fi
mkdir -p "$dest"
make_wallpaper "$dest/WALLPAPER.bmp"
make_banner "$dest/BANNER.jpg"
make_wizard "$dest/WIZARD.jpg"
make_palette_sample "$tests/PALETTE.bmp"
make_icon "$dest/tastavia.ico"

# The sizes the program's windows are laid out for.
expect() {
  local got; got=$("$identify" -format '%m %wx%h' "$1")
  [ "$got" = "$2" ] || { echo "mkart: $1 is '$got', expected '$2'" >&2; exit 1; }
}
expect "$dest/WALLPAPER.bmp" "BMP3 128x128"
expect "$dest/BANNER.jpg" "JPEG 285x189"
expect "$dest/WIZARD.jpg" "JPEG 145x257"
expect "$tests/PALETTE.bmp" "BMP3 8x4"

if [ -n "$check" ]; then
  status=0
  for f in WALLPAPER.bmp BANNER.jpg WIZARD.jpg tastavia.ico; do
    cmp -s "$dest/$f" "$out/$f" || { echo "mkart: $out/$f differs from what mkart draws" >&2; status=1; }
  done
  cmp -s "$tests/PALETTE.bmp" "$top/tests/win32/PALETTE.bmp" ||
    { echo "mkart: tests/win32/PALETTE.bmp differs from what mkart draws" >&2; status=1; }
  exit "$status"
fi
