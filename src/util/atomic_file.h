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
//
// Every call writes a temporary file of its own, so two writers of one file
// at once each leave a whole file. A `path` that is a symbolic link is
// written through: the regular file it names is replaced and the link stays.
//
// In a browser page the file lives in memory and the page's storage
// (IndexedDB) keeps it: the changed file alone is stored there before this
// returns (or at the end of a StorageTransaction), so a closed tab keeps
// either the old file or the new one, and another tab's files stay.
bool writeFileAtomically(const std::string& path, std::string_view contents);

// The regular file a chain of symbolic links at `path` ends at, whether it
// exists yet or not; `path` itself when it is no link, or a link to
// anything but a regular file.
std::string linkTarget(const std::string& path);

// Removes the file at `path`, in the page's storage too. A file that was not
// there is removed already; false when it stays.
bool removeFileDurably(const std::string& path);

// Renames the file at `from` to `to` (which it replaces), in the page's
// storage too; false when it stays where it was.
bool renameFileDurably(const std::string& from, const std::string& to);

// Makes `folder` (relative to the working folder) the place whose files
// outlive the program. On the desktop it already is. In a browser page it is
// backed by the page's storage and read in from there; when it holds no file
// named `fileName` yet, a copy of `shippedCopy` is put there, as the desktop
// launcher does on a player's first start. A page whose browser refuses its
// storage keeps the folder in memory for the visit, and the page is told
// (Module.onStorageRefused), as it is when a later write is refused.
void openPersistentFolder(const std::string& folder, const std::string& fileName,
                          const std::string& shippedCopy);
