#include "ui/suite_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QPushButton>
#include <algorithm>

#include "app/message_sink.h"
#include "app/processor_info.h"
#include "report/report.h"
#include "store/results_store.h"
#include "suite/profile.h"
#include "suite/score_panel.h"
#include "ui/history_dialog.h"
#include "ui/score_panel.h"

namespace ui {
namespace {

constexpr const char* kProfilesDir = "Profiles";

// The check box of a score group, by its control id.
const app::ScoreGroup* group_of_box(int id) {
    for (const app::ScoreGroup& g : app::score_groups())
        if (g.check_box_id == id) return &g;
    return nullptr;
}

bool selected(const suite::Selections& s, int id) {
    const app::ScoreGroup* g = group_of_box(id);
    return g && s.of(g->key);
}

QGroupBox* make_group(const char* title, QWidget* parent, const QRect& r) {
    auto* g = new QGroupBox(QString::fromLatin1(title), parent);
    g->setGeometry(r);
    return g;
}

// This machine's clock rates, one per processor, for a saved profile.
std::vector<float> clock_rates() {
    const app::ProcessorInfo& info = app::processor_info();
    const int n = static_cast<int>(std::max(1u, info.processor_count));
    std::vector<float> rates;
    for (int i = 0; i < n; ++i) {
        const float per = i < 16 ? info.clock_rate_per_processor[i] : 0.0f;
        rates.push_back(per > 0.0f ? per : static_cast<float>(info.clock_rate_wide));
    }
    return rates;
}

}  // namespace

CSuiteDlg::CSuiteDlg(suite::SuiteController& controller, QWidget* parent)
    : DialogWindow(controller, parent), suite_(controller) {
    setObjectName(QStringLiteral("150"));
    // One check box per sub-score on the left and one panel row per sub-score on the right;
    // the groups under the check boxes move down with them.
    constexpr int rows = suite::kPanelRows;
    constexpr int below = 8 + (34 + 26 * rows) + 6;
    constexpr int panel_height = ScorePanel::kLabelTop + (rows + 1) * ScorePanel::kLabelStep;
    // Under both: the row of the results store's buttons.
    constexpr int buttons_top = std::max(below + 286, panel_height + 38) + 8;
    setFixedSize(760, buttons_top + 38);

    QGroupBox* selections =
        make_group("Benchmark Selections", this, QRect(10, 8, 240, 34 + 26 * rows));
    int y = 24;
    // In the order of the score panel's rows.
    for (int row = 0; row < suite::kPanelRows; ++row) {
        const app::ScoreGroup& g = suite::panel_group(static_cast<suite::PanelRow>(row));
        auto* box = new QCheckBox(QString::fromLatin1(g.label.data(), g.label.size()), selections);
        box->setObjectName(QString::number(g.check_box_id));
        box->setGeometry(14, y, 210, 22);
        y += 26;
        const int id = g.check_box_id;
        connect(box, &QCheckBox::clicked, this, [this, id] {
            if (ended()) return;
            suite_.on_command(id);
            update_display();
        });
        boxes_[id] = box;
    }

    QGroupBox* control = make_group("Benchmark Control", this, QRect(10, below, 240, 124));
    run_ = new QPushButton(QStringLiteral("Run Benchmarks"), control);
    run_->setObjectName(QString::number(suite::kIdRunBenchmarks));
    run_->setGeometry(14, 24, 212, 28);
    save_ = new QPushButton(QStringLiteral("Save as Profile..."), control);
    save_->setGeometry(14, 56, 212, 28);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), control);
    cancel_->setObjectName(QString::number(app::kIdCancel));
    cancel_->setGeometry(14, 88, 212, 28);
    for (QPushButton* b : {run_, save_, cancel_}) b->setAutoDefault(false);
    connect(run_, &QPushButton::clicked, this, [this] {
        if (ended()) return;
        suite_.on_command(suite::kIdRunBenchmarks);
        if (!ended()) update_display();
    });
    connect(save_, &QPushButton::clicked, this, &CSuiteDlg::ask_and_save_profile);
    connect(cancel_, &QPushButton::clicked, this, &CSuiteDlg::reject);

    QGroupBox* compare = make_group("Compare", this, QRect(10, below + 130, 240, 64));
    profiles_ = new QComboBox(compare);
    profiles_->setObjectName(QString::number(suite::kIdProfileList));
    profiles_->setGeometry(14, 26, 212, 26);
    connect(profiles_, &QComboBox::activated, this, &CSuiteDlg::profile_chosen);

    QGroupBox* overall = make_group("Overall Score", this, QRect(10, below + 200, 240, 86));
    overall->setObjectName(QStringLiteral("1115"));

    QGroupBox* score = make_group("Benchmark Score", this, QRect(260, 8, 490, panel_height + 30));
    panel_ = new ScorePanel(score);
    panel_->setGeometry(8, 22, 476, panel_height);

    // The results store: every run kept, and a report of the one shown.
    history_ = new QPushButton(QStringLiteral("History..."), this);
    history_->setGeometry(10, buttons_top, 160, 28);
    export_ = new QPushButton(QStringLiteral("Export Report..."), this);
    export_->setGeometry(180, buttons_top, 160, 28);
    for (QPushButton* b : {history_, export_}) b->setAutoDefault(false);
    connect(history_, &QPushButton::clicked, this, &CSuiteDlg::show_history);
    connect(export_, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export Report"),
                                                          QStringLiteral("Lumetra-report.html"),
                                                          QStringLiteral("HTML files (*.html)"));
        if (!path.isEmpty()) export_report(path.toStdString());
    });

    update_display();
}

void CSuiteDlg::show_history() {
    HistoryDialog dialog(store::default_store_path(), this);
    dialog.exec();
}

bool CSuiteDlg::export_report(const std::filesystem::path& path) {
    const std::filesystem::path results = suite_.results_file();
    std::string error = "No run to report yet: run the benchmarks first.";
    if (!results.empty() && report::write_results_file_report(
                                results, store::default_store_path(), path,
                                profile_.opened ? profile_ : report::reference_profile(), &error))
        return true;
    app::message_sink().message_box(error, "Export Report");
    return false;
}

QCheckBox* CSuiteDlg::check_box(int id) const {
    auto it = boxes_.find(id);
    return it == boxes_.end() ? nullptr : it->second;
}

QGroupBox* CSuiteDlg::group(const QString& title) const {
    for (QGroupBox* g : findChildren<QGroupBox*>())
        if (g->title() == title) return g;
    return nullptr;
}

void CSuiteDlg::profile_chosen(int index) {
    selected_ = index;
    // The controller knows the profiles that were there when the list was made.
    if (index < static_cast<int>(suite_.panel().profile_names.size())) suite_.select_profile(index);
    update_display();
}

void CSuiteDlg::update_display() {
    const suite::PanelState& state = suite_.panel();
    for (auto& [id, box] : boxes_) {
        const QSignalBlocker block(box);
        box->setChecked(selected(state.selections, id));
        box->setEnabled(!state.running);
    }
    run_->setEnabled(!state.running);
    // Nothing to save until a run has produced a figure.
    save_->setEnabled(!state.running && suite::has_any_figure(state.scores));
    cancel_->setText(QString::fromStdString(state.cancel_text));

    // The list is made on the first paint; keep the profiles saved here after it.
    if (names_.size() < state.profile_names.size() ||
        !std::equal(state.profile_names.begin(), state.profile_names.end(), names_.begin())) {
        names_ = state.profile_names;
        selected_ = state.selected_profile;
    }
    if (profiles_->count() != static_cast<int>(names_.size())) {
        const QSignalBlocker block(profiles_);
        profiles_->clear();
        for (const std::string& n : names_) profiles_->addItem(QString::fromStdString(n));
    }
    if (profiles_->currentIndex() != selected_) {
        const QSignalBlocker block(profiles_);
        profiles_->setCurrentIndex(selected_);
    }
    // Read anew on every update, so a changed file shows at once.
    profile_ = suite::read_selected_profile(kProfilesDir, names_, selected_);
    panel_->set_state(state.scores, profile_);
}

bool CSuiteDlg::save_profile(const std::filesystem::path& path, const std::string& description) {
    if (!suite::has_any_figure(suite_.scores())) return false;
    const suite::ProfileContents contents =
        suite::profile_contents(description, suite_.scores(), clock_rates());
    std::string error;
    if (!suite::write_profile_file(path, contents, &error)) {
        app::message_sink().message_box("Could not save the profile: " + error, "File error");
        return false;
    }
    // Offer it in the list (sorted as the list is), and select it.
    const std::vector<std::string> listed = suite::profile_list(kProfilesDir);
    const std::string name = path.filename().string();
    if (std::find(listed.begin(), listed.end(), name) != listed.end()) {
        // Keep the controller's entries first so their indexes still match.
        std::vector<std::string> names = suite_.panel().profile_names;
        for (const std::string& n : listed)
            if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(n);
        names_ = names;
        selected_ =
            static_cast<int>(std::find(names_.begin(), names_.end(), name) - names_.begin());
        profiles_->blockSignals(true);
        profiles_->clear();
        for (const std::string& n : names_) profiles_->addItem(QString::fromStdString(n));
        profiles_->blockSignals(false);
        profile_chosen(selected_);
    }
    return true;
}

void CSuiteDlg::ask_and_save_profile() {
    if (ended()) return;
    bool ok = false;
    const QString description = QInputDialog::getText(
        this, QStringLiteral("Save as Profile"), QStringLiteral("Description of this machine:"),
        QLineEdit::Normal, QString::fromLatin1(app::processor_info().brand).trimmed(), &ok);
    if (!ok) return;
    QDir().mkpath(QString::fromLatin1(kProfilesDir));
    // The dialog would only ask about the name as typed; the question comes after ".rst" is
    // added, for every name.
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save as Profile"), QStringLiteral("Profiles/My Machine.rst"),
        QStringLiteral("Profiles (*.rst)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (file.isEmpty()) return;
    save_profile_as(file.toStdString(), description.toStdString());
}

bool CSuiteDlg::save_profile_as(const std::filesystem::path& typed,
                                const std::string& description) {
    const std::filesystem::path path = suite::profile_save_path(typed);
    std::error_code ec;
    // Only the Profiles folder is listed: a profile saved anywhere else would never be seen.
    namespace fs = std::filesystem;
    const fs::path folder = fs::weakly_canonical(fs::absolute(kProfilesDir, ec), ec);
    const fs::path into = fs::weakly_canonical(fs::absolute(path, ec).parent_path(), ec);
    if (ec || into != folder) {
        app::message_sink().message_box(
            "A profile must be saved in the Profiles folder, where the list finds it.",
            "Save as Profile");
        return false;
    }
    if (std::filesystem::exists(path, ec) &&
        !app::message_sink().ask_yes_no(suite::replace_profile_question(path), "Save as Profile")) {
        return false;
    }
    return save_profile(path, description);
}

void register_suite_window() {
    register_window_for<suite::SuiteController, CSuiteDlg>();
}

}  // namespace ui
