# A tree deeper than the classic 260-character limit, copied by every type.
deep="$1/Deep"
for level in a b c d e; do deep="$deep/$(printf "$level%.0s" $(seq 60))"; done
mkdir -p "$deep"
printf 'deep\n' >"$deep/deep.dat"
sed -i 's/^\[Files\]\r$/[Files]\r\nCOPY DIR:Deep:1:1:1:<INSTALL DIR>\\:\r/' "$1/Setup.inf"
grep -q '^COPY DIR:Deep:' "$1/Setup.inf"
