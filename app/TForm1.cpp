#include "app/TForm1.h"

#include <QFont>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QVBoxLayout>

#include "app/HelpMenu.h"
#include "app/HoverHint.h"
#include "app/MissingSourceBox.h"
#include "app/positions/PositionsDialog.h"
#include "app/TApplication.h"
#include "app/cardclock/CardClock.h"
#include "app/recordings/RecordingsMenu.h"
#include "app/scope/Scope.h"
#include "app/trend/Trend.h"
#include "settings/SettingsLocation.h"
#include "widgets/Glyphs.h"
#include <QMouseEvent>

namespace tamsel {

namespace {

QFrame *bevelPanel(QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    return panel;
}

} // namespace

TForm1::TForm1(std::unique_ptr<SoundService> service, const TForm1Design &design, QWidget *parent)
    : QMainWindow(parent), session_(*this), capture_(std::move(service)),
      trend_(std::make_unique<Trend>(*this))
{
    buildLayout();
    clock_ = std::make_unique<ClockControl>(session_, *StatusBar1);
    caption_ = design.caption;
    session_.setJapanese(japanese());
    capture_.input().device = design.device;
    capture_.input().recording = design.recording;
    setWindowTitle(caption_);
    // The title bar has the system menu and the close button; no minimise or maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    buildMenus();
    scope_ = std::make_unique<Scope>(*this, *showMenu_, session_);
    // Client area of the designed 817 x 437 window, below its menu bar.
    resize(809, 40 + 65 + 3 + 256 + 19 + menuBar()->sizeHint().height());
    wireHandlers();
    cardClock_ = std::make_unique<CardClock>(*this);
    settings_.build(design.settingsFile.isEmpty() ? settingsFilePath() : design.settingsFile);
    AboutDlg1 = new AboutBox(this);
    try {
        FormCreate();
    } catch (const MissingSource &missing) {
        new MissingSourceBox(this, missing, [this] { capture_.openDefault(); });
    } catch (const std::exception &e) {
        // The window is still created and shown, without capture.
        setStartDown(); // up, with nothing to capture from
        ShowException(QString::fromUtf8(e.what()));
    }
    clock_->show();
    // The lift angle dialog, made once after the window and reused.
    OKBottomDlg = new TOKBottomDlg(this);
}

TForm1::~TForm1()
{
    if (!destroyed_) {
        try {
            FormDestroy();
        } catch (const std::exception &e) {
            ShowException(QString::fromUtf8(e.what()));
        }
    }
    // Destroying the native window now, while every component still exists, is what
    // makes the settings component save.
    destroy();
}

void TForm1::buildLayout()
{
    // 12-pixel type, as the layout's sizes assume; a face with the Japanese glyphs.
    QFont face(QStringLiteral("Noto Sans CJK JP"));
    face.setPixelSize(12);
    setFont(face);
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    BackPanel1 = new LedStrip(central);
    column->addWidget(BackPanel1);

    Splitter1 = new QSplitter(Qt::Vertical, central);
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    column->addWidget(Splitter1, 1);

    // Signal graph: the threshold track bar at the left, the graph filling the rest.
    Panel1 = bevelPanel(Splitter1);
    auto *top = new QHBoxLayout(Panel1);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    Panel3 = new QWidget(Panel1);
    Panel3->setFixedWidth(30);
    auto *trackColumn = new QVBoxLayout(Panel3);
    trackColumn->setContentsMargins(0, 0, 0, 0);
    TrackBar1 = new QSlider(Qt::Vertical, Panel3);
    TrackBar1->setRange(0, 32768);
    TrackBar1->setInvertedAppearance(true); // position 0 at the top: the highest threshold
    TrackBar1->setInvertedControls(true);
    TrackBar1->setPageStep(1);
    TrackBar1->setSingleStep(1);
    TrackBar1->setTickPosition(QSlider::NoTicks);
    TrackBar1->setValue(15000);
    TrackBar1->setToolTip(QStringLiteral("Threshold Level"));
    trackColumn->addWidget(TrackBar1);
    top->addWidget(Panel3);
    Panel4 = new TPanel(Panel1);
    auto *signalFill = new QVBoxLayout(Panel4);
    signalFill->setContentsMargins(0, 0, 0, 0);
    PaintBox2 = new TPaintBox(Panel4);
    signalFill->addWidget(PaintBox2);
    top->addWidget(Panel4, 1);
    Splitter1->addWidget(Panel1);

    // Chart: the button column at the left, the chart filling the rest.
    Panel2 = bevelPanel(Splitter1);
    auto *bottom = new QHBoxLayout(Panel2);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    Panel5 = new QWidget(Panel2);
    Panel5->setFixedWidth(30);
    SpeedButton7 = columnButton(Panel5, 0, 20, "", ColumnGlyph::Pulse, true);
    SpeedButton8 = columnButton(Panel5, 22, 20, "", ColumnGlyph::AcMode, true);
    SpeedButton1 = columnButton(Panel5, 45, 20, "Long Time", ColumnGlyph::LongTime, false);
    SpeedButton2 = columnButton(Panel5, 65, 20, "Short Time", ColumnGlyph::ShortTime, false);
    SpeedButton3 = columnButton(Panel5, 88, 23, "Zoom Up", ColumnGlyph::ZoomUp, false);
    SpeedButton4 = columnButton(Panel5, 111, 23, "Zoom Down", ColumnGlyph::ZoomDown, false);
    StartButton = columnButton(Panel5, 140, 24, "Start", ColumnGlyph::Start, true);
    StopButton = columnButton(Panel5, 166, 24, "", ColumnGlyph::Stop, true);
    recBtn = columnButton(Panel5, 196, 30, "Recording", ColumnGlyph::Record, true);
    StartButton->setChecked(true);
    bottom->addWidget(Panel5);
    Panel6 = new TPanel(Panel2);
    auto *chartFill = new QVBoxLayout(Panel6);
    chartFill->setContentsMargins(0, 0, 0, 0);
    PaintBox1 = new TPaintBox(Panel6);
    chartFill->addWidget(PaintBox1);
    bottom->addWidget(Panel6, 1);
    Splitter1->addWidget(Panel2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({65, 256});

    setCentralWidget(central);
    StatusBar1 = new TStatusBar(this);
    setStatusBar(StatusBar1);
    TrackBar1->setFocus();
}

void TForm1::wireHandlers()
{
    wireCapture();
    // Start and Stop are an exclusive pair that a press never releases.
    connect(StartButton, &QToolButton::clicked, this, [this] {
        if (Recordings1->StartPressed())
            return;
        setStartDown();
        StartButtonClick();
    });
    connect(StopButton, &QToolButton::clicked, this, [this] {
        StopButton->setChecked(true);
        StartButton->setChecked(false);
    });
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm1::TrackBar1Change);
    // Moved by hand, the track bar no longer follows the signal.
    connect(TrackBar1, &QSlider::actionTriggered, this, [this] { AutoThreshold1->setChecked(false); });
    connect(recBtn, &QToolButton::clicked, this, &TForm1::recBtnClick);
    connect(SpeedButton7, &QToolButton::clicked, this, &TForm1::SpeedButton7Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm1::SpeedButton4Click);
    connect(BackPanel1->SpeedButton5, &QToolButton::clicked, this, &TForm1::SpeedButton5Click);
    connect(BackPanel1->SpeedButton6, &QToolButton::clicked, this, &TForm1::SpeedButton6Click);
    PaintBox1->OnMouseDown = [this](QMouseEvent *e) {
        PaintBox1MouseDown(e->position().toPoint().x(), e->position().toPoint().y());
    };
    hoverHint(SpeedButton7, [this] { SpeedButton7MouseMove(); });
    hoverHint(SpeedButton8, [this] { SpeedButton8MouseMove(); });

    const std::pair<QAction *, void (TForm1::*)()> items[] = {
        {Exit1, &TForm1::Exit1Click}, {N16, &TForm1::N16Click},         {N22, &TForm1::N22Click},
        {N41, &TForm1::N41Click},     {N81, &TForm1::N81Click},         {N9001, &TForm1::N9001Click},
        {N6001, &TForm1::N6001Click}, {N3001, &TForm1::N3001Click},     {N1201, &TForm1::N1201Click},
        {N601, &TForm1::N601Click},   {N401, &TForm1::N401Click},       {N301, &TForm1::N301Click},
        {N201, &TForm1::N201Click},   {N101, &TForm1::N101Click},       {N31, &TForm1::N31Click},
        {N21, &TForm1::N21Click},     {N11, &TForm1::N11Click},         {N2, &TForm1::N2Click},
        {N3, &TForm1::N3Click},       {Mono1, &TForm1::Mono1Click},     {N210, &TForm1::N210Click},
        {N8, &TForm1::N8Click},       {N7, &TForm1::N7Click},           {N30, &TForm1::N30Click},
        {N32, &TForm1::N32Click},     {bitmap1, &TForm1::bitmap1Click}, {jpeg1, &TForm1::jpeg1Click},
        {N23, &TForm1::N23Click},     {N20, &TForm1::N20Click},         {N25, &TForm1::N25Click},
        {N24, &TForm1::N24Click},     {N28, &TForm1::N28Click},         {N27, &TForm1::N27Click},
        {NOn1, &TForm1::NOn1Click},   {NOff1, &TForm1::NOff1Click},     {N33, &TForm1::N33Click},
        {T1, &TForm1::T1Click},       {N521, &TForm1::N521Click},       {N10, &TForm1::N10Click},
        {Play1, &TForm1::Play1Click}, {Rec1, &TForm1::Rec1Click},       {About2, &TForm1::About1Click},
    };
    for (const auto &[action, handler] : items)
        connect(action, &QAction::triggered, this, handler);
    connect(Positions1, &QAction::triggered, this, [this] { PositionsDialog::Open(*this); });
    connect(Trend1, &QAction::triggered, this, [this] { trend_->show(); });
    connect(StartStop1, &QAction::triggered, this,
            [this] { (StartButton->isChecked() ? StopButton : StartButton)->click(); });
    connect(ResetClock1, &QAction::triggered, this, [this] { clock_->reset(); });
    connect(Help1->Guide1, &QAction::triggered, Help1, &HelpMenu::Guide1Click);
    connect(InputGroup1, &QActionGroup::triggered, this,
            [this](QAction *item) { inputMenu_.itemClicked(item); });
    connect(ShowMonitors1, &QAction::triggered, this, [this] { inputMenu_.refresh(); });
    connect(InputFilter1, &QAction::triggered, this, [this] { session_.measuringModeChanged(); });
    connect(AutoThreshold1, &QAction::triggered, this, [this] { session_.restartThreshold(); });
    // The session is told its settings whenever their controls change, however they do.
    connect(InputFilter1, &QAction::toggled, this, [this](bool on) { session_.setInputFilter(on); });
    connect(AutoThreshold1, &QAction::toggled, this, [this](bool on) { session_.setAutoThreshold(on); });
    connect(StartButton, &QToolButton::toggled, this, [this](bool on) { session_.setRunning(on); });
    connect(N32, &QAction::toggled, this, [this](bool on) { session_.setHighResolution(on); });
    connect(NOn1, &QAction::toggled, this, [this](bool on) { session_.setPulseMode(on); });
    connect(SpeedButton8, &QToolButton::toggled, this, [this](bool on) { session_.setAcMode(on); });
    connect(BackPanel1->autosw, &QToolButton::toggled, this, [this](bool on) { session_.setBeatCounter(on); });
    // F1Click toggles the check mark itself: undo the toggle the menu already made.
    connect(F1, &QAction::triggered, this, [this](bool checked) {
        F1->setChecked(!checked);
        F1Click();
    });
    connect(BackPanel1->bpsLabel, &TLEDLabel::clicked, this, &TForm1::bpsLabelClick);
    connect(BackPanel1->bpss, &TLEDLabel::mouseMoved, this, &TForm1::bpssMouseMove);
    connect(BackPanel1->spd, &TLEDLabel::clicked, this, &TForm1::spdClick);
    connect(BackPanel1->katatime, &TLEDLabel::clicked, this, &TForm1::katatimeClick);
    connect(BackPanel1->upBtn, &QToolButton::clicked, this, &TForm1::upBtnClick);
    connect(BackPanel1->downBtn, &QToolButton::clicked, this, &TForm1::downBtnClick);
    Panel4->OnResize = [this] { Panel4Resize(); };
    Panel6->OnResize = [this] { Panel6Resize(); };
}

// Start stays up while there is nothing to capture from: it would look as if it measured.
void TForm1::setStartDown()
{
    const bool down = !capture_.nothingToCapture();
    StartButton->setChecked(down);
    StopButton->setChecked(!down);
}

bool TForm1::japanese() const
{
    return caption_ == QStringLiteral("タムセル");
}

} // namespace tamsel
