select * from t -- order by x
where a = 1 /* order by y */ order by z