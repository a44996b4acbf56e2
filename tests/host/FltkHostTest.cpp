// The host's window on a virtual display: the plug-in's items appear in the
// real FLTK menu bar and leave it with UnLoad.
#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Window.H>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "host/HostForm.h"
#include "host/PluginLibrary.h"
#include "tests/support/TempDrive.h"
#include "vcl/Application.h"

using namespace vcl;

namespace {

// An Xvfb server on a display number it picks itself (-displayfd).
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int fds[2];
    if (pipe(fds) != 0) return;
    FPid = fork();
    if (FPid == 0) {
      close(fds[0]);
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "1024x768x24",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    // The number is written once the server is ready, possibly in more than
    // one write (the newline apart); the pipe stays open until the server
    // ends, so that a late write never fails and takes the server down.
    FPipe = fds[0];
    std::string number;
    char c;
    while (read(FPipe, &c, 1) == 1 && c != '\n') number += c;
    if (!number.empty()) FDisplay = ":" + number;
  }
  ~VirtualDisplay() {
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      waitpid(FPid, nullptr, 0);
    }
    if (FPipe >= 0) close(FPipe);
  }
  const std::string& Display() const { return FDisplay; }

 private:
  pid_t FPid = -1;
  int FPipe = -1;
  std::string FDisplay;
};

bool HaveXvfb() { return testing_support::RunCommand("command -v Xvfb >/dev/null 2>&1") == 0; }

// Labels of the menu bar, submenu items indented by two spaces per level.
std::string MenuLabels(const Fl_Menu_Bar* bar) {
  std::string out;
  int depth = 0;
  for (const Fl_Menu_Item* m = bar->menu(); m && (m->label() || depth > 0); ++m) {
    if (!m->label()) {
      --depth;
      continue;
    }
    out += std::string(static_cast<size_t>(2 * depth), ' ') + m->label() + "\n";
    if (m->submenu()) ++depth;
  }
  return out;
}

Fl_Menu_Bar* FindMenuBar(Fl_Window* window) {
  for (int i = 0; window && i < window->children(); ++i)
    if (auto* bar = dynamic_cast<Fl_Menu_Bar*>(window->child(i))) return bar;
  return nullptr;
}

TEST(FltkHost, WindowShowsThePluginItemsInItsMenuBar) {
  if (!HaveXvfb()) GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps.sh installs it)";
  testing_support::TempDrive drive;
  VirtualDisplay display;
  ASSERT_FALSE(display.Display().empty()) << "Xvfb did not start";
  setenv("DISPLAY", display.Display().c_str(), 1);

  Application->Initialize(TBackEndKind::Fltk);
  TForm* form = host::CreateMainForm(0);
  host::TPluginLibrary plugin(testing_support::BinDir() + "/UpDate.so");
  ASSERT_TRUE(plugin.Loaded()) << plugin.Error();
  plugin.Load(0);
  form->Show();
  Application->ProcessMessages();

  Fl_Window* window = Fl::first_window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->shown());
  EXPECT_STREQ(window->label(), "Мирсал");
  Fl_Menu_Bar* bar = FindMenuBar(window);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(MenuLabels(bar),
            "&Файл\n"
            "  &Выход\n"
            "&Настройка\n"
            "  Параметры станции...\n"
            "  Установить обновление Мирсал из файла\n"
            "  Создать отчет об ошибке\n");

  plugin.UnLoad();
  EXPECT_EQ(MenuLabels(bar),
            "&Файл\n"
            "  &Выход\n"
            "&Настройка\n"
            "  Параметры станции...\n");

  // The exit item closes the main form and ends the message loop.
  const Fl_Menu_Item* exitItem = bar->find_item("&Файл/&Выход");
  ASSERT_NE(exitItem, nullptr);
  bar->picked(exitItem);
  EXPECT_TRUE(Application->Terminated());
  Application->Run();  // returns at once: terminated
  EXPECT_EQ(Fl::first_window(), nullptr);
  Application->DestroyComponents();
}

}  // namespace
