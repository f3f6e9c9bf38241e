#!/bin/sh
# Hex file to code image for the conversion window.
#   hexbin.sh WORKDIR SOURCE TARGET FORMAT FILL
# FORMAT: i Intel, m Motorola S-records, t Tektronix, x TI-Tagged (XTI SDSMAC).
# FILL: 0 fills the holes with 00H, 1 with FFH.
# Exit 0: TARGET written. 2: bad arguments. 3: data at 10000H or above. 127: no srec_cat.
# Any other code is srec_cat's own failure. A failed run leaves no TARGET behind.
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

# srec_cat 1.64 misreads a TI-Tagged file given together with -fill; it reads it well alone, so
# the file is first rewritten as Intel hex and that is converted instead.
if [ "$format" = x ]; then
  relay=$(mktemp "${TMPDIR:-/tmp}/hexbin.XXXXXX") || exit 1
  trap 'rm -f "$relay"' EXIT
  srec_cat "$source" $kind -o "$relay" -Intel || exit 1
  source=$relay kind=-Intel
fi

data_record='^:[0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F][0-9A-F]00'
# srec_cat would place such data far out in a binary file and report success; an 8051 code image
# ends at FFFFH, so the file is refused instead.
beyond=$(srec_cat "$source" $kind -crop 0x10000 0x100000000 -o - -Intel) || exit 1
if printf '%s\n' "$beyond" | grep -q "$data_record"; then
  echo "data beyond FFFFH" >&2
  exit 3
fi

if [ "$fill" = 1 ]; then
  srec_cat "$source" $kind -fill 0xFF 0 -maximum-address "$source" $kind -o "$target" -Binary
else
  srec_cat "$source" $kind -o "$target" -Binary
fi
status=$?
if [ $status -ne 0 ]; then
  rm -f "$target"
  exit $status
fi
exit 0
