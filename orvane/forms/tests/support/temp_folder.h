// A fresh program folder per test, removed at the end.
#pragma once
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace orvane::forms::testing {

class ProgramFolder {
 public:
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.path() + "/" + name; }
  void write(const QString& name, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(file(name)).absolutePath());
    QFile f(file(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
  }
  QByteArray read(const QString& name) const {
    QFile f(file(name));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace orvane::forms::testing
