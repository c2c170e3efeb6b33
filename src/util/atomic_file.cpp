#include "util/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "util/regular_file.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include "util/keyword_text.h"

// The bodies below are JavaScript, which clang-format would take apart.
// clang-format off
// Mounts the page's storage on `folder` and reads in what it holds. When
// the browser refuses its storage (site data blocked, a private mode, a
// storage error), the folder stays a plain one in memory, for this visit.
EM_ASYNC_JS(int, mountStorage, (const char* folder), {
    const path = UTF8ToString(folder);
    FS.mkdirTree(path);
    try {
        FS.mount(IDBFS, {}, path);
    } catch (error) {
        console.warn("MOSSLANCE Hero : stockage indisponible (" + error + ")");
        return 0;
    }
    const error = await new Promise(resolve => FS.syncfs(true, resolve));
    if (!error) {
        return 1;
    }
    console.warn("MOSSLANCE Hero : lecture du stockage impossible (" + error + ")");
    FS.unmount(path);
    return 0;
});

// Tells the page, which tells the player, that records will not be kept.
EM_JS(void, tellStorageRefused, (), {
    if (Module.onStorageRefused) {
        Module.onStorageRefused();
    }
});

// Writes every change of the mounted folders to the page's storage and
// waits until the browser has committed it. One sync runs at a time: a
// second one started alongside would only repeat the first's work.
EM_ASYNC_JS(int, syncStorage, (), {
    while (Module.storageSync) {
        await Module.storageSync;
    }
    Module.storageSync = new Promise(resolve => FS.syncfs(false, error => {
        if (error) {
            console.error("MOSSLANCE Hero : écriture du stockage impossible (" + error + ")");
        }
        resolve(error ? 0 : 1);
    }));
    const done = await Module.storageSync;
    Module.storageSync = null;
    return done;
});
// clang-format on
#endif

namespace {

bool writeAll(int fd, std::string_view contents) {
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// For a folder that takes no new file but holds a writable one: the old way,
// rewriting the file itself. The new text goes over the old before the file
// is cut to its length, so a crash in between leaves no empty file.
bool rewriteInPlace(const std::string& path, std::string_view contents) {
    const int fd = openRegularFile(path, O_WRONLY);
    if (fd < 0) {
        return false;
    }
    const bool written = writeAll(fd, contents) &&
                         ::ftruncate(fd, static_cast<off_t>(contents.size())) == 0 &&
                         ::fsync(fd) == 0;
    return ::close(fd) == 0 && written;
}

// The page's storage takes the folder's changes now, so that a closed tab
// keeps them; on the desktop they are already kept.
bool keepChanges() {
#ifdef __EMSCRIPTEN__
    if (syncStorage() == 0) {
        tellStorageRefused();
        return false;
    }
#endif
    return true;
}

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view contents) {
    const std::string temporary = path + ".tmp";
    // A pipe left in the temporary's place would block the open until some
    // reader comes; it is refused like any other file that is not regular.
    const int fd = openRegularFile(temporary, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        // Refused (a read-only or immutable folder), not merely impossible:
        // the record must still reach the file where the file allows it.
        return (errno == EACCES || errno == EPERM) && rewriteInPlace(path, contents);
    }
    if (!writeAll(fd, contents)) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    if (::close(fd) != 0 || !synced) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Only the renamed file reaches the page's storage, never the temporary.
    return keepChanges();
}

bool removeFileDurably(const std::string& path) {
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
        return false;
    }
    return keepChanges();
}

void openPersistentFolder(const std::string& folder, const std::string& fileName,
                          const std::string& shippedCopy) {
#ifdef __EMSCRIPTEN__
    if (mountStorage(folder.c_str()) == 0) {
        tellStorageRefused();
    }
    const std::string path = folder + "/" + fileName;
    std::string contents;
    if (!text::readWholeFile(path, contents, text::MaxDataFileBytes) &&
        text::readWholeFile(shippedCopy, contents, text::MaxDataFileBytes)) {
        writeFileAtomically(path, contents);
    }
#else
    (void)folder;
    (void)fileName;
    (void)shippedCopy;
#endif
}
