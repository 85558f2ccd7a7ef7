// A benchmark dialog's window: a QDialog that hosts a run controller. It gives the controller
// timers by id, message boxes, the nested "Analysis in Progress..." box and the end of the
// dialog, and reports its paints (the first show counts as a paint, so an automatic start does
// not wait for an expose that an unmapped or minimised window never gets).
#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "app/dialog_host.h"

class QTimer;

namespace ui {

class DialogWindow : public QDialog, public app::DialogHost {
    Q_OBJECT
  public:
    DialogWindow(app::RunController& controller, QWidget* parent);
    ~DialogWindow() override;

    // The modal run: init, show, timers until the controller ends the dialog.
    int run();

    app::RunController& controller() { return controller_; }
    bool ended() const { return ended_; }

    bool start_timer(int id, int period_ms) override;
    void kill_timer(int id) override;
    void message_box(std::string_view text, std::string_view title) override;
    bool ask_yes_no(std::string_view text, std::string_view title) override;
    void end_dialog(int result) override;
    void request_repaint() override;
    int run_modal_box(const app::ModalBoxText& box) override;
    void end_modal_box(int result) override;
    app::ModalRunner& modal_runner() override;

    bool timer_active(int id) const;
    // The open nested box, if any (tests).
    QDialog* modal_box() const { return boxes_.empty() ? nullptr : boxes_.back(); }

    // Test hook: timer ids that refuse to start, for every window.
    static std::set<int>& failing_timers();

  public slots:
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // The window's own display (labels, bars) follows the controller's state.
    virtual void update_display() {}

  private:
    void notify_paint();
    void on_timer(int id);

    app::RunController& controller_;
    std::map<int, QTimer*> timers_;
    std::set<int> in_handler_;
    std::vector<QDialog*> boxes_;
    bool ended_ = false;
    int result_ = app::kIdCancel;
    bool paint_queued_ = false;
    bool shown_once_ = false;
};

// Creates the window for a controller; the suite gets its own, every other benchmark the
// generic one until its own window exists.
using WindowFactory =
    std::function<std::unique_ptr<DialogWindow>(app::RunController&, QWidget* parent)>;

// The GUI's modal runner: each run gets a window of the first factory that accepts the
// controller (returns non-null), else the generic benchmark window.
class GuiModalRunner : public app::ModalRunner {
  public:
    int run_modal(app::RunController& controller) override;
    void add_factory(WindowFactory factory) { factories_.push_back(std::move(factory)); }
    // Modal runs open right now (the main window refuses to close meanwhile).
    int depth() const { return depth_; }

  private:
    std::vector<WindowFactory> factories_;
    int depth_ = 0;
};

// The program's runner; install_gui_modal_runner() makes it app::modal_runner().
GuiModalRunner& gui_modal_runner();

// Registers (once) the window a controller class is shown with.
template <class Controller, class Window>
void register_window_for() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    gui_modal_runner().add_factory(
        [](app::RunController& c, QWidget* parent) -> std::unique_ptr<DialogWindow> {
            if (auto* typed = dynamic_cast<Controller*>(&c))
                return std::make_unique<Window>(*typed, parent);
            return nullptr;
        });
}
void install_gui_modal_runner();

}  // namespace ui
