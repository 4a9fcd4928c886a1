object DM1: TDataModule
  object QProf: TQorQuery
    Active = True
    DatabaseName = 'QorExample'
    SQL.Strings = (
      'select * from prof.db')
  end
  object TbProf: TQorTable
    IndexFieldNames = 'Id'
    DatabaseName = 'QorExample'
    TableName = 'Prof.db'
    Caption = 'Professions'
    UniqueFields = 'Id'
    Actions = [daInsert, daDelete]
    object TbProfId: TSmallintField
      DisplayLabel = 'id'
      FieldName = 'Id'
    end
    object TbProfName: TStringField
      FieldName = 'Name'
      Size = 30
    end
    object TbProfIdUp: TSmallintField
      FieldName = 'IdUp'
    end
    object TbProfIdUpName: TQorLookField
      FieldKind = fkLookup
      FieldName = 'IdUpName'
      KeyFields = 'IdUp'
      LookupDataSet = QProf
      LookupKeyFields = 'Id'
      LookupResultField = 'Id;Name'
      Size = 35
      ListFieldIndex = 1
      LookupLevelUp = 'IdUp'
      LookupLevelDown = 'AmountDown'
      Options = [foEditWindow, foUpDownInClose]
      HeadLine = False
      HeadColor = $00A6CAF0
    end
    object TbProfAmountDown: TSmallintField
      FieldName = 'AmountDown'
    end
  end
  object TbCont: TQorTable
    Active = True
    DatabaseName = 'QorExample'
    TableName = 'Cont.db'
    IndexDefs = <
      item
        Name = 'ByName'
        Fields = 'Name'
        Options = [ixCaseInsensitive]
      end>
  end
end
