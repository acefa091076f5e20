#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "../../../sim/morvelboard/board_contract.h"
#include "system/tests/support/system_fixture.h"
#include "tables/board_models.h"
#include "tables/model_tables.h"

namespace {

using namespace tarnix;
using tables::TablesOf;

template <class Row>
int rowsBeforeEnd(const std::vector<Row>& rows) {
  EXPECT_FALSE(rows.empty());
  EXPECT_STREQ(rows.back().name, "End");
  for (std::size_t i = 0; i + 1 < rows.size(); ++i) EXPECT_STRNE(rows[i].name, "End");
  return static_cast<int>(rows.size()) - 1;
}

TEST(TableShape, EveryTableHoldsItsRowCountAndDriversOfItsKind) {
  using tables::MachineTables;
  struct Case {
    const char* table;
    int32_t kind;
    std::vector<BoardModelRow> MachineTables::*rows;
    tables::RowCounts counts;
  };
  const Case cases[] = {
      {"serial", 1, &MachineTables::serial, tables::kSerialModels},
      {"analog", 2, &MachineTables::analog, tables::kAnalogModels},
      {"digital old", 3, &MachineTables::digitalOld, tables::kDigitalOldModels},
      {"digital new", 3, &MachineTables::digitalNew, tables::kDigitalNewModels},
      {"gpib", 4, &MachineTables::gpib, tables::kGpibModels},
      {"counter", 5, &MachineTables::counter, tables::kCounterModels},
      {"stepper", 6, &MachineTables::stepper, tables::kStepperModels},
      {"com nt4", 7, &MachineTables::comNt4, tables::kComNt4Models},
      {"com other", 7, &MachineTables::comOther, tables::kComOtherModels},
      {"module", 10, &MachineTables::module, tables::kModuleModels},
  };
  for (int32_t machine : {0, 1}) {
    for (const Case& c : cases) {
      const auto& rows = TablesOf(machine).*c.rows;
      EXPECT_EQ(rowsBeforeEnd(rows), c.counts.of(machine)) << c.table << " machine " << machine;
      EXPECT_EQ(rows.back().busType, -1);
      std::set<int32_t> drivers;
      for (const auto& d : xanconfig::driverFileTable(c.kind, xanconfig::OsFamily::Nt)) drivers.insert(d.driverNumber);
      std::set<std::string> names;
      for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        EXPECT_TRUE(drivers.count(rows[i].driverNumber)) << c.table << " " << rows[i].name;
        EXPECT_TRUE(names.insert(rows[i].name).second) << "twice in " << c.table << ": " << rows[i].name;
        EXPECT_EQ(rows[i].hardwareKey[0] != '\0', rows[i].busType == kBusPcCard) << rows[i].name;
        EXPECT_EQ(std::string(rows[i].description), std::string("DORNELL-") + rows[i].name);
      }
    }
    const tables::MachineTables& t = TablesOf(machine);
    EXPECT_EQ(rowsBeforeEnd(t.serialInfo), tables::kSerialInfo.of(machine));
    EXPECT_EQ(rowsBeforeEnd(t.analogInfo), tables::kAnalogInfo.of(machine));
    EXPECT_EQ(rowsBeforeEnd(t.digitalInfo), tables::kDigitalInfo.of(machine));
    EXPECT_EQ(rowsBeforeEnd(t.gpibInfo), tables::kGpibInfo.of(machine));
    EXPECT_EQ(rowsBeforeEnd(t.counterInfo), tables::kCounterInfo.of(machine));
    EXPECT_EQ(rowsBeforeEnd(t.stepperInfo), tables::kStepperInfo.of(machine));
    EXPECT_EQ(rowsBeforeEnd(t.comInfo), tables::kComInfo.of(machine));
  }
}

TEST(TableShape, VariantTableHoldsEachBaseNameOnceForDriverThreeThenOnceForDriverZero) {
  const auto v = DigitalVariantTable();
  ASSERT_EQ(v.size(), 61u);
  EXPECT_STREQ(v[60].baseName, "End");
  for (std::size_t i = 0; i < 30; ++i) {
    EXPECT_EQ(v[i].key * 10 + v[30 + i].key, 30) << i;
    EXPECT_STREQ(v[i].baseName, v[30 + i].baseName);
    EXPECT_STRNE(v[i].variantName, v[30 + i].variantName);
  }
}

// What the older boards' driver reads from the registry must name the
// boards the simulated cards are.
class SimulatedBoards : public SystemFixture {};

TEST_F(SimulatedBoards, AnalogRowsCarryTheSimulatedBoardsTypesAndDeviceIds) {
  for (int32_t type : {0, 1}) {
    machine(type);
    for (const morvelboard::Model& m : morvelboard::kModels) {
      EXPECT_EQ(IsModelOfKind(2, m.name), 0) << m.name;
      EXPECT_EQ(FindModelDriverNumber(m.name), 0) << m.name;
      EXPECT_EQ(FindModelBoardType(m.name), static_cast<int32_t>(m.boardType)) << m.name;
      EXPECT_EQ(FindModelDeviceId(m.name), m.deviceId) << m.name;
      EXPECT_EQ(FindModelBusType(m.name), kBusPci) << m.name;
    }
  }
}

}  // namespace
