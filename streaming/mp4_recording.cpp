#include "mp4_recording.h"

#include <algorithm>
#include <new>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include "parameter_sets.h"

namespace {

const int output_buffer_bytes = 64 * 1024;
// Sound packets kept while the file's first picture has no time yet: a
// few seconds of any track.
const size_t most_early_audio = 200;
// How many names next_file tries before it gives up.
const int most_next_files = 99;

// Fragments start at key frames and last at most a second; the index of
// fragments is written at the end, where a crash may leave it out.
const char fragment_flags[] = "frag_keyframe+empty_moov+default_base_moof";
const char fragment_duration_us[] = "1000000";

} // namespace

Mp4_Recording* Mp4_Recording::create(const char* path, unsigned channel)
{
    File_Writer* file = File_Writer::create(path);
    if (!file)
        return nullptr;
    Mp4_Recording* recording = nullptr;
    try {
        recording = new Mp4_Recording(file, path, channel);
    } catch (const std::bad_alloc&) {
    }
    if (!recording)
        (void)File_Writer::close(file);  // empty; the disk has nothing to hold up
    return recording;
}

bool Mp4_Recording::close(Mp4_Recording* recording)
{
    if (!recording)
        return true;
    if (recording->muxer && !recording->failed) {
        // The packets still held, the last fragment and the index; a failure
        // leaves the fragments already written, which players read without
        // the index.
        std::vector<AVPacket*> ready;
        recording->times->flush(ready);
        (void)recording->write_settled(ready);
        (void)av_write_trailer(recording->muxer);
        recording->hand_to_file();
    }
    File_Writer* file = recording->file;
    recording->file = nullptr;
    delete recording;
    return File_Writer::close(file);
}

bool Mp4_Recording::fits(int picture_width, int picture_height) const
{
    return !muxer || (width == picture_width && height == picture_height);
}

Mp4_Recording* Mp4_Recording::next_file() const
{
    const size_t dot = path.rfind('.');
    const bool has_extension = dot != std::string::npos && path.find_first_of("\\/", dot) == std::string::npos;
    const std::string stem = has_extension ? path.substr(0, dot) : path;
    const std::string extension = has_extension ? path.substr(dot) : std::string();
    // Every file is named after the first, so the third is "-3", never "-2-2".
    for (int next_number = number + 1; next_number <= most_next_files; ++next_number) {
        Mp4_Recording* next = create((stem + "-" + std::to_string(next_number) + extension).c_str(), channel);
        if (next) {
            next->path = path;
            next->number = next_number;
            if (audio_source.known())
                next->expect_audio(audio_source);
            return next;
        }
    }
    return nullptr;
}

Mp4_Recording::~Mp4_Recording()
{
    for (AVPacket*& packet : early_audio)
        av_packet_free(&packet);
    if (output)
        av_freep(&output->buffer);
    avio_context_free(&output);
    avformat_free_context(muxer);
}

int Mp4_Recording::collect(void* opaque, uint8_t* bytes, int size)
{
    Mp4_Recording* recording = static_cast<Mp4_Recording*>(opaque);
    try {
        recording->pending.insert(recording->pending.end(), bytes, bytes + size);
    } catch (const std::bad_alloc&) {
        recording->failed = true;
        return AVERROR(ENOMEM);
    }
    return size;
}

// Hands what the muxer wrote (the header, or whole fragments) to the file.
void Mp4_Recording::hand_to_file()
{
    avio_flush(output);
    if (pending.empty())
        return;
    // A fragment the lagging disk has no room for is left out whole.
    (void)file->append(std::move(pending));
    pending = std::vector<uint8_t>();
}

void Mp4_Recording::add(const Media_Track& track, const AVPacket& packet)
{
    if (failed)
        return;
    if (!muxer) {
        if (!(packet.flags & AV_PKT_FLAG_KEY))
            return;  // a file begins with a picture that needs no other
        if (!start(track, packet)) {
            failed = true;
            return;
        }
    }
    if (!write(packet))
        failed = true;
    hand_to_file();
}

void Mp4_Recording::expect_audio(const Media_Track& audio)
{
    const AVCodecID codec = audio.parameters->codec_id;
    const bool recordable = (codec == AV_CODEC_ID_AAC && audio.parameters->extradata_size > 0) ||
                            codec == AV_CODEC_ID_PCM_MULAW || codec == AV_CODEC_ID_PCM_ALAW;
    if (!recordable || !audio_source.copy_from(audio))
        audio_source.clear();  // recorded without sound
}

// A track the muxer or the encoder cannot take leaves the file without
// sound rather than without pictures.
void Mp4_Recording::add_audio_track()
{
    if (!audio_source.known())
        return;
    AVStream* audio = avformat_new_stream(muxer, nullptr);
    if (!audio)
        return;
    if (audio_source.parameters->codec_id == AV_CODEC_ID_AAC) {
        if (avcodec_parameters_copy(audio->codecpar, audio_source.parameters) < 0)
            return;
        audio->time_base = audio_source.time_base;
    } else {
        aac.reset(new (std::nothrow) Aac_Encoder);
        if (!aac || !aac->open(*audio_source.parameters, audio_source.time_base) ||
            avcodec_parameters_from_context(audio->codecpar, &aac->context()) < 0) {
            aac.reset();
            return;
        }
        audio->time_base = aac->context().time_base;
    }
    audio->codecpar->codec_tag = 0;  // the muxer's own tag for the codec
    audio_index = audio->index;
}

// Sound that comes before the file's first picture has its time is kept
// until it has (a few pictures at most), so the file's sound starts with
// its pictures; a bound keeps a server without picture times from filling
// memory.
void Mp4_Recording::add_audio(const AVPacket& packet)
{
    if (failed || !muxer || audio_index < 0 || packet.pts == AV_NOPTS_VALUE)
        return;
    int64_t start_time;
    if (!times->start_known(&start_time)) {
        AVPacket* early = early_audio.size() < most_early_audio ? av_packet_clone(&packet) : nullptr;
        if (early)
            early_audio.push_back(early);  // a packet without memory for its copy goes unrecorded
        return;
    }
    while (!early_audio.empty()) {
        AVPacket* early = early_audio.front();
        early_audio.pop_front();
        add_audio_from(*early, start_time);
        av_packet_free(&early);
    }
    add_audio_from(packet, start_time);
}

// The session keeps both tracks on one clock (its sender reports): the
// file's audio starts where its first picture does.
void Mp4_Recording::add_audio_from(const AVPacket& packet, int64_t start_time)
{
    if (audio_index < 0)
        return;
    const int64_t time =
        packet.pts - av_rescale_q(start_time - times->first_presentation(), time_base, audio_source.time_base);
    if (time < av_rescale_q(times->first_presentation(), time_base, audio_source.time_base))
        return;  // before the first picture
    bool written;
    if (aac) {
        const AVRational encoder_time_base = aac->context().time_base;
        written = aac->add(packet, av_rescale_q(time, audio_source.time_base, encoder_time_base),
                           [this, encoder_time_base](AVPacket& encoded) { return write_audio(encoded, encoder_time_base); });
    } else {
        AVPacket* copy = av_packet_clone(&packet);
        if (!copy)
            return;  // this packet goes unrecorded
        copy->pts = copy->dts = time;
        written = write_audio(*copy, audio_source.time_base);
        av_packet_free(&copy);
    }
    if (!written)
        audio_index = -1;  // the sound ends there; the pictures go on
    hand_to_file();
}

// A packet not later than the one before (a server's clock stepping back)
// is left out: a track's times only rise.
bool Mp4_Recording::write_audio(AVPacket& packet, AVRational packet_time_base)
{
    packet.stream_index = audio_index;
    av_packet_rescale_ts(&packet, packet_time_base, muxer->streams[audio_index]->time_base);
    if (last_audio_time != AV_NOPTS_VALUE && packet.dts <= last_audio_time)
        return true;
    last_audio_time = packet.dts;
    return av_write_frame(muxer, &packet) >= 0;
}

bool Mp4_Recording::start(const Media_Track& track, const AVPacket& key_frame)
{
    if (avformat_alloc_output_context2(&muxer, nullptr, "mp4", nullptr) < 0)
        return false;
    uint8_t* buffer = static_cast<uint8_t*>(av_malloc(output_buffer_bytes));
    output = buffer ? avio_alloc_context(buffer, output_buffer_bytes, 1, this, nullptr, &Mp4_Recording::collect,
                                         nullptr)
                    : nullptr;
    if (!output) {
        av_free(buffer);
        return false;
    }
    output->seekable = 0;
    muxer->pb = output;
    AVStream* video = avformat_new_stream(muxer, nullptr);
    if (!video || avcodec_parameters_copy(video->codecpar, track.parameters) < 0 ||
        !take_parameter_sets(*video->codecpar, key_frame))
        return false;
    video->time_base = track.time_base;
    width = video->codecpar->width;
    height = video->codecpar->height;
    video->codecpar->codec_tag = 0;  // the muxer's own tag for the codec
    if (video->codecpar->codec_id == AV_CODEC_ID_HEVC)
        video->codecpar->codec_tag = MKTAG('h', 'v', 'c', '1');  // the tag players look for
    add_audio_track();
    // Metadata and options that cannot be set for want of memory leave the
    // file untitled, or with the muxer's default fragments.
    (void)av_dict_set(&muxer->metadata, "title", ("Channel " + std::to_string(channel)).c_str(), 0);
    AVDictionary* options = nullptr;
    (void)av_dict_set(&options, "movflags", fragment_flags, 0);
    (void)av_dict_set(&options, "frag_duration", fragment_duration_us, 0);
    const int written = avformat_write_header(muxer, &options);
    av_dict_free(&options);
    const AVRational rate = track.frame_rate.num > 0 ? track.frame_rate : AVRational{25, 1};
    time_base = track.time_base;
    times.reset(new (std::nothrow) Decode_Times(std::max<int64_t>(1, av_rescale_q(1, av_inv_q(rate), track.time_base))));
    return written >= 0 && times;
}

bool Mp4_Recording::write(const AVPacket& packet)
{
    AVPacket* copy = av_packet_clone(&packet);
    if (!copy)
        return false;
    std::vector<AVPacket*> ready;
    times->add(copy, ready);
    return write_settled(ready);
}

// Writes packets whose times are settled, and frees them.
bool Mp4_Recording::write_settled(std::vector<AVPacket*>& ready)
{
    bool written = true;
    for (AVPacket*& packet : ready) {
        packet->stream_index = 0;  // the video, the muxer's first stream
        av_packet_rescale_ts(packet, time_base, muxer->streams[0]->time_base);
        written = written && av_write_frame(muxer, packet) >= 0;
        av_packet_free(&packet);
    }
    return written;
}
