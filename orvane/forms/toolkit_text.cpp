#include "toolkit_text.h"

#include <cstring>

#include "core/ansi_text.h"

namespace orvane::forms {

QString DateText(const QDateTime& time) { return time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")); }

std::optional<QDateTime> ParseDateText(const QString& text) {
  QDateTime t = QDateTime::fromString(text.trimmed(), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
  if (!t.isValid()) return std::nullopt;
  return t;
}

std::string ToAnsi(const QString& text) { return core::ToAnsi(text.toStdString()); }

QString FromAnsi(const char* bytes, int length) {
  if (!bytes) return {};
  if (length < 0) length = static_cast<int>(std::strlen(bytes));
  return QString::fromStdString(core::FromAnsi(std::string_view(bytes, static_cast<std::size_t>(length))));
}

}  // namespace orvane::forms
