object DM1: TDataModule
  OldCreateOrder = False
  Height = 300
  Width = 400
  Left = 200
  Top = 120
  object Settings: TComponent
    Tag = 99
  end
  object Counters: TComponent
    Tag = 80
  end
end
