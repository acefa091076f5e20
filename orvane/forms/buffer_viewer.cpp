#include "buffer_viewer.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "core/toolkit.h"

namespace orvane::forms {
namespace {

QLineEdit* Box(QWidget* parent, const char* name, const char* text) {
  auto* box = new QLineEdit(QString::fromLatin1(text), parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

std::string Text(const QLineEdit* box) { return box->text().toStdString(); }

// A number as the boxes show it: whole numbers without a fraction.
QString NumberText(double value) { return QString::number(value, 'g', 15); }

enum PageMove { kFirst, kPrev, kNext };

}  // namespace

FrmBuffer::FrmBuffer(const core::VekmathCalls& api, const AxesStyle& style, QWidget* parent)
    : QWidget(parent), api_(api), axesStyle_(style) {
  setObjectName(QStringLiteral("frmBuffer"));
  setWindowTitle(QStringLiteral("frmBuffer"));
  BuildControls();
  resize(900, 640);
}

void FrmBuffer::BuildControls() {
  txtCHNum = Box(this, "txtCHNum", "8");
  txtStart = Box(this, "txtStart", "0");
  txtSize = Box(this, "txtSize", "100");
  txtStartHex = Box(this, "txtStartHex", "0");
  txtSizeHex = Box(this, "txtSizeHex", "64");
  txtBufPointer = Box(this, "txtBufPointer", "");
  txtBufPointerHex = Box(this, "txtBufPointerHex", "");
  txtBufSize = Box(this, "txtBufSize", "");
  txtBuff = new QPlainTextEdit(this);
  txtBuff->setObjectName(QStringLiteral("txtBuff"));
  txtBuff->setReadOnly(true);
  txtBuff->setLineWrapMode(QPlainTextEdit::NoWrap);
  chkStop = new QCheckBox(QStringLiteral("Stop"), this);
  chkStop->setObjectName(QStringLiteral("chkStop"));
  PBXBuff = new PictureBox(this);
  PBXBuff->setObjectName(QStringLiteral("PBXBuff"));
  PBXBuff->setMinimumSize(400, 240);
  pbxBufferUsage = new PictureBox(this);
  pbxBufferUsage->setObjectName(QStringLiteral("pbxBufferUsage"));
  pbxBufferUsage->setFixedHeight(24);
  cmdGetBuffer = Button(this, "cmdGetBuffer", "GetBuffer");
  cmdGetBuffer2 = Button(this, "cmdGetBuffer2", "GetBuffer");
  cmdGetBufferParam = Button(this, "cmdGetBufferParam", "GetBufferParam");
  cmdFirst = Button(this, "cmdFirst", "<<");
  cmdPrev = Button(this, "cmdPrev", "<");
  cmdNext = Button(this, "cmdNext", ">");
  cmdLast = Button(this, "cmdLast", ">>");
  cmdFirst2 = Button(this, "cmdFirst2", "<<");
  cmdPrev2 = Button(this, "cmdPrev2", "<");
  cmdNext2 = Button(this, "cmdNext2", ">");
  cmdLast2 = Button(this, "cmdLast2", ">>");

  auto* grid = new QGridLayout(this);
  const struct {
    const char* label;
    QLineEdit* box;
    QLineEdit* mirror;
  } rows[] = {{"CH", txtCHNum, nullptr},
              {"Start", txtStart, txtStartHex},
              {"Size", txtSize, txtSizeHex},
              {"Pointer", txtBufPointer, txtBufPointerHex},
              {"BufSize", txtBufSize, nullptr}};
  int row = 0;
  for (const auto& r : rows) {
    grid->addWidget(new QLabel(QString::fromLatin1(r.label), this), row, 0);
    grid->addWidget(r.box, row, 1);
    if (r.mirror) grid->addWidget(r.mirror, row, 2);
    ++row;
  }
  QPushButton* const paging[2][5] = {{cmdGetBuffer, cmdFirst, cmdPrev, cmdNext, cmdLast},
                                     {cmdGetBuffer2, cmdFirst2, cmdPrev2, cmdNext2, cmdLast2}};
  for (const auto& buttons : paging) {
    auto* line = new QHBoxLayout;
    for (QPushButton* b : buttons) line->addWidget(b);
    grid->addLayout(line, row++, 0, 1, 3);
  }
  grid->addWidget(cmdGetBufferParam, row, 0, 1, 2);
  grid->addWidget(chkStop, row++, 2);
  grid->addWidget(txtBuff, 0, 3, row, 1);
  grid->addWidget(PBXBuff, row++, 0, 1, 4);
  grid->addWidget(pbxBufferUsage, row++, 0, 1, 4);
  grid->setRowStretch(row - 2, 1);
  grid->setColumnStretch(3, 1);

  ConnectMirror(txtStart, txtStartHex);
  ConnectMirror(txtSize, txtSizeHex);
  ConnectMirror(txtBufPointer, txtBufPointerHex);
  connect(cmdGetBuffer, &QPushButton::clicked, this, [this] { cmdGetBuffer_Click(); });
  connect(cmdGetBuffer2, &QPushButton::clicked, this, [this] { cmdGetBuffer2_Click(); });
  connect(cmdGetBufferParam, &QPushButton::clicked, this, [this] { cmdGetBufferParam_Click(); });
  const struct {
    QPushButton* button;
    int move;
    bool second;
  } pages[] = {{cmdFirst, kFirst, false}, {cmdPrev, kPrev, false}, {cmdNext, kNext, false},
               {cmdFirst2, kFirst, true}, {cmdPrev2, kPrev, true}, {cmdNext2, kNext, true}};
  for (const auto& p : pages)
    connect(p.button, &QPushButton::clicked, this, [this, p] { Page(p.move, p.second); });
  PBXBuff->setPaintHandler([this] { PBXBuff_Paint(); });
  pbxBufferUsage->setPaintHandler([this] { pbxBufferUsage_Paint(); });
}

void FrmBuffer::ConnectMirror(QLineEdit* box, QLineEdit* mirror) {
  connect(box, &QLineEdit::textChanged, mirror,
          [mirror](const QString& text) { mirror->setText(QString::fromStdString(HexMirror(text.toStdString()))); });
}

void FrmBuffer::GetBufferParam() {
  const auto call = [](auto fn, auto... args) {
    if (fn) fn(args...);
  };
  call(api_.GetRingPosition2, &ring_.wrapped);
  call(api_.GetSampleCount, &ring_.sampleCount);
  call(api_.GetRingLength, &ring_.length);
  call(api_.GetRingPosition, &ring_.writeIndex, &ring_.overrun);
}

void FrmBuffer::cmdGetBufferParam_Click() {
  GetBufferParam();
  pbxBufferUsage->update();
}

void FrmBuffer::GetBuffer(bool fromWriteIndex) {
  txtBuff->clear();
  GetBufferParam();
  const std::optional<RingStretch> plan = PlanStretch(Text(txtCHNum), Text(txtStart), Text(txtSize));
  if (!plan) {
    setWindowTitle(QStringLiteral("channels must be a number of at least 1, and the stretch within 32 bits"));
    return;
  }
  const RingStretch& s = *plan;
  // A request beyond the copy buffer is cut to it; the box shows the cut.
  if (core::ValIfInRange(Text(txtSize)) != s.scans) txtSize->setText(QString::number(s.scans));
  auto* read = fromWriteIndex ? api_.ReadRing3 : api_.ReadRing2;
  if (read) read(copy_.data(), s.start, s.size);
  if (api_.GetRingPosition) api_.GetRingPosition(&ring_.writeIndex, &ring_.overrun);
  txtBufPointer->setText(QString::number(ring_.writeIndex));

  const std::string text = ListSamples(copy_.data(), s, [this](int32_t j) {
    if (j % 100 == 0 && j != 0) {
      setWindowTitle(QString::number(j));
      QApplication::processEvents();
    }
    return chkStop->checkState() == Qt::Unchecked;
  });
  txtBuff->setPlainText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  chkStop->setCheckState(Qt::Unchecked);

  traceChannels_ = s.channels;
  traceScans_ = s.scans;
  trace_.assign(static_cast<size_t>(s.scans) * s.channels, 0.0f);
  for (int32_t i = 0; i < s.size; ++i) {
    const int32_t scan = i / s.channels, channel = i % s.channels;
    trace_[static_cast<size_t>(channel) * s.scans + scan] = static_cast<int16_t>(copy_[i]);
  }
  traceDimensioned_ = true;
  PBXBuff->update();
  pbxBufferUsage->update();
}

void FrmBuffer::Page(int how, bool second) {
  // A box whose number does not convert counts 0, as one holding letters.
  const double start = core::ValIfInRange(Text(txtStart)).value_or(0.0);
  const double size = core::ValIfInRange(Text(txtSize)).value_or(0.0);
  switch (how) {
    case kFirst:
      txtStart->setText(QStringLiteral("0"));
      break;
    case kPrev:
      txtStart->setText(start - size > 0 ? NumberText(start - size) : QStringLiteral("0"));
      break;
    default:
      txtStart->setText(NumberText(start + size));
      break;
  }
  GetBuffer(second);
}

}  // namespace orvane::forms
