#include "hosts/cli/Png.hpp"

#include "hosts/cli/AudioFile.hpp"
#include "hosts/cli/CliError.hpp"

#include <png.h>

#include <csetjmp>
#include <vector>

namespace quorvel::cli {

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}

void noFlush(png_structp) {}

// libpng reports errors by a long jump back into encodePng; this one records the message.
void onError(png_structp png, png_const_charp message) {
    *static_cast<std::string*>(png_get_error_ptr(png)) = message;
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

} // namespace

std::string encodePng(const Image& image) {
    std::string bytes, error;
    std::vector<png_byte> row(size_t(image.width()) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw processingError("cannot encode the picture: out of memory");
    }
    // Nothing below the jump target holds resources that a long jump would leak: the row
    // buffer and the output string live outside it.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw processingError("cannot encode the picture: " + error);
    }
    png_set_write_fn(png, &bytes, appendBytes, noFlush);
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Rgb c = image.at(x, y);
            row[size_t(x) * 3] = c.r;
            row[size_t(x) * 3 + 1] = c.g;
            row[size_t(x) * 3 + 2] = c.b;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

void writePng(const std::string& path, const Image& image) {
    writeTextFile(path, encodePng(image));
}

} // namespace quorvel::cli
