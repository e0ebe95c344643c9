#!/usr/bin/env bash
# Regenerates every interface image: writes the SVG sources (resources/images/src/generate_svgs.py),
# renders each one with rsvg-convert to resources/images/<name>.png and checks every PNG's pixel size
# against the table below, and that nine-slice images stretch cleanly. Fails on a missing source, a
# size mismatch, a nine-slice image whose centre is not uniform, or a stray file.
# Needs python3 and rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."

images=resources/images
src=$images/src

# name  width  height
table=$(cat <<'EOF'
app_icon 200 200
app_logo 590 180
button_large_default_slice9_l52_t52_r53_b53 105 105
button_small_default_slice9_l20_t20_r24_b24 43 43
button_small_selected_slice9_l20_t20_r24_b24 43 43
checkmark_check 66 66
checkmark_uncheck 66 66
ducking_flat 443 245
ducking_weak 443 245
ducking_strong 443 245
ducking_reactor_dot 32 32
ducking_reactor_ripple 192 106
hairline_slice9_l1_t1_r3_b3 4 4
hud_panel_slice9_l205_t190_r225_b240 431 431
knob_guide 256 256
knob_wheel 256 256
knob_wheel_current_point_base_center 256 256
level_meter_max_gradient 151 530
level_meter_scale_guide 151 530
signalflow_bypass_off_1of4 2154 792
signalflow_bypass_off_2of4 2154 792
signalflow_bypass_off_3of4 2154 792
signalflow_bypass_off_4of4 2154 792
signalflow_bypass_on_1of4 2154 792
signalflow_bypass_on_2of4 2154 792
signalflow_bypass_on_3of4 2154 792
signalflow_bypass_on_4of4 2154 792
signalflow_shared 925 790
slider_thumb_default 80 80
slider_thumb_hover 80 80
slider_thumb_pressed 80 80
space_annotation_line 461 317
space_size_ring 455 98
space_type_a 256 256
space_type_b 256 256
space_type_c 256 256
space_type_d 256 256
space_type_e 256 256
space_type_f 256 256
symbol_image_placeholder 208 209
symbol_mic 123 231
symbol_open_combo_box 63 36
symbol_settings 190 190
symbol_signal 260 260
icon_tavilo_master_20190328_1024x1024-64 64 64
OstrelPC_GUI_Main_Sample_Bg 2880 1800
EOF
)

fail() { echo "render-images: $*" >&2; exit 1; }

command -v rsvg-convert >/dev/null || fail "rsvg-convert not found (install librsvg2-bin)"
command -v python3 >/dev/null || fail "python3 not found"

# Width and height from a PNG's IHDR chunk (bytes 16..23, big-endian).
png_size() {
    local b
    b=($(od -An -tu1 -j16 -N8 "$1"))
    [ ${#b[@]} -eq 8 ] || { echo "0 0"; return; }
    echo "$(( (b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3] )) $(( (b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7] ))"
}

rm -f "$src"/*.svg
python3 "$src/generate_svgs.py" "$src"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

declare -A expected=()
while read -r name w h; do
    expected[$name]=1
    [ -f "$src/$name.svg" ] || fail "no source $src/$name.svg"
    rsvg-convert -f png -o "$tmp/$name.png" "$src/$name.svg" || fail "rsvg-convert failed on $name.svg"
    read -r gw gh < <(png_size "$tmp/$name.png")
    [ "$gw" = "$w" ] && [ "$gh" = "$h" ] || fail "$name.png is ${gw} x ${gh}, expected ${w} x ${h}"
done <<< "$table"

for f in "$src"/*.svg; do
    name=$(basename "$f" .svg)
    [ -n "${expected[$name]:-}" ] || fail "$f has no entry in the image table"
done

# Nine-slice images: the stretched centre column and row must be uniform.
python3 "$src/check_slice9.py" "$tmp"/*_slice9_*.png || fail "a nine-slice image does not stretch cleanly"

# Replace the committed images only once everything rendered and checked.
rm -f "$images"/*.png
cp "$tmp"/*.png "$images"/

for f in "$images"/*.png; do
    name=$(basename "$f" .png)
    [ -n "${expected[$name]:-}" ] || fail "$f has no entry in the image table"
done
echo "render-images: ${#expected[@]} images rendered and checked in $images"
