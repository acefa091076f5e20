#include "monitor_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QStyle>
#include <QTimer>
#include <cstdlib>

#include "control_store.h"
#include "core/toolkit.h"
#include "toolkit_text.h"

namespace orvane::forms {
namespace {

// The form is laid out in twips, at 96 dpi.
constexpr int kTwipsPerPixel = 15;
constexpr int Px(double twips) { return static_cast<int>(twips / kTwipsPerPixel); }
constexpr double Twips(int pixels) { return static_cast<double>(pixels) * kTwipsPerPixel; }

constexpr int kPanelHeight = 1560;
// The two lines of column heads sit above the row boxes they name.
constexpr int kHeadTop = 1020;
constexpr int kHeadStep = 255;
constexpr int kRowsWidth = 5100;
constexpr int kPlotLeft = 5160;
constexpr int kMinFormHeight = 13410;
constexpr int kBoxWidth = 735;
constexpr int kBoxHeight = 270;
// Up to this many rows share the plot's height, as the form was drawn;
// beyond it every row keeps the height of its three lines of boxes (the
// third starts 510 down) and the rows scroll.
constexpr int kSharedRows = 16;
constexpr int kRowNeeds = 510 + kBoxHeight;

constexpr LONG Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

const QString kFormName = QStringLiteral("frmMonitor");

}  // namespace

enum Column {
  kRangeMax, kRangeMin, kComment, kCalAD, kBaseAD, kName, kUnit, kRawLive, kValueLive, kLimitA, kLimitB, kR, kG, kB,
  kColumnCount
};

const FrmMonitor::RowColumn FrmMonitor::kColumns[14] = {
    {"txtRangeMax", "10", 705, 0, kBoxWidth, &FrmMonitor::txtRangeMax, true, kCalAD},
    {"txtRangeMin", "0", 705, 255, kBoxWidth, &FrmMonitor::txtRangeMin, true, kBaseAD},
    {"txtコメント", "", 705, 510, 2895, &FrmMonitor::txtコメント, false, kLimitB},
    {"txtCalAD", "31100", 1425, 0, kBoxWidth, &FrmMonitor::txtCalAD, true, kName},
    {"txtBaseAD", "-140", 1425, 255, kBoxWidth, &FrmMonitor::txtBaseAD, true, kUnit},
    {"txtName", "%1CH", 2145, 0, kBoxWidth, &FrmMonitor::txtName, false, kLimitA},
    {"txtUnit", "--", 2145, 255, kBoxWidth, &FrmMonitor::txtUnit, false, kG},
    {"txt換算前", "--", 2865, 0, kBoxWidth, &FrmMonitor::txt換算前, false, -1},
    {"txt換算後", "--", 2865, 255, kBoxWidth, &FrmMonitor::txt換算後, false, -1},
    {"DisplayLimitA", "10", 3585, 0, kBoxWidth, &FrmMonitor::DisplayLimitA, true, kR},
    {"DisplayLimitB", "-10", 3585, 510, kBoxWidth, &FrmMonitor::DisplayLimitB, true, kB},
    {"txtR", "0", 4305, 0, kBoxWidth, &FrmMonitor::txtR, true, kRangeMin},
    {"txtG", "0", 4305, 255, kBoxWidth, &FrmMonitor::txtG, true, kComment},
    {"txtB", "0", 4305, 510, kBoxWidth, &FrmMonitor::txtB, true, kRangeMax},
};
static_assert(kColumnCount == 14);

FrmMonitor::FrmMonitor(Options options)
    : options_(std::move(options)), api_(core::VekmathInUse()) {
  if (!options_.now) options_.now = [] { return QDateTime::currentDateTime(); };
  if (!options_.quit) options_.quit = [] { std::exit(0); };
  if (!options_.warn) options_.warn = [this](const QString& text) {
    QMessageBox::warning(this, QStringLiteral("ORVANE"), text);
  };
  BuildControls();
  resize(Px(15360), Px(kMinFormHeight));
  qApp->installEventFilter(this);
  Form_Load();
}

FrmMonitor::~FrmMonitor() { qApp->removeEventFilter(this); }

void FrmMonitor::BuildControls() {
  setWindowTitle(QStringLiteral("ORVANE"));
  auto place = [](QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(Px(left), Px(top), Px(width), Px(height));
  };
  auto named = [](auto* w, const char* name) {
    w->setObjectName(QString::fromUtf8(name));
    return w;
  };

  picPanel = named(new QWidget(this), "picPanel");
  place(picPanel, 0, 0, 15000, kPanelHeight);
  auto label = [&](const char* text, int left, int top, int width) {
    auto* l = new QLabel(QString::fromUtf8(text), picPanel);
    place(l, left, top, width, kBoxHeight);
    return l;
  };
  label("取込開始時間", 120, 60, 1400);
  txt取込開始時間 = named(new QLineEdit(picPanel), "txt取込開始時間");
  place(txt取込開始時間, 1560, 60, 2600, kBoxHeight);
  label("掃引時間（秒）", 120, 390, 1400);
  txt掃引時間 = named(new QLineEdit(QStringLiteral("5"), picPanel), "txt掃引時間");
  place(txt掃引時間, 1560, 390, kBoxWidth, kBoxHeight);
  label("取込時間（秒）", 120, 720, 1400);
  txtCnt = named(new QLineEdit(QStringLiteral("10"), picPanel), "txtCnt");
  place(txtCnt, 1560, 720, kBoxWidth, kBoxHeight);
  chkCSVOut = named(new QCheckBox(QString::fromUtf8("CSVファイル出力"), picPanel), "chkCSVOut");
  place(chkCSVOut, 4300, 60, 2200, kBoxHeight);
  optCSV換算後 = named(new QRadioButton(QString::fromUtf8("換算後"), picPanel), "optCSV換算後");
  place(optCSV換算後, 4300, 390, 1100, kBoxHeight);
  optCSV換算前 = named(new QRadioButton(QString::fromUtf8("換算前"), picPanel), "optCSV換算前");
  place(optCSV換算前, 5400, 390, 1100, kBoxHeight);
  cmd取込開始 = named(new QPushButton(QString::fromUtf8("取込開始 (CTRL+S)"), picPanel), "cmd取込開始");
  place(cmd取込開始, 6700, 60, 2200, 600);
  chk終了 = named(new QCheckBox(QString::fromUtf8("終了"), picPanel), "chk終了");
  place(chk終了, 9000, 60, 900, kBoxHeight);
  label("(CTRL+E)", 9900, 60, 1000);
  chkAcq = named(new QCheckBox(QStringLiteral("ACQ"), picPanel), "chkAcq");
  place(chkAcq, 9000, 390, 900, kBoxHeight);
  label("(CTRL+C)", 9900, 390, 1000);
  lblRGB = named(new QLabel(QStringLiteral("RGB"), picPanel), "lblRGB");
  place(lblRGB, 4305 + 60, kHeadTop, kBoxWidth, kBoxHeight);
  FileCSV = named(new QListWidget(picPanel), "FileCSV");
  FileCSV->setProperty("stored", false);  // a file list: not kept
  place(FileCSV, 11100, 60, 1400, 1000);
  rtxtCSVJoin = named(new QTextEdit(picPanel), "rtxtCSVJoin");
  place(rtxtCSVJoin, 12600, 60, 1200, 1000);
  rtxtCSVFile = named(new QTextEdit(picPanel), "rtxtCSVFile");
  place(rtxtCSVFile, 13900, 60, 1000, 1000);
  // Column heads, on the line of the row box each one names.
  static const struct {
    const char* text;
    int left, line;
  } kHeads[] = {{"MAX", 705, 0},    {"MIN", 705, 1},  {"AD", 1425, 0},     {"OFFSET", 1425, 1}, {"名前", 2145, 0},
                {"単位", 2145, 1}, {"換算前", 2865, 0}, {"換算後", 2865, 1}, {"レンジ", 3585, 0}};
  for (const auto& h : kHeads) label(h.text, h.left, kHeadTop + kHeadStep * h.line, kBoxWidth);

  Picture1 = named(new PictureBox(this), "Picture1");
  rowsArea = new QScrollArea(this);
  rowsArea->setFrameShape(QFrame::NoFrame);
  rowsArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  rowsArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Picture2 = named(new QWidget, "Picture2");
  Picture2->setProperty("index", 0);
  rowsArea->setWidget(Picture2);
  Picture1->setPaintHandler([this] {
    if (IsACQ() && api_.DrawWaveGraph) api_.DrawWaveGraph();
  });

  for (int i = 0; i < kRows; ++i) {
    QWidget* row = new QWidget(Picture2);
    row->setObjectName(QStringLiteral("Picture3"));
    row->setProperty("index", i);
    Picture3[i] = row;
    lblCH[i] = new QLabel(QStringLiteral("%1CH").arg(i + 1), row);
    lblCH[i]->setObjectName(QStringLiteral("lblCH"));
    lblCH[i]->setProperty("index", i);
    place(lblCH[i], 30, 0, 660, kBoxHeight);
    lblコメント[i] = new QLabel(QString::fromUtf8("ｺﾒﾝﾄ"), row);
    lblコメント[i]->setObjectName(QString::fromUtf8("lblコメント"));
    lblコメント[i]->setProperty("index", i);
    place(lblコメント[i], 30, 510, 660, kBoxHeight);
    for (int c = 0; c < kColumnCount; ++c) {
      const RowColumn& col = kColumns[c];
      QString design = QString::fromUtf8(col.design);
      design.replace(QLatin1String("%1"), QString::number(i + 1));
      auto* box = new QLineEdit(design, row);
      box->setObjectName(QString::fromUtf8(col.name));
      box->setProperty("index", i);
      box->setProperty("column", c);
      place(box, col.left, col.top, col.width, kBoxHeight);
      (this->*col.boxes)[i] = box;
    }
    connect(txtR[i], &QLineEdit::textChanged, this, [this] { ApplyTraceColours(); });
    connect(txtG[i], &QLineEdit::textChanged, this, [this] { ApplyTraceColours(); });
    connect(txtB[i], &QLineEdit::textChanged, this, [this] { ApplyTraceColours(); });
    connect(DisplayLimitA[i], &QLineEdit::textChanged, this, [this, i] { DisplayLimit_Change(i); });
    connect(DisplayLimitB[i], &QLineEdit::textChanged, this, [this, i] { DisplayLimit_Change(i); });
  }
  connect(cmd取込開始, &QPushButton::clicked, this, [this] {
    if (!IsACQ()) RunAcquisition();
  });
  connect(chk終了, &QCheckBox::stateChanged, this, [this](int state) {
    if (state != Qt::Unchecked && IsACQ() && run_) run_->StopRequested();
  });
}

void FrmMonitor::InitDrawDefaults() {
  settings_ = MonitorSettings{5000, Rgb(224, 255, 224), 5, -1, Rgb(192, 192, 192), 20000, Rgb(0, 0, 0), 0};
  traces_.fill(TraceParams{-1, 1.0f, Rgb(0, 0, 16), 0, 0x4000, 1, Rgb(128, 128, 128)});
  InitColourRecord();
}

void FrmMonitor::InitColourRecord() {
  axesStyle_.fill(0);
  const LONG colours[6] = {-1, Rgb(224, 255, 224), Rgb(255, 192, 192), Rgb(0, 0, 127), -1, Rgb(0, 0, 0)};
  std::copy(std::begin(colours), std::end(colours), axesStyle_.begin());
}

void FrmMonitor::SelText(QLineEdit* box) {
  if (box) box->setSelection(0, static_cast<int>(box->text().size()));
}

void FrmMonitor::FileCSV_Refresh() {
  // The toolkit's file list matches its pattern without regard to case.
  QDir folder(options_.programFolder + QStringLiteral("/CSV"));
  folder.setNameFilters({QStringLiteral("*.CSV")});
  folder.setFilter(QDir::Files);
  folder.setSorting(QDir::Name | QDir::IgnoreCase);
  FileCSV->clear();
  FileCSV->addItems(folder.entryList());
}

void FrmMonitor::Form_Load() {
  RestoreAllControls(*this, kFormName, options_.programFolder);
  chk終了->setCheckState(Qt::Unchecked);
  txtCnt->setText(QStringLiteral("0"));
  InitDrawDefaults();
  board_ = std::make_unique<core::Board>();
  board_->OpenFromIni((options_.programFolder + QStringLiteral("/Init.ini")).toStdString());
  channels_ = std::clamp(board_->ChannelCount(board_->BoardTypeIndex()), 0, kRows);
  for (int i = 0; i < kRows; ++i) Picture3[i]->setVisible(i < channels_);
  chkAcq->setCheckState(Qt::Unchecked);
  if (channels_ == 0) Guidance(QStringLiteral("no channels"));
  LayOutRows();
  FileCSV_Refresh();
  FrmCam::Options cam;
  cam.programFolder = options_.programFolder;
  cam.csvName = [this] { return CSVFILENAME(); };
  cam.wait = options_.cameraWait;
  frmCam = std::make_unique<FrmCam>(std::move(cam));
  frmCam->Show();
}

void FrmMonitor::Form_Unload() {
  LONG status = 0;
  if (api_.StopSampling) api_.StopSampling(&status);
  if (api_.CloseBoard) api_.CloseBoard(&status);
  if (frmCam) {
    endingRun_ = true;  // its waits serve window events: no run starts now
    frmCam->Disconnect();
    frmCam.reset();
  }
  if (!SaveAllControls(*this, kFormName, options_.programFolder))
    options_.warn(QStringLiteral("the control values could not be saved to %1")
                      .arg(QDir::toNativeSeparators(DefaultStorePath(options_.programFolder))));
}

void FrmMonitor::closeEvent(QCloseEvent* event) {
  if (endingRun_) {  // the run's end closes the window once it is done
    closePending_ = true;
    event->ignore();
    return;
  }
  if (IsACQ()) {
    // The run is still on the stack: let it end its own way, then close.
    closePending_ = true;
    chk終了->setCheckState(Qt::Checked);
    if (run_) run_->ForceStop();
    event->ignore();
    return;
  }
  Form_Unload();
  event->accept();
}

void FrmMonitor::Guidance(const QString& text) {
  lastMessage_ = text;
  setWindowTitle(QStringLiteral("ORVANE : ") + text);
}

void FrmMonitor::Redraw() {
  if (api_.SetupWaveGraph) api_.SetupWaveGraph(Picture1->hWnd(), &settings_, traces_.data(), 0);
  if (api_.DrawWaveGraph) api_.DrawWaveGraph();
  Picture1->update();
}

void FrmMonitor::ApplyTraceColours() {
  for (int i = 0; i < channels_ && i < 32; ++i) {
    // A component the toolkit cannot take as an integer, or a negative one,
    // leaves the colour as it was; one above 255 counts as 255.
    try {
      int rgb[3];
      QLineEdit* boxes[3] = {txtR[i], txtG[i], txtB[i]};
      for (int k = 0; k < 3; ++k) {
        const std::string text = boxes[k]->text().toStdString();
        if (!core::IsNumeric(text)) throw core::ToolkitError(core::kErrTypeMismatch, "type mismatch");
        rgb[k] = core::CInt(core::Val(text));
        if (rgb[k] < 0) throw core::ToolkitError(core::kErrOverflow, "negative colour");
        rgb[k] = std::min(rgb[k], 255);
      }
      traces_[i].colour = Rgb(rgb[0], rgb[1], rgb[2]);
    } catch (const core::ToolkitError&) {
    }
  }
  Redraw();
}

core::DisplayScaling& FrmMonitor::Scaling() {
  if (run_) return run_->Scaling();
  if (!idleScaling_) idleScaling_ = std::make_unique<core::DisplayScaling>();
  return *idleScaling_;
}

void FrmMonitor::SetupChannelDisplay(int index) {
  // Limits the scaling cannot take (an index past the records, counts past
  // 32 bits) leave the trace as it was; a limit whose number does not
  // convert reads 0, as one of letters does.
  try {
    core::DisplayScaling& s = Scaling();
    auto limit = [](const RowArray& boxes, int i) {
      return static_cast<float>(core::ValIfInRange(boxes.at(i)->text().toStdString()).value_or(0.0));
    };
    s.SetUpperLimit(index, limit(DisplayLimitA, index));
    s.SetLowerLimit(index, limit(DisplayLimitB, index));
    const float gain = s.ChannelGain(index);
    const int32_t offset = core::CLng(s.ChannelOffset(index));
    TraceParams& t = traces_.at(index);
    t.gain = gain;
    t.offset = offset;
    t.referenceStep = 0;
    t.referenceLines = 0;
  } catch (const core::ToolkitError&) {
  } catch (const std::out_of_range&) {
  }
}

void FrmMonitor::DisplayLimit_Change(int index) {
  SetupChannelDisplay(index);
  Redraw();
}

void FrmMonitor::IncTextBox(QLineEdit* box, double step) {
  const std::string text = box->text().toStdString();
  if (!core::IsNumeric(text)) return;  // letters stay as they are
  box->setText(QString::number(core::Val(text) + step, 'g', 15));
}

void FrmMonitor::lblRGB_Click() {
  static const int kPresets[4][3] = {{255, 0, 0}, {0, 120, 0}, {0, 0, 255}, {0, 0, 0}};
  for (int i = 0; i < channels_; ++i) {
    const int* p = kPresets[i % 4];
    txtR[i]->setText(QString::number(p[0]));
    txtG[i]->setText(QString::number(p[1]));
    txtB[i]->setText(QString::number(p[2]));
  }
}

void FrmMonitor::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (isMinimized()) return;
  const double formW = Twips(width()), formH = Twips(height());
  picPanel->resize(std::max(1, Px(formW - 0 - 270)), Px(kPanelHeight));
  const double plotH = formH - kPanelHeight - 600;
  const int plotLeft = Px(kPlotLeft) + RowsBarWidth();
  Picture1->setGeometry(plotLeft, Px(kPanelHeight), std::max(1, Px(formW - 270) - plotLeft), std::max(1, Px(plotH)));
  if (formH < kMinFormHeight) {
    QTimer::singleShot(0, this, [this] {
      if (Twips(height()) < kMinFormHeight) resize(width(), Px(kMinFormHeight));
    });
  }
  LayOutRows();
  Redraw();
}

int FrmMonitor::RowsBarWidth() const {
  return channels_ > kSharedRows ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
}

void FrmMonitor::LayOutRows() {
  const int plotH = Picture1->height();
  rowsArea->setVerticalScrollBarPolicy(RowsBarWidth() > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  rowsArea->setGeometry(0, Px(kPanelHeight), Px(kRowsWidth) + RowsBarWidth(), plotH);
  if (channels_ <= 0) {  // the rows keep their heights
    Picture2->resize(Px(kRowsWidth), plotH);
    return;
  }
  double rowH = Twips(plotH) / channels_;
  if (channels_ > kSharedRows) rowH = std::max(rowH, static_cast<double>(kRowNeeds));
  Picture2->resize(Px(kRowsWidth), std::max(plotH, Px(rowH * channels_)));
  for (int i = 0; i < kRows; ++i) {
    Picture3[i]->setGeometry(0, Px(rowH * i), Px(kRowsWidth), std::max(1, Px(rowH)));
    // The lower limit stays at the bottom of its row.
    DisplayLimitB[i]->move(DisplayLimitB[i]->x(), Picture3[i]->height() - DisplayLimitB[i]->height());
  }
}

}  // namespace orvane::forms
