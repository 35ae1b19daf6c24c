#!/usr/bin/env bash
# Builds a small PAL DVD-Video folder whose title carries subtitles rendered from known text, for the tests
# of reading subtitles into text.
#
#   make-subtitle-dvd.sh DIR
#
# DIR/VIDEO_TS: one title of 32 s, two chapters, English audio, two subtitle streams: English (one of its
# lines forced) and French (accents). DIR/truth/en.tsv and fr.tsv hold each line as
# START<TAB>END<TAB>FORCED<TAB>TEXT, seconds from the title's start, a line break in TEXT written as "|".
# Nothing is written when DIR/VIDEO_TS/VIDEO_TS.IFO exists already (the tests cache the disc).
set -euo pipefail

out=${1:?usage: make-subtitle-dvd.sh DIR}
# shellcheck source=dvd-build-lib.sh
source "$(dirname "$0")/dvd-build-lib.sh"
dvd_standard pal
dvd_begin pal ffmpeg spumux dvdauthor convert

# start end forced text
en_lines=(
  "1.0|3.5|0|Good morning, how are you today?"
  "4.0|6.5|0|I think we should leave before|the rain starts again."
  "7.0|9.5|1|Where is the train station?"
  "10.0|12.5|0|The museum opens at nine o'clock."
  "13.0|15.5|0|Please bring the blue umbrella."
  "16.5|19.0|0|We have been waiting for hours."
  "20.0|22.5|0|Nobody knows what happened next."
  "24.0|26.5|0|Thank you for everything, Margaret."
)
fr_lines=(
  "1.0|3.5|0|Bonjour, comment allez-vous ?"
  "4.0|6.5|0|Où est le café près de la gare ?"
  "7.0|9.5|0|Il était une fois un garçon très âgé."
  "10.0|12.5|0|Déjà fini ? C'est génial, merci."
  "13.0|15.5|0|La fenêtre est fermée à clé."
  "16.5|19.0|0|Nous sommes arrivés en été."
  "20.0|22.5|0|Noël approche, préparez-vous."
  "24.0|26.5|0|À bientôt, chère Françoise."
)

# One line as a frame-sized picture: white text, a dark grey outline, black (transparent) elsewhere.
render() {
  local text=$1 png=$2
  convert -size 720x576 xc:black -font DejaVu-Sans-Bold -pointsize 30 +antialias -fill white \
    -gravity south -interline-spacing 6 -annotate +0+50 "${text//|/$'\n'}" "$work/t.png"
  convert "$work/t.png" -morphology Dilate Disk:2 -fill 'rgb(64,64,64)' -opaque white "$work/o.png"
  convert "$work/o.png" "$work/t.png" -compose lighten -composite -type TrueColor "$png"
}

mkdir -p "$out/truth"
# stream LANG LINES...: the spumux file and the truth file of one stream
stream() {
  local lang=$1 line start end forced text n=0; shift
  : >"$out/truth/$lang.tsv"
  { echo '<subpictures format="PAL">'; echo '  <stream>'; } >"$work/$lang.xml"
  for line in "$@"; do
    IFS='|' read -r start end forced text <<<"$line"
    text=${line#*|*|*|}
    n=$((n + 1))
    render "$text" "$work/$lang$n.png"
    local force=no; [ "$forced" = 1 ] && force=yes
    printf '    <spu start="%s" end="%s" image="%s" transparent="000000" force="%s"/>\n' \
      "$(printf '00:00:%05.2f' "$start")" "$(printf '00:00:%05.2f' "$end")" "$work/$lang$n.png" "$force" \
      >>"$work/$lang.xml"
    printf '%s\t%s\t%s\t%s\n' "$start" "$end" "$forced" "$text" >>"$out/truth/$lang.tsv"
  done
  { echo '  </stream>'; echo '</subpictures>'; } >>"$work/$lang.xml"
}
stream en "${en_lines[@]}"
stream fr "${fr_lines[@]}"

dvd_clip s 32 4:3 testsrc2 440
spumux -m dvd -s 0 "$work/en.xml" <"$work/s.mpg" >"$work/s0.mpg" 2>"$work/spumux.log" ||
  { cat "$work/spumux.log" >&2; exit 1; }
spumux -m dvd -s 1 "$work/fr.xml" <"$work/s0.mpg" >"$work/s1.mpg" 2>>"$work/spumux.log" ||
  { cat "$work/spumux.log" >&2; exit 1; }

dvd_xml_begin
dvd_titleset pal 4:3 en "en fr"
dvd_pgc "$work/s1.mpg" 0,0:16
dvd_titleset_end
dvd_author
