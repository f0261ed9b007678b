object FormShapeKinds: TFormShapeKinds
  Left = 300
  Top = 200
  Width = 420
  Height = 320
  Caption = 'Shape kinds'
  Font.Charset = DEFAULT_CHARSET
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  ActiveControl = DBGridKinds
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 13
  object DBGridKinds: TDBGrid
    Left = 0
    Top = 0
    Width = 412
    Height = 180
    Align = alTop
    DataSource = DataModuleShapes.DataSourceKinds
    TabOrder = 0
    TitleFont.Charset = DEFAULT_CHARSET
    TitleFont.Height = -11
    TitleFont.Name = 'MS Sans Serif'
    TitleFont.Style = [fsBold]
    Columns = <
      item
        FieldName = 'KIND'
        Width = 120
      end
      item
        FieldName = 'COLORNAME'
        Title.Caption = 'Colour'
      end>
  end
  object PanelFields: TPanel
    Left = 0
    Top = 180
    Width = 412
    Height = 80
    Align = alClient
    BevelOuter = bvNone
    TabOrder = 1
    object LabelKind: TLabel
      Left = 8
      Top = 12
      Width = 24
      Height = 13
      Caption = '&Kind'
      FocusControl = DBEditKind
    end
    object LabelColor: TLabel
      Left = 8
      Top = 44
      Width = 30
      Height = 13
      Caption = 'C&olour'
      FocusControl = DBLookupComboBoxColor
    end
    object DBEditKind: TDBEdit
      Left = 64
      Top = 8
      Width = 160
      Height = 21
      DataField = 'KIND'
      DataSource = DataModuleShapes.DataSourceKinds
      TabOrder = 0
    end
    object DBLookupComboBoxColor: TDBLookupComboBox
      Left = 64
      Top = 40
      Width = 160
      Height = 21
      DataField = 'COLOR'
      DataSource = DataModuleShapes.DataSourceKinds
      KeyField = 'COLOR'
      ListField = 'NAME'
      ListSource = DataModuleShapes.DataSourceColors
      TabOrder = 1
    end
  end
  object DBNavigatorKinds: TDBNavigator
    Left = 0
    Top = 260
    Width = 240
    Height = 25
    DataSource = DataModuleShapes.DataSourceKinds
    Align = alBottom
    TabOrder = 2
  end
end
