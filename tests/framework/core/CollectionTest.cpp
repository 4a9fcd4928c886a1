// Tests of TPersistent assignment and naming, and of TCollection / TCollectionItem:
// creation, indexing, removal, reordering, whole-collection assignment and update batching.
#include "framework/core/Collection.h"

#include <gtest/gtest.h>

#include "tests/support/ExpectError.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Component.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Strings.h"
#include "framework/core/TypInfo.h"

namespace {

class TLevelItem : public fw::TCollectionItem {
  FW_CLASS(TLevelItem)
 public:
  explicit TLevelItem(fw::TCollection* collection) : TCollectionItem(collection) {}

  std::string GetCaption() const { return FCaption; }
  void SetCaption(const std::string& v) { FCaption = v; }
  std::int32_t GetWidth() const { return FWidth; }
  void SetWidth(std::int32_t v) { FWidth = v; }

  void Assign(const fw::TPersistent* source) override {
    if (auto* item = dynamic_cast<const TLevelItem*>(source)) {
      FCaption = item->FCaption;
      FWidth = item->FWidth;
      return;
    }
    TCollectionItem::Assign(source);
  }

 private:
  std::string FCaption;
  std::int32_t FWidth = 0;
};

const fw::TClassInfo& TLevelItem::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TLevelItem>("TLevelItem", &fw::TCollectionItem::StaticClass())
          .Prop("Caption", &TLevelItem::GetCaption, &TLevelItem::SetCaption)
          .Prop("Width", &TLevelItem::GetWidth, &TLevelItem::SetWidth).Default(0)
          .Build();
  return info;
}

// Records each Update call: "*" for the whole collection, else the item's caption.
class TLevels : public fw::TOwnedCollection {
  FW_CLASS(TLevels)
 public:
  explicit TLevels(fw::TPersistent* owner) : TOwnedCollection(owner, TLevelItem::StaticClass()) {}

  TLevelItem* Level(int index) const { return static_cast<TLevelItem*>(GetItem(index)); }
  TLevelItem* AddLevel(const std::string& caption, std::int32_t width = 0) {
    auto* item = static_cast<TLevelItem*>(Add());
    item->SetCaption(caption);
    item->SetWidth(width);
    return item;
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> out;
    for (int i = 0; i < GetCount(); ++i) out.push_back(Level(i)->GetCaption());
    return out;
  }

  std::vector<std::string> FUpdates;

 protected:
  void Update(fw::TCollectionItem* item) override {
    FUpdates.push_back(item ? static_cast<TLevelItem*>(item)->GetCaption() : "*");
  }
};

const fw::TClassInfo& TLevels::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TLevels>("TLevels", &fw::TOwnedCollection::StaticClass()).Build();
  return info;
}

// A component that publishes an owned collection.
class TGrid : public fw::TComponent {
  FW_CLASS(TGrid)
 public:
  explicit TGrid(fw::TComponent* owner) : TComponent(owner), FLevels(std::make_unique<TLevels>(this)) {}
  TLevels* GetLevels() const { return FLevels.get(); }

 private:
  std::unique_ptr<TLevels> FLevels;
};

const fw::TClassInfo& TGrid::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TGrid>("TGrid", &fw::TComponent::StaticClass())
          .ReadOnlyProp("Levels", &TGrid::GetLevels)
          .Build();
  return info;
}

class TFoo : public fw::TPersistent {
  FW_CLASS(TFoo)
 public:
  int FValue = 0;
};

// Knows how to copy itself into a TFoo (the AssignTo side of Assign).
class TFooSource : public fw::TPersistent {
  FW_CLASS(TFooSource)
 public:
  int FValue = 0;

 protected:
  void AssignTo(fw::TPersistent* dest) const override {
    if (auto* foo = dynamic_cast<TFoo*>(dest)) {
      foo->FValue = FValue;
      return;
    }
    TPersistent::AssignTo(dest);
  }
};

class TBar : public fw::TPersistent {
  FW_CLASS(TBar)
};

const fw::TClassInfo& TFoo::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TFoo>("TFoo", &fw::TPersistent::StaticClass()).Build();
  return info;
}
const fw::TClassInfo& TFooSource::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TFooSource>("TFooSource", &fw::TPersistent::StaticClass()).Build();
  return info;
}
const fw::TClassInfo& TBar::StaticClass() {
  static const fw::TClassInfo& info =
      fw::TClassBuilder<TBar>("TBar", &fw::TPersistent::StaticClass()).Build();
  return info;
}

// ---------------------------------------------------------------------------- persistent

TEST(PersistentTest, AssignGoesThroughTheSourcesAssignTo) {
  TFoo foo;
  TFooSource source;
  source.FValue = 7;
  foo.Assign(&source);
  EXPECT_EQ(foo.FValue, 7);
}

TEST(PersistentTest, AssignOfNilOrAnUnrelatedClassRaisesConvertError) {
  TFoo foo;
  TBar bar;
  fw::TStringList list;
  TLevels levels(nullptr);
  fw::TCollectionItem* item = levels.Add();
  struct Case {
    fw::TPersistent* dest;
    const fw::TPersistent* source;
    std::string message;
  };
  const std::vector<Case> cases = {
      {&foo, nullptr, "Cannot assign a nil to a TFoo"},
      {&foo, &bar, "Cannot assign a TBar to a TFoo"},
      {&bar, &foo, "Cannot assign a TFoo to a TBar"},
      {&levels, nullptr, "Cannot assign a nil to a TLevels"},
      {&levels, &list, "Cannot assign a TStringList to a TLevels"},
      {&list, &levels, "Cannot assign a TLevels to a TStringList"},
      {&list, nullptr, "Cannot assign a nil to a TStringList"},
      {item, &bar, "Cannot assign a TBar to a TLevelItem"},
      {item, &levels, "Cannot assign a TLevels to a TLevelItem"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    ExpectError<fw::EConvertError>([&] { c.dest->Assign(c.source); }, c.message);
  }
  EXPECT_EQ(levels.GetCount(), 1);
}

TEST(PersistentTest, NamePathOfComponentsCollectionsAndItems) {
  struct Case {
    const char* gridName;
    std::string grid, collection, item1;
  };
  const std::vector<Case> cases = {
      {"Grid1", "Grid1", "Grid1.Levels", "Grid1.Levels[1]"},
      {"", "", "Levels", "Levels[1]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.gridName);
    TGrid grid(nullptr);
    grid.SetName(c.gridName);
    TLevels* levels = grid.GetLevels();
    levels->AddLevel("a");
    levels->AddLevel("b");
    EXPECT_EQ(levels->GetOwner(), &grid);
    EXPECT_EQ(levels->Level(1)->GetOwner(), levels);
    EXPECT_EQ(levels->GetPropName(), "Levels");
    EXPECT_EQ(grid.GetNamePath(), c.grid);
    EXPECT_EQ(levels->GetNamePath(), c.collection);
    EXPECT_EQ(levels->Level(1)->GetNamePath(), c.item1);
  }
}

// ---------------------------------------------------------------------------- collection

class CollectionTest : public ::testing::Test {
 protected:
  CollectionTest() {
    FLevels.AddLevel("a", 1);
    FLevels.AddLevel("b", 2);
    FLevels.AddLevel("c", 3);
    FLevels.FUpdates.clear();
  }
  using Captions = std::vector<std::string>;
  TLevels FLevels{nullptr};
};

TEST_F(CollectionTest, AddCreatesItemsOfTheItemClassInOrder) {
  EXPECT_EQ(&FLevels.GetItemClass(), &TLevelItem::StaticClass());
  ASSERT_EQ(FLevels.GetCount(), 3);
  for (int i = 0; i < FLevels.GetCount(); ++i) {
    SCOPED_TRACE(i);
    fw::TCollectionItem* item = FLevels.GetItem(i);
    EXPECT_NE(dynamic_cast<TLevelItem*>(item), nullptr);
    EXPECT_EQ(item->ClassName(), "TLevelItem");
    EXPECT_EQ(item->GetCollection(), &FLevels);
    EXPECT_EQ(item->GetIndex(), i);
  }
  EXPECT_EQ(FLevels.Captions(), (Captions{"a", "b", "c"}));
}

TEST_F(CollectionTest, GetItemOutsideTheListRaisesListError) {
  for (int index : {-1, 3, 100}) {
    SCOPED_TRACE(index);
    ExpectError<fw::EListError>([&] { FLevels.GetItem(index); },
                                "List index out of bounds (" + std::to_string(index) + ")");
  }
}

TEST_F(CollectionTest, RemovingItems) {
  struct Case {
    const char* name;
    std::function<void(TLevels&)> act;
    Captions expected;
  };
  const std::vector<Case> cases = {
      {"delete an item", [](TLevels& l) { delete l.GetItem(1); }, {"a", "c"}},
      {"Delete first", [](TLevels& l) { l.Delete(0); }, {"b", "c"}},
      {"Delete last", [](TLevels& l) { l.Delete(2); }, {"a", "b"}},
      {"Clear", [](TLevels& l) { l.Clear(); }, {}},
      {"Delete out of range", [](TLevels& l) { EXPECT_THROW(l.Delete(3), fw::EListError); },
       {"a", "b", "c"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TLevels levels(nullptr);
    for (const char* s : {"a", "b", "c"}) levels.AddLevel(s);
    c.act(levels);
    EXPECT_EQ(levels.Captions(), c.expected);
    ASSERT_EQ(levels.GetCount(), static_cast<int>(c.expected.size()));
    for (int i = 0; i < levels.GetCount(); ++i) EXPECT_EQ(levels.GetItem(i)->GetIndex(), i);
  }
}

TEST_F(CollectionTest, SetIndexReorders) {
  struct Case {
    int from, to;
    Captions expected;
  };
  const std::vector<Case> cases = {
      {0, 2, {"b", "c", "a"}},
      {2, 0, {"c", "a", "b"}},
      {0, 1, {"b", "a", "c"}},
      {1, 1, {"a", "b", "c"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
    TLevels levels(nullptr);
    for (const char* s : {"a", "b", "c"}) levels.AddLevel(s);
    fw::TCollectionItem* moved = levels.GetItem(c.from);
    moved->SetIndex(c.to);
    EXPECT_EQ(levels.Captions(), c.expected);
    EXPECT_EQ(moved->GetIndex(), c.to);
  }
  ExpectError<fw::EListError>([&] { FLevels.GetItem(0)->SetIndex(3); },
                              "List index out of bounds (3)");
  EXPECT_EQ(FLevels.Captions(), (Captions{"a", "b", "c"}));
}

TEST_F(CollectionTest, AssignCopiesEveryItemThroughItsAssign) {
  TLevels dest(nullptr);
  dest.AddLevel("old", 9);
  dest.Assign(&FLevels);
  ASSERT_EQ(dest.Captions(), (Captions{"a", "b", "c"}));
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(dest.Level(i)->GetWidth(), FLevels.Level(i)->GetWidth());
    EXPECT_NE(dest.Level(i), FLevels.Level(i));
    EXPECT_EQ(dest.Level(i)->GetCollection(), &dest);
  }
  EXPECT_EQ(FLevels.Captions(), (Captions{"a", "b", "c"}));  // the source is untouched

  dest.Assign(&dest);
  EXPECT_EQ(dest.Captions(), (Captions{"a", "b", "c"}));
}

TEST_F(CollectionTest, UpdateRunsOnceForEachChangeOrBlockOfChanges) {
  struct Case {
    const char* name;
    std::function<void(TLevels&)> act;
  };
  const std::vector<Case> cases = {
      {"Add", [](TLevels& l) { l.Add(); }},
      {"Delete", [](TLevels& l) { l.Delete(0); }},
      {"SetIndex", [](TLevels& l) { l.GetItem(0)->SetIndex(2); }},
      {"Clear", [](TLevels& l) { l.Clear(); }},
      {"Assign",
       [](TLevels& l) {
         TLevels other(nullptr);
         other.AddLevel("x");
         other.AddLevel("y");
         l.Assign(&other);
       }},
      {"block of changes",
       [](TLevels& l) {
         l.BeginUpdate();
         l.AddLevel("d");
         l.AddLevel("e");
         l.Delete(0);
         l.GetItem(0)->SetIndex(3);
         delete l.GetItem(1);
         l.EndUpdate();
       }},
      {"nested blocks",
       [](TLevels& l) {
         l.BeginUpdate();
         l.BeginUpdate();
         l.Add();
         l.EndUpdate();
         l.Add();
         l.EndUpdate();
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TLevels levels(nullptr);
    for (const char* s : {"a", "b", "c"}) levels.AddLevel(s);
    levels.FUpdates.clear();
    c.act(levels);
    EXPECT_EQ(levels.FUpdates, Captions{"*"});
  }
}

}  // namespace
