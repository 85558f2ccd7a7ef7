#include "ui/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimerEvent>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "app/benchmarks.h"
#include "app/console.h"
#include "app/message_sink.h"
#include "app/run_registry.h"
#include "suite/automation.h"
#include "suite/suite_dialog.h"
#include "ui/console_view.h"
#include "ui/dialog_window.h"
#include "ui/toolbar_icons.h"

namespace ui {

CMainFrame::CMainFrame() {
    setWindowTitle(QStringLiteral("Lumetra 2.0"));
    setObjectName(QStringLiteral("CMainFrame"));
    // The view: the frame's client area, which the console view fills once the window shows.
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("view"));
    auto* layout = new QVBoxLayout(client_);
    layout->setContentsMargins(0, 0, 0, 0);
    setCentralWidget(client_);
    build_menu_and_tool_bar();
    build_status_bar();
    resize(900, 620);
}

CMainFrame::~CMainFrame() {
    stop_timers();
}

std::set<int>& CMainFrame::failing_timers() {
    static std::set<int> ids;
    return ids;
}

QAction* CMainFrame::make_action(int id, const QString& text, const QString& prompt) {
    auto* a = new QAction(text, this);
    a->setData(id);
    a->setProperty("command_id", id);
    if (!prompt.isEmpty()) a->setStatusTip(prompt);
    actions_[id] = a;
    return a;
}

QAction* CMainFrame::command_action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::build_menu_and_tool_bar() {
    QMenuBar* bar = menuBar();
    auto driver = [this](int id) { return [this, id] { run_command(id); }; };

    auto text = [](std::string_view t) { return QString::fromLatin1(t.data(), t.size()); };
    const app::BenchmarkInfo& all = app::run_all_row();
    QMenu* file = bar->addMenu(text(all.menu));
    QAction* run_all = make_action(all.menu_id, text(all.menu_entry), text(all.menu_prompt));
    connect(run_all, &QAction::triggered, this, driver(kIdRunAll));
    file->addAction(run_all);
    QAction* exit = make_action(kIdExit, QStringLiteral("E&xit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    file->addAction(exit);

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    QAction* toolbar_action = make_action(kIdToolbar, QStringLiteral("&Toolbar"));
    QAction* status_action = make_action(kIdStatusBar, QStringLiteral("&Status Bar"));
    view->addAction(toolbar_action);
    view->addAction(status_action);

    // One menu per benchmark of the table, in its order; neighbours with the same title share it.
    QMenu* current = nullptr;
    QString current_title;
    std::map<int, QString> menu_of;
    for (const app::BenchmarkInfo& b : app::benchmarks()) {
        const QString title = text(b.menu);
        if (!current || title != current_title) {
            current = bar->addMenu(title);
            current_title = title;
        }
        QAction* a = make_action(b.menu_id, text(b.menu_entry), text(b.menu_prompt));
        menu_of[b.menu_id] = title;
        connect(a, &QAction::triggered, this, driver(b.menu_id));
        current->addAction(a);
    }

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    QAction* about_action = make_action(kIdAbout, QStringLiteral("&About Lumetra 2.0..."));
    connect(about_action, &QAction::triggered, this, &CMainFrame::about);
    help->addAction(about_action);

    // A command of the tool bar without a handler: shown, never enabled.
    QAction* no_handler = make_action(kIdNoHandler, QString());
    no_handler->setEnabled(false);

    QToolBar* tools = addToolBar(QStringLiteral("Standard"));
    tools->setObjectName(QStringLiteral("toolbar"));
    tools->setIconSize(QSize(16, 16));
    tools->setMovable(true);
    tools->setFloatable(true);
    tools->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id :
         {kIdRunAll, kIdMembench, kIdMolDyn, kIdOrbitra, kIdNoHandler, kIdSgemm, kIdAbout}) {
        QAction* a = actions_[id];
        a->setIcon(tool_icon(id));
        QString tip = a->text();
        // Several benchmarks' entries read "Run Benchmark": their buttons name the benchmark.
        const auto same = [&](const std::pair<const int, QString>& m) {
            return m.first != id && actions_[m.first]->text() == a->text();
        };
        if (menu_of.count(id) && std::any_of(menu_of.begin(), menu_of.end(), same))
            tip = menu_of[id] + QStringLiteral(": ") + tip;
        tip.remove(QLatin1Char('&'));
        a->setToolTip(tip);
        tools->addAction(a);
    }
    // The menu shows text only; the pictures belong to the tool bar.
    for (auto& [id, a] : actions_) a->setIconVisibleInMenu(false);

    toolbar_action->setCheckable(true);
    toolbar_action->setChecked(true);
    connect(toolbar_action, &QAction::toggled, tools, &QToolBar::setVisible);
    connect(tools, &QToolBar::visibilityChanged, toolbar_action, [toolbar_action, tools] {
        if (!tools->isHidden() != toolbar_action->isChecked())
            toolbar_action->setChecked(!tools->isHidden());
    });
    status_action->setCheckable(true);
    status_action->setChecked(true);
    connect(status_action, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });
}

void CMainFrame::build_status_bar() {
    QStatusBar* bar = statusBar();
    status_message_ = new QLabel(QStringLiteral("Ready"), bar);
    bar->addWidget(status_message_, 1);
    // The lock indicators: Qt cannot read the lock state, so they stay greyed as when off.
    for (const char* text : {"CAP", "NUM", "SCRL"}) {
        auto* pane = new QLabel(QString::fromLatin1(text), bar);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
        pane->setEnabled(false);
        bar->addPermanentWidget(pane);
    }
}

void CMainFrame::create_console_view() {
    if (view_) return;
    view_ = new ConsoleView(client_);
    client_->layout()->addWidget(view_);
    view_->show();
    view_->setFocus();
}

bool CMainFrame::start_timers() {
    for (int id : {kConsoleTimer, kQueueTimer}) {
        const int qt_id = failing_timers().count(id) ? 0 : startTimer(kTimerPeriodMs);
        if (qt_id == 0) {
            stop_timers();
            app::message_sink().message_box("Timer Error", "Could not create timer!");
            close();
            return false;
        }
        timers_[id] = qt_id;
    }
    return true;
}

void CMainFrame::stop_timers() {
    for (auto& [id, qt_id] : timers_) killTimer(qt_id);
    timers_.clear();
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    for (auto& [id, qt_id] : timers_) {
        if (qt_id == event->timerId()) {
            on_timer(id);
            return;
        }
    }
    QMainWindow::timerEvent(event);
}

void CMainFrame::on_timer(int id) {
    if (id == kConsoleTimer) {
        // A zero-timeout poll consumes the event; reset it once more as the refresh begins.
        if (app::console().changed_event().poll()) {
            app::console().changed_event().reset();
            RefreshConsoleView();
        }
    } else if (id == kQueueTimer) {
        hand_over_queue();
    }
}

void CMainFrame::RefreshConsoleView() {
    if (view_) view_->refresh();
}

void CMainFrame::hand_over_queue() {
    // A menu dialog that is open already gets to finish first; the hand-over waits.
    if (!command_line_.start_pending || gui_modal_runner().depth() > 0) return;
    command_line_.start_pending = false;
    suite::HandOverOptions options;
    options.refresh_console = [this] { RefreshConsoleView(); };
    const suite::HandOverResult result =
        suite::run_configuration(command_line_, app::run_registry(), app::modal_runner(), options);
    if (result.close_program || close_after_run_)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void CMainFrame::run_command(int id) {
    if (id == kIdAbout) return about();
    if (id == kIdExit) {
        close();
        return;
    }
    run_driver(id);
}

void CMainFrame::run_driver(int id) {
    const suite::MenuDriver* driver = suite::find_menu_driver(id);
    if (!driver) return;
    std::unique_ptr<app::RunController> dialog;
    if (driver->code == app::kCodeAll) {
        dialog = std::make_unique<suite::SuiteController>(app::run_registry());
    } else if (const app::RunEntry* entry = app::run_registry().find(driver->code)) {
        dialog = entry->make(suite::menu_request());
    }
    if (!dialog) {
        app::message_sink().message_box("This benchmark is not part of this build.", "Lumetra 2.0");
        return;
    }
    suite::run_menu_driver(*driver, *dialog, app::modal_runner(), [this] { RefreshConsoleView(); });
    dialog.reset();
    if (close_after_run_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void CMainFrame::about() {
    QDialog box(this);
    box.setWindowTitle(QStringLiteral("About Lumetra 2.0"));
    auto* layout = new QVBoxLayout(&box);
    auto* name = new QLabel(QStringLiteral("Lumetra 2.0"), &box);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    layout->addWidget(name);
    layout->addWidget(new QLabel(QStringLiteral("Build 21MAR05, 64-bit Edition for Linux"), &box));
    layout->addWidget(new QLabel(QStringLiteral("The Lumetra developers"), &box));
    auto* notes = new QPlainTextEdit(&box);
    notes->setObjectName(QStringLiteral("1000"));
    notes->setReadOnly(true);
    notes->setFixedHeight(80);
    layout->addWidget(notes);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    box.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // A benchmark dialog is modal and owns its run: the window waits for it to end, so no
    // run thread outlives the program.
    if (gui_modal_runner().depth() > 0) {
        close_after_run_ = true;
        event->ignore();
        return;
    }
    stop_timers();
    QMainWindow::closeEvent(event);
}

}  // namespace ui
