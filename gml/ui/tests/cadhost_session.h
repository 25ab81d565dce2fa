// Varnel run in cadhost as a user runs it, for the end-to-end tests: a
// folder per session holding a copy of the project's support folder (the
// dialogs save their settings there), the input folder the import's folder
// choice takes, and the script; the run's exit status and transcript.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace cadhost_test {

namespace fs = std::filesystem;

// The shared OS MasterMap samples.
inline fs::path SharedSample(const std::string& name) {
  return fs::path(VARNEL_SHARED_DIR) / "testdata" / "osmm" / name;
}

inline std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A shell word in single quotes.
inline std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The output and exit status of a shell command.
struct CommandResult {
  int status = -1;
  std::string output;
};

inline CommandResult RunShell(const std::string& command) {
  CommandResult result;
  if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return result;
}

struct SessionRun {
  int status = -1;
  std::string output;      // what cadhost wrote
  std::string transcript;  // one kind<TAB>text line per recorded item

  // The texts of the message boxes shown, in order.
  std::vector<std::string> MessageBoxes() const {
    std::vector<std::string> boxes;
    std::istringstream lines(transcript);
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("message_box\t", 0) == 0) boxes.push_back(line.substr(12));
    return boxes;
  }
  bool Has(const std::string& text) const { return transcript.find(text) != std::string::npos; }
};

class Session {
 public:
  // A fresh folder `name` under the temporary folder (the process id keeps
  // runs of several checkouts apart), with a copy of the support folder.
  explicit Session(const std::string& name)
      : dir_(fs::temp_directory_path() / ("gml_ui_" + std::to_string(::getpid()) + "_" + name)) {
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "input");
    fs::create_directories(dir_ / "csv");
    fs::copy(fs::path(VARNEL_SOURCE_DIR) / "support", dir_ / "support", fs::copy_options::recursive);
  }
  ~Session() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const fs::path& Dir() const { return dir_; }
  std::string At(const std::string& relative) const { return (dir_ / relative).string(); }

  void AddInput(const fs::path& file) const {
    fs::copy_file(file, dir_ / "input" / file.filename(), fs::copy_options::overwrite_existing);
  }

  // Sets a key of the support folder's settings file to `value`.
  void SetSetting(const std::string& key, const std::string& value) const {
    const fs::path ini = dir_ / "support" / "lwh_gml.ini";
    std::istringstream lines(ReadText(ini));
    std::string text;
    for (std::string line; std::getline(lines, line);)
      text += (line.rfind(key, 0) == 0 ? key + " " + value : line) + "\n";
    WriteText(ini, text);
  }

  // The script lines of an import of every file of the input folder: files
  // chosen by folder, the main dialog's Draw, the folder of the CSV files.
  std::string ImportLines() const {
    return "lwhgmlin\n!answer no\n!answer " + At("input") + "\n!dlg_click 1\n!answer " + At("csv") + "/\n";
  }

  // Runs cadhost with Varnel on `script`, on the drawing `open` when it is
  // given, in the session's folder; with `timeoutSeconds`, a run that takes
  // longer is stopped (status 124).
  SessionRun Run(const std::string& script, const std::string& open = "", int timeoutSeconds = 0) const {
    WriteText(dir_ / "script.txt", script);
    fs::remove(dir_ / "transcript.txt");
    const std::string limit = timeoutSeconds > 0 ? "timeout " + std::to_string(timeoutSeconds) + " " : "";
    std::string command = "cd " + Quoted(dir_.string()) + " && " + limit + Quoted(CADHOST_PATH) + " --addin " +
                          Quoted(VARNEL_PATH) + " --support " + Quoted(At("support")) +
                          " --registry registry.txt --transcript transcript.txt";
    if (!open.empty()) command += " --open " + Quoted(open);
    const CommandResult result = RunShell(command + " script.txt");
    return {result.status, result.output, ReadText(dir_ / "transcript.txt")};
  }

 private:
  fs::path dir_;
};

// Runs the independent check of imported drawings (imported_drawing_check.py)
// on its arguments in one process.
inline CommandResult CheckImportedDrawings(const std::string& arguments) {
  return RunShell("/usr/bin/python3 " + Quoted(std::string(VARNEL_SOURCE_DIR) + "/gml/ui/tests/imported_drawing_check.py") +
                  " " + arguments);
}

}  // namespace cadhost_test
