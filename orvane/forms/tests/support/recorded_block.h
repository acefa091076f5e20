// One block recorded by the monitor from a simulated board, checked row by
// row: the road every board family's end-to-end test ends on.
#pragma once
#include <gtest/gtest.h>

#include <QByteArray>
#include <QLineEdit>
#include <QList>
#include <cstdint>
#include <functional>

#include "monitor_form.h"
#include "temp_folder.h"

namespace orvane::forms::testing {

// Runs the form until its first block is written and ends the run there;
// the CSV file's rows.
inline QList<QByteArray> RecordFirstBlock(FrmMonitor& form, const ProgramFolder& folder, const QString& csv) {
  QObject::connect(form.txtCnt, &QLineEdit::textChanged, &form, [&form](const QString& t) {
    if (t.toInt() >= 1) form.chk終了->setCheckState(Qt::Checked);
  });
  form.RunAcquisition();
  EXPECT_TRUE(form.LastMessage().isEmpty()) << form.LastMessage().toStdString();
  QList<QByteArray> lines = folder.read(csv).split('\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
  return lines;
}

// Every row holds each channel's value followed by a comma.
inline void ExpectRows(const QList<QByteArray>& lines, int64_t rows, int channels,
                       const std::function<double(int64_t scan, int channel)>& expected) {
  ASSERT_EQ(lines.size(), rows);
  for (int64_t k = 0; k < lines.size(); ++k) {
    const QList<QByteArray> values = lines[k].split(',');
    ASSERT_EQ(values.size(), channels + 1) << "scan " << k;
    for (int c = 0; c < channels; ++c)
      ASSERT_NEAR(values[c].toDouble(), expected(k, c), 2e-5) << "scan " << k << " ch " << c;
  }
}

}  // namespace orvane::forms::testing
