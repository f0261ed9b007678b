unit MainForm;

(* Main window of the shape demo: a drawing surface, a tool bar of shape
   kinds and the file commands. *)

interface

uses
  Windows, Messages, SysUtils, Classes, Graphics, Controls, Forms, Dialogs,
  ExtCtrls, StdCtrls, ComCtrls, Menus, ShellAPI, Shapes;

const
  WM_SHAPECOUNT = WM_USER + 101;
  SUntitled = 'Untitled';
  SCaptionFmt = '%s - Shape Demo';

type
  TDragMode = (dmNone, dmDrawing, dmMoving);

  TFormMain = class(TForm)
    PanelTools: TPanel;
    ButtonRectangle: TSpeedButton;
    ButtonEllipse: TSpeedButton;
    ButtonLine: TSpeedButton;
    ButtonText: TSpeedButton;
    PaintBoxDrawing: TPaintBox;
    StatusBarMain: TStatusBar;
    MainMenu1: TMainMenu;
    MenuFile: TMenuItem;
    MenuFileNew: TMenuItem;
    MenuFileOpen: TMenuItem;
    MenuFileSave: TMenuItem;
    MenuFileSaveAs: TMenuItem;
    MenuFileExport: TMenuItem;
    N1: TMenuItem;
    MenuFileExit: TMenuItem;
    MenuEdit: TMenuItem;
    MenuEditDelete: TMenuItem;
    MenuEditProperties: TMenuItem;
    OpenDialog1: TOpenDialog;
    SaveDialog1: TSaveDialog;
    SaveDialogExport: TSaveDialog;
    procedure FormCreate(Sender: TObject);
    procedure FormDestroy(Sender: TObject);
    procedure FormCloseQuery(Sender: TObject; var CanClose: Boolean);
    procedure PaintBoxDrawingPaint(Sender: TObject);
    procedure PaintBoxDrawingMouseDown(Sender: TObject; Button: TMouseButton;
      Shift: TShiftState; X, Y: Integer);
    procedure PaintBoxDrawingMouseMove(Sender: TObject; Shift: TShiftState; X, Y: Integer);
    procedure PaintBoxDrawingMouseUp(Sender: TObject; Button: TMouseButton;
      Shift: TShiftState; X, Y: Integer);
    procedure ButtonKindClick(Sender: TObject);
    procedure MenuFileNewClick(Sender: TObject);
    procedure MenuFileOpenClick(Sender: TObject);
    procedure MenuFileSaveClick(Sender: TObject);
    procedure MenuFileSaveAsClick(Sender: TObject);
    procedure MenuFileExportClick(Sender: TObject);
    procedure MenuFileExitClick(Sender: TObject);
    procedure MenuEditDeleteClick(Sender: TObject);
    procedure MenuEditPropertiesClick(Sender: TObject);
  private
    FShapes: TShapeList;
    FCurrent: TShape;
    FCurrentKind: TShapeKind;
    FDragMode: TDragMode;
    FDragStart: TPoint;
    FModified: Boolean;
    FFileName: string;
    procedure SetCurrentKind(Value: TShapeKind);
    procedure SetModified(Value: Boolean);
    procedure ShapesChanged(Sender: TObject);
    procedure UpdateCaption;
    procedure UpdateStatus;
    function SaveChanges: Boolean;
    procedure WMDropFiles(var Msg: TWMDropFiles); message WM_DROPFILES;
    procedure WMGetMinMaxInfo(var Msg: TWMGetMinMaxInfo); message WM_GETMINMAXINFO;
    procedure WMShapeCount(var Msg: TMessage); message WM_SHAPECOUNT;
    procedure CMMouseLeave(var Msg: TMessage); message CM_MOUSELEAVE;
  protected
    procedure CreateParams(var Params: TCreateParams); override;
  public
    procedure LoadFromFile(const AFileName: string);
    procedure SaveToFile(const AFileName: string);
    property Shapes: TShapeList read FShapes;
    property CurrentKind: TShapeKind read FCurrentKind write SetCurrentKind default skRectangle;
    property Modified: Boolean read FModified write SetModified;
    property FileName: string read FFileName write FFileName;
  end;

var
  FormMain: TFormMain;

implementation

uses
  ShapeDialog, ShapeExport;

{$R *.DFM}

procedure TFormMain.FormCreate(Sender: TObject);
begin
  FShapes := TShapeList.Create;
  FShapes.OnChange := ShapesChanged;
  FCurrentKind := skRectangle;
  ButtonRectangle.Tag := Ord(skRectangle);
  ButtonEllipse.Tag := Ord(skEllipse);
  ButtonLine.Tag := Ord(skLine);
  ButtonText.Tag := Ord(skText);
  DragAcceptFiles(Handle, True);
  UpdateCaption;
  UpdateStatus;
end;

procedure TFormMain.FormDestroy(Sender: TObject);
begin
  DragAcceptFiles(Handle, False);
  FShapes.Free;
end;

procedure TFormMain.FormCloseQuery(Sender: TObject; var CanClose: Boolean);
begin
  CanClose := SaveChanges;
end;

procedure TFormMain.CreateParams(var Params: TCreateParams);
begin
  inherited CreateParams(Params);
  Params.ExStyle := Params.ExStyle or WS_EX_ACCEPTFILES;
end;

//------------------------------------------------------------------------
// procedure TFormMain.PaintBoxDrawingPaint(Sender: TObject)
// Created : 14.03.98 10:12:40
//
// Parameters:
// Sender :the paint box
//
// Description:
// Paints the grid, then every shape from the bottom up.
//------------------------------------------------------------------------
procedure TFormMain.PaintBoxDrawingPaint(Sender: TObject);
var
  I: Integer;

  procedure DrawGrid;
  var
    X, Y: Integer;

    function GridColor: TColor;
    begin
      if SnapToGrid then
        Result := $00E0E0E0
      else
        Result := clBtnFace;
    end;

  begin
    with PaintBoxDrawing.Canvas do
    begin
      Pen.Color := GridColor;
      Pen.Width := 1;
      X := 0;
      while X < PaintBoxDrawing.Width do
      begin
        Y := 0;
        while Y < PaintBoxDrawing.Height do
        begin
          Pixels[X, Y] := Pen.Color;
          Inc(Y, GridSize);
        end;
        Inc(X, GridSize);
      end;
    end;
  end;

begin
  PaintBoxDrawing.Canvas.Brush.Color := clWhite;
  PaintBoxDrawing.Canvas.FillRect(PaintBoxDrawing.ClientRect);
  DrawGrid;
  for I := 0 to FShapes.Count - 1 do
    FShapes[I].Draw(PaintBoxDrawing.Canvas);
end;

//------------------------------------------------------------------------
// procedure TFormMain.PaintBoxDrawingMouseDown(Sender: TObject; Button: TMouseButton; Shift: TShiftState; X, Y: Integer)
// Created : 14.03.98 10:31:02
//
// Parameters:
// Sender :the paint box
// Button :only the left button starts a drag
// Shift  :
// X      :mouse position
// Y      :mouse position
//
// Description:
// Selects the shape under the mouse and starts moving it, or starts
// drawing a new shape of the current kind.
//------------------------------------------------------------------------
procedure TFormMain.PaintBoxDrawingMouseDown(Sender: TObject; Button: TMouseButton;
  Shift: TShiftState; X, Y: Integer);

  function Snap(Value: Integer): Integer;
  begin
    if SnapToGrid then
      Result := (Value + GridSize div 2) div GridSize * GridSize
    else
      Result := Value;
  end;

var
  Hit: TShape;
begin
  if Button <> mbLeft then Exit;
  if FCurrent <> nil then FCurrent.Selected := False;
  Hit := FShapes.ShapeAt(X, Y);
  if (Hit <> nil) and not (ssCtrl in Shift) then
  begin
    FCurrent := Hit;
    FDragMode := dmMoving;
    FDragStart := Point(X, Y);
  end
  else
  begin
    FCurrent := ShapeClasses[FCurrentKind].Create(Rect(Snap(X), Snap(Y), Snap(X), Snap(Y)));
    FCurrent.Color := DefaultColors[FShapes.Count mod 4];
    FShapes.AddShape(FCurrent);
    FDragMode := dmDrawing;
  end;
  FCurrent.Selected := True;
  PaintBoxDrawing.Invalidate;
end;

procedure TFormMain.PaintBoxDrawingMouseMove(Sender: TObject; Shift: TShiftState; X, Y: Integer);
var
  R: TRect;
begin
  case FDragMode of
    dmDrawing:
      begin
        R := FCurrent.Bounds;
        R.BottomRight := Point(X, Y);
        FCurrent.Bounds := R;
        PaintBoxDrawing.Invalidate;
      end;
    dmMoving:
      begin
        FCurrent.MoveBy(X - FDragStart.X, Y - FDragStart.Y);
        FDragStart := Point(X, Y);
        PaintBoxDrawing.Invalidate;
      end;
  end;
  StatusBarMain.Panels[1].Text := Format('%d, %d', [X, Y]);
end;

procedure TFormMain.PaintBoxDrawingMouseUp(Sender: TObject; Button: TMouseButton;
  Shift: TShiftState; X, Y: Integer);
begin
  if FDragMode <> dmNone then Modified := True;
  FDragMode := dmNone;
end;

procedure TFormMain.ButtonKindClick(Sender: TObject);
begin
  CurrentKind := TShapeKind((Sender as TComponent).Tag);
end;

procedure TFormMain.SetCurrentKind(Value: TShapeKind);
begin
  if ShapeClasses[Value] = nil then
  begin
    MessageDlg('The shape ''' + ShapeNames[Value] + ''' is not available.', mtWarning, [mbOK], 0);
    Exit;
  end;
  FCurrentKind := Value;
  UpdateStatus;
end;

procedure TFormMain.SetModified(Value: Boolean);
begin
  if FModified <> Value then
  begin
    FModified := Value;
    UpdateCaption;
  end;
end;

procedure TFormMain.ShapesChanged(Sender: TObject);
begin
  Modified := True;
  PostMessage(Handle, WM_SHAPECOUNT, FShapes.Count, 0);
end;

procedure TFormMain.UpdateCaption;
var
  Name: string;
begin
  if FFileName = '' then
    Name := SUntitled
  else
    Name := ExtractFileName(FFileName);
  if FModified then Name := Name + '*';
  Caption := Format(SCaptionFmt, [Name]);
end;

procedure TFormMain.UpdateStatus;
begin
  StatusBarMain.Panels[0].Text := ShapeNames[FCurrentKind];
  StatusBarMain.Panels[2].Text := IntToStr(FShapes.Count) + ' shapes';
end;

function TFormMain.SaveChanges: Boolean;
begin
  Result := True;
  if not FModified then Exit;
  case MessageDlg('Save changes to ' + Caption + '?', mtConfirmation, mbYesNoCancel, 0) of
    mrYes:
      begin
        MenuFileSaveClick(Self);
        Result := not FModified;
      end;
    mrCancel:
      Result := False;
  end;
end;

//------------------------------------------------------------------------
// procedure TFormMain.LoadFromFile(const AFileName: string)
// Created : 14.03.98 11:02:17
//
// Parameters:
// AFileName :the shape file to read
//
// Description:
// Replaces the drawing with the shapes of the file. A damaged file
// leaves the drawing empty and reports the error.
//------------------------------------------------------------------------
procedure TFormMain.LoadFromFile(const AFileName: string);
var
  Stream: TFileStream;
begin
  Stream := TFileStream.Create(AFileName, fmOpenRead or fmShareDenyWrite);
  try
    try
      FShapes.LoadFromStream(Stream);
    except
      on E: EShapeError do
      begin
        FShapes.Clear;
        MessageDlg(AFileName + ':'#13#10 + E.Message, mtError, [mbOK], 0);
      end;
    end;
  finally
    Stream.Free;
  end;
  FCurrent := nil;
  FFileName := AFileName;
  FModified := False;
  UpdateCaption;
  PaintBoxDrawing.Invalidate;
end;

procedure TFormMain.SaveToFile(const AFileName: string);
var
  Stream: TFileStream;
begin
  Stream := TFileStream.Create(AFileName, fmCreate);
  try
    FShapes.SaveToStream(Stream);
  finally
    Stream.Free;
  end;
  FFileName := AFileName;
  Modified := False;
end;

procedure TFormMain.MenuFileNewClick(Sender: TObject);
begin
  if not SaveChanges then Exit;
  FShapes.Clear;
  FCurrent := nil;
  FFileName := '';
  Modified := False;
  PaintBoxDrawing.Invalidate;
end;

procedure TFormMain.MenuFileOpenClick(Sender: TObject);
begin
  if SaveChanges and OpenDialog1.Execute then
    LoadFromFile(OpenDialog1.FileName);
end;

procedure TFormMain.MenuFileSaveClick(Sender: TObject);
begin
  if FFileName = '' then
    MenuFileSaveAsClick(Sender)
  else
    SaveToFile(FFileName);
end;

procedure TFormMain.MenuFileSaveAsClick(Sender: TObject);
begin
  SaveDialog1.FileName := FFileName;
  if SaveDialog1.Execute then
    SaveToFile(SaveDialog1.FileName);
end;

//------------------------------------------------------------------------
// procedure TFormMain.MenuFileExportClick(Sender: TObject)
// Created : 21.03.98 10:20:41
//
// Parameters:
// Sender :the menu item
//
// Description:
// Asks for a file name and exports the drawing as an SVG picture or a
// shape report, as the file's extension says.
//------------------------------------------------------------------------
procedure TFormMain.MenuFileExportClick(Sender: TObject);
begin
  if FShapes.Count = 0 then
  begin
    MessageDlg('There is nothing to export.', mtInformation, [mbOK], 0);
    Exit;
  end;
  if FFileName <> '' then
    SaveDialogExport.FileName := ChangeFileExt(FFileName, ExportExtensions[efSvg]);
  if not SaveDialogExport.Execute then Exit;
  try
    ExportShapes(FShapes, SaveDialogExport.FileName);
    StatusBarMain.Panels[1].Text := 'Exported to ' + ExtractFileName(SaveDialogExport.FileName);
  except
    on E: EExportError do
      MessageDlg(E.Message, mtError, [mbOK], 0);
  end;
end;

procedure TFormMain.MenuFileExitClick(Sender: TObject);
begin
  Close;
end;

procedure TFormMain.MenuEditDeleteClick(Sender: TObject);
var
  I: Integer;
begin
  if FCurrent = nil then Exit;
  I := FShapes.IndexOf(FCurrent);
  FCurrent := nil;
  if I >= 0 then FShapes.DeleteShape(I);
  PaintBoxDrawing.Invalidate;
end;

procedure TFormMain.MenuEditPropertiesClick(Sender: TObject);
begin
  if FCurrent = nil then Exit;
  if EditShapeProperties(FCurrent) then
  begin
    Modified := True;
    PaintBoxDrawing.Invalidate;
  end;
end;

procedure TFormMain.WMDropFiles(var Msg: TWMDropFiles);
var
  Buffer: array[0..MAX_PATH] of Char;
begin
  try
    if DragQueryFile(Msg.Drop, 0, Buffer, SizeOf(Buffer)) > 0 then
      if SaveChanges then LoadFromFile(StrPas(Buffer));
  finally
    DragFinish(Msg.Drop);
  end;
  Msg.Result := 0;
end;

procedure TFormMain.WMGetMinMaxInfo(var Msg: TWMGetMinMaxInfo);
begin
  inherited;
  with Msg.MinMaxInfo^ do
  begin
    ptMinTrackSize.X := 320;
    ptMinTrackSize.Y := 240;
  end;
end;

procedure TFormMain.WMShapeCount(var Msg: TMessage);
begin
  StatusBarMain.Panels[2].Text := IntToStr(Msg.WParam) + ' shapes';
end;

procedure TFormMain.CMMouseLeave(var Msg: TMessage);
begin
  inherited;
  StatusBarMain.Panels[1].Text := '';
end;

end.
