select Name, Id from People.db
where Lang = 1
ORDER  BY Name desc, "Last Name", 3;
