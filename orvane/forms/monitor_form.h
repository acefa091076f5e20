// frmMonitor, the monitor's main form: one row of boxes per channel, the
// run controls and the live plot drawn by the processing library; it drives
// the acquisition run (acquisition_run.h) from its controls.
#pragma once
#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTextEdit>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "acquisition_run.h"
#include "cam_form.h"
#include "core/board.h"
#include "core/display_scaling.h"
#include "core/vekmath_calls.h"
#include "message_pump.h"
#include "picture_box.h"

namespace orvane::forms {

inline constexpr int kRows = 32;  // row elements; the board shows up to 32

using RowArray = std::array<QLineEdit*, kRows>;

// The axes-style record the waveform views hand to the library's axis
// drawing, which reads 32 values; the monitor fills the first six colours.
using AxesStyle = std::array<LONG, 32>;
static_assert(sizeof(AxesStyle) == 128, "32 values of 32 bits");

class FrmMonitor : public QWidget {
  Q_OBJECT
 public:
  struct Options {
    QString programFolder;           // App.Path: Init.ini, CSV\, Debug\ live here
    std::function<QDateTime()> now;  // the clock behind the start time
    std::function<void()> quit;      // Ctrl+Q; default ends the process
    // A message the operator must see even as the window goes (the control
    // values not saved); default a message box.
    std::function<void(const QString&)> warn;
    // Time a stop request waits for the block in progress before the
    // acquisition itself is stopped (a board that delivers nothing).
    int stopGraceMs = 2000;
    // The camera form's settling wait; empty: its own.
    std::function<void()> cameraWait;
  };

  // Builds the form and runs its load sequence.
  explicit FrmMonitor(Options options);
  ~FrmMonitor() override;

  // The controls, under the names the rest of the program knows them by.
  QWidget* picPanel;
  QLineEdit* txt取込開始時間;
  QLineEdit* txt掃引時間;
  QCheckBox* chkCSVOut;
  QRadioButton* optCSV換算後;
  QRadioButton* optCSV換算前;
  QLineEdit* txtCnt;
  QPushButton* cmd取込開始;
  QCheckBox* chk終了;
  QCheckBox* chkAcq;
  PictureBox* Picture1;
  // The camera form, modeless beside this one.
  std::unique_ptr<FrmCam> frmCam;
  QWidget* Picture2;
  // Holds Picture2: the rows scroll when more of them are shown than the
  // plot's height fits.
  QScrollArea* rowsArea;
  std::array<QWidget*, kRows> Picture3{};
  std::array<QLabel*, kRows> lblCH{};
  std::array<QLabel*, kRows> lblコメント{};
  QListWidget* FileCSV;
  QTextEdit* rtxtCSVJoin;
  QTextEdit* rtxtCSVFile;
  QLabel* lblRGB;
  RowArray txtRangeMax{}, txtRangeMin{}, txtコメント{}, txtCalAD{}, txtBaseAD{}, txtName{}, txtUnit{}, txt換算前{},
      txt換算後{}, DisplayLimitA{}, DisplayLimitB{}, txtR{}, txtG{}, txtB{};

  bool IsACQ() const { return chkAcq->checkState() != Qt::Unchecked; }
  int ChannelCount() const { return channels_; }
  const core::Board& Board() const { return *board_; }
  // The last message shown through Guidance, without the prefix.
  const QString& LastMessage() const { return lastMessage_; }

  void RunAcquisition();
  QString CSVFILENAME() const;
  // The first scan of the block just read into the live-value boxes.
  void ShowLiveValues();
  // The block just converted, appended to the run's CSV file; false when it
  // was not written whole.
  bool WriteCsvBlock();
  // Selects the whole text of a box, so that typing replaces it.
  void SelText(QLineEdit* box);
  // Lists the CSV folder's files in FileCSV.
  void FileCSV_Refresh();
  void Guidance(const QString& text);
  void ApplyTraceColours();
  void SetupChannelDisplay(int index);
  void IncTextBox(QLineEdit* box, double step);
  void lblRGB_Click();

  const std::array<TraceParams, 32>& Traces() const { return traces_; }
  const MonitorSettings& Settings() const { return settings_; }
  const AxesStyle& AxesStyleRecord() const { return axesStyle_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // One column of the channel rows: where its box sits in a row (twips), its
  // design text ("%1" is the row's channel number), whether Shift+Up/Down
  // step its number, and the next box of the row's Enter cycle (-1: none).
  struct RowColumn {
    const char* name;
    const char* design;
    int left, top, width;
    RowArray FrmMonitor::*boxes;
    bool numeric;
    int next;
  };
  static const RowColumn kColumns[14];

  void BuildControls();
  void Form_Load();
  void Form_Unload();
  void LayOutRows();
  // The width the rows' scroll bar takes beside them (0 while they fit).
  int RowsBarWidth() const;
  void InitDrawDefaults();
  void InitColourRecord();
  bool Form_KeyDown(int key, Qt::KeyboardModifiers mods);
  bool RowKeyDown(int column, int row, int key, Qt::KeyboardModifiers mods);
  void FocusBox(int column, int row);
  void Redraw();
  void DisplayLimit_Change(int index);
  // The run's stages; false ends the run with the reason in the caption.
  bool StartRun(AcquisitionRun& run);
  void EndRun();
  void SetCameraChoicesEnabled(bool enabled);
  bool Failed(LONG status, const char* step);
  std::vector<RowTexts> RowsAsTheyStand() const;

  Options options_;
  // The library's table in use when the form was made.
  const core::VekmathCalls& api_;
  QtPumpHook pumpHook_;
  std::unique_ptr<core::Board> board_;
  int channels_ = 0;
  MonitorSettings settings_{};
  std::array<TraceParams, 32> traces_{};
  AxesStyle axesStyle_{};
  // The last run, kept after it ends: its scaling serves the display-limit
  // handlers. Until a run, a scaling on the default board and calibration.
  std::unique_ptr<AcquisitionRun> run_;
  std::unique_ptr<core::DisplayScaling> idleScaling_;
  core::DisplayScaling& Scaling();
  QString lastMessage_;
  bool closePending_ = false;
  // Set while a run's video is being ended or the camera released: the
  // window events served then start no new run and close nothing.
  bool endingRun_ = false;
  // The run's video was started, so its end is due.
  bool videoStarted_ = false;
};

}  // namespace orvane::forms
