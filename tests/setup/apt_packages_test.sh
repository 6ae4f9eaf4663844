#!/usr/bin/env bash
# scripts/apt-packages against a local repository of two suites, one of
# whose package lists does not match its Release file (as a mirror in the
# middle of a sync serves it): the update goes on and names the broken
# index, what the readable lists hold still installs, and a package only
# the broken list has is refused in one line that names the index and what
# to do.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/kelm-apt.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # check WHAT CONDITION...
  local what=$1; shift
  if "$@"; then printf 'ok: %s\n' "$what"; else printf 'FAILED: %s\n' "$what"; failures=$((failures + 1)); fi
}

# One architecture's list of a suite: a Multi-Arch library and a program
# that needs it, both at VERSION;
# with "broken" the suite's Release gives the list a size and hash it does
# not have.
add_list() {  # add_list SUITE ARCH VERSION [broken]
  local suite=$1 arch=$2 version=$3 dir="$work/repo/dists/$1"
  local list="main/binary-$arch/Packages"
  mkdir -p "$dir/main/binary-$arch"
  printf 'Package: kelm-lib\nVersion: %s\nArchitecture: %s\nMulti-Arch: same\nMaintainer: kelm <kelm@example.org>\nFilename: pool/lib_%s_%s.deb\nSize: 1\nSHA256: %064d\nDescription: test library\n\n' \
    "$version" "$arch" "$version" "$arch" 0 >"$dir/$list"
  printf 'Package: kelm-%s-app\nVersion: %s\nArchitecture: %s\nDepends: kelm-lib (>= 1.0)\nMaintainer: kelm <kelm@example.org>\nFilename: pool/app_%s_%s.deb\nSize: 1\nSHA256: %064d\nDescription: test program\n\n' \
    "$suite" "$version" "$arch" "$version" "$arch" 0 >>"$dir/$list"
  local size hash
  size=$(stat -c %s "$dir/$list")
  hash=$(sha256sum <"$dir/$list" | cut -d' ' -f1)
  if [ "${4:-}" = broken ]; then size=$((size + 7)); hash=$(printf '%064d' 1); fi
  [ -f "$dir/Release" ] || printf 'Suite: %s\nCodename: %s\nArchitectures: amd64 i386\nComponents: main\nSHA256:\n' "$suite" "$suite" >"$dir/Release"
  printf ' %s %s %s\n' "$hash" "$size" "$list" >>"$dir/Release"
}

# As Debian's security suite was: its amd64 list newer than the main
# suite's, its i386 list unreadable.
add_list main amd64 1.0
add_list main i386 1.0
add_list security amd64 1.1
add_list security i386 1.1 broken
mkdir -p "$work/state/lists/partial" "$work/cache/archives/partial" "$work/parts"
# The machine has an older amd64 library already.
printf 'Package: kelm-lib\nStatus: install ok installed\nVersion: 0.9\nArchitecture: amd64\nMulti-Arch: same\nMaintainer: kelm <kelm@example.org>\nDescription: test library\n\n' >"$work/status"
cat >"$work/sources.list" <<LIST
deb [trusted=yes] file:$work/repo main main
deb [trusted=yes] file:$work/repo security main
LIST

export KELM_APT_PAUSE=0 KELM_APT_STATE="$work/failed-indexes"
export KELM_APT_OPTIONS="-o Dir::State=$work/state -o Dir::Cache=$work/cache -o Dir::State::status=$work/status \
-o Dir::Etc::SourceList=$work/sources.list -o Dir::Etc::SourceParts=$work/parts -o APT::Architecture=amd64 \
-o APT::Architectures::=amd64 -o APT::Architectures::=i386 -o Debug::NoLocking=1 -o APT::Sandbox::User=root -o APT::Get::Simulate=true"

update_out=$("$top/scripts/apt-packages" update 2>&1); update_status=$?
check "the update goes on past an index that cannot be read" test "$update_status" -eq 0
check "the update names the index it could not read" grep -q "could not read the package index file:$work/repo security/main i386" <<<"$update_out"

# The library for amd64 and a program that needs it for i386: the amd64
# library of the newer suite and the i386 one of the older cannot go
# together (Debian's own mirror needed the suite with the missing list
# taken last for that; apt's resolver finds it alone in a case this small).
install_out=$("$top/scripts/apt-packages" install kelm-lib kelm-main-app:i386 2>&1)
check "a program whose library is wanted for both architectures still installs" test $? -eq 0
check "both at the complete suite's version" grep -q "^Inst kelm-lib:i386 (1.0 " <<<"$install_out"

refused_out=$("$top/scripts/apt-packages" install kelm-security-app:i386 2>&1)
check "a package only the unreadable list has is refused" test $? -ne 0
check "the refusal names the index and what to do, in one line" \
  bash -c '[ "$(grep -c "^setup: could not install kelm-security-app:i386: the package index file:.* security/main could not be read.*run the set-up again" <<<"$1")" = 1 ]' _ "$refused_out"

[ "$failures" -eq 0 ] || { printf '%s\n--- update\n%s\n--- install\n%s\n--- refused\n%s\n' "$failures failed" "$update_out" "$install_out" "$refused_out"; exit 1; }
