#pragma once
// A picture over shared 8-bit RGBA bytes (straight alpha, row-major). Copies of an Image
// share the bytes; nothing is copied when it is drawn.

#include <cstdint>
#include <memory>
#include <string_view>
#include <variant>
#include <vector>

class QImage;

namespace orvo_ui {

enum class ImageError {
    EmptySize,       // width or height is zero or negative
    StrideTooSmall,  // a row is longer than the stride
    BufferTooSmall,  // fewer bytes than height rows of stride bytes
    MissingBuffer,   // no byte buffer at all
};

std::string_view describe(ImageError error);

class Image {
  public:
    using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;

    // Checks that the bytes hold `height` rows of `stride` bytes, each with `width` pixels.
    static std::variant<Image, ImageError> from_rgba(Bytes bytes, int width, int height,
                                                     int stride);
    // Rows without padding: stride = width * 4.
    static std::variant<Image, ImageError> from_rgba(Bytes bytes, int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return stride_; }
    const std::uint8_t* data() const { return bytes_->data(); }
    const Bytes& bytes() const { return bytes_; }

    // A QImage over the same bytes (no copy). The QImage keeps the bytes alive for as long
    // as it or any implicit copy of it exists. It is read-only: writing to it detaches.
    QImage to_qimage() const;

  private:
    Image(Bytes bytes, int width, int height, int stride)
        : bytes_(std::move(bytes)), width_(width), height_(height), stride_(stride) {}

    Bytes bytes_;
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
};

}  // namespace orvo_ui
