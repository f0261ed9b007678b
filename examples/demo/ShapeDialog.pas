unit ShapeDialog;

{ The shape properties dialog and the text shape, which needs a font and
  a caption and so lives beside the dialog that edits them. }

interface

uses
  Windows, SysUtils, Classes, Graphics, Controls, Forms, Dialogs, StdCtrls,
  ExtCtrls, Shapes;

type
  TTextShape = class(TRectShape)
  private
    FText: string;
    FFont: TFont;
    procedure SetFont(Value: TFont);
    procedure SetText(const Value: string);
  protected
    function GetKind: TShapeKind; override;
  public
    constructor Create(const ABounds: TRect); override;
    destructor Destroy; override;
    procedure Draw(Canvas: TCanvas); override;
  published
    property Text: string read FText write SetText;
    property Font: TFont read FFont write SetFont;
  end;

  TFormShapeDialog = class(TForm)
    LabelColor: TLabel;
    LabelPenWidth: TLabel;
    LabelText: TLabel;
    ShapeColor: ExtCtrls.TShape;
    ButtonColor: TButton;
    EditPenWidth: TEdit;
    EditText: TEdit;
    ButtonOK: TButton;
    ButtonCancel: TButton;
    ColorDialog1: TColorDialog;
    procedure ButtonColorClick(Sender: TObject);
    procedure ButtonOKClick(Sender: TObject);
  private
    FShape: Shapes.TShape;
    procedure ReadShape;
    procedure WriteShape;
  public
    property Shape: Shapes.TShape read FShape write FShape;
  end;

function EditShapeProperties(AShape: Shapes.TShape): Boolean;

implementation

{$R *.DFM}

resourcestring
  SBadPenWidth = 'The pen width must be a number from 1 to 16.';

const
  TextMargin: TPoint = (X: 4; Y: 2);

function EditShapeProperties(AShape: Shapes.TShape): Boolean;
var
  Dialog: TFormShapeDialog;
begin
  Dialog := TFormShapeDialog.Create(Application);
  try
    Dialog.Shape := AShape;
    Dialog.ReadShape;
    Result := Dialog.ShowModal = mrOk;
  finally
    Dialog.Free;
  end;
end;

{ TTextShape }

constructor TTextShape.Create(const ABounds: TRect);
begin
  inherited Create(ABounds);
  FFont := TFont.Create;
  FText := 'Text';
end;

destructor TTextShape.Destroy;
begin
  FFont.Free;
  inherited Destroy;
end;

function TTextShape.GetKind: TShapeKind;
begin
  Result := skText;
end;

procedure TTextShape.Draw(Canvas: TCanvas);
var
  R: TRect;
begin
  inherited Draw(Canvas);
  R := NormalizeRect(Bounds);
  InflateRect(R, -TextMargin.X, -TextMargin.Y);
  Canvas.Font := FFont;
  Canvas.Brush.Style := bsClear;
  DrawText(Canvas.Handle, PChar(FText), Length(FText), R, DT_LEFT or DT_WORDBREAK);
end;

procedure TTextShape.SetFont(Value: TFont);
begin
  FFont.Assign(Value);
  Changed;
end;

procedure TTextShape.SetText(const Value: string);
begin
  if Value <> FText then
  begin
    FText := Value;
    Changed;
  end;
end;

{ TFormShapeDialog }

procedure TFormShapeDialog.ReadShape;
begin
  ShapeColor.Brush.Color := FShape.Color;
  EditPenWidth.Text := IntToStr(FShape.PenWidth);
  EditText.Enabled := FShape is TTextShape;
  LabelText.Enabled := EditText.Enabled;
  if FShape is TTextShape then
    EditText.Text := TTextShape(FShape).Text;
end;

procedure TFormShapeDialog.WriteShape;
begin
  FShape.Color := ShapeColor.Brush.Color;
  FShape.PenWidth := StrToInt(EditPenWidth.Text);
  if FShape is TTextShape then
    TTextShape(FShape).Text := EditText.Text;
end;

procedure TFormShapeDialog.ButtonColorClick(Sender: TObject);
begin
  ColorDialog1.Color := ShapeColor.Brush.Color;
  if ColorDialog1.Execute then
    ShapeColor.Brush.Color := ColorDialog1.Color;
end;

procedure TFormShapeDialog.ButtonOKClick(Sender: TObject);
var
  Width: Integer;
begin
  Width := StrToIntDef(EditPenWidth.Text, 0);
  if (Width < 1) or (Width > 16) then
  begin
    MessageDlg(SBadPenWidth, mtError, [mbOK], 0);
    EditPenWidth.SetFocus;
    ModalResult := mrNone;
    Exit;
  end;
  WriteShape;
  ModalResult := mrOk;
end;

initialization
  RegisterShapeClass(skText, TTextShape);
end.
