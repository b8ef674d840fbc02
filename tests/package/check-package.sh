#!/usr/bin/env bash
# Checks the Debian package that scripts/package built in BUILD_DIR: lintian,
# its contents, the driver registration against a private ODBC
# configuration, and the program starting from an unpacked copy.
set -uo pipefail
build=${1:?usage: check-package.sh BUILD_DIR}
passed=0
failed=0
check() {  # check "what" command...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}

shopt -s nullglob
debs=("$build"/tablewright_*_amd64.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "FAILED: expected one package in $build, found ${#debs[@]} (run scripts/package)"
  echo "0 passed, 1 failed"
  exit 1
fi
deb=${debs[0]}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check "lintian reports no errors" lintian --fail-on error "$deb"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
for path in /usr/lib/tablewright/tablewright /usr/lib/tablewright/HAND-M.CUR \
    /usr/lib/tablewright/register-mysql-driver /usr/share/applications/tablewright.desktop \
    /usr/share/icons/hicolor/scalable/apps/tablewright.svg /usr/share/icons/hicolor/48x48/apps/tablewright.png \
    /usr/share/doc/tablewright/copyright /usr/bin/tablewright; do
  check "the package holds $path" grep -qx "$path" "$work/contents"
done
check "the stand-in driver is not in the package" bash -c "! grep -qi standin '$work/contents'"
check "nothing but the link is in /usr/bin" bash -c "[ \"\$(grep -c '^/usr/bin/.' '$work/contents')\" = 1 ]"
check "the package depends on Qt's widgets and unixODBC" bash -c \
  "dpkg-deb -f '$deb' Depends | grep -q libqt6widgets6 && dpkg-deb -f '$deb' Depends | grep -q libodbc2"
check "the package recommends the MariaDB ODBC driver" bash -c "dpkg-deb -f '$deb' Recommends | grep -q odbc-mariadb"

root=$work/root
dpkg-deb -x "$deb" "$root"
check "/usr/bin/tablewright links to the program in its folder" \
  test "$(readlink "$root/usr/bin/tablewright")" = "../lib/tablewright/tablewright"
check "the desktop entry is valid" desktop-file-validate "$root/usr/share/applications/tablewright.desktop"
check "the menu entry runs tablewright" grep -qx "Exec=tablewright" "$root/usr/share/applications/tablewright.desktop"
check "the icon is a 48x48 PNG" bash -c "file '$root/usr/share/icons/hicolor/48x48/apps/tablewright.png' | grep -q '48 x 48'"

# The registration, against a private ODBC configuration.
register=$root/usr/lib/tablewright/register-mysql-driver
export ODBCSYSINI=$work/odbc TABLEWRIGHT_STATE_DIR=$work/state
mkdir -p "$ODBCSYSINI"
: >"$ODBCSYSINI/odbcinst.ini"
registered() { odbcinst -q -d -n "MySQL ODBC 5.1 Driver" >/dev/null 2>&1; }
check "register succeeds" "$register" register
check "the driver name is registered for the installed library" bash -c \
  "odbcinst -q -d -n 'MySQL ODBC 5.1 Driver' | grep -q '^Driver=.*libmaodbc.so'"
check "a second register changes nothing" bash -c \
  "'$register' register && [ \"\$(grep -c 'MySQL ODBC 5.1 Driver' '$ODBCSYSINI/odbcinst.ini')\" = 1 ]"
check "unregister succeeds" "$register" unregister
check "unregister takes the name back" bash -c "! odbcinst -q -d -n 'MySQL ODBC 5.1 Driver' >/dev/null 2>&1"
printf '[MySQL ODBC 5.1 Driver]\nDriver=/opt/mysql/lib/libmyodbc5w.so\n' >"$ODBCSYSINI/odbcinst.ini"
"$register" register
"$register" unregister
check "a name the user registered stays, untouched" grep -q "^Driver=/opt/mysql/lib/libmyodbc5w.so" "$ODBCSYSINI/odbcinst.ini"
check "a name the user registered leaves no note" test ! -e "$TABLEWRIGHT_STATE_DIR/registered-mysql-driver"

# The unpacked program starts and stays up (timeout ends it) with a fresh settings store.
config=$work/config
(cd "$work" && QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$config timeout 5 "$root/usr/bin/tablewright" 2>"$work/stderr")
status=$?
check "the unpacked program starts and keeps running (exit $status)" test "$status" = 124
check "the program loaded its settings" grep -q "^Server=localhost" "$config/Veltrano.ini"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
