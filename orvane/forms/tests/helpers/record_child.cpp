// A monitor that records from the simulated board in a process of its own,
// for the test that kills a run: usage record_child <program folder> <blocks>.
// It reports the count of blocks written on stdout, one line each, and after
// the given count it waits inside the run, file open, until it is killed or
// its stdin closes.
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "monitor_form.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  QApplication app(argc, argv);
  const int hold = std::atoi(argv[2]);
  orvane::forms::FrmMonitor::Options options;
  options.programFolder = QString::fromLocal8Bit(argv[1]);
  options.now = [] { return QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59)); };
  options.quit = [] {};
  orvane::forms::FrmMonitor form(std::move(options));
  QObject::connect(form.txtCnt, &QLineEdit::textChanged, [hold](const QString& text) {
    const int blocks = text.toInt();
    if (blocks == 0) return;
    std::printf("%d\n", blocks);
    std::fflush(stdout);
    if (blocks < hold) return;
    char c;
    while (read(STDIN_FILENO, &c, 1) > 0) {
    }
    _exit(3);  // the test went away without killing us
  });
  form.show();
  QTimer::singleShot(0, &form, [&form] { form.RunAcquisition(); });
  return app.exec();
}
