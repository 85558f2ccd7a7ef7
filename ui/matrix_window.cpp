#include "ui/matrix_window.h"

#include <qdrawutil.h>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "app/processor_info.h"
#include "blas/isa_peak.h"
#include "blas/matrix_graph.h"
#include "ui/fonts.h"
#include "ui/gradient_bars.h"

namespace ui {
namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QFont arial(int pixels, bool bold) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

struct MethodButton {
    int id;
    const char* single_text;
    const char* double_text;
};
constexpr MethodButton kMethods[] = {
    {blas::kIdRadioCompiler, "Compiler", "Compiler"},
    {blas::kIdRadioX87, "x87 ASM", "x87 ASM"},
    {blas::kIdRadioSse, "SSE", "SSE2 Vector"},
    {blas::kIdRadio3dNow, "3dNow!", "SSE2 Scalar"},
    {blas::kIdRadioMkl, "Intel(R) MKL 7.2", "Intel(R) MKL 7.2"},
    {blas::kIdRadioAcml, "AMD(R) ACML 2.5", "AMD(R) ACML 2.5"},
};

int radio_of(int method) {
    switch (method) {
        case blas::kMethodX87Asm:
            return blas::kIdRadioX87;
        case blas::kMethodSse:
        case blas::kMethodSse2Vector:
            return blas::kIdRadioSse;
        case blas::kMethod3dNow:
        case blas::kMethodSse2Scalar:
            return blas::kIdRadio3dNow;
        case blas::kMethodMkl:
            return blas::kIdRadioMkl;
        case blas::kMethodAcml:
            return blas::kIdRadioAcml;
        default:
            return blas::kIdRadioCompiler;
    }
}

}  // namespace

MatrixGraphView::MatrixGraphView(QWidget* parent) : QWidget(parent) {
    setFixedSize(blas::kGraphWidth + 2, blas::kGraphHeight + 2);
}

void MatrixGraphView::set_data(const blas::MatrixTables& t, double isa_peak, bool shown) {
    // The window updates every millisecond while a run goes; repaint only on news.
    if (shown == shown_ && isa_peak == isa_peak_ && t.size_count == tables_.size_count &&
        t.size_mflops == tables_.size_mflops)
        return;
    tables_ = t;
    isa_peak_ = isa_peak;
    shown_ = shown;
    update();
}

void MatrixGraphView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (shown_) {
        draw_matrix_graph(p, rect(), tables_, isa_peak_);
    } else {
        p.fillRect(rect(), Qt::white);
        qDrawShadePanel(&p, rect(), palette(), true, 1);
    }
}

CMatrixDlg::CMatrixDlg(blas::MatrixController& controller, QWidget* parent)
    : DialogWindow(controller, parent), run_(controller) {
    using namespace blas;
    const bool single = run_.single_precision != 0;
    isa_peak_ = isa_peak_mflops(app::processor_info(), single);

    auto* main = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    main->addLayout(top);
    auto* left = new QVBoxLayout;
    top->addLayout(left);

    auto* controls = new QGroupBox(QStringLiteral("BLAS Controls"), this);
    auto* cl = new QGridLayout(controls);
    cl->addWidget(new QLabel(QStringLiteral("Choose Method:"), controls), 0, 0, 1, 2);
    auto* group = new QButtonGroup(this);
    int row = 1, col = 0;
    for (const MethodButton& m : kMethods) {
        auto* r =
            new QRadioButton(QString::fromLatin1(single ? m.single_text : m.double_text), controls);
        group->addButton(r, m.id);
        radios_[m.id] = r;
        // Only "Compiler" has a kernel; the vendor libraries are not offered at all.
        r->setEnabled(m.id == kIdRadioCompiler);
        r->setVisible(m.id != kIdRadioMkl && m.id != kIdRadioAcml);
        if (!r->isVisibleTo(controls)) continue;
        cl->addWidget(r, row, col);
        if (++col == 2) {
            col = 0;
            ++row;
        }
    }
    auto* buttons = new QHBoxLayout;
    analyze_ = new QPushButton(QStringLiteral("Analyze"), controls);
    auto* trace = new QPushButton(QStringLiteral("Simulation Instruction Trace"), controls);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), controls);
    analyze_->setDefault(true);
    trace->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    buttons->addWidget(analyze_);
    buttons->addWidget(trace);
    buttons->addWidget(cancel_);
    cl->addLayout(buttons, row + 1, 0, 1, 2);
    left->addWidget(controls);

    auto* comparison =
        new QGroupBox(QStringLiteral("Performance Comparison for 1536x1536 multiplication "), this);
    auto* cg = new QGridLayout(comparison);
    header_ = new QLabel(QStringLiteral("Method            MFLOPS"), comparison);
    header_->setFont(arial(25, true));
    cg->addWidget(header_, 0, 0, 1, 2);
    compiled_name_ = new QLabel(QStringLiteral("Compiled"), comparison);
    compiled_name_->setFont(arial(17, false));
    // Blank until a run starts, keeping their room so nothing moves when they show.
    for (QLabel* l : {header_, compiled_name_}) {
        QSizePolicy keep = l->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        l->setSizePolicy(keep);
        l->setVisible(false);
    }
    compiled_ = new QLabel(comparison);
    compiled_->setFont(arial(17, false));
    cg->addWidget(compiled_name_, 1, 0);
    cg->addWidget(compiled_, 1, 1);
    cg->setColumnStretch(1, 1);
    left->addWidget(comparison);

    auto* results = new QGroupBox(QStringLiteral("Benchmark Results"), this);
    auto* rl = new QVBoxLayout(results);
    peak_ = new QLabel(results);
    per_cycle_ = new QLabel(results);
    efficiency_ = new QLabel(results);
    status_ = new QLabel(results);
    status_->setWordWrap(true);
    for (QLabel* l : {peak_, per_cycle_, efficiency_, status_}) {
        l->setFont(arial(17, false));
        l->setTextFormat(Qt::PlainText);
        rl->addWidget(l);
    }
    status_->setFont(font());
    left->addWidget(results);
    left->addStretch(1);

    auto* graph_box = new QGroupBox(QStringLiteral("Benchmark Graph"), this);
    auto* gl = new QVBoxLayout(graph_box);
    graph_ = new MatrixGraphView(graph_box);
    gl->addStretch(1);
    gl->addWidget(graph_, 0, Qt::AlignHCenter);
    gl->addStretch(1);
    top->addWidget(graph_box);

    auto* sizes = new QGroupBox(QStringLiteral("MFLOPS for Specific Matrix Sizes"), this);
    auto* sl = new QHBoxLayout(sizes);
    auto* labels = new QVBoxLayout;
    labels->setSpacing(0);
    const int step = std::max(kBarRowStep, QFontMetrics(bar_font()).height() + 4);
    for (const char* text : kBarLabels) {
        auto* l = new QLabel(QString::fromLatin1(text), sizes);
        l->setFixedHeight(step);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        labels->addWidget(l);
    }
    sl->addLayout(labels);
    bars_ = new BarCanvas(sizes, QPoint(4, (step - kBarHeight) / 2));
    bars_->reserve(kBarMaxLength, 5 * step + kBarHeight, {QStringLiteral("999999.99 MFLOPS")});
    sl->addWidget(bars_, 1, Qt::AlignTop);
    main->addWidget(sizes);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(group, &QButtonGroup::idClicked, this, [this](int id) {
        if (ended()) return;
        run_.on_command(id);
        update_display();
    });
    connect(analyze_, &QPushButton::clicked, this, [this] {
        if (ended()) return;
        run_.on_command(kIdAnalyze);
        if (!ended()) update_display();
    });
    connect(trace, &QPushButton::clicked, this, [this] {
        if (!ended()) run_.on_command(kIdInstructionTrace);
    });
    connect(cancel_, &QPushButton::clicked, this, &CMatrixDlg::reject);
    bars_->setProperty("row_step", step);
}

void CMatrixDlg::update_display() {
    using namespace blas;
    setWindowTitle(qs(run_.title()));
    const int checked = radio_of(run_.method);
    if (QRadioButton* r = radios_.at(checked); !r->isChecked()) {
        const QSignalBlocker block(r);
        r->setChecked(true);
    }
    cancel_->setEnabled(run_.cancel_enabled());

    const app::RunRecord& rec = run_.record();
    status_->setText(rec.status() == app::RunStatus::Failed ? qs("Error: " + rec.error())
                                                            : QString());
    const bool shown = run_.run_started();
    const MatrixTables t = shown ? run_.tables() : MatrixTables{};
    graph_->set_data(t, isa_peak_, shown);
    header_->setVisible(shown);
    compiled_name_->setVisible(shown);
    if (!shown) {
        bars_->set_bars({});
        for (QLabel* l : {compiled_, peak_, per_cycle_, efficiency_}) l->clear();
        return;
    }
    bars_->set_bars(size_bars(t, bars_->property("row_step").toInt()));
    const double peak = t.peak();
    compiled_->setText(qs(compiled_text(t)));
    peak_->setText(qs(peak_text(peak)));
    per_cycle_->setText(qs(flops_per_cycle_text(peak, app::processor_info().clock_rate_wide)));
    // The efficiency needs the peak test's figure: until then it would read 0%.
    efficiency_->setText(run_.running() ? QString() : qs(efficiency_text(peak, isa_peak_)));
}

void register_matrix_window() {
    register_window_for<blas::MatrixController, CMatrixDlg>();
}

}  // namespace ui
