#include "wizards/VelmoricUsesClauses.h"

#include "scanner/VelmoricToken.h"
#include "trace/traceletVelmoric.h"

namespace {

constexpr size_t MaxClauseLine = 60;
const std::string ContinuationIndent = "     ";

bool Is(const TToken& T, const char* Lower) { return !T.IsString && T.LowerText == Lower; }

// Where the current token starts: its 0-based line and 1-based column.
void TokenStart(const TToken& T, int& Line, int& Col) {
  Line = T.TokenLine;
  const int Len = static_cast<int>(T.TokenText.size());
  if (T.Line == T.TokenLine) {
    // A word is followed by the character read after it and pushed back.
    Col = T.CharPushedBack ? T.Column - 1 - Len : T.Column - Len;
  } else {
    // A word that ended its line: the reader is on the next line already.
    Col = static_cast<int>(T.Lines->Get(Line).size()) - Len + 1;
  }
  if (Col < 1) Col = 1;
}

// Restarts the reader at Line.
void Restart(TToken& T, int Line) {
  T.TokenPushedBack = false;
  T.EofCount = 0;
  T.SetLine(Line);
}

// Reads up to the ";" that ends a clause; false at the end of the text.
bool SkipToSemicolon(TToken& T) {
  while (T.Next())
    if (!T.IsString && T.TokenText == ";") return true;
  return false;
}

void ReplaceLines(TStrings* Lines, int From, int To, const TStringList& By) {
  for (int I = From; I <= To; ++I) Lines->Delete(From);
  for (int I = 0; I < By.Count(); ++I) Lines->Insert(From + I, By.Get(I));
}

// Writes List's clause after line Line, whose text up to the 1-based
// column KeyEnd (exclusive) ends with the keyword. Code after the keyword
// on that line moves below the clause. Returns the first line after the
// clause, or -1 when the list is empty and nothing changed.
int WriteClause(TStrings* Lines, int Line, int KeyEnd, const TStrings* List) {
  TStringList Clause;
  FormatUsesClause(List, &Clause);
  if (Clause.Count() == 0) return -1;
  const std::string Text = Lines->Get(Line);
  const std::string Rest = Trim(Copy(Text, KeyEnd, static_cast<int>(Text.size())));
  const bool Comment = Rest.rfind("//", 0) == 0 || Rest.rfind("{", 0) == 0 || Rest.rfind("(*", 0) == 0;
  int Index = Line + 1;
  if (!Rest.empty() && !Comment) {
    TStringList Split;
    Split.Add(TrimRight(Copy(Text, 1, KeyEnd - 1)));
    Split.Add(Rest);
    ReplaceLines(Lines, Line, Line, Split);
  }
  for (int I = 0; I < Clause.Count(); ++I) Lines->Insert(Index++, Clause.Get(I));
  return Index;
}

}  // namespace

void FreeUsesInfos(TStrings* List) {
  if (!List) return;
  for (int I = 0; I < List->Count(); ++I) {
    delete List->Objects(I);
    List->PutObject(I, nullptr);
  }
  List->Clear();
}

void ScanUsesClauses(TStrings* Lines, TStrings* Interface, TStrings* Implementation) {
  TTraceProc Trace("TFormVelmoricUsesManager.ScanUses");
  FreeUsesInfos(Interface);
  FreeUsesInfos(Implementation);
  TToken T(Lines);
  TStrings* Part = Interface;
  while (T.Next()) {
    if (Is(T, "implementation")) {
      Part = Implementation;
      continue;
    }
    if (!Is(T, "uses")) continue;
    TStringList Clause;
    bool Ended = false;
    bool More = T.Next();
    while (More) {
      if (!T.IsString && T.TokenText == ";") {
        Ended = true;
        break;
      }
      if (!T.IsString && T.TokenText == ",") {
        More = T.Next();
        continue;
      }
      auto* Info = new TUsesInfo(T.TokenText, "");
      Clause.AddObject(Info->UnitName, Info);
      More = T.Next();
      // A dotted unit name is one name.
      while (More && !T.IsString && T.TokenText == ".") {
        More = T.Next();
        if (!More) break;
        Info->UnitName += "." + T.TokenText;
        More = T.Next();
      }
      if (More && Is(T, "in")) {
        More = T.Next();
        if (!More) break;
        Info->FileName = T.TokenText;
        More = T.Next();
      }
      Clause.Put(Clause.Count() - 1, Info->UnitName);
    }
    for (int I = 0; I < Clause.Count(); ++I) {
      if (Ended)
        Part->AddObject(Clause.Get(I), Clause.Objects(I));
      else
        delete Clause.Objects(I);
    }
    if (!Ended) break;
  }
}

void FormatUsesClause(const TStrings* List, TStrings* Out) {
  if (!List || List->Count() == 0) return;
  std::string Pending = "uses ";
  for (int I = 0; I < List->Count(); ++I) {
    const auto* Info = dynamic_cast<const TUsesInfo*>(List->Objects(I));
    const std::string File = Info ? Info->FileName : std::string();
    Pending += " " + List->Get(I);
    if (!File.empty()) Pending += " in '" + File + "'";
    Pending += I + 1 < List->Count() ? "," : ";";
    if (Pending.size() > MaxClauseLine || !File.empty()) {
      Out->Add(Pending);
      Pending = ContinuationIndent;
    }
  }
  if (!Pending.empty()) Out->Add(Pending);
}

void RewriteUsesClauses(TStrings* Lines, const TStrings* Interface,
                        const TStrings* Implementation) {
  TTraceProc Trace("TFormVelmoricUsesManager.Rewrite");
  // Removes the old clauses; what shared their first or last line stays.
  {
    TToken T(Lines);
    while (T.Next()) {
      if (!Is(T, "uses")) continue;
      int S, SCol, E, ECol;
      TokenStart(T, S, SCol);
      if (!SkipToSemicolon(T)) break;  // no clause: left as it is
      TokenStart(T, E, ECol);
      const std::string Before = TrimRight(Copy(Lines->Get(S), 1, SCol - 1));
      const std::string LastLine = Lines->Get(E);
      const std::string After = TrimRight(Copy(LastLine, ECol + 1, static_cast<int>(LastLine.size())));
      TStringList Kept;
      if (!Trim(Before).empty()) Kept.Add(Before);
      if (!Trim(After).empty()) Kept.Add(After);
      ReplaceLines(Lines, S, E, Kept);
      // The text after the clause is read again.
      const int Next = S + (Trim(Before).empty() ? 0 : 1);
      Restart(T, Next);
      if (T.EndOfText) break;
    }
  }
  // Writes the new ones after the keywords.
  {
    TToken T(Lines);
    bool First = true, InterfaceDone = false, ImplementationDone = false;
    // After a written clause the reader goes on with the line after it.
    auto Continue = [&T](int Line) {
      if (Line >= 0) Restart(T, Line);
    };
    while (T.Next()) {
      const bool Heading = First && (Is(T, "program") || Is(T, "library"));
      First = false;
      int Line, Col;
      if (Heading) {
        // A program has one clause, after "program Name;": both lists go there.
        if (!SkipToSemicolon(T)) break;
        TokenStart(T, Line, Col);
        InterfaceDone = ImplementationDone = true;
        TStringList All;
        for (const TStrings* L : {Interface, Implementation})
          for (int I = 0; L && I < L->Count(); ++I) All.AddObject(L->Get(I), L->Objects(I));
        Continue(WriteClause(Lines, Line, Col + 1, &All));
      } else if (!InterfaceDone && !ImplementationDone && Is(T, "interface")) {
        TokenStart(T, Line, Col);
        InterfaceDone = true;
        Continue(WriteClause(Lines, Line, Col + static_cast<int>(T.TokenText.size()), Interface));
      } else if (!ImplementationDone && Is(T, "implementation")) {
        TokenStart(T, Line, Col);
        ImplementationDone = true;
        Continue(WriteClause(Lines, Line, Col + static_cast<int>(T.TokenText.size()),
                             Implementation));
      }
      if (T.EndOfText) break;
    }
  }
}
