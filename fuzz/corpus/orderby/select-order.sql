select * from Lang.db order by id
