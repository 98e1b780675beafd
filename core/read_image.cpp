// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/read_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/image_state.h"

namespace dusk {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

void MarkUnreadable(const std::string& reason) {
    ImageState& s = State();
    s.FileLength = -1;
    s.ReadError = reason;
}

}  // namespace

void ReadImageFile() {
    ImageState& s = State();
    AllocateWorkingBuffers();
    s.ReadError.clear();

    // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
    FileDescriptor file(::open(s.CurrentImagePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        MarkUnreadable(std::strerror(errno));
        return;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        MarkUnreadable(std::strerror(errno));
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        MarkUnreadable(std::strerror(EISDIR));
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        MarkUnreadable("not a regular file");
        return;
    }

    const off_t limit = info.st_size < kRawImageSize ? info.st_size : kRawImageSize;
    std::uint8_t* out = s.RawImage.get();
    off_t done = 0;
    while (done < limit) {
        const ssize_t got = ::read(file.get(), out + done, static_cast<std::size_t>(limit - done));
        if (got < 0) {
            if (errno == EINTR) continue;
            // The bytes that did arrive are not trusted: the file is unreadable.
            std::memset(out, 0, static_cast<std::size_t>(done));
            MarkUnreadable(std::strerror(errno));
            return;
        }
        if (got == 0) break;  // the file shrank since its length was taken
        done += got;
    }
    s.FileLength = static_cast<std::int32_t>(done);
}

}  // namespace dusk
