program Demo;

uses
  Forms,
  Shapes in 'Shapes.pas',
  ShapeExport in 'ShapeExport.pas',
  MainForm in 'MainForm.pas' {FormMain},
  ShapeDialog in 'ShapeDialog.pas' {FormShapeDialog};

{$R *.RES}

begin
  Application.Initialize;
  Application.Title := 'Shape Demo';
  Application.CreateForm(TFormMain, FormMain);
  Application.Run;
end.
