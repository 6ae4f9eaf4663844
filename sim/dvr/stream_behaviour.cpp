/*
 * stream_behaviour.cpp: the fields of "stream" by name, each a number in a
 * range, a flag, or one of a few words.  A value is checked whole before it
 * is stored, also against the fields it cannot go with.
 */

#include "stream_behaviour.h"

#include <cstdlib>

namespace {

const std::vector<std::string> codec_words = {"h264", "h265", "mjpeg"};
const std::vector<std::string> audio_words = {"none", "pcmu", "pcma", "aac"};
const std::vector<std::string> auth_words = {"both", "basic", "digest"};
const std::vector<std::string> profile_words = {"baseline", "main", "high"};
const std::vector<std::string> parameter_sets_words = {"both", "sdp", "in-band"};

struct Field
{
    const char *name;
    std::atomic<int> *number;                /* a number from least to most, a multiple of step, */
    std::atomic<bool> *flag;                 /* or 0 or 1, */
    const std::vector<std::string> *words;   /* or one of these words, kept in number as its index */
    int least, most, step;
};

std::string value_text(const Field &f)
{
    if (f.flag)
        return std::to_string(int(f.flag->load()));
    const int value = f.number->load();
    return f.words ? (*f.words)[static_cast<size_t>(value)] : std::to_string(value);
}

/* The index of the word `text` in value; false when it is none of them. */
bool parse_word(const Field &f, const std::string &text, int &value)
{
    for (size_t i = 0; i < f.words->size(); ++i)
        if ((*f.words)[i] == text) {
            value = static_cast<int>(i);
            return true;
        }
    return false;
}

/* The number `text` in value; false when it is none, or out of range. */
bool parse_number(const Field &f, const std::string &text, int &value)
{
    char *end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || number < f.least || number > f.most || number % f.step != 0)
        return false;
    value = static_cast<int>(number);
    return true;
}

/* What the field takes, for the answer to a value it does not. */
std::string values_error(const Field &f)
{
    if (f.words) {
        std::string known;
        for (const std::string &word : *f.words)
            known += " " + word;
        return std::string("error: ") + f.name + " is one of" + known + "\n";
    }
    return std::string("error: ") + f.name + " is " + (f.step > 1 ? "an even number" : "a number") + " from "
           + std::to_string(f.least) + " to " + std::to_string(f.most) + "\n";
}

void store(const Field &f, int value)
{
    if (f.flag)
        f.flag->store(value != 0);
    else
        f.number->store(value);
}

/* Whether setting the field to value would leave B-frames asked for in
   the baseline profile, which has no B pictures. */
bool b_frames_in_baseline(Stream_Behaviour &b, const Field &f, int value)
{
    const int profile = f.number == &b.profile ? value : b.profile.load();
    const int b_frames = f.number == &b.b_frames ? value : b.b_frames.load();
    return profile == int(Stream_Profile::baseline) && b_frames > 0;
}

std::string set_field(Stream_Behaviour &b, const Field &f, const std::string &text)
{
    int value = 0;
    if (!(f.words ? parse_word(f, text, value) : parse_number(f, text, value)))
        return values_error(f);
    if (b_frames_in_baseline(b, f, value))
        return "error: profile baseline has no B-frames: b-frames 0, or profile main or high\n";
    store(f, value);
    return "ok\n";
}

} // namespace

std::string stream_command(Stream_Behaviour &b, const std::vector<std::string> &words)
{
    /* Pictures are I420, whose colour planes halve both sides: sizes are even. */
    const Field fields[] = {
        {"refuse", nullptr, &b.refuse, nullptr, 0, 1, 1},
        {"anonymous", nullptr, &b.anonymous, nullptr, 0, 1, 1},
        {"accept-delay", &b.accept_delay_ms, nullptr, nullptr, 0, 1000000, 1},
        {"break-after", &b.break_after_frames, nullptr, nullptr, 0, 1000000, 1},
        {"fps", &b.frames_per_second, nullptr, nullptr, 1, 60, 1},
        {"width", &b.width, nullptr, nullptr, 16, 4096, 2},
        {"height", &b.height, nullptr, nullptr, 16, 4096, 2},
        {"stall", nullptr, &b.stall, nullptr, 0, 1, 1},
        {"codec", &b.codec, nullptr, &codec_words, 0, 0, 1},
        {"audio", &b.audio, nullptr, &audio_words, 0, 0, 1},
        {"auth", &b.auth, nullptr, &auth_words, 0, 0, 1},
        {"key-frames", nullptr, &b.key_frames, nullptr, 0, 1, 1},
        {"loop", &b.loop_seconds, nullptr, nullptr, 0, 60, 1},
        {"profile", &b.profile, nullptr, &profile_words, 0, 0, 1},
        {"b-frames", &b.b_frames, nullptr, nullptr, 0, 3, 1},
        {"parameter-sets", &b.parameter_sets, nullptr, &parameter_sets_words, 0, 0, 1},
        {"key-interval", &b.key_interval, nullptr, nullptr, 0, 600, 1},
    };
    if (words.size() == 1) {
        std::string reply;
        for (const Field &f : fields)
            reply += std::string(f.name) + "=" + value_text(f) + "\n";
        return reply + "frames-sent=" + std::to_string(b.frames_sent.load()) + "\nlogins="
               + std::to_string(b.logins.load()) + "\nend\n";
    }
    if (words.size() != 3)
        return "error: stream [FIELD VALUE]\n";
    for (const Field &f : fields)
        if (words[1] == f.name)
            return set_field(b, f, words[2]);
    return "error: unknown field\n";
}
