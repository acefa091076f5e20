// The buffer viewer over a ring of known samples, drawn by the real
// drawing engine: what it asks the library for, what it lists and draws.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSet>
#include <QTest>
#include <QTimer>

#include "buffer_viewer.h"

namespace orvane::forms {
namespace {

struct FakeRing {
  LONG length = 4000, writeIndex = 1000, wrapped = 0;
  std::vector<LONG> counts;  // the count of every copy asked for
};
FakeRing* ring = nullptr;

class BufferViewerTest : public ::testing::Test {
 protected:
  BufferViewerTest() {
    ring = &fake;
    api = core::LoadedVekmath();
    api.GetRingPosition2 = [](LONG* flag) { *flag = ring->wrapped; };
    api.GetSampleCount = [](LONG* value) { *value = 0; };
    api.GetRingLength = [](LONG* length) { *length = ring->length; };
    api.GetRingPosition = [](LONG* index, LONG* overrun) {
      *index = ring->writeIndex;
      *overrun = 0;
    };
    // A copy fills count + 1 samples, as the library's does.
    api.ReadRing2 = [](WORD* buffer, LONG start, LONG count) {
      ring->counts.push_back(count);
      for (LONG i = 0; i <= count; ++i) buffer[i] = static_cast<WORD>((start + i) * 7);
    };
    api.ReadRing3 = api.ReadRing2;
    form = std::make_unique<FrmBuffer>(api, style);
    form->resize(600, 500);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  ~BufferViewerTest() override { ring = nullptr; }
  void Get(const char* channels, const char* start, const char* size) {
    form->txtCHNum->setText(channels);
    form->txtStart->setText(start);
    form->txtSize->setText(size);
    QTest::mouseClick(form->cmdGetBuffer, Qt::LeftButton);
  }
  int ListedLines() const { return form->txtBuff->document()->blockCount(); }

  FakeRing fake;
  core::VekmathCalls api;
  AxesStyle style{-1, RGB(224, 255, 224), RGB(255, 192, 192), RGB(0, 0, 127), -1, RGB(0, 0, 0)};
  std::unique_ptr<FrmBuffer> form;
};

TEST_F(BufferViewerTest, ACopyNeverAsksForMoreThanTheBufferHolds) {
  Get("8", "0", "10000");
  ASSERT_EQ(fake.counts.size(), 1u);
  EXPECT_EQ(fake.counts[0], 65528);
  EXPECT_EQ(form->txtSize->text(), "8191");
  EXPECT_EQ(form->txtSizeHex->text(), "1FFF");
  EXPECT_EQ(ListedLines(), 8191);
  EXPECT_EQ(form->txtBufPointer->text(), "1000");
  EXPECT_EQ(form->txtBufPointerHex->text(), "3E8");
}

// A size that does not convert lists nothing, and the box shows it; a
// stretch whose line numbers would pass 32 bits is not copied at all.
TEST_F(BufferViewerTest, ASizeThatDoesNotConvertOrLinesPast32BitsListNothing) {
  Get("1", "0", "1e400");
  EXPECT_EQ(form->txtSize->text(), "0");
  EXPECT_EQ(form->txtBuff->toPlainText(), "000000 : ");
  fake.counts.clear();
  Get("1", "2147483647", "2");
  EXPECT_TRUE(fake.counts.empty());
  EXPECT_TRUE(form->txtBuff->toPlainText().isEmpty());
}

TEST_F(BufferViewerTest, PagingMovesTheStartBySizeAndNeverBelowZero) {
  const struct {
    const char* start;
    QPushButton* FrmBuffer::*button;
    const char* after;
  } cases[] = {{"50", &FrmBuffer::cmdPrev, "0"},
               {"250", &FrmBuffer::cmdPrev2, "150"},
               {"50", &FrmBuffer::cmdNext, "150"},
               {"300", &FrmBuffer::cmdFirst, "0"},
               {"1e400", &FrmBuffer::cmdNext, "100"}};  // a start that does not convert counts 0
  for (const auto& c : cases) {
    form->txtCHNum->setText("1");
    form->txtSize->setText("100");
    form->txtStart->setText(c.start);
    QTest::mouseClick((*form).*c.button, Qt::LeftButton);
    EXPECT_EQ(form->txtStart->text(), c.after) << c.start;
  }
  EXPECT_EQ(fake.counts.size(), 5u);
}

TEST_F(BufferViewerTest, StopEndsALongListingAndIsCleared) {
  QTimer::singleShot(0, form.get(), [this] { form->chkStop->setCheckState(Qt::Checked); });
  Get("1", "0", "1000");
  EXPECT_LT(ListedLines(), 1000);
  EXPECT_GE(ListedLines(), 100);
  EXPECT_EQ(form->chkStop->checkState(), Qt::Unchecked);
}

// The usage bar: pink up to the write index until the ring wraps, green
// beyond; black at the write index, blue at the start in samples.
TEST_F(BufferViewerTest, UsageBarShowsTheWrittenPartAndBothMarks) {
  const QRgb green = qRgb(0, 255, 0), pink = qRgb(255, 128, 128), black = qRgb(0, 0, 0), blue = qRgb(0, 0, 255);
  const struct {
    LONG wrapped;
    QRgb before;
  } cases[] = {{0, pink}, {1, green}};
  for (const auto& c : cases) {
    fake.wrapped = c.wrapped;
    form->txtCHNum->setText("4");
    form->txtStart->setText("750");  // 3000 samples: 3/4 of the ring
    QTest::mouseClick(form->cmdGetBufferParam, Qt::LeftButton);
    form->DrawBufferUsage();
    const QImage bar = form->pbxBufferUsage->surfaceImage();
    ASSERT_FALSE(bar.isNull());
    const int y = bar.height() / 2, w = bar.width();
    EXPECT_EQ(bar.pixel(w / 8, y) & 0xFFFFFF, c.before & 0xFFFFFF) << c.wrapped;
    EXPECT_EQ(bar.pixel(w / 2, y) & 0xFFFFFF, green & 0xFFFFFF) << c.wrapped;
    EXPECT_EQ(bar.pixel(w / 4, y) & 0xFFFFFF, black & 0xFFFFFF) << c.wrapped;
    EXPECT_EQ(bar.pixel(w * 3 / 4, y) & 0xFFFFFF, blue & 0xFFFFFF) << c.wrapped;
    EXPECT_EQ(form->txtBufSize->text(), "FA0");
  }
}

// The axes' plot fill shows that the axes drew at all.
TEST_F(BufferViewerTest, TracesDrawOverTheAxes) {
  Get("2", "0", "100");
  form->PBXBuff_Paint();
  const QImage plot = form->PBXBuff->surfaceImage();
  ASSERT_FALSE(plot.isNull());
  QSet<QRgb> colours;
  for (int y = 0; y < plot.height(); ++y)
    for (int x = 0; x < plot.width(); ++x) colours.insert(plot.pixel(x, y) & 0xFFFFFF);
  EXPECT_TRUE(colours.contains(qRgb(224, 255, 224) & 0xFFFFFF));
  EXPECT_TRUE(colours.contains(0));  // the traces, in the black pen
}

}  // namespace
}  // namespace orvane::forms
