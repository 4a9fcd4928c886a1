// Events as method pointers: a target object and one of its member functions, as one
// comparable value (TMethod) that can be saved, replaced and put back, and assigned by a
// handler's name when a form file is read.
#pragma once

#include <utility>

namespace fw {

class TObject;

/// The untyped form of an event: the code (a thunk unique to a class and member) and the
/// target object. Two methods are equal when both parts are.
struct TMethod {
  using CodePtr = void (*)();
  CodePtr Code = nullptr;
  TObject* Data = nullptr;
  bool Assigned() const { return Code != nullptr; }
  friend bool operator==(const TMethod&, const TMethod&) = default;
};

template <class Sig>
class TEvent;

/// A typed event: `void(TObject* sender)` and the like.
template <class R, class... A>
class TEvent<R(A...)> {
 public:
  using Signature = R(A...);
  using Thunk = R (*)(TObject*, A...);

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  TEvent(Thunk code, TObject* data) : FCode(code), FData(data) {}

  bool Assigned() const { return FCode != nullptr; }
  explicit operator bool() const { return Assigned(); }
  R operator()(A... args) const { return FCode(FData, std::forward<A>(args)...); }

  TObject* Data() const { return FData; }
  TMethod GetMethod() const { return {reinterpret_cast<TMethod::CodePtr>(FCode), FData}; }
  static TEvent FromMethod(const TMethod& m) { return {reinterpret_cast<Thunk>(m.Code), m.Data}; }
  friend bool operator==(const TEvent& a, const TEvent& b) {
    return a.FCode == b.FCode && a.FData == b.FData;
  }

 private:
  Thunk FCode = nullptr;
  TObject* FData = nullptr;
};

using TNotifyEvent = TEvent<void(TObject* sender)>;

template <class F>
struct TMemberTraits;

template <class C, class R, class... A>
struct TMemberTraits<R (C::*)(A...)> {
  using Class = C;
  using Signature = R(A...);
  template <auto M>
  static R Call(TObject* self, A... args) {
    return (static_cast<C*>(self)->*M)(std::forward<A>(args)...);
  }
};

/// The event that calls member M of `target`: `SetOnAfterOpen(fw::Method<&TForm1::Opened>(this))`.
template <auto M>
TEvent<typename TMemberTraits<decltype(M)>::Signature> Method(
    typename TMemberTraits<decltype(M)>::Class* target) {
  using Traits = TMemberTraits<decltype(M)>;
  return {&Traits::template Call<M>, target};
}

/// Puts an event back when the scope ends (code that borrows another object's event).
template <class Setter, class Event>
class TEventRestorer {
 public:
  TEventRestorer(Setter setter, Event saved) : FSetter(std::move(setter)), FSaved(saved) {}
  ~TEventRestorer() { FSetter(FSaved); }
  TEventRestorer(const TEventRestorer&) = delete;
  TEventRestorer& operator=(const TEventRestorer&) = delete;

 private:
  Setter FSetter;
  Event FSaved;
};

}  // namespace fw
