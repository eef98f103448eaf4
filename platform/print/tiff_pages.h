#pragma once

#include "image_pages.h"

namespace torvex {

// TIFF files through libtiff.
[[nodiscard]] std::unique_ptr<ImagePages> openTiffPages(const QString& path, QString* error);

}  // namespace torvex
