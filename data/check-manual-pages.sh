# The manual pages read without a complaint from groff, and almarik-list's
# page and its bash completion know every option its --help names.
# Arguments: almarik-list, the data folder.
set -eu
list=$1 data=$2
command -v groff >/dev/null || { echo 'groff is missing'; exit 77; }
for page in "$data/almarik.1" "$data/almarik-list.1"; do
  said=$(LC_ALL=C.UTF-8 groff -man -ww -z -K utf8 "$page" 2>&1)
  [ -z "$said" ] || { echo "$page: $said"; exit 1; }
done
options=$("$list" --help | grep -oE '^ +--[a-z-]+' | tr -d ' ')
[ -n "$options" ] || { echo "--help names no option"; exit 1; }
for o in $options; do
  man=$(printf '%s' "$o" | sed 's/-/\\\\-/g')
  grep -qE "^\.B[IR]? $man\b" "$data/almarik-list.1" || { echo "almarik-list.1 lacks $o"; exit 1; }
  grep -qw -- "$o" "$data/almarik-list.bash-completion" || { echo "the completion lacks $o"; exit 1; }
done
