object Module: TDataModule
  object A: TMemDataSet
    Active = True
    object AId: TIntegerField
      FieldName = 'Id'
    end
    object AB: TStringField
      FieldKind = fkLookup
      FieldName = 'BName'
      KeyFields = 'Id'
      LookupDataSet = B
      LookupKeyFields = 'Id'
      LookupResultField = 'AName'
    end
  end
  object B: TMemDataSet
    Active = True
    object BId: TIntegerField
      FieldName = 'Id'
    end
    object BA: TStringField
      FieldKind = fkLookup
      FieldName = 'AName'
      KeyFields = 'Id'
      LookupDataSet = A
      LookupKeyFields = 'Id'
      LookupResultField = 'BName'
    end
  end
end
