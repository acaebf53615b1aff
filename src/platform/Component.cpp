#include "platform/Component.h"

#include <algorithm>

namespace {
void Erase(std::vector<TComponent*>& list, TComponent* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
}  // namespace

TComponent::~TComponent() {
  // Owned components go first, newest first, while this one can still be told of their removal.
  while (!FComponents.empty()) {
    FComponents.pop_back();
  }
  for (TComponent* watched : FWatched) {
    Erase(watched->FListeners, this);
  }
  const auto listeners = FListeners;
  FListeners.clear();
  for (TComponent* listener : listeners) {
    Erase(listener->FWatched, this);
    listener->Notification(this, opRemove);
  }
}

void TComponent::FreeNotification(TComponent* other) {
  if (other == nullptr || other == this) {
    return;
  }
  if (std::find(other->FListeners.begin(), other->FListeners.end(), this) == other->FListeners.end()) {
    other->FListeners.push_back(this);
    FWatched.push_back(other);
  }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (other == nullptr) {
    return;
  }
  Erase(other->FListeners, this);
  Erase(FWatched, other);
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::InsertComponent(std::unique_ptr<TComponent> component) {
  component->FOwner = this;
  FComponents.push_back(std::move(component));
}
