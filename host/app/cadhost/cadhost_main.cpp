// cadhost: the stand-in CAD host as a program.
//
// Loads add-ins, starts or opens a drawing, runs user actions from a script
// file or the terminal, and can save the drawing. See host/app/README.md.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "host/app/addins.h"
#include "host/app/cadhost/terminal.h"
#include "host/app/documents.h"
#include "host/app/script.h"
#include "host/app/session.h"
#include "host/editor/command_line.h"
#include "host/editor/support_path.h"
#include "host/system/profiles.h"
#include "host/system/registry.h"
#include "host/system/user_actions.h"
#include "host/system/files.h"
#include "host/system/memory_pages.h"
#include "host/system/process.h"
#include "host/system/wide_text.h"

namespace {

// Script files and the terminal are UTF-8; a byte that is not part of valid
// UTF-8 stands for the unit of the same number.
std::wstring Decode(std::string_view bytes) { return host::DecodeUtf8(bytes); }
std::string Encode(std::wstring_view text) { return host::EncodeUtf8(text); }

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\\')
      out += "\\\\";
    else
      out += c;
  }
  return out;
}

bool WriteTranscript(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  for (const host::ShownItem& item : host::Shown().Items())
    out << item.kind << '\t' << Escape(Encode(item.text)) << '\n';
  out.flush();
  return static_cast<bool>(out);
}

// Puts a folder at the end of the current profile's support path, as the CAD
// program's options do; a folder the path lists already (trailing
// separators and letter case ignored) is not added again. A relative folder
// is taken from the working folder. False when the registry store could not
// keep the change.
bool AddProfileSupportFolder(const std::string& folder) {
  std::wstring wide = host::AbsolutePath(host::WidePath(folder));
  while (wide.size() > 1 && wide.back() == L'/') wide.pop_back();
  // Read and written back as one step: another session starting at the
  // same moment may be rewriting the path.
  host::RegistryTransaction transaction;
  const std::wstring profile = host::CurrentProfileName();
  std::wstring path = host::ProfileSupportPath(profile);
  if (host::PathListHasFolder(path, wide)) return true;
  if (!path.empty() && path.back() != L';') path += L';';
  path += wide;
  return host::SetProfileSupportPath(profile, path);
}

void Usage() {
  std::fputs(
      "usage: cadhost [options] [script | -]\n"
      "  --addin FILE       load an add-in (in the order given)\n"
      "  --open DRAWING     open a DXF drawing (default: a new drawing)\n"
      "  --save FILE        save the drawing as DXF at the end (not after a script error)\n"
      "  --support FOLDER   search a folder before the profile's support path\n"
      "  --profile-support FOLDER\n"
      "                     add a folder to the end of the current profile's support path\n"
      "                     (kept in the registry store)\n"
      "  --registry FILE    the registry store (profiles); default ~/.config/cadhost/registry\n"
      "  --transcript FILE  write everything shown, one item a line\n"
      "  --verbose          show every recorded item, not only the command line\n"
      "Without a script, actions come from the terminal one at a time.\n",
      stderr);
}

}  // namespace

int main(int argc, char** argv) {
  host::ShareOneHeapAcrossThreads();
  std::vector<std::string> addins, support, profile_support;
  std::string open_path, save_path, transcript, script_path, registry_path;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    std::string v;
    if (arg == "--addin" && value(&v)) addins.push_back(v);
    else if (arg == "--support" && value(&v)) support.push_back(v);
    else if (arg == "--profile-support" && value(&v)) profile_support.push_back(v);
    else if (arg == "--open" && value(&open_path)) {}
    else if (arg == "--save" && value(&save_path)) {}
    else if (arg == "--transcript" && value(&transcript)) {}
    else if (arg == "--registry" && value(&registry_path)) {}
    else if (arg == "--verbose") verbose = true;
    else if ((arg == "--help" || arg == "-h")) { Usage(); return 0; }
    else if (!arg.empty() && arg[0] == '-' && arg != "-") { Usage(); return 1; }
    else if (script_path.empty()) script_path = arg;
    else { Usage(); return 1; }
  }

  const bool on_terminal = (script_path.empty() || script_path == "-") && host::StandardInputIsTerminal();
  cadhost::Screen screen(verbose, !on_terminal);
  // The registry store (profiles and their support paths) survives runs.
  const std::wstring registry = registry_path.empty() ? host::DefaultRegistryFile() : host::WidePath(registry_path);
  // A folder of that name would take no store: every change of the run would
  // be lost without a word.
  if (!registry.empty() && host::IsDirectory(registry)) {
    std::fprintf(stderr, "cadhost: the registry file %s is a folder\n", Encode(registry).c_str());
    return 1;
  }
  std::wstring damaged_copy;
  if (!registry.empty() && !host::UseRegistryFile(registry, &damaged_copy)) {
    // The next change saves the store over the file: the user's profiles as
    // they were stay in the copy, and the user is told where.
    const std::wstring said =
        L"The registry file " + registry + L" could not be read whole; what could be read is used. " +
        (damaged_copy.empty() ? std::wstring(L"No copy of it could be kept.")
                              : L"The file as it was is kept as " + damaged_copy + L".");
    std::fprintf(stderr, "cadhost: %s\n", Encode(said).c_str());
    host::Print(said + L"\n");
  }
  for (const std::string& s : support) host::AddSessionSupportFolder(host::WidePath(s));
  for (const std::string& s : profile_support) {
    if (!AddProfileSupportFolder(s))
      std::fprintf(stderr, "cadhost: the registry store could not keep %s on the support path\n", s.c_str());
  }

  // The script, when there is one, goes into the queue at once: each consumer
  // takes its actions in order, and the line of the action taken last is
  // found from how many are left.
  std::vector<int> lines;
  bool interactive = false;
  if (script_path.empty() || script_path == "-") {
    if (host::StandardInputIsTerminal()) {
      interactive = true;
    } else {
      std::stringstream all;
      all << std::cin.rdbuf();
      script_path = "(stdin)";
      host::ScriptParse parse = host::ParseScript(Decode(all.str()));
      if (!parse.ok) {
        std::fprintf(stderr, "%s:%d: %s\n", script_path.c_str(), parse.error_line, Encode(parse.error).c_str());
        return 2;
      }
      for (auto& a : parse.actions) {
        lines.push_back(a.line);
        host::Actions().Push(std::move(a.action));
      }
    }
  } else {
    std::ifstream in(script_path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cadhost: cannot read %s\n", script_path.c_str());
      return 1;
    }
    std::stringstream all;
    all << in.rdbuf();
    host::ScriptParse parse = host::ParseScript(Decode(all.str()));
    if (!parse.ok) {
      std::fprintf(stderr, "%s:%d: %s\n", script_path.c_str(), parse.error_line, Encode(parse.error).c_str());
      return 2;
    }
    for (auto& a : parse.actions) {
      lines.push_back(a.line);
      host::Actions().Push(std::move(a.action));
    }
  }
  const std::size_t total = lines.size();
  auto current_line = [&]() -> int {
    std::size_t taken = total - host::Actions().Size();
    return taken == 0 || taken > lines.size() ? 0 : lines[taken - 1];
  };

  cadhost::TerminalInput typed;
  cadhost::TerminalReader terminal(&screen, &typed);
  if (interactive) {
    host::SetActionSupplier([&terminal] { return terminal.Supply(); },
                            [&terminal](const host::UserAction& slip) { terminal.Slip(slip); },
                            [&terminal](int ms) { return terminal.Wait(ms); });
    // Ctrl-C is the user's break, as Esc is: the work of the session is kept.
    cadhost::CatchBreakKey();
  }

  int status = 0;
  for (const std::string& path : addins) {
    host::Result<const void*> r = host::LoadAddin(host::WidePath(path));
    if (!r.ok()) {
      host::Print(L"\n" + r.message + L"\n");
      status = 1;
    }
  }
  if (open_path.empty()) {
    (void)host::NewDrawing();
  } else {
    host::Result<> opened = host::OpenDrawing(host::WidePath(open_path));
    if (!opened.ok()) {
      screen.Flush();
      std::fprintf(stderr, "cadhost: cannot open %s: %s\n", open_path.c_str(), Encode(opened.message).c_str());
      host::UnloadAllAddins();
      return 1;
    }
  }
  screen.Flush();
  if (interactive)
    std::fputs("\nType a command, or help for the commands and the actions that answer questions and dialogs.\n",
               stdout);

  host::SessionOptions options;
  options.interactive = interactive;
  options.current_line = interactive ? std::function<int()>([&] { return terminal.Line(); })
                                     : std::function<int()>(current_line);
  // At the terminal a drawing that --save does not keep is asked about
  // before it is dropped.
  options.ask_before_dropping = interactive && save_path.empty();
  host::Result<host::SessionReport> result = host::RunSession(options);
  const char* source = interactive ? "(terminal)" : script_path.c_str();
  if (!result.ok()) {
    screen.Flush();
    std::fprintf(stderr, "%s:%d: %s\n", source, result.value.line, Encode(result.message).c_str());
    status = 2;
  } else if (result.value.save_failed) {
    screen.Flush();
    std::fprintf(stderr, "%s:%d: cannot save the drawing: %s\n", source, result.value.line,
                 Encode(result.value.save_error).c_str());
    status = 3;
  }
  // After a failed !save the drawing is saved where --save says, if it can
  // be: the work is kept somewhere.
  if (!save_path.empty() && status != 2) {
    host::Result<> saved = host::SaveDrawing(host::WidePath(save_path));
    if (!saved.ok()) {
      screen.Flush();
      std::fprintf(stderr, "cadhost: cannot save %s: %s\n", save_path.c_str(), Encode(saved.message).c_str());
      status = 3;
    }
  }
  (void)host::CloseDrawingAtExit();
  host::UnloadAllAddins();
  host::SetActionSupplier({});
  screen.Flush();
  std::fputs("\n", stdout);
  if (!transcript.empty() && !WriteTranscript(transcript)) {
    std::fprintf(stderr, "cadhost: cannot write %s\n", transcript.c_str());
    if (status == 0) status = 1;
  }
  return status;
}
