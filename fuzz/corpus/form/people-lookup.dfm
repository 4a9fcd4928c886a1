object DM1: TDM1
  OldCreateOrder = False
  Height = 375
  Width = 544
  Left = 192
  Top = 107
  object QLang: TQorQuery
    Active = True
    DatabaseName = 'QorExample'
    SQL.Strings = (
      'select * from Lang.db'
      'order by id')
  end
  object QCountry: TQorQuery
    Active = True
    DatabaseName = 'QorExample'
    SQL.Strings = (
      'select * from Country.db')
    OnEditData = TbCountryEditData
  end
  object QCont: TQorQuery
    Active = True
    DatabaseName = 'QorExample'
    SQL.Strings = (
      'select * from Cont.db')
  end
  object TbPeople: TQorTable
    Tag = 99
    Active = True
    IndexFieldNames = 'Name'
    DatabaseName = 'QorExample'
    TableName = 'People.db'
    Caption = 'People'
    object TbPeopleid: TIntegerField
      DisplayWidth = 3
      FieldName = 'id'
    end
    object TbPeopleName: TStringField
      FieldName = 'Name'
      Size = 40
    end
    object TbPeopleLang: TSmallintField
      FieldName = 'Lang'
      Visible = False
    end
    object TbPeopleLangName: TQorLookField
      DisplayLabel = 'Language'
      FieldKind = fkLookup
      FieldName = 'LangName'
      KeyFields = 'Lang'
      LookupDataSet = QLang
      LookupKeyFields = 'Id'
      LookupResultField = 'id;Name'
      Size = 25
      ListFieldIndex = 1
      LookupAddFields = 'Font'
      OnEditData = TbPeopleLangNameEditData
      StoreLookupData = True
    end
    object TbPeopleCountry: TSmallintField
      FieldName = 'Country'
    end
    object TbPeopleContinent: TSmallintField
      FieldName = 'Continent'
    end
    object TbPeopleCountryName: TQorLookField
      FieldKind = fkLookup
      FieldName = 'CountryName'
      KeyFields = 'Country'
      LookupDataSet = QCountry
      LookupKeyFields = 'Id'
      LookupResultField = 'id;Name'
      Size = 45
      ListFieldIndex = 1
      LookupFilterField = 'Continent'
      LookupCache = True
      LookupLevelsData = <
        item
          DataSet = QCont
          KeyField = 'Id'
          ResultFields = 'Id;Name'
        end>
    end
  end
  object DSQLang: TDataSource
    DataSet = QLang
  end
end
