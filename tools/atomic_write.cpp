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

    const std::string folder = DirectoryPart(path);

    // The temporary name is short whatever the output's name, so a name near
    // the file system's length limit can still be written.
    // Writers of this process, on any thread, take numbers in turn.
    static std::atomic<unsigned> serial{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = folder + ".duskmapper-export-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt >= 100)) {
            error = ErrorText(errno);
            return false;
        }
    }

    auto fail = [&](int code) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        error = ErrorText(code);
        return false;
    };

    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        done += static_cast<std::size_t>(put);
    }
    // Replacing a file: its new bytes reach the disk before the rename, so a
    // crash leaves the old file or the new one, never an empty one. A new
    // name has nothing to lose and is not waited for.
    if (exists && ::fsync(fd) != 0) return fail(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail(errno);
    if (::rename(temp.c_str(), path.c_str()) != 0) return fail(errno);
    return true;
}

}  // namespace dusk
