#pragma once
// Pictures as PNG files (8-bit RGB, through libpng).

#include "hosts/cli/Image.hpp"

#include <string>

namespace quorvel::cli {

// The PNG encoding of `image`. Throws CliError (processing) if libpng refuses it.
std::string encodePng(const Image& image);

// Writes `image` to `path` atomically (temporary file, then rename): a failure leaves no file.
void writePng(const std::string& path, const Image& image);

} // namespace quorvel::cli
