# Installs the desktop's files alone, into a folder of the test's own, and
# checks the program the menu entry starts: the bare name for /usr (found
# on every session's PATH), the absolute path for any other prefix.
# Arguments: the cmake program, the build folder.
set -eu
cmake=$1 build=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
entry() { # prefix destdir -> the installed entry's Exec and TryExec lines
  DESTDIR=$2 "$cmake" --install "$build" --prefix "$1" --component desktop >/dev/null
  grep -E '^(Exec|TryExec)=' "$2$1/share/applications/almarik.desktop"
}
check() { # what got, what was expected
  [ "$1" = "$2" ] || { printf 'expected:\n%s\ngot:\n%s\n' "$2" "$1"; exit 1; }
}
check "$(entry /usr "$dir/root")" "TryExec=almarik
Exec=almarik"
# A blank and a dollar: quoted and escaped as the entry format wants.
prefix="$dir/my \$apps"
check "$(entry "$prefix" "")" "TryExec=$prefix/bin/almarik
Exec=\"$dir/my \\\\\$apps/bin/almarik\""
[ -f "$prefix/share/man/man1/almarik-list.1" ] || { echo "no manual page installed"; exit 1; }
[ -f "$prefix/share/bash-completion/completions/almarik-list" ] || { echo "no completion installed"; exit 1; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/almarik.desktop"
fi
