#include "util/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "util/keyword_text.h"
#include "util/page_storage.h"
#include "util/regular_file.h"

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

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename is only kept once the folder's entry is on disk too.
bool syncFolder(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // Some file systems cannot sync a folder; their renames are as kept as
    // they get.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}

// A temporary name no other writer uses, this process's other threads
// included: two games saving one file at once each write a whole file of
// their own, and the last rename wins.
std::string temporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + "." + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp";
}

// The new temporary file, never one that is there already (a planted link
// or another writer's file) and never through a link.
int createTemporary(const std::string& path, std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryNameFor(path);
        const int fd = openRegularFile(temporary, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

std::string linkTarget(const std::string& path) {
    std::string target = path;
    // A few links deep at most: a loop of links is replaced as it stands.
    for (int depth = 0; depth < 8; ++depth) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0) {
            return target;  // a link to a file yet to be made
        }
        if (!S_ISLNK(info.st_mode)) {
            // A link to a device or a folder is no file of the player's to
            // rewrite: the link itself is replaced.
            return S_ISREG(info.st_mode) ? target : path;
        }
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), buffer, sizeof buffer - 1);
        if (length <= 0) {
            return target;
        }
        const std::string next(buffer, static_cast<std::size_t>(length));
        target = next[0] == '/' ? next : folderOf(target) + "/" + next;
    }
    return path;
}

bool writeFileAtomically(const std::string& path, std::string_view contents) {
    // A player's file that is a link stays one: the file it names is the
    // one rewritten, so the link never goes stale.
    const std::string file = linkTarget(path);
    std::string temporary;
    // A pipe left in the temporary's place would block the open until some
    // reader comes; it is refused like any other file that is not regular.
    const int fd = createTemporary(file, temporary);
    if (fd < 0) {
        // Refused (a read-only or immutable folder), not merely impossible:
        // the record must still reach the file where the file allows it.
        return (errno == EACCES || errno == EPERM) && rewriteInPlace(file, contents) &&
               keepInPageStorage(path);
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
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // Only the renamed file reaches the page's storage, never the temporary.
    return syncFolder(file) && keepInPageStorage(path);
}

bool removeFileDurably(const std::string& path) {
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
        return false;
    }
    return syncFolder(path) && keepInPageStorage(path);
}

bool renameFileDurably(const std::string& from, const std::string& to) {
    StorageTransaction together;
    return std::rename(from.c_str(), to.c_str()) == 0 && syncFolder(to) &&
           keepInPageStorage(from) && keepInPageStorage(to) && together.commit();
}

void openPersistentFolder(const std::string& folder, const std::string& fileName,
                          const std::string& shippedCopy) {
#ifdef __EMSCRIPTEN__
    mountPageStorage(folder);
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
