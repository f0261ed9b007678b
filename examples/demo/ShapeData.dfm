object DataModuleShapes: TDataModuleShapes
  OldCreateOrder = False
  OnCreate = DataModuleCreate
  Left = 260
  Top = 160
  Height = 220
  Width = 300
  object TableKinds: TTable
    DatabaseName = 'VELMORIC'
    TableName = 'kinds.db'
    IndexName = 'ByKind'
    Left = 32
    Top = 16
    object TableKindsKIND: TStringField
      FieldName = 'KIND'
      Size = 20
    end
    object TableKindsCOLOR: TIntegerField
      FieldName = 'COLOR'
    end
    object TableKindsCOLORNAME: TStringField
      FieldKind = fkLookup
      FieldName = 'COLORNAME'
      LookupDataSet = TableColors
      LookupKeyFields = 'COLOR'
      LookupResultField = 'NAME'
      KeyFields = 'COLOR'
      Size = 30
      Lookup = True
    end
  end
  object TableColors: TTable
    DatabaseName = 'VELMORIC'
    TableName = 'colors.db'
    Left = 32
    Top = 72
  end
  object DataSourceKinds: TDataSource
    DataSet = TableKinds
    Left = 120
    Top = 16
  end
  object DataSourceColors: TDataSource
    DataSet = TableColors
    Left = 120
    Top = 72
  end
end
