#include "ui/md_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "app/format.h"
#include "app/message_sink.h"
#include "md/md_dialog_data.h"
#include "md/mdsimstate.h"
#include "ui/dialog_fields.h"
#include "ui/gl_view_helper.h"
#include "ui/md_graphs.h"
#include "ui/md_picture.h"
#include "ui/md_view_options.h"
#include "ui/md_view_window.h"

namespace ui {
namespace {

// Control ids of dialog 130.
constexpr int kIdKinetic = 1001, kIdPotential = 1002, kIdTotal = 1003, kIdElapsed = 1004;
constexpr int kIdDefault = 1062, kIdUser = 1063;
constexpr int kIdCubeType = 1065, kIdFirstPosition = 1066;
constexpr int kIdCells = 1072, kIdTemperature = 1061, kIdSteps = 1073, kIdTimeStep = 1074;
constexpr int kIdViewSimulation = 1013, kIdFullScreen = 1014, kIdViewOptions = 1011;
constexpr int kIdViewReplay = md::kIdViewReplay, kIdRun = md::kIdRunSimulation;
constexpr int kIdStep = md::kIdSingleStep, kIdCancel = 2, kIdTrace = 1012;
constexpr int kIdProgress = 1008, kIdStatus = 1009;

constexpr int kPictureMs = 10;  // timer 1010
// A renderer on the processor draws each picture with the benchmark's own cores: ten a second.
constexpr int kSoftwarePictureMs = 100;
constexpr int kDisplayMs = 50;   // re-reads the controller between its own timers
constexpr int kThrottleMs = 30;  // the 1 ms elapsed timer must not repaint every tick

QString temperature_text(double kelvin) {
    return QString::number(kelvin, 'g', 10);
}

QComboBox* sorted_list(QWidget* parent, int id, QStringList items) {
    items.sort(Qt::CaseInsensitive);
    auto* list = named(new QComboBox(parent), id);
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

QComboBox* plain_list(QWidget* parent, int id, const QStringList& items) {
    auto* list = named(new QComboBox(parent), id);
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

void set_text(QLineEdit* e, const QString& t) {
    if (e->text() != t) e->setText(t);
}

void select_text(QComboBox* list, const QString& text) {
    const QSignalBlocker block(list);
    list->setCurrentIndex(list->findText(text));
}

}  // namespace

MdDialog::MdDialog(md::MdController& controller, QWidget* parent)
    : DialogWindow(controller, parent), md_(controller) {
    setObjectName(QStringLiteral("130"));
    QString why;
    has_gl_ = gl::available(&why);
    if (has_gl_) {
        renderer_ = std::make_unique<MdPicture>();
        if (!renderer_->ready()) {
            has_gl_ = false;
            why = QStringLiteral("No OpenGL view: off-screen OpenGL drawing failed.");
            renderer_.reset();
        }
    }
    build();
    if (has_gl_) {
        sink_ = std::make_unique<MdViewSink>(md_, this);
        md_.set_frame_sink(sink_.get());
        connect(&picture_timer_, &QTimer::timeout, this, &MdDialog::advance_picture);
        picture_timer_.start(gl::software_renderer() ? kSoftwarePictureMs : kPictureMs);
    } else {
        // The run goes on without a view; only the OpenGL parts are off.
        md_.set_frame_sink(nullptr);
        md_.view_enabled = false;
        for (int id : {kIdViewSimulation, kIdFullScreen, kIdViewReplay})
            control<QWidget>(id)->setToolTip(why);
        picture_->setToolTip(why);
    }
    connect(&display_timer_, &QTimer::timeout, this, [this] {
        if (!ended()) refresh(false);
    });
    display_timer_.start(kDisplayMs);
    since_refresh_.start();
    refresh(true);
}

MdDialog::~MdDialog() {
    picture_timer_.stop();
    display_timer_.stop();
    if (md_.view_open() && sink_) {
        // The run still holds the sink: it must outlive this dialog, without its window.
        sink_->close();
        (void)sink_.release();
    }
    md_.set_frame_sink(nullptr);
}

MdViewWindow* MdDialog::view_window() const {
    return sink_ ? sink_->window() : nullptr;
}

void MdDialog::build() {
    // Three rows of boxes, so the dialog fits a small screen (1280 x 720) with room to spare:
    // statistics, OpenGL controls and the picture; options and the crystal; the graphs and
    // the run controls. The progress bar and the status line close it.
    auto* root = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* stats = new QGroupBox(QStringLiteral("Simulation Statistics"), this);
    auto* sg = new QGridLayout(stats);
    const struct {
        int id;
        const char* role;
        const char* unit;
    } rows[] = {{kIdKinetic, "Kinetic (thermal) energy", "K"},
                {kIdPotential, "Potential energy", "K"},
                {kIdTotal, "Total energy (binding energy)", "K"},
                {kIdElapsed, "Simulation execution time", "sec"}};
    int r = 0;
    for (const auto& row : rows) {
        QLineEdit* edit = figure_field(stats, row.id, QStringLiteral("-00000.00000"));
        sg->addWidget(new QLabel(QString::fromLatin1(row.role), stats), r, 0);
        sg->addWidget(edit, r, 1);
        sg->addWidget(new QLabel(QString::fromLatin1(row.unit), stats), r, 2);
        ++r;
    }
    sg->setRowStretch(r, 1);
    top->addWidget(stats, 1);

    auto* view_box = new QGroupBox(QStringLiteral("Simulation OpenGL controls"), this);
    auto* vg = new QVBoxLayout(view_box);
    auto* view_sim =
        named(new QCheckBox(QStringLiteral("View simulation"), view_box), kIdViewSimulation);
    auto* full = named(new QCheckBox(QStringLiteral("Full screen"), view_box), kIdFullScreen);
    auto* view_options =
        named(new QPushButton(QStringLiteral(" View Options"), view_box), kIdViewOptions);
    auto* replay = named(new QPushButton(QStringLiteral("View Replay"), view_box), kIdViewReplay);
    for (QWidget* c : std::initializer_list<QWidget*>{view_sim, full, view_options, replay})
        vg->addWidget(c);
    vg->addStretch(1);
    top->addWidget(view_box);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->setFixedSize(MdPicture::kSize);
    picture_->setFrameStyle(QFrame::Box | QFrame::Plain);
    picture_->setAlignment(Qt::AlignCenter);
    auto* picture_column = new QVBoxLayout;
    picture_column->addWidget(picture_);
    picture_column->addStretch(1);
    top->addLayout(picture_column);
    root->addLayout(top);

    // Options and the crystal, two fields to a line.
    auto* middle = new QHBoxLayout;
    auto* options = new QGroupBox(QStringLiteral("Simulation Options"), this);
    auto* og = new QGridLayout(options);
    auto* def = named(new QRadioButton(QStringLiteral("Default Simulation"), options), kIdDefault);
    auto* user =
        named(new QRadioButton(QStringLiteral("User specified simulation"), options), kIdUser);
    og->addWidget(def, 0, 0, 1, 3);
    og->addWidget(user, 0, 3, 1, 3);
    QStringList cells;
    for (int c : md::kCellChoices) cells << QString::number(c);
    QStringList steps;
    for (int s : md::kStepChoices) steps << QString::number(s);
    QStringList time_steps;
    for (const char* t : md::kTimeStepChoices) time_steps << QString::fromLatin1(t);
    og->addWidget(new QLabel(QStringLiteral("Number of Cells"), options), 1, 0);
    og->addWidget(plain_list(options, kIdCells, cells), 1, 1);
    og->addWidget(new QLabel(QStringLiteral("Temperature"), options), 1, 3);
    auto* temperature = named(new QLineEdit(options), kIdTemperature);
    og->addWidget(temperature, 1, 4);
    og->addWidget(new QLabel(QStringLiteral("K"), options), 1, 5);
    og->addWidget(new QLabel(QStringLiteral("Time steps"), options), 2, 0);
    og->addWidget(plain_list(options, kIdSteps, steps), 2, 1);
    og->addWidget(new QLabel(QStringLiteral("Length of time step"), options), 2, 3);
    og->addWidget(plain_list(options, kIdTimeStep, time_steps), 2, 4);
    og->addWidget(new QLabel(QStringLiteral("sec"), options), 2, 5);
    og->setColumnMinimumWidth(2, 8);
    og->setRowStretch(3, 1);
    middle->addWidget(options, 1);

    auto* crystal = new QGroupBox(QStringLiteral("Simulation Crystalline structure"), this);
    auto* cg = new QGridLayout(crystal);
    QStringList cubes;
    for (const char* c : md::kCubeTypeNames) cubes << QString::fromLatin1(c);
    QStringList species;
    for (const char* s : md::kSpeciesNames) species << QString::fromLatin1(s);
    cg->addWidget(new QLabel(QStringLiteral("Cube type"), crystal), 0, 0);
    cg->addWidget(sorted_list(crystal, kIdCubeType, cubes), 0, 1, 1, 4);
    for (int k = 0; k < 4; ++k) {
        const int line = 1 + k / 2, column = 3 * (k % 2);
        cg->addWidget(new QLabel(QStringLiteral("Position #%1").arg(k + 1), crystal), line, column);
        cg->addWidget(sorted_list(crystal, kIdFirstPosition + k, species), line, column + 1);
    }
    cg->setColumnMinimumWidth(2, 8);
    cg->setRowStretch(3, 1);
    middle->addWidget(crystal, 1);
    root->addLayout(middle);

    // The graphs, and the run controls beside them.
    auto* bottom = new QHBoxLayout;
    auto* graphs_box = new QGroupBox(QStringLiteral("Simulation Graphs"), this);
    auto* gl_layout = new QHBoxLayout(graphs_box);
    graphs_ = new EnergyGraphs(graphs_box);
    graphs_->set_source([this] {
        const md::MdRunState& run = md_.run();
        int32_t count = run.history_count.load(std::memory_order_acquire);
        // A replay redraws the curves as it goes.
        if (md_.run_state() == md::kStateReplaying)
            count = std::min(count, run.md_step_count.load());
        count = std::min<int32_t>(count, static_cast<int32_t>(run.ke_history.size()));
        return EnergyHistories{run.ke_history.data(), run.pe_history.data(), count};
    });
    gl_layout->addStretch(1);
    gl_layout->addWidget(graphs_);
    gl_layout->addStretch(1);
    bottom->addWidget(graphs_box, 1);

    auto* controls = new QGroupBox(QStringLiteral("Simulation Controls"), this);
    auto* cl = new QVBoxLayout(controls);
    auto* run = named(new QPushButton(QStringLiteral("Run simulation"), controls), kIdRun);
    auto* step =
        named(new QPushButton(QStringLiteral("Move forward one iteration"), controls), kIdStep);
    auto* cancel = named(new QPushButton(QStringLiteral("Cancel simulation"), controls), kIdCancel);
    auto* trace =
        named(new QPushButton(QStringLiteral("Simulation Instruction Trace"), controls), kIdTrace);
    // "Simulation is running..." must fit without the button growing mid-run.
    run->setMinimumWidth(
        run->fontMetrics().horizontalAdvance(QStringLiteral("Simulation is running...")) + 24);
    for (QPushButton* b : {run, step, cancel, trace}) cl->addWidget(b);
    cl->addStretch(1);
    bottom->addWidget(controls);
    root->addLayout(bottom);

    auto* progress = named(new QProgressBar(this), kIdProgress);
    progress->setRange(0, 1);
    progress->setValue(0);
    progress->setTextVisible(false);
    root->addWidget(progress);
    auto* status = named(new QLabel(this), kIdStatus);
    status->setTextFormat(Qt::PlainText);
    status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    root->addWidget(status);

    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);

    // Defaults: the default simulation, the option lists off.
    def->setChecked(md_.default_simulation != 0);
    user->setChecked(md_.default_simulation == 0);
    connect(def, &QRadioButton::clicked, this, [this] { choose_mode(false); });
    connect(user, &QRadioButton::clicked, this, [this] { choose_mode(true); });
    connect(control<QComboBox>(kIdCubeType), &QComboBox::textActivated, this,
            &MdDialog::cube_type_chosen);
    for (int k = 0; k < 4; ++k)
        connect(control<QComboBox>(kIdFirstPosition + k), &QComboBox::textActivated, this,
                [this, k](const QString& t) { position_chosen(k, t); });
    connect(control<QComboBox>(kIdCells), &QComboBox::textActivated, this,
            [this](const QString& t) { md_.user.cells_per_side = t.toInt(); });
    connect(control<QComboBox>(kIdSteps), &QComboBox::textActivated, this,
            [this](const QString& t) { md_.user.steps = t.toInt(); });
    connect(control<QComboBox>(kIdTimeStep), &QComboBox::textActivated, this,
            [this](const QString& t) {
                md_.user.time_step = std::strtof(t.toLatin1().constData(), nullptr);
            });
    connect(temperature, &QLineEdit::editingFinished, this, [this] { commit_temperature(); });
    temperature->setText(temperature_text(md_.user.temperature));

    connect(view_sim, &QCheckBox::toggled, this, [this](bool on) {
        md_.view_enabled = on;
        refresh(true);
    });
    connect(full, &QCheckBox::toggled, this, [this](bool on) { md_.view.full_screen = on; });
    connect(view_options, &QPushButton::clicked, this, &MdDialog::open_view_options);
    for (int id : {kIdRun, kIdStep, kIdViewReplay})
        connect(control<QPushButton>(id), &QPushButton::clicked, this, [this, id] { command(id); });
    connect(cancel, &QPushButton::clicked, this, &MdDialog::reject);
    // The trace button has no action.

    show_user_settings();
    run->setFocus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void MdDialog::choose_mode(bool user) {
    if (user)
        md_.choose_user_simulation();
    else
        md_.choose_default_simulation();
    show_user_settings();
}

void MdDialog::show_user_settings() {
    const bool user = md_.default_simulation == 0;
    control<QRadioButton>(kIdDefault)->setChecked(!user);
    control<QRadioButton>(kIdUser)->setChecked(user);
    auto* cube = control<QComboBox>(kIdCubeType);
    cube->setEnabled(user);
    for (int id : {kIdCells, kIdSteps, kIdTimeStep}) control<QComboBox>(id)->setEnabled(user);
    control<QLineEdit>(kIdTemperature)->setEnabled(user);
    const int sites = user ? md::atoms_per_cell_for(md_.user.lattice_type) : 0;
    for (int k = 0; k < 4; ++k) control<QComboBox>(kIdFirstPosition + k)->setEnabled(k < sites);
    if (!user) return;
    const md::UserSimulation& u = md_.user;
    select_text(cube, QString::fromLatin1(md::kCubeTypeNames[static_cast<size_t>(u.lattice_type)]));
    for (int k = 0; k < sites; ++k)
        select_text(control<QComboBox>(kIdFirstPosition + k),
                    QString::fromLatin1(md::kSpeciesNames[static_cast<size_t>(u.species[k])]));
    select_text(control<QComboBox>(kIdCells), QString::number(u.cells_per_side));
    select_text(control<QComboBox>(kIdSteps), QString::number(u.steps));
    // The list texts are what the time step was taken from.
    for (const char* t : md::kTimeStepChoices)
        if (std::strtof(t, nullptr) == u.time_step)
            select_text(control<QComboBox>(kIdTimeStep), QString::fromLatin1(t));
    set_text(control<QLineEdit>(kIdTemperature), temperature_text(u.temperature));
}

void MdDialog::cube_type_chosen(const QString& text) {
    if (auto type = md::lattice_from_name(text.toStdString())) md_.set_cube_type(*type);
    show_user_settings();
}

void MdDialog::position_chosen(int position, const QString& text) {
    if (auto s = md::species_from_name(text.toStdString()))
        md_.user.species[static_cast<size_t>(position)] = *s;
}

bool MdDialog::commit_temperature() {
    // The message box takes the focus, which ends the edit once more.
    if (in_temperature_) return false;
    auto* edit = control<QLineEdit>(kIdTemperature);
    const md::TemperatureReading r = md::parse_temperature(edit->text().toStdString());
    if (r.kelvin) {
        md_.user.temperature = *r.kelvin;
        return true;
    }
    in_temperature_ = true;
    edit->setText(temperature_text(md_.user.temperature));
    app::message_sink().message_box(r.problem, "Temperature");
    in_temperature_ = false;
    return false;
}

void MdDialog::command(int id) {
    if (ended() || (id == kIdViewReplay && !has_gl_)) return;
    // A text typed but not yet taken (no focus change) is checked before it is used.
    if ((id == kIdRun || id == kIdStep) && md_.default_simulation == 0 &&
        md_.run_state() == md::kStateIdle && !commit_temperature())
        return;
    md_.on_command(id);
    if (!ended()) refresh(true);
}

void MdDialog::open_view_options() {
    ViewOptionsDialog box(md_.view, this);
    if (box.exec() == QDialog::Accepted) {
        const bool full = md_.view.full_screen;
        md_.view = box.settings();
        // Full screen belongs to its check box, not to this box.
        md_.view.full_screen = full;
    }
}

void MdDialog::advance_picture() {
    // Nobody sees a picture of a hidden or minimised dialog.
    if (!renderer_ || ended() || !isVisible() || window()->isMinimized() ||
        picture_->visibleRegion().isEmpty())
        return;
    // A run turns the picture itself (5 degrees every half second); the dialog's own turning
    // would take time from the run.
    if (md_.run_state() == md::kStateIdle) {
        md_.picture_angle += 1.0f;
        if (md_.picture_angle >= 360.0f) md_.picture_angle = 0.0f;
    }
    PictureScene scene;
    scene.angle = md_.picture_angle;
    scene.show_sites = md_.default_simulation == 0;
    scene.lattice_type = md_.user.lattice_type;
    scene.species = md_.user.species;
    // Drawn only when something in it changed.
    if (shown_scene_ && *shown_scene_ == scene) return;
    shown_scene_ = scene;
    const QImage image = renderer_->render(scene);
    ++pictures_rendered_;
    if (!image.isNull()) picture_->setPixmap(QPixmap::fromImage(image));
}

void MdDialog::update_display() {
    refresh(false);
}

void MdDialog::refresh(bool force) {
    const int state = md_.run_state();
    if (!force && state == shown_state_ && since_refresh_.elapsed() < kThrottleMs) return;
    since_refresh_.restart();
    const bool idle = state == md::kStateIdle;

    set_text(control<QLineEdit>(kIdKinetic),
             QString::fromStdString(app::strprintf("%.5f", md_.kinetic_display)));
    set_text(control<QLineEdit>(kIdPotential),
             QString::fromStdString(app::strprintf("%.5f", md_.potential_display)));
    set_text(control<QLineEdit>(kIdTotal),
             QString::fromStdString(app::strprintf("%.5f", md_.total_display)));
    set_text(control<QLineEdit>(kIdElapsed), QString::fromStdString(md_.elapsed_text()));

    auto* run = control<QPushButton>(kIdRun);
    run->setText(QString::fromStdString(md_.run_button));
    run->setEnabled(idle);
    control<QPushButton>(kIdStep)->setEnabled(idle);
    control<QPushButton>(kIdCancel)->setText(QString::fromStdString(md_.cancel_button));
    // A replay is drawn only in a view window: without OpenGL nobody would see it.
    control<QPushButton>(kIdViewReplay)->setEnabled(has_gl_ && idle && md_.replay_enabled);

    auto* view_sim = control<QCheckBox>(kIdViewSimulation);
    {
        const QSignalBlocker block(view_sim);
        view_sim->setChecked(has_gl_ && md_.view_enabled);
    }
    view_sim->setEnabled(has_gl_);
    auto* full = control<QCheckBox>(kIdFullScreen);
    {
        const QSignalBlocker block(full);
        full->setChecked(md_.view.full_screen);
    }
    full->setEnabled(has_gl_ && md_.view_enabled);

    // The bar counts in int; a long range is scaled down.
    long range = std::max(0L, md_.progress_range);
    long pos = std::clamp(md_.progress_position, 0L, range);
    while (range > INT_MAX / 2) {
        range /= 2;
        pos /= 2;
    }
    auto* bar = control<QProgressBar>(kIdProgress);
    bar->setRange(0, static_cast<int>(std::max(1L, range)));
    bar->setValue(static_cast<int>(range > 0 ? pos : 0));
    control<QLabel>(kIdStatus)->setText(QString::fromStdString(md_.status));

    if (md_.graphs_dirty || state == md::kStateReplaying || state != shown_state_) {
        md_.graphs_dirty = false;
        graphs_->update();
    }
    shown_state_ = state;
}

void register_md_window() {
    register_window_for<md::MdController, MdDialog>();
}

}  // namespace ui
