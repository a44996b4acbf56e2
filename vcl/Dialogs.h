#pragma once
// File-open and file-save dialogs and the directory chooser. Paths go in and
// come back in Windows form (CP1251).
#include "rtl/Classes.h"

namespace vcl {

enum TOpenOption : unsigned {
  ofReadOnly = 1u << 0,
  ofOverwritePrompt = 1u << 1,
  ofHideReadOnly = 1u << 2,
  ofNoChangeDir = 1u << 3,
  ofShowHelp = 1u << 4,
  ofNoValidate = 1u << 5,
  ofAllowMultiSelect = 1u << 6,
  ofExtensionDifferent = 1u << 7,
  ofPathMustExist = 1u << 8,
  ofFileMustExist = 1u << 9,
  ofCreatePrompt = 1u << 10,
  ofShareAware = 1u << 11,
  ofNoReadOnlyReturn = 1u << 12,
  ofNoTestFileCreate = 1u << 13,
  ofNoNetworkButton = 1u << 14,
  ofNoLongNames = 1u << 15,
  ofOldStyleDialog = 1u << 16,
  ofNoDereferenceLinks = 1u << 17,
  ofEnableIncludeNotify = 1u << 18,
  ofEnableSizing = 1u << 19,
};
using TOpenOptions = unsigned;

enum class TFileDialogKind { fdOpen, fdSave };

class VCL_API TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* AOwner);

  // The chosen path after Execute; set beforehand, the name offered first.
  AnsiString FileName;
  // "Description|mask;mask|Description|mask".
  AnsiString Filter;
  int FilterIndex = 1;
  // Added (after a dot) when the operator types a name without extension.
  AnsiString DefaultExt;
  AnsiString Title;
  AnsiString InitialDir;
  TOpenOptions Options = ofHideReadOnly | ofEnableSizing;

  // Runs the dialog on the UI thread; true when the operator confirmed a name.
  virtual bool Execute();
  virtual TFileDialogKind Kind() const { return TFileDialogKind::fdOpen; }
};

class VCL_API TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;
  TFileDialogKind Kind() const override { return TFileDialogKind::fdSave; }
};

// The directory chooser: Directory is the start and, on true, the choice.
VCL_API bool SelectDirectory(const AnsiString& Caption, const AnsiString& Root, AnsiString& Directory);

// Name with DefaultExt appended when its file-name part has no extension.
VCL_API AnsiString AddDefaultExt(const AnsiString& Name, const AnsiString& DefaultExt);

}  // namespace vcl
