// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/paths.h"

namespace dusk {

namespace {

std::string ErrorText(int code) { return std::strerror(code); }

// All of `bytes` to `fd`, and on to the disk when `flush` is set: 0, or the
// reason it failed.
int WriteOut(int fd, std::span<const std::uint8_t> bytes, bool flush) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<std::size_t>(put);
    }
    return flush && ::fsync(fd) != 0 ? errno : 0;
}

// A temporary name in `folder`, short whatever the output's name, so a name
// near the file system's length limit can still be written. Writers of this
// process, on any thread, take numbers in turn.
std::string TemporaryName(const std::string& folder) {
    static std::atomic<unsigned> serial{0};
    return folder + ".duskmapper-export-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) + ".tmp";
}

enum class Written { Yes, No, NotThisWay };

// The bytes go to a file of the folder that has no name yet (O_TMPFILE) and
// gets one only when it is whole: a new output its own name at once, an
// existing one a temporary name that is then renamed over it. Creating the
// file does not hold the folder up for other writers, as creating a named
// file does, and a failure leaves no name behind. NotThisWay when the file
// system or the system cannot do it (then nothing was written).
Written WriteUnnamed(const std::string& folder, const std::string& path, bool replacing,
                     std::span<const std::uint8_t> bytes, std::string& error) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return Written::NotThisWay;
    int code = WriteOut(fd, bytes, replacing);
    if (code != 0) {
        ::close(fd);
        error = ErrorText(code);
        return Written::No;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const auto name = [&](const std::string& as) {
        return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, as.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
    };
    code = replacing ? EEXIST : name(path);
    if (code == EEXIST) {  // replacing, or a file of that name came meanwhile
        std::string temp;
        for (int attempt = 0; code == EEXIST && attempt < 100; ++attempt) code = name(temp = TemporaryName(folder));
        if (code == 0 && ::rename(temp.c_str(), path.c_str()) != 0) {
            code = errno;
            ::unlink(temp.c_str());
            ::close(fd);
            error = ErrorText(code);
            return Written::No;
        }
    }
    // Closing a local file whose bytes are all written reports nothing.
    ::close(fd);
    return code == 0 ? Written::Yes : Written::NotThisWay;
}

// The same through a named temporary file, renamed into place.
bool WriteNamed(const std::string& folder, const std::string& path, bool replacing,
                std::span<const std::uint8_t> bytes, std::string& error) {
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = TemporaryName(folder);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt >= 100)) {
            error = ErrorText(errno);
            return false;
        }
    }
    int code = WriteOut(fd, bytes, replacing);
    if (::close(fd) != 0 && code == 0) code = errno;
    if (code == 0 && ::rename(temp.c_str(), path.c_str()) != 0) code = errno;
    if (code == 0) return true;
    ::unlink(temp.c_str());
    error = ErrorText(code);
    return false;
}

}  // namespace

bool WriteFileReplacing(const std::string& requested, std::span<const std::uint8_t> bytes, std::string& error) {
    // A symbolic link is followed, so the file it names is replaced and the
    // link stays. Only a regular file is ever replaced: renaming over a
    // device, a FIFO or a folder would destroy it or fail half-way.
    std::string path = requested;
    struct stat info {};
    bool exists = ::lstat(path.c_str(), &info) == 0;
    if (exists && S_ISLNK(info.st_mode)) {
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (resolved == nullptr) {
            error = ErrorText(errno);
            return false;
        }
        path = resolved;
        std::free(resolved);
        exists = ::stat(path.c_str(), &info) == 0;
    }
    if (exists && S_ISDIR(info.st_mode)) {
        error = ErrorText(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }

    // Replacing a file: its new bytes reach the disk before it takes the
    // name, so a crash leaves the old file or the new one, never an empty
    // one. A new name has nothing to lose and is not waited for.
    const std::string folder = DirectoryPart(path);
    const Written unnamed = WriteUnnamed(folder, path, exists, bytes, error);
    if (unnamed != Written::NotThisWay) return unnamed == Written::Yes;
    return WriteNamed(folder, path, exists, bytes, error);
}

}  // namespace dusk
