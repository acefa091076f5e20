#include <gtest/gtest.h>
#include <winbase.h>

#include <QDir>

#include "ini_batch.h"
#include "support/temp_folder.h"

namespace orvane::forms {
namespace {

using testing::ProgramFolder;

struct Edit {
  const char* section;
  const char* key;
  const char* value;
};

// The batch must leave the same bytes as the profile calls, key by key, so
// that files stay interchangeable.
TEST(IniBatch, WritesTheBytesTheProfileCallsWrite) {
  const Edit edits[] = {{"frmMonitor.txtCnt", "Name", "txtCnt"}, {"frmMonitor.txtCnt", "Text", "0"},
                        {"B", "Name", "y"},                       {"frmMonitor.txtcnt", "TEXT", "12"},
                        {"FRMMONITOR.TXTCNT", "New", "a;b"},      {"B", "Value", ""},
                        {"\x83\x65\x83\x58\x83\x67", "Text", "\x88\xb3\x97\xcd"}, {"c", "X", "2"}};
  const char seed[] = "; kept\r\n[B]\r\nName=old\r\n\r\n[C]\r\nx = 1\r\n";
  for (bool seeded : {false, true}) {
    ProgramFolder folder;
    if (seeded) {
      folder.write("a.ini", seed);
      folder.write("b.ini", seed);
    }
    const std::string a = folder.file("a.ini").toStdString(), b = folder.file("b.ini").toStdString();
    IniBatch batch(b);
    for (const Edit& e : edits) {
      ASSERT_TRUE(WritePrivateProfileStringA(e.section, e.key, e.value, a.c_str()));
      batch.Write(e.section, e.key, e.value);
    }
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(folder.read("b.ini"), folder.read("a.ini")) << (seeded ? "seeded" : "fresh");
  }
}

TEST(IniBatch, ReadsAsTheProfileReadDoes) {
  ProgramFolder folder;
  folder.write("p.ini", "[S]\r\nplain=  v  \r\nquoted=\"a b\"\r\nempty=\r\nKEY=upper\r\n[T]\r\nplain=other\r\n");
  IniBatch batch(folder.file("p.ini").toStdString());
  EXPECT_EQ(batch.Read("S", "plain"), "v");
  EXPECT_EQ(batch.Read("s", "quoted"), "a b");
  EXPECT_EQ(batch.Read("S", "empty"), "");
  EXPECT_EQ(batch.Read("S", "key"), "upper");
  EXPECT_EQ(batch.Read("T", "plain"), "other");
  EXPECT_EQ(batch.Read("S", "missing"), std::nullopt);
  EXPECT_EQ(batch.Read("U", "plain"), std::nullopt);
}

// A drive path maps under the drive root as the profile calls map it,
// whatever the current folder.
TEST(IniBatch, ADrivePathFromAnotherCurrentFolder) {
  ProgramFolder folder;
  folder.write("root/c/prog/Debug/Property.ini", "[S]\r\nk=old\r\n");
  QDir().mkpath(folder.file("cwd"));
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder.file("cwd")));
  qputenv("ORVANE_ROOT", folder.file("root").toUtf8());
  {
    IniBatch batch("C:\\PROG\\debug\\property.ini");
    EXPECT_TRUE(batch.Exists());
    EXPECT_EQ(batch.Read("S", "k"), "old");
    batch.Write("S", "k", "new");
    EXPECT_TRUE(batch.Commit());
  }
  qunsetenv("ORVANE_ROOT");
  QDir::setCurrent(previous);
  EXPECT_EQ(folder.read("root/c/prog/Debug/Property.ini"), "[S]\r\nk=new\r\n");
}

TEST(IniBatch, AFailedCommitKeepsTheOldFile) {
  ProgramFolder folder;
  IniBatch batch(folder.file("no/such/folder/p.ini").toStdString());
  EXPECT_FALSE(batch.Exists());
  batch.Write("S", "k", "v");
  EXPECT_FALSE(batch.Commit());
}

}  // namespace
}  // namespace orvane::forms
