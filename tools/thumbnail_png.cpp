// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/thumbnail_png.h"

#include <png.h>

#include <csetjmp>

namespace dusk {

namespace {

struct Sink {
    std::vector<std::uint8_t>* bytes;
    std::string* error;
};

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    sink->bytes->insert(sink->bytes->end(), data, data + length);
}

void Flush(png_structp) {}

void Fail(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = message;
    png_longjmp(png, 1);
}

void Warn(png_structp, png_const_charp) {}

}  // namespace

bool EncodeGreyPng(const std::uint8_t* grey, int w, int h, std::vector<std::uint8_t>& png, std::string& error) {
    png.clear();
    if (w <= 0 || h <= 0) {
        error = "empty picture";
        return false;
    }
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, Fail, Warn);
    if (writer == nullptr) {
        error = "cannot start the PNG writer";
        return false;
    }
    png_infop info = png_create_info_struct(writer);
    Sink sink{&png, &error};
    // Nothing with a destructor lives between here and the end of the writing.
    if (info == nullptr || setjmp(png_jmpbuf(writer)) != 0) {
        if (info == nullptr) error = "cannot start the PNG writer";
        png_destroy_write_struct(&writer, &info);
        png.clear();
        return false;
    }
    png_set_write_fn(writer, &sink, Append, Flush);
    png_set_IHDR(writer, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer, info);
    for (int y = 0; y < h; ++y) {
        png_write_row(writer, grey + static_cast<std::size_t>(y) * static_cast<std::size_t>(w));
    }
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return true;
}

}  // namespace dusk
