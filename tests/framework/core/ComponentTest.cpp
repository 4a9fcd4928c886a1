// Tests of TComponent: ownership and the order in which owners free their components,
// naming rules, component state, free notification, the insert/remove broadcast and the
// list of global roots.
#include "framework/core/Component.h"

#include <gtest/gtest.h>

#include "tests/support/ExpectError.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Exceptions.h"

namespace {

using fw::TComponent;
using fw::TOperation;
using Trace = std::vector<std::string>;

// A component that writes what happens to it into a trace: "free X" when it is destroyed
// and, when asked to, "X: insert Y" / "X: remove Y" for each notification it receives.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* owner, const std::string& name, Trace* trace, bool logNotifications = true)
      : TComponent(owner), FTrace(trace), FLogNotifications(logNotifications) {
    SetName(name);
  }
  ~TProbe() override { Log("free " + GetName()); }

  void Notification(TComponent* component, TOperation operation) override {
    if (FLogNotifications)
      Log(GetName() + (operation == TOperation::opInsert ? ": insert " : ": remove ") +
          (component ? component->GetName() : std::string("(nil)")));
    TComponent::Notification(component, operation);
  }

 protected:
  void Log(const std::string& line) {
    if (FTrace) FTrace->push_back(line);
  }

 private:
  Trace* FTrace;
  bool FLogNotifications;
};

// Frees a sibling from its destructor, as a component that owns a helper through a raw
// pointer would.
class TSiblingKiller : public TProbe {
 public:
  TSiblingKiller(TComponent* owner, const std::string& name, Trace* trace, TComponent* victim)
      : TProbe(owner, name, trace, false), FVictim(victim) {}
  ~TSiblingKiller() override { delete FVictim; }

 private:
  TComponent* FVictim;
};

// ---------------------------------------------------------------------------- ownership

TEST(ComponentOwnershipTest, OwnerFreesOwnedComponentsLastCreatedFirst) {
  struct Case {
    const char* name;
    bool killer;  // the last child frees the middle one from its destructor
    Trace expected;
  };
  const std::vector<Case> cases = {
      {"plain children", false, {"free C", "free B", "free A"}},
      {"child frees a sibling", true, {"free B", "free C", "free A"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Trace trace;
    auto owner = std::make_unique<TComponent>(nullptr);
    new TProbe(owner.get(), "A", &trace, false);
    auto* b = new TProbe(owner.get(), "B", &trace, false);
    if (c.killer)
      new TSiblingKiller(owner.get(), "C", &trace, b);
    else
      new TProbe(owner.get(), "C", &trace, false);
    owner.reset();
    EXPECT_EQ(trace, c.expected);
  }
}

TEST(ComponentOwnershipTest, ListsOwnedComponentsInCreationOrder) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  auto* c = new TComponent(&owner);
  ASSERT_EQ(owner.GetComponentCount(), 3);
  EXPECT_EQ(owner.GetComponent(0), a);
  EXPECT_EQ(owner.GetComponent(1), b);
  EXPECT_EQ(owner.GetComponent(2), c);
  EXPECT_EQ(c->GetComponentIndex(), 2);
  EXPECT_EQ(a->GetOwner(), &owner);
  EXPECT_EQ(owner.GetComponentIndex(), -1);  // not owned

  delete b;
  ASSERT_EQ(owner.GetComponentCount(), 2);
  EXPECT_EQ(owner.GetComponent(1), c);
  EXPECT_EQ(c->GetComponentIndex(), 1);

  for (int index : {5, 2, -1}) {
    SCOPED_TRACE(index);
    ExpectError<fw::EListError>([&] { owner.GetComponent(index); },
                                "List index out of bounds (" + std::to_string(index) + ")");
  }
}

TEST(ComponentOwnershipTest, InsertComponentMovesFromThePreviousOwner) {
  TComponent first(nullptr);
  TComponent second(nullptr);
  auto* c = new TComponent(&first);
  second.InsertComponent(c);
  EXPECT_EQ(c->GetOwner(), &second);
  EXPECT_EQ(second.GetComponentCount(), 1);
  EXPECT_EQ(first.GetComponentCount(), 0);
  if (first.GetComponentCount() != 0) first.RemoveComponent(c);  // else both would free it
}

// ---------------------------------------------------------------------------- names

TEST(ComponentNameTest, NameIsAnIdentifierUniqueAmongTheOwnersComponentsIgnoringCase) {
  struct Case {
    std::string name;
    bool ok;
  };
  // The owner already holds "Button1"; the renamed component is called "Edit1".
  const std::vector<Case> cases = {
      {"Edit2", true},    {"_x1", true},      {"", true},        {"EDIT1", true},
      {"Button2", true},  {"button1", false}, {"BUTTON1", false}, {"1Edit", false},
      {"Edit 1", false},  {"Edit-1", false},  {"Поле", false},    {" Edit1", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("'" + c.name + "'");
    TComponent owner(nullptr);
    (new TComponent(&owner))->SetName("Button1");
    auto* edit = new TComponent(&owner);
    edit->SetName("Edit1");
    if (c.ok) {
      EXPECT_NO_THROW(edit->SetName(c.name));
      EXPECT_EQ(edit->GetName(), c.name);
    } else {
      EXPECT_THROW(edit->SetName(c.name), fw::EComponentError);
      EXPECT_EQ(edit->GetName(), "Edit1");
    }
  }
}

TEST(ComponentNameTest, EmptyNamesAndNamesInOtherOwnersDoNotClash) {
  TComponent owner1(nullptr), owner2(nullptr);
  auto* a = new TComponent(&owner1);
  auto* b = new TComponent(&owner1);  // two unnamed components in one owner
  a->SetName("Table1");
  auto* c = new TComponent(&owner2);
  EXPECT_NO_THROW(c->SetName("TABLE1"));
  EXPECT_EQ(b->GetName(), "");
}

TEST(ComponentNameTest, FindComponentIgnoresCase) {
  TComponent owner(nullptr);
  auto* table = new TComponent(&owner);
  table->SetName("TbPeople");
  (new TComponent(&owner))->SetName("DsPeople");
  new TComponent(&owner);  // unnamed

  EXPECT_EQ(owner.FindComponent("TbPeople"), table);
  EXPECT_EQ(owner.FindComponent("TBPEOPLE"), table);
  EXPECT_EQ(owner.FindComponent("tbpeople"), table);
  EXPECT_EQ(owner.FindComponent("TbPeople1"), nullptr);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
}

// ---------------------------------------------------------------------------- state

TEST(ComponentStateTest, FlagsAndTheirPropagationToOwnedComponents) {
  struct Case {
    const char* name;
    std::function<void(TComponent&)> act;
    fw::TComponentStateFlag flag;
    bool onOwner;
    bool onChild;
  };
  const std::vector<Case> cases = {
      {"loading", [](TComponent& o) { o.SetLoadingState(true); }, fw::csLoading, true, false},
      {"Loaded ends loading",
       [](TComponent& o) {
         o.SetLoadingState(true);
         o.Loaded();
       },
       fw::csLoading, false, false},
      {"reading", [](TComponent& o) { o.SetReadingState(true); }, fw::csReading, true, false},
      {"designing", [](TComponent& o) { o.SetDesigning(true); }, fw::csDesigning, true, true},
      {"designing off",
       [](TComponent& o) {
         o.SetDesigning(true);
         o.SetDesigning(false);
       },
       fw::csDesigning, false, false},
      {"Destroying", [](TComponent& o) { o.Destroying(); }, fw::csDestroying, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TComponent owner(nullptr);
    auto* child = new TComponent(&owner);
    auto* grandChild = new TComponent(child);
    TComponent stranger(nullptr);
    c.act(owner);
    EXPECT_EQ(owner.HasState(c.flag), c.onOwner);
    EXPECT_EQ(child->HasState(c.flag), c.onChild);
    EXPECT_EQ(grandChild->HasState(c.flag), c.onChild);
    EXPECT_FALSE(stranger.HasState(c.flag));
  }
}

// ---------------------------------------------------------------------------- notification

TEST(FreeNotificationTest, TheOtherSideIsToldOnceWhenEitherSideIsFreed) {
  struct Case {
    const char* name;
    bool freeA;  // else B is freed first
    Trace expected;
  };
  const std::vector<Case> cases = {
      {"A freed", true, {"free A", "B: remove A"}},
      {"B freed", false, {"free B", "A: remove B"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Trace trace;
    auto* a = new TProbe(nullptr, "A", &trace);
    auto* b = new TProbe(nullptr, "B", &trace);
    a->FreeNotification(b);
    TProbe* kept = c.freeA ? b : a;
    const std::string keptName = kept->GetName();
    delete (c.freeA ? a : b);
    EXPECT_EQ(trace, c.expected);
    trace.clear();
    delete kept;  // must not reach the freed one
    EXPECT_EQ(trace, Trace{"free " + keptName});
  }
}

TEST(FreeNotificationTest, RemoveFreeNotificationStopsTheNotification) {
  Trace trace;
  auto* a = new TProbe(nullptr, "A", &trace);
  auto b = std::make_unique<TProbe>(nullptr, "B", &trace);
  a->FreeNotification(b.get());
  a->RemoveFreeNotification(b.get());
  delete a;
  EXPECT_EQ(trace, Trace{"free A"});
}

TEST(FreeNotificationTest, FreeingTheOwnersInEitherOrderLeavesNoDanglingLink) {
  struct Case {
    const char* name;
    bool ownerAFirst;
    Trace expected;  // what the survivor sees when the first owner goes
  };
  const std::vector<Case> cases = {
      {"owner of A first", true, {"B: remove A"}},
      {"owner of B first", false, {"A: remove B"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto ownerA = std::make_unique<TComponent>(nullptr);
    auto ownerB = std::make_unique<TComponent>(nullptr);
    Trace trace;
    // Only the survivor writes to the trace.
    auto* a = new TProbe(ownerA.get(), "A", c.ownerAFirst ? nullptr : &trace);
    auto* b = new TProbe(ownerB.get(), "B", c.ownerAFirst ? &trace : nullptr);
    b->FreeNotification(a);
    a->FreeNotification(b);  // asking twice links once
    (c.ownerAFirst ? ownerA : ownerB).reset();
    EXPECT_EQ(trace, c.expected);
    (c.ownerAFirst ? ownerB : ownerA).reset();  // AddressSanitizer watches this one
  }
}

TEST(FreeNotificationTest, SiblingsThatAskedAreToldOnce) {
  // Siblings hear of each other's removal from their owner; having asked for free
  // notification as well must not make them hear it twice.
  struct Case {
    const char* name;
    bool freeOwner;  // else only the sibling B is freed
    Trace expected;  // what A sees
  };
  const std::vector<Case> cases = {
      {"sibling freed", false, {"A: remove B"}},
      {"owner freed", true, {"A: remove B", "A: remove A", "free A"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Trace trace;
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* a = new TProbe(owner.get(), "A", &trace);
    auto* b = new TProbe(owner.get(), "B", nullptr);
    a->FreeNotification(b);
    trace.clear();
    if (c.freeOwner)
      owner.reset();
    else
      delete b;
    EXPECT_EQ(trace, c.expected);
    owner.reset();
  }
}

TEST(ComponentNotificationTest, InsertAndRemoveAreBroadcastToTheOwnerAndItsComponents) {
  Trace trace;
  TProbe owner(nullptr, "Owner", &trace);
  new TProbe(&owner, "S1", &trace);
  new TProbe(&owner, "S2", &trace);

  auto* n = new TProbe(nullptr, "N", &trace);
  trace.clear();
  owner.InsertComponent(n);
  EXPECT_EQ(trace, (Trace{"Owner: insert N", "N: insert N", "S2: insert N", "S1: insert N"}));

  trace.clear();
  auto* s1 = owner.FindComponent("S1");
  owner.RemoveComponent(s1);
  EXPECT_EQ(trace, (Trace{"Owner: remove S1", "N: remove S1", "S2: remove S1", "S1: remove S1"}));
  EXPECT_EQ(s1->GetOwner(), nullptr);
  EXPECT_EQ(owner.GetComponentCount(), 2);

  trace.clear();
  delete s1;  // no longer owned: nobody hears of it
  EXPECT_EQ(trace, Trace{"free S1"});

  trace.clear();
  delete owner.FindComponent("S2");
  EXPECT_EQ(trace, (Trace{"free S2", "Owner: remove S2", "N: remove S2"}));
}

// ---------------------------------------------------------------------------- global roots

TEST(GlobalRootTest, FoundByNameIgnoringCaseAndForgottenWhenFreed) {
  auto root = std::make_unique<TComponent>(nullptr);
  root->SetName("CoreTestModule1");
  TComponent other(nullptr);
  other.SetName("CoreTestModule2");
  fw::AddGlobalRoot(root.get());
  fw::AddGlobalRoot(&other);
  fw::AddGlobalRoot(root.get());  // a second add changes nothing

  EXPECT_EQ(fw::FindGlobalComponent("CoreTestModule1"), root.get());
  EXPECT_EQ(fw::FindGlobalComponent("coretestmodule1"), root.get());
  EXPECT_EQ(fw::FindGlobalComponent("CORETESTMODULE2"), &other);
  EXPECT_EQ(fw::FindGlobalComponent("CoreTestModule3"), nullptr);

  root->SetName("CoreTestModule3");  // found under its current name
  EXPECT_EQ(fw::FindGlobalComponent("CoreTestModule1"), nullptr);
  EXPECT_EQ(fw::FindGlobalComponent("coreTestModule3"), root.get());

  root.reset();
  EXPECT_EQ(fw::FindGlobalComponent("CoreTestModule3"), nullptr);

  fw::RemoveGlobalRoot(&other);
  EXPECT_EQ(fw::FindGlobalComponent("CoreTestModule2"), nullptr);
}

}  // namespace
