object FormShapeDialog: TFormShapeDialog
  Left = 280
  Top = 190
  BorderStyle = bsDialog
  Caption = 'Shape Properties'
  ClientHeight = 150
  ClientWidth = 282
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object LabelColor: TLabel
    Left = 12
    Top = 16
    Width = 27
    Height = 13
    Caption = 'Color:'
  end
  object LabelPenWidth: TLabel
    Left = 12
    Top = 48
    Width = 54
    Height = 13
    Caption = 'Pen width:'
  end
  object LabelText: TLabel
    Left = 12
    Top = 80
    Width = 24
    Height = 13
    Caption = 'Text:'
  end
  object ShapeColor: TShape
    Left = 88
    Top = 12
    Width = 49
    Height = 21
  end
  object ButtonColor: TButton
    Left = 144
    Top = 10
    Width = 75
    Height = 25
    Caption = '&Color...'
    TabOrder = 0
    OnClick = ButtonColorClick
  end
  object EditPenWidth: TEdit
    Left = 88
    Top = 44
    Width = 49
    Height = 21
    TabOrder = 1
    Text = '1'
  end
  object EditText: TEdit
    Left = 88
    Top = 76
    Width = 181
    Height = 21
    TabOrder = 2
  end
  object ButtonOK: TButton
    Left = 112
    Top = 114
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    TabOrder = 3
    OnClick = ButtonOKClick
  end
  object ButtonCancel: TButton
    Left = 194
    Top = 114
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 4
  end
  object ColorDialog1: TColorDialog
    Ctl3D = True
    Left = 232
    Top = 40
  end
end
