// What a careful user trips over in the windows, each case once: the replay button without
// OpenGL, windows that fit a small screen, the memory window's latency table, the matrix
// graph's texts, profiles saved outside their folder, long profile descriptions and the tool
// bar's tooltips.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolBar>
#include <functional>

#include "app/console.h"
#include "app/run_registry.h"
#include "atom/orbitra_run.h"
#include "blas/matrix_graph.h"
#include "blas/matrix_run.h"
#include "cipher/cipher_run.h"
#include "md_dialog_fixture.h"
#include "membench/memory_controller.h"
#include "membench/memory_graph.h"
#include "stream/stream_controller.h"
#include "suite/profile.h"
#include "support/fake_runner.h"
#include "support/temp_dir.h"
#include "ui/cipher_window.h"
#include "ui/gl_view_helper.h"
#include "ui/main_frame.h"
#include "ui/matrix_window.h"
#include "ui/md_graphs.h"
#include "ui/membench_window.h"
#include "ui/orbitra_dialog.h"
#include "ui/orbitra_graph.h"
#include "ui/score_panel.h"
#include "ui/stream_window.h"
#include "ui/suite_window.h"

namespace {

using ui_test::MdDialogTest;
using ui_test::wait_until;

// Without OpenGL a replay would be drawn nowhere: "View Replay" stays off after a run and says
// why, as "View simulation" does.
TEST_F(MdDialogTest, ViewReplayStaysOffWithoutOpenGl) {
    ui::gl::force_unavailable(true);
    open();
    ui::gl::force_unavailable(false);
    click(1006);
    ASSERT_TRUE(wait_until([&] { return idle(); }));
    QApplication::processEvents();
    EXPECT_TRUE(controller.replay_enabled);
    EXPECT_FALSE(enabled(1010));
    EXPECT_FALSE(w->control<QWidget>(1010)->toolTip().isEmpty());
    EXPECT_EQ(w->control<QWidget>(1010)->toolTip().toStdString(),
              w->control<QWidget>(1013)->toolTip().toStdString());
    EXPECT_EQ(console_count("OpenGL FPS"), 0);
}

// Every window fits a 1280 x 720 screen with a panel and a title bar at the default font.
TEST(WindowSizes, EveryWindowFitsASmallScreen) {
    md::MdController md;
    atom::OrbitraController orbitra;
    membench::MemBenchController memory;
    stream::StreamController stream;
    blas::MatrixController matrix(blas::MatrixController::Precision::Single);
    cipher::CipherController cipher;
    suite::SuiteController suite{app::run_registry()};
    const struct {
        const char* name;
        std::function<std::unique_ptr<QWidget>()> make;
    } rows[] = {
        {"md", [&] { return std::make_unique<ui::MdDialog>(md, nullptr); }},
        {"orbitra", [&] { return std::make_unique<ui::OrbitraDialog>(orbitra, nullptr); }},
        {"memory", [&] { return std::make_unique<ui::CMemBenchDlg>(memory, nullptr); }},
        {"stream", [&] { return std::make_unique<ui::CStreamDlg>(stream, nullptr); }},
        {"matrix", [&] { return std::make_unique<ui::CMatrixDlg>(matrix, nullptr); }},
        {"cipher", [&] { return std::make_unique<ui::CCipherDlg>(cipher, nullptr); }},
        {"suite", [&] { return std::make_unique<ui::CSuiteDlg>(suite, nullptr); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<QWidget> w = row.make();
        w->show();
        QApplication::processEvents();
        EXPECT_LE(w->width(), 1270);
        EXPECT_LE(w->height(), 720 - 32 - 30);
    }
}

// The random-chase table has its room before the first run: the window neither grows nor
// cuts rows off when the table fills in. It stands apart from the scored bandwidth bars.
TEST(MemoryWindow, RandomLatencyTableHasItsRoomBeforeTheFirstRun) {
    membench::MemBenchController c;
    ui::CMemBenchDlg w(c, nullptr);
    w.show();
    QApplication::processEvents();
    const QSize before = w.size();
    auto* table = w.findChild<QLabel*>(QStringLiteral("random_latency"));
    ASSERT_NE(table, nullptr);
    nlohmann::json rows = nlohmann::json::array();
    for (std::size_t bytes : membench::random_chase_sizes(w.random_chase_llc()))
        rows.push_back({{"bytes", bytes}, {"ns", 123.45}, {"cycles", 246.9}});
    w.set_random_latency(rows);
    QApplication::processEvents();
    EXPECT_EQ(w.size(), before);
    EXPECT_GE(table->height(), table->sizeHint().height());
    for (QWidget* p = table->parentWidget(); p && p != &w; p = p->parentWidget()) {
        const auto* box = qobject_cast<QGroupBox*>(p);
        if (!box) continue;
        EXPECT_FALSE(box->title().contains(QStringLiteral("Bandwidth")))
            << box->title().toStdString();
        EXPECT_TRUE(box->title().contains(QStringLiteral("not scored")));
        EXPECT_TRUE(box->title().contains(QStringLiteral("smaller is better")));
    }
}

}  // namespace
