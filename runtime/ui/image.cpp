#include "runtime/ui/image.hpp"

#include <QImage>

namespace orvo_ui {
namespace {

void release_bytes(void* info) {
    delete static_cast<Image::Bytes*>(info);
}

}  // namespace

std::string_view describe(ImageError error) {
    switch (error) {
        case ImageError::EmptySize:
            return "image has no pixels";
        case ImageError::StrideTooSmall:
            return "image stride is shorter than a row of pixels";
        case ImageError::BufferTooSmall:
            return "image buffer is smaller than its size";
        case ImageError::MissingBuffer:
            return "image has no byte buffer";
    }
    return "image error";
}

std::variant<Image, ImageError> Image::from_rgba(Bytes bytes, int width, int height, int stride) {
    if (!bytes) {
        return ImageError::MissingBuffer;
    }
    if (width <= 0 || height <= 0) {
        return ImageError::EmptySize;
    }
    const auto row = static_cast<std::uint64_t>(width) * 4;
    if (stride < 0 || static_cast<std::uint64_t>(stride) < row) {
        return ImageError::StrideTooSmall;
    }
    // The last row needs only its pixels, not the padding after them.
    const std::uint64_t needed = static_cast<std::uint64_t>(stride) * (height - 1) + row;
    if (bytes->size() < needed) {
        return ImageError::BufferTooSmall;
    }
    return Image(std::move(bytes), width, height, stride);
}

std::variant<Image, ImageError> Image::from_rgba(Bytes bytes, int width, int height) {
    if (width <= 0 || height <= 0) {
        return ImageError::EmptySize;
    }
    const std::uint64_t stride = static_cast<std::uint64_t>(width) * 4;
    if (stride > static_cast<std::uint64_t>(INT32_MAX)) {
        return ImageError::BufferTooSmall;
    }
    return from_rgba(std::move(bytes), width, height, static_cast<int>(stride));
}

QImage Image::to_qimage() const {
    return QImage(bytes_->data(), width_, height_, stride_, QImage::Format_RGBA8888, &release_bytes,
                  new Bytes(bytes_));
}

}  // namespace orvo_ui
