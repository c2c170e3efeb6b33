#pragma once

#include <string>
#include <string_view>

// Replaces the file at `path` with `contents` so that a crash or power cut at
// any moment leaves either the old file or the new one, never a partial one:
// the contents go to a temporary file in the same folder, which is flushed to
// disk and then renamed over the old file. Returns false (and leaves the old
// file as it was) when any step fails.
bool writeFileAtomically(const std::string& path, std::string_view contents);
