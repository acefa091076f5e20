// Texts at the form's Qt boundary: the date text of the start-time box and
// the CP932 bytes of the "A" calls. Numbers go through the core toolkit.
#pragma once
#include <QDateTime>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace orvane::forms {

// The start-time box's text and back; seconds survive the round trip.
QString DateText(const QDateTime& time);
std::optional<QDateTime> ParseDateText(const QString& text);

// Bytes in the ANSI code page (CP932) and back.
std::string ToAnsi(const QString& text);
QString FromAnsi(const char* bytes, int length = -1);

}  // namespace orvane::forms
