// Counted UTF-16 and ANSI strings.
#include <platform/ansi_text.h>
#include <win/codepage.h>

#include <cstring>
#include <string>

#include "pool.h"

namespace {

constexpr USHORT kMaxBytes = 0xFFFE;

size_t wideLength(PCWSTR text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

NTSTATUS append(PUNICODE_STRING destination, const WCHAR* source, size_t bytes) {
  if (destination == nullptr) return STATUS_INVALID_PARAMETER;
  if (bytes == 0) return STATUS_SUCCESS;
  if (destination->Length + bytes > destination->MaximumLength) return STATUS_BUFFER_TOO_SMALL;
  auto* at = reinterpret_cast<unsigned char*>(destination->Buffer) + destination->Length;
  std::memmove(at, source, bytes);
  destination->Length = static_cast<USHORT>(destination->Length + bytes);
  if (destination->Length + sizeof(WCHAR) <= destination->MaximumLength) {
    destination->Buffer[destination->Length / sizeof(WCHAR)] = 0;
  }
  return STATUS_SUCCESS;
}

}  // namespace

NTKRNL_API VOID NTAPI RtlInitUnicodeString(PUNICODE_STRING DestinationString, PCWSTR SourceString) {
  DestinationString->Buffer = const_cast<PWSTR>(SourceString);
  if (SourceString == nullptr) {
    DestinationString->Length = DestinationString->MaximumLength = 0;
    return;
  }
  size_t bytes = wideLength(SourceString) * sizeof(WCHAR);
  if (bytes > kMaxBytes - sizeof(WCHAR)) bytes = kMaxBytes - sizeof(WCHAR);
  DestinationString->Length = static_cast<USHORT>(bytes);
  DestinationString->MaximumLength = static_cast<USHORT>(bytes + sizeof(WCHAR));
}

NTKRNL_API NTSTATUS NTAPI RtlAppendUnicodeToString(PUNICODE_STRING Destination, PCWSTR Source) {
  if (Source == nullptr) return STATUS_SUCCESS;
  return append(Destination, Source, wideLength(Source) * sizeof(WCHAR));
}

NTKRNL_API NTSTATUS NTAPI RtlAppendUnicodeStringToString(PUNICODE_STRING Destination, PCUNICODE_STRING Source) {
  if (Source == nullptr) return STATUS_SUCCESS;
  return append(Destination, Source->Buffer, Source->Length & ~1u);
}

NTKRNL_API NTSTATUS NTAPI RtlIntegerToUnicodeString(ULONG Value, ULONG Base, PUNICODE_STRING String) {
  if (Base == 0) Base = 10;
  if ((Base != 2 && Base != 8 && Base != 10 && Base != 16) || String == nullptr) return STATUS_INVALID_PARAMETER;
  WCHAR digits[33];
  size_t count = 0;
  do {
    const ULONG digit = Value % Base;
    digits[count++] = static_cast<WCHAR>(digit < 10 ? u'0' + digit : u'A' + digit - 10);
    Value /= Base;
  } while (Value != 0);
  const size_t bytes = count * sizeof(WCHAR);
  if (bytes > String->MaximumLength) return STATUS_BUFFER_OVERFLOW;
  for (size_t i = 0; i < count; ++i) String->Buffer[i] = digits[count - 1 - i];
  String->Length = static_cast<USHORT>(bytes);
  if (bytes + sizeof(WCHAR) <= String->MaximumLength) String->Buffer[count] = 0;
  return STATUS_SUCCESS;
}

NTKRNL_API NTSTATUS NTAPI RtlUnicodeStringToAnsiString(PANSI_STRING DestinationString,
                                                       PCUNICODE_STRING SourceString,
                                                       BOOLEAN AllocateDestinationString) {
  if (DestinationString == nullptr || SourceString == nullptr) return STATUS_INVALID_PARAMETER;
  const int chars = SourceString->Length / 2;
  const int needed =
      chars == 0 ? 0
                 : WideCharToMultiByte(CP_ACP, 0, SourceString->Buffer, chars, nullptr, 0, nullptr, nullptr);
  if (needed < 0 || needed + 1 > kMaxBytes) return STATUS_INVALID_PARAMETER;
  if (AllocateDestinationString) {
    auto* buffer = static_cast<PCHAR>(
        ntk::poolAllocate(PagedPool, static_cast<SIZE_T>(needed) + 1, 0, __builtin_return_address(0)));
    if (buffer == nullptr) return STATUS_INSUFFICIENT_RESOURCES;
    DestinationString->Buffer = buffer;
    DestinationString->MaximumLength = static_cast<USHORT>(needed + 1);
  }
  std::string text(static_cast<size_t>(needed), '\0');
  if (needed > 0) {
    WideCharToMultiByte(CP_ACP, 0, SourceString->Buffer, chars, text.data(), needed, nullptr, nullptr);
  }
  // A text too long keeps as much as fits beside its terminator.
  const size_t room = DestinationString->MaximumLength;
  if (room == 0) return text.empty() ? STATUS_SUCCESS : STATUS_BUFFER_OVERFLOW;
  const size_t copied = text.size() < room ? text.size() : plat::AnsiPrefixLength(text, room - 1);
  if (copied > 0) std::memcpy(DestinationString->Buffer, text.data(), copied);
  DestinationString->Length = static_cast<USHORT>(copied);
  DestinationString->Buffer[copied] = '\0';
  return copied < text.size() ? STATUS_BUFFER_OVERFLOW : STATUS_SUCCESS;
}

NTKRNL_API VOID NTAPI RtlFreeAnsiString(PANSI_STRING AnsiString) {
  if (AnsiString == nullptr) return;
  ntk::poolFree(AnsiString->Buffer);
  AnsiString->Buffer = nullptr;
  AnsiString->Length = AnsiString->MaximumLength = 0;
}

NTKRNL_API VOID NTAPI RtlFreeUnicodeString(PUNICODE_STRING UnicodeString) {
  if (UnicodeString == nullptr) return;
  ntk::poolFree(UnicodeString->Buffer);
  UnicodeString->Buffer = nullptr;
  UnicodeString->Length = UnicodeString->MaximumLength = 0;
}
