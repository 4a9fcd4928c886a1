// TStrings and TStringList: lists of text lines, with Text joined by CR LF, streamed in
// form files as the extra property "Strings".
#pragma once

#include <string>
#include <vector>

#include "framework/core/Events.h"
#include "framework/core/Persistent.h"

namespace fw {

class TStrings : public TPersistent {
  FW_CLASS(TStrings)
 public:
  virtual int GetCount() const = 0;
  /// The line at an index; "List index out of bounds (%d)" outside 0..Count-1.
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& s);
  virtual void Insert(int index, const std::string& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  std::string operator[](int index) const { return Get(index); }
  int Add(const std::string& s);
  void AddStrings(const TStrings& other);
  /// The index of the first line equal to `s` ignoring case, or -1.
  virtual int IndexOf(const std::string& s) const;
  /// The lines joined by CR LF (no line break after the last one).
  std::string GetText() const;
  /// Replaces the lines by the text split at CR LF, LF or CR (a final break adds no line).
  void SetText(const std::string& text);
  std::vector<std::string> ToVector() const;
  bool Equals(const TStrings& other) const;

  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return FUpdateCount > 0; }

  void Assign(const TPersistent* source) override;
  void DefineProperties(TFiler* filer) override;

 protected:
  virtual void SetUpdateState(bool updating) {}

 private:
  int FUpdateCount = 0;
};

class TStringList : public TStrings {
  FW_CLASS(TStringList)
 public:
  TStringList() = default;
  explicit TStringList(std::vector<std::string> lines) : FLines(std::move(lines)) {}

  int GetCount() const override { return static_cast<int>(FLines.size()); }
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;
  void Insert(int index, const std::string& s) override;
  void Delete(int index) override;
  void Clear() override;

  TNotifyEvent GetOnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = e; }
  TNotifyEvent GetOnChanging() const { return FOnChanging; }
  void SetOnChanging(TNotifyEvent e) { FOnChanging = e; }

 protected:
  void Changing();
  void Changed();
  void SetUpdateState(bool updating) override;

 private:
  std::vector<std::string> FLines;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnChanging;
};

}  // namespace fw
