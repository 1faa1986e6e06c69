// Faults while printing to a PDF file and while writing the settings: the viewer keeps running,
// the page stays on show, no file is lost or left half-written, and a failed print says why.
#include <signal.h>
#include <sys/resource.h>

#include <QPrinter>
#include <QSettings>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/framework/ViewPrinting.h"
#include "raster/LineBitmap.h"
#include "shell/ShellFixture.h"

namespace {

namespace fs = std::filesystem;

constexpr char kOldPdf[] = "%PDF an older print that must survive";

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool NoBuffer(std::size_t /*size*/, ByteBuffer& /*out*/) { return false; }

// Writes beyond a few bytes fail with EFBIG while it lives, as on a full disk.
class FullDisk {
 public:
  FullDisk() {
    getrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous_;
    small.rlim_cur = 512;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FullDisk() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, SIG_DFL);
  }

 private:
  rlimit previous_{};
};

class PrintFaultTest : public ShellFixture {
 protected:
  // Runs Print on the active page window, its dialog choosing PDF output to `pdf`.
  void PrintTo(const std::string& pdf) {
    app->Printer().setOutputFormat(QPrinter::PdfFormat);
    SetPrintDialogForTesting([&pdf](QPrinter& printer) {
      printer.setOutputFileName(QString::fromStdString(pdf));
      return true;
    });
    EXPECT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT));
    SetPrintDialogForTesting(nullptr);
  }

  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
  }
};

TEST_F(PrintFaultTest, FailedPdfJobsLeaveEveryFileAsItWas) {
  const std::string page = WritePage("shown.plim");
  const std::string pageBytes = Contents(page);
  const std::string older = dir.File("older.pdf");
  const std::string linked = dir.File("linked.pdf");
  const std::string held = WritePage("held.plim");
  const std::string heldBytes = Contents(held);
  ASSERT_TRUE(Start({held}));
  ASSERT_NE(app->OpenDocumentFile(page), nullptr);
  const struct {
    const char* name;
    std::string target;
    bool fullDisk;
    bool noLineBuffers;
    const wchar_t* why;
  } cases[] = {
      {"the page file on show", page, false, false, L"是正在显示或已被打开的页面文件"},
      {"a page file another window holds", held, false, false, L"是正在显示或已被打开的页面文件"},
      {"a link planted at the name", linked, false, false, L"是符号链接或不是普通文件"},
      {"a full disk", older, true, false, L"磁盘空间不足"},
      {"a missing folder", dir.File("gone/out.pdf"), false, false, L"文件夹不存在"},
      {"line images without memory", older, false, true, L"内存不足"},
  };
  for (const auto& c : cases) {
    std::ofstream(older, std::ios::binary | std::ios::trunc) << kOldPdf;
    fs::remove(linked);
    fs::create_symlink(older, linked);
    const std::size_t files = FilesInFolder();
    ui.messages.clear();
    {
      std::optional<FullDisk> full;
      if (c.fullDisk) full.emplace();
      const LineBufferAllocator previous =
          c.noLineBuffers ? SetLineBufferAllocator(&NoBuffer) : nullptr;
      PrintTo(c.target);
      if (c.noLineBuffers) SetLineBufferAllocator(previous);
    }
    EXPECT_EQ(Contents(page), pageBytes) << c.name;
    EXPECT_EQ(Contents(held), heldBytes) << c.name;
    EXPECT_EQ(Contents(older), kOldPdf) << c.name;
    EXPECT_TRUE(fs::is_symlink(linked)) << c.name;
    EXPECT_EQ(FilesInFolder(), files) << c.name << ": no file left behind";
    ASSERT_EQ(ui.messages.size(), 1u) << c.name;
    EXPECT_NE(ui.messages[0].text.find(c.why), CString::npos) << c.name;
    ASSERT_NE(ActiveView(), nullptr) << c.name;
    EXPECT_EQ(ActiveView()->lineCount(), 2) << c.name;
  }

  // After a failed Open the page stays on show without its file, and is still refused.
  ui.Choose(dir.File("missing.plim"));
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_OPEN));
  ASSERT_FALSE(ActiveView()->fileOpen());
  ui.messages.clear();
  PrintTo(page);
  EXPECT_EQ(Contents(page), pageBytes);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find(L"是正在显示或已被打开的页面文件"), CString::npos);

  // With the fault gone, the same job replaces the older file whole.
  PrintTo(older);
  EXPECT_EQ(Contents(older).rfind("%PDF-", 0), 0u);
  EXPECT_NE(Contents(older).find("%%EOF"), std::string::npos);
}

TEST_F(ShellFixture, SettingsThatCannotBeWrittenCostNothing) {
  // The settings folder lies under a plain file, so nothing can be made there.
  const std::string blocker = dir.File("blocker");
  std::ofstream(blocker) << "x";
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString(blocker + "/config"));
  const std::string page = WritePage("kept.plim");
  ASSERT_TRUE(Start({page}));
  ASSERT_EQ(app->RecentFiles()->Entries(), std::vector<std::string>{page});
  EXPECT_EQ(app->ExitInstance(), 0);
  EXPECT_EQ(app->RecentFiles()->Entries(), std::vector<std::string>{page}) << "the list stays";
  ASSERT_NE(ActiveView(), nullptr);
  EXPECT_EQ(ActiveView()->lineCount(), 2);
  Stop();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(fs::is_regular_file(blocker));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")));
}

}  // namespace
