// The RTF template of a manual and the help converter: TVelmoricRTF reads a
// template's font table, style sheet and opening text, keeps which style
// serves which of the seven tags, and rewrites an assembled document so that
// each tagged heading takes its style and, for a WinHelp source, becomes a
// topic with its footnotes, the link markup becoming hotspots.
#pragma once

#include <string>

#include "platform/rtl/Classes.h"

class TRichEdit;
class TVelmoricRTF;

// The tag names, indexed 0 to 6; index 7 stands for no tag.
extern const char* const RTFTagNames[7];
constexpr int RTFNoTag = 7;

// One paragraph style of the template.
class TStyleSheet : public TObject {
 public:
  std::string StyleName;  // the text of the entry
  std::string Control;    // "\s1"
  std::string Format;     // the other control words with their blanks
  std::string Next;       // "\snext1" when present
  std::string BasedOn;    // "\sbasedon0" when present
  int BasedOnNumber = 0;
  int NextNumber = 0;
  std::string UsedFor;  // the tag name assigned to the style, or empty
};

// A handler of one control word of the template.
class TRTFCommand : public TObject {
 public:
  virtual std::string CommandName() = 0;
  virtual std::string CopyCommand() { return "\\" + CommandName(); }
  // Consumes the command's group from the reader.
  virtual void process(TVelmoricRTF& RTF) = 0;
};

class TRTFFonttable : public TRTFCommand {
 public:
  std::string CommandName() override { return "fonttbl"; }
  void process(TVelmoricRTF& RTF) override;
};

class TRTFStylesheet : public TRTFCommand {
 public:
  std::string CommandName() override { return "stylesheet"; }
  void process(TVelmoricRTF& RTF) override;
};

class TRTFFont : public TRTFCommand {
 public:
  explicit TRTFFont(int ANumber = 0) : Number(ANumber) {}
  std::string CommandName() override { return "f"; }
  std::string CopyCommand() override { return "\\f" + IntToStr(Number); }
  void process(TVelmoricRTF& RTF) override {}
  int Number;
};

// The registered handlers: lower-cased control word -> handler (owned).
extern TStringList* rtfCommands;
void AddRTFCommand(TRTFCommand* Command);

class TVelmoricRTF : public TObject {
 public:
  TVelmoricRTF();
  ~TVelmoricRTF() override;
  TVelmoricRTF(const TVelmoricRTF&) = delete;
  TVelmoricRTF& operator=(const TVelmoricRTF&) = delete;

  // Reads the template when the file exists (and its parameters);
  // otherwise clears the file name. Styles of an earlier template go.
  void ReadFromFile(const std::string& Name);
  // Sets the text to read.
  void PutText(const std::string& AText);

  // The word reader: false at the end of the text.
  bool GetNextWord();
  // Splits the current control word into its letters and its number.
  void GetParameter(std::string& Name, int& Number) const;

  void ReadStylesheets();
  // Reads one style entry; the current word is the "{" that opens it.
  void ReadStyleEntry();
  // Runs the registered command handlers once over the text.
  void preprocess();

  int GetSheetCount() const { return FStyleSheets.Count(); }
  TStyleSheet* GetSheet(int Index) const;
  TStyleSheet* GetSheetByName(const std::string& Name) const;
  // The first style used for the tag, or nullptr.
  TStyleSheet* FindSheetFormat(const std::string& TagName) const;

  // The parameter file: the template's name with ".par" appended. A missing
  // file assigns no tag.
  std::string ParameterFileName() const { return FileName + ".par"; }
  void LoadParameters();
  void SaveParameters();

  static int GetTagID(const std::string& Name);
  static std::string GetSpecialTag(int Index);

  // Appends the template's preamble: its text up to and with its first "\par".
  void CopyStart(TStrings& Lines);
  // Loads the lines as rich text into the control.
  static void CopyLinesToControl(TStrings& Lines, TRichEdit& RichEdit);
  // Rewrites the lines (RTF, one string per line) and writes them to the
  // file; the lines as they came go to "raw.rtf" in the data directory.
  void SaveFileWithPostProcess(TStrings& Source, const std::string& AFileName, bool MakeHelp);
  void SaveFileWithPostProcess(TRichEdit& Source, const std::string& AFileName, bool MakeHelp);
  // Where the unprocessed copy goes.
  std::string RawFileName(const std::string& AFileName) const;

  bool KeepDigits = false;
  TStringList Lines;
  int ReadPos = 1;  // 1-based
  int Depth = 0;
  std::string Word;
  bool IsControl = false;
  std::string Blanks;
  std::string Prefix = "\\";
  std::string Text;
  int TextLength = 0;
  std::string FileName;
  TStringList Fonts;  // "number=name"
  bool Processed = false;

 private:
  void ClearSheets();
  TStringList FStyleSheets;  // style name -> TStyleSheet (owned)
};
