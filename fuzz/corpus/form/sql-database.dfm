object DM1: TDataModule
  object Db: TDatabase
    DatabaseName = 'Local'
    DriverName = 'SQLITE'
    Params.Strings = (
      'PATH=missing.sqlite'
      'BUSY TIMEOUT=100')
  end
  object QSql: TQuery
    Active = True
    DatabaseName = 'QorExampleSQL'
    SQL.Strings = (
      'select Id, Name from db'
      'where Id > 1'
      'order by Name desc')
  end
  object QSource: TDataSource
    DataSet = QSql
  end
  object QDetail: TQorQuery
    Active = True
    DatabaseName = 'QorExample'
    DataSource = QSource
    SQL.Strings = (
      'select * from Lang.db where Id = :Id')
    Params = <
      item
        Name = 'Id'
        DataType = ftInteger
      end>
  end
end
