#include "ui/dialog_window.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

#include "app/message_sink.h"
#include "ui/benchmark_window.h"

namespace ui {
namespace {

QString qs(std::string_view s) {
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

// The nested progress box: only its dialog's timer ends it, never the user.
class ProgressBox : public QDialog {
  public:
    ProgressBox(const app::ModalBoxText& text, QWidget* parent) : QDialog(parent) {
        setWindowTitle(qs(text.title));
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        auto* layout = new QVBoxLayout(this);
        for (const std::string& line : text.lines) {
            auto* label = new QLabel(qs(line), this);
            label->setAlignment(Qt::AlignHCenter);
            layout->addWidget(label);
        }
        setModal(true);
    }
    void reject() override {}
};

}  // namespace

DialogWindow::DialogWindow(app::RunController& controller, QWidget* parent)
    : QDialog(parent), controller_(controller) {
    setWindowTitle(QString::fromStdString(controller_.title()));
    setModal(true);
}

DialogWindow::~DialogWindow() {
    for (auto& [id, timer] : timers_) timer->stop();
}

std::set<int>& DialogWindow::failing_timers() {
    static std::set<int> ids;
    return ids;
}

int DialogWindow::run() {
    controller_.attach(this);
    controller_.on_init();
    update_display();
    if (!ended_) exec();
    for (auto& [id, timer] : timers_) timer->stop();
    return result_;
}

bool DialogWindow::start_timer(int id, int period_ms) {
    if (failing_timers().count(id) != 0) return false;
    QTimer*& timer = timers_[id];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { on_timer(id); });
    }
    timer->start(std::max(period_ms, 1));
    return timer->isActive();
}

void DialogWindow::kill_timer(int id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) it->second->stop();
}

bool DialogWindow::timer_active(int id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

void DialogWindow::on_timer(int id) {
    // Modal runs nest inside timer handlers; a timer never re-enters its own handler.
    if (ended_ || !in_handler_.insert(id).second) return;
    controller_.on_timer(id);
    in_handler_.erase(id);
    if (!ended_) update_display();
}

void DialogWindow::message_box(std::string_view text, std::string_view title) {
    app::message_sink().message_box(text, title);
}

bool DialogWindow::ask_yes_no(std::string_view text, std::string_view title) {
    return app::message_sink().ask_yes_no(text, title);
}

void DialogWindow::end_dialog(int result) {
    if (ended_) return;
    ended_ = true;
    result_ = result;
    for (auto& [id, timer] : timers_) timer->stop();
    for (QDialog* box : boxes_) box->done(0);
    // Inside exec() this ends the loop once the current handler returns.
    done(result);
}

void DialogWindow::request_repaint() {
    update_display();
    update();
}

int DialogWindow::run_modal_box(const app::ModalBoxText& text) {
    if (ended_) return 0;
    ProgressBox box(text, this);
    boxes_.push_back(&box);
    const int result = box.exec();
    boxes_.pop_back();
    return result;
}

void DialogWindow::end_modal_box(int result) {
    if (!boxes_.empty()) boxes_.back()->done(result);
}

app::ModalRunner& DialogWindow::modal_runner() {
    return app::modal_runner();
}

void DialogWindow::reject() {
    if (ended_) return;
    controller_.on_cancel();
}

void DialogWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_once_) {
        shown_once_ = true;
        notify_paint();
    }
}

void DialogWindow::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    notify_paint();
}

void DialogWindow::notify_paint() {
    // The controller's paint handler runs from the loop, never inside a paint event: it may
    // start timers or log, and a nested paint must not begin from it.
    if (paint_queued_ || ended_) return;
    paint_queued_ = true;
    QPointer<DialogWindow> self(this);
    QMetaObject::invokeMethod(
        this,
        [self] {
            if (!self) return;
            self->paint_queued_ = false;
            if (self->ended_) return;
            self->controller_.on_paint();
            if (!self->ended_) self->update_display();
        },
        Qt::QueuedConnection);
}

int GuiModalRunner::run_modal(app::RunController& controller) {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = QApplication::activeWindow();
    std::unique_ptr<DialogWindow> window;
    for (const WindowFactory& factory : factories_) {
        window = factory(controller, parent);
        if (window) break;
    }
    if (!window) window = std::make_unique<BenchmarkWindow>(controller, parent);
    ++depth_;
    const int result = window->run();
    --depth_;
    return result;
}

GuiModalRunner& gui_modal_runner() {
    static GuiModalRunner runner;
    return runner;
}

void install_gui_modal_runner() {
    app::set_modal_runner(&gui_modal_runner());
}

}  // namespace ui
