#!/bin/sh
# Hex file to code image for the conversion window.
#   hexbin.sh WORKDIR SOURCE TARGET FORMAT FILL
# FORMAT: i Intel, m Motorola S-records, t Tektronix, x TI-Tagged (XTI SDSMAC).
# FILL: 0 fills the holes with 00H, 1 with FFH.
# Exit 0: TARGET written. 2: bad arguments. 3: data at 10000H or above. 4: SOURCE holds no data.
# 127: no srec_cat. Any other code is srec_cat's own failure. A failed run leaves no TARGET behind,
# and nothing of its own outside WORKDIR.
[ $# -eq 5 ] || { echo "usage: hexbin.sh WORKDIR SOURCE TARGET FORMAT FILL" >&2; exit 2; }
workdir=$1 source=$2 target=$3 format=$4 fill=$5
case $format in
  i) kind=-Intel ;;
  m) kind=-Motorola ;;
  t) kind=-Tektronix ;;
  x) kind=-Texas_Instruments_Tagged ;;
  *) echo "unknown hex format: $format" >&2; exit 2 ;;
esac
case $fill in
  0|1) ;;
  *) echo "unknown fill: $fill" >&2; exit 2 ;;
esac
command -v srec_cat >/dev/null 2>&1 || { echo "srec_cat not found" >&2; exit 127; }
cd "$workdir" || exit 2
rm -f "$target"
[ -f "$source" ] || { echo "no source: $source" >&2; exit 2; }

no_data() {
  echo "no data: $source" >&2
  exit 4
}
# A blank file holds no data, though srec_cat calls a blank TI-Tagged file broken.
grep -q '[^[:space:]]' "$source" || no_data

# Every format is first rewritten as Intel hex, and that is converted instead: srec_cat 1.64
# misreads a TI-Tagged file given together with -fill, only warns about a Motorola file without
# data (and then writes an empty image, or fails on the 4 GB fill range), and the one reading
# answers every later question in one format.
relay=$(mktemp "$PWD/relay.XXXXXX") || exit 1
errors=$(mktemp "$PWD/errors.XXXXXX") || { rm -f "$relay"; exit 1; }
trap 'rm -f "$relay" "$errors"' EXIT
if ! srec_cat "$source" $kind -o "$relay" -Intel 2>"$errors"; then
  # srec_cat wraps its messages at 80 columns.
  tr -s '[:space:]' ' ' <"$errors" | grep -q ': file contains no data' && no_data
  cat "$errors" >&2
  exit 1
fi

data_record='^:[0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F]00'
grep -q "$data_record" "$relay" || no_data

# srec_cat would place such data far out in a binary file and report success; an 8051 code image
# ends at FFFFH, so the file is refused instead.
beyond=$(srec_cat "$relay" -Intel -crop 0x10000 0x100000000 -o - -Intel) || exit 1
if printf '%s\n' "$beyond" | grep -q "$data_record"; then
  echo "data beyond FFFFH" >&2
  exit 3
fi

if [ "$fill" = 1 ]; then
  srec_cat "$relay" -Intel -fill 0xFF 0 -maximum-address "$relay" -Intel -o "$target" -Binary
else
  srec_cat "$relay" -Intel -o "$target" -Binary
fi
status=$?
if [ $status -ne 0 ]; then
  rm -f "$target"
  exit $status
fi
exit 0
