object FormMain: TFormMain
  Left = 212
  Top = 118
  Width = 640
  Height = 480
  Caption = 'Untitled - Shape Demo'
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Menu = MainMenu1
  Position = poDefaultPosOnly
  OnCloseQuery = FormCloseQuery
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  TextHeight = 13
  object PaintBoxDrawing: TPaintBox
    Left = 0
    Top = 30
    Width = 632
    Height = 385
    Align = alClient
    Color = clWhite
    ParentColor = False
    OnMouseDown = PaintBoxDrawingMouseDown
    OnMouseMove = PaintBoxDrawingMouseMove
    OnMouseUp = PaintBoxDrawingMouseUp
    OnPaint = PaintBoxDrawingPaint
  end
  object PanelTools: TPanel
    Left = 0
    Top = 0
    Width = 632
    Height = 30
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 0
    object ButtonRectangle: TSpeedButton
      Left = 4
      Top = 3
      Width = 72
      Height = 24
      GroupIndex = 1
      Down = True
      Caption = 'Rectangle'
      OnClick = ButtonKindClick
    end
    object ButtonEllipse: TSpeedButton
      Left = 78
      Top = 3
      Width = 72
      Height = 24
      GroupIndex = 1
      Caption = 'Ellipse'
      OnClick = ButtonKindClick
    end
    object ButtonLine: TSpeedButton
      Left = 152
      Top = 3
      Width = 72
      Height = 24
      GroupIndex = 1
      Caption = 'Line'
      OnClick = ButtonKindClick
    end
    object ButtonText: TSpeedButton
      Left = 226
      Top = 3
      Width = 72
      Height = 24
      GroupIndex = 1
      Caption = 'Text'
      OnClick = ButtonKindClick
    end
  end
  object StatusBarMain: TStatusBar
    Left = 0
    Top = 415
    Width = 632
    Height = 19
    Panels = <
      item
        Width = 120
      end
      item
        Width = 100
      end
      item
        Width = 50
      end>
    SimplePanel = False
  end
  object MainMenu1: TMainMenu
    Left = 24
    Top = 56
    object MenuFile: TMenuItem
      Caption = '&File'
      object MenuFileNew: TMenuItem
        Caption = '&New'
        ShortCut = 16462
        OnClick = MenuFileNewClick
      end
      object MenuFileOpen: TMenuItem
        Caption = '&Open...'
        ShortCut = 16463
        OnClick = MenuFileOpenClick
      end
      object MenuFileSave: TMenuItem
        Caption = '&Save'
        ShortCut = 16467
        OnClick = MenuFileSaveClick
      end
      object MenuFileSaveAs: TMenuItem
        Caption = 'Save &As...'
        OnClick = MenuFileSaveAsClick
      end
      object MenuFileExport: TMenuItem
        Caption = 'E&xport...'
        OnClick = MenuFileExportClick
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object MenuFileExit: TMenuItem
        Caption = 'E&xit'
        OnClick = MenuFileExitClick
      end
    end
    object MenuEdit: TMenuItem
      Caption = '&Edit'
      object MenuEditDelete: TMenuItem
        Caption = '&Delete'
        ShortCut = 46
        OnClick = MenuEditDeleteClick
      end
      object MenuEditProperties: TMenuItem
        Caption = '&Properties...'
        ShortCut = 32781
        OnClick = MenuEditPropertiesClick
      end
    end
  end
  object OpenDialog1: TOpenDialog
    DefaultExt = 'shp'
    Filter = 'Shape files (*.shp)|*.shp|All files (*.*)|*.*'
    Options = [ofHideReadOnly, ofFileMustExist]
    Left = 56
    Top = 56
  end
  object SaveDialog1: TSaveDialog
    DefaultExt = 'shp'
    Filter = 'Shape files (*.shp)|*.shp|All files (*.*)|*.*'
    Options = [ofOverwritePrompt, ofHideReadOnly]
    Left = 88
    Top = 56
  end
  object SaveDialogExport: TSaveDialog
    DefaultExt = 'svg'
    Filter = 'SVG picture (*.svg)|*.svg|Shape report (*.txt)|*.txt'
    Options = [ofOverwritePrompt, ofHideReadOnly]
    Title = 'Export drawing'
    Left = 120
    Top = 56
  end
end
