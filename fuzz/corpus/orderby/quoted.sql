select 'order by x' from t where a = 'it''s' order
	by a