#include "ui/gui_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <cstdio>

namespace ui {

GuiMessageSink::GuiMessageSink() = default;

GuiMessageSink::~GuiMessageSink() {
    if (installed_) app::set_message_sink(nullptr);
}

void GuiMessageSink::install() {
    app::set_message_sink(this);
    installed_ = true;
    if (QCoreApplication* core = QCoreApplication::instance())
        connect(core, &QCoreApplication::aboutToQuit, this, [this] { accepting_ = false; });
}

void GuiMessageSink::message_box(std::string_view text, std::string_view title) {
    show(text, title, false);
}

bool GuiMessageSink::ask_yes_no(std::string_view text, std::string_view title) {
    return show(text, title, true);
}

bool GuiMessageSink::show(std::string_view text, std::string_view title, bool question) {
    const QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QString c = QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
    if (QThread::currentThread() == thread()) return present(t, c, question);
    if (!accepting_) {
        // The loop is gone: nobody would show the box and the caller would wait forever.
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
        return true;
    }
    bool answer = false;
    // The worker waits here until the GUI thread has shown and closed the box.
    QMetaObject::invokeMethod(
        this, [&] { answer = present(t, c, question); }, Qt::BlockingQueuedConnection);
    return answer;
}

bool GuiMessageSink::present(const QString& text, const QString& title, bool question) {
    if (presenter) return presenter(text, title, question);
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = QApplication::activeWindow();
    if (question)
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    QMessageBox::information(parent, title, text);
    return true;
}

}  // namespace ui
