object DM1: TDM1
  OldCreateOrder = False
  Height = 375
  Width = 544
  Left = 192
  Top = 107
  object QorDMInfo1: TQorDMInfo
    Caption = #1069#1090#1086' '#1077#1076#1080#1085#1089#1090#1074#1077#1085 +
      #1085#1099#1081' '#1076#1072#1090#1072#1084#1086#1076#1091#1083 +
      #1100' '#1074' '#1101#1090#1086#1081' '#1087#1088#1086#1075#1088 +
      #1072#1084#1084#1077
  end
  object TbPeople: TQorTable
    Tag = 99
    IndexFieldNames = 'Name'
    DatabaseName = 'QorExample'
    TableName = 'People.db'
    Caption = 'People'
    object TbPeopleid: TIntegerField
      DisplayWidth = 3
      FieldName = 'id'
    end
    object TbPeopleName: TStringField
      DisplayWidth = 25
      FieldName = 'Name'
      Size = 40
    end
    object TbPeopleLang: TSmallintField
      Tag = 8
      DisplayLabel = 'Language'
      DisplayWidth = 5
      FieldName = 'Lang'
      Visible = False
    end
    object TbPeopleLangName: TQorLookField
      DisplayLabel = 'Language'
      DisplayWidth = 30
      FieldKind = fkLookup
      FieldName = 'LangName'
      KeyFields = 'Lang'
      LookupDataSet = QLang
      LookupKeyFields = 'Id'
      LookupResultField = 'id;Name'
      Size = 25
      ListFieldIndex = 1
      LookupAddFields = 'Font'
      HeadLine = True
      HeadColor = 10930928
      OnEditData = TbPeopleLangNameEditData
      StoreLookupData = True
    end
    object TbPeopleProf: TSmallintField
      Tag = 8
      DisplayLabel = 'Profession'
      DisplayWidth = 5
      FieldName = 'Prof'
      Visible = False
    end
    object TbPeopleProfName: TQorLookField
      DisplayLabel = 'Profession'
      DisplayWidth = 40
      FieldKind = fkLookup
      FieldName = 'ProfName'
      KeyFields = 'Prof'
      LookupDataSet = QProf
      LookupKeyFields = 'id'
      LookupResultField = 'id;Name'
      Size = 35
      ListFieldIndex = 1
      LookupLevelUp = 'IdUp'
      LookupLevelDown = 'AmountDown'
      HeadLine = True
      HeadColor = 10930928
      StoreLookupData = True
    end
    object TbPeopleContinent: TSmallintField
      Tag = 8
      DisplayWidth = 5
      FieldName = 'Continent'
      Visible = False
    end
    object TbPeopleCountry: TSmallintField
      Tag = 8
      DisplayWidth = 5
      FieldName = 'Country'
      Visible = False
    end
    object TbPeopleCountryName1: TQorLookField
      DisplayLabel = 'Country'
      DisplayWidth = 50
      FieldKind = fkLookup
      FieldName = 'CountryName1'
      KeyFields = 'Country'
      LookupDataSet = QCountry
      LookupKeyFields = 'Id'
      LookupResultField = 'id;Name'
      Size = 45
      ListFieldIndex = 1
      LookupFilterField = 'Continent'
      HeadLine = True
      HeadColor = 10930928
      StoreLookupData = True
      LookupLevelsData = <
        item
          DataSet = QCont
          KeyField = 'Id'
          ResultFields = 'Id;Name'
        end>
    end
    object TbPeopleCountryName2: TQorLookField
      Tag = 8
      DisplayWidth = 50
      FieldKind = fkLookup
      FieldName = 'CountryName2'
      KeyFields = 'Country'
      LookupDataSet = QCountry
      LookupKeyFields = 'Id'
      LookupResultField = 'id;Name'
      Visible = False
      Size = 45
      ListFieldIndex = 1
      LookupFilterField = 'Continent'
      LookupFilterKey = 'Continent'
      HeadLine = True
      HeadColor = 10930928
      StoreLookupData = True
    end
    object TbPeopleInfo: TMemoField
      Tag = 8
      FieldName = 'Info'
      Visible = False
      Size = 40
    end
    object TbPeopleImage: TGraphicField
      Tag = 8
      FieldName = 'Image'
      Visible = False
    end
  end
  object TbCont: TQorTable
    Tag = 99
    IndexFieldNames = 'Id'
    DatabaseName = 'QorExample'
    TableName = 'Cont.db'
    Caption = 'Continents'
    OnEditData = TbContEditData
    object TbContId: TSmallintField
      DisplayLabel = 'id'
      DisplayWidth = 5
      FieldName = 'Id'
    end
    object TbContName: TStringField
      FieldName = 'Name'
    end
  end
  object TbProf: TQorTable
    Tag = 99
    IndexFieldNames = 'Id'
    DatabaseName = 'QorExample'
    TableName = 'Prof.db'
    Caption = 'Professions'
    OnEditData = TbProfEditData
    object TbProfId: TSmallintField
      DisplayLabel = 'id'
      DisplayWidth = 5
      FieldName = 'Id'
    end
    object TbProfName: TStringField
      FieldName = 'Name'
      Size = 30
    end
    object TbProfIdUp: TSmallintField
      Tag = 8
      DisplayLabel = 'CodeUp'
      DisplayWidth = 5
      FieldName = 'IdUp'
      Visible = False
    end
    object TbProfKodUpName: TQorLookField
      DisplayLabel = 'CodeUp'
      DisplayWidth = 38
      FieldKind = fkLookup
      FieldName = 'IdUpName'
      KeyFields = 'IdUp'
      LookupDataSet = QProf
      LookupKeyFields = 'Id'
      LookupResultField = 'Id;Name'
      Size = 35
      ListFieldIndex = 1
      LookupLevelUp = 'IdUp'
      HeadLine = True
      HeadColor = 10930928
      StoreLookupData = True
    end
    object TbProfAmountDown: TSmallintField
      FieldName = 'AmountDown'
    end
  end
  object TbCountry: TQorTable
    Tag = 99
    IndexFieldNames = 'Id'
    DatabaseName = 'QorExample'
    TableName = 'Country.DB'
    Caption = 'Countries'
    OnEditData = TbCountryEditData
    object TbCountryId: TSmallintField
      DisplayLabel = 'id'
      DisplayWidth = 5
      FieldName = 'Id'
    end
    object TbCountryName: TStringField
      FieldName = 'Name'
      Size = 30
    end
    object TbCountryContinent: TSmallintField
      Tag = 8
      DisplayWidth = 5
      FieldName = 'Continent'
      Visible = False
    end
    object TbCountryContN: TQorLookField
      DisplayLabel = 'Continent'
      DisplayWidth = 30
      FieldKind = fkLookup
      FieldName = 'ContinentN'
      KeyFields = 'Continent'
      LookupDataSet = QCont
      LookupKeyFields = 'Id'
      LookupResultField = 'id;Name'
      Size = 25
      ListFieldIndex = 1
      HeadLine = True
      HeadColor = 10930928
      StoreLookupData = True
    end
    object TbCountryDescription: TStringField
      FieldName = 'Description'
      Size = 40
    end
    object TbCountryInfo: TStringField
      FieldName = 'Info'
      Size = 60
    end
    object TbCountryPicture: TGraphicField
      DisplayWidth = 60
      FieldName = 'Picture'
      Visible = False
    end
  end
  object QCont: TQorQuery
    Tag = 99
    AutoCalcFields = False
    DatabaseName = 'QorExample'
    SQL.Strings = (
      'select * from Cont.db')
    OnEditData = TbContEditData
    object QContId: TSmallintField
      DisplayLabel = 'id'
      DisplayWidth = 5
      FieldName = 'Id'
    end
    object QContName: TStringField
      FieldName = 'Name'
    end
  end
  object QProf: TQorQuery
    Tag = 99
    AutoCalcFields = False
    DatabaseName = 'QorExample'
    SQL.Strings = (
      'select * from prof.db')
    OnEditData = TbProfEditData
    object QProfId: TSmallintField
      DisplayLabel = 'id'
      DisplayWidth = 5
      FieldName = 'Id'
    end
    object QProfName: TStringField
      DisplayWidth = 30
      FieldName = 'Name'
      Size = 30
    end
    object QProfIdUp: TSmallintField
      DisplayLabel = 'idUp'
      DisplayWidth = 5
      FieldName = 'IdUp'
    end
    object QProfAmountDown: TSmallintField
      FieldName = 'AmountDown'
    end
  end
  object QCountry: TQorQuery
    Tag = 99
    AutoCalcFields = False
    DatabaseName = 'QorExample'
    SQL.Strings = (
      'select * from Country.db')
    OnEditData = TbCountryEditData
    object QCountryId: TSmallintField
      DisplayLabel = 'id'
      DisplayWidth = 5
      FieldName = 'Id'
    end
    object QCountryName: TStringField
      FieldName = 'Name'
      Size = 30
    end
    object QCountryContinent: TSmallintField
      DisplayWidth = 5
      FieldName = 'Continent'
    end
  end
  object TbLang: TQorTable
    Tag = 99
    DatabaseName = 'QorExample'
    TableName = 'Lang.DB'
    Caption = 'Languages'
    object TbLangId: TSmallintField
      DisplayLabel = 'id'
      DisplayWidth = 5
      FieldName = 'Id'
    end
    object TbLangName: TStringField
      FieldName = 'Name'
    end
    object TbLangFont: TStringField
      FieldName = 'Font'
    end
    object TbLangFontSize: TSmallintField
      DisplayLabel = 'Size'
      DisplayWidth = 5
      FieldName = 'FontSize'
    end
    object TbLangLayout: TStringField
      FieldName = 'Layout'
      Size = 8
    end
  end
  object QLang: TQorQuery
    Tag = 99
    AutoCalcFields = False
    DatabaseName = 'QorExample'
    SQL.Strings = (
      'select * from Lang.db'
      'order by id')
    object QLangId: TSmallintField
      DisplayLabel = 'id'
      DisplayWidth = 5
      FieldName = 'Id'
    end
    object QLangName: TStringField
      FieldName = 'Name'
    end
    object QLangFont: TStringField
      FieldName = 'Font'
    end
    object QLangFontSize: TSmallintField
      DisplayLabel = 'Size'
      DisplayWidth = 5
      FieldName = 'FontSize'
    end
    object QLangLayout: TStringField
      FieldName = 'Layout'
      Size = 8
    end
  end
  object DSQLang: TDataSource
    DataSet = QLang
  end
end
