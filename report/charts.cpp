#include "report/charts.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPolygon>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <functional>

#include "blas/matrix_graph.h"
#include "membench/memory_graph.h"
#include "membench/memory_run.h"
#include "report/bar_painter.h"
#include "report/energy_graph_painter.h"
#include "report/html.h"
#include "report/matrix_graph_painter.h"
#include "report/score_panel_painter.h"
#include "report/virial_graph_painter.h"
#include "stream/stream_graph.h"

namespace report {

namespace {

using json = nlohmann::json;

// The window colour the dialogs' group boxes show the bars on.
const QColor kWindow(240, 240, 240);

std::string svg_of(QSize size, const std::function<void(QPainter&)>& draw) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator gen;
    gen.setOutputDevice(&buffer);
    gen.setSize(size);
    gen.setViewBox(QRect(QPoint(0, 0), size));
    gen.setResolution(96);
    {
        QPainter p(&gen);
        draw(p);
    }
    std::string svg = buffer.data().toStdString();
    // Inline in HTML: no XML declaration.
    const std::size_t start = svg.find("<svg");
    return start == std::string::npos ? std::string() : svg.substr(start);
}

const json* section(const json& doc, const char* key) {
    if (!doc.is_object() || !doc.contains(key) || !doc[key].is_object()) return nullptr;
    const json& s = doc[key];
    if (!s.contains("status") || s["status"] != "completed") return nullptr;
    return &s;
}

double number(const json& j, const char* key, double fallback) {
    if (!j.is_object() || !j.contains(key) || !j[key].is_number()) return fallback;
    return j[key].get<double>();
}

// A list of numbers (null: not a number); nothing when it is not a list of at most `limit`.
std::vector<double> series(const json& s, const char* key, std::size_t limit) {
    std::vector<double> out;
    if (!s.contains(key) || !s[key].is_array() || s[key].size() > limit) return out;
    for (const json& v : s[key]) out.push_back(v.is_number() ? v.get<double>() : NAN);
    return out;
}

void caption(QPainter& p, const QRect& r, const QString& text) {
    p.setPen(Qt::black);
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, text);
}

}  // namespace

std::string score_panel_svg(const suite::SubScores& scores, const suite::Profile& profile) {
    constexpr int kLeft = 6, kTop = 4, kStep = 64;  // as the suite window lays its labels
    std::array<QPoint, suite::kPanelRows> corners;
    for (int i = 0; i < suite::kPanelRows; ++i)
        corners[static_cast<std::size_t>(i)] = QPoint(kLeft, kTop + i * kStep);
    const ui::ScorePanelGeometry g = ui::score_panel_geometry(corners);
    const QSize size(kLeft + suite::kPanelBoxWidth + 6, g.comparison_box.bottom() + 4);
    QPalette palette(kWindow);
    palette.setColor(QPalette::WindowText, Qt::black);
    return svg_of(size, [&](QPainter& p) {
        p.fillRect(QRect(QPoint(0, 0), size), kWindow);
        ui::paint_score_panel(p, g, palette, scores, profile, true);
    });
}

std::string memory_bars_svg(const json& doc) {
    const json* m = section(doc, "memory");
    if (!m || !m->contains("bests")) return {};
    membench::MemoryResults r;
    const json& bests = (*m)["bests"];
    r.l1_best = static_cast<float>(number(bests, "l1", 0));
    r.l2_best = static_cast<float>(number(bests, "l2", 0));
    r.memory_best = static_cast<float>(number(bests, "memory", 0));
    if (m->contains("latency_table") && (*m)["latency_table"].is_array()) {
        const json& t = (*m)["latency_table"];
        for (std::size_t i = 0; i < t.size() && i < r.latency.size(); ++i)
            for (std::size_t j = 0; t[i].is_array() && j < t[i].size() && j < r.latency[i].size();
                 ++j)
                if (t[i][j].is_number_integer()) r.latency[i][j] = t[i][j].get<std::int32_t>();
    }
    int l2_kb = 0;
    if (doc.contains("caches") && doc["caches"].is_object() && doc["caches"].contains("l2"))
        l2_kb = static_cast<int>(number(doc["caches"]["l2"], "size_kb", 0));
    const double mhz = doc.contains("processor") ? number(doc["processor"], "clock_mhz", 0) : 0;
    const std::vector<membench::MemoryBar> bars =
        membench::region_bars(r, membench::l2_latency_row(l2_kb), mhz);

    const QFont font = ui::bar_font();
    const QFontMetrics fm(font);
    constexpr int kLabelWidth = 96, kGap = 8;
    const int bars_in[] = {1, 1, 1, 1, 5, 5};
    std::array<int, membench::kMemoryAreaCount> top{};
    int y = 0;
    const int heading = fm.height() + 6;
    for (int a = 0; a < 6; ++a) {
        if (a == 0 || a == 3) y += heading;
        top[static_cast<std::size_t>(a)] = y;
        y += (bars_in[a] - 1) * membench::kLatencyBarStep + membench::kRegionBarHeight + kGap;
    }
    int width = kLabelWidth + membench::kRegionBarMax;
    for (const membench::MemoryBar& b : bars)
        width = std::max(width, kLabelWidth + ui::kBarTextIndent +
                                    fm.horizontalAdvance(QString::fromStdString(b.bar.text)) + 4);
    const QSize size(width + 8, y);
    return svg_of(size, [&](QPainter& p) {
        p.fillRect(QRect(QPoint(0, 0), size), kWindow);
        p.setFont(font);
        const char* rows[] = {"L1 Cache", "L2 Cache", "Memory"};
        caption(p, QRect(0, 0, size.width(), heading),
                QStringLiteral("Memory Bandwidth (Larger bars mean better scores)"));
        caption(p, QRect(0, top[3] - heading, size.width(), heading),
                QStringLiteral("Cache/Memory Latency (Smaller bars mean better scores)"));
        for (int a = 0; a < 6; ++a)
            caption(
                p,
                QRect(0, top[static_cast<std::size_t>(a)], kLabelWidth, membench::kRegionBarHeight),
                QString::fromLatin1(rows[a % 3]));
        for (const membench::MemoryBar& b : bars)
            ui::draw_gradient_bar(p, QPoint(kLabelWidth, top[static_cast<std::size_t>(b.area)]),
                                  b.bar);
    });
}

std::string stream_bars_svg(const json& doc) {
    const json* s = section(doc, "stream");
    if (!s || !s->contains("rates") || !(*s)["rates"].is_array()) return {};
    stream::RateTable rates{};
    for (auto& row : rates) row.fill(-1);
    static const char* const kernels[] = {"copy", "scale", "add", "triad"};
    static const char* const forms[] = {"x87", "sse2", "sse2_block"};
    bool any = false;
    for (const json& r : (*s)["rates"]) {
        if (!r.is_object() || !r.contains("kernel") || !r.contains("form")) continue;
        for (std::size_t k = 0; k < 4; ++k)
            for (std::size_t f = 0; f < 3; ++f)
                if (r["kernel"] == kernels[k] && r["form"] == forms[f] && r.contains("value") &&
                    r["value"].is_number()) {
                    rates[k][f] = r["value"].get<double>();
                    any = true;
                }
    }
    if (!any) return {};
    const std::vector<app::GradientBar> bars = stream::stream_bars(rates);
    const QFont font = ui::bar_font();
    constexpr int kLabelWidth = 150;
    const QSize size(kLabelWidth + stream::kStreamTextClip + 8,
                     stream::kStreamFirstRowTop + stream::kStreamRows * stream::kStreamRowStep);
    return svg_of(size, [&](QPainter& p) {
        p.fillRect(QRect(QPoint(0, 0), size), kWindow);
        p.setFont(font);
        for (int i = 0; i < stream::kStreamRows; ++i)
            caption(p,
                    QRect(0, stream::kStreamFirstRowTop + i * stream::kStreamRowStep, kLabelWidth,
                          stream::kStreamBarHeight),
                    QString::fromLatin1(stream::kStreamRowLabels[static_cast<std::size_t>(i)]));
        for (const app::GradientBar& b : bars) ui::draw_gradient_bar(p, QPoint(kLabelWidth, 0), b);
    });
}

std::string gemm_graph_svg(const json& doc, const char* step) {
    const json* s = section(doc, step);
    if (!s) return {};
    const std::vector<double> mflops = series(*s, "mflops", 100);
    if (mflops.empty()) return {};
    blas::MatrixTables t;
    t.size_count = static_cast<int>(mflops.size());
    for (std::size_t i = 0; i < mflops.size(); ++i)
        t.size_mflops[i] = std::isfinite(mflops[i]) && mflops[i] > 0 ? mflops[i] : 0;
    const double isa_peak = number(*s, "isa_peak_mflops", 0);
    const QSize size(blas::kGraphWidth + 2, blas::kGraphHeight + 2);
    return svg_of(size, [&](QPainter& p) {
        ui::draw_matrix_graph(p, QRect(QPoint(0, 0), size), t,
                              std::isfinite(isa_peak) ? isa_peak : 0);
    });
}

std::string md_graphs_svg(const json& doc) {
    const json* s = section(doc, "md");
    if (!s) return {};
    const std::vector<double> ke = series(*s, "kinetic_history_K", 1 << 20);
    const std::vector<double> pe = series(*s, "potential_history_K", 1 << 20);
    if (ke.empty() || ke.size() != pe.size()) return {};
    const QFont font = ui::energy_graph_font();
    const ui::EnergyGraphLayout l = ui::energy_graph_layout(font);
    const ui::EnergyHistories h{ke.data(), pe.data(), static_cast<int32_t>(ke.size())};
    return svg_of(l.size, [&](QPainter& p) {
        p.fillRect(QRect(QPoint(0, 0), l.size), kWindow);
        ui::paint_energy_graphs(p, l, font, h);
    });
}

std::string virial_graph_svg(const json& doc) {
    const json* s = section(doc, "orbitra");
    if (!s) return {};
    const std::vector<double> v = series(*s, "virial_history", 1 << 16);
    if (v.empty()) return {};
    const QFont font = ui::virial_graph_font();
    const ui::VirialGraphLayout l = ui::virial_graph_layout(font);
    return svg_of(l.size, [&](QPainter& p) {
        p.fillRect(QRect(QPoint(0, 0), l.size), kWindow);
        ui::paint_virial_graph(p, l, font, v.data(), static_cast<int>(v.size()));
    });
}

std::string trend_chart_svg(const std::vector<TrendPoint>& points) {
    double lo = INFINITY, hi = -INFINITY;
    for (const TrendPoint& t : points)
        if (t.present && std::isfinite(t.value)) {
            lo = std::min(lo, t.value);
            hi = std::max(hi, t.value);
        }
    if (!(lo <= hi)) return {};
    // The scale starts at 0 so a drop reads as its real size; a little room above the top.
    lo = 0;
    hi = hi > 0 ? hi * 1.1 : 1;
    const QFont font = ui::bar_font();
    const QFontMetrics fm(font);
    const int n = static_cast<int>(points.size());
    constexpr int kLeft = 70, kTop = 8, kPlotHeight = 120, kStepMin = 60;
    const int step = std::max(kStepMin, n > 1 ? 360 / (n - 1) : 0);
    const int plot_width = std::max(1, n - 1) * step;
    const QSize size(kLeft + plot_width + 60, kTop + kPlotHeight + 2 * fm.height() + 10);
    const auto y_of = [&](double v) {
        return kTop + kPlotHeight -
               static_cast<int>(std::lround((v - lo) / (hi - lo) * kPlotHeight));
    };
    return svg_of(size, [&](QPainter& p) {
        p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        p.setFont(font);
        p.setPen(QColor(192, 192, 192));
        for (int q = 0; q <= 4; ++q) {
            const double v = lo + (hi - lo) * q / 4;
            const int y = y_of(v);
            p.drawLine(kLeft, y, kLeft + plot_width, y);
            p.setPen(Qt::black);
            p.drawText(QRect(0, y - fm.height() / 2, kLeft - 6, fm.height()),
                       Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(figure_text(v)));
            p.setPen(QColor(192, 192, 192));
        }
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QColor(0, 0, 200), 2));
        QPolygon line;
        for (int i = 0; i < n; ++i) {
            const TrendPoint& t = points[static_cast<std::size_t>(i)];
            const int x = kLeft + i * step;
            if (t.present && std::isfinite(t.value)) {
                line << QPoint(x, y_of(t.value));
            } else if (!line.isEmpty()) {
                p.drawPolyline(line);
                line.clear();
            }
        }
        if (!line.isEmpty()) p.drawPolyline(line);
        for (int i = 0; i < n; ++i) {
            const TrendPoint& t = points[static_cast<std::size_t>(i)];
            const int x = kLeft + i * step;
            if (t.present && std::isfinite(t.value)) {
                p.setBrush(QColor(0, 0, 200));
                p.drawEllipse(QPoint(x, y_of(t.value)), 3, 3);
            }
            p.setPen(Qt::black);
            p.drawText(QRect(x - step / 2, kTop + kPlotHeight + 4, step, fm.height()),
                       Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(t.label));
            p.setPen(QPen(QColor(0, 0, 200), 2));
        }
    });
}

}  // namespace report
