// Files of recordings and snapshots are created, never replaced: each goes
// under the first free name of "<seconds>-<channel><extension>",
// "<seconds>-<channel>-2<extension>", "-3", ...
#pragma once

#include <cstddef>
#include <functional>

// What one attempt to create the file under one name came to.
enum class Create_Outcome { created, name_taken, failed };

// Tries the names in `directory` (which ends with its separator) with the
// current time in seconds, until `create` makes the file or fails for a
// reason other than the name being taken.  `path` (`size` bytes) holds the
// name tried last.  True when the file was created; false also when a name
// does not fit `path`.
bool create_under_free_name(const char* directory, int channel, const char* extension, char* path,
                            size_t size, const std::function<Create_Outcome(char* path)>& create);
