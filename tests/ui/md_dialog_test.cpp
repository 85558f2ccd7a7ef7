// The "Molecular Dynamics Benchmark" dialog over a real controller and a short deck: the texts
// and states of a whole run, a stop, a single step and a replay, the user-specified settings,
// the temperature edit's bad input, the automatic run through the program's modal runner, and
// the dialog without OpenGL.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>

#include "app/console.h"
#include "gui_test_support.h"
#include "md/md_controller.h"
#include "md_dialog_fixture.h"
#include "support/temp_dir.h"
#include "ui/gl_view_helper.h"
#include "ui/md_dialog.h"
#include "ui/md_graphs.h"
#include "ui/md_view_options.h"
#include "ui/md_view_window.h"

namespace {

using ui_test::MdDialogTest;
using ui_test::shown_boxes;
using ui_test::wait_until;

// A view that takes each frame and never asks for the next: a replay waits on it.
class StalledView : public md::FrameSink {
  public:
    void show_frame(const double*, const int32_t*, int32_t) override { frames.fetch_add(1); }
    std::atomic<int> frames{0};
};

TEST_F(MdDialogTest, WholeRunThenReplayThenCancelCloses) {
    open();
    expect_controls("Run simulation", "Cancel simulation", "Status: Idle");
    EXPECT_FALSE(enabled(1010));  // nothing to replay yet
    EXPECT_FALSE(enabled(1065));  // option lists start off
    EXPECT_EQ(text(1004), QStringLiteral("0.00000"));

    click(1006);
    expect_controls("Simulation is running...", "Stop simulation", "Status: Running");
    EXPECT_FALSE(enabled(1006));
    // Pressing Run again while running changes nothing.
    controller.on_command(md::kIdRunSimulation);
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    expect_controls("Run Benchmark", "Cancel simulation", "Status: Finished");
    EXPECT_FALSE(enabled(1010));  // no OpenGL here: nobody would see a replay
    auto* bar = w->control<QProgressBar>(1008);
    EXPECT_EQ(bar->maximum(), 1000);
    EXPECT_EQ(bar->value(), 1000);
    EXPECT_GT(text(1004).toDouble(), 0.0);
    EXPECT_NE(text(1001), QStringLiteral("0.00000"));
    EXPECT_EQ(console_count("Completed Molecular Dynamics simulation"), 1);

    // Both curves are on screen: some dark green and some blue pixel in the graphs.
    QApplication::processEvents();
    const QImage shot = w->graphs()->grab().toImage();
    bool green = false, blue = false;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c(shot.pixel(x, y));
            green |= c == QColor(0, 140, 0);
            blue |= c == QColor(0, 0, 255);
        }
    EXPECT_TRUE(green);
    EXPECT_TRUE(blue);

    // The replay of 1000 steps shows 1000 frames (counted by a view that draws nothing, so the
    // count does not wait on a software renderer).
    md::ImmediateFrameSink counting;
    controller.set_frame_sink(&counting);
    controller.on_command(md::kIdViewReplay);  // the button is off without OpenGL
    w->request_repaint();
    expect_controls("Replay is running...", "Stop replay", "Status: Replay Running");
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    expect_controls("Run Benchmark", "Cancel simulation", "Status: Finished");
    EXPECT_EQ(console_count("Frames: 1000 Runtime:"), 1);
    EXPECT_EQ(console_count("OpenGL FPS:"), 1);
    EXPECT_EQ(bar->value(), 1000);
    EXPECT_EQ(counting.frames.load(), 1000);
    EXPECT_EQ(counting.closed.load(), 1);
    controller.set_frame_sink(nullptr);

    click(2);
    EXPECT_TRUE(w->ended());
    EXPECT_TRUE(shown_boxes().empty());
}

TEST_F(MdDialogTest, StopThenSingleStepsContinueTheStoppedRun) {
    open();
    click(1006);
    click(2);  // the presenter answers Yes
    ASSERT_EQ(shown_boxes().size(), 1u);
    EXPECT_EQ(shown_boxes()[0].text, QStringLiteral("Do you wish to stop the simulation?"));
    EXPECT_EQ(shown_boxes()[0].title, QStringLiteral("Simulation in Progress"));
    expect_controls("Run simulation", "Cancel simulation", "Status: Idle, benchmark stopped");
    EXPECT_FALSE(w->ended());
    const int32_t done = controller.run().md_step_count.load();
    if (done >= 1000) GTEST_SKIP() << "the run finished before the stop";
    // A stopped run has nothing to replay: the request is refused, nothing starts.
    EXPECT_FALSE(enabled(1010));
    controller.on_command(md::kIdViewReplay);
    EXPECT_TRUE(idle());

    click(1007);
    EXPECT_FALSE(enabled(1007));
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    expect_controls("Run simulation", "Cancel simulation", "Status: Idle");
    EXPECT_EQ(controller.run().md_step_count.load(), done + 1);
    EXPECT_EQ(controller.run().history_count.load(), done + 1);
    // A second step, pressed twice: only one step is taken at a time.
    click(1007);
    click(1007);
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    EXPECT_EQ(controller.run().md_step_count.load(), done + 2);
}

TEST_F(MdDialogTest, StoppedReplayLogsTheStopLineAndNoRate) {
    open();
    click(1006);
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    StalledView view;
    controller.set_frame_sink(&view);
    controller.on_command(md::kIdViewReplay);  // the button is off without OpenGL
    ASSERT_TRUE(wait_until([&] { return view.frames.load() >= 1; }));
    QTest::qWait(50);
    EXPECT_EQ(controller.run_state(), md::kStateReplaying);
    click(2);
    ASSERT_EQ(shown_boxes().size(), 1u);
    EXPECT_EQ(shown_boxes()[0].text, QStringLiteral("Do you wish to stop the replay?"));
    EXPECT_EQ(shown_boxes()[0].title, QStringLiteral("Replay in Progress"));
    EXPECT_TRUE(idle());
    EXPECT_EQ(view.frames.load(), 1);
    EXPECT_EQ(console_count("Stopping Molecular Dynamics replay."), 1);
    EXPECT_EQ(console_count("OpenGL FPS:"), 0);
    EXPECT_FALSE(w->ended());
    controller.set_frame_sink(nullptr);
}

TEST_F(MdDialogTest, UserSpecifiedDefaultsAndCubeTypeRules) {
    open();
    auto* cube = w->control<QComboBox>(1065);
    QStringList order;
    for (int i = 0; i < cube->count(); ++i) order << cube->itemText(i);
    EXPECT_EQ(order, (QStringList{"Body Centered Cubic", "Face Centered Cubic", "Simple Cubic"}));

    w->control<QRadioButton>(1063)->click();
    EXPECT_EQ(controller.default_simulation, 0);
    EXPECT_EQ(cube->currentText(), QStringLiteral("Simple Cubic"));
    EXPECT_EQ(w->control<QComboBox>(1066)->currentText(), QStringLiteral("Helium"));
    EXPECT_EQ(w->control<QComboBox>(1072)->currentText(), QStringLiteral("4"));
    EXPECT_EQ(w->control<QComboBox>(1073)->currentText(), QStringLiteral("5000"));
    EXPECT_EQ(w->control<QComboBox>(1074)->currentText(), QStringLiteral("0.0001"));
    EXPECT_EQ(text(1061), QStringLiteral("140"));
    const bool sc[] = {true, false, false, false};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(enabled(1066 + k), sc[k]) << k;

    // Face centred: four helium positions; then one of them neon.
    cube->textActivated(QStringLiteral("Face Centered Cubic"));
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(enabled(1066 + k)) << k;
        EXPECT_EQ(w->control<QComboBox>(1066 + k)->currentText(), QStringLiteral("Helium"));
    }
    w->control<QComboBox>(1068)->textActivated(QStringLiteral("Neon"));
    w->control<QComboBox>(1072)->textActivated(QStringLiteral("3"));
    w->control<QComboBox>(1073)->textActivated(QStringLiteral("1000"));
    w->control<QComboBox>(1074)->textActivated(QStringLiteral("0.002"));
    EXPECT_EQ(controller.user.lattice_type, 2);
    EXPECT_EQ(controller.user.species, (std::array<int, 4>{0, 0, 1, 0}));
    EXPECT_EQ(controller.user.cells_per_side, 3);
    EXPECT_EQ(controller.user.steps, 1000);
    EXPECT_FLOAT_EQ(controller.user.time_step, 0.002f);

    // Back to the default simulation: every list off again.
    w->control<QRadioButton>(1062)->click();
    EXPECT_EQ(controller.default_simulation, 1);
    for (int id : {1065, 1066, 1067, 1068, 1069, 1072, 1073, 1074}) EXPECT_FALSE(enabled(id)) << id;
}

TEST_F(MdDialogTest, BadTemperatureIsRefusedAndThePreviousValueKept) {
    open();
    w->control<QRadioButton>(1063)->click();
    auto* edit = w->control<QLineEdit>(1061);
    edit->setText(QStringLiteral("55.5"));
    EXPECT_TRUE(w->commit_temperature());
    EXPECT_DOUBLE_EQ(controller.user.temperature, 55.5);
    for (const char* bad : {"", "warm", "-40", "0", "1e9"}) {
        shown_boxes().clear();
        edit->setText(QString::fromLatin1(bad));
        emit edit->editingFinished();
        ASSERT_EQ(shown_boxes().size(), 1u) << bad;
        EXPECT_EQ(shown_boxes()[0].title, QStringLiteral("Temperature")) << bad;
        EXPECT_FALSE(shown_boxes()[0].text.isEmpty()) << bad;
        EXPECT_EQ(edit->text(), QStringLiteral("55.5")) << bad;
        EXPECT_DOUBLE_EQ(controller.user.temperature, 55.5) << bad;
    }
    // A bad text typed and Run pressed at once: no run starts.
    shown_boxes().clear();
    edit->setText(QStringLiteral("-1"));
    click(1006);
    EXPECT_EQ(shown_boxes().size(), 1u);
    EXPECT_TRUE(idle());
    EXPECT_EQ(text(1009), QStringLiteral("Status: Idle"));
}

TEST_F(MdDialogTest, AutomaticRunOpensThisDialogDrawsAndClosesItself) {
    controller.auto_start = 1;
    controller.close_when_done = 1;
    bool was_md_dialog = false;
    int32_t graphed = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        auto* d = qobject_cast<ui::MdDialog*>(QApplication::activeModalWidget());
        if (!d) return;
        was_md_dialog = true;
        graphed = std::max(graphed, controller.run().history_count.load());
    });
    probe.start(5);
    EXPECT_EQ(app::modal_runner().run_modal(controller), app::kIdCancel);
    probe.stop();
    EXPECT_TRUE(was_md_dialog);
    EXPECT_GT(graphed, 0);
    EXPECT_EQ(controller.record().status(), app::RunStatus::Completed);
    EXPECT_EQ(console_count("Time: "), 1);
}

TEST_F(MdDialogTest, WithoutOpenGLTheViewIsOffAndTheRunStillGoes) {
    ui::gl::force_unavailable(true);
    open();
    ui::gl::force_unavailable(false);
    EXPECT_FALSE(w->has_gl());
    EXPECT_FALSE(enabled(1013));
    EXPECT_FALSE(enabled(1014));
    EXPECT_FALSE(w->control<QCheckBox>(1013)->toolTip().isEmpty());
    EXPECT_TRUE(w->picture()->pixmap().isNull());
    click(1006);
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    EXPECT_EQ(text(1009), QStringLiteral("Status: Finished"));
    EXPECT_EQ(w->view_window(), nullptr);
}

TEST_F(MdDialogTest, ViewOptionsAreTakenBackOnOk) {
    md::ViewSettings v;
    ui::ViewOptionsDialog box(v, nullptr);
    EXPECT_EQ(box.resolution_list()->currentText(), QStringLiteral("640x480x32"));
    box.width_box()->setValue(800);
    box.height_box()->setValue(20);  // below the smallest window: held at 64
    box.resolution_list()->setCurrentIndex(box.resolution_list()->findText("1280x1024x16"));
    box.pitch_yaw_box()->setChecked(false);
    const md::ViewSettings got = box.settings();
    EXPECT_EQ(got.width, 800);
    EXPECT_EQ(got.height, 64);
    EXPECT_EQ(got.full_width, 1280);
    EXPECT_EQ(got.full_height, 1024);
    EXPECT_EQ(got.full_depth, 16);
    EXPECT_FALSE(got.show_pitch_yaw);
    EXPECT_TRUE(got.show_guide_cube);
    box.resolution_list()->setCurrentIndex(-1);  // no choice: 640 x 480 x 32
    EXPECT_EQ(box.settings().full_width, 640);
    EXPECT_EQ(box.settings().full_depth, 32);
}

}  // namespace
