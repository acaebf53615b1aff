#include <gtest/gtest.h>

#include "platform/Component.h"

namespace {

class TWatcher : public TComponent {
public:
  std::vector<TComponent*> Removed;
  void Watch(TComponent* other) { FreeNotification(other); }

protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == opRemove) {
      Removed.push_back(component);
    }
  }
};

class TCounted : public TComponent {
public:
  explicit TCounted(int& destroyed) : FDestroyed(destroyed) {}
  ~TCounted() override { ++FDestroyed; }

private:
  int& FDestroyed;
};

TEST(Component, OwnerDestroysWhatItOwns) {
  int destroyed = 0;
  {
    TComponent owner;
    TCounted& child = owner.Own(std::make_unique<TCounted>(destroyed));
    owner.Own(std::make_unique<TCounted>(destroyed));
    EXPECT_EQ(child.Owner(), &owner);
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 2);
}

TEST(Component, ListenerHearsOfRemovalOnce) {
  TWatcher watcher;
  auto watched = std::make_unique<TComponent>();
  TComponent* address = watched.get();
  watcher.Watch(address);
  watcher.Watch(address);
  watched.reset();
  ASSERT_EQ(watcher.Removed.size(), 1u);
  EXPECT_EQ(watcher.Removed[0], address);
}

TEST(Component, ListenerGoingFirstIsForgotten) {
  TComponent watched;
  {
    TWatcher watcher;
    watcher.Watch(&watched);
  }
  // Destroying `watched` now must not touch the destroyed watcher (ASan would report it).
}

TEST(Component, OwnedSiblingsHearOfEachOthersRemoval) {
  TComponent owner;
  TComponent& first = owner.Own(std::make_unique<TComponent>());
  TWatcher& second = owner.Own(std::make_unique<TWatcher>());
  second.Watch(&first);
  // Owned components go newest first: the watcher goes before what it watches, safely.
}

}  // namespace
