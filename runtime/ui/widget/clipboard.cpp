#include "runtime/ui/widget/clipboard.hpp"

#include <QClipboard>
#include <QGuiApplication>

namespace orvo_ui::widget::clipboard {

std::string QtClipboard::text() const {
    const QClipboard* board = QGuiApplication::clipboard();
    return board == nullptr ? std::string() : board->text().toStdString();
}

void QtClipboard::set_text(const std::string& text) {
    QClipboard* board = QGuiApplication::clipboard();
    if (board != nullptr) {
        board->setText(QString::fromStdString(text));
    }
}

}  // namespace orvo_ui::widget::clipboard
