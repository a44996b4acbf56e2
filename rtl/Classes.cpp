#include "rtl/Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <typeinfo>

#include "platform/CodePages.h"

namespace vcl {

TObject::~TObject() = default;

AnsiString TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  AnsiString name = status == 0 && demangled ? demangled : mangled;
  std::free(demangled);
  size_t colon = name.rfind("::");
  return colon == AnsiString::npos ? name : name.substr(colon + 2);
}

void TPersistent::Assign(TPersistent* Source) {
  if (Source) {
    Source->AssignTo(this);
    return;
  }
  AssignTo(this);  // reports "nil" below
}

void TPersistent::AssignTo(TPersistent* Dest) {
  AnsiString source = this == Dest ? AnsiString("nil") : ClassName();
  throw EConvertError(Format("Cannot assign a %s to a %s", source.c_str(), Dest->ClassName().c_str()));
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Owned components go first, the last inserted first; each removes itself.
  while (!FComponents.empty()) delete FComponents.back();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::SetName(const AnsiString& NewName) { FName = NewName; }

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError(Format("List index out of bounds (%d)", Index));
  return FComponents[Index];
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (win::AnsiSameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
  Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  auto it = std::find(FComponents.begin(), FComponents.end(), AComponent);
  if (it == FComponents.end()) return;
  Notification(AComponent, TOperation::opRemove);
  FComponents.erase(it);
  AComponent->FOwner = nullptr;
}

void TComponent::Notification(TComponent*, TOperation) {}

}  // namespace vcl
