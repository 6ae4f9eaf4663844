#!/usr/bin/env bash
# Native check of dvr-sim's live stream as an RTSP client sees it, through
# FFmpeg's ffprobe: the codec and size each `stream codec` builds, live and
# looped, the answer to each kind of refused login, Digest authentication
# offered alone, anonymous logins, a stream built in a stall that sends
# nothing, and the audio track beside the video with its channel's tone.
#   dvr_sim_rtsp_test.sh path/to/dvr-sim
set -u
sim=$1
address=127.0.77.3

. "$(dirname "$0")/sim_control.sh"
start_sim "$sim" "$address" 120 30 || { echo "dvr-sim did not start"; exit 1; }

# codec,width,height of channel $2 with credentials $1, or what ffprobe
# reports instead; one line.  A stream without pictures probes as size 0.
probe() {
  timeout 20 ffprobe -v error -timeout 3000000 -analyzeduration 100000 -rtsp_transport tcp \
    -show_entries stream=codec_name,width,height -of csv=p=0 \
    "rtsp://$1@$address:12000/live/$2" 2>&1 | tr '\n' ' '
}

# The `stream` fields stay as each case leaves them, so every case sets
# those it depends on; each uses a channel of its own, so that it never
# joins a stream another case built.
#   what | control commands, ';' between them | credentials | channel | expected (regex)
cases=(
  "h264 at the stream's size|stream width 352;stream height 288|admin:12345|1|^h264,352,288"
  "h265|stream codec h265|admin:12345|2|^hevc,352,288"
  "mjpeg|stream codec mjpeg|admin:12345|3|^mjpeg,352,288"
  "wrong password|stream codec h264|admin:wrong|4|401 Unauthorized"
  "refused|stream refuse 1|admin:12345|5|403 Forbidden"
  "channel not served|stream refuse 0|admin:12345|99|404 Not Found"
  "no video signal|set-channel 6 signal 0|admin:12345|6|503 Service Unavailable"
  "Digest offered alone|stream auth digest|admin:12345|7|^h264,352,288"
  "Digest, wrong password|stream auth digest|admin:wrong|8|401 Unauthorized"
  "anonymous|stream auth both;stream anonymous 1|:|9|^h264,352,288"
  "anonymous refused|stream anonymous 0|:|10|401 Unauthorized"
  "looped, encoded once|stream loop 1;stream codec h265;stream width 320;stream height 240|admin:12345|12|^hevc,320,240"
  "built in a stall|stream loop 0;stream codec h264;stream stall 1|admin:12345|11|^h264,0,0"
)

failures=0
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

frames_sent() { control stream | sed -n 's/^frames-sent=//p'; }

for entry in "${cases[@]}"; do
  IFS='|' read -r what commands credentials channel expected <<<"$entry"
  IFS=';' read -ra command_list <<<"$commands"
  for command in "${command_list[@]}"; do
    [ "$(control "$command")" = ok ] || fail "$what: control \"$command\" refused"
  done
  before=$(frames_sent)
  answer=$(probe "$credentials" "$channel")
  [[ $answer =~ $expected ]] || fail "$what: expected /$expected/, ffprobe said: $answer"
done

# The stream built in the stall (the last case) had the one picture it
# needs to be described, and no more; once its client left, no stream runs.
[ $(($(frames_sent) - before)) -eq 1 ] || fail "the stream built in a stall had $(($(frames_sent) - before)) pictures"
control stream stall 0 >/dev/null
sent=$(frames_sent)
sleep 0.5
[ "$(frames_sent)" = "$sent" ] || fail "frames-sent grew after every client had left"

# Each audio encoding beside the video, with its codec and rate.
for entry in aac,aac,16000,13 pcma,pcm_alaw,8000,14 pcmu,pcm_mulaw,8000,15; do
  IFS=, read -r audio codec rate channel <<<"$entry"
  control stream audio "$audio" >/dev/null
  answer=$(timeout 20 ffprobe -v error -timeout 3000000 -rtsp_transport tcp \
    -show_entries stream=codec_name,sample_rate -of csv=p=0 \
    "rtsp://admin:12345@$address:12000/live/$channel" 2>&1 | tr '\n' ' ')
  [[ $answer == "h264 $codec,$rate " ]] || fail "audio $audio: ffprobe said: $answer"
done

# About a second of channel $1's tone decoded: its frequency (upward crossings
# between -4000 and 4000, so that coding noise about zero counts for none) and
# its peak.
tone() {
  timeout 20 ffmpeg -v error -rtsp_transport tcp -i "rtsp://admin:12345@$address:12000/live/$1" \
    -vn -t 1 -f s16le -ac 1 -ar 8000 - | python3 -c '
import array, sys
s = array.array("h", sys.stdin.buffer.read()); ups = []; low = False
for i, v in enumerate(s):
    if v < -4000: low = True
    elif v > 4000 and low: ups.append(i); low = False
print(round((len(ups) - 1) * 8000 / (ups[-1] - ups[0])) if len(ups) > 2 else 0, max(s, default=0))'
}

# Channel 2's own tone at about half of full scale; a new tone reaches its
# stream while another client keeps that stream running.
timeout 60 ffmpeg -v error -rtsp_transport tcp -i "rtsp://admin:12345@$address:12000/live/2" -c copy -f null - &
client=$!
read -r hz peak <<<"$(tone 2)"
((hz >= 680 && hz <= 720 && peak >= 12000 && peak <= 20000)) || fail "channel 2's tone: $hz Hz, peak $peak"
control set-channel 2 tone 1000 >/dev/null
read -r hz peak <<<"$(tone 2)"
((hz >= 980 && hz <= 1020)) || fail "channel 2's tone once set to 1000 Hz: $hz Hz"
kill "$client"
wait "$client"

control quit >/dev/null
wait "$sim_pid"
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
