// The variable defaults table and its file.
#include "wizards/VelmoricVariableTable.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "ide/VelmoricWizard.h"
#include "platform/rtl/AtomicFile.h"
#include "platform/rtl/SysUtils.h"
#include "trace/traceletVelmoric.h"

namespace {

std::unique_ptr<TVelmoricVariableTable> TheTable = std::make_unique<TVelmoricVariableTable>();

std::vector<std::string> FileLines(const std::string& Text) {
  std::vector<std::string> Lines;
  std::string Cur;
  for (size_t I = 0; I < Text.size(); ++I) {
    const char C = Text[I];
    if (C == '\r' || C == '\n') {
      Lines.push_back(Cur);
      Cur.clear();
      if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') ++I;
    } else {
      Cur += C;
    }
  }
  if (!Cur.empty()) Lines.push_back(Cur);
  return Lines;
}

}  // namespace

TVelmoricVariableTable* velmoricVariables = TheTable.get();

TVelmoricVariableTable::TVelmoricVariableTable() = default;

TVelmoricVariableTable::~TVelmoricVariableTable() { Clear(); }

void TVelmoricVariableTable::Clear() {
  for (int I = 0; I < Count(); ++I) delete Objects(I);
  TStringList::Clear();
}

std::string TVelmoricVariableTable::DefaultsFileName() {
  const std::string Path = GetVelmoricPath();
  return Path.empty() ? std::string() : Path + "defaults.dat";
}

bool TVelmoricVariableTable::find(const std::string& Name) {
  TTraceProc Trace("TVelmoricVariableTable.find");
  const int I = IndexOf(LowerCase(Name));
  if (I < 0) return false;
  const auto* V = static_cast<TVelmoricVariable*>(Objects(I));
  FoundType = V->TypeName;
  FoundComment = V->Comment;
  return true;
}

void TVelmoricVariableTable::Add(const std::string& Name, const std::string& Type,
                                 const std::string& Comment) {
  TTraceProc Trace("TVelmoricVariableTable.Add");
  auto* V = new TVelmoricVariable;
  V->name = Name;
  V->TypeName = Type;
  V->Comment = Comment;
  AddObject(LowerCase(Name), V);
  SaveToFile();
}

void TVelmoricVariableTable::LoadFromFile() {
  TTraceProc Trace("TVelmoricVariableTable.LoadFromFile");
  const std::string FileName = DefaultsFileName();
  if (FileName.empty()) return;
  std::string Text;
  try {
    Text = ReadFileBytes(FileName);
  } catch (const std::exception&) {
    return;  // no defaults: the dialog works without them
  }
  const std::vector<std::string> Lines = FileLines(Text);
  size_t I = 0;
  while (I < Lines.size()) {
    const std::string& Line = Lines[I++];
    if (Line.size() < 5 || Line.compare(0, 5, "name=") != 0) continue;
    auto* V = new TVelmoricVariable;
    V->name = Line.substr(5);
    // Up to two lines of the record; a "name=" line always starts the next.
    for (int K = 0; K < 2 && I < Lines.size(); ++K) {
      const std::string& Next = Lines[I];
      if (Next.compare(0, 5, "name=") == 0) break;
      ++I;
      if (Next.compare(0, 4, "typ=") == 0) V->TypeName = Next.substr(4);
      else if (Next.compare(0, 8, "comment=") == 0) V->Comment = Next.substr(8);
    }
    AddObject(LowerCase(V->name), V);
  }
}

void TVelmoricVariableTable::SaveToFile() {
  TTraceProc Trace("TVelmoricVariableTable.SaveToFile");
  const std::string FileName = DefaultsFileName();
  std::error_code Ec;
  if (FileName.empty() || !std::filesystem::is_regular_file(FileName, Ec)) return;
  if (tracelet) tracelet->write("Write file to " + FileName);
  std::string Text;
  for (int I = 0; I < Count(); ++I) {
    const auto* V = static_cast<TVelmoricVariable*>(Objects(I));
    Text += "name=" + V->name + "\r\n" + "typ=" + V->TypeName + "\r\n" + "comment=" + V->Comment + "\r\n";
  }
  // Whole or not at all: a temporary file beside it, renamed over it.
  try {
    WriteFileAtomically(FileName, Text);
  } catch (const std::exception& E) {
    if (tracelet) tracelet->write(std::string("defaults.dat not written: ") + E.what());
    std::fprintf(stderr, "velmoric: %s not written: %s\n", FileName.c_str(), E.what());
  }
}
