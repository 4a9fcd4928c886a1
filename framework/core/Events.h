// Events: a handler is a target object and one of its member functions (the form of
// handlers that form files name), or any callable assigned from code. Either way an event
// is one comparable value (TMethod) that can be saved, replaced and put back.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

#include "framework/core/Object.h"

namespace fw {

/// The untyped form of an event: the code (a thunk unique to a class and member, or to the
/// signature of a callable) and the target object. Two methods are equal when both parts
/// are. A callable assigned from code is held by an object of its own: Data points to it
/// and Closure keeps it alive while any copy of the event exists.
struct TMethod {
  using CodePtr = void (*)();
  CodePtr Code = nullptr;
  TObject* Data = nullptr;
  std::shared_ptr<TObject> Closure;
  bool Assigned() const { return Code != nullptr; }
  friend bool operator==(const TMethod& a, const TMethod& b) {
    return a.Code == b.Code && a.Data == b.Data;
  }
};

template <class Sig>
class TEvent;

/// A typed event: `void(TObject* sender)` and the like. Code assigns a member function
/// (`fw::Method<&TForm1::Opened>(this)`) or any callable:
///
///   dataSet->SetAfterOpen([&](TDataSet* ds) { ++opened; });
///
/// A callable's event is assigned and is equal to its own copies only; GetMethod gives a
/// TMethod that SetMethodProp takes back, and GetMethodName finds no name for it, so a form
/// file never names such a handler.
template <class R, class... A>
class TEvent<R(A...)> {
 public:
  using Signature = R(A...);
  using Thunk = R (*)(TObject*, A...);

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  TEvent(Thunk code, TObject* data) : FCode(code), FData(data) {}
  template <class F>
    requires(!std::is_same_v<std::decay_t<F>, TEvent> && !std::is_same_v<std::decay_t<F>, std::nullptr_t> &&
             std::is_invocable_r_v<R, std::decay_t<F>&, A...>)
  TEvent(F&& callable) {
    auto closure = std::make_shared<TClosure<std::decay_t<F>>>(std::forward<F>(callable));
    FCode = &TClosure<std::decay_t<F>>::Call;
    FData = closure.get();
    FClosure = std::move(closure);
  }

  bool Assigned() const { return FCode != nullptr; }
  explicit operator bool() const { return Assigned(); }
  R operator()(A... args) const { return FCode(FData, std::forward<A>(args)...); }

  /// The target object; for a callable, the object that holds it.
  TObject* Data() const { return FData; }
  TMethod GetMethod() const { return {reinterpret_cast<TMethod::CodePtr>(FCode), FData, FClosure}; }
  static TEvent FromMethod(const TMethod& m) {
    TEvent e(reinterpret_cast<Thunk>(m.Code), m.Data);
    e.FClosure = m.Closure;
    return e;
  }
  friend bool operator==(const TEvent& a, const TEvent& b) {
    return a.FCode == b.FCode && a.FData == b.FData;
  }

 private:
  template <class F>
  struct TClosure : TObject {
    explicit TClosure(F f) : Func(std::move(f)) {}
    static R Call(TObject* self, A... args) {
      return static_cast<TClosure*>(self)->Func(std::forward<A>(args)...);
    }
    F Func;
  };

  Thunk FCode = nullptr;
  TObject* FData = nullptr;
  std::shared_ptr<TObject> FClosure;
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
