#include "control_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>
#include <optional>

#include "ini_batch.h"
#include "toolkit_text.h"

namespace orvane::forms {
namespace {

// One control's section of the batch.
class Ini {
 public:
  Ini(IniBatch& batch, const QString& section) : batch_(batch), section_(ToAnsi(section)) {}
  void Write(const char* key, const QString& value) const { batch_.Write(section_, key, ToAnsi(value)); }
  std::optional<QString> Read(const char* key) const {
    auto value = batch_.Read(section_, key);
    if (!value) return std::nullopt;
    return FromAnsi(value->data(), static_cast<int>(value->size()));
  }

 private:
  IniBatch& batch_;
  std::string section_;
};

std::optional<int> ReadInt(const Ini& ini, const char* key) {
  auto text = ini.Read(key);
  if (!text) return std::nullopt;
  bool ok = false;
  int v = text->trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return v;
}

// Check states as the toolkit writes them: 0 unchecked, 1 checked, 2 grey.
int CheckValue(Qt::CheckState s) { return s == Qt::Checked ? 1 : s == Qt::PartiallyChecked ? 2 : 0; }
std::optional<Qt::CheckState> CheckState(int v) {
  switch (v) {
    case 0: return Qt::Unchecked;
    case 1: return Qt::Checked;
    case 2: return Qt::PartiallyChecked;
    default: return std::nullopt;
  }
}

bool Takes(const QWidget* w) {
  if (w->objectName().isEmpty()) return false;
  if (w->property("stored").isValid() && !w->property("stored").toBool()) return false;
  return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
         qobject_cast<const QTextEdit*>(w) || qobject_cast<const QCheckBox*>(w) ||
         qobject_cast<const QRadioButton*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QListWidget*>(w);
}

QList<QWidget*> Controls(QWidget& form) {
  QList<QWidget*> out;
  for (QWidget* w : form.findChildren<QWidget*>()) {
    if (Takes(w)) out.push_back(w);
  }
  return out;
}

// Multi-line text: the lines as the toolkit keeps them.
QString MultiText(QWidget* w) {
  if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return p->toPlainText();
  return qobject_cast<QTextEdit*>(w)->toPlainText();
}
void SetMultiText(QWidget* w, const QString& text) {
  if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
    p->setPlainText(text);
  } else {
    qobject_cast<QTextEdit*>(w)->setPlainText(text);
  }
}

struct ListAccess {
  int count;
  int index;
  std::function<QString(int)> item;
  std::function<void(const QString&)> add;
  std::function<void(int)> select;
};
std::optional<ListAccess> List(QWidget* w) {
  if (auto* c = qobject_cast<QComboBox*>(w)) {
    return ListAccess{c->count(), c->currentIndex(), [c](int i) { return c->itemText(i); },
                      [c](const QString& s) { c->addItem(s); }, [c](int i) { c->setCurrentIndex(i); }};
  }
  if (auto* l = qobject_cast<QListWidget*>(w)) {
    return ListAccess{l->count(), l->currentRow(), [l](int i) { return l->item(i)->text(); },
                      [l](const QString& s) { l->addItem(s); }, [l](int i) { l->setCurrentRow(i); }};
  }
  return std::nullopt;
}

QString StorePath(const QString& programFolder, const QString& path) {
  QDir().mkpath(programFolder + QStringLiteral("/Debug"));
  return path.isEmpty() ? DefaultStorePath(programFolder) : path;
}

}  // namespace

QString ControlSection(const QString& formName, const QWidget& control) {
  QString s = formName + QLatin1Char('.') + control.objectName();
  QVariant index = control.property("index");
  if (index.isValid()) s += QStringLiteral("(%1)").arg(index.toInt());
  return s;
}

QString DefaultStorePath(const QString& programFolder) { return programFolder + QStringLiteral("/Debug/Property.ini"); }

bool SaveAllControls(QWidget& form, const QString& formName, const QString& programFolder, QString path) {
  path = StorePath(programFolder, path);
  IniBatch batch(ToAnsi(QFileInfo(path).absoluteFilePath()));
  for (QWidget* w : Controls(form)) {
    const Ini ini(batch, ControlSection(formName, *w));
    QCoreApplication::processEvents();
    ini.Write("Name", w->objectName());
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      ini.Write("Text", e->text());
    } else if (qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w)) {
      const QString text = MultiText(w);
      const QStringList lines = text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
      ini.Write("Rows", QString::number(lines.size()));
      for (int n = 0; n < lines.size(); ++n) ini.Write(QStringLiteral("%1TextR").arg(n).toLatin1().constData(), lines[n]);
    }
    if (auto list = List(w)) {
      ini.Write("ListIndex", QString::number(list->index));
      ini.Write("ListCount", QString::number(list->count));
    }
    if (auto* c = qobject_cast<QCheckBox*>(w)) ini.Write("Value", QString::number(CheckValue(c->checkState())));
    if (auto* r = qobject_cast<QRadioButton*>(w)) ini.Write("Value", r->isChecked() ? "True" : "False");
    if (auto list = List(w)) {
      for (int i = 0; i < list->count; ++i) {
        const QString item = list->item(i);
        if (!item.isEmpty()) ini.Write(QStringLiteral("List(%1)").arg(i).toLatin1().constData(), item);
      }
    }
  }
  const bool saved = batch.Commit();
  QCoreApplication::processEvents();
  return saved;
}

void RestoreAllControls(QWidget& form, const QString& formName, const QString& programFolder, QString path) {
  path = StorePath(programFolder, path);
  if (!QFileInfo(path).isFile()) return;
  IniBatch batch(ToAnsi(QFileInfo(path).absoluteFilePath()));
  for (QWidget* w : Controls(form)) {
    const Ini ini(batch, ControlSection(formName, *w));
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      // Read raw: an emptied box and a text with ";" come back as saved.
      if (auto text = ini.Read("Text")) e->setText(*text);
    } else if (qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w)) {
      if (auto rows = ReadInt(ini, "Rows"); rows && *rows >= 0) {
        QStringList lines;
        for (int n = 0; n < *rows && n < 100000; ++n)
          lines.push_back(ini.Read(QStringLiteral("%1TextR").arg(n).toLatin1().constData()).value_or(QString()));
        // Line breaks between the lines only: a save and restore cycle
        // gives back the same text.
        SetMultiText(w, lines.join(QLatin1Char('\n')));
      }
    }
    if (auto* c = qobject_cast<QCheckBox*>(w)) {
      if (auto v = ReadInt(ini, "Value")) {
        if (auto s = CheckState(*v)) c->setCheckState(*s);
      }
    }
    if (auto* r = qobject_cast<QRadioButton*>(w)) {
      if (auto v = ini.Read("Value")) {
        if (v->compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) r->setChecked(true);
        if (v->compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) r->setChecked(false);
      }
    }
    if (auto list = List(w)) {
      // Entries first, so that an index into entries only the file holds
      // takes.
      const int count = ReadInt(ini, "ListCount").value_or(list->count);
      for (int i = 0; i < count && i < 100000; ++i) {
        auto item = ini.Read(QStringLiteral("List(%1)").arg(i).toLatin1().constData());
        if (!item || item->isEmpty()) continue;
        bool present = false;
        for (int k = 0; k < List(w)->count && !present; ++k) present = List(w)->item(k) == *item;
        if (!present) list->add(*item);
      }
      if (auto index = ReadInt(ini, "ListIndex"); index && *index >= -1 && *index < List(w)->count) list->select(*index);
    }
    QCoreApplication::processEvents();
  }
}

}  // namespace orvane::forms
