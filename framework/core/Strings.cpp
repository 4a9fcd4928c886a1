#include "framework/core/Strings.h"

#include "framework/core/Consts.h"
#include "framework/core/Exceptions.h"
#include "framework/core/Filer.h"
#include "framework/core/Scoped.h"
#include "framework/core/Text.h"
#include "framework/core/TypInfo.h"

namespace fw {

const TClassInfo& TStrings::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TStrings>("TStrings", &TPersistent::StaticClass()).Build();
  return info;
}

void TStrings::Put(int index, const std::string& s) {
  BeginUpdate();
  TScopeExit endUpdate([this] { EndUpdate(); });
  Delete(index);
  Insert(index, s);
}

int TStrings::Add(const std::string& s) {
  int index = GetCount();
  Insert(index, s);
  return index;
}

void TStrings::AddStrings(const TStrings& other) {
  BeginUpdate();
  TScopeExit endUpdate([this] { EndUpdate(); });
  for (int i = 0; i < other.GetCount(); ++i) Add(other.Get(i));
}

int TStrings::IndexOf(const std::string& s) const {
  for (int i = 0; i < GetCount(); ++i)
    if (SameText(Get(i), s)) return i;
  return -1;
}

std::string TStrings::GetText() const {
  std::string out;
  for (int i = 0; i < GetCount(); ++i) {
    if (i > 0) out += "\r\n";
    out += Get(i);
  }
  return out;
}

void TStrings::SetText(const std::string& text) {
  BeginUpdate();
  TScopeExit endUpdate([this] { EndUpdate(); });
  Clear();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      Add(text.substr(start));
      break;
    }
    Add(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
}

std::vector<std::string> TStrings::ToVector() const {
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(GetCount()));
  for (int i = 0; i < GetCount(); ++i) out.push_back(Get(i));
  return out;
}

bool TStrings::Equals(const TStrings& other) const {
  if (GetCount() != other.GetCount()) return false;
  for (int i = 0; i < GetCount(); ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::Assign(const TPersistent* source) {
  if (auto* other = dynamic_cast<const TStrings*>(source)) {
    if (other == this) return;
    BeginUpdate();
    TScopeExit endUpdate([this] { EndUpdate(); });
    Clear();
    AddStrings(*other);
    return;
  }
  TPersistent::Assign(source);
}

void TStrings::DefineProperties(TFiler* filer) {
  filer->DefineProperty(
      "Strings",
      [this](TReader& reader) {
        auto lines = reader.ReadStringList();
        BeginUpdate();
        TScopeExit endUpdate([this] { EndUpdate(); });
        Clear();
        for (auto& line : lines) Add(line);
      },
      [this](TWriter& writer) { writer.WriteStringList(ToVector()); }, GetCount() > 0);
}

const TClassInfo& TStringList::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TStringList>("TStringList", &TStrings::StaticClass()).Build();
  return info;
}

std::string TStringList::Get(int index) const {
  if (index < 0 || index >= GetCount()) ListIndexError(index);
  return FLines[static_cast<std::size_t>(index)];
}

void TStringList::Put(int index, const std::string& s) {
  if (index < 0 || index >= GetCount()) ListIndexError(index);
  Changing();
  FLines[static_cast<std::size_t>(index)] = s;
  Changed();
}

void TStringList::Insert(int index, const std::string& s) {
  if (index < 0 || index > GetCount()) ListIndexError(index);
  Changing();
  FLines.insert(FLines.begin() + index, s);
  Changed();
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= GetCount()) ListIndexError(index);
  Changing();
  FLines.erase(FLines.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (FLines.empty()) return;
  Changing();
  FLines.clear();
  Changed();
}

void TStringList::Changing() {
  if (!Updating() && FOnChanging) FOnChanging(this);
}

void TStringList::Changed() {
  if (!Updating() && FOnChange) FOnChange(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

}  // namespace fw
