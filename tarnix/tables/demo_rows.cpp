// The demonstration rows: the models whose look-ups the configuration
// program and the tests exercise, one or more of every bus type, port
// class and sharing code, the PC-card serial models, the COM ports of the
// machine itself, rows that share a device identifier and differ in their
// version key, and the analog boards that the older boards' driver serves.
// The builder pads each table after these rows.
#include "tables/board_models.h"
#include "tables/model_tables.h"

namespace tarnix::tables::demo {
namespace {

constexpr int32_t L = kBusLegacy, P = kBusPci, C = kBusPcCard, U = kBusUsb, M = kBusModule;

constexpr ModelSpec kSerialRows[] = {
    {"COM1", 0, 0, 0, L, nullptr, 0, kBothMachines},
    {"COM2", 0, 0, 0, L, nullptr, 0, kBothMachines},
    {"COM3", 0, 0, 0, L, nullptr, 0, kAt},
    {"COM4", 0, 0, 0, L, nullptr, 0, kAt},
    {"RSI-2C", 0, 0xFFFF, 0, L, nullptr, 0, kBothMachines},
    {"RSI-4C", 0, -1, 0, L, nullptr, 0, kAt},
    {"RSI-4C(PCI)", 0, 2, 0x0151, P, nullptr, 0, kBothMachines},
    {"RSI-8C(PCI)", 0, 2, 0x0152, P, nullptr, 0, kBothMachines},
    {"RSI-1C(PC)", 0, 1, 0, C, "PCMCIA\\DORNELL-RSI_1C_PC-4A10", 0, kBothMachines},
    {"RSI-2C(PC)", 0, 1, 0, C, "PCMCIA\\DORNELL-RSI_2C_PC-8F21", 0, kBothMachines},
    {"RSI-4C(PC)", 0, 1, 0, C, "PCMCIA\\DORNELL-RSI_4C_PC-61B7", 0, kBothMachines},
    {"RSI-2C(USB)", 0, 3, 0, U, nullptr, 0, kBothMachines},
    {"RSI-2C(98)", 0, 0, 0, L, nullptr, 0, kPc98},
    // One unit whose ports share one I/O base and one interrupt line.
    {"LTU-5J(PC)", 0, 1, 0, C, "PCMCIA\\DORNELL-LTU_5J_PC-5D03", 0, kBothMachines},
};

// Board types and device identifiers as the simulated PCI boards carry them.
constexpr ModelSpec kAnalogRows[] = {
    {"MVA-1216PCI", 0, 0, 0x0121, P, nullptr, 0, kBothMachines},
    {"MVA-1216FPCI", 0, 1, 0x0122, P, nullptr, 0, kBothMachines},
    {"MVA-1616PCI", 0, 2, 0x0123, P, nullptr, 0, kBothMachines},
    {"MVA-1616FPCI", 0, 3, 0x0124, P, nullptr, 0, kBothMachines},
    {"MVA-1208PCI", 0, 50, 0x0125, P, nullptr, 0, kBothMachines},
    {"MVA-1216SPCI", 0, 54, 0x0126, P, nullptr, 0, kBothMachines},
    {"MVA-1616MPCI", 0, 201, 0x0127, P, nullptr, 0, kBothMachines},
    {"MVA-1616MFPCI", 0, 203, 0x0128, P, nullptr, 0, kBothMachines},
    {"MVA-16128PCI", 0, 0xFFFF, 0x0129, P, nullptr, 0, kBothMachines},
    {"QAD-12", 1, 5, 0, L, nullptr, 0, kAt},
    {"QAD-12(98)", 2, 5, 0, L, nullptr, 0, kPc98},
    {"QAD-16(PC)", 50, 7, 0, C, "PCMCIA\\DORNELL-QAD_16_PC-1C3D", 0, kBothMachines},
    {"QAD-8(USB)", 55, 8, 0, U, nullptr, 0, kBothMachines},
};

// "DIO-48PCI" and "DIO-48PCI-H" share a device identifier; the version
// key tells them apart.
constexpr ModelSpec kDigitalRows[] = {
    {"DIO-32PCI", 0, 0, 0x0161, P, nullptr, 0, kBothMachines | kBothVariants},
    {"DIO-48PCI", 0, 1, 0x0162, P, nullptr, 0, kBothMachines | kBothVariants},
    {"DIO-48PCI-H", 0, 1, 0x0162, P, nullptr, 1, kBothMachines | kSecondVariant},
    {"DIO-16(PC)", 1, 2, 0, C, "PCMCIA\\DORNELL-DIO_16_PC-2B44", 0, kBothMachines | kBothVariants},
    {"DIO-8(USB)", 2, 3, 0, U, nullptr, 0, kBothMachines | kSecondVariant},
    {"DIO-96", 4, 0xFFFF, 0, L, nullptr, 0, kAt | kBothVariants},
    {"DIO-96(98)", 5, 0xFFFF, 0, L, nullptr, 0, kPc98 | kBothVariants},
    // The base name of a variant pair stays in the table of older drivers.
    {"QDI-48/48V(PCI)", 3, 4, 0x0163, P, nullptr, 0, kBothMachines | kFirstVariant},
    // Its BoardID is a two-bit switch.
    {"QAT-48/48V(PCI)", 0, 6, 0x0164, P, nullptr, 0, kBothMachines | kBothVariants},
};

constexpr ModelSpec kGpibRows[] = {
    {"GPI-PCI", 1, 0, 0x0171, P, nullptr, 0, kBothMachines},
    {"GPI-ISA", 2, 1, 0, L, nullptr, 0, kBothMachines},
    {"GPI(PC)", 3, 2, 0, C, "PCMCIA\\DORNELL-GPI_PC-77E0", 0, kBothMachines},
    {"GPI(USB)", 4, 3, 0, U, nullptr, 0, kAt},
};

constexpr ModelSpec kCounterRows[] = {
    {"CNT-4PCI", 0, 0, 0x0181, P, nullptr, 0, kBothMachines},
    {"CNT-2(PC)", 1, 1, 0, C, "PCMCIA\\DORNELL-CNT_2_PC-0D92", 0, kBothMachines},
    {"CNT-8", 2, -1, 0, L, nullptr, 0, kBothMachines},
};

// Stepper rows keep their own driver numbers; the driver-number look-up
// answers the machine type for them instead.
constexpr ModelSpec kStepperRows[] = {
    {"SMC-4PCI", 0, 0, 0x0191, P, nullptr, 0, kBothMachines},
    {"SMC-2", 1, 1, 0, L, nullptr, 0, kBothMachines},
    {"SMC-4(98)", 1, 2, 0, L, nullptr, 0, kPc98},
};

constexpr ModelSpec kComPortRows[] = {
    {"RSC-4PCI", 0, 0, 0x01A1, P, nullptr, 0, kBothMachines | kBothVariants},
    {"RSC-4PCI-R2", 0, 0, 0x01A1, P, nullptr, 1, kBothMachines | kBothVariants},
    {"RSC-8PCI", 0, 1, 0x01A2, P, nullptr, 0, kBothMachines | kBothVariants},
    {"RSC-2(ISA)", 0, 2, 0, L, nullptr, 0, kBothMachines | kBothVariants},
    {"RSC-4U(USB)", 0, 3, 0, U, nullptr, 0, kBothMachines | kSecondVariant},
    {"RSC-4(MF)", 0, 4, 0, M, nullptr, 0, kAt | kBothVariants},
};

constexpr ModelSpec kModuleRows[] = {
    {"FLN-BASE", 0, 0, 0, M, nullptr, 0, kBothMachines},
};

//  name, channels, baud, port class, sharing, uart, rx, tx, force, auto RS-485
constexpr SerialSpec kSerialInfoRows[] = {
    {"COM1", 1, 0, 0, 0, "16550", 8, 1, 1, 0},
    {"COM2", 1, 0, 0, 0, "16550", 8, 1, 1, 0},
    {"COM3", 1, 0, 0, 0, "16550", 8, 1, 1, 0},
    {"COM4", 1, 0, 0, 0, "16550", 8, 1, 1, 0},
    {"RSI-2C", 2, 1, 0, 0, "16550", 14, 16, 1, 0},
    {"RSI-4C", 4, 1, 0, 2, "16550", 14, 16, 1, 0},
    {"RSI-4C(PCI)", 4, 2, 1, 1, "16C950", 64, 64, 1, 1},
    {"RSI-8C(PCI)", 8, 2, 2, 1, "16C950", 64, 64, 1, 1},
    {"RSI-1C(PC)", 1, 1, 0, 0, "16550", 8, 1, 0, 0},
    {"RSI-2C(PC)", 2, 1, 3, 0, "16550", 8, 1, 0, 0},
    {"RSI-4C(PC)", 4, 1, 0, 1, "16C650", 16, 16, 1, 0},
    {"RSI-2C(USB)", 2, 3, 0, 0, "USB", 0, 0, 0, 0},
    {"RSI-2C(98)", 2, 0, 0, 1, "8251", 1, 1, 0, 0},
    {"LTU-5J(PC)", 8, 1, 0, 0, "16550", 8, 1, 0, 0},
};

//  name, channels, bits, range in volts, fastest scan step in microseconds
constexpr AnalogSpec kAnalogInfoRows[] = {
    {"MVA-1216PCI", 16, 12, 10.0, 4.0},   {"MVA-1216FPCI", 16, 12, 10.0, 1.0}, {"MVA-1616PCI", 16, 16, 10.0, 4.0},
    {"MVA-1616FPCI", 16, 16, 10.0, 1.0},  {"MVA-1208PCI", 8, 12, 5.0, 4.0},    {"MVA-1216SPCI", 16, 12, 10.0, 20.0},
    {"MVA-1616MPCI", 16, 16, 10.0, 4.0},  {"MVA-1616MFPCI", 16, 16, 10.0, 1.0}, {"MVA-16128PCI", 128, 16, 10.0, 4.0},
    {"QAD-12", 8, 12, 5.0, 25.0},         {"QAD-12(98)", 8, 12, 5.0, 25.0},    {"QAD-16(PC)", 16, 16, 10.0, 10.0},
    {"QAD-8(USB)", 8, 16, 10.0, 50.0},
};

constexpr ValuesSpec kDigitalInfoRows[] = {
    {"DIO-32PCI", {32, 16, 16, 1, 0, 0, 4, 1}},    {"DIO-48PCI", {48, 24, 24, 1, 0, 0, 6, 1}},
    {"DIO-48PCI-H", {48, 24, 24, 1, 1, 0, 6, 1}},  {"DIO-16(PC)", {16, 8, 8, 0, 0, 0, 2, 0}},
    {"DIO-8(USB)", {8, 4, 4, 0, 0, 1, 1, 0}},      {"DIO-96", {96, 48, 48, 0, 0, 0, 12, 0}},
    {"DIO-96(98)", {96, 48, 48, 0, 0, 0, 12, 0}},  {"QDI-48/48V(PCI)", {0, 48, 48, 1, 0, 0, 6, 1}},
    {"QAT-48/48V(PCI)", {48, 24, 24, 1, 0, 0, 6, 1}},
};

constexpr ValuesSpec kCounterInfoRows[] = {
    {"CNT-4PCI", {4, 32, 10000000, 1, 1, 0}},
    {"CNT-2(PC)", {2, 24, 8000000, 1, 0, 0}},
    {"CNT-8", {8, 16, 4000000, 0, 0, 1}},
};

constexpr ValuesSpec kStepperInfoRows[] = {{"SMC-4PCI", {4}}, {"SMC-2", {2}}, {"SMC-4(98)", {4}}};

constexpr ValuesSpec kComInfoRows[] = {
    {"RSC-4PCI", {4, 1, 8, 14, 16}},    {"RSC-4PCI-R2", {4, 1, 8, 64, 64}}, {"RSC-8PCI", {8, 2, 8, 64, 64}},
    {"RSC-2(ISA)", {2, 0, 1, 8, 1}},    {"RSC-4U(USB)", {4, 3, 0, 0, 0}},   {"RSC-4(MF)", {4, 0, 1, 16, 16}},
};

// A variant name is the base name with the option suffix of its driver.
constexpr VariantSpec kVariantRows[] = {
    {"QDI-48/48V(PCI)", "-SA", "-NA"},
    {"DIO-32PCI", "-SA", "-NA"},
    {"DIO-16(PC)", "-SA", "-NA"},
};

constexpr DigitalRenameRow kRenameRowsAt[] = {
    {"PIO-32PCI", "DIO-32PCI"},
    {"PIO-48PCI", "DIO-48PCI"},
    {"PIO-16(PC)", "DIO-16(PC)"},
    {"End", ""},
};

constexpr DigitalRenameRow kRenameRowsPc98[] = {
    {"PIO-96(98)", "DIO-96(98)"},
    {"PIO-48PCI", "DIO-48PCI"},
    {"End", ""},
};

}  // namespace

const std::span<const ModelSpec> kSerial = kSerialRows, kAnalog = kAnalogRows, kDigital = kDigitalRows,
                                 kGpib = kGpibRows, kCounter = kCounterRows, kStepper = kStepperRows,
                                 kComPort = kComPortRows, kModule = kModuleRows;
const std::span<const SerialSpec> kSerialInfo = kSerialInfoRows;
const std::span<const AnalogSpec> kAnalogInfo = kAnalogInfoRows;
const std::span<const ValuesSpec> kDigitalInfo = kDigitalInfoRows, kCounterInfo = kCounterInfoRows,
                                  kStepperInfo = kStepperInfoRows, kComInfo = kComInfoRows;
const std::span<const VariantSpec> kVariants = kVariantRows;
const std::span<const DigitalRenameRow> kRenamesAt = kRenameRowsAt, kRenamesPc98 = kRenameRowsPc98;

}  // namespace tarnix::tables::demo
