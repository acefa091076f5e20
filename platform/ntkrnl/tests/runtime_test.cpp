// Registry queries, strings, pool, probes, copies to and from caller memory
// and the resource map.
#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <utility>
#include <string>
#include <vector>

#include "kernel_fixture.h"

using RuntimeTest = KernelTest;

namespace {

std::u16string wide(const UNICODE_STRING& s) { return std::u16string(s.Buffer, s.Length / 2); }

const char16_t* kKeyPath = u"\\Registry\\Machine\\System\\CurrentControlSet\\Services\\Q\\GroupNumber1";

}  // namespace

TEST_F(RuntimeTest, RegistryQueriesReadTheWin32Store) {
  HKEY key = createKey("SYSTEM\\CurrentControlSet\\Services\\Q\\GroupNumber1");
  setDword(key, "IrqNo", 0xFFFFFFFF);
  setString(key, "BoardName", "ADA16-PCI");
  const char expandable[] = "%SystemRoot%\\x";
  RegSetValueExA(key, "ImagePath", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expandable), sizeof expandable);
  RegCloseKey(key);
  ULONG irq = 7;
  ULONG missing = 1234;
  UNICODE_STRING name{};
  RTL_QUERY_REGISTRY_TABLE table[4] = {};
  table[0] = {nullptr, RTL_QUERY_REGISTRY_DIRECT, const_cast<PWSTR>(u"IRQNO"), &irq, REG_NONE, nullptr, 0};
  table[1] = {nullptr, RTL_QUERY_REGISTRY_DIRECT, const_cast<PWSTR>(u"BoardNum"), &missing, REG_NONE, nullptr, 0};
  table[2] = {nullptr, RTL_QUERY_REGISTRY_DIRECT, const_cast<PWSTR>(u"BoardName"), &name, REG_NONE, nullptr, 0};
  const ULONG blocks = NtkPoolOutstanding(nullptr);
  ASSERT_EQ(RtlQueryRegistryValues(RTL_REGISTRY_ABSOLUTE, kKeyPath, table, nullptr, nullptr), STATUS_SUCCESS);
  EXPECT_EQ(irq, 0xFFFFFFFFu);
  EXPECT_EQ(missing, 1234u) << "a missing value leaves the variable";
  EXPECT_EQ(wide(name), u"ADA16-PCI");
  RtlFreeUnicodeString(&name);
  // The type check fills a string from an expandable text as from a text.
  UNICODE_STRING image{};
  RTL_QUERY_REGISTRY_TABLE checked[2] = {};
  checked[0] = {nullptr, RTL_QUERY_REGISTRY_DIRECT | RTL_QUERY_REGISTRY_TYPECHECK, const_cast<PWSTR>(u"ImagePath"),
                &image, REG_SZ << RTL_QUERY_REGISTRY_TYPECHECK_SHIFT, nullptr, 0};
  ASSERT_EQ(RtlQueryRegistryValues(RTL_REGISTRY_ABSOLUTE, kKeyPath, checked, nullptr, nullptr), STATUS_SUCCESS);
  EXPECT_EQ(wide(image), u"%SystemRoot%\\x");
  RtlFreeUnicodeString(&image);

  const char16_t* absent = u"\\Registry\\Machine\\System\\CurrentControlSet\\Services\\Q\\GroupNumber2";
  EXPECT_EQ(RtlQueryRegistryValues(RTL_REGISTRY_ABSOLUTE | RTL_REGISTRY_OPTIONAL, absent, table, nullptr, nullptr),
            STATUS_SUCCESS);
  EXPECT_EQ(RtlQueryRegistryValues(RTL_REGISTRY_ABSOLUTE, absent, table, nullptr, nullptr),
            STATUS_OBJECT_NAME_NOT_FOUND);
  EXPECT_EQ(NtkPoolOutstanding(nullptr), blocks);
}

TEST_F(RuntimeTest, StringsBuildAKeyPathAndStayInTheirBuffers) {
  const ULONG blocks = NtkPoolOutstanding(nullptr);
  WCHAR buffer[24];
  UNICODE_STRING path{0, sizeof buffer, buffer};
  UNICODE_STRING number{0, 0, nullptr};
  WCHAR digits[4];
  number = {0, sizeof digits, digits};
  ASSERT_EQ(RtlAppendUnicodeToString(&path, u"\\GroupNumber"), STATUS_SUCCESS);
  ASSERT_EQ(RtlIntegerToUnicodeString(16, 10, &number), STATUS_SUCCESS);
  ASSERT_EQ(RtlAppendUnicodeStringToString(&path, &number), STATUS_SUCCESS);
  EXPECT_EQ(wide(path), u"\\GroupNumber16");
  EXPECT_EQ(RtlAppendUnicodeToString(&path, u"\\BoardNumber1"), STATUS_BUFFER_TOO_SMALL);
  EXPECT_EQ(wide(path), u"\\GroupNumber16");
  EXPECT_EQ(RtlIntegerToUnicodeString(123456, 10, &number), STATUS_BUFFER_OVERFLOW);

  // Into a fixed field: cut to fit beside the terminator.
  UNICODE_STRING model;
  RtlInitUnicodeString(&model, u"ABCDEFGH");
  char field[6];
  ANSI_STRING ansi{0, sizeof field, field};
  EXPECT_EQ(RtlUnicodeStringToAnsiString(&ansi, &model, FALSE), STATUS_BUFFER_OVERFLOW);
  EXPECT_STREQ(field, "ABCDE");
  ASSERT_EQ(RtlUnicodeStringToAnsiString(&ansi, &model, TRUE), STATUS_SUCCESS);
  EXPECT_EQ(std::string(ansi.Buffer, ansi.Length), "ABCDEFGH");
  RtlFreeAnsiString(&ansi);
  EXPECT_EQ(NtkPoolOutstanding(nullptr), blocks);
}

// A counted string takes what fills it exactly, its terminator only where
// there is room beside the text, and refuses one character more whole.
TEST_F(RuntimeTest, CountedStringsFillToTheirLastByteAndNoFurther) {
  using Op = NTSTATUS (*)(PUNICODE_STRING);
  const Op four = [](PUNICODE_STRING s) { return RtlAppendUnicodeToString(s, u"ABCD"); };
  const Op five = [](PUNICODE_STRING s) { return RtlAppendUnicodeToString(s, u"ABCDE"); };
  const Op digits = [](PUNICODE_STRING s) { return RtlIntegerToUnicodeString(1234, 10, s); };
  struct Row {
    Op op;
    USHORT maximum;
    NTSTATUS status;
    USHORT length;
    bool terminated;
  } rows[] = {
      {four, 8, STATUS_SUCCESS, 8, false},   {five, 8, STATUS_BUFFER_TOO_SMALL, 0, false},
      {four, 10, STATUS_SUCCESS, 8, true},   {digits, 8, STATUS_SUCCESS, 8, false},
      {digits, 6, STATUS_BUFFER_OVERFLOW, 0, false}, {digits, 10, STATUS_SUCCESS, 8, true},
  };
  for (const Row& row : rows) {
    WCHAR buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), WCHAR{0x7777});
    UNICODE_STRING text{0, row.maximum, buffer};
    EXPECT_EQ(row.op(&text), row.status) << row.maximum;
    EXPECT_EQ(text.Length, row.length) << row.maximum;
    EXPECT_EQ(buffer[row.length / 2], row.terminated ? 0 : 0x7777) << row.maximum;
  }

  // To ANSI: the terminator always has its byte within the buffer.
  struct AnsiRow {
    const char16_t* text;
    NTSTATUS status;
    const char* kept;
  } ansiRows[] = {{u"ABCDE", STATUS_SUCCESS, "ABCDE"}, {u"ABCDEF", STATUS_BUFFER_OVERFLOW, "ABCDE"}};
  for (const AnsiRow& row : ansiRows) {
    char field[8];
    std::memset(field, 'x', sizeof field);
    ANSI_STRING ansi{0, 6, field};
    UNICODE_STRING source;
    RtlInitUnicodeString(&source, row.text);
    EXPECT_EQ(RtlUnicodeStringToAnsiString(&ansi, &source, FALSE), row.status);
    EXPECT_STREQ(field, row.kept);
    EXPECT_EQ(field[6], 'x') << "past the buffer";
  }
  // The longest ANSI text a counted string holds: 0xFFFD bytes and the
  // terminator (two bytes to each kana); one byte more is refused.
  for (const auto& [kana, status] : {std::pair{size_t{0x7FFE}, STATUS_SUCCESS}, {0x7FFF, STATUS_INVALID_PARAMETER}}) {
    std::u16string wide(kana, u'\u3042');
    if (kana == 0x7FFE) wide += u'A';
    UNICODE_STRING source{static_cast<USHORT>(wide.size() * 2), static_cast<USHORT>(wide.size() * 2), wide.data()};
    ANSI_STRING ansi{};
    EXPECT_EQ(RtlUnicodeStringToAnsiString(&ansi, &source, TRUE), status) << kana;
    if (status == STATUS_SUCCESS) {
      EXPECT_EQ(ansi.Length, 0xFFFD);
      RtlFreeAnsiString(&ansi);
    }
  }
}

TEST_F(RuntimeTest, ThePoolCountsBlocksAndFailsWhereTheHookSays) {
  NtkSetPoolFailureHook([](POOL_TYPE, SIZE_T, ULONG tag, PVOID) -> BOOLEAN { return tag == 0x6B646444; }, nullptr);
  SIZE_T before = 0;
  const ULONG blocks = NtkPoolOutstanding(&before);
  EXPECT_EQ(ExAllocatePoolWithTag(NonPagedPool, 16, 0x6B646444), nullptr);
  void* block = ExAllocatePool(PagedPool, 100);
  ASSERT_NE(block, nullptr);
  SIZE_T bytes = 0;
  EXPECT_EQ(NtkPoolOutstanding(&bytes), blocks + 1);
  EXPECT_EQ(bytes, before + 100);
  ExFreePool(block);
  EXPECT_EQ(NtkPoolOutstanding(nullptr), blocks);
}

TEST_F(RuntimeTest, ProbesFailCleanlyOnMemoryTheCallerCannotReach) {
  const long page = sysconf(_SC_PAGESIZE);
  // Writable, read-only, writable, a hole.
  auto* region = static_cast<char*>(mmap(nullptr, 4 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(region, MAP_FAILED);
  ASSERT_EQ(mprotect(region + page, page, PROT_READ), 0);
  ASSERT_EQ(munmap(region + 3 * page, page), 0);
  struct Case {
    void* address;
    SIZE_T length;
    bool write;
    NTSTATUS status;
  } cases[] = {
      {region, 16, true, STATUS_SUCCESS},
      {region, static_cast<SIZE_T>(page), true, STATUS_SUCCESS},  // to the mapping's last byte
      {region + 2 * page, 16, true, STATUS_SUCCESS},              // just after the read-only page
      {region, 0, true, STATUS_SUCCESS},  // nothing to reach
      {nullptr, 4, false, STATUS_ACCESS_VIOLATION},
      {region + page - 8, 16, false, STATUS_SUCCESS},
      {region + page - 8, 16, true, STATUS_ACCESS_VIOLATION},  // runs into the read-only page
      {region + 3 * page - 4, 8, false, STATUS_ACCESS_VIOLATION},  // into the hole
      {reinterpret_cast<void*>(UINTPTR_MAX - 3), 8, false, STATUS_ACCESS_VIOLATION},  // wraps
      {region + 1, 4, false, STATUS_DATATYPE_MISALIGNMENT},
  };
  for (const Case& c : cases) {
    const NTSTATUS status = c.write ? ProbeForWrite(c.address, c.length, 2) : ProbeForRead(c.address, c.length, 2);
    EXPECT_EQ(status, c.status) << static_cast<void*>(c.address) << " + " << c.length;
  }
  munmap(region, 3 * page);
}

// The platform layer's copy does the work (its own tests hold the cases);
// here, that each call copies its own way round.
TEST_F(RuntimeTest, CopiesWithCallerMemoryAnswerAStatusWhereTheyWouldFault) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  // Writable, read-only, no access.
  auto* region =
      static_cast<char*>(mmap(nullptr, 3 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(region, MAP_FAILED);
  ASSERT_EQ(mprotect(region + page, page, PROT_READ), 0);
  ASSERT_EQ(mprotect(region + 2 * page, page, PROT_NONE), 0);
  char local[16] = "to and from";
  const struct {
    char* user;
    bool toUser;
    NTSTATUS status;
  } cases[] = {
      {region, true, STATUS_SUCCESS},
      {region + page, true, STATUS_ACCESS_VIOLATION},
      {region + page, false, STATUS_SUCCESS},
      {region + 2 * page, false, STATUS_ACCESS_VIOLATION},
  };
  for (const auto& c : cases) {
    const NTSTATUS status = c.toUser ? SafeCopyToUser(c.user, local, sizeof local)
                                     : SafeCopyFromUser(local, c.user, sizeof local);
    EXPECT_EQ(status, c.status) << static_cast<void*>(c.user) << (c.toUser ? " to" : " from");
  }
  EXPECT_STREQ(region, "to and from");
  munmap(region, 3 * page);
}

TEST_F(RuntimeTest, TheResourceMapFindsOverlapsUnlessBothShare) {
  DRIVER_OBJECT driver{};
  PDEVICE_OBJECT a = nullptr;
  PDEVICE_OBJECT b = nullptr;
  UNICODE_STRING nameA;
  UNICODE_STRING nameB;
  RtlInitUnicodeString(&nameA, u"\\Device\\BoardA_01");
  RtlInitUnicodeString(&nameB, u"\\Device\\BoardB_02");
  ASSERT_EQ(IoCreateDevice(&driver, 0, &nameA, 50000, 0, FALSE, &a), STATUS_SUCCESS);
  ASSERT_EQ(IoCreateDevice(&driver, 0, &nameB, 50000, 0, FALSE, &b), STATUS_SUCCESS);
  auto report = [&](PDEVICE_OBJECT device, ULONG port, UCHAR portShare, UCHAR irqShare) {
    struct {
      CM_RESOURCE_LIST list;
      CM_PARTIAL_RESOURCE_DESCRIPTOR more;
    } r{};
    r.list.Count = 1;
    r.list.List[0].InterfaceType = PCIBus;
    CM_PARTIAL_RESOURCE_LIST& partial = r.list.List[0].PartialResourceList;
    partial.Count = 2;
    partial.PartialDescriptors[0].Type = CmResourceTypePort;
    partial.PartialDescriptors[0].ShareDisposition = portShare;
    partial.PartialDescriptors[0].Flags = CM_RESOURCE_PORT_IO;
    partial.PartialDescriptors[0].u.Port.Start.QuadPart = port;
    partial.PartialDescriptors[0].u.Port.Length = 16;
    r.more.Type = CmResourceTypeInterrupt;
    r.more.ShareDisposition = irqShare;
    r.more.u.Interrupt.Level = r.more.u.Interrupt.Vector = 5;
    BOOLEAN conflict = 2;
    EXPECT_EQ(IoReportResourceUsage(nullptr, &driver, nullptr, 0, device, &r.list, sizeof r, FALSE, &conflict),
              STATUS_SUCCESS);
    return conflict == TRUE;
  };
  const UCHAR exclusive = CmResourceShareDeviceExclusive;
  const UCHAR shared = CmResourceShareShared;
  EXPECT_FALSE(report(a, 0x300, exclusive, shared));
  EXPECT_FALSE(report(b, 0x310, exclusive, shared)) << "adjacent ports, a shared line";
  EXPECT_TRUE(report(b, 0x308, exclusive, shared)) << "ports overlap";
  EXPECT_TRUE(report(b, 0x320, exclusive, exclusive)) << "the line is not to be shared";
  EXPECT_FALSE(report(a, 0x2F8, exclusive, shared)) << "a device's new report replaces its own";
  IoDeleteDevice(b);
  IoDeleteDevice(a);
}

// Port ranges of different drivers may touch but not share a port, in
// either order; and a list holds exactly what its size has room for.
TEST_F(RuntimeTest, PortClaimsMeetAtTheirEndsWithoutConflict) {
  DRIVER_OBJECT holder{};
  DRIVER_OBJECT other{};
  DRIVER_OBJECT third{};
  CM_RESOURCE_LIST list{};
  list.Count = 1;
  list.List[0].InterfaceType = PCIBus;
  list.List[0].PartialResourceList.Count = 1;
  CM_PARTIAL_RESOURCE_DESCRIPTOR& port = list.List[0].PartialResourceList.PartialDescriptors[0];
  port.Type = CmResourceTypePort;
  port.ShareDisposition = CmResourceShareDriverExclusive;
  port.Flags = CM_RESOURCE_PORT_IO;
  auto claim = [&](DRIVER_OBJECT& driver, ULONG start, ULONG length) {
    port.u.Port.Start.QuadPart = start;
    port.u.Port.Length = length;
    BOOLEAN conflict = 2;
    EXPECT_EQ(IoReportResourceUsage(nullptr, &driver, &list, sizeof list, nullptr, nullptr, 0, FALSE, &conflict),
              STATUS_SUCCESS);
    return conflict == TRUE;
  };
  ASSERT_FALSE(claim(holder, 0x310, 16));
  const struct {
    ULONG start, length;
    bool conflict;
  } rows[] = {
      {0x300, 16, false}, {0x301, 16, true}, {0x320, 16, false}, {0x31F, 1, true}, {0x30F, 1, false},
  };
  for (const auto& row : rows) EXPECT_EQ(claim(other, row.start, row.length), row.conflict) << std::hex << row.start;
  // Both hold their ranges now.
  ASSERT_FALSE(claim(other, 0x300, 16));
  EXPECT_TRUE(claim(third, 0x30F, 1));
  EXPECT_TRUE(claim(third, 0x310, 1));

  // A list of no descriptors, and a descriptor of no partials, at the sizes
  // they take; a byte short is refused.
  const ULONG countOnly = sizeof list.Count;
  const ULONG full = offsetof(CM_RESOURCE_LIST, List) +
                     offsetof(CM_FULL_RESOURCE_DESCRIPTOR, PartialResourceList.PartialDescriptors);
  list.List[0].PartialResourceList.Count = 0;
  const struct {
    ULONG count, size;
    NTSTATUS status;
  } sizes[] = {
      {0, countOnly, STATUS_SUCCESS}, {0, countOnly - 1, STATUS_INVALID_PARAMETER},
      {1, full, STATUS_SUCCESS}, {1, full - 1, STATUS_INVALID_PARAMETER},
  };
  for (const auto& row : sizes) {
    list.Count = row.count;
    BOOLEAN conflict = 2;
    EXPECT_EQ(IoReportResourceUsage(nullptr, &third, &list, row.size, nullptr, nullptr, 0, FALSE, &conflict),
              row.status)
        << row.count << " " << row.size;
  }
}
