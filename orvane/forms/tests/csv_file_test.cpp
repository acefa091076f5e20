#include <gtest/gtest.h>

#include "csv_file.h"
#include "support/temp_folder.h"

namespace orvane::forms {
namespace {

using testing::ProgramFolder;

// A second run in the same second continues the file: blocks of both runs
// stay, in order, each exactly its lines.
TEST(CsvFile, MakesTheFolderAndAppendsBlocks) {
  ProgramFolder folder;
  const QString path = folder.file("CSV/20250302_090507.CSV");
  const float first[] = {1.25f, 3.0f, -2.0f, 0.5f};  // two channels, two scans
  const float second[] = {-0.0f, 1e30f};             // two channels, one scan
  {
    CsvFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_TRUE(file.WriteBlock(first, 2, 2));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
  }
  CsvFile again;
  ASSERT_TRUE(again.Open(path));
  EXPECT_TRUE(again.WriteBlock(second, 2, 1));
  EXPECT_TRUE(again.WriteBlock(first, 1, 4));  // a larger block after a smaller one
  again.Close();
  EXPECT_EQ(folder.read("CSV/20250302_090507.CSV"),
            QByteArray("1.25,-2,\r\n3,0.5,\r\n0,1E+30,\r\n1.25,\r\n3,\r\n-2,\r\n0.5,\r\n"));
}

// Nothing to write is not a written block, and leaves the file as it was.
TEST(CsvFile, RefusesBadBlocksAndClosedFiles) {
  ProgramFolder folder;
  const float block[] = {1.0f};
  CsvFile file;
  EXPECT_FALSE(file.WriteBlock(block, 1, 1));
  ASSERT_TRUE(file.Open(folder.file("CSV/x.CSV")));
  EXPECT_FALSE(file.WriteBlock(nullptr, 1, 1));
  EXPECT_FALSE(file.WriteBlock(block, 0, 1));
  EXPECT_FALSE(file.WriteBlock(block, 1, -1));
  EXPECT_TRUE(file.WriteBlock(block, 1, 1));
  file.Close();
  EXPECT_EQ(folder.read("CSV/x.CSV"), QByteArray("1,\r\n"));
}

}  // namespace
}  // namespace orvane::forms
