#include "framework/core/DataModule.h"

#include "framework/core/Filer.h"
#include "framework/core/TypInfo.h"

namespace fw {

const TClassInfo& TDataModule::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDataModule>("TDataModule", &TComponent::StaticClass())
          .Prop("OldCreateOrder", &TDataModule::GetOldCreateOrder, &TDataModule::SetOldCreateOrder)
          .Prop("OnCreate", &TDataModule::GetOnCreate, &TDataModule::SetOnCreate)
          .Prop("OnDestroy", &TDataModule::GetOnDestroy, &TDataModule::SetOnDestroy)
          .Prop("Height", &TDataModule::GetHeight, &TDataModule::SetHeight).Default(0)
          .Prop("Width", &TDataModule::GetWidth, &TDataModule::SetWidth).Default(0)
          .Build();
  return info;
}

TDataModule::TDataModule(TComponent* owner) : TComponent(owner) { AddGlobalRoot(this); }

TDataModule::~TDataModule() {
  RemoveGlobalRoot(this);
  if (FOnDestroy) FOnDestroy(this);
}

void TDataModule::Loaded() {
  TComponent::Loaded();
  if (FOnCreate) FOnCreate(this);
}

void TDataModule::DefineProperties(TFiler* filer) {
  TComponent::DefineProperties(filer);
  filer->DefineProperty(
      "Left", [this](TReader& r) { FLeft = static_cast<std::int32_t>(r.ReadInteger()); },
      [this](TWriter& w) { w.WriteInteger(FLeft); }, FLeft != 0);
  filer->DefineProperty(
      "Top", [this](TReader& r) { FTop = static_cast<std::int32_t>(r.ReadInteger()); },
      [this](TWriter& w) { w.WriteInteger(FTop); }, FTop != 0);
}

}  // namespace fw
