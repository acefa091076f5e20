// A main form on a fresh program folder with the recording library double.
#pragma once
#include <gtest/gtest.h>

#include <winbase.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "fake_vekmath.h"
#include "monitor_form.h"
#include "temp_folder.h"

namespace orvane::forms::testing {

class FormTest : public ::testing::Test {
 protected:
  // The board class loads the real library by its fixed path, as the
  // program does: under a root of this test's own, and kept loaded as the
  // program keeps it (the program binds it by name before the board).
  FormTest() {
    qputenv("ORVANE_ROOT", root.path().toUtf8());
    library = LoadLibraryA("Vekmath.dll");
  }
  void WriteInit(const char* board, const char* device = nullptr) {
    QByteArray text = QByteArray("[ADBOARD]\r\nBoard=") + board + "\r\n";
    if (device) text += QByteArray("DeviceName=") + device + "\r\n";
    folder.write("Init.ini", text);
  }
  FrmMonitor& Open() {
    FrmMonitor::Options options;
    options.programFolder = folder.path();
    options.now = [this] { return clock; };
    options.quit = [this] { ++quits; };
    options.warn = [this](const QString& text) { warnings << text; };
    options.stopGraceMs = stopGraceMs;
    options.cameraWait = [this] { if (cameraWait) cameraWait(); };
    form = std::make_unique<FrmMonitor>(std::move(options));
    form->show();
    QApplication::setActiveWindow(form.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    return *form;
  }
  void Close() {
    form->close();
    form.reset();
  }
  // Stops the run once this many blocks were handed out, as the operator
  // ticking the stop box during the next block would.
  void StopAfter(int blocks) {
    fake.onReadBlock = [this, blocks](LONG block) {
      if (block == blocks) form->chk終了->setCheckState(Qt::Checked);
    };
  }

  QTemporaryDir root;
  HMODULE library = nullptr;
  ProgramFolder folder;
  FakeVekmath fake;
  QDateTime clock{QDate(2025, 3, 2), QTime(9, 5, 7)};
  int quits = 0;
  QStringList warnings;
  int stopGraceMs = 2000;
  std::function<void()> cameraWait;  // the camera form's settling waits
  std::unique_ptr<FrmMonitor> form;
};

}  // namespace orvane::forms::testing
