#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kobanto::settings {

// Replaces the contents of the file at path with edit(its current contents) as one whole-file
// update: the new text goes to a temporary file in the same folder, is flushed to the disk and
// renamed over the old file, which keeps its permissions (and its owner, where that can be kept).
// A missing file is created with edit(""). A symbolic link stays a link and its target is
// updated. When the folder cannot take a temporary file but the existing file is writable, that
// file is rewritten in place.
// Returns false when the update cannot be made: the existing file cannot be read and written (a
// read-only file is not replaced), the folder refuses the new file, the disk is full. No
// temporary file is left behind.
bool UpdateWholeFile(const std::string& path,
                     const std::function<std::string(std::string_view)>& edit);

}  // namespace kobanto::settings
