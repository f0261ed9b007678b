unit ShapeExport;

{ Export of a drawing: as an SVG picture for web pages, or as a plain-text
  report that lists every shape with its size and area. }

interface

uses
  Windows, SysUtils, Classes, Graphics, Shapes;

type
  TExportFormat = (efSvg, efReport);

  { Anything that wants to see the shapes of a drawing one by one. }
  IShapeVisitor = interface(IUnknown)
    ['{8F3C2A41-5B7D-11D1-9C4E-0000E8D5A2F1}']
    procedure VisitShape(Shape: TShape; Index: Integer);
    function VisitedCount: Integer;
  end;

  TExportOptions = record
    Format: TExportFormat;
    Scale: Double;
    case Boolean of
      True: (Margin: Integer);
      False: (MarginX, MarginY: Smallint);
  end;

  EExportError = class(Exception);

  TShapeWriter = class(TInterfacedObject, IShapeVisitor)
  private
    FLines: TStringList;
    FIndent: Integer;
    FOptions: TExportOptions;
    FCount: Integer;
    function GetText: string;
    function GetLine(Index: Integer): string;
    procedure SetIndent(Value: Integer);
  protected
    procedure Add(const Line: string);
    procedure WriteHeader(Shapes: TShapeList); virtual; abstract;
    procedure WriteShape(Shape: TShape; Index: Integer); virtual; abstract;
    procedure WriteFooter; virtual;
    { IShapeVisitor }
    procedure VisitShape(Shape: TShape; Index: Integer);
    function VisitedCount: Integer;
  public
    constructor Create(const AOptions: TExportOptions); virtual;
    destructor Destroy; override;
    procedure Write(Shapes: TShapeList);
    procedure SaveToFile(const FileName: string);
    property Indent: Integer read FIndent write SetIndent default 2;
    property Options: TExportOptions read FOptions;
    property Lines[Index: Integer]: string read GetLine;
    property Text: string read GetText;
  end;

  TShapeWriterClass = class of TShapeWriter;

  TSvgWriter = class(TShapeWriter)
  protected
    procedure WriteHeader(Shapes: TShapeList); override;
    procedure WriteShape(Shape: TShape; Index: Integer); override;
    procedure WriteFooter; override;
  end;

  TReportWriter = class(TShapeWriter)
  private
    FTotalArea: Double;
  protected
    procedure WriteHeader(Shapes: TShapeList); override;
    procedure WriteShape(Shape: TShape; Index: Integer); override;
    procedure WriteFooter; override;
  public
    property TotalArea: Double read FTotalArea;
  end;

const
  ExportFilter = 'SVG picture (*.svg)|*.svg|Shape report (*.txt)|*.txt';
  ExportExtensions: array[TExportFormat] of string[4] = ('.svg', '.txt');
  DefaultOptions: TExportOptions = (Format: efSvg; Scale: 1.0; Margin: 8);
  WriterClasses: array[TExportFormat] of TShapeWriterClass = (TSvgWriter, TReportWriter);

function ExportFormatOf(const FileName: string): TExportFormat;
procedure ExportShapes(Shapes: TShapeList; const FileName: string);

implementation

function ColorToHtml(Color: TColor): string; forward;

//------------------------------------------------------------------------
// function ShapeArea(Shape: TShape): Double
// Created : 21.03.98 09:40:12
//
// Parameters:
// Shape :the shape to measure
//
// Description:
// The area the shape covers in square pixels; a line covers none.
//------------------------------------------------------------------------
function ShapeArea(Shape: TShape): Double;
var
  R: TRect;
begin
  R := NormalizeRect(Shape.Bounds);
  case Shape.Kind of
    skRectangle, skText:
      Result := (R.Right - R.Left) * (R.Bottom - R.Top);
    skEllipse:
      Result := Pi * (R.Right - R.Left) * (R.Bottom - R.Top) / 4;
  else
    Result := 0;
  end;
end;

function ExportFormatOf(const FileName: string): TExportFormat;
var
  Ext: string;
  F: TExportFormat;
begin
  Ext := LowerCase(ExtractFileExt(FileName));
  for F := Low(TExportFormat) to High(TExportFormat) do
    if Ext = ExportExtensions[F] then
    begin
      Result := F;
      Exit;
    end;
  raise EExportError.CreateFmt('Unknown export file type "%s"', [Ext]);
end;

//------------------------------------------------------------------------
// procedure ExportShapes(Shapes: TShapeList; const FileName: string)
// Created : 21.03.98 10:02:55
//
// Parameters:
// Shapes   :the drawing
// FileName :the file to write; its extension selects the format
//
// Description:
// Writes the drawing in the format its file name asks for.
//------------------------------------------------------------------------
procedure ExportShapes(Shapes: TShapeList; const FileName: string);
var
  Options: TExportOptions;
  Writer: TShapeWriter;
begin
  Options := DefaultOptions;
  Options.Format := ExportFormatOf(FileName);
  Writer := WriterClasses[Options.Format].Create(Options);
  try
    Writer.Write(Shapes);
    Writer.SaveToFile(FileName);
  finally
    Writer.Free;
  end;
end;

function ColorToHtml(Color: TColor): string;
var
  RGB: Longint;
begin
  RGB := ColorToRGB(Color);
  Result := Format('#%.2x%.2x%.2x', [GetRValue(RGB), GetGValue(RGB), GetBValue(RGB)]);
end;

{ TShapeWriter }

constructor TShapeWriter.Create(const AOptions: TExportOptions);
begin
  inherited Create;
  FLines := TStringList.Create;
  FIndent := 2;
  FOptions := AOptions;
end;

destructor TShapeWriter.Destroy;
begin
  FLines.Free;
  inherited Destroy;
end;

procedure TShapeWriter.Add(const Line: string);
begin
  FLines.Add(StringOfChar(' ', FIndent) + Line);
end;

function TShapeWriter.GetText: string;
begin
  Result := FLines.Text;
end;

function TShapeWriter.GetLine(Index: Integer): string;
begin
  Result := FLines[Index];
end;

procedure TShapeWriter.SetIndent(Value: Integer);
begin
  if Value < 0 then
    raise EExportError.Create('Negative indent');
  FIndent := Value;
end;

procedure TShapeWriter.WriteFooter;
begin
end;

procedure TShapeWriter.VisitShape(Shape: TShape; Index: Integer);
begin
  Inc(FCount);
  WriteShape(Shape, Index);
end;

function TShapeWriter.VisitedCount: Integer;
begin
  Result := FCount;
end;

//------------------------------------------------------------------------
// procedure TShapeWriter.Write(Shapes: TShapeList)
// Created : 21.03.98 09:12:31
//
// Parameters:
// Shapes :the drawing to write
//
// Description:
// Writes the header, every shape from the bottom up, and the footer.
//------------------------------------------------------------------------
procedure TShapeWriter.Write(Shapes: TShapeList);
var
  I: Integer;
  Visitor: IShapeVisitor;
begin
  FLines.Clear;
  FCount := 0;
  Visitor := Self;
  WriteHeader(Shapes);
  for I := 0 to Shapes.Count - 1 do
    Visitor.VisitShape(Shapes[I], I);
  WriteFooter;
end;

procedure TShapeWriter.SaveToFile(const FileName: string);
begin
  try
    FLines.SaveToFile(FileName);
  except
    on E: EFCreateError do
      raise EExportError.CreateFmt('Cannot write %s: %s', [FileName, E.Message]);
  end;
end;

{ TSvgWriter }

procedure TSvgWriter.WriteHeader(Shapes: TShapeList);
var
  I: Integer;
  Extent: TPoint;
begin
  Extent := Point(0, 0);
  for I := 0 to Shapes.Count - 1 do
    with NormalizeRect(Shapes[I].Bounds) do
    begin
      if Right > Extent.X then Extent.X := Right;
      if Bottom > Extent.Y then Extent.Y := Bottom;
    end;
  Indent := 0;
  Add('<?xml version="1.0" encoding="ISO-8859-1"?>');
  Add(Format('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d">',
    [Round((Extent.X + Options.Margin) * Options.Scale),
     Round((Extent.Y + Options.Margin) * Options.Scale)]));
  Indent := 2;
end;

//------------------------------------------------------------------------
// procedure TSvgWriter.WriteShape(Shape: TShape; Index: Integer)
// Created : 21.03.98 09:25:07
//
// Parameters:
// Shape :the shape to write
// Index :its place in the drawing, used as the element id
//
// Description:
// One SVG element per shape: rect, ellipse, line or text.
//------------------------------------------------------------------------
procedure TSvgWriter.WriteShape(Shape: TShape; Index: Integer);
var
  R: TRect;
  Style: string;

  function Scaled(Value: Integer): Integer;
  begin
    Result := Round(Value * Options.Scale);
  end;

  function Attr(const Name: string; Value: Integer): string;
  begin
    Result := Format(' %s="%d"', [Name, Scaled(Value)]);
  end;

begin
  R := NormalizeRect(Shape.Bounds);
  Style := Format(' id="shape%d" stroke="%s" stroke-width="%d" fill="none"',
    [Index, ColorToHtml(Shape.Color), Shape.PenWidth]);
  case Shape.Kind of
    skRectangle:
      Add('<rect' + Attr('x', R.Left) + Attr('y', R.Top) +
        Attr('width', R.Right - R.Left) + Attr('height', R.Bottom - R.Top) + Style + '/>');
    skEllipse:
      Add('<ellipse' + Attr('cx', (R.Left + R.Right) div 2) + Attr('cy', (R.Top + R.Bottom) div 2) +
        Attr('rx', (R.Right - R.Left) div 2) + Attr('ry', (R.Bottom - R.Top) div 2) + Style + '/>');
    skLine:
      with Shape.Bounds do
        Add('<line' + Attr('x1', Left) + Attr('y1', Top) + Attr('x2', Right) + Attr('y2', Bottom) +
          Style + '/>');
    skText:
      Add('<text' + Attr('x', R.Left) + Attr('y', R.Bottom) + Style + '>shape</text>');
  end;
end;

procedure TSvgWriter.WriteFooter;
begin
  Indent := 0;
  Add('</svg>');
end;

{ TReportWriter }

procedure TReportWriter.WriteHeader(Shapes: TShapeList);
begin
  FTotalArea := 0;
  Indent := 0;
  Add(Format('Shape report: %d shapes', [Shapes.Count]));
  Add('');
  Add(Format('%-4s %-10s %6s %6s %10s', ['No.', 'Kind', 'Width', 'Height', 'Area']));
  Indent := 1;
end;

procedure TReportWriter.WriteShape(Shape: TShape; Index: Integer);
const
  Separator = ' ';
var
  R: TRect;
  Area: Double;
begin
  R := NormalizeRect(Shape.Bounds);
  Area := ShapeArea(Shape);
  FTotalArea := FTotalArea + Area;
  Add(Format('%-4d%s%-10s%s%6d%s%6d%s%10.0f', [Index + 1, Separator, ShapeNames[Shape.Kind],
    Separator, R.Right - R.Left, Separator, R.Bottom - R.Top, Separator, Area]));
end;

procedure TReportWriter.WriteFooter;
begin
  Indent := 0;
  Add('');
  Add(Format('Total area: %.0f square pixels', [FTotalArea]));
end;

end.
