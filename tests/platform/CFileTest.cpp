#include "platform/system/CFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/TempDir.h"

namespace {

constexpr unsigned kExclusive = CFile::modeReadWrite;
constexpr unsigned kSharedRead = CFile::modeRead | CFile::shareDenyNone;

std::string MakeFile(const TempDir& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir.File(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// Each failure is worded once for the viewer and the command-line tool: the system's words
// where they are specific, a sentence of ours where they are not.
TEST(CFile, RefusesWhatIsNotAWritableRegularFileAndSaysWhy) {
  TempDir dir;
  const std::string readOnly = MakeFile(dir, "read-only.plim", "data");
  ::chmod(readOnly.c_str(), 0444);  // refused even when the tests run as root
  const std::string fifo = dir.File("fifo.plim");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  std::filesystem::create_directory(dir.File("folder.plim"));

  const std::string held = MakeFile(dir, "held.plim", "data");
  CFile holder;
  ASSERT_TRUE(holder.Open(held, kExclusive));
  using Failure = CFile::OpenFailure;
  const struct {
    const char* name;
    std::string path;
    unsigned flags;
    Failure failure;
    const char* reason;
  } cases[] = {
      {"missing", dir.File("missing.plim"), kExclusive, Failure::kMissing,
       "No such file or directory"},
      {"missing, shared", dir.File("missing.plim"), kSharedRead, Failure::kMissing,
       "No such file or directory"},
      {"under a file", readOnly + "/page.plim", kExclusive, Failure::kMissing, "Not a directory"},
      {"read-only", readOnly, kExclusive, Failure::kReadOnly,
       "The file is read-only: page files are opened for reading and writing."},
      {"held", held, kExclusive, Failure::kHeld, "Another page window or program holds this file."},
      {"directory", dir.File("folder.plim"), kExclusive, Failure::kNotAFile, "Is a directory"},
      {"directory, shared", dir.File("folder.plim"), kSharedRead, Failure::kNotAFile,
       "Is a directory"},
      {"fifo would block a reader", fifo, kSharedRead, Failure::kNotAFile, "Not a regular file"},
      {"fifo", fifo, kExclusive, Failure::kNotAFile, "Not a regular file"},
  };
  for (const auto& c : cases) {
    CFile file;
    EXPECT_FALSE(file.Open(c.path, c.flags)) << c.name;
    EXPECT_FALSE(file.IsOpen()) << c.name;
    EXPECT_EQ(file.LastOpenFailure(), c.failure) << c.name;
    EXPECT_EQ(DescribeOpenFailure(file.LastOpenFailure(), file.LastOpenError()), c.reason)
        << c.name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing.plim"))) << "Open must never create";

  CFile sharedReader;
  EXPECT_TRUE(sharedReader.Open(readOnly, kSharedRead)) << "a read-only file can still be read";
  EXPECT_EQ(sharedReader.LastOpenFailure(), Failure::kNone);
}

TEST(CFile, PermissionRefusalsTellReadOnlyFromUnreadable) {
  if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not bind root";
  TempDir dir;
  const std::string writeProtected = MakeFile(dir, "protected.plim", "data");
  ::chmod(writeProtected.c_str(), 0444);
  const std::string secret = MakeFile(dir, "secret.plim", "data");
  ::chmod(secret.c_str(), 0);
  CFile file;
  EXPECT_FALSE(file.Open(secret, kExclusive));
  EXPECT_EQ(file.LastOpenFailure(), CFile::OpenFailure::kNoPermission);
  EXPECT_FALSE(file.Open(writeProtected, kExclusive));
  EXPECT_EQ(file.LastOpenFailure(), CFile::OpenFailure::kReadOnly);
}

TEST(CFile, ExclusiveHolderRefusesOtherOpenersUntilClosed) {
  TempDir dir;
  const std::string path = MakeFile(dir, "held.plim", "page");
  CFile holder;
  ASSERT_TRUE(holder.Open(path, kExclusive));

  CFile second;
  EXPECT_FALSE(second.Open(path, kExclusive));
  CFile reader;
  EXPECT_TRUE(reader.Open(path, kSharedRead)) << "an unlocked reader is not blocked";

  // Opening the held file again through its holder closes it first, so it succeeds.
  EXPECT_TRUE(holder.Open(path, kExclusive));
  EXPECT_FALSE(second.Open(path, kExclusive));

  holder.Close();
  EXPECT_FALSE(holder.IsOpen());
  EXPECT_TRUE(second.Open(path, kExclusive));
}

TEST(CFile, ReadsInSequenceAndStopsAtTheEnd) {
  TempDir dir;
  CFile file;
  ASSERT_TRUE(file.Open(MakeFile(dir, "ten.plim", "0123456789"), kExclusive));
  EXPECT_EQ(file.GetLength(), 10u);

  char buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, 4), 4u);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(file.GetPosition(), 4u);

  CFileSource source(file);
  EXPECT_EQ(source.Remaining(), 6u);
  EXPECT_FALSE(source.ReadExactly(buffer, 7)) << "more than is left";
  EXPECT_TRUE(source.ReadExactly(buffer, 5));
  EXPECT_EQ(std::string(buffer, 5), "45678");
  EXPECT_EQ(source.Remaining(), 1u);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 1u);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
}

TEST(CFile, ClosedFileReadsNothing) {
  CFile file;
  char byte = 0;
  EXPECT_EQ(file.Read(&byte, 1), 0u);
  EXPECT_EQ(file.GetLength(), 0u);
  file.Close();  // closing twice is harmless
  EXPECT_FALSE(file.IsOpen());
}

}  // namespace
