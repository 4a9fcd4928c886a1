object DM1: TDataModule
  object TbCountry: TTable
    Active = True
    DatabaseName = 'QorExample'
    TableName = 'Country.DB'
    IndexFieldNames = 'Continent'
    MasterSource = DSCont
    MasterFields = 'Id'
  end
  object TbCont: TTable
    Active = True
    DatabaseName = 'QorExample'
    TableName = 'Cont.db'
    Filter = 'Name <> NULL'
  end
  object DSCont: TDataSource
    DataSet = TbCont
  end
end
