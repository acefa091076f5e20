// The buffer viewer's two pictures: the traces of the copied stretch, one
// band of 65,536 counts per channel, and the bar of the ring's use.
#include <QApplication>

#include "buffer_viewer.h"
#include "core/toolkit.h"

namespace orvane::forms {
namespace {

constexpr float kBand = 65536.0f;

bool CanDraw(const core::VekmathCalls& api) {
  return api.SetDrawTarget && api.SetDrawArea && api.SetDrawRange && api.SetPen && api.DrawLine &&
         api.DrawLineRECT && api.DrawWave && api.DrawAxes;
}

}  // namespace

void FrmBuffer::PBXBuff_Paint() {
  if (!traceDimensioned_ || !CanDraw(api_)) return;
  PBXBuff->Cls();
  api_.SetDrawTarget(PBXBuff->hWnd(), PBXBuff->hDC());
  api_.SetDrawArea(5, 5, 5, 5);
  api_.SetPen(0, 0);
  const int32_t channels = traceChannels_, scans = traceScans_;
  // The x range is the stretch's width, not 0: an empty range would keep
  // the library from drawing the channel separators at all.
  api_.SetDrawRange(0, 0, static_cast<float>(scans), static_cast<float>(channels));
  api_.DrawAxes(0, 1, 0, 0, -999, 999, 1, 1, 2, axesStyle_.data());
  api_.SetDrawRange(0, 0, static_cast<float>(scans), channels * kBand);
  // The point count is that of the copy, whatever the size box says now.
  for (int32_t t = 0; t < channels; ++t)
    api_.DrawWave(trace_.data() + static_cast<size_t>(t) * scans, scans, 0, 0, (channels - t) * kBand - 32768.0f);
}

void FrmBuffer::DrawBufferUsage() {
  txtBufSize->setText(QString::number(static_cast<uint32_t>(ring_.length), 16).toUpper());
  if (!CanDraw(api_)) return;
  pbxBufferUsage->Cls();
  api_.SetDrawTarget(pbxBufferUsage->hWnd(), pbxBufferUsage->hDC());
  const auto length = static_cast<float>(ring_.length), written = static_cast<float>(ring_.writeIndex);
  api_.SetDrawRange(0, 0, length, 1);
  api_.SetDrawArea(0, 0, 0, 0);
  api_.SetPen(0, RGB(0, 255, 0));
  api_.DrawLineRECT(0, 0, length, 1, 1);
  if (ring_.wrapped == 0) {
    api_.SetPen(0, RGB(255, 128, 128));
    api_.DrawLineRECT(0, 0, written, 1, 1);
  }
  api_.SetPen(0, RGB(0, 0, 0));
  api_.DrawLine(written, 0, written, 1);
  // The start box counts scans; the bar counts samples.
  try {
    const int32_t channels = core::CLng(core::ValIfInRange(txtCHNum->text().toStdString()).value_or(0.0));
    if (channels < 1) return;
    const double start = core::ValIfInRange(txtStart->text().toStdString()).value_or(0.0) * channels;
    api_.SetPen(0, RGB(0, 0, 255));
    api_.DrawLine(static_cast<float>(start), 0, static_cast<float>(start), 1);
  } catch (const core::ToolkitError&) {
  }
}

}  // namespace orvane::forms
