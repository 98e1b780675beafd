// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/label.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/image_state.h"

namespace dusk {

namespace {

bool ExtensionAt(const std::string& name, std::size_t position, const char* extension) {
    return name.size() >= position + 4 && name.compare(position, 4, extension) == 0;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

std::string ReadLabelBytes(const std::string& path, std::size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    std::string bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        bytes.resize(limit);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                done = 0;  // a failed read yields no bytes at all
                break;
            }
            if (got == 0) break;
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return bytes;
}

std::string LabelFileName(const std::string& imageName) {
    for (std::size_t stem : {std::size_t{3}, std::size_t{5}}) {
        if (ExtensionAt(imageName, stem, ".img") || ExtensionAt(imageName, stem, ".IMG")) {
            return imageName.substr(0, stem) + ".lbl";
        }
    }
    return {};
}

std::vector<std::string> SplitLabel(const std::string& bytes) {
    std::vector<std::string> items;
    items.reserve(kLabelLineCount);
    for (int line = 0; line < kLabelLineCount; ++line) {
        std::string record(kLabelRecordLength, '\0');
        const std::size_t start = static_cast<std::size_t>(line) * kLabelRecordLength;
        if (start < bytes.size() && start < static_cast<std::size_t>(kLabelReadLimit)) {
            record.replace(0, std::min<std::size_t>(kLabelRecordLength, bytes.size() - start), bytes, start,
                           kLabelRecordLength);
        }
        record[kLabelRecordLength - 2] = ' ';
        record[kLabelRecordLength - 1] = ' ';
        const auto zero = record.find('\0');
        if (zero != std::string::npos) record.resize(zero);
        items.push_back(std::move(record));
    }
    return items;
}

std::string LabelFilePath(const std::string& directory, const std::string& imageName) {
    const std::string labelName = LabelFileName(imageName);
    if (labelName.empty()) return {};
    std::string path = directory + labelName;
    if (!Exists(path)) {
        path = directory + labelName.substr(0, labelName.size() - 4) + ".LBL";
        if (!Exists(path)) return {};
    }
    return path;
}

std::string LabelFilePath() {
    const ImageState& s = State();
    return LabelFilePath(s.DirectoryPath, s.CurrentFileName);
}

std::vector<std::string> ReadImageLabel() {
    const std::string path = LabelFilePath();
    if (path.empty()) return {};
    return SplitLabel(ReadLabelBytes(path, kLabelReadLimit));
}

void LoadImageLabel() { State().LabelLines = ReadImageLabel(); }

namespace {

// A converter keeps state between calls: one per thread, closed when the
// thread ends (a worker thread would otherwise leave it behind).
class Cp1250Converter {
public:
    Cp1250Converter() : handle_(::iconv_open("UTF-8", "CP1250")) {}
    ~Cp1250Converter() {
        if (handle_ != reinterpret_cast<iconv_t>(-1)) ::iconv_close(handle_);
    }
    Cp1250Converter(const Cp1250Converter&) = delete;
    Cp1250Converter& operator=(const Cp1250Converter&) = delete;
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

}  // namespace

std::string Cp1250ToUtf8(const std::string& bytes) {
    thread_local const Cp1250Converter threadConverter;
    const iconv_t converter = threadConverter.get();
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        char in[1] = {c};
        char buffer[8];
        char* inPtr = in;
        std::size_t inLeft = 1;
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        if (converter == reinterpret_cast<iconv_t>(-1) ||
            ::iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            out += "\xEF\xBF\xBD";
            continue;
        }
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    }
    return out;
}

}  // namespace dusk
