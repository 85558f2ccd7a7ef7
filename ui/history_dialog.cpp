#include "ui/history_dialog.h"

#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>

#include "app/benchmarks.h"
#include "report/report.h"
#include "store/commands.h"

namespace ui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A number cell that sorts as a number.
QTableWidgetItem* number_item(double v, const char* format) {
    auto* item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, v);
    item->setText(QString::asprintf(format, v));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace

HistoryDialog::HistoryDialog(const std::filesystem::path& store_path, QWidget* parent)
    : QDialog(parent), store_path_(store_path) {
    setWindowTitle(QStringLiteral("History"));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(this);
    layout->addWidget(note);
    table_ = new QTableWidget(this);
    layout->addWidget(table_);
    QStringList heads = {QStringLiteral("Run"), QStringLiteral("Date (UTC)"),
                         QStringLiteral("Host"), QStringLiteral("Processor")};
    for (const app::ScoreGroup& g : app::score_groups())
        heads << QString::fromLatin1(g.label.data(), static_cast<qsizetype>(g.label.size()));
    heads << QStringLiteral("Interrupted");
    table_->setColumnCount(static_cast<int>(heads.size()));
    table_->setHorizontalHeaderLabels(heads);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();

    std::vector<store::HistoryRow> rows;
    std::vector<store::Regression> flags;
    std::error_code ec;
    try {
        if (!store_path.empty() && std::filesystem::exists(store_path, ec)) {
            store::Store s(store_path);
            rows = s.history();
            flags = store::find_regressions(rows);
        }
        note->setText(rows.empty() ? QStringLiteral("No runs recorded yet.")
                                   : QStringLiteral("Double-click a run to open its report."));
    } catch (const store::Error& e) {
        note->setText(QStringLiteral("The results store cannot be read: ") + qs(e.what()));
    }
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const store::HistoryRow& h = rows[static_cast<std::size_t>(r)];
        int c = 0;
        table_->setItem(r, c++, number_item(static_cast<double>(h.id), "%.0f"));
        for (const std::string* t : {&h.started_utc, &h.host, &h.processor})
            table_->setItem(r, c++, new QTableWidgetItem(qs(*t)));
        for (const store::SubScore& s : h.subscores) {
            auto* item = s.value ? number_item(*s.value, "%.1f") : new QTableWidgetItem("-");
            for (const store::Regression& f : flags)
                if (f.run_id == h.id && f.subscore == s.name) {
                    item->setForeground(QColor(176, 0, 0));
                    item->setToolTip(QString::asprintf(
                        "%.1f%% below the median %.1f of earlier runs: possible regression",
                        f.drop_percent, f.earlier_median));
                }
            table_->setItem(r, c++, item);
        }
        table_->setItem(r, c, new QTableWidgetItem(h.interrupted ? "yes" : "no"));
    }
    table_->setSortingEnabled(true);
    table_->resizeColumnsToContents();
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (QTableWidgetItem* id = table_->item(row, 0))
            open_report(id->data(Qt::DisplayRole).toLongLong());
    });
    resize(1100, 420);
}

bool HistoryDialog::open_report(long long id) {
    report::Request rq;
    rq.store_path = store_path_;
    rq.ids = {id};
    rq.out_path = std::filesystem::path(QDir::tempPath().toStdString()) /
                  ("lumetra2-report-" + std::to_string(id) + ".html");
    std::FILE* err = std::tmpfile();
    const int rc = report::write_report(rq, nullptr, err);
    std::string reason;
    if (err) {
        std::rewind(err);
        char buf[1024] = {};
        reason.assign(buf, std::fread(buf, 1, sizeof buf - 1, err));
        std::fclose(err);
    }
    if (rc != 0) {
        QMessageBox::warning(this, QStringLiteral("History"), qs(reason));
        return false;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(rq.out_path.string())));
    return true;
}

}  // namespace ui
