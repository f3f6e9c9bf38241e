#!/bin/sh
# Code image to Intel hex for the conversion window.
#   binhex.sh WORKDIR SOURCE TARGET START
# START: the address of the image's first byte, 1 to 4 hexadecimal digits.
# Exit 0: TARGET written. 2: bad arguments. 3: the image would reach past FFFFH. 127: no srec_cat.
# Any other code is srec_cat's own failure. A failed run leaves no TARGET behind.
[ $# -eq 4 ] || { echo "usage: binhex.sh WORKDIR SOURCE TARGET START" >&2; exit 2; }
workdir=$1 source=$2 target=$3 start=$4
case $start in
  ''|?????*|*[!0-9A-Fa-f]*) echo "bad start address: $start" >&2; exit 2 ;;
esac
command -v srec_cat >/dev/null 2>&1 || { echo "srec_cat not found" >&2; exit 127; }
cd "$workdir" || exit 2
rm -f "$target"
[ -f "$source" ] || { echo "no source: $source" >&2; exit 2; }

size=$(wc -c < "$source") || exit 2
if [ $((0x$start + size)) -gt 65536 ]; then
  echo "image reaches beyond FFFFH" >&2
  exit 3
fi

# Two-byte addresses: no extended-address records, which 8051 tools do not expect.
srec_cat "$source" -Binary -offset "0x$start" -o "$target" -Intel -address-length=2 -Output_Block_Size=16
status=$?
if [ $status -ne 0 ]; then
  # srec_cat leaves what it wrote before the failure.
  rm -f "$target"
  exit $status
fi
exit 0
