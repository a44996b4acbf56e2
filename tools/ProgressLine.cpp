#include "tools/ProgressLine.h"

#include <cstdio>

#include "platform/CodePages.h"

namespace tools {

namespace {
constexpr size_t kWidth = 60;  // characters of the name shown
}  // namespace

void TTerminalLine::Show(int Percent, const std::string& Name) {
  if (!FEnabled) return;
  std::wstring shown = win::Utf8ToWide(Name);
  if (shown.size() > kWidth) shown = L"..." + shown.substr(shown.size() - (kWidth - 3));
  shown.append(kWidth - shown.size(), L' ');
  std::fprintf(stderr, "\r%3d%% %s", Percent < 0 ? 0 : Percent, win::WideToUtf8(shown).c_str());
  std::fflush(stderr);
  FShown = true;
}

void TTerminalLine::End() {
  if (FShown) std::fprintf(stderr, "\r%*s\r", static_cast<int>(kWidth) + 5, "");
  std::fflush(stderr);
  FShown = false;
}

}  // namespace tools
