#pragma once

#include <memory>
#include <vector>

// The component model of the pipeline: an optional owner that destroys what it owns, and removal
// notification, so a component that points to another hears when that one goes away.
enum TOperation { opInsert, opRemove };

class TComponent {
public:
  TComponent() = default;
  virtual ~TComponent();

  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // Takes ownership: the component is destroyed with its owner.
  template <class T>
  T& Own(std::unique_ptr<T> component) {
    T& ref = *component;
    InsertComponent(std::move(component));
    return ref;
  }

  TComponent* Owner() const { return FOwner; }

  // Asks to be told (through Notification) when `other` is destroyed; either side may go first.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

protected:
  virtual void Notification(TComponent* component, TOperation operation);

private:
  void InsertComponent(std::unique_ptr<TComponent> component);

  TComponent* FOwner = nullptr;
  std::vector<std::unique_ptr<TComponent>> FComponents;
  std::vector<TComponent*> FListeners;  // told when this component is destroyed
  std::vector<TComponent*> FWatched;    // components this one listens to
};
