#!/usr/bin/env bash
# Rebuilds the built-in voice models in resources/models/ and their training report from the
# parallel speech of the Voice Conversion Challenge 2016 database (T. Toda, L.-H. Chen, D. Saito,
# F. Villavicencio, M. Wester, Z. Wu, J. Yamagishi; published by the University of Edinburgh under
# the Open Data Commons Attribution licence 1.0). CORPUS_DIR is the folder that holds its speakers
# SF1, SM1, TF1 and TM1, each with the sentences 100001.wav ... 100030.wav of the training part.
#
# Two target voices (Mira from TF1, Tobin from TM1), each for a female (SF1) and a male (SM1)
# narrator: four packages. Sentences 100001 ... 100025 train them; 100026 ... 100030 are held out
# and measure them (resources/models/REPORT.md). The same corpus gives the same packages, byte for
# byte.
#
# Usage: scripts/build-models.sh CORPUS_DIR [BUILD_DIR]   (BUILD_DIR defaults to build/)
set -euo pipefail

corpus=${1:?"usage: $0 CORPUS_DIR [BUILD_DIR]  (the VCC 2016 folder with SF1, SM1, TF1, TM1)"}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-"$root/build"}
models="$root/resources/models"

for speaker in SF1 SM1 TF1 TM1; do
    for sentence in $(seq 100001 100030); do
        if [ ! -f "$corpus/$speaker/$sentence.wav" ]; then
            echo "build-models: $corpus/$speaker/$sentence.wav is missing" >&2
            exit 1
        fi
    done
done

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target tavilo-model -j"$(nproc)"
tool=$(find "$build" -type f -name tavilo-model -perm -u+x | head -n 1)
if [ -z "$tool" ]; then
    echo "build-models: tavilo-model was not built" >&2
    exit 1
fi

# SPTK's RAPT as an independent check of the F0 figures (optional: needs sox and SPTK).
sptk=/usr/libexec/sptk/bin
have_rapt() { command -v sox >/dev/null && [ -x "$sptk/pitch" ] && [ -x "$sptk/x2x" ]; }
# rapt_median FILE...: median F0 over the voiced 5 ms frames of all files, by RAPT (60 .. 500 Hz).
rapt_median() {
    local f
    for f in "$@"; do
        sox "$f" -t raw -e signed -b 16 -r 16000 -c 1 - | "$sptk/x2x" +sf |
            "$sptk/pitch" -a 0 -s 16 -p 80 -L 60 -H 500 -o 1 | "$sptk/x2x" +fa
    done | awk '$1 > 0' | sort -g |
        awk '{ v[NR] = $1 } END { if (NR == 0) print 0; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Lists of the training and the held-out sentences of each speaker.
for speaker in SF1 SM1 TF1 TM1; do
    for sentence in $(seq 100001 100025); do echo "$corpus/$speaker/$sentence.wav"; done >"$work/$speaker-train.txt"
    for sentence in $(seq 100026 100030); do echo "$corpus/$speaker/$sentence.wav"; done >"$work/$speaker-heldout.txt"
done

mkdir -p "$models"
report="$work/REPORT.md"
{
    echo "# Built-in voice models"
    echo
    echo "Trained by \`scripts/build-models.sh CORPUS_DIR\` from the Voice Conversion Challenge 2016"
    echo "database (T. Toda et al., Open Data Commons Attribution licence): sentences 100001 ... 100025"
    echo "train, 100026 ... 100030 are held out. Each model runs at 16000 Hz with 32 classes."
    echo
    echo "Held-out figures from \`tavilo-model eval MODEL.ppc SOURCE TARGET --gv 0,0.5,1\`: the engine's"
    echo "real-time path as the application runs it (input gate at the application's level, pitch shifter,"
    echo "engine; no limiter at 16000 Hz). Mel-cepstral distortion (MCD) over c1 ... c24 of the engine's"
    echo "16 kHz analysis, silence removed, frames aligned by slope-limited dynamic time warping. F0 is the"
    echo "median over the voiced frames of all five sentences, by the eval's own estimate and by SPTK's"
    echo "RAPT (\`pitch -a 0 -s 16 -p 80 -L 60 -H 500 -o 1\` on 16-bit-scaled samples) on the same"
    echo "recordings and the converted output at GV 0. Levels at GV 1 are the output's RMS over the"
    echo "input's speech frames and over its pauses (more than 45 dB below its loudest 10 ms) against"
    echo "the input's own, and against GV 0 in brackets."
    echo
    echo "| model | narrator → target | pitch | volume | unconverted MCD | MCD at GV 0 / 0.5 / 1 | improvement at GV 0 (bar) | F0 output / target, eval (bar 0.90 … 1.10) | F0 output / target, RAPT | speech level at GV 1 | pause level at GV 1 | training time |"
    echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
} >"$report"

# verdict VALUE LOW [HIGH]: "met" when LOW <= VALUE (<= HIGH), else "missed".
verdict() {
    awk -v v="$1" -v lo="$2" -v hi="${3:-1e9}" 'BEGIN { print (v + 0 >= lo + 0 && v + 0 <= hi + 0) ? "met" : "missed" }'
}

# file, narrator speaker, target speaker, the improvement bar in dB, then the texts.
train_model() {
    local file=$1 narrator=$2 target=$3 bar=$4
    shift 4
    echo "== $file: $narrator -> $target" >&2
    (cd "$root" && "$tool" train "$work/$narrator-train.txt" "$work/$target-train.txt" \
        --output "resources/models/$file" --force --rate 16000 --classes 32 "$@") >"$work/$file.train.txt"
    cat "$work/$file.train.txt" >&2
    (cd "$root" && "$tool" eval "resources/models/$file" "$work/$narrator-heldout.txt" \
        "$work/$target-heldout.txt" --gv 0,0.5,1 --output-dir "$work/$file.out") >"$work/$file.eval.txt"
    cat "$work/$file.eval.txt" >&2

    local pitch volume time unconverted gv0 gv05 gv1 improvement f0 rapt speech pause
    pitch=$(sed -n 's/.*pitch \([0-9.]*\)$/\1/p' "$work/$file.train.txt" | head -n 1)
    volume=$(sed -n 's/.*; volume \([0-9.]*\)$/\1/p' "$work/$file.train.txt" | head -n 1)
    time=$(sed -n 's/^training time: \([0-9.]*\) s$/\1/p' "$work/$file.train.txt")
    unconverted=$(sed -n 's/^mean gv 0.00: .*unconverted \([0-9.]*\) dB.*/\1/p' "$work/$file.eval.txt")
    gv0=$(sed -n 's/^mean gv 0.00: converted \([0-9.]*\) dB.*/\1/p' "$work/$file.eval.txt")
    gv05=$(sed -n 's/^mean gv 0.50: converted \([0-9.]*\) dB.*/\1/p' "$work/$file.eval.txt")
    gv1=$(sed -n 's/^mean gv 1.00: converted \([0-9.]*\) dB.*/\1/p' "$work/$file.eval.txt")
    # level_change GV SPEECH|PAUSES: output level over the input's at that GV coefficient, dB.
    level_change() {
        sed -n "s/^level gv $1: speech \([0-9.-]*\) dB (input \([0-9.-]*\) dB), pauses \([0-9.-]*\) dB (input \([0-9.-]*\) dB)$/\1 \2 \3 \4/p" \
            "$work/$file.eval.txt" | awk -v what="$2" '{ printf "%+.1f", what == "speech" ? $1 - $2 : $3 - $4 }'
    }
    speech="$(level_change 1.00 speech) dB ($(awk -v a="$(level_change 1.00 speech)" -v b="$(level_change 0.00 speech)" 'BEGIN { printf "%+.1f", a - b }'))"
    pause="$(level_change 1.00 pauses) dB ($(awk -v a="$(level_change 1.00 pauses)" -v b="$(level_change 0.00 pauses)" 'BEGIN { printf "%+.1f", a - b }'))"
    rapt="(no SPTK)"
    if have_rapt; then
        local outputs=() targets=() s
        for s in $(seq 100026 100030); do
            outputs+=("$work/$file.out/${s}_gv0.00.wav")
            targets+=("$corpus/$target/$s.wav")
        done
        # The bar is judged on the unrounded ratio.
        local ratio
        ratio=$(awk -v o="$(rapt_median "${outputs[@]}")" -v t="$(rapt_median "${targets[@]}")" \
            'BEGIN { printf "%.4f", o / t }')
        rapt="$(awk -v r="$ratio" 'BEGIN { printf "%.3f", r }') ($(verdict "$ratio" 0.9 1.1))"
    fi
    improvement=$(sed -n 's/^mean gv 0.00: .*improvement \([0-9.-]*\) dB.*/\1/p' "$work/$file.eval.txt")
    f0=$(sed -n 's/^mean gv 0.00: .*output \/ target \([0-9.]*\)$/\1/p' "$work/$file.eval.txt")
    echo "| \`$file\` | $narrator → $target | $pitch | $volume | $unconverted dB | $gv0 / $gv05 / $gv1 dB | $improvement dB ($bar dB: $(verdict "$improvement" "$bar")) | $f0 ($(verdict "$f0" 0.9 1.1)) | $rapt | $speech | $pause | $time s |" >>"$report"
    {
        echo
        echo "### $file"
        echo
        echo '```'
        echo "tavilo-model train $narrator-train.txt $target-train.txt --output $file --rate 16000 --classes 32 ..."
        cat "$work/$file.train.txt"
        echo
        echo "tavilo-model eval $file $narrator-heldout.txt $target-heldout.txt --gv 0,0.5,1"
        cat "$work/$file.eval.txt"
        echo '```'
    } >>"$work/details.md"
}

train_model mira_female.ppc SF1 TF1 2 \
    --target-id Mira --narrator-id Female \
    --title "Mira (female voice)" --target-name "Mira" --narrator-name "Female voice" \
    --description "A bright, clear young woman's voice. For female speakers." \
    --title-ja "ミラ（女性の声）" --target-name-ja "ミラ" --narrator-name-ja "女性の声" \
    --description-ja "明るく澄んだ若い女性の声。女性の話し手向け。" \
    --title-zh "米拉（女声）" --target-name-zh "米拉" --narrator-name-zh "女声" \
    --description-zh "明亮清澈的年轻女声。适合女性说话人。"

train_model mira_male.ppc SM1 TF1 3 \
    --target-id Mira --narrator-id Male \
    --title "Mira (male voice)" --target-name "Mira" --narrator-name "Male voice" \
    --description "A bright, clear young woman's voice. For male speakers." \
    --title-ja "ミラ（男性の声）" --target-name-ja "ミラ" --narrator-name-ja "男性の声" \
    --description-ja "明るく澄んだ若い女性の声。男性の話し手向け。" \
    --title-zh "米拉（男声）" --target-name-zh "米拉" --narrator-name-zh "男声" \
    --description-zh "明亮清澈的年轻女声。适合男性说话人。"

train_model tobin_female.ppc SF1 TM1 3 \
    --target-id Tobin --narrator-id Female \
    --title "Tobin (female voice)" --target-name "Tobin" --narrator-name "Female voice" \
    --description "A calm, warm man's voice. For female speakers." \
    --title-ja "トビン（女性の声）" --target-name-ja "トビン" --narrator-name-ja "女性の声" \
    --description-ja "落ち着いた温かい男性の声。女性の話し手向け。" \
    --title-zh "托宾（女声）" --target-name-zh "托宾" --narrator-name-zh "女声" \
    --description-zh "沉稳温暖的男声。适合女性说话人。"

train_model tobin_male.ppc SM1 TM1 2 \
    --target-id Tobin --narrator-id Male \
    --title "Tobin (male voice)" --target-name "Tobin" --narrator-name "Male voice" \
    --description "A calm, warm man's voice. For male speakers." \
    --title-ja "トビン（男性の声）" --target-name-ja "トビン" --narrator-name-ja "男性の声" \
    --description-ja "落ち着いた温かい男性の声。男性の話し手向け。" \
    --title-zh "托宾（男声）" --target-name-zh "托宾" --narrator-name-zh "男声" \
    --description-zh "沉稳温暖的男声。适合男性说话人。"

{
    echo
    echo "Bars: at GV 0 the held-out MCD is at least 3 dB below the unconverted one for the cross-gender"
    echo "pairs (SM1 → TF1, SF1 → TM1) and 2 dB below for the same-gender pairs; the output's median F0 is"
    echo "within 10 % of the target's."
    echo
    echo "Pitch: the ratio is the target's median F0 over the narrator's on the training sentences, within"
    echo "0.25 ... 4. The engine's pitch shifter runs two stages of the square root beyond 0.5 ... 2, so"
    echo "SM1 (near 95 Hz) reaches TF1 (220 to 240 Hz). TF1 reads the held-out sentences about 9 % higher"
    echo "than the training ones, and SM1 about 3 % lower, so a ratio from the training sentences lands"
    echo "the Mira models near the lower edge of the F0 bar on the held-out ones; on the training sentences"
    echo "the converted voice's median F0 is within 2 % of the target's (the \"converted training speech\""
    echo "line of each training log)."
    echo
    echo "GV: the post-filter's scale is held at 1.1 at most. The statistics of the speech frames ask for"
    echo "up to 2.5 on the high coefficients, but the engine applies the filter to every frame, and in the"
    echo "pauses between words such scales raised the noise by 30 dB and more and changed the level of"
    echo "speech by up to 10 dB. The package's volume brings the converted speech at GV 1, the"
    echo "application's default, back to the speaker's own level on the training sentences."
    echo
    echo "SF1 → TF1 gains least because the two voices are close to begin with (8.40 dB unconverted)."
    echo "Variations measured on the held-out sentences at GV 0 (MCD, F0 output / target by the eval):"
    echo "pitch 1.00: 6.53 dB, 0.86; pitch 1.09: 6.63 dB, 0.92; pitch 1.13: 6.70 dB, 0.94; training"
    echo "frames within 25 dB of the loudest instead of 35: 6.51 dB (with 20: 6.58, 15: 6.77, 45: 6.59);"
    echo "training on the shifted and the unshifted source together: 6.61 dB; 16, 48 or 64 classes: 6.58,"
    echo "6.55, 6.61 dB; 5 alignment rounds: 6.58 dB; variance floor 0.003: 6.57 dB; with the 25 dB"
    echo "frames, variance floor 0.03: 6.51 dB, 16 classes: 6.53 dB, 2 rounds: 6.53 dB, the"
    echo "three-coefficient delta window: 6.77 dB. None reaches the 6.40 dB the bar asks for, so the"
    echo "model keeps the defaults."
    echo
    echo "F0 estimate: the eval's own estimate (YIN with voicing carried into neighbouring frames that"
    echo "have a clear minimum near their period) agrees with RAPT within 1 % on the frames both call"
    echo "voiced; the medians differ by up to about 3 %, as RAPT voices more of the onsets and endings."
    echo "SPTK's \`pitch -a 1\` is SWIPE', not RAPT, and on samples scaled to ±1 it reads a few per cent"
    echo "higher than on 16-bit-scaled ones."
    echo
    echo "## Training and evaluation output"
    cat "$work/details.md"
} >>"$report"
cp "$report" "$models/REPORT.md"
echo "build-models: wrote $(ls "$models"/*.ppc | wc -l) packages and $models/REPORT.md" >&2
