#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <memory>

#include <winbase.h>

#include "control_store.h"
#include "support/temp_folder.h"
#include "toolkit_text.h"

namespace orvane::forms {
namespace {

using testing::ProgramFolder;

// A small form with one control of every kind that takes part.
struct Form {
  std::unique_ptr<QWidget> widget = std::make_unique<QWidget>();
  QLineEdit* txtCnt;
  QLineEdit* txtR3;
  QLineEdit* comment;
  QPlainTextEdit* notes;
  QTextEdit* rich;
  QCheckBox* check;
  QRadioButton* optA;
  QRadioButton* optB;
  QListWidget* list;
  QLineEdit* skipped;

  Form() {
    auto named = [this](auto* w, const char* name) {
      w->setParent(widget.get());
      w->setObjectName(QString::fromUtf8(name));
      return w;
    };
    txtCnt = named(new QLineEdit("10"), "txtCnt");
    txtR3 = named(new QLineEdit("0"), "txtR");
    txtR3->setProperty("index", 3);
    comment = named(new QLineEdit(""), "txtコメント");
    comment->setProperty("index", 0);
    notes = named(new QPlainTextEdit(), "notes");
    rich = named(new QTextEdit(), "rtxtCSVJoin");
    check = named(new QCheckBox("x"), "chk終了");
    optA = named(new QRadioButton("a"), "optA");
    optB = named(new QRadioButton("b"), "optB");
    optA->setChecked(true);
    list = named(new QListWidget(), "lstItems");
    skipped = named(new QLineEdit("design"), "FileCSV");
    skipped->setProperty("stored", false);
  }
};

QString Read(const QString& path, const QString& section, const char* key) {
  char buf[1024] = {};
  GetPrivateProfileStringA(ToAnsi(section).c_str(), key, "<none>", buf, sizeof buf, ToAnsi(path).c_str());
  return FromAnsi(buf);
}

TEST(ControlStore, SectionsNameEveryControlAndArrayMember) {
  Form form;
  EXPECT_EQ(ControlSection("frmMonitor", *form.txtCnt), "frmMonitor.txtCnt");
  EXPECT_EQ(ControlSection("frmMonitor", *form.txtR3), "frmMonitor.txtR(3)");
  EXPECT_EQ(ControlSection("frmMonitor", *form.comment), QString::fromUtf8("frmMonitor.txtコメント(0)"));
}

TEST(ControlStore, SavesTheKeysOfEachKind) {
  ProgramFolder folder;
  Form form;
  form.notes->setPlainText("a\nb");
  form.check->setCheckState(Qt::Checked);
  form.list->addItems({"x", "", "y"});
  SaveAllControls(*form.widget, "frmMonitor", folder.path());
  const QString ini = DefaultStorePath(folder.path());
  EXPECT_EQ(Read(ini, "frmMonitor.txtCnt", "Name"), "txtCnt");
  EXPECT_EQ(Read(ini, "frmMonitor.txtCnt", "Text"), "10");
  EXPECT_EQ(Read(ini, "frmMonitor.notes", "Rows"), "2");
  EXPECT_EQ(Read(ini, "frmMonitor.notes", "0TextR"), "a");
  EXPECT_EQ(Read(ini, "frmMonitor.notes", "1TextR"), "b");
  EXPECT_EQ(Read(ini, "frmMonitor.rtxtCSVJoin", "Rows"), "0");
  EXPECT_EQ(Read(ini, QString::fromUtf8("frmMonitor.chk終了"), "Value"), "1");
  EXPECT_EQ(Read(ini, "frmMonitor.optA", "Value"), "True");
  EXPECT_EQ(Read(ini, "frmMonitor.optB", "Value"), "False");
  EXPECT_EQ(Read(ini, "frmMonitor.lstItems", "ListCount"), "3");
  EXPECT_EQ(Read(ini, "frmMonitor.lstItems", "List(0)"), "x");
  EXPECT_EQ(Read(ini, "frmMonitor.lstItems", "List(1)"), "<none>");
  EXPECT_EQ(Read(ini, "frmMonitor.lstItems", "List(2)"), "y");
  EXPECT_EQ(Read(ini, "frmMonitor.FileCSV", "Name"), "<none>");
  // Japanese control names are stored as CP932 bytes.
  const QByteArray bytes = folder.read("Debug/Property.ini");
  EXPECT_TRUE(bytes.contains(QByteArray::fromStdString(ToAnsi(QString::fromUtf8("[frmMonitor.chk終了]")))));
  EXPECT_FALSE(bytes.contains(QString::fromUtf8("終了").toUtf8()));
}

TEST(ControlStore, RestoresWhatWasSavedThroughTheChangeHandlers) {
  ProgramFolder folder;
  {
    Form form;
    form.txtCnt->setText("42");
    form.txtR3->setText("255");
    form.check->setCheckState(Qt::PartiallyChecked);
    form.optB->setChecked(true);
    SaveAllControls(*form.widget, "frmMonitor", folder.path());
  }
  Form form;
  QSignalSpy changed(form.txtR3, &QLineEdit::textChanged);
  RestoreAllControls(*form.widget, "frmMonitor", folder.path());
  EXPECT_EQ(form.txtCnt->text(), "42");
  EXPECT_EQ(form.txtR3->text(), "255");
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(form.check->checkState(), Qt::PartiallyChecked);
  EXPECT_TRUE(form.optB->isChecked());
  EXPECT_FALSE(form.optA->isChecked());
}

// Texts that a cleaning read would lose: an emptied box, ";" and a TAB.
TEST(ControlStore, EmptyTextsAndSeparatorsComeBackAsSaved) {
  ProgramFolder folder;
  {
    Form form;
    form.txtCnt->setText("");
    form.comment->setText("a;b\tc");
    SaveAllControls(*form.widget, "frmMonitor", folder.path());
  }
  Form form;
  RestoreAllControls(*form.widget, "frmMonitor", folder.path());
  EXPECT_EQ(form.txtCnt->text(), "");
  EXPECT_EQ(form.comment->text(), "a;b\tc");
}

TEST(ControlStore, MultiLineTextIsStableOverManyCycles) {
  ProgramFolder folder;
  QString text = "a\nb";
  for (int cycle = 0; cycle < 3; ++cycle) {
    Form form;
    if (cycle == 0) form.notes->setPlainText(text);
    if (cycle > 0) RestoreAllControls(*form.widget, "frmMonitor", folder.path());
    EXPECT_EQ(form.notes->toPlainText(), text) << "cycle " << cycle;
    SaveAllControls(*form.widget, "frmMonitor", folder.path());
  }
  EXPECT_EQ(Read(DefaultStorePath(folder.path()), "frmMonitor.notes", "Rows"), "2");
}

TEST(ControlStore, FilesOfEarlierVersionsRestoreTheSavedLines) {
  ProgramFolder folder;
  folder.write("Debug/Property.ini",
               "[frmMonitor.notes]\r\nName=notes\r\nRows=3\r\n0TextR=a\r\n1TextR=b\r\n2TextR=\r\n");
  Form form;
  RestoreAllControls(*form.widget, "frmMonitor", folder.path());
  EXPECT_EQ(form.notes->toPlainText(), "a\nb\n");
}

// Index 1 points at y, which only the store adds: it takes because the
// entries come first. Index 2 points past the two entries.
TEST(ControlStore, ListEntriesComeFirstSoTheirIndexTakes) {
  for (const auto& [index, row] : {std::pair{"1", 1}, std::pair{"2", -1}}) {
    ProgramFolder folder;
    folder.write("Debug/Property.ini", QByteArray("[frmMonitor.lstItems]\r\nListIndex=") + index +
                                           "\r\nListCount=3\r\nList(0)=x\r\nList(2)=y\r\n");
    Form form;
    form.list->addItem("x");
    RestoreAllControls(*form.widget, "frmMonitor", folder.path());
    ASSERT_EQ(form.list->count(), 2);  // x kept once, y added
    EXPECT_EQ(form.list->item(1)->text(), "y");
    EXPECT_EQ(form.list->currentRow(), row) << "index " << index;
  }
}

TEST(ControlStore, MissingOrBrokenFileKeepsTheDesignValues) {
  ProgramFolder folder;
  {
    Form form;
    RestoreAllControls(*form.widget, "frmMonitor", folder.path());
    EXPECT_EQ(form.txtCnt->text(), "10");
  }
  folder.write("Debug/Property.ini",
               "garbage\r\n[frmMonitor.chk終了]\r\nValue=7\r\n[frmMonitor.notes]\r\nRows=abc\r\n[frmMonitor.optA]\r\n"
               "Value=maybe\r\n");
  Form form;
  form.notes->setPlainText("keep");
  RestoreAllControls(*form.widget, "frmMonitor", folder.path());
  EXPECT_EQ(form.check->checkState(), Qt::Unchecked);
  EXPECT_EQ(form.notes->toPlainText(), "keep");
  EXPECT_TRUE(form.optA->isChecked());
  EXPECT_EQ(form.txtCnt->text(), "10");
}

TEST(ControlStore, AnUnwritableFolderFailsQuietly) {
  ProgramFolder folder;
  folder.write("Debug", "a file where the folder should be");
  Form form;
  EXPECT_FALSE(SaveAllControls(*form.widget, "frmMonitor", folder.path()));
  RestoreAllControls(*form.widget, "frmMonitor", folder.path());
  EXPECT_EQ(form.txtCnt->text(), "10");
}

}  // namespace
}  // namespace orvane::forms
