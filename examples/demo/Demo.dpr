program Demo;

uses
  Forms,
  Shapes in 'Shapes.pas',
  ShapeExport in 'ShapeExport.pas',
  MainForm in 'MainForm.pas' {FormMain},
  ShapeDialog in 'ShapeDialog.pas' {FormShapeDialog},
  ShapeData in 'ShapeData.pas' {DataModuleShapes: TDataModule},
  ShapeKinds in 'ShapeKinds.pas' {FormShapeKinds};

{$R *.RES}

begin
  Application.Initialize;
  Application.Title := 'Shape Demo';
  Application.CreateForm(TFormMain, FormMain);
  Application.CreateForm(TDataModuleShapes, DataModuleShapes);
  Application.Run;
end.
