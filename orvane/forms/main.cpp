// Orvane, the monitor: shows the board named in Init.ini, channel by
// channel, and records its blocks to CSV files.
#include <winbase.h>

#include <QApplication>
#include <QFileInfo>

#include "monitor_form.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  char path[4096] = {};
  GetModuleFileNameA(nullptr, path, sizeof path - 1);
  orvane::forms::FrmMonitor::Options options;
  options.programFolder = QFileInfo(QString::fromLocal8Bit(path)).absolutePath();
  orvane::forms::FrmMonitor form(std::move(options));
  form.show();
  return app.exec();
}
