#!/usr/bin/env bash

# SPDX-FileCopyrightText: Chimewick developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Makes Chimewick's 26 placeholder bell recordings: a short chime, then the caption
# of the bell's button spoken by espeak-ng. Mono, 44.1 kHz; WMA and MP3 at 64 kbit/s,
# the one WAV as 16-bit PCM. The chime starts on the very first sample, so the sound
# is audible at once.
#
# Usage: scripts/make-sounds.sh [OUTPUT_DIR]     (default: data/sounds in the repo)
#
# Safe to run again: every run writes the same files (fixed random seed, no time
# stamps or encoder version in the containers). Needs espeak-ng, sox and ffmpeg
# (scripts/install-deps.sh installs them).
set -euo pipefail

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out_dir=${1:-"$repo_root/data/sounds"}

for tool in espeak-ng sox soxi ffmpeg; do
  command -v "$tool" >/dev/null || {
    echo "make-sounds: '$tool' not found; run scripts/install-deps.sh" >&2
    exit 1
  }
done

mkdir -p "$out_dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rate=44100
bitrate=64k
min_seconds=2.2 # short captions get trailing silence up to this length

# file name | spoken caption | first chime note | second chime note
# The two notes differ per bell family so that the bells can be told apart by ear.
bells=(
  "belle.wma|O/E Bell|G5|D5"
  "bell.mp3|Periad Bell|C5|G4"
  "cm.wma|End Gatha|A4|E4"
  "mpoojawa.wma|Morning Gatha|E5|A4"
  "Shareera Suwatha 2.wav|Sarera Suwatha|D5|A4"
  "Jathika Geeya.mp3|Jathika Geeya|F5|C5"
  "pgee.mp3|Pasal Geeya|G5|C5"
  "gt.wma|Gree Time Bell|B4|E5"
  "teachingstart.wma|Teaching Start|C5|E5"
  "period2.wma|Periad 2|D5|G5"
  "period3.wma|Periad 3|E5|A5"
  "period4.wma|Periad 4|F5|B5"
  "interwal.wma|Interval|A5|F5"
  "period5.wma|Periad 5|G5|C6"
  "period6.wma|Periad 6|A5|D6"
  "period7.wma|Periad 7|B5|E6"
  "period8.wma|Periad 8|C6|F6"
  "end.wma|End Bell|E5|C5"
  "sb.wma|Short Bell|A5|A5"
  "hodamalamaya.wma|Hodama Lamaya|D5|F5"
  "BellStart.wma|Start Bell|C5|C6"
  "BellStart2.wma|Start Bell 2|D5|D6"
  "Jathika Geeya Half.wma|Jathika Geeya Half|F5|A4"
  "NgeeMusic.mp3|Jathika Geeya Music|F4|C5"
  "pirith.mp3|Perith|G4|D4"
  "pg.mp3|Parisara Geeya|E4|B4"
)

# sox -R: repeatable runs (fixed seed for the pluck noise and any dither).
sx() { sox -R -V1 "$@"; }

# Semitones from A4 of a note name such as C5 or A4, in sox's "%n" notation.
semitones() { # note
  local letter=${1:0:1} octave=${1:1}
  local -A offset=([C]=-9 [D]=-7 [E]=-5 [F]=-4 [G]=-2 [A]=0 [B]=2)
  echo $((offset[$letter] + 12 * (octave - 4)))
}

# A bell-like chime of about one second: a plucked first note struck at time 0,
# the bright inharmonic partial of a bell (2.76 times its frequency, 17.6
# semitones up) ringing above it, and a second plucked note 0.3 s later.
make_chime() { # note1 note2 output
  local n1=$1 n2=$2 out=$3
  local partial
  partial=$(awk -v s="$(semitones "$n1")" 'BEGIN { printf "%%%.1f", s + 17.6 }')
  sx -n -r $rate -c 1 -b 16 "$work/c1.wav" synth 1.0 pluck "$n1" fade 0 1.0 0.7
  sx -n -r $rate -c 1 -b 16 "$work/c2.wav" synth 1.0 sine "$partial" fade l 0 1.0 0.95 vol 0.4
  sx -n -r $rate -c 1 -b 16 "$work/c3.wav" synth 0.7 pluck "$n2" fade 0 0.7 0.5 pad 0.3 0
  sx -m "$work/c1.wav" "$work/c2.wav" "$work/c3.wav" -b 16 "$out" norm -2
}

make_bell() { # file caption note1 note2
  local file=$1 caption=$2 n1=$3 n2=$4
  make_chime "$n1" "$n2" "$work/chime.wav"

  espeak-ng -s 150 -w "$work/voice-raw.wav" "$caption"
  # Same rate and layout as the chime; drop the voice's leading silence, keep a
  # small breath after the chime, and bring it to the chime's loudness.
  sx "$work/voice-raw.wav" -r $rate -c 1 -b 16 "$work/voice.wav" \
    silence 1 0.01 0.5% pad 0.1 0.15 norm -3

  sx "$work/chime.wav" "$work/voice.wav" "$work/joined.wav"
  local seconds pad
  seconds=$(soxi -D "$work/joined.wav")
  pad=$(awk -v s="$seconds" -v m="$min_seconds" 'BEGIN { d = m - s; printf "%.3f", (d > 0 ? d : 0) }')
  sx "$work/joined.wav" "$work/bell.wav" pad 0 "$pad"

  local tmp="$work/out.${file##*.}"
  local ff=(ffmpeg -nostdin -loglevel error -y -i "$work/bell.wav" -map_metadata -1
            -fflags +bitexact -flags:a +bitexact -ac 1 -ar "$rate")
  case "$file" in
    *.wma) "${ff[@]}" -c:a wmav2 -b:a $bitrate "$tmp" ;;
    *.mp3) "${ff[@]}" -c:a libmp3lame -b:a $bitrate -write_xing 1 "$tmp" ;;
    *.wav) cp "$work/bell.wav" "$tmp" ;;
    *) echo "make-sounds: unknown format: $file" >&2; exit 1 ;;
  esac
  mv -f "$tmp" "$out_dir/$file"
}

for entry in "${bells[@]}"; do
  IFS='|' read -r file caption n1 n2 <<<"$entry"
  make_bell "$file" "$caption" "$n1" "$n2"
  echo "made $out_dir/$file"
done
