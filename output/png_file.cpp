// SPDX-License-Identifier: GPL-3.0-or-later
// An 8-bit grey PNG of the picture, through libpng, written to memory.
#include <png.h>

#include <csetjmp>

#include "output/picture_file.h"

namespace dusk {

namespace {

struct Sink {
    std::vector<std::uint8_t>* file;
    const char* failure;  // libpng's message when it gave up
};

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    sink->file->insert(sink->file->end(), data, data + length);
}

void Flush(png_structp) {}

void Fail(png_structp png, png_const_charp message) {
    static_cast<Sink*>(png_get_error_ptr(png))->failure = message;
    png_longjmp(png, 1);
}

void Warn(png_structp, png_const_charp) {}

// Only plain locals here: libpng leaves through longjmp on an error.
bool Write(const GreyPicture& picture, Sink& sink) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, Fail, Warn);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &sink, Append, Flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::int32_t y = 0; y < picture.height; ++y) {
        png_write_row(png, picture.samples.data() + static_cast<std::size_t>(y) * picture.width);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool EncodePng(const GreyPicture& picture, std::vector<std::uint8_t>& file, std::string& error) {
    file.clear();
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.samples.size() != static_cast<std::size_t>(picture.width) * picture.height) {
        error = "no picture to write";
        return false;
    }
    Sink sink{&file, nullptr};
    if (Write(picture, sink)) return true;
    error = std::string("PNG: ") + (sink.failure != nullptr ? sink.failure : "out of memory");
    file.clear();
    return false;
}

}  // namespace dusk
