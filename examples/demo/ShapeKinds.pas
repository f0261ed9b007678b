unit ShapeKinds;

(* Browses the shape catalogue of the data module: a grid of the kinds, the
   current kind's fields and a navigator. *)

interface

uses
  Windows, SysUtils, Classes, Graphics, Controls, Forms, StdCtrls, ExtCtrls,
  DBCtrls, Grids, DBGrids, ShapeData;

type
  TFormShapeKinds = class(TForm)
    DBGridKinds: TDBGrid;
    PanelFields: TPanel;
    LabelKind: TLabel;
    DBEditKind: TDBEdit;
    LabelColor: TLabel;
    DBLookupComboBoxColor: TDBLookupComboBox;
    DBNavigatorKinds: TDBNavigator;
    procedure FormShow(Sender: TObject);
  end;

var
  FormShapeKinds: TFormShapeKinds;

implementation

{$R *.DFM}

procedure TFormShapeKinds.FormShow(Sender: TObject);
begin
  Caption := Format('Shape kinds (%d)', [DataModuleShapes.KindCount]);
end;

end.
