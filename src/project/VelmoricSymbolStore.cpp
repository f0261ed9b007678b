#include "project/VelmoricSymbolStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>
#include <utility>

#include "platform/rtl/AtomicFile.h"
#include "scanner/VelmoricPascalSource.h"
#include "trace/traceletVelmoric.h"

bool LoadSymbolsDebug = false;

namespace {
void PutInt32(char* P, int32_t V) {
  const auto U = static_cast<uint32_t>(V);
  P[0] = static_cast<char>(U & 0xFF);
  P[1] = static_cast<char>((U >> 8) & 0xFF);
  P[2] = static_cast<char>((U >> 16) & 0xFF);
  P[3] = static_cast<char>((U >> 24) & 0xFF);
}

int32_t GetInt32(const char* P) {
  const auto B = reinterpret_cast<const unsigned char*>(P);
  return static_cast<int32_t>(uint32_t(B[0]) | uint32_t(B[1]) << 8 | uint32_t(B[2]) << 16 |
                              uint32_t(B[3]) << 24);
}

void DebugLine(const std::string& Text) {
  if (tracelet) tracelet->StrWrite("readsymbols", Text);
}

// The 14 texts of a record, in file order: a common one in the record
// itself, a rare one among its rare texts.
struct TTextField {
  TSymText TOrvikSymbol::*Own;
  TSymText TOrvikSymbolExtra::*Rare;
};
constexpr TTextField TextFields[TOrvikSymbolstore::StringCount] = {
    {&TOrvikSymbol::name, nullptr},         {nullptr, &TOrvikSymbolExtra::Ancestor},
    {&TOrvikSymbol::Comment, nullptr},      {&TOrvikSymbol::Params, nullptr},
    {nullptr, &TOrvikSymbolExtra::MessageId}, {&TOrvikSymbol::ResultType, nullptr},
    {nullptr, &TOrvikSymbolExtra::ReadAccess}, {nullptr, &TOrvikSymbolExtra::WriteAccess},
    {nullptr, &TOrvikSymbolExtra::IndexName}, {nullptr, &TOrvikSymbolExtra::IndexType},
    {nullptr, &TOrvikSymbolExtra::ConstType}, {&TOrvikSymbol::TypeName, nullptr},
    {nullptr, &TOrvikSymbolExtra::Reserved}, {nullptr, &TOrvikSymbolExtra::DefaultValue}};

const TSymText& TextOf(const TOrvikSymbol& S, const TTextField& F) {
  return F.Own ? S.*F.Own : S.Rare().*F.Rare;
}

// A record without rare texts gets them only for a text that is not empty.
template <class T>
void SetText(TOrvikSymbol& S, const TTextField& F, T&& Value) {
  if (F.Own)
    S.*F.Own = std::forward<T>(Value);
  else if (!std::string_view(Value).empty() || !TextOf(S, F).empty())
    S.Extra().*F.Rare = std::forward<T>(Value);
}

void PlaceText(TOrvikSymbol& S, const TTextField& F, std::string_view Value, TSymTextArena& Arena) {
  if (F.Own)
    (S.*F.Own).Place(Value, Arena);
  else if (!Value.empty() || !TextOf(S, F).empty())
    (S.Extra().*F.Rare).Place(Value, Arena);
}

constexpr uint16_t KnownProcOptions = (1u << (tFar + 1)) - 1;
}  // namespace

TOrvikSymbolstore::TOrvikSymbolstore() {
  TTraceProc Trace("TOrvikSymbolstore.create");
  RecordCounter = 0;
}

TOrvikSymbol* TOrvikSymbolstore::Allocate(TPascalSource* Source) {
  TTraceProc Trace("TOrvikSymbolstore.Allocate");
  auto* Sym = new TOrvikSymbol;
  Sym->Source = Source;
  Sym->Line = -1;
  Sym->DeclLine = -1;
  return Sym;
}

// ------------------------------------------------------------------ saving

void TOrvikSymbolstore::WriteInteger(int32_t I) {
  TTraceProc Trace("TOrvikSymbolstore.WriteInteger");
  char B[4];
  PutInt32(B, I);
  FStream.append(B, 4);
  if (LoadSymbolsDebug) DebugLine(Format("Write Integer %d", I));
}

void TOrvikSymbolstore::WriteString(std::string_view S) {
  TTraceProc Trace("TOrvikSymbolstore.WriteString");
  char B[4];
  PutInt32(B, static_cast<int32_t>(S.size()));
  FStream.append(B, 4);
  FStream += S;
  if (LoadSymbolsDebug) DebugLine(Format("Write String %s", S));
}

void TOrvikSymbolstore::WriteUses(const TStrings* Uses) {
  TTraceProc Trace("TOrvikSymbolstore.WriteUses");
  const int N = Uses ? Uses->Count() : 0;
  WriteInteger(N);
  for (int I = 0; I < N; ++I) WriteString(Uses->Get(I));
}

// ParentIndex is the record under which Symbol is written, so that loading
// rebuilds the lists as they are, also where the parser pointed Parent
// elsewhere (a local class) or one record sits in two lists.
void TOrvikSymbolstore::WriteSymbol(TOrvikSymbol& Symbol, int ParentIndex) {
  TTraceProc Trace("TOrvikSymbolstore.WriteSymbol");
  char H[HeaderSize] = {};
  H[0] = static_cast<char>(Symbol.Typ);
  H[1] = static_cast<char>(Symbol.ProcTyp);
  PutInt32(H + 4, Symbol.Line);
  H[8] = static_cast<char>(Symbol.Bereich);
  PutInt32(H + 12, Symbol.defbegin);
  PutInt32(H + 16, Symbol.defend);
  PutInt32(H + 24, Symbol.DeclLine);
  const uint16_t Options = Symbol.Options.Bits();
  H[28] = static_cast<char>(Options & 0xFF);
  H[29] = static_cast<char>(Options >> 8);
  const int Children = Symbol.symbols ? Symbol.symbols->Count() : 0;
  PutInt32(H + 32, Children);
  PutInt32(H + 36, RecordCounter);
  PutInt32(H + 40, ParentIndex);
  Symbol.StoreIndex = RecordCounter;
  ++RecordCounter;
  FStream.append(H, HeaderSize);
  if (Symbol.Typ == typEOF) {
    for (int I = 0; I < StringCount; ++I) WriteString(std::string());
    return;
  }
  for (const TTextField& F : TextFields) WriteString(TextOf(Symbol, F));
  const int Own = Symbol.StoreIndex;
  for (int I = 0; I < Children; ++I) {
    auto* Child = static_cast<TOrvikSymbol*>(Symbol.symbols->GetObject(I));
    if (Child) WriteSymbol(*Child, Own);
  }
}

std::string TOrvikSymbolstore::SaveToImage(const TStrings* Uses, TOrvikSymbol& Root) {
  TTraceProc Trace("TOrvikSymbolstore.SaveToImage");
  RecordCounter = 0;
  FStream.clear();
  FStream.reserve(4096);
  WriteUses(Uses);
  WriteSymbol(Root, -1);
  TOrvikSymbol End;
  WriteSymbol(End, -1);
  return std::move(FStream);
}

// ----------------------------------------------------------------- loading

void TOrvikSymbolstore::Damaged(const std::string& What) const {
  throw ESymbolStoreError(Format("damaged symbol store: %s at offset %d of %d bytes", What,
                                 static_cast<int64_t>(Offset()),
                                 static_cast<int64_t>(FEnd - FStart)));
}

int32_t TOrvikSymbolstore::ReadInteger() {
  TTraceProc Trace("TOrvikSymbolstore.ReadInteger");
  if (Left() < 4) Damaged("truncated integer");
  const int32_t I = GetInt32(FPos);
  FPos += 4;
  return I;
}

void TOrvikSymbolstore::ReadString(std::string& S) {
  TTraceProc Trace("TOrvikSymbolstore.ReadString");
  S.assign(TakeString());
}

// The next string of the image, without the procedure trace of ReadString
// (the 14 texts of every record are read so).
[[gnu::always_inline]] inline std::string_view TOrvikSymbolstore::TakeString() {
  if (Left() < 4) Damaged("truncated string length");
  const int32_t L = GetInt32(FPos);
  FPos += 4;
  if (L == 0) return {};
  if (L < 0) Damaged(Format("negative string length %d", L));
  if (static_cast<size_t>(L) > Left()) Damaged(Format("string length %d runs past the end", L));
  const std::string_view S(FPos, static_cast<size_t>(L));
  FPos += L;
  if (LoadSymbolsDebug) DebugLine(Format("Read String %s", S));
  return S;
}

void TOrvikSymbolstore::ReadUses(std::vector<std::string>& Uses) {
  TTraceProc Trace("TOrvikSymbolstore.ReadUses");
  const int32_t N = ReadInteger();
  // Every entry takes at least its 4 length bytes.
  if (N < 0 || static_cast<size_t>(N) > Left() / 4) Damaged(Format("uses count %d", N));
  Uses.clear();
  Uses.reserve(static_cast<size_t>(N));
  for (int32_t I = 0; I < N; ++I) {
    std::string S;
    ReadString(S);
    Uses.push_back(std::move(S));
  }
}

bool TOrvikSymbolstore::ReadSymbol(TOrvikSymbol& Symbol, int& ParentIndex) {
  TTraceProc Trace("TOrvikSymbolstore.ReadSymbol");
  if (Left() < HeaderSize) Damaged("truncated record header");
  const char* H = FPos;
  const auto Byte = [H](int At) { return static_cast<unsigned char>(H[At]); };
  const int Own = static_cast<int>(FTags.size());
  if (Byte(0) > typParameter) Damaged(Format("unknown symbol kind %d in record %d", Byte(0), Own));
  Symbol.Typ = static_cast<TSymTyp>(Byte(0));
  if (Symbol.Typ == typEOF) {
    FPos += HeaderSize;
    return false;
  }
  if (Byte(1) > tDestructor) Damaged(Format("unknown procedure kind %d in record %d", Byte(1), Own));
  if (Byte(8) > tLocal) Damaged(Format("unknown scope %d in record %d", Byte(8), Own));
  const uint16_t Options = static_cast<uint16_t>(Byte(28) | Byte(29) << 8);
  if (Options & ~KnownProcOptions)
    Damaged(Format("unknown procedure options %x in record %d", Options, Own));
  ParentIndex = GetInt32(H + 40);
  if (ParentIndex < -1 || ParentIndex >= Own)
    Damaged(Format("parent index %d of record %d names no earlier record", ParentIndex, Own));
  const int Depth = ParentIndex < 0 ? 0 : FDepth[static_cast<size_t>(ParentIndex)] + 1;
  if (Depth > MaxNesting) Damaged(Format("record %d nested deeper than %d", Own, MaxNesting));

  Symbol.ProcTyp = static_cast<TProcTokenType>(Byte(1));
  Symbol.Line = GetInt32(H + 4);
  Symbol.Bereich = static_cast<TBereichTokenType>(Byte(8));
  Symbol.defbegin = GetInt32(H + 12);
  Symbol.defend = GetInt32(H + 16);
  Symbol.DeclLine = GetInt32(H + 24);
  Symbol.Options = TProcOptionsSet::FromBits(Options);
  FPos += HeaderSize;
  if (FTexts)
    for (const TTextField& F : TextFields) PlaceText(Symbol, F, TakeString(), *FTexts);
  else
    for (const TTextField& F : TextFields) SetText(Symbol, F, TakeString());
  if (LoadSymbolsDebug) DebugLine("Read new symbol");
  if (OnRecord) OnRecord(Symbol, GetInt32(H + 36), ParentIndex, GetInt32(H + 32));

  // The children's list, made as AddOrvikSymbolUnsorted makes it, and an
  // empty one made before (the root's), with room for the stored number of
  // children (at most as many as the rest of the image can hold).
  const int32_t Children = GetInt32(H + 32);
  if (Children > 0) {
    if (!Symbol.symbols) Symbol.symbols = new TOrvikSymbols("owner.symbols", "AddOrvikSymbolUnsorted");
    if (Symbol.symbols->Count() == 0)
      Symbol.symbols->SetCapacity(static_cast<int>(
          std::min<size_t>(static_cast<size_t>(Children), Left() / (HeaderSize + 4 * StringCount))));
  }
  // The record joins its parent's list only now that its name, the list's
  // key, has been read.
  FTags.push_back(&Symbol);
  FDepth.push_back(Depth);
  if (ParentIndex >= 0) {
    TOrvikSymbol* Parent = FTags[static_cast<size_t>(ParentIndex)];
    if (FTexts)
      AddOrvikSymbolUnsorted(Parent, &Symbol, *FTexts);
    else
      AddOrvikSymbolUnsorted(Parent, &Symbol);
  }
  return true;
}

void TOrvikSymbolstore::LoadFromImage(std::string_view Image, TPascalSource* Source,
                                      TStrings& Uses, TOrvikSymbol& Root,
                                      TSymTextArena* Texts) {
  TTraceProc Trace("TOrvikSymbolstore.LoadFromImage");
  FStart = Image.data();
  FPos = FStart;
  FEnd = FStart + Image.size();
  FTexts = Texts;
  // The tag lists are the thread's, lent to one load at a time: stores are
  // loaded by the thousand, and a store object keeps nothing of a load.
  thread_local std::vector<TOrvikSymbol*> SpareTags;
  thread_local std::vector<int> SpareDepth;
  constexpr size_t KeptTags = 1 << 16;
  FTags.swap(SpareTags);
  FDepth.swap(SpareDepth);
  struct TLoadEnd {
    TOrvikSymbolstore& Store;
    ~TLoadEnd() {
      Store.FTags.clear();
      Store.FDepth.clear();
      if (Store.FTags.capacity() > KeptTags) {  // a rare large unit's lists are not kept
        std::vector<TOrvikSymbol*>().swap(Store.FTags);
        std::vector<int>().swap(Store.FDepth);
      }
      Store.FTags.swap(SpareTags);
      Store.FDepth.swap(SpareDepth);
      Store.FStart = Store.FPos = Store.FEnd = nullptr;
      Store.FTexts = nullptr;
    }
  } LoadEnd{*this};
  // Room for 5000 records, or for as many as the image can hold.
  const size_t Records = std::min<size_t>(5000, Image.size() / (HeaderSize + 4 * StringCount) + 1);
  FTags.reserve(Records);
  FDepth.reserve(Records);

  // Everything is read into a scratch tree first: a damaged image changes nothing.
  std::vector<std::string> UsesRead;
  TOrvikSymbol Scratch;
  Scratch.Source = Source;
  Scratch.symbols = new TOrvikSymbols("symbols.symbols", "TPascalSource");  // sized by its record
  std::vector<std::unique_ptr<TOrvikSymbol>> Loose;  // records that hang nowhere
  ReadUses(UsesRead);
  int ParentIndex = -1;
  if (!ReadSymbol(Scratch, ParentIndex) || Scratch.Typ != typUnit)
    Damaged("the first record is not a unit");
  for (;;) {
    std::unique_ptr<TOrvikSymbol> Sym(Allocate(Source));
    if (!ReadSymbol(*Sym, ParentIndex)) break;
    if (ParentIndex >= 0)
      Sym.release();  // held by its parent's list now
    else
      Loose.push_back(std::move(Sym));
  }

  Uses.Clear();
  for (const std::string& S : UsesRead) Uses.Add(S);
  ReleaseOrvikSymbolChildren(Root);
  Root.Typ = Scratch.Typ;
  Root.ProcTyp = Scratch.ProcTyp;
  Root.Line = Scratch.Line;
  Root.Bereich = Scratch.Bereich;
  Root.defbegin = Scratch.defbegin;
  Root.defend = Scratch.defend;
  Root.DeclLine = Scratch.DeclLine;
  Root.Options = Scratch.Options;
  for (const TTextField& F : TextFields) SetText(Root, F, TextOf(Scratch, F));
  Root.symbols = Scratch.symbols;
  Scratch.symbols = nullptr;
  for (int I = 0; I < Root.symbols->Count(); ++I) {
    auto* Child = static_cast<TOrvikSymbol*>(Root.symbols->GetObject(I));
    if (Child->Parent == &Scratch) Child->Parent = &Root;
  }
}

// ------------------------------------------------------------------- files

void TOrvikSymbolstore::SaveToFile(const std::string& FileName, TPascalSource* Source) {
  TTraceProc Trace([&] { return Format("TOrvikSymbolstore.SaveToFile(FileName=%s)", FileName); });
  const std::string Image = SaveToImage(Source->usesList, Source->symbols);
  // Replaced whole: a failed write leaves the old store as it was.
  WriteFileAtomically(FileName, Image);
}

TStoreFile::TStoreFile(const std::string& FileName) : FFileName(FileName) {
  FFd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (FFd < 0) {
    FError = errno;
    return;
  }
  if (::fstat(FFd, &FStatus) != 0) {
    FError = errno;
    Close();
  }
}

TStoreFile::TStoreFile(TStoreFile&& Other) noexcept
    : FFileName(std::move(Other.FFileName)),
      FFd(std::exchange(Other.FFd, -1)),
      FError(Other.FError),
      FStatus(Other.FStatus) {}

TStoreFile& TStoreFile::operator=(TStoreFile&& Other) noexcept {
  if (this != &Other) {
    Close();
    FFileName = std::move(Other.FFileName);
    FFd = std::exchange(Other.FFd, -1);
    FError = Other.FError;
    FStatus = Other.FStatus;
  }
  return *this;
}

TStoreFile::~TStoreFile() { Close(); }

void TStoreFile::Close() {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
}

namespace {
// The whole file in one read into Buffer, which is kept from one load to the
// next (stores are read by the thousand). Raises EFOpenError or EReadError.
std::string_view ReadImage(const TStoreFile& File) {
  static std::string Buffer;
  const std::string& FileName = File.FileName();
  if (!File.IsOpen() || !S_ISREG(File.Status().st_mode))
    throw EFOpenError("Cannot open file " + FileName);
  const auto Size = static_cast<size_t>(File.Status().st_size);
  if (Buffer.size() < Size) Buffer.resize(Size);
  size_t Done = 0;
  while (Done < Size) {
    const ssize_t N = ::pread(File.Descriptor(), Buffer.data() + Done, Size - Done,
                              static_cast<off_t>(Done));
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) throw EReadError("Cannot read file " + FileName);
    if (N == 0) break;  // shorter than it was a moment ago: the loader judges
    Done += static_cast<size_t>(N);
  }
  return std::string_view(Buffer.data(), Done);
}
}  // namespace

void TOrvikSymbolstore::LoadFromFile(const std::string& FileName, TPascalSource* Source) {
  LoadFromFile(TStoreFile(FileName), Source);
}

void TOrvikSymbolstore::LoadFromFile(const TStoreFile& File, TPascalSource* Source) {
  TTraceProc Trace(
      [&] { return Format("TOrvikSymbolstore.LoadFromFile(FileName=%s)", File.FileName()); });
  const std::string_view Image = ReadImage(File);
  if (!Source->usesList) Source->usesList = new TSaveStringList("usesList", "TPascalSource");
  // The tree's texts and keys share one arena, kept by the source, which
  // starts at half the store's size (about what they take). Records of an
  // older tree that other lists still hold keep theirs when its arena goes.
  auto Texts = std::make_unique<TSymTextArena>(Image.size() / 2);
  if (Source->LoadedTexts) OwnHeldTexts(Source->symbols);
  LoadFromImage(Image, Source, *Source->usesList, Source->symbols, Texts.get());
  Source->LoadedTexts = std::move(Texts);
}
