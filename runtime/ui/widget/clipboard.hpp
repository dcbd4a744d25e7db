#pragma once
// Where cut, copy and paste go: the system clipboard, or memory in tests.

#include <string>

namespace orvo_ui::widget::clipboard {

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // The clipboard's plain text (UTF-8), empty when it holds none.
    virtual std::string text() const = 0;
    virtual void set_text(const std::string& text) = 0;
};

class MemoryClipboard final : public Clipboard {
  public:
    std::string text() const override { return text_; }
    void set_text(const std::string& text) override { text_ = text; }

  private:
    std::string text_;
};

// The desktop clipboard through QGuiApplication::clipboard(); needs a QGuiApplication.
class QtClipboard final : public Clipboard {
  public:
    std::string text() const override;
    void set_text(const std::string& text) override;
};

}  // namespace orvo_ui::widget::clipboard
