object A: TDataModule
  object B: TComponent
    Tag = 1 +
  end
end