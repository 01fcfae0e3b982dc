#!/usr/bin/env bash
# Installs the build into a temporary prefix (DESTDIR) and uses the installed programs,
# first as the installing user (root), who may write the installed tree, then as a user
# who cannot: root runs them as "nobody" (setpriv), anyone else as themselves after the
# installed tree has been made read-only.  Checks the installed files (desktop entry,
# AppStream metadata, manual pages, README, examples, install marker), the Debian
# package (lintian), the converters' options, the examples (in a copy of the installed
# folder) and a TMY2 year with the installed converters, the window of the installed
# copy, and that neither user wrote anything into the installed tree.
# Usage: install_test.sh <build folder> <source folder>.  Exit status 77: skipped.
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)

fail() { echo "FAILED: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
prefix=$work/root/usr
bin=$prefix/bin

# ---- installed files -------------------------------------------------------------
for tool in desktop-file-validate appstreamcli groff cpack lintian; do
  command -v $tool >/dev/null || fail "$tool missing: run scripts/setup.sh"
done
if [ -x "$bin/weather-tools" ]; then
  desktop-file-validate "$prefix"/share/applications/*.desktop || fail "desktop entry"
  appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >/dev/null ||
    fail "AppStream metadata: $(appstreamcli validate --no-net "$prefix"/share/metainfo/*.xml)"
  [ -f "$prefix"/share/icons/hicolor/scalable/apps/*.svg ] || fail "no icon"
fi
for page in "$prefix"/share/man/man1/*.1.gz; do
  warnings=$(zcat "$page" | groff -ww -man -z 2>&1)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
doc=$prefix/share/doc/weather-tools
[ -f "$doc/README" ] || fail "no README"
# The examples' sources are the generator's first eight days.
for format in tmy2:tm2 epw:epw; do
  file=$doc/examples/synthetic.${format#*:}
  "$build/bin/gen_weather" "${format%:*}" "$work/generated" --days 8
  cmp -s "$work/generated" "$file" || fail "$file is not the generator's"
done
# The install marker tells the installed copy from the build, which writes beside itself.
[ -f "$prefix/share/weather-tools/installed" ] || fail "no install marker"
[ ! -e "$build/share/weather-tools/installed" ] || fail "an install marker in the build tree"

# The Debian package of the same build: no lintian error or warning (its copyright
# file included, in Debian's machine-readable format).
cpack -G DEB -B "$work/deb" --config "$build/CPackConfig.cmake" >/dev/null || fail "cpack"
tags=$(lintian --fail-on error,warning "$work"/deb/*.deb 2>/dev/null) || fail "lintian: $tags"

# ---- who runs the installed programs ------------------------------------------------
# Runs a command as ${as_user[@]} in the working folder $user, with a clean environment
# whose home and state folder are there.
user_run() {
  (cd "$user" && "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$user" TMPDIR="$user/tmp" \
      XDG_STATE_HOME="$user/state" "$@")
}
# A working folder $user: a copy of the examples folder $2, a synthetic TMY2 year and
# its control file year.dat.
new_user() {
  user=$1
  cp -r "$2" "$user"
  mkdir "$user/tmp"
  "$build/bin/gen_weather" tmy2 "$user/synthetic-year.tm2" >/dev/null
  printf '%s\r\n' "Synthetic year" synthetic-year.tm2 TMY2 year.wth "01/01 12/31" 1 2 "7/4 8" \
    "12/25 9" "03/25 10/28" >"$user/year.dat"
}
controls="tmy2.dat epw.dat template.dat year.dat"
outputs="tmy2.wth epw.wth template.wth year.wth upgraded.wth upgraded.ctm"
# The build's own converters on the source's examples, for the installed ones to match.
new_user "$work/reference" "$source/examples"
(cd "$work/reference" && for c in $controls; do "$build/bin/tolvex" $c; done &&
   "$build/bin/renval" upgrade.dat) >/dev/null 2>&1 || fail "the build's converters"
# The examples as installed, and a TMY2 year, with the installed converters in $user:
# the same bytes as the build's, and the logs in the state folder.
convert() {
  for c in $controls; do user_run "$bin/tolvex" $c >/dev/null 2>&1 || fail "tolvex $c: status $?"; done
  user_run "$bin/renval" upgrade.dat >/dev/null 2>&1 || fail "renval: status $?"
  for out in $outputs; do
    cmp -s "$user/$out" "$work/reference/$out" || fail "$out differs from the build's"
  done
  state=$user/state/weather-tools
  for file in TOLVEX.LOG RENVAL.LOG WEATHER.TMP; do [ -f "$state/$file" ] || fail "no $file"; done
}
# The window of the installed copy: its control file and the converter's log in the
# state folder.
run_window() {
  [ -x "$bin/weather-tools" ] || return 0
  rm -rf "$user/state/weather-tools"
  user_run QT_QPA_PLATFORM=offscreen WEATHER_INSTALLED_BIN="$bin" "$build/bin/test_window" \
    --gtest_filter='RunTest.FromAnInstalledCopy*' >"$user/tmp/window" 2>&1 ||
    fail "window: $(cat "$user/tmp/window")"
  grep -q '^\[  PASSED  \] 1 test' "$user/tmp/window" || fail "window: $(cat "$user/tmp/window")"
  # The window ran in the state folder and removed its own files there when it ended.
  [ -d "$user/state/weather-tools" ] || fail "the window made no state folder"
  [ -z "$(find "$user/state/weather-tools" -name 'data-*' -o -name 'tolvex-*')" ] ||
    fail "the window left its files in the state folder"
}
installed_tree() { find "$work/root" -printf '%p %s %T@ %m\n' | sort; }
unchanged() {
  after=$(installed_tree)
  [ "$before" = "$after" ] || fail "the installed tree changed: $(diff <(echo "$before") <(echo "$after"))"
}

# ---- the installing user (root), who may write the installed tree -------------------
before=$(installed_tree)
as_user=()
new_user "$work/installer" "$doc/examples"
convert
run_window
unchanged

# ---- a user who cannot write the installed tree ---------------------------------------
new_user "$work/user" "$doc/examples"
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || { echo "skipped: running as root without setpriv"; exit 77; }
  chown -R nobody:nogroup "$user"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
chmod -R a-w "$work/root"  # root may write anyway; nobody and the others may not
before=$(installed_tree)

# ---- the converters' options: answered without a log --------------------------------
for program in tolvex renval; do
  [ "$(user_run "$bin/$program" --version)" = "$program 2.2.0" ] || fail "$program --version"
  user_run "$bin/$program" --help | head -n 1 | grep -q "^Usage: $program " || fail "$program --help"
  status=0
  user_run "$bin/$program" x.dat --bogus >"$user/tmp/out" 2>"$user/tmp/err" || status=$?
  [ $status -eq 2 ] && [ ! -s "$user/tmp/out" ] &&
    [ "$(head -n 2 "$user/tmp/err")" = "$program: unknown option --bogus
Usage: $program [--log FILE] [control-file [-d]]" ] || fail "$program --bogus: status $status"
done
[ ! -e "$user/state" ] || fail "an option wrote into the state folder"

# ---- the examples and a TMY2 year with the installed converters ----------------------
convert
[ "$(wc -l <"$user/year.wth")" -eq $((5 + 365 + 2 + 24 * 365)) ] || fail "year.wth lines"
[ "$(stat -c %a "$state")" = 700 ] || fail "state folder mode $(stat -c %a "$state")"
grep -qx "Program:  $bin/tolvex" "$state/TOLVEX.LOG" || fail "TOLVEX.LOG head"
tail -n 1 "$state/TOLVEX.LOG" | grep -qx "Final " || fail "TOLVEX.LOG end"

# A state folder that cannot be created: exit status 1 and its name, no log anywhere.
status=0
(cd "$user" && "${as_user[@]}" env -i HOME="$user" XDG_STATE_HOME="$user/tmy2.dat/state" \
   "$bin/tolvex" tmy2.dat >/dev/null 2>"$user/tmp/err") || status=$?
[ $status -eq 1 ] &&
  [ "$(cat "$user/tmp/err")" = "Could not create folder: $user/tmy2.dat/state/weather-tools (Not a directory)" ] ||
  fail "state folder that cannot be created: status $status, $(cat "$user/tmp/err")"

# ---- the window of the installed copy ------------------------------------------------
if [ -x "$bin/weather-tools" ]; then
  [ "$(user_run QT_QPA_PLATFORM=offscreen "$bin/weather-tools" --version)" = "weather-tools 2.2.0" ] ||
    fail "weather-tools --version"
fi
run_window

unchanged
echo "installed programs used as $(id -un) and as $(user_run id -un): all checks passed"
