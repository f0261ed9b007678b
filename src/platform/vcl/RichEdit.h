// The rich edit control: a TRichTextDocument with a selection, the
// attributes of the selection, its lines and its RTF.
//
// Changes from code fire OnChange and selection moves fire
// OnSelectionChange, as the control does. TypeText and Select are what the
// user does. Copying puts the selection's text on the clipboard and keeps
// its formatting in the process, so that pasting the same text into a rich
// edit keeps the formatting.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Streams.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/RichText.h"

using TFontStyles = uint8_t;
constexpr TFontStyles fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TRichEdit;

// The attributes of the selection (or, with Default, of the whole control).
// Reading gives those of the selection's first character; writing changes
// every character of the selection, or the attributes of what is typed next
// when nothing is selected.
class TTextAttributes {
 public:
  TTextAttributes(TRichEdit& AOwner, bool ADefault) : FOwner(AOwner), FDefault(ADefault) {}
  std::string Name() const { return Get().FontName; }
  void SetName(const std::string& Value);
  int Size() const { return Get().HalfPoints / 2; }  // points
  void SetSize(int Points);
  int Height() const { return -Size() * 96 / 72; }  // pixels, negative as the library gives it
  TColor Color() const { return Get().Color; }
  void SetColor(TColor Value);
  TFontStyles Style() const;
  void SetStyle(TFontStyles Value);
  bool Hidden() const { return Get().Hidden; }
  void SetHidden(bool Value);
  // Takes name, size, colour and boldness of a font.
  void Assign(const TFont& Font);
  TCharFormat Get() const;

 private:
  void Change(const std::function<void(TCharFormat&)>& Fn);
  TRichEdit& FOwner;
  bool FDefault;
};

// The paragraph attributes of the paragraphs the selection touches (read
// from the first of them).
class TParaAttributes {
 public:
  explicit TParaAttributes(TRichEdit& AOwner) : FOwner(AOwner) {}
  TAlignment Alignment() const { return Get().Alignment; }
  void SetAlignment(TAlignment Value);
  TNumberingStyle Numbering() const { return Get().Numbering; }
  void SetNumbering(TNumberingStyle Value);
  int FirstIndent() const { return Get().FirstIndent / 20; }  // points
  void SetFirstIndent(int Points);
  int LeftIndent() const { return Get().LeftIndent / 20; }
  void SetLeftIndent(int Points);
  int RightIndent() const { return Get().RightIndent / 20; }
  void SetRightIndent(int Points);
  TParaFormat Get() const;

 private:
  void Change(const std::function<void(TParaFormat&)>& Fn);
  TRichEdit& FOwner;
};

// Lines of a rich edit: one per paragraph. Loading a stream or file that
// holds RTF loads it as RTF (unless the control is PlainText); saving writes
// RTF (or the plain text).
class TRichEditStrings : public TStrings {
 public:
  explicit TRichEditStrings(TRichEdit& AOwner) : FOwner(AOwner) {}
  std::string Get(int Index) const override;
  int GetCount() const override;
  void Put(int Index, const std::string& S) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const std::string& S) override;
  std::string GetText() const override;
  void SetText(std::string_view Text) override;
  void LoadFromStream(TStream& Stream);
  void SaveToStream(TStream& Stream) const;
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;

 private:
  void CheckIndex(int Index, int Max) const;
  TRichEdit& FOwner;
};

// The font families of the screen (sorted, each once), or the usual fonts of
// a rich edit when the system names none.
std::vector<std::string> ScreenFontNames();

class TRichEdit : public TWinControl {
 public:
  explicit TRichEdit(TComponent* AOwner);
  ~TRichEdit() override;
  std::string ClassName() const override { return "TRichEdit"; }

  TRichEditStrings* Lines() { return &FLines; }
  std::string Text() const { return FDoc.Text(); }
  void SetText(const std::string& Value);
  int GetTextLen() const { return FDoc.TextLength(); }
  void Clear();

  int SelStart() const { return FSelStart; }
  void SetSelStart(int Value);  // also empties the selection
  int SelLength() const { return FSelLength; }
  void SetSelLength(int Value);
  std::string SelText() const;
  // Replaces the selection with Value in the selection's attributes; the
  // caret follows the new text.
  void SetSelText(const std::string& Value);
  void SelectAll();
  void ClearSelection() { SetSelText(""); }

  TTextAttributes* SelAttributes() { return &FSelAttributes; }
  TTextAttributes* DefAttributes() { return &FDefAttributes; }
  TParaAttributes* Paragraph() { return &FParagraph; }

  // The document as RTF (lines joined by CR LF), or loaded from RTF.
  std::string RtfText() const { return FDoc.SaveRtf(); }
  void SetRtfText(std::string_view Rtf);
  // The selection as RTF; RTF (or plain text) put in place of the selection.
  std::string SelRtf() const;
  void SetSelRtf(std::string_view Rtf);

  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();

  // What the user does: selects, types over the selection.
  void Select(int Start, int Length);
  void TypeText(const std::string& Value);

  bool WantsKey(uint16_t Key) const override { return Key == VK_RETURN && !ReadOnly; }
  // Script hooks: the visible text as lines; "set TEXT" types the text over
  // everything, "select START LENGTH" selects.
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

  // Hands the document to the host's printing (VclHost().PrintRichText),
  // under the title.
  void Print(const std::string& Caption);

  const TRichTextDocument& Document() const { return FDoc; }
  // Changes the document directly; fires OnChange afterwards.
  void ChangeDocument(const std::function<void(TRichTextDocument&)>& Fn);

  bool PlainText = false;
  bool ReadOnly = false;
  bool WordWrap = true;
  bool HideSelection = true;
  bool Modified = false;
  TScrollStyle ScrollBars = ssNone;
  int MaxLength = 0;
  TNotifyEvent OnChange;
  TNotifyEvent OnSelectionChange;

 private:
  friend class TTextAttributes;
  friend class TParaAttributes;
  friend class TRichEditStrings;
  void Changed();
  void SelectionChanged();
  void ClampSelection();

  TRichTextDocument FDoc;
  TRichEditStrings FLines{*this};
  TTextAttributes FSelAttributes{*this, false};
  TTextAttributes FDefAttributes{*this, true};
  TParaAttributes FParagraph{*this};
  int FSelStart = 0, FSelLength = 0;
  // Attributes of what is typed next at an empty selection, when set.
  std::unique_ptr<TCharFormat> FInsertFormat;
};
