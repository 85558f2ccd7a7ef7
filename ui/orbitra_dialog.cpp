#include "ui/orbitra_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "app/format.h"
#include "ui/dialog_fields.h"
#include "ui/gl_view_helper.h"
#include "ui/orbital_view_window.h"
#include "ui/orbitra_graph.h"

namespace ui {
namespace {

// Control ids of the dialog.
constexpr int kIdAtom = 1038, kIdPoints = 1042, kIdRinit = 1043, kIdRfinal = 1044;
constexpr int kIdTotal = 1039, kIdKinetic = 1040, kIdPotential = 1041, kIdNuclear = 1045;
constexpr int kIdHartree = 1005, kIdExchange = 1006, kIdIteration = 1010, kIdTime = 1009;
constexpr int kIdRun = atom::kIdRunSimulation, kIdStep = 1008, kIdTrace = 3;
constexpr int kIdViewSimulation = 4, kIdCancel = 2;
constexpr int kIdDefault = atom::kIdDefaultSim, kIdUser = atom::kIdUserDefined;
constexpr int kIdViewSim = atom::kIdViewSim, kIdFullScreen = 1077;
constexpr int kIdStatus = 1049, kIdProgress = 1048;

constexpr int kThrottleMs = 30;

// A deck's own grid value that no list entry holds is shown with this mark.
const QString kDeckMark = QStringLiteral(" (deck)");

QComboBox* grid_list(QWidget* parent, int id, const std::vector<std::string>& items) {
    auto* list = named(new QComboBox(parent), id);
    // Room for a marked deck value such as "0.0001 (deck)"; a longer one widens the list.
    list->setMinimumContentsLength(13);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const std::string& s : items) {
        const QString t = QString::fromStdString(s);
        list->addItem(t, t);
    }
    list->setCurrentIndex(-1);
    return list;
}

void set_text(QLineEdit* e, const QString& t) {
    if (e->text() != t) e->setText(t);
}

QString figure(double v) {
    return QString::fromStdString(app::strprintf("%.10f", v));
}

// Selects the entry whose value is `text`; a value no entry holds is added, marked. Empty:
// nothing selected (the deck could not be read).
void show_value(QComboBox* list, const std::string& text) {
    const QSignalBlocker block(list);
    const QString value = QString::fromStdString(text);
    // Only the entry of the deck now shown stays marked.
    for (int i = list->count() - 1; i >= 0; --i)
        if (list->itemText(i).endsWith(kDeckMark) && list->itemData(i).toString() != value)
            list->removeItem(i);
    if (value.isEmpty()) {
        list->setCurrentIndex(-1);
        return;
    }
    int at = list->findData(value);
    if (at < 0) {
        list->addItem(value + kDeckMark, value);
        at = list->count() - 1;
    }
    list->setCurrentIndex(at);
}

}  // namespace

OrbitraDialog::OrbitraDialog(atom::OrbitraController& controller, QWidget* parent)
    : DialogWindow(controller, parent), run_(controller) {
    setObjectName(QStringLiteral("Orbitra"));
    QString why;
    has_gl_ = gl::available(&why);
    build();
    if (!has_gl_) {
        // The run goes on without a view; only the view's controls are off.
        run_.view_sim = false;
        for (int id : {kIdViewSim, kIdFullScreen, kIdViewSimulation})
            control<QWidget>(id)->setToolTip(why);
    }
    run_.open_view = [this] { open_view(); };
    run_.close_view = [this] { close_view(); };
    run_.view_run_ended = [this] {
        if (view_) view_->run_ended();
    };
    update_display();
}

OrbitraDialog::~OrbitraDialog() {
    run_.open_view = nullptr;
    run_.close_view = nullptr;
    run_.view_run_ended = nullptr;
    delete view_.data();
}

OrbitalViewWindow* OrbitraDialog::view_window() const {
    return view_.data();
}

void OrbitraDialog::build() {
    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;

    auto* chars = new QGroupBox(QStringLiteral("Simulation Characteristics"), this);
    auto* cg = new QGridLayout(chars);
    auto* atom_list = named(new QComboBox(chars), kIdAtom);
    atom_list->setMinimumContentsLength(8);
    cg->addWidget(new QLabel(QStringLiteral("Atom"), chars), 0, 0);
    cg->addWidget(atom_list, 0, 1);
    cg->addWidget(new QLabel(QStringLiteral("# grid points"), chars), 1, 0);
    cg->addWidget(grid_list(chars, kIdPoints, atom::kPointsList), 1, 1);
    cg->addWidget(new QLabel(QStringLiteral("r init"), chars), 2, 0);
    cg->addWidget(grid_list(chars, kIdRinit, atom::kRinitList), 2, 1);
    cg->addWidget(new QLabel(QStringLiteral("r final"), chars), 3, 0);
    cg->addWidget(grid_list(chars, kIdRfinal, atom::kRfinalList), 3, 1);
    auto* def = named(new QRadioButton(QStringLiteral("Default Sim"), chars), kIdDefault);
    auto* user = named(new QRadioButton(QStringLiteral("User Defined"), chars), kIdUser);
    cg->addWidget(def, 0, 2);
    cg->addWidget(user, 1, 2);
    cg->setColumnStretch(1, 1);
    left->addWidget(chars);

    auto* stats = new QGroupBox(QStringLiteral("Simulation Statistics"), this);
    auto* sg = new QGridLayout(stats);
    const struct {
        int id;
        const char* role;
    } rows[] = {{kIdTotal, "Total energy"},         {kIdKinetic, "Kinetic energy"},
                {kIdPotential, "Potential energy"}, {kIdNuclear, "Nuclear PE"},
                {kIdHartree, "Hartree PE"},         {kIdExchange, "Exchange PE"},
                {kIdIteration, "SCF iteration"},    {kIdTime, "Simulation time"}};
    int r = 0;
    for (const auto& row : rows) {
        QLineEdit* edit = figure_field(stats, row.id, QStringLiteral("-00000.0000000000"));
        sg->addWidget(new QLabel(QString::fromLatin1(row.role), stats), r, 0);
        sg->addWidget(edit, r, 1);
        ++r;
    }
    sg->setRowStretch(r, 1);
    left->addWidget(stats, 1);
    top->addLayout(left, 1);

    auto* graph_box = new QGroupBox(QStringLiteral("Simulation Graph"), this);
    auto* gl_layout = new QVBoxLayout(graph_box);
    graph_ = new VirialGraph(graph_box);
    graph_->set_source([this] { return run_.virial_history(); });
    gl_layout->addWidget(graph_, 0, Qt::AlignCenter);
    top->addWidget(graph_box);
    root->addLayout(top);

    auto* controls = new QGroupBox(QStringLiteral("Simulation Controls"), this);
    auto* kg = new QGridLayout(controls);
    auto* run = named(new QPushButton(QStringLiteral("Run simulation"), controls), kIdRun);
    auto* step =
        named(new QPushButton(QStringLiteral("Move forward one iteration"), controls), kIdStep);
    auto* trace =
        named(new QPushButton(QStringLiteral("Simulation Instruction Trace"), controls), kIdTrace);
    auto* view =
        named(new QPushButton(QStringLiteral("View Simulation"), controls), kIdViewSimulation);
    auto* cancel = named(new QPushButton(QStringLiteral("Cancel simulation"), controls), kIdCancel);
    auto* view_sim = named(new QCheckBox(QStringLiteral("View Sim"), controls), kIdViewSim);
    auto* full = named(new QCheckBox(QStringLiteral("Full Screen"), controls), kIdFullScreen);
    kg->addWidget(run, 0, 0);
    kg->addWidget(step, 0, 1);
    kg->addWidget(trace, 0, 2);
    kg->addWidget(cancel, 1, 0);
    kg->addWidget(view, 1, 1);
    auto* checks = new QHBoxLayout;
    checks->addWidget(view_sim);
    checks->addWidget(full);
    checks->addStretch(1);
    kg->addLayout(checks, 1, 2);
    root->addWidget(controls);

    auto* status_box = new QGroupBox(QStringLiteral("Simulation Status"), this);
    auto* st = new QVBoxLayout(status_box);
    auto* status = named(new QLabel(status_box), kIdStatus);
    status->setTextFormat(Qt::PlainText);
    status->setWordWrap(true);
    auto* progress = named(new QProgressBar(status_box), kIdProgress);
    progress->setTextVisible(false);
    progress->setRange(0, 50);
    progress->setValue(0);
    st->addWidget(status);
    st->addWidget(progress);
    root->addWidget(status_box);

    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
    step->setEnabled(false);  // no action in this dialog
    view->setEnabled(false);
    full->setEnabled(false);

    connect(atom_list, qOverload<int>(&QComboBox::activated), this, &OrbitraDialog::atom_chosen);
    connect(control<QComboBox>(kIdPoints), qOverload<int>(&QComboBox::activated), this,
            [this] { grid_chosen(control<QComboBox>(kIdPoints), run_.points_text); });
    connect(control<QComboBox>(kIdRinit), qOverload<int>(&QComboBox::activated), this,
            [this] { grid_chosen(control<QComboBox>(kIdRinit), run_.rinit_text); });
    connect(control<QComboBox>(kIdRfinal), qOverload<int>(&QComboBox::activated), this,
            [this] { grid_chosen(control<QComboBox>(kIdRfinal), run_.rfinal_text); });
    connect(def, &QRadioButton::clicked, this, [this] {
        if (!run_.running) run_.on_command(kIdDefault);
        update_display();
    });
    connect(user, &QRadioButton::clicked, this, [this] {
        if (!run_.running) run_.on_command(kIdUser);
        update_display();
    });
    connect(view_sim, &QCheckBox::clicked, this, [this] {
        if (!run_.running && has_gl_) run_.on_command(kIdViewSim);
        update_display();
    });
    connect(full, &QCheckBox::clicked, this, [this](bool on) { full_screen_ = on; });
    connect(run, &QPushButton::clicked, this, [this] {
        if (ended()) return;
        run_.on_command(kIdRun);
        if (!ended()) update_display();
    });
    connect(view, &QPushButton::clicked, this, &OrbitraDialog::view_simulation);
    connect(cancel, &QPushButton::clicked, this, &OrbitraDialog::reject);
    // The trace button has no action.

    run->setFocus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void OrbitraDialog::fill_atom_list() {
    auto* list = control<QComboBox>(kIdAtom);
    const QSignalBlocker block(list);
    list->clear();
    for (const auto& a : run_.atoms) list->addItem(QString::fromStdString(a.name));
    atoms_shown_ = true;
}

void OrbitraDialog::show_grid_lists() {
    show_value(control<QComboBox>(kIdPoints), run_.points_text);
    show_value(control<QComboBox>(kIdRinit), run_.rinit_text);
    show_value(control<QComboBox>(kIdRfinal), run_.rfinal_text);
}

void OrbitraDialog::atom_chosen(int index) {
    // Switching atoms during a run is refused: the list shows the running deck again.
    if (!run_.running) run_.select_atom(index);
    update_display();
}

void OrbitraDialog::grid_chosen(QComboBox* list, std::string& text) {
    if (!run_.running && !run_.default_mode) text = list->currentData().toString().toStdString();
    update_display();
}

void OrbitraDialog::open_view() {
    close_view();
    if (!has_gl_) return;
    auto* w = new OrbitalViewWindow(run_.shared(), run_.running, this);
    view_ = w;
    w->show_window(full_screen_);
}

void OrbitraDialog::close_view() {
    if (!view_) return;
    OrbitalViewWindow* w = view_;
    view_ = nullptr;
    w->run_ended();
    w->close();
    delete w;
}

void OrbitraDialog::view_simulation() {
    if (ended() || run_.running || !run_.view_button_enabled || !has_gl_) return;
    // A view already open on the kept orbital is brought forward, not opened twice.
    if (view_ && view_->isVisible()) {
        view_->raise();
        view_->activateWindow();
        return;
    }
    open_view();
}

void OrbitraDialog::update_display() {
    if (ended()) return;
    const bool running = run_.running;
    // The 1 ms clock timer asks after every tick; during a run the controls follow at a
    // readable pace, every change of state at once.
    if (running && shown_running_ && since_refresh_.isValid() &&
        since_refresh_.elapsed() < kThrottleMs)
        return;
    since_refresh_.restart();
    if (run_.list_filled && !atoms_shown_) fill_atom_list();
    auto* atom_list = control<QComboBox>(kIdAtom);
    if (atoms_shown_) {
        const QSignalBlocker block(atom_list);
        atom_list->setCurrentIndex(run_.atoms.empty() ? -1 : run_.atom_index);
    }
    show_grid_lists();

    const atom::OrbitraEnergies& e = run_.display;
    set_text(control<QLineEdit>(kIdTotal), figure(e.total));
    set_text(control<QLineEdit>(kIdKinetic), figure(e.kinetic));
    set_text(control<QLineEdit>(kIdPotential), figure(e.potential));
    set_text(control<QLineEdit>(kIdNuclear), figure(e.nuclear));
    set_text(control<QLineEdit>(kIdHartree), figure(e.hartree));
    set_text(control<QLineEdit>(kIdExchange), figure(e.exchange));
    set_text(control<QLineEdit>(kIdTime), figure(run_.simulation_time));
    set_text(control<QLineEdit>(kIdIteration), QString::number(run_.scf_iteration_shown));

    control<QRadioButton>(kIdDefault)->setChecked(run_.default_mode);
    control<QRadioButton>(kIdUser)->setChecked(!run_.default_mode);
    // Atom and grid cannot change under a running calculation.
    atom_list->setEnabled(!running && !run_.atoms.empty());
    control<QRadioButton>(kIdDefault)->setEnabled(!running);
    control<QRadioButton>(kIdUser)->setEnabled(!running);
    for (int id : {kIdPoints, kIdRinit, kIdRfinal})
        control<QComboBox>(id)->setEnabled(!running && !run_.default_mode);
    control<QPushButton>(kIdRun)->setEnabled(!running);
    auto* view_sim = control<QCheckBox>(kIdViewSim);
    view_sim->setChecked(has_gl_ && run_.view_sim);
    view_sim->setEnabled(has_gl_ && !running);
    auto* full = control<QCheckBox>(kIdFullScreen);
    full->setChecked(full_screen_);
    full->setEnabled(has_gl_ && run_.view_sim);
    control<QPushButton>(kIdViewSimulation)
        ->setEnabled(has_gl_ && !running && run_.view_button_enabled);

    // The bar counts in int.
    const long low = std::clamp(run_.progress_low, 0L, static_cast<long>(INT_MAX));
    const long high = std::clamp(run_.progress_high, low, static_cast<long>(INT_MAX));
    auto* bar = control<QProgressBar>(kIdProgress);
    bar->setRange(static_cast<int>(low), static_cast<int>(std::max(high, low + 1)));
    bar->setValue(static_cast<int>(std::clamp(run_.progress_pos, low, high)));
    auto* status = control<QLabel>(kIdStatus);
    // A deck that failed says why in the status line; the console has the same line.
    std::string line = run_.status;
    if (!running && run_.record().status() == app::RunStatus::Failed &&
        !run_.record().error().empty())
        line = "Status: " + run_.record().error();
    const QString s = QString::fromStdString(line);
    if (status->text() != s) status->setText(s);

    if (run_.scf_iteration_shown != shown_iteration_ || running != shown_running_) {
        shown_iteration_ = run_.scf_iteration_shown;
        shown_running_ = running;
        graph_->update();
    }
}

void register_orbitra_window() {
    register_window_for<atom::OrbitraController, OrbitraDialog>();
}

}  // namespace ui
