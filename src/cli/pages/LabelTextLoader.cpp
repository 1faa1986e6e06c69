#include "cli/pages/LabelTextLoader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <mutex>
#include <vector>

#include "cli/output/TextFormat.h"
#include "platform/system/LabelText.h"

namespace {

constexpr char kModuleName[] = "plimdisp-labeltext.so";

void ReportToolkitMessage(const char* message) {
  PrintErr("plimdisp-cli: " + DisplayText(message) + "\n");
}

// The folder of the running tool, empty when /proc is not there to say.
std::string ToolFolder() {
  std::array<char, PATH_MAX> path{};
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return "";
  const std::string tool(path.data(), static_cast<std::size_t>(length));
  return tool.substr(0, tool.find_last_of('/'));
}

// Where the module may be, most likely first: beside the tool (the build tree), its installed
// place relative to the tool (wherever the package was unpacked), and its configured place.
std::vector<std::string> ModuleCandidates() {
  std::vector<std::string> candidates;
  if (const std::string folder = ToolFolder(); !folder.empty()) {
    candidates.push_back(folder + "/" + kModuleName);
    candidates.push_back(folder + "/" + PLIMDISP_LABELTEXT_FROM_BINDIR + "/" + kModuleName);
  }
  candidates.push_back(std::string(PLIMDISP_LABELTEXT_INSTALLED) + "/" + kModuleName);
  return candidates;
}

LabelTextEngine* LoadModule(std::string& problem) {
  for (const std::string& path : ModuleCandidates()) {
    if (::access(path.c_str(), F_OK) != 0) continue;
    // Kept loaded for the rest of the run: the engine and the GUI application live in it.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      problem = ::dlerror();
      return nullptr;
    }
    const auto entry =
        reinterpret_cast<LabelTextModuleEntry>(::dlsym(module, kLabelTextModuleEntry));
    if (entry == nullptr) {
      problem = path + " has no label text entry";
      return nullptr;
    }
    LabelTextEngine* engine = entry(ReportToolkitMessage);
    if (engine == nullptr) problem = "the label text module cannot draw text";
    return engine;
  }
  problem = std::string(kModuleName) + " is not installed";
  return nullptr;
}

}  // namespace

bool LoadLabelText(std::string& problem) {
  static std::mutex mutex;
  static std::string failure;
  const std::lock_guard lock(mutex);
  if (InstalledLabelText() == nullptr && failure.empty()) {
    if (LabelTextEngine* engine = LoadModule(failure)) InstallLabelText(engine);
  }
  if (const LabelTextEngine* engine = InstalledLabelText()) {
    if (engine->Ready()) return true;
    problem = "the label text engine has no GUI application";
    return false;
  }
  problem = failure;
  return false;
}
