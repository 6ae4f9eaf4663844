#!/usr/bin/env bash
# Native check of the forms of H.264 and H.265 that `stream profile`,
# `b-frames`, `parameter-sets` and `key-interval` give dvr-sim's live stream,
# as FFmpeg receives them: the profile named, B pictures sent out of order,
# the distance between key frames, live and looped, and where the parameter
# sets go (the SDP of a raw DESCRIBE, and the NAL units of the stream).
#   dvr_sim_stream_forms_test.sh path/to/dvr-sim
set -u
sim=$1
address=127.0.77.4
url=rtsp://admin:12345@$address:12000/live

. "$(dirname "$0")/sim_control.sh"
start_sim "$sim" "$address" 240 60 || { echo "dvr-sim did not start"; exit 1; }
# Every case builds a stream of its own on a channel of its own.
control set-server channel-cnt 32 >/dev/null

failures=0
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

# Sets the `stream` fields "FIELD VALUE;FIELD VALUE;...", in that order.
set_stream() {
  IFS=';' read -ra settings <<<"$1"
  for setting in "${settings[@]}"; do
    [ "$(control stream "$setting")" = ok ] || fail "stream $setting refused"
  done
}

# B pictures and the baseline profile never go together, whichever comes last.
control stream b-frames 1 | grep -q '^error: profile baseline has no B-frames' || fail "b-frames 1 in baseline taken"
set_stream "profile main;b-frames 2"
control stream profile baseline | grep -q '^error: profile baseline has no B-frames' || fail "baseline with B-frames taken"
[ "$(control stream | grep -E '^(profile|b-frames)=' | tr '\n' ' ')" = "profile=main b-frames=2 " ] ||
  fail "a refused value changed the fields"

# Three seconds of channel $1 as ffprobe decodes them, on one line: the
# profile; with-B or without-B; reordered when a packet's decoding stamp
# differs from its presentation stamp; keys-N for the distances between key
# frames after the first two (the stream's first, then the one its PLAY asks
# for); forward when every picture is shown after the one before.
summary() {
  timeout 30 ffprobe -v error -rtsp_transport tcp -read_intervals %+3 \
    -show_entries stream=profile:packet=pts,dts:frame=pict_type,key_frame,pts -of compact "$url/$1" | python3 -c '
import sys
rows = []
for line in sys.stdin:
    kind, *fields = line.strip().split("|")
    rows.append(dict([("kind", kind)] + [f.split("=", 1) for f in fields if "=" in f]))
frames = [r for r in rows if r["kind"] == "frame"]
keys = [i for i, r in enumerate(frames) if r["key_frame"] == "1"]
shown = [int(r["pts"]) for r in frames if r["pts"] != "N/A"]
steps = [b - a for a, b in zip(shown, shown[1:])]
print(next(r["profile"] for r in rows if r["kind"] == "stream"),
      "with-B" if any(r["pict_type"] == "B" for r in frames) else "without-B",
      "reordered" if any(r["kind"] == "packet" and "N/A" not in (r["pts"], r["dts"]) and r["pts"] != r["dts"]
                         for r in rows) else "in-order",
      "keys-" + ",".join(sorted({str(b - a) for a, b in zip(keys[1:], keys[2:])})),
      "forward" if steps and min(steps) > 0 else "backward")'
}

#   what | `stream` fields | channel | expected summary (regex)
forms=(
  "baseline, the default|codec h264;b-frames 0;profile baseline|1|^Constrained Baseline without-B in-order keys-10 forward$"
  "main|profile main|2|^Main without-B in-order keys-10 forward$"
  "high with 2 B-frames|profile high;b-frames 2|3|^High with-B reordered keys-10 forward$"
  "a key frame every 4 frames|profile main;b-frames 0;key-interval 4|4|^Main without-B in-order keys-4 forward$"
  "H.265 with 2 B-frames|codec h265;b-frames 2;key-interval 0|5|^Main with-B reordered keys-10 forward$"
  "looped with 3 B-frames|codec h264;b-frames 3;loop 2;key-interval 5|6|^Main with-B reordered keys-5 forward$"
)
for entry in "${forms[@]}"; do
  IFS='|' read -r what settings channel expected <<<"$entry"
  set_stream "$settings"
  answer=$(summary "$channel")
  [[ $answer =~ $expected ]] || fail "$what: expected /$expected/, ffprobe said: $answer"
done

# The SDP of channel $1, from a DESCRIBE of our own.
sdp() {
  exec 4<>"/dev/tcp/$address/12000" || return 1
  printf 'DESCRIBE rtsp://%s:12000/live/%s RTSP/1.0\r\nCSeq: 1\r\nAuthorization: Basic %s\r\n\r\n' \
    "$address" "$1" "$(printf admin:12345 | base64)" >&4
  local line length=0
  while IFS= read -r -t 10 line <&4 && [ "${line%$'\r'}" != "" ]; do
    [[ $line =~ ^Content-Length:\ *([0-9]+) ]] && length=${BASH_REMATCH[1]}
  done
  head -c "$length" <&4
  exec 4<&-
}

# Of the key frames in 3.5 s of channel $2 (codec $1, as FFmpeg copies it),
# how many come after parameter sets sent since the key frame before:
# "N of KEYS".
in_stream() {
  timeout 30 ffmpeg -v error -rtsp_transport tcp -i "$url/$2" -c copy -t 3.5 -f "$1" - | python3 -c '
import re, sys
hevc = sys.argv[1] == "hevc"
types = [(b[0] >> 1) & 0x3f if hevc else b[0] & 0x1f for b in re.findall(b"\x00\x00\x01(.)", sys.stdin.buffer.read(), re.S)]
sps, key = (33, range(16, 24)) if hevc else (7, (5,))
keys = told = 0; since = False
for t in types:
    since = since or t == sps
    if t in key:
        keys += 1; told += since; since = False
print(told, "of", keys)' "$1"
}

#   codec | parameter-sets | channel described | channel played | sprop in SDP (0 or 1) | expected (regex)
placements=(
  "h264|both|7|8|1|^([1-9][0-9]*) of \1$"
  "h264|sdp|9|10|1|^0 of [1-9]"
  "h264|in-band|11|12|0|^([1-9][0-9]*) of \1$"
  "hevc|sdp|13|14|1|^1 of [2-9]"
  "hevc|in-band|15|16|0|^2 of [3-9]"
)
set_stream "loop 0;key-interval 0;b-frames 0"
for entry in "${placements[@]}"; do
  IFS='|' read -r codec placement described played sprop expected <<<"$entry"
  set_stream "codec ${codec/hevc/h265};parameter-sets $placement"
  sprops=$(sdp "$described" | grep -c 'sprop-')
  [ $((sprops > 0)) = "$sprop" ] || fail "$codec $placement: $sprops SDP lines with sprop- attributes"
  answer=$(in_stream "$codec" "$played")
  [[ $answer =~ $expected ]] || fail "$codec $placement: expected /$expected/ key frames after parameter sets, got $answer"
done

# An encoder holding pictures back for B-frames gives no frame for the first
# picture: a stream built in a stall gets the pictures it needs to be
# described (x264 with 2 B-frames, three), and no more.
set_stream "codec h264;parameter-sets both;b-frames 2;stall 1"
frames_sent() { control stream | sed -n 's/^frames-sent=//p'; }
before=$(frames_sent)
answer=$(timeout 20 ffprobe -v error -timeout 3000000 -analyzeduration 100000 -rtsp_transport tcp \
  -show_entries stream=codec_name,width,height -of csv=p=0 "$url/17" 2>&1 | tr '\n' ' ')
[[ $answer =~ ^h264,0,0 ]] || fail "built in a stall with B-frames: ffprobe said: $answer"
[ $(($(frames_sent) - before)) -eq 3 ] || fail "built in a stall with B-frames: $(($(frames_sent) - before)) pictures"

control quit >/dev/null
wait "$sim_pid"
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
