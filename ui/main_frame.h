// The main window `CMainFrame`: menu, tool bar, status bar and the console view. Its timer 500
// keeps the console view current, timer 505 hands the command line's run queue to the suite
// once, and its menu commands open one benchmark dialog each.
#pragma once

#include <QMainWindow>
#include <map>
#include <set>

#include "app/command_line.h"

class QLabel;

namespace ui {

class ConsoleView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kConsoleTimer = 500;
    static constexpr int kQueueTimer = 505;
    static constexpr int kTimerPeriodMs = 500;
    // Command ids of the menu and tool bar.
    static constexpr int kIdRunAll = 32772;
    static constexpr int kIdExit = 57665;
    static constexpr int kIdToolbar = 59392;
    static constexpr int kIdStatusBar = 59393;
    static constexpr int kIdMembench = 32779;
    static constexpr int kIdStream = 32789;
    static constexpr int kIdMolDyn = 32774;
    static constexpr int kIdOrbitra = 32782;
    static constexpr int kIdCipher = 32787;
    static constexpr int kIdSgemm = 144;
    static constexpr int kIdDgemm = 32788;
    static constexpr int kIdAbout = 57664;
    static constexpr int kIdNoHandler = 32786;

    CMainFrame();
    ~CMainFrame() override;

    // The console view over the client area, made once the window shows.
    void create_console_view();
    // Timers 500 and 505, started once the window shows. When one cannot be created: "Timer Error"
    // and the window is closed; returns false.
    bool start_timers();
    // Re-indexes the console text and shows its last page at once.
    void RefreshConsoleView();

    // The parsed command line: the run queue and its inputs.
    void set_command_line(const app::CommandLine& cl) { command_line_ = cl; }
    const app::CommandLine& command_line() const { return command_line_; }

    ConsoleView* console_view() const { return view_; }
    // The action of a command id (menu or tool bar), or nullptr.
    QAction* command_action(int id) const;
    // Runs a command as the menu would.
    void run_command(int id);
    bool timer_active(int id) const { return timers_.count(id) != 0; }
    QLabel* status_message() const { return status_message_; }

    // Test hook: timer ids that refuse to start.
    static std::set<int>& failing_timers();

  protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void build_menu_and_tool_bar();
    void build_status_bar();
    QAction* make_action(int id, const QString& text, const QString& prompt = {});
    void on_timer(int id);
    void hand_over_queue();
    void run_driver(int id);
    void about();
    void stop_timers();

    app::CommandLine command_line_;
    QWidget* client_ = nullptr;
    ConsoleView* view_ = nullptr;
    QLabel* status_message_ = nullptr;
    std::map<int, QAction*> actions_;
    std::map<int, int> timers_;  // our id -> Qt timer id
    bool close_after_run_ = false;
};

}  // namespace ui
