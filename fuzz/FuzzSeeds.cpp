// Writes the seed corpus of every fuzz target with the system's own writers:
//   velmoric-fuzz-seeds OUTDIR PASCALFILE...
// OUTDIR/<target>/ receives the Pascal files as texts (scanner, parser with
// its options byte, editorstrings with control bytes), the ".pax" stores of
// their parses (symbolstore), frames of their lines as the trace client
// sends them (tracelet), a "filerep.dat" of their paths (filerepository) and
// settings files written through TRegistry (registry).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzTargets.h"
#include "hosts/lsp/LspTransport.h"
#include "platform/ipc/IpcWindow.h"
#include "platform/registry/Registry.h"
#include "platform/vcl/RichText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/FormFiles.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricProjectSettings.h"
#include "project/VelmoricSymbolStore.h"
#include "scanner/VelmoricPascalScanner.h"
#include "trace/TracePayload.h"
#include "trace/traceletVelmoric.h"

namespace fs = std::filesystem;

namespace {

std::string OutDir;

void Seed(const std::string& Target, const std::string& Name, std::string_view Bytes) {
  WriteFileBytes(OutDir + "/" + Target + "/" + Name, Bytes);
}

std::string Cut(const std::string& Text, size_t Max) { return Text.size() > Max ? Text.substr(0, Max) : Text; }

std::vector<std::string> SplitLines(const std::string& Text) {
  TStringList L;
  L.SetText(Text);
  std::vector<std::string> R;
  for (int I = 0; I < L.Count(); ++I) R.push_back(L[I]);
  return R;
}

std::string Replace(std::string S, const std::string& From, const std::string& To) {
  for (size_t P = 0; (P = S.find(From, P)) != std::string::npos; P += To.size()) S.replace(P, From.size(), To);
  return S;
}

void PascalSeeds(const std::vector<std::string>& Files) {
  for (size_t I = 0; I < Files.size(); ++I) {
    const std::string Text = ReadFileBytes(Files[I]);
    const std::string Name = std::to_string(I) + "-" + fs::path(Files[I]).filename().string();
    Seed("scanner", Name, Cut(Text, 4096));
    Seed("parser", Name, std::string(1, static_cast<char>(I % 8 | (I * 8 & 0xF8))) + Cut(Text, 4095));
    // A blank somewhere in the first lines.
    const char Edit[] = {0, static_cast<char>(I * 37 % 251), 0};
    Seed("keptparse", Name, std::string(Edit, 3) + Cut(Text, 4093));

    // The store of its parse, with parameters and locals.
    auto* Lines = new TSaveStringList("strings", "TPascalSource");
    Lines->SetText(Text);
    TPascalSource Source(new TToken(Lines));
    Source.FileName = Files[I];
    Source.CreateSymbols({oCompileImplementation, oCompileLocalVar});
    const std::string Image = Source.Store->SaveToImage(Source.usesList, Source.symbols);
    if (Image.size() <= 32768) Seed("symbolstore", Name + ".pax", Image);

    // The buffer with control bytes, its line ends as they are, as LF and as CR.
    std::string Control(1 + I % 40, '\0');
    Control[0] = static_cast<char>(Control.size() - 1);
    for (size_t K = 1; K < Control.size(); ++K) Control[K] = static_cast<char>(K * 37 + I * 11);
    const std::string Short = Cut(Text, 4000);
    Seed("editorstrings", Name, Control + Short);
    if (I % 4 == 1) Seed("editorstrings", Name + ".lf", Control + Replace(Short, "\r\n", "\n"));
    if (I % 4 == 2) Seed("editorstrings", Name + ".cr", Control + Replace(Replace(Short, "\r\n", "\n"), "\n", "\r"));
  }
}

// The frames of a trace session: streams registered, lines by atom and by
// copy, a question, window actions in between.
void TraceletSeeds(const std::vector<std::string>& Files) {
  const char* Streams[] = {"stdOut", "stdError", "compile", "token.line", "readsymbols", "findpos1"};
  const uint8_t Modes[] = {0x00, 0x01, 0x02, 0x03, 0x08, 0x0C, 0x10, 0x13, 0x1C};
  for (size_t I = 0; I < Files.size() && I < 24; ++I) {
    std::string Wire(1, static_cast<char>(Modes[I % std::size(Modes)]));
    Wire += ipc::EncodeFrame(ipc::MsgRegisterStream, Streams[I % std::size(Streams)]);
    int N = 0;
    for (const std::string& Line : SplitLines(ReadFileBytes(Files[I]))) {
      if (Wire.size() > 3500) break;
      const std::string Stream = Streams[N % std::size(Streams)];
      if (const auto Payload = BuildTracePayload(Stream, Line))
        Wire += ipc::EncodeFrame(N % 5 == 4 ? ipc::WM_COPYDATA : ipc::MsgTraceLine, *Payload);
      if (N % 17 == 5) Wire += ipc::EncodeFrame(0xFF000000u, std::string(1, static_cast<char>(N)) + "\x03\x01");
      if (N % 29 == 7) Wire += ipc::EncodeFrame(ipc::MsgQuestion, "version");
      ++N;
    }
    Seed("tracelet", std::to_string(I) + "-" + fs::path(Files[I]).filename().string() + ".frames", Wire);
  }
}

void FileRepositorySeeds(const std::vector<std::string>& Files) {
  const std::string Dir = OutDir + "/filerepository.work/";
  fs::create_directories(Dir);
  VelmoricPath = Dir;
  for (size_t Part = 0; Part < 4; ++Part) {
    TFileRepository R;
    for (size_t I = Part; I < Files.size(); I += 4) {
      std::string Name = fs::absolute(Files[I]).string();
      R.Add(Name);
    }
    std::string Relative = "unit" + std::to_string(Part) + ".pas";
    R.Add(Relative);
    R.WriteToFile();
    const std::string Written = ReadFileBytes(TFileRepository::FileName());
    Seed("filerepository", "filerep" + std::to_string(Part) + ".dat", Written);
    if (Part == 1) Seed("filerepository", "filerep-lf.dat", Replace(Written, "\r\n", "\n"));
  }
  Seed("filerepository", "windows.dat", "C:\\Work\\unit1.pas\r\nC:\\Other\\Unit1.PAS\r\n\r\nD:\\x\\Forms.pas");
  fs::remove_all(Dir);
}

void RegistrySeeds() {
  struct TValue {
    const char* Key;
    const char* Name;
    const char* Str;  // null: integer
    int Int;
  };
  const TValue Values[] = {
      {"\\SOFTWARE\\HALVORN\\Velmoric", "path", "/home/user/.local/share/velmoric/", 0},
      {"\\SOFTWARE\\HALVORN\\Velmoric", "AdditionalSearchPath", "C:\\Lib;D:\\Src;/usr/share", 0},
      {"\\SOFTWARE\\HALVORN\\Velmoric", "QuickRecompile", nullptr, 1},
      {"\\SOFTWARE\\HALVORN\\Velmoric", "Passwords", "a\"b\\c\td\x01\x7f\xe4", 0},
      {"\\SOFTWARE\\HALVORN\\Velmoric\\Menus", "Find position", nullptr, 16454},
      {"\\SOFTWARE\\HALVORN\\Velmoric\\Menus", "Hyperjump", nullptr, -1},
      {"\\Software\\Borland\\Delphi\\3.0\\Library", "SearchPath", "$(DELPHI)\\Lib;$(DELPHI)\\Bin", 0},
  };
  for (size_t Count = 1; Count <= std::size(Values); Count += 2) {
    const std::string File = OutDir + "/registry/settings" + std::to_string(Count);
    ::setenv("VELMORIC_REGISTRY", File.c_str(), 1);
    for (size_t I = 0; I < Count; ++I) {
      TRegistry R;
      R.OpenKey(Values[I].Key, true);
      if (Values[I].Str) R.WriteString(Values[I].Name, Values[I].Str);
      else R.WriteInteger(Values[I].Name, Values[I].Int);
    }
    fs::remove(File + ".lock");
  }
  Seed("registry", "empty", "");
  Seed("registry", "header", "VELMORIC-REGISTRY 1\n");
}

// A client's session with the server, whole and in damaged forms.
void LspSeeds() {
  const std::string Open =
      R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file:///w/u.pas",)"
      R"("languageId":"pascal","version":1,"text":"unit u;\ninterface\nimplementation\nend.\n"}}})";
  const std::string Session =
      FrameMessage(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"rootUri":"file:///w"}})") +
      FrameMessage(R"({"jsonrpc":"2.0","method":"initialized","params":{}})") + FrameMessage(Open) +
      FrameMessage(R"({"jsonrpc":"2.0","id":"h","method":"textDocument/hover","params":{"textDocument":)"
                   R"({"uri":"file:///w/u.pas"},"position":{"line":0,"character":5}}})") +
      FrameMessage(R"({"jsonrpc":"2.0","method":"$/cancelRequest","params":{"id":"h"}})") +
      FrameMessage(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})") +
      FrameMessage(R"({"jsonrpc":"2.0","method":"exit"})");
  Seed("lspreader", "session", std::string(1, '\0') + Session);
  Seed("lspreader", "session-bytewise", std::string(1, '\1') + Session);
  Seed("lspreader", "no-length", std::string(1, '\7') + "Content-Type: x\r\n\r\n{}" + Session);
  Seed("lspreader", "cut", std::string(1, '\3') + Session.substr(0, Session.size() / 2));
  Seed("lspreader", "utf8", std::string(1, '\0') +
                                FrameMessage("{\"jsonrpc\":\"2.0\",\"method\":\"x\",\"params\":[\"\xC3\xA9\xF0\x9F\x98\x80\xE9\"]}"));
}

// Help page headers and bodies as the virtual help writes them, and the same
// documents as the rich edit writes them.
void RichTextSeeds() {
  const std::string Header =
      "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}{\\f1\\froman\\fcharset2 Symbol;}"
      "{\\f2\\fswiss\\fcharset1 MS Sans Serif;}{\\f3\\fswiss\\fcharset1 MS Sans Serif;}}\r\n"
      "{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
      "\\deflang1031\\plain\\f3\\fs30\\cf1 TForm1.Button1Click\\plain\\f3\\fs16\r\n\\keepn\r\n"
      "\\par \\plain\\f2\\fs18\\cf0\\b procedure\\plain\\f2\\fs18\\cf0  Button1Click(Sender: TObject)\\keepn\r\n"
      "\\par }\r\n";
  const std::string Body =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f2\\froman Times New Roman;}}{\\colortbl;\\red0\\green0\\blue255;}"
      "\\pard\\qc\\plain\\f2\\fs25\\b Parameters\\plain\\par \\plain\\f2\\fs20 Sender\\tab Specifies\\par"
      "\\pard{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}item \\'e4\\u8364?{\\uldb {Link}}{\\v TFoo_Bar}"
      "\\par\\page{\\up $}{\\footnote $ TFoo.Bar}{\\*\\unknown x}\\par}";
  Seed("richtext", "header.rtf", Header);
  Seed("richtext", "body.rtf", Body);
  for (const std::string* S : {&Header, &Body}) {
    TRichTextDocument D;
    D.LoadRtf(*S);
    Seed("richtext", S == &Header ? "header-written.rtf" : "body-written.rtf", D.SaveRtf());
  }
  Seed("richtext", "plain.txt", "plain text\r\nsecond line");
}

// Form files: a binary form with a value of each type (bare and behind a
// resource header) and its text.
void FormFileSeeds() {
  for (bool Header : {false, true}) {
    TFormBinaryWriter W(Header, "TFORM1");
    W.BeginObject("TForm1", "Form1");
    W.WriteProperty("Caption");
    W.WriteString("It's");
    W.WriteProperty("Left");
    W.WriteInteger(-300);
    W.WriteProperty("Font.Style");
    W.WriteSet({"fsBold"});
    W.WriteProperty("Ratio");
    W.WriteExtended(1.25L);
    W.WriteProperty("Data");
    W.WriteBinary("\x01\x02");
    W.WriteProperty("Items.Strings");
    W.BeginList();
    W.WriteWideString(u"a\u00e9");
    W.EndList();
    W.WriteProperty("Columns");
    W.BeginCollection();
    W.BeginItem(1);
    W.WriteProperty("FieldName");
    W.WriteUTF8String("NAME");
    W.EndList();
    W.EndList();
    W.EndList();
    W.BeginObject("TDataSource", "DataSource1", ffInherited | ffChildPos, 1);
    W.WriteProperty("DataSet");
    W.WriteIdent("DataModule1.Table1");
    W.EndList();
    W.EndList();
    W.EndList();
    const std::string Binary = W.Data();
    Seed("formfile", Header ? "form-res.dfm" : "form.dfm", Binary);
    if (!Header) {
      TStringStream In(Binary), Out;
      FormStreamToText(In, Out);
      Seed("formfile", "form-text.dfm", Out.DataString());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: velmoric-fuzz-seeds OUTDIR PASCALFILE...\n");
    return 2;
  }
  FlagTrace = false;
  DisplayCompilerProcess = false;
  OutDir = argv[1];
  std::vector<std::string> Files(argv + 2, argv + argc);
  try {
    for (const TFuzzTarget& T : FuzzTargets) fs::create_directories(OutDir + "/" + T.Name);
    PascalSeeds(Files);
    TraceletSeeds(Files);
    FileRepositorySeeds(Files);
    RegistrySeeds();
    LspSeeds();
    RichTextSeeds();
    FormFileSeeds();
  } catch (const std::exception& E) {
    std::fprintf(stderr, "velmoric-fuzz-seeds: %s\n", E.what());
    return 1;
  }
  return 0;
}
