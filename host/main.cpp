// station-host: a stand-in for the station's control program. It creates the
// main form and menu, loads the plug-in UpDate.so, calls Load after the form
// exists and UnLoad before it goes, and runs the message loop with a window
// (FLTK) or headless for scripts and tests.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "host/HostForm.h"
#include "host/PluginLibrary.h"
#include "platform/CodePages.h"
#include "platform/Paths.h"
#include "vcl/Application.h"
#include "vcl/Operator.h"

namespace {

const char kUsage[] =
    "usage: station-host [--flag N] [--plugin PATH]            show the window\n"
    "       station-host --headless [--flag N] [--plugin PATH] menu\n"
    "       station-host --headless [--flag N] [--plugin PATH] --script FILE\n"
    "  --flag N       the flag given to Load (not 0: the form is named AppBuilder)\n"
    "  --plugin PATH  the plug-in to load (default: UpDate.so beside this program)\n"
    "  menu           print the menu tree after Load\n"
    "  --script FILE  run a script of operator commands and print what was shown\n";

struct Options {
  bool Headless = false;
  int Flag = 0;
  std::string Plugin;
  bool Menu = false;
  std::string Script;
};

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--headless") o.Headless = true;
    else if (a == "menu") o.Menu = true;
    else if (a == "--flag" && i + 1 < argc) o.Flag = std::atoi(argv[++i]);
    else if (a == "--plugin" && i + 1 < argc) o.Plugin = argv[++i];
    else if (a == "--script" && i + 1 < argc) o.Script = argv[++i];
    else return false;
  }
  if (o.Menu && !o.Script.empty()) return false;
  if (!o.Headless && (o.Menu || !o.Script.empty())) return false;
  return !o.Headless || o.Menu || !o.Script.empty();
}

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

// Runs the script and prints what the operator saw; 1 when the script failed.
int RunScript(const std::string& Text) {
  vcl::THeadlessOperator* op = vcl::Application->Operator();
  int status = 0;
  try {
    op->RunScript(Text);
  } catch (const vcl::Exception& e) {
    std::cout << op->Transcript();
    std::cerr << "station-host: script " << win::AnsiToUtf8(e.Message()) << "\n";
    return 1;
  }
  std::cout << op->Transcript();
  for (const std::string& unused : op->UnusedAnswers()) {
    std::cerr << "station-host: unused answer: " << unused << "\n";
    status = 1;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!Parse(argc, argv, o)) {
    std::cerr << kUsage;
    return 2;
  }
  if (!o.Headless && !std::getenv("DISPLAY")) {
    std::cerr << "station-host: no display (DISPLAY is not set); the window needs an X display.\n"
                 "Run it headless instead, for example:\n"
                 "  station-host --headless menu\n"
                 "  station-host --headless --script FILE\n"
                 "or under a virtual display: xvfb-run station-host\n";
    return 2;
  }
  std::string script;
  if (!o.Script.empty() && !ReadFile(o.Script, script)) {
    std::cerr << "station-host: cannot read " << o.Script << "\n";
    return 2;
  }

  try {
    vcl::Application->Initialize(o.Headless ? vcl::TBackEndKind::Headless : vcl::TBackEndKind::Fltk);
  } catch (const vcl::Exception& e) {
    std::cerr << "station-host: " << win::AnsiToUtf8(e.Message()) << "\n";
    return 2;
  }
  vcl::TForm* form = host::CreateMainForm(o.Flag);

  host::TPluginLibrary plugin(o.Plugin.empty() ? win::ProgramDirectory() + "/UpDate.so" : o.Plugin);
  if (!plugin.Loaded()) {
    std::cerr << "station-host: " << plugin.Error() << "\n";
    vcl::Application->DestroyComponents();
    return 1;
  }
  plugin.Load(o.Flag);

  int status = 0;
  if (o.Menu) std::cout << host::MenuTree(form);
  else if (o.Headless) status = RunScript(script);
  else vcl::Application->Run();

  // The plug-in's items live in the host's menu: UnLoad while it exists.
  plugin.UnLoad();
  vcl::Application->DestroyComponents();
  return status;
}
