#pragma once

#include <string>
#include <string_view>

// Replaces the file at `path` with `contents` so that a crash or power cut at
// any moment leaves either the old file or the new one, never a partial one:
// the contents go to a temporary file in the same folder, which is flushed to
// disk and then renamed over the old file. In a folder that refuses new files
// (read-only, immutable) an existing writable file is rewritten in place
// instead, without that safety. Returns false when the file could not be
// written: the old file then stays as it was (an in-place rewrite that fails
// midway may leave it partly written).
bool writeFileAtomically(const std::string& path, std::string_view contents);
