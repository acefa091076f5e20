#include <winuser.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "support/form_fixture.h"

namespace orvane::forms {
namespace {

using testing::FormTest;

int VisibleRows(FrmMonitor& f) {
  int n = 0;
  for (QWidget* row : f.Picture3) n += row->isVisibleTo(&f) ? 1 : 0;
  return n;
}

TEST_F(FormTest, StartsOnTheSimulatedBoardNamedInInitIni) {
  WriteInit("DEBUG", "Dev3");
  FrmMonitor& f = Open();
  EXPECT_EQ(f.Board().BoardTypeIndex(), -1);
  EXPECT_EQ(f.ChannelCount(), 16);
  EXPECT_EQ(VisibleRows(f), 16);
  EXPECT_EQ(fake.CallsOf("SelectBoard"), std::vector<std::string>{"SelectBoard -1 1 20"});
  EXPECT_EQ(fake.CallsOf("SetTestSine").size(), 16u);
  EXPECT_EQ(fake.CallsOf("SetTestSine").back(), "SetTestSine 16 15");
  EXPECT_EQ(f.windowTitle(), "ORVANE");
  EXPECT_EQ(f.txtCnt->text(), "0");
  EXPECT_FALSE(f.IsACQ());
  EXPECT_EQ(f.txtCalAD[0]->text(), "31100");
  EXPECT_EQ(f.txtName[4]->text(), "5CH");
  EXPECT_EQ(f.Settings().span, 5000);
  EXPECT_EQ(f.Traces()[31].referenceStep, 0x4000);
}

TEST_F(FormTest, MissingInitIniGivesTheDefaultModelAndDevice) {
  FrmMonitor& f = Open();
  EXPECT_EQ(f.Board().BoardTypeIndex(), 27);
  EXPECT_EQ(f.ChannelCount(), 8);
  EXPECT_EQ(VisibleRows(f), 8);
  EXPECT_EQ(fake.CallsOf("SelectBoard"), std::vector<std::string>{"SelectBoard 27 1 Dev1"});
}

TEST_F(FormTest, UnknownModelSelectsTheFirstType) {
  WriteInit("ni-usb-6001-s");
  FrmMonitor& f = Open();
  EXPECT_EQ(f.Board().BoardTypeIndex(), 0);
  EXPECT_EQ(f.ChannelCount(), 16);
  EXPECT_EQ(fake.CallsOf("SelectBoard"), std::vector<std::string>{"SelectBoard 0 1 20"});
}

TEST_F(FormTest, ABoardWithoutChannelsRefusesTheRun) {
  WriteInit("NI-USB-6218-D");
  FrmMonitor& f = Open();
  EXPECT_EQ(VisibleRows(f), 0);
  QTest::mouseClick(f.cmd取込開始, Qt::LeftButton);
  EXPECT_TRUE(fake.CallsOf("SetupSampling").empty());
  EXPECT_FALSE(QDir(folder.file("CSV")).exists());
  EXPECT_EQ(f.LastMessage(), "no channels");
  EXPECT_FALSE(f.IsACQ());
}

TEST_F(FormTest, ShortcutsNeedCtrlOrAlt) {
  WriteInit("DEBUG");
  FrmMonitor& f = Open();
  f.txtName[0]->setFocus();
  f.txtName[0]->selectAll();
  QTest::keyClick(f.txtName[0], 'S', Qt::ShiftModifier);
  EXPECT_TRUE(fake.CallsOf("StartSampling").empty());
  EXPECT_EQ(f.txtName[0]->text(), "S");
  QTest::keyClick(f.txtName[0], 'q');
  EXPECT_EQ(quits, 0);
  QTest::keyClick(f.txtName[0], 'Q', Qt::ShiftModifier);
  EXPECT_EQ(quits, 0);
  EXPECT_EQ(f.txtName[0]->text(), "SqQ");
  QTest::keyClick(f.txtName[0], Qt::Key_E, Qt::ControlModifier);  // idle: nothing
  EXPECT_EQ(f.chk終了->checkState(), Qt::Unchecked);
  QTest::keyClick(f.txtName[0], Qt::Key_Q, Qt::AltModifier);
  EXPECT_EQ(quits, 1);
}

TEST_F(FormTest, DuringARunStartAndQuitDoNothingAndCtrlEStops) {
  WriteInit("DEBUG");
  FrmMonitor& f = Open();
  int starts = 0;
  fake.onReadBlock = [&](LONG block) {
    QTest::keyClick(f.txtCalAD[0], Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(f.txtCalAD[0], Qt::Key_Q, Qt::ControlModifier);
    starts = static_cast<int>(fake.CallsOf("StartSampling").size());
    if (block == 1) QTest::keyClick(f.txtCalAD[0], Qt::Key_E, Qt::AltModifier);
  };
  QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(quits, 0);
  EXPECT_EQ(fake.blocksRead, 2);
  EXPECT_EQ(f.txtCalAD[0]->text(), "31100");  // the shortcuts never typed into the box
  EXPECT_FALSE(f.IsACQ());
}

TEST_F(FormTest, UpAndDownWrapAmongTheShownRows) {
  FrmMonitor& f = Open();  // 8 channels of 32 rows
  f.txtUnit[0]->setFocus();
  QTest::keyClick(f.txtUnit[0], Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), f.txtUnit[7]);
  QTest::keyClick(f.txtUnit[7], Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), f.txtUnit[0]);
  QTest::keyClick(f.txtUnit[0], Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), f.txtUnit[1]);
  // Text boxes ignore the modifier and move too.
  QTest::keyClick(f.txtUnit[1], Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), f.txtUnit[0]);
}

TEST_F(FormTest, EnterWalksTheRowInReadingOrder) {
  FrmMonitor& f = Open();
  const RowArray* order[] = {&f.txtRangeMax, &f.txtCalAD, &f.txtName, &f.DisplayLimitA, &f.txtR,
                             &f.txtRangeMin, &f.txtBaseAD, &f.txtUnit, &f.txtG, &f.txtコメント,
                             &f.DisplayLimitB, &f.txtB, &f.txtRangeMax};
  (*order[0])[2]->setFocus();
  for (std::size_t i = 1; i < std::size(order); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), (*order[i])[2]) << "step " << i;
  }
}

// A number too large for a double converts to nothing, as letters do; the
// largest of either sign still steps.
TEST_F(FormTest, ModifiedArrowsStepNumbersOnly) {
  const QString past64Bits = "&H" + QString(17, 'F');
  const struct {
    RowArray FrmMonitor::*boxes;
    QString text;
    Qt::Key key;
    Qt::KeyboardModifier modifier;
    QString after;
  } kCases[] = {
      {&FrmMonitor::txtCalAD, "31100", Qt::Key_Up, Qt::ShiftModifier, "31101"},
      {&FrmMonitor::txtBaseAD, "-140", Qt::Key_Down, Qt::ControlModifier, "-141"},
      {&FrmMonitor::txtRangeMax, "abc", Qt::Key_Up, Qt::ShiftModifier, "abc"},
      {&FrmMonitor::txtRangeMin, "1e400", Qt::Key_Up, Qt::ShiftModifier, "1e400"},
      {&FrmMonitor::txtR, "3d767", Qt::Key_Down, Qt::AltModifier, "3d767"},
      {&FrmMonitor::txtG, "13.4028235E+380", Qt::Key_Up, Qt::ControlModifier, "13.4028235E+380"},
      {&FrmMonitor::txtB, "1e309", Qt::Key_Down, Qt::ShiftModifier, "1e309"},
      {&FrmMonitor::DisplayLimitA, past64Bits, Qt::Key_Up, Qt::AltModifier, past64Bits},
      {&FrmMonitor::DisplayLimitB, "-1.7976931348623157E+308", Qt::Key_Up, Qt::ShiftModifier, "-1.79769313486232e+308"},
      {&FrmMonitor::txtCalAD, "1.7976931348623157E+308", Qt::Key_Down, Qt::ShiftModifier, "1.79769313486232e+308"},
      {&FrmMonitor::txtBaseAD, "&HFFFFFFFFFFFFFFFF", Qt::Key_Down, Qt::ShiftModifier, "1.84467440737096e+19"},
  };
  FrmMonitor& f = Open();
  for (const auto& c : kCases) {
    QLineEdit* box = (f.*c.boxes)[1];
    box->setText(c.text);
    QTest::keyClick(box, c.key, c.modifier);
    EXPECT_EQ(box->text(), c.after) << c.text.toStdString();
  }
}

TEST_F(FormTest, ColourPresetsAndClampedComponents) {
  WriteInit("DEBUG");
  FrmMonitor& f = Open();
  QTest::mouseClick(f.lblRGB, Qt::LeftButton);
  EXPECT_EQ(f.txtR[0]->text(), "255");
  EXPECT_EQ(f.txtG[1]->text(), "120");
  EXPECT_EQ(f.txtB[2]->text(), "255");
  EXPECT_EQ(f.Traces()[0].colour, 255);
  EXPECT_EQ(f.Traces()[1].colour, 120 * 256);
  EXPECT_EQ(f.Traces()[2].colour, 255 * 65536);
  EXPECT_EQ(f.Traces()[3].colour, 0);
  f.txtG[3]->setText("300");
  EXPECT_EQ(f.Traces()[3].colour, 255 * 256);  // clamped, not bled into blue
  f.txtG[3]->setText("-1");
  EXPECT_EQ(f.Traces()[3].colour, 255 * 256);  // an error keeps the colour
  f.txtG[3]->setText("x");
  EXPECT_EQ(f.Traces()[3].colour, 255 * 256);
}

TEST_F(FormTest, AnOverflowingDisplayLimitKeepsTheTrace) {
  FrmMonitor& f = Open();
  f.DisplayLimitA[0]->setText("5");
  const TraceParams before = f.Traces()[0];
  EXPECT_NE(before.gain, 1.0f);
  f.DisplayLimitA[0]->setText("1E+30");
  EXPECT_EQ(f.Traces()[0].gain, before.gain);
  EXPECT_EQ(f.Traces()[0].offset, before.offset);
  f.DisplayLimitA[0]->setText("-10");  // equal limits: a flat trace
  EXPECT_EQ(f.Traces()[0].gain, 0.0f);
}

TEST_F(FormTest, RowsShareThePlotHeightAndTheFormKeepsItsMinimum) {
  WriteInit("NI-USB-6008-D");  // 4 channels
  FrmMonitor& f = Open();
  ASSERT_EQ(f.ChannelCount(), 4);
  f.resize(1000, 900);
  QApplication::processEvents();
  const int plot = f.Picture1->height();
  EXPECT_EQ(f.Picture2->height(), plot);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(f.Picture3[i]->height(), plot / 4.0, 1.0);
    EXPECT_NEAR(f.Picture3[i]->y(), i * plot / 4.0, 1.0);
    EXPECT_EQ(f.DisplayLimitB[i]->geometry().bottom() + 1, f.Picture3[i]->height());
  }
  EXPECT_EQ(f.Picture1->width(), 1000 - 5160 / 15 - 270 / 15);
  // The library scales the traces by the plot window's rectangle.
  RECT r{};
  ASSERT_TRUE(GetWindowRect(f.Picture1->hWnd(), &r));
  EXPECT_EQ(r.right - r.left, f.Picture1->width());
  EXPECT_EQ(r.bottom - r.top, plot);
  f.resize(1000, 300);
  QTest::qWait(20);
  EXPECT_EQ(f.height(), 13410 / 15);
}

// Beyond 16 rows every row keeps the height of its three lines and the rows
// scroll: each box of all 32 rows can be read and reached.
TEST_F(FormTest, ThirtyTwoRowsKeepTheirBoxesAndScroll) {
  WriteInit("RQE-73-58-9-CB-L");
  FrmMonitor& f = Open();
  ASSERT_EQ(f.ChannelCount(), 32);
  QApplication::processEvents();
  for (int i = 0; i < 32; ++i) {
    QWidget* row = f.Picture3[i];
    if (i > 0) {
      EXPECT_GT(row->y(), f.Picture3[i - 1]->geometry().bottom()) << "row " << i;
    }
    for (QLineEdit* box : row->findChildren<QLineEdit*>())
      EXPECT_TRUE(row->rect().contains(box->geometry())) << "row " << i << " " << box->objectName().toStdString();
    EXPECT_GT(f.DisplayLimitB[i]->y(), f.DisplayLimitA[i]->geometry().bottom()) << "row " << i;
  }
  f.txtRangeMin[30]->setFocus();
  QTest::keyClick(f.txtRangeMin[30], Qt::Key_Down);
  ASSERT_EQ(QApplication::focusWidget(), f.txtRangeMin[31]);
  EXPECT_EQ(f.txtRangeMin[31]->visibleRegion().boundingRect(), f.txtRangeMin[31]->rect());
}

TEST_F(FormTest, AStoreThatCannotBeWrittenAtCloseIsReported) {
  QDir().mkpath(folder.file("Debug/Property.ini"));  // a folder where the file should be
  Open();
  Close();
  ASSERT_EQ(warnings.size(), 1);
  EXPECT_TRUE(warnings[0].contains("Property.ini")) << warnings[0].toStdString();
}

TEST_F(FormTest, ClosingStopsTheBoardAndKeepsTheControlsForTheNextStart) {
  WriteInit("DEBUG");
  FrmMonitor& f = Open();
  f.txtName[2]->setText(QString::fromUtf8("圧力"));
  f.txt掃引時間->setText("2.5");
  f.txtR[15]->setText("17");
  f.chkCSVOut->setCheckState(Qt::Checked);
  Close();
  EXPECT_EQ(fake.CallsOf("StopSampling").size(), 1u);
  EXPECT_EQ(fake.CallsOf("CloseBoard").size(), 1u);
  ASSERT_TRUE(QFile::exists(folder.file("Debug/Property.ini")));
  FrmMonitor& again = Open();
  EXPECT_EQ(again.txtName[2]->text(), QString::fromUtf8("圧力"));
  EXPECT_EQ(again.txt掃引時間->text(), "2.5");
  EXPECT_EQ(again.txtR[15]->text(), "17");
  EXPECT_EQ(again.chkCSVOut->checkState(), Qt::Checked);
  EXPECT_EQ(again.txtCnt->text(), "0");  // cleared at load whatever was saved
  EXPECT_TRUE(warnings.isEmpty());
}

}  // namespace
}  // namespace orvane::forms

namespace orvane::forms {
namespace {

using testing::FormTest;

// The label naming a row box: in the box's column, on the heads' line that
// matches the box's line within the row (the RGB label starts the first).
QLabel* HeadOf(FrmMonitor& f, QLineEdit* box) {
  for (QLabel* l : f.picPanel->findChildren<QLabel*>())
    if (l != f.lblRGB && l->x() == box->x() && l->y() == f.lblRGB->y() + box->y()) return l;
  return nullptr;
}

TEST_F(FormTest, EveryColumnHasItsHeadAboveItsBoxes) {
  WriteInit("DEBUG");
  FrmMonitor& f = Open();
  const struct {
    RowArray FrmMonitor::*boxes;
    const char* head;
  } kExpected[] = {{&FrmMonitor::txtRangeMax, "MAX"}, {&FrmMonitor::txtRangeMin, "MIN"},
                   {&FrmMonitor::txtCalAD, "AD"},      {&FrmMonitor::txtBaseAD, "OFFSET"},
                   {&FrmMonitor::txtName, "名前"},     {&FrmMonitor::txtUnit, "単位"},
                   {&FrmMonitor::txt換算前, "換算前"}, {&FrmMonitor::txt換算後, "換算後"},
                   {&FrmMonitor::DisplayLimitA, "レンジ"}};
  for (const auto& e : kExpected) {
    QLabel* head = HeadOf(f, (f.*e.boxes)[0]);
    ASSERT_NE(head, nullptr) << e.head;
    EXPECT_EQ(head->text(), QString::fromUtf8(e.head));
    // The heads stay in the panel, clear of the plot and the rows below.
    EXPECT_LE(head->geometry().bottom(), f.picPanel->height());
  }
}

TEST_F(FormTest, TheFileListShowsTheCsvFolderAtLoadAndAfterARun) {
  WriteInit("NI-USB-6008-D");
  folder.write("CSV/20240101_000000.CSV", "1,\r\n");
  folder.write("CSV/old.csv", "1,\r\n");
  folder.write("CSV/notes.txt", "x");
  FrmMonitor& f = Open();
  auto listed = [&f] {
    QStringList names;
    for (int i = 0; i < f.FileCSV->count(); ++i) names << f.FileCSV->item(i)->text();
    return names;
  };
  EXPECT_EQ(listed(), (QStringList{"20240101_000000.CSV", "old.csv"}));
  StopAfter(0);
  f.RunAcquisition();
  EXPECT_EQ(listed(), (QStringList{"20240101_000000.CSV", "20250302_090507.CSV", "old.csv"}));
}

TEST_F(FormTest, TheAxesStyleRecordHoldsSixColoursOfThirtyTwoValues) {
  FrmMonitor& f = Open();
  const AxesStyle& a = f.AxesStyleRecord();
  const LONG expected[6] = {-1, 224 + 256 * 255 + 65536 * 224, 255 + 256 * 192 + 65536 * 192, 65536 * 127, -1, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(a[i], expected[i]) << i;
  for (int i = 6; i < 32; ++i) EXPECT_EQ(a[i], 0) << i;
}

TEST_F(FormTest, EnteringARowBoxSelectsItsText) {
  WriteInit("DEBUG");
  FrmMonitor& f = Open();
  f.txtCalAD[2]->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(f.txtCalAD[2]->selectedText(), "31100");
  QTest::keyClicks(f.txtCalAD[2], "500");
  EXPECT_EQ(f.txtCalAD[2]->text(), "500");  // typing replaces the selection
  f.txtCalAD[2]->deselect();
  f.SelText(f.txtCalAD[2]);
  EXPECT_EQ(f.txtCalAD[2]->selectionStart(), 0);
  EXPECT_EQ(f.txtCalAD[2]->selectionLength(), 3);
}

}  // namespace
}  // namespace orvane::forms
