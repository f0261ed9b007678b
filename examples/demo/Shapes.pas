unit Shapes;

{ Shapes of the drawing: the shape classes, the list that owns them and
  the file format they are stored in. }

interface

uses
  Windows, SysUtils, Classes, Graphics;

const
  MaxShapes = 256;
  SFileHeader = 'SHAPES01';
  DefaultPenWidth = 1;
  HandleSize = 3;

type
  TShapeKind = (skRectangle, skEllipse, skLine, skText);

  { The stored form of one shape: one fixed-size record per shape. }
  TShapeData = record
    Kind: TShapeKind;
    Color: TColor;
    PenWidth: Byte;
    case Integer of
      0: (Left, Top, Right, Bottom: Integer);
      1: (TopLeft, BottomRight: TPoint);
      2: (Coords: array[0..3] of Integer);
  end;

  PShapeData = ^TShapeData;

  EShapeError = class(Exception);

  TShape = class(TPersistent)
  private
    FBounds: TRect;
    FColor: TColor;
    FPenWidth: Integer;
    FSelected: Boolean;
    FOnChange: TNotifyEvent;
    procedure SetColor(Value: TColor);
    procedure SetPenWidth(Value: Integer);
  protected
    procedure Changed; virtual;
    procedure DrawHandles(Canvas: TCanvas);
    function GetKind: TShapeKind; virtual; abstract;
  public
    constructor Create(const ABounds: TRect); virtual;
    procedure Assign(Source: TPersistent); override;
    procedure Draw(Canvas: TCanvas); virtual; abstract;
    function HitTest(X, Y: Integer): Boolean; virtual;
    procedure MoveBy(DX, DY: Integer);
    procedure SaveToData(var Data: TShapeData); virtual;
    procedure LoadFromData(const Data: TShapeData); virtual;
    property Bounds: TRect read FBounds write FBounds;
    property Kind: TShapeKind read GetKind;
    property Selected: Boolean read FSelected write FSelected;
    property OnChange: TNotifyEvent read FOnChange write FOnChange;
  published
    property Color: TColor read FColor write SetColor default clBlack;
    property PenWidth: Integer read FPenWidth write SetPenWidth default DefaultPenWidth;
  end;

  TShapeClass = class of TShape;

  TRectShape = class(TShape)
  protected
    function GetKind: TShapeKind; override;
  public
    procedure Draw(Canvas: TCanvas); override;
  end;

  TEllipseShape = class(TRectShape)
  protected
    function GetKind: TShapeKind; override;
  public
    procedure Draw(Canvas: TCanvas); override;
    function HitTest(X, Y: Integer): Boolean; override;
  end;

  TLineShape = class(TShape)
  protected
    function GetKind: TShapeKind; override;
  public
    procedure Draw(Canvas: TCanvas); override;
    function HitTest(X, Y: Integer): Boolean; override;
  end;

  TShapeList = class(TList)
  private
    FOnChange: TNotifyEvent;
    function GetShape(Index: Integer): TShape;
    procedure ShapeChanged(Sender: TObject);
  public
    destructor Destroy; override;
    function AddShape(Shape: TShape): Integer;
    procedure Clear; override;
    procedure DeleteShape(Index: Integer);
    function ShapeAt(X, Y: Integer): TShape;
    procedure SaveToStream(Stream: TStream);
    procedure LoadFromStream(Stream: TStream);
    property Shapes[Index: Integer]: TShape read GetShape; default;
    property OnChange: TNotifyEvent read FOnChange write FOnChange;
  end;

const
  ShapeNames: array[TShapeKind] of string[12] = ('Rectangle', 'Ellipse', 'Line', 'Text');
  DefaultColors: array[0..3] of TColor = (clRed, clGreen, clBlue, $0080FF);
  GridSize: Integer = 8;
  SnapToGrid: Boolean = True;

var
  ShapeClasses: array[TShapeKind] of TShapeClass;

procedure RegisterShapeClass(Kind: TShapeKind; AClass: TShapeClass);
function NormalizeRect(const R: TRect): TRect;

implementation

uses
  Math;

procedure RegisterShapeClass(Kind: TShapeKind; AClass: TShapeClass);
begin
  ShapeClasses[Kind] := AClass;
end;

function NormalizeRect(const R: TRect): TRect;
begin
  Result.Left := Min(R.Left, R.Right);
  Result.Right := Max(R.Left, R.Right);
  Result.Top := Min(R.Top, R.Bottom);
  Result.Bottom := Max(R.Top, R.Bottom);
end;

{ TShape }

constructor TShape.Create(const ABounds: TRect);
begin
  inherited Create;
  FBounds := ABounds;
  FColor := clBlack;
  FPenWidth := DefaultPenWidth;
end;

procedure TShape.Assign(Source: TPersistent);
begin
  if Source is TShape then
  begin
    FBounds := TShape(Source).Bounds;
    FColor := TShape(Source).Color;
    FPenWidth := TShape(Source).PenWidth;
    Changed;
  end
  else
    inherited Assign(Source);
end;

procedure TShape.Changed;
begin
  if Assigned(FOnChange) then FOnChange(Self);
end;

procedure TShape.DrawHandles(Canvas: TCanvas);

  procedure Handle(X, Y: Integer);
  begin
    Canvas.Rectangle(X - HandleSize, Y - HandleSize, X + HandleSize + 1, Y + HandleSize + 1);
  end;

begin
  if not FSelected then Exit;
  Canvas.Pen.Width := 1;
  Canvas.Brush.Color := clWhite;
  with FBounds do
  begin
    Handle(Left, Top);
    Handle(Right, Top);
    Handle(Left, Bottom);
    Handle(Right, Bottom);
  end;
end;

function TShape.HitTest(X, Y: Integer): Boolean;
begin
  Result := PtInRect(NormalizeRect(FBounds), Point(X, Y));
end;

procedure TShape.MoveBy(DX, DY: Integer);
begin
  OffsetRect(FBounds, DX, DY);
  Changed;
end;

procedure TShape.SaveToData(var Data: TShapeData);
begin
  FillChar(Data, SizeOf(Data), 0);
  Data.Kind := GetKind;
  Data.Color := FColor;
  Data.PenWidth := FPenWidth;
  Data.TopLeft := FBounds.TopLeft;
  Data.BottomRight := FBounds.BottomRight;
end;

procedure TShape.LoadFromData(const Data: TShapeData);
begin
  FColor := Data.Color;
  FPenWidth := Data.PenWidth;
  FBounds := Rect(Data.Left, Data.Top, Data.Right, Data.Bottom);
end;

procedure TShape.SetColor(Value: TColor);
begin
  if Value <> FColor then
  begin
    FColor := Value;
    Changed;
  end;
end;

procedure TShape.SetPenWidth(Value: Integer);
begin
  if (Value < 1) or (Value > 16) then
    raise EShapeError.CreateFmt('Pen width %d out of range (1..16)', [Value]);
  FPenWidth := Value;
  Changed;
end;

{ TRectShape }

function TRectShape.GetKind: TShapeKind;
begin
  Result := skRectangle;
end;

procedure TRectShape.Draw(Canvas: TCanvas);
begin
  Canvas.Pen.Color := Color;
  Canvas.Pen.Width := PenWidth;
  Canvas.Brush.Style := bsClear;
  with Bounds do Canvas.Rectangle(Left, Top, Right, Bottom);
  DrawHandles(Canvas);
end;

{ TEllipseShape }

function TEllipseShape.GetKind: TShapeKind;
begin
  Result := skEllipse;
end;

procedure TEllipseShape.Draw(Canvas: TCanvas);
begin
  Canvas.Pen.Color := Color;
  Canvas.Pen.Width := PenWidth;
  Canvas.Brush.Style := bsClear;
  with Bounds do Canvas.Ellipse(Left, Top, Right, Bottom);
  DrawHandles(Canvas);
end;

function TEllipseShape.HitTest(X, Y: Integer): Boolean;
var
  R: TRect;
  CX, CY, RX, RY: Double;
begin
  R := NormalizeRect(Bounds);
  RX := (R.Right - R.Left) / 2;
  RY := (R.Bottom - R.Top) / 2;
  if (RX < 0.5) or (RY < 0.5) then
  begin
    Result := False;
    Exit;
  end;
  CX := R.Left + RX;
  CY := R.Top + RY;
  Result := Sqr((X - CX) / RX) + Sqr((Y - CY) / RY) <= 1.0;
end;

{ TLineShape }

function TLineShape.GetKind: TShapeKind;
begin
  Result := skLine;
end;

procedure TLineShape.Draw(Canvas: TCanvas);
begin
  Canvas.Pen.Color := Color;
  Canvas.Pen.Width := PenWidth;
  with Bounds do
  begin
    Canvas.MoveTo(Left, Top);
    Canvas.LineTo(Right, Bottom);
  end;
  DrawHandles(Canvas);
end;

function TLineShape.HitTest(X, Y: Integer): Boolean;
const
  Tolerance = 4.0;
var
  DX, DY, Len: Double;
begin
  with Bounds do
  begin
    DX := Right - Left;
    DY := Bottom - Top;
    Len := Sqrt(DX * DX + DY * DY);
    if Len < 1.5 then
      Result := (Abs(X - Left) <= Tolerance) and (Abs(Y - Top) <= Tolerance)
    else
      Result := Abs(DY * (X - Left) - DX * (Y - Top)) / Len <= Tolerance;
  end;
end;

{ TShapeList }

destructor TShapeList.Destroy;
begin
  Clear;
  inherited Destroy;
end;

function TShapeList.GetShape(Index: Integer): TShape;
begin
  Result := TShape(Items[Index]);
end;

procedure TShapeList.ShapeChanged(Sender: TObject);
begin
  if Assigned(FOnChange) then FOnChange(Self);
end;

function TShapeList.AddShape(Shape: TShape): Integer;
begin
  if Count >= MaxShapes then
    raise EShapeError.Create('Too many shapes');
  Shape.OnChange := ShapeChanged;
  Result := Add(Shape);
  ShapeChanged(Shape);
end;

procedure TShapeList.Clear;
var
  I: Integer;
begin
  for I := Count - 1 downto 0 do
    TShape(Items[I]).Free;
  inherited Clear;
end;

procedure TShapeList.DeleteShape(Index: Integer);
begin
  Shapes[Index].Free;
  Delete(Index);
  ShapeChanged(Self);
end;

function TShapeList.ShapeAt(X, Y: Integer): TShape;
var
  I: Integer;
begin
  { topmost first }
  for I := Count - 1 downto 0 do
    if Shapes[I].HitTest(X, Y) then
    begin
      Result := Shapes[I];
      Exit;
    end;
  Result := nil;
end;

procedure TShapeList.SaveToStream(Stream: TStream);
var
  Header: string[8];
  Data: TShapeData;
  I, N: Integer;
begin
  Header := SFileHeader;
  Stream.WriteBuffer(Header[1], Length(Header));
  N := Count;
  Stream.WriteBuffer(N, SizeOf(N));
  for I := 0 to Count - 1 do
  begin
    Shapes[I].SaveToData(Data);
    Stream.WriteBuffer(Data, SizeOf(Data));
  end;
end;

procedure TShapeList.LoadFromStream(Stream: TStream);
var
  Header: string[8];
  Data: TShapeData;
  I, N: Integer;
  Shape: TShape;
begin
  Header[0] := #8;
  Stream.ReadBuffer(Header[1], 8);
  if Header <> SFileHeader then
    raise EShapeError.Create('Not a shape file');
  Stream.ReadBuffer(N, SizeOf(N));
  if (N < 0) or (N > MaxShapes) then
    raise EShapeError.CreateFmt('Bad shape count %d', [N]);
  Clear;
  for I := 1 to N do
  begin
    Stream.ReadBuffer(Data, SizeOf(Data));
    if ShapeClasses[Data.Kind] = nil then
      raise EShapeError.CreateFmt('Unknown shape kind %d', [Ord(Data.Kind)]);
    Shape := ShapeClasses[Data.Kind].Create(Rect(0, 0, 0, 0));
    Shape.LoadFromData(Data);
    AddShape(Shape);
  end;
end;

initialization
  RegisterShapeClass(skRectangle, TRectShape);
  RegisterShapeClass(skEllipse, TEllipseShape);
  RegisterShapeClass(skLine, TLineShape);
end.
