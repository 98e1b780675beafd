// SPDX-License-Identifier: GPL-3.0-or-later
// The key of an image file's contents: the SHA-256 of its bytes (nettle), in
// lower-case hexadecimal.
#include <nettle/sha2.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "marks/marks_store.h"

namespace dusk {

namespace {

std::string Hex(const std::array<std::uint8_t, SHA256_DIGEST_SIZE>& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * digest.size());
    for (const std::uint8_t byte : digest) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 15]);
    }
    return text;
}

}  // namespace

std::string ContentKey(std::span<const std::uint8_t> file) {
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, file.size(), file.data());
    std::array<std::uint8_t, SHA256_DIGEST_SIZE> digest{};
    sha256_digest(&context, digest.size(), digest.data());
    return Hex(digest);
}

std::string ContentKeyOfFile(const std::string& path, std::string& error) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return {};
    }
    sha256_ctx context;
    sha256_init(&context);
    std::array<std::uint8_t, 1 << 16> block{};
    std::size_t read = 0;
    while ((read = std::fread(block.data(), 1, block.size(), file.get())) > 0) {
        sha256_update(&context, read, block.data());
    }
    if (std::ferror(file.get()) != 0) {
        error = path + ": " + std::strerror(errno);
        return {};
    }
    std::array<std::uint8_t, SHA256_DIGEST_SIZE> digest{};
    sha256_digest(&context, digest.size(), digest.data());
    return Hex(digest);
}

}  // namespace dusk
