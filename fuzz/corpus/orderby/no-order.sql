select * from t;
