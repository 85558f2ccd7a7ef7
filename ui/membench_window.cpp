#include "ui/membench_window.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <nlohmann/json.hpp>

#include "app/processor_info.h"
#include "membench/memory_graph.h"
#include "membench/random_chase.h"
#include "ui/gradient_bars.h"

namespace ui {
namespace {

using membench::MemoryBar;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// Room for the widest texts the bars can carry, so the window does not grow after a run.
const std::vector<QString> kRegionSamples = {
    QStringLiteral("99999.99 MB/s"), QStringLiteral("9999 cycles / 999.99 ns / 512 byte stride")};
const std::vector<QString> kMethodSamples = {
    QStringLiteral("Kernel not supported in L1/L2 region."), QStringLiteral("999999.99 MB/s")};

// The distance between bars: the documented one, or more when a large font needs it.
int bar_step(int documented, const QFontMetrics& a, const QFontMetrics& b) {
    return std::max({documented, a.height() + 1, b.height() + 1});
}

}  // namespace

QString CMemBenchDlg::random_table(const nlohmann::json& rows) {
    // The heading, then the rows in two columns (the first half down the left), so the table
    // takes half the height.
    const QStringList lines =
        QString::fromStdString(membench::random_latency_text(rows)).split(u'\n');
    if (lines.size() <= 1) return lines.value(0);
    const qsizetype n = lines.size() - 1, half = (n + 1) / 2;
    QString out = lines[0];
    for (qsizetype i = 0; i < half; ++i) {
        out += u'\n' + lines[1 + i];
        if (half + i < n) out += QStringLiteral("   ") + lines[1 + half + i];
    }
    return out;
}

void CMemBenchDlg::set_random_latency(const nlohmann::json& rows) {
    random_->setText(random_table(rows));
}

std::size_t CMemBenchDlg::random_chase_llc() const {
    std::size_t llc = membench::last_level_cache_bytes();
    if (llc == 0) llc = static_cast<std::size_t>(std::max(0, mem_.caches().l2_size)) * 1024;
    return llc;
}

CMemBenchDlg::CMemBenchDlg(membench::MemBenchController& controller, QWidget* parent)
    : DialogWindow(controller, parent), mem_(controller) {
    using namespace membench;
    const QFontMetrics label_fm(font());
    const QFontMetrics bar_fm(bar_font());
    latency_step_ = bar_step(kLatencyBarStep, label_fm, bar_fm);
    method_step_ = bar_step(kMethodBarStep, label_fm, bar_fm);

    auto* main = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    main->addLayout(left);

    // Cache information: a caption and three texts per cache.
    auto* caches = new QGroupBox(QStringLiteral("Cache Information"), this);
    auto* cache_grid = new QGridLayout(caches);
    const CacheInfo& c = mem_.caches();
    const std::array<std::array<const std::string*, 3>, 3> texts = {{
        {&c.l1_code_assoc_text, &c.l1_code_line_text, &c.l1_code_size_text},
        {&c.l1_data_assoc_text, &c.l1_data_line_text, &c.l1_data_size_text},
        {&c.l2_assoc_text, &c.l2_line_text, &c.l2_size_text},
    }};
    const char* captions[] = {"L1 Code Cache:", "L1 Data Cache:", "L2 Cache:"};
    for (int row = 0; row < 3; ++row) {
        cache_grid->addWidget(new QLabel(QString::fromLatin1(captions[row]), caches), row, 0);
        for (int col = 0; col < 3; ++col) {
            auto* l = new QLabel(qs(cache_text(*texts[row][col])), caches);
            l->setTextFormat(Qt::PlainText);
            cache_grid->addWidget(l, row, col + 1);
            cache_labels_[static_cast<std::size_t>(row * 3 + col)] = l;
        }
    }
    cache_grid->setColumnStretch(3, 1);
    left->addWidget(caches);

    // A group of rows, each a label and its drawing area.
    auto make_rows = [&](const QString& title, int first_area, const std::array<int, 3>& bars) {
        auto* box = new QGroupBox(title, this);
        auto* grid = new QGridLayout(box);
        const char* labels[] = {"L1 Cache", "L2 Cache", "Memory"};
        for (int row = 0; row < 3; ++row) {
            const int n = bars[static_cast<std::size_t>(row)];
            auto* label = new QLabel(QString::fromLatin1(labels[row]), box);
            auto* canvas = new BarCanvas(box, QPoint(4, 3));
            canvas->reserve(kRegionBarMax, (n - 1) * latency_step_ + kRegionBarHeight,
                            kRegionSamples);
            grid->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignTop);
            grid->addWidget(canvas, row, 1);
            // The label sits level with the area's first bar.
            label->setContentsMargins(0, 3 + (kRegionBarHeight - label_fm.height()) / 2, 0, 0);
            areas_[static_cast<std::size_t>(first_area + row)] = canvas;
        }
        grid->setColumnStretch(1, 1);
        left->addWidget(box);
    };
    make_rows(QStringLiteral("Memory Bandwidth (Larger bars mean better scores)"), kAreaBandwidthL1,
              {1, 1, 1});
    make_rows(QStringLiteral("Cache/Memory Latency (Smaller bars mean better scores)"),
              kAreaLatencyL1, {1, 5, 5});

    auto* buttons = new QHBoxLayout;
    analyze_ = new QPushButton(QStringLiteral("Analyze"), this);
    options_ = new QPushButton(QStringLiteral("Options"), this);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    options_->setEnabled(false);
    ok_->setAutoDefault(false);
    options_->setAutoDefault(false);
    analyze_->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(analyze_);
    buttons->addWidget(options_);
    buttons->addWidget(ok_);
    buttons->addStretch(1);
    left->addLayout(buttons);
    left->addStretch(1);

    // Algorithm bandwidth: the region choice along the top, a row per method below.
    auto* methods =
        new QGroupBox(QStringLiteral("Algorithm Bandwidth (Larger bars mean better scores)"), this);
    auto* mlayout = new QVBoxLayout(methods);
    auto* radio_row = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(QString::fromLatin1(kRegionChoices[static_cast<std::size_t>(i)]),
                                   methods);
        group->addButton(r, i);
        radio_row->addWidget(r);
        radios_[static_cast<std::size_t>(i)] = r;
    }
    radio_row->addStretch(1);
    radios_[0]->setChecked(true);
    mlayout->addLayout(radio_row);
    auto* rows = new QHBoxLayout;
    auto* names = new QVBoxLayout;
    names->setSpacing(0);
    for (const char* name : kMethodNames) {
        auto* l = new QLabel(QString::fromLatin1(name), methods);
        l->setFixedHeight(method_step_);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        names->addWidget(l);
    }
    rows->addLayout(names);
    auto* method_area = new BarCanvas(methods, QPoint(4, 0));
    method_area->reserve(kMethodBarMax, kMethodSlots * method_step_, kMethodSamples);
    rows->addWidget(method_area, 1, Qt::AlignTop);
    areas_[kAreaMethods] = method_area;
    mlayout->addLayout(rows);
    mlayout->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(methods);

    // Beside the documented figures: the true load-to-use latency of a random chase. It is no
    // part of any score, and it has its full room before the first run, so the window neither
    // grows nor cuts rows off when the figures come.
    auto* chase = new QGroupBox(
        QStringLiteral("Random Access Latency (not scored, smaller is better)"), this);
    auto* chase_layout = new QVBoxLayout(chase);
    random_ = new QLabel(chase);
    random_->setObjectName(QStringLiteral("random_latency"));
    random_->setFont(QFont(QStringLiteral("Courier New"), 9));
    random_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    random_->setTextFormat(Qt::PlainText);
    {
        nlohmann::json sample = nlohmann::json::array();
        for (std::size_t bytes : random_chase_sizes(random_chase_llc()))
            sample.push_back({{"bytes", bytes}, {"ns", 9999.99}, {"cycles", 99999.9}});
        const QFontMetrics fm(random_->font());
        random_->setMinimumSize(fm.size(0, random_table(sample)));
    }
    chase_layout->addWidget(random_);
    right->addWidget(chase);
    right->addStretch(1);
    main->addLayout(right, 1);

    connect(group, &QButtonGroup::idClicked, this, &CMemBenchDlg::select_region);
    connect(analyze_, &QPushButton::clicked, this, [this] {
        if (ended()) return;
        mem_.on_command(kAnalyzeCommand);
        if (!ended()) update_display();
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (!ended() && !mem_.analysis_active()) end_dialog(app::kIdOk);
    });
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void CMemBenchDlg::reject() {
    // The worker owns the tables until the progress box ends.
    if (mem_.analysis_active()) return;
    DialogWindow::reject();
}

void CMemBenchDlg::select_region(int region) {
    selection_ = region;
    update_display();
}

void CMemBenchDlg::update_display() {
    using namespace membench;
    std::array<std::vector<app::GradientBar>, kMemoryAreaCount> bars;
    if (mem_.results_shown()) {
        const MemoryResults r = mem_.results();
        std::vector<MemoryBar> all =
            region_bars(r, mem_.l2_row(), app::processor_info().clock_rate_wide, latency_step_);
        // Each method bar sits level with its row label.
        const int offset = (method_step_ - kMethodBarHeight) / 2;
        for (MemoryBar b : method_bars(r, selection_, method_step_)) {
            b.bar.y += offset;
            all.push_back(b);
        }
        for (const MemoryBar& b : all) bars[static_cast<std::size_t>(b.area)].push_back(b.bar);
    }
    for (std::size_t i = 0; i < bars.size(); ++i) areas_[i]->set_bars(std::move(bars[i]));
    set_random_latency(mem_.results_shown() ? mem_.record().figure("random_latency")
                                            : nlohmann::json());
}

void register_membench_window() {
    register_window_for<membench::MemBenchController, CMemBenchDlg>();
}

}  // namespace ui
