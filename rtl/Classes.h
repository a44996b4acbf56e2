#pragma once
// TObject, TPersistent, TComponent and method references (events).
#include <functional>
#include <vector>

#include "rtl/Exceptions.h"

namespace vcl {

class VCL_API TObject {
 public:
  virtual ~TObject();
  // The class's own name without namespace, such as "TVCLUnZip".
  AnsiString ClassName() const;
};

// An event: an optional handler bound to its receiver. Empty means "not assigned".
using TNotifyEvent = std::function<void(TObject* Sender)>;

// Binds a member function to its receiver, as an event assignment does.
template <class R, class... A>
std::function<void(A...)> BindMethod(R* receiver, void (R::*method)(A...)) {
  return [receiver, method](A... args) { (receiver->*method)(std::forward<A>(args)...); };
}

class VCL_API TPersistent : public TObject {
 public:
  // Copies Source into this object; raises EConvertError when neither side knows how.
  virtual void Assign(TPersistent* Source);

 protected:
  virtual void AssignTo(TPersistent* Dest);
};

enum class TOperation { opInsert, opRemove };

// A component has at most one owner, which frees it; its owned components are
// freed with it (last inserted first).
class VCL_API TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  const AnsiString& Name() const { return FName; }
  virtual void SetName(const AnsiString& NewName);

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;
  // Finds an owned component by name, without regard to case; null when absent.
  TComponent* FindComponent(const AnsiString& AName) const;
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);

  bool Designing() const { return FDesigning; }
  void SetDesigning(bool Value) { FDesigning = Value; }
  // Called once the component's properties have been set up.
  virtual void Loaded() {}

  // Tells the component that AComponent is being inserted or removed (freed).
  virtual void Notification(TComponent* AComponent, TOperation Operation);

 private:
  TComponent* FOwner = nullptr;
  AnsiString FName;
  std::vector<TComponent*> FComponents;
  bool FDesigning = false;
};

}  // namespace vcl
