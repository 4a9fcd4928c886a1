// TDataModule: a root component without windows that holds datasets and other
// non-visual components; known to form files of other roots by its name while it lives.
#pragma once

#include "framework/core/Component.h"
#include "framework/core/Events.h"

namespace fw {

class TDataModule : public TComponent {
  FW_CLASS(TDataModule)
 public:
  /// Creates the module and makes it a global root ("DM1.DSQLang" from other forms).
  explicit TDataModule(TComponent* owner);
  /// Fires OnDestroy first, then frees the owned components.
  ~TDataModule() override;

  bool GetOldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(bool v) { FOldCreateOrder = v; }
  std::int32_t GetHeight() const { return FHeight; }
  void SetHeight(std::int32_t v) { FHeight = v; }
  std::int32_t GetWidth() const { return FWidth; }
  void SetWidth(std::int32_t v) { FWidth = v; }
  std::int32_t GetLeft() const { return FLeft; }
  void SetLeft(std::int32_t v) { FLeft = v; }
  std::int32_t GetTop() const { return FTop; }
  void SetTop(std::int32_t v) { FTop = v; }

  TNotifyEvent GetOnCreate() const { return FOnCreate; }
  void SetOnCreate(TNotifyEvent e) { FOnCreate = e; }
  TNotifyEvent GetOnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(TNotifyEvent e) { FOnDestroy = e; }

  /// Fires OnCreate once the module's form file is read.
  void Loaded() override;
  void DefineProperties(TFiler* filer) override;

 private:
  bool FOldCreateOrder = false;
  std::int32_t FHeight = 0, FWidth = 0, FLeft = 0, FTop = 0;
  TNotifyEvent FOnCreate, FOnDestroy;
};

}  // namespace fw
