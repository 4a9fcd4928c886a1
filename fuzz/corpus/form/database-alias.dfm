object DM1: TDataModule
  object Db: TDatabase
    AliasName = 'QorExampleSQL'
    Connected = True
    DatabaseName = 'Local'
  end
  object Q: TQuery
    Active = True
    DatabaseName = 'Local'
    SQL.Strings = (
      'select * from db')
  end
end
