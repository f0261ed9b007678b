unit ShapeData;

(* The shape catalogue: a table of shape kinds with their default colours,
   and a table of colours the kinds look their colour names up in. *)

interface

uses
  SysUtils, Classes, DB, DBTables;

type
  TDataModuleShapes = class(TDataModule)
    TableKinds: TTable;
    TableKindsKIND: TStringField;
    TableKindsCOLOR: TIntegerField;
    TableKindsCOLORNAME: TStringField;
    TableColors: TTable;
    DataSourceKinds: TDataSource;
    DataSourceColors: TDataSource;
    procedure DataModuleCreate(Sender: TObject);
  private
    { Private declarations }
  public
    function KindCount: Integer;
  end;

var
  DataModuleShapes: TDataModuleShapes;

implementation

{$R *.DFM}

procedure TDataModuleShapes.DataModuleCreate(Sender: TObject);
begin
  TableColors.Open;
  TableKinds.Open;
end;

function TDataModuleShapes.KindCount: Integer;
begin
  Result := TableKinds.RecordCount;
end;

end.
