#pragma once
// The progress line the command-line tools draw on a terminal: a percentage
// and the current file's name, cut at its start and padded to a fixed width
// by characters (names are UTF-8 on the terminal), redrawn in place.
#include <string>

namespace tools {

class TTerminalLine {
 public:
  explicit TTerminalLine(bool Enabled) : FEnabled(Enabled) {}
  // Redraws the line; Name is UTF-8.
  void Show(int Percent, const std::string& Name);
  // Clears the line before other output.
  void End();

 private:
  bool FEnabled;
  bool FShown = false;
};

}  // namespace tools
