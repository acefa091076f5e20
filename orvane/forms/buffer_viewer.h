// frmBuffer, a diagnostic window over the processing library's sample ring:
// its length, write index and fill state, a stretch of raw samples as a
// hexadecimal listing, one trace per channel and a bar of the ring's use.
// It only reads the library.
#pragma once
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <vector>

#include "buffer_listing.h"
#include "core/vekmath_calls.h"
#include "monitor_form.h"
#include "picture_box.h"

namespace orvane::forms {

class FrmBuffer : public QWidget {
  Q_OBJECT
 public:
  // api must outlive the form; style is the monitor's axes-style record.
  FrmBuffer(const core::VekmathCalls& api, const AxesStyle& style, QWidget* parent = nullptr);

  QLineEdit *txtCHNum, *txtStart, *txtSize, *txtStartHex, *txtSizeHex, *txtBufPointerHex, *txtBufPointer,
      *txtBufSize;
  QPlainTextEdit* txtBuff;
  QCheckBox* chkStop;
  PictureBox* PBXBuff;
  PictureBox* pbxBufferUsage;
  QPushButton *cmdGetBuffer, *cmdGetBuffer2, *cmdGetBufferParam;
  QPushButton *cmdFirst, *cmdPrev, *cmdNext, *cmdLast;
  QPushButton *cmdFirst2, *cmdPrev2, *cmdNext2, *cmdLast2;

  // The values GetBufferParam read last.
  struct RingState {
    LONG length = 0, writeIndex = 0, overrun = 0, sampleCount = 0, wrapped = 0;
  };
  const RingState& Ring() const { return ring_; }

  void GetBufferParam();
  void cmdGetBuffer_Click() { GetBuffer(false); }
  void cmdGetBuffer2_Click() { GetBuffer(true); }
  void cmdGetBufferParam_Click();
  void PBXBuff_Paint();
  void pbxBufferUsage_Paint() { DrawBufferUsage(); }
  void DrawBufferUsage();

 private:
  void BuildControls();
  // Copies, lists and draws a stretch; fromWriteIndex takes the start as
  // the distance before the write index (ReadRing3).
  void GetBuffer(bool fromWriteIndex);
  void Page(int how, bool second);
  void ConnectMirror(QLineEdit* box, QLineEdit* mirror);

  const core::VekmathCalls& api_;
  AxesStyle axesStyle_;
  RingState ring_;
  std::vector<uint16_t> copy_ = std::vector<uint16_t>(kViewerBufferSamples);
  // The drawing copy: column t (channel t) holds scans_ values in a row.
  std::vector<float> trace_;
  int32_t traceChannels_ = 0, traceScans_ = 0;
  bool traceDimensioned_ = false;
};

}  // namespace orvane::forms
