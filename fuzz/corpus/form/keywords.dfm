object A: TDataModule
  inline B: TComponent
    Tag = 5
  end
  inherited C: TComponent
  end
end
