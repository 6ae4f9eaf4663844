#!/usr/bin/env bash
# The integrator's package on a machine that has never seen kelm: a new
# Wine prefix gets the zip unpacked into C:\kelm, install.cmd registers the
# control, the VBScript example logs in to dvr-sim, uninstall.cmd removes
# the registration and the registry holds nothing of the control after.
#
#   package_test.sh DVR_SIM
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
dvr_sim=${1:?dvr-sim program}
work=$(mktemp -d /tmp/kelm-package.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
DISPLAY=$(cat "$top/build/win/wine/display" 2>/dev/null || true)
export DISPLAY
# An address of this run's own, away from the other tests' simulators.
server="127.$((RANDOM % 200 + 20)).20.$((RANDOM % 200 + 20))"
failures=0

finish() {
  { exec 3<>"/dev/tcp/$server/8001" && echo quit >&3 && exec 3>&-; } 2>/dev/null || true
  # Only this prefix's wine server and its programs.
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

check() {  # check WHAT CONDITION...
  local what=$1; shift
  if "$@"; then printf 'ok: %s\n' "$what"; else printf 'FAILED: %s\n' "$what"; failures=$((failures + 1)); fi
}
contains() { grep -q -F -- "$2" <<<"$1"; }

# A Windows program's standard output, carriage returns removed; its
# standard error goes to a file, so no Wine process keeps the test's
# output open.
run() { wine "$@" </dev/null 2>>"$work/wine.log" | tr -d '\r'; }

"$top/scripts/package" >"$work/package.log"
wineboot -i </dev/null >"$work/wineboot.log" 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
unzip -q "$top/build/dist/kelm-1.0.zip" -d "$WINEPREFIX/drive_c"
kelm='C:\kelm'

# Without the streaming library the installer says so and registers nothing.
mv "$WINEPREFIX/drive_c/kelm/hikclient.dll" "$work/"
output=$(run cmd /c "$kelm\\install.cmd") && status=0 || status=$?
check "install.cmd without hikclient.dll fails (status $status)" test "$status" -ne 0
check "and names it: $output" contains "$output" "hikclient.dll is missing"
mv "$work/hikclient.dll" "$WINEPREFIX/drive_c/kelm/"

output=$(run cmd /c "$kelm\\install.cmd") && status=0 || status=$?
check "install.cmd registers the control (status $status): $output" test "$status" -eq 0
registered() { wine reg query 'HKCR\kelm.kelm_ctrl' </dev/null >/dev/null 2>&1; }
check "the ProgID is registered" registered

"$dvr_sim" --address "$server" --lifetime 300 --idle 60 >"$work/dvr-sim.log" 2>&1 &
for _ in $(seq 1 100); do
  (exec 3<>"/dev/tcp/$server/8001") 2>/dev/null && break
  sleep 0.1
done
output=$(run 'C:\windows\system32\cscript.exe' //nologo "$kelm\\examples\\channel_count.vbs" "$server" admin 12345) \
  && status=0 || status=$?
check "the VBScript example logs in (status $status): $output" contains "$output" "channels: 16"
# Every example through the windowed runner, as an integrator starts them.
for example in channel_count.vbs channel_count.js; do
  output=$(run "$kelm\\tools\\kelm-script.exe" "$kelm\\examples\\$example" "$server" admin 12345) && status=0 || status=$?
  check "$example through kelm-script logs in (status $status): $output" contains "$output" "channels: 16"
done
for example in snapshot.vbs snapshot.js; do
  output=$(run "$kelm\\tools\\kelm-script.exe" "$kelm\\examples\\$example" "$server" 1 'C:\shots') && status=0 || status=$?
  check "$example through kelm-script saves a snapshot (status $status): $output" contains "$output" "snapshot saved in"
done
# A camera is reached by its RTSP URL alone: dvr-sim's stream, no web service.
output=$(run "$kelm\\tools\\kelm-script.exe" "$kelm\\examples\\camera.vbs" "rtsp://$server:12000/live/1" 'C:\camera') \
  && status=0 || status=$?
check "camera.vbs shows a camera by its URL, snapshots and records it (status $status): $output" \
  contains "$output" "recording saved in"
output=$(run "$kelm\\tools\\rqweb-call.exe" "$server" get-serverinfo) && status=0 || status=$?
check "the shipped service probe asks the server (status $status): $output" contains "$output" "channel-cnt"
check "the shipped viewer and the operator's guide are there" \
  test -s "$WINEPREFIX/drive_c/kelm/tools/kelm-viewer.exe" -a -s "$WINEPREFIX/drive_c/kelm/operator.md"
# The shipped viewer's player takes FFmpeg's DLLs from the folder above tools\.
ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=1 -c:v libx264 -pix_fmt yuv420p \
  "$WINEPREFIX/drive_c/sample.mp4" </dev/null
output=$(run "$kelm\\tools\\kelm-viewer.exe" --play 'C:\sample.mp4' --screenshot 'C:\sample.png') && status=0 || status=$?
check "the shipped viewer plays an MP4 file (status $status): $output" contains "$output" 'Playing: C:\sample.mp4 (160x120'

# Registered, but with the streaming library gone: the control still comes
# up, no channel opens, and the log names the missing file.
mv "$WINEPREFIX/drive_c/kelm/hikclient.dll" "$work/"
output=$(run "$kelm\\examples\\host\\kelm_host_example.exe" "$server" admin 12345 1) && status=0 || status=$?
check "without hikclient.dll the host example's first channel fails (status $status): $output" test "$status" -eq 5
check "and the log names the library" grep -q -a "hikclient.dll not found" "$WINEPREFIX/drive_c/kelm.log"
mv "$work/hikclient.dll" "$WINEPREFIX/drive_c/kelm/"

output=$(run cmd /c "$kelm\\uninstall.cmd") && status=0 || status=$?
check "uninstall.cmd removes the registration (status $status): $output" test "$status" -eq 0
check "the ProgID is gone" test "$(registered && echo yes)" != yes

# The registry files hold everything once the wine server has written them.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
check "the prefix has its registry files" test -s "$WINEPREFIX/system.reg"
left=$(grep -i -E 'kelm|0E2071E5-F6C4|BC641857-6186|A04A802A-7492|5E4C922D-2908' "$WINEPREFIX"/*.reg || true)
check "the registry holds nothing of the control: ${left:-nothing}" test -z "$left"

if [ "$failures" -ne 0 ]; then
  printf '%d checks failed; wine said:\n' "$failures"
  cat "$work/wine.log"
  exit 1
fi
