object ExampleForm: TExampleForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'Qor window layer'
  ClientHeight = 146
  ClientWidth = 328
  Color = clBtnFace
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'DejaVu Sans'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object CodeEdit: TEdit
    Left = 12
    Top = 16
    Width = 150
    Height = 21
    PopupMenu = EditMenu
    TabOrder = 0
    Text = 'Kiev'
  end
  object NameEdit: TEdit
    Left = 12
    Top = 48
    Width = 150
    Height = 21
    PopupMenu = EditMenu
    TabOrder = 1
    OnKeyPress = NameKeyPress
  end
  object OkButton: TButton
    Left = 232
    Top = 14
    Width = 84
    Height = 25
    Caption = '&OK'
    Default = True
    ModalResult = 1
    TabOrder = 2
    OnClick = OkClick
  end
  object CancelButton: TButton
    Left = 232
    Top = 46
    Width = 84
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 3
  end
  object AskButton: TButton
    Left = 232
    Top = 108
    Width = 84
    Height = 25
    Caption = '&Clear all...'
    TabOrder = 4
    OnClick = AskClick
  end
  object EditMenu: TPopupMenu
    OnPopup = EditMenuPopup
    object UpperItem: TMenuItem
      Caption = '&Upper case'
      ShortCut = 16469
      OnClick = UpperClick
    end
    object LineItem: TMenuItem
      Caption = '-'
    end
    object ClearItem: TMenuItem
      Caption = 'C&lear'
      ShortCut = 16460
      OnClick = ClearClick
    end
  end
end
