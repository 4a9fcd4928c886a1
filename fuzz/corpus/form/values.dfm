object DM1: TDM1
  Tag = -2147483648
  OldCreateOrder = True
  Height = $7FFFFFFF
  Width = -1
  object Info: TQorDMInfo
    Tag = 2147483647
    Caption = 'It'#39's '#1069#1090#1086' a '#128512' test'#13#10 +
      'second line, ''quoted'' '#$41#66 +
      ''
  end
  object Plain: TComponent
    Tag = $ff
  end
end
