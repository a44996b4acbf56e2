// The host script: one command a line, UTF-8, '#' starts a comment line.
//   click A|B          click the menu item B under A (captions as Find compares them)
//   open PATH          answer the next file-open dialog (empty PATH: confirm an empty name)
//   save PATH          answer the next file-save dialog
//   dir PATH           answer the next directory chooser
//   cancel open|save|dir
//   button NAME        answer the next message box (OK, Cancel, Yes, No, Abort, Retry, Ignore)
//   set NAME VALUE     on the next modal form: set a control ("\n" in VALUE separates memo lines)
//   press NAME         on the next modal form: press a button (ends that form's steps)
//   close              on the next modal form: close it (ends that form's steps)
#include <sstream>

#include "platform/CodePages.h"
#include "platform/Paths.h"
#include "vcl/BackEnd.h"
#include "vcl/Operator.h"

namespace vcl {

namespace {

std::string TrimBlanks(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// First word and the rest of the line.
void SplitWord(const std::string& line, std::string& word, std::string& rest) {
  size_t sp = line.find_first_of(" \t");
  word = line.substr(0, sp);
  rest = sp == std::string::npos ? "" : TrimBlanks(line.substr(sp + 1));
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

void THeadlessOperator::RunScript(const std::string& Utf8Script) {
  std::istringstream in(Utf8Script);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    std::string line = TrimBlanks(raw);
    if (line.empty() || line[0] == '#') continue;
    std::string command, rest;
    SplitWord(line, command, rest);
    try {
      if (command == "click") {
        ClickMenu(win::Utf8ToAnsi(rest));
      } else if (command == "open" || command == "save" || command == "dir") {
        AnsiString path = rest.empty() ? AnsiString() : win::ToWindowsPath(rest);
        if (command == "open") AnswerOpen(path);
        else if (command == "save") AnswerSave(path);
        else AnswerDirectory(path);
      } else if (command == "cancel") {
        if (rest == "open") CancelOpen();
        else if (rest == "save") CancelSave();
        else if (rest == "dir") CancelDirectory();
        else throw Exception("cancel takes open, save or dir");
      } else if (command == "button") {
        int id = ButtonId(rest);
        if (!id) throw Exception("unknown button \"" + win::Utf8ToAnsi(rest) + "\"");
        AnswerMessage(id);
      } else if (command == "set") {
        std::string name, value;
        SplitWord(rest, name, value);
        if (name.empty()) throw Exception("set needs a control name");
        SetControl(win::Utf8ToAnsi(name), win::Utf8ToAnsi(Unescape(value)));
      } else if (command == "press") {
        if (rest.empty()) throw Exception("press needs a control name");
        PressButton(win::Utf8ToAnsi(rest));
      } else if (command == "close") {
        CloseForm();
      } else {
        throw Exception("unknown command \"" + win::Utf8ToAnsi(command) + "\"");
      }
    } catch (const Exception& e) {
      throw Exception("line " + IntToStr(number) + ": " + e.Message());
    }
  }
}

}  // namespace vcl
