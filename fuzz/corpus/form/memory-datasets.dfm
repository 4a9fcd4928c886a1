object Module: TDataModule
  Height = 200
  Width = 300
  object Codes: TMemDataSet
    IndexFieldNames = 'Code'
    Filter = '(Code > 1) and not (Title = ''x*'')'
    FilterOptions = [foCaseInsensitive, foNoPartialCompare]
    object CodesCode: TIntegerField
      FieldName = 'Code'
      Required = True
    end
    object CodesTitle: TStringField
      FieldName = 'Title'
      Size = 30
    end
    object CodesPrice: TCurrencyField
      FieldName = 'Price'
    end
    object CodesWhen: TDateTimeField
      FieldName = 'When'
    end
    object CodesDone: TBooleanField
      FieldName = 'Done'
    end
    object CodesRatio: TFloatField
      FieldName = 'Ratio'
    end
    object CodesBig: TLargeintField
      FieldName = 'Big'
    end
    object CodesNote: TMemoField
      FieldName = 'Note'
    end
  end
  object Items: TMemDataSet
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
  end
  object ItemsSource: TDataSource
    AutoEdit = False
    DataSet = Items
    Enabled = False
  end
end
