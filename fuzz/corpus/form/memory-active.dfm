object Module: TDataModule
  object Codes: TMemDataSet
    Active = True
    IndexFieldNames = 'Code'
    Filter = 'Code > 1'
    Filtered = True
    object CodesCode: TIntegerField
      FieldName = 'Code'
    end
    object CodesTitle: TStringField
      FieldName = 'Title'
      Size = 30
    end
  end
  object Items: TMemDataSet
    Active = True
    object ItemsCode: TIntegerField
      FieldName = 'Code'
    end
    object ItemsTitle: TStringField
      FieldKind = fkLookup
      FieldName = 'CodeTitle'
      KeyFields = 'Code'
      LookupDataSet = Codes
      LookupKeyFields = 'Code'
      LookupResultField = 'Title'
      LookupCache = True
    end
    object ItemsCalc: TIntegerField
      FieldKind = fkCalculated
      FieldName = 'Calc'
    end
  end
end
