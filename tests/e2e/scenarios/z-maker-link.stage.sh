# The maker's folder below Program Files is a link to a folder on another
# path that holds another product of the maker.
other="$1/../Elsewhere/ﾃﾞﾓｿﾌﾄ"
mkdir -p "$other/月の庭"
printf 'other product\n' >"$other/月の庭/Game.exe"
ln -s "$(cd "$other" && pwd)" "$1/../Program Files/ﾃﾞﾓｿﾌﾄ"
