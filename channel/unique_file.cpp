#include "unique_file.h"

#include <cstdio>
#include <ctime>

namespace {

const int most_same_second_files = 100;

// "<directory><seconds>-<channel>[-<copy>]<extension>"; false when it does
// not fit.
bool format_name(char* path, size_t size, const char* directory, int seconds, int channel, int copy,
                 const char* extension)
{
    const int length = copy == 1
                           ? snprintf(path, size, "%s%d-%d%s", directory, seconds, channel, extension)
                           : snprintf(path, size, "%s%d-%d-%d%s", directory, seconds, channel, copy, extension);
    return length > 0 && static_cast<size_t>(length) < size;
}

} // namespace

bool create_under_free_name(const char* directory, int channel, const char* extension, char* path,
                            size_t size, const std::function<Create_Outcome(char* path)>& create)
{
    const int seconds = static_cast<int>(time(nullptr));
    for (int copy = 1; copy <= most_same_second_files; ++copy) {
        if (!format_name(path, size, directory, seconds, channel, copy, extension))
            return false;
        const Create_Outcome outcome = create(path);
        if (outcome != Create_Outcome::name_taken)
            return outcome == Create_Outcome::created;
    }
    return false;
}
