#include "platform/registry/Registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/rtl/AtomicFile.h"

namespace {

const char* const Header = "VELMORIC-REGISTRY 1";

struct TRegValue {
  std::string Name;
  TRegDataType Type = rdString;
  std::string Str;
  int32_t Int = 0;
};

struct TRegKey {
  std::string Path;  // without leading '\'; "" is the root
  std::vector<TRegValue> Values;

  TRegValue* Find(const std::string& Name) {
    for (TRegValue& V : Values)
      if (SameText(V.Name, Name)) return &V;
    return nullptr;
  }
};

struct TRegData {
  std::vector<TRegKey> Keys;

  TRegKey* Find(const std::string& Path) {
    for (TRegKey& K : Keys)
      if (SameText(K.Path, Path)) return &K;
    return nullptr;
  }
  // Creates the key and its parents; returns whether anything was added.
  bool Create(const std::string& Path) {
    if (Path.empty() || Find(Path)) return false;
    const size_t Slash = Path.rfind('\\');
    if (Slash != std::string::npos) Create(Path.substr(0, Slash));
    Keys.push_back({Path, {}});
    return true;
  }
};

[[noreturn]] void Fail(const std::string& Msg) { throw ERegistryException(Msg); }

// ------------------------------------------------------------ file format

std::string Quote(const std::string& S) {
  std::string R = "\"";
  for (unsigned char C : S) {
    switch (C) {
      case '\\': R += "\\\\"; break;
      case '"': R += "\\\""; break;
      case '\n': R += "\\n"; break;
      case '\r': R += "\\r"; break;
      case '\t': R += "\\t"; break;
      default:
        if (C < 0x20 || C == 0x7F) R += Format("\\x%.2x", C);
        else R += char(C);
    }
  }
  return R + "\"";
}

// Reads a quoted text at Line[P]; P ends behind the closing quote.
bool Unquote(const std::string& Line, size_t& P, std::string& Out) {
  if (P >= Line.size() || Line[P] != '"') return false;
  ++P;
  Out.clear();
  while (P < Line.size()) {
    char C = Line[P++];
    if (C == '"') return true;
    if (C != '\\') {
      Out += C;
      continue;
    }
    if (P >= Line.size()) return false;
    C = Line[P++];
    switch (C) {
      case '\\': Out += '\\'; break;
      case '"': Out += '"'; break;
      case 'n': Out += '\n'; break;
      case 'r': Out += '\r'; break;
      case 't': Out += '\t'; break;
      case 'x': {
        if (P + 2 > Line.size()) return false;
        int V = 0;
        for (int I = 0; I < 2; ++I) {
          const char H = Line[P++];
          const int D = (H >= '0' && H <= '9') ? H - '0'
                        : (H >= 'a' && H <= 'f') ? H - 'a' + 10
                        : (H >= 'A' && H <= 'F') ? H - 'A' + 10
                                                 : -1;
          if (D < 0) return false;
          V = V * 16 + D;
        }
        Out += char(V);
        break;
      }
      default: return false;
    }
  }
  return false;
}

bool ValidKeyName(const std::string& Part) {
  if (Part.empty()) return false;
  for (unsigned char C : Part)
    if (C < 0x20 || C == 0x7F || C == '[' || C == ']') return false;
  return true;
}

TRegData Parse(const std::string& Text, const std::string& FileName) {
  TRegData Data;
  Data.Keys.push_back({"", {}});
  TRegKey* Current = nullptr;
  std::vector<std::string> Seen;  // key lines met so far
  int LineNo = 0;
  size_t P = 0;
  auto Damaged = [&](const std::string& What) {
    Fail(Format("The settings file %s is damaged (line %d: %s); it was left unchanged", FileName,
                LineNo, What));
  };
  while (P < Text.size()) {
    size_t E = Text.find('\n', P);
    if (E == std::string::npos) E = Text.size();
    const std::string Line = Text.substr(P, E - P);
    P = E + 1;
    ++LineNo;
    if (LineNo == 1) {
      if (Line != Header) Damaged("missing header \"" + std::string(Header) + "\"");
      continue;
    }
    if (Line.empty()) continue;
    if (Line[0] == '[') {
      if (Line.back() != ']') Damaged("key line without ']'");
      const std::string Path = Line.substr(1, Line.size() - 2);  // "" is the root
      std::string Part;
      for (size_t I = 0; !Path.empty() && I <= Path.size(); ++I) {
        if (I == Path.size() || Path[I] == '\\') {
          if (!ValidKeyName(Part)) Damaged("invalid key name");
          Part.clear();
        } else {
          Part += Path[I];
        }
      }
      for (const std::string& S : Seen)
        if (SameText(S, Path)) Damaged("key [" + Path + "] appears twice");
      Seen.push_back(Path);
      Data.Create(Path);
      Current = Data.Find(Path);
      continue;
    }
    if (!Current) Damaged("value outside a key");
    TRegValue V;
    size_t Q = 0;
    if (!Unquote(Line, Q, V.Name)) Damaged("bad value name");
    if (Current->Find(V.Name)) Damaged("value \"" + V.Name + "\" appears twice");
    const std::string Rest = Line.substr(Q);
    if (Rest.rfind("=sz:", 0) == 0) {
      size_t R = 4;
      if (!Unquote(Rest, R, V.Str) || R != Rest.size()) Damaged("bad string value");
      V.Type = rdString;
    } else if (Rest.rfind("=int:", 0) == 0) {
      const std::string Num = Rest.substr(5);
      char* End = nullptr;
      errno = 0;
      const long long N = std::strtoll(Num.c_str(), &End, 10);
      if (Num.empty() || *End || errno || N < INT32_MIN || N > INT32_MAX)
        Damaged("bad integer value");
      V.Type = rdInteger;
      V.Int = static_cast<int32_t>(N);
    } else {
      Damaged("unknown value type");
    }
    Current->Values.push_back(V);
  }
  return Data;
}

std::string Serialize(const TRegData& Data) {
  std::string Out = std::string(Header) + "\n";
  for (const TRegKey& K : Data.Keys) {
    if (K.Path.empty() && K.Values.empty()) continue;
    Out += "[" + K.Path + "]\n";
    for (const TRegValue& V : K.Values) {
      Out += Quote(V.Name);
      Out += V.Type == rdInteger ? "=int:" + IntToStr(V.Int) : "=sz:" + Quote(V.Str);
      Out += "\n";
    }
  }
  return Out;
}

// ------------------------------------------------------------ file access

std::string ErrnoText() { return std::strerror(errno); }

TRegData Load(const std::string& FileName) {
  const int Fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) {
    if (errno == ENOENT) return Parse(Header, FileName);
    Fail(Format("Cannot read the settings file %s: %s", FileName, ErrnoText()));
  }
  std::string Text;
  char Buf[8192];
  for (;;) {
    const ssize_t N = ::read(Fd, Buf, sizeof Buf);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) {
      const std::string Err = ErrnoText();
      ::close(Fd);
      Fail(Format("Cannot read the settings file %s: %s", FileName, Err));
    }
    if (N == 0) break;
    Text.append(Buf, N);
  }
  ::close(Fd);
  if (Text.empty()) return Parse(Header, FileName);
  return Parse(Text, FileName);
}

void MakeDirs(const std::string& Dir) {
  if (Dir.empty()) return;
  struct stat St;
  if (::stat(Dir.c_str(), &St) == 0) return;
  const size_t Slash = Dir.find_last_of('/', Dir.size() - 2);
  if (Slash != std::string::npos && Slash > 0) MakeDirs(Dir.substr(0, Slash));
  if (::mkdir(Dir.c_str(), 0700) != 0 && errno != EEXIST)
    Fail(Format("Cannot create the settings folder %s: %s", Dir, ErrnoText()));
}

void Save(const std::string& FileName, const TRegData& Data) {
  const TAtomicWriteResult R = TryWriteFileAtomically(FileName, Serialize(Data), {0600, true});
  if (!R) Fail(Format("Cannot write the settings file %s: %s", FileName, std::strerror(R.Error)));
}

// Runs Change on the file's current contents under the lock and writes the
// result when Change reports a change. Returns what Change returned.
bool Modify(const std::function<bool(TRegData&)>& Change) {
  const std::string FileName = TRegistry::FileName();
  MakeDirs(ExtractFileDir(FileName));
  const std::string LockName = FileName + ".lock";
  const int Lock = ::open(LockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (Lock < 0) Fail(Format("Cannot lock the settings file %s: %s", FileName, ErrnoText()));
  while (::flock(Lock, LOCK_EX) != 0) {
    if (errno != EINTR) {
      const std::string Err = ErrnoText();
      ::close(Lock);
      Fail(Format("Cannot lock the settings file %s: %s", FileName, Err));
    }
  }
  bool Result = false;
  try {
    TRegData Data = Load(FileName);
    Result = Change(Data);
    if (Result) Save(FileName, Data);
  } catch (...) {
    ::close(Lock);  // closing releases the lock
    throw;
  }
  ::close(Lock);
  return Result;
}

}  // namespace

// --------------------------------------------------------------- TRegistry

std::string TRegistry::FileName() {
  if (const char* Env = std::getenv("VELMORIC_REGISTRY"); Env && *Env) return Env;
  if (const char* Xdg = std::getenv("XDG_CONFIG_HOME"); Xdg && *Xdg)
    return std::string(Xdg) + "/velmoric/registry";
  const char* Home = std::getenv("HOME");
  if (!Home || !*Home) {
    const passwd* Pw = ::getpwuid(::getuid());
    Home = Pw ? Pw->pw_dir : ".";
  }
  return std::string(Home) + "/.config/velmoric/registry";
}

bool TRegistry::Resolve(const std::string& Key, std::string& Path) const {
  if (RootKey != HKEY_CURRENT_USER) return false;
  std::string Full;
  if (!Key.empty() && Key[0] == '\\') Full = Key.substr(1);
  else if (FOpen && !FCurrentPath.empty()) Full = Key.empty() ? FCurrentPath : FCurrentPath + "\\" + Key;
  else Full = Key;
  while (!Full.empty() && Full.back() == '\\') Full.pop_back();
  Path.clear();
  if (Full.empty()) return true;
  std::string Part;
  for (size_t I = 0; I <= Full.size(); ++I) {
    if (I == Full.size() || Full[I] == '\\') {
      if (!ValidKeyName(Part)) return false;
      Path += (Path.empty() ? "" : "\\") + Part;
      Part.clear();
    } else {
      Part += Full[I];
    }
  }
  return true;
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
  std::string Path;
  if (!Resolve(Key, Path)) return false;
  if (CanCreate) Modify([&](TRegData& D) { return D.Create(Path); });
  else if (!Path.empty() && !Load(FileName()).Find(Path)) return false;
  FCurrentPath = Path;
  FOpen = true;
  FReadOnly = false;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key) {
  if (!OpenKey(Key, false)) return false;
  FReadOnly = true;
  return true;
}

void TRegistry::CloseKey() {
  FCurrentPath.clear();
  FOpen = false;
  FReadOnly = false;
}

bool TRegistry::CreateKey(const std::string& Key) {
  std::string Path;
  if (!Resolve(Key, Path)) Fail(Format("Failed to create key %s", Key));
  Modify([&](TRegData& D) { return D.Create(Path); });
  return true;
}

bool TRegistry::DeleteKey(const std::string& Key) {
  std::string Path;
  if (!Resolve(Key, Path) || Path.empty()) return false;
  return Modify([&](TRegData& D) {
    const size_t Before = D.Keys.size();
    std::erase_if(D.Keys, [&](const TRegKey& K) {
      return SameText(K.Path, Path) ||
             (K.Path.size() > Path.size() && K.Path[Path.size()] == '\\' &&
              SameText(K.Path.substr(0, Path.size()), Path));
    });
    return D.Keys.size() != Before;
  });
}

bool TRegistry::KeyExists(const std::string& Key) {
  std::string Path;
  if (!Resolve(Key, Path)) return false;
  return Path.empty() || Load(FileName()).Find(Path) != nullptr;
}

bool TRegistry::ValueExists(const std::string& Name) { return GetDataType(Name) != rdUnknown; }

TRegDataType TRegistry::GetDataType(const std::string& Name) {
  if (!FOpen) return rdUnknown;
  TRegData D = Load(FileName());
  TRegKey* K = D.Find(FCurrentPath);
  const TRegValue* V = K ? K->Find(Name) : nullptr;
  return V ? V->Type : rdUnknown;
}

std::string TRegistry::ReadString(const std::string& Name) {
  if (!FOpen) return {};
  TRegData D = Load(FileName());
  TRegKey* K = D.Find(FCurrentPath);
  const TRegValue* V = K ? K->Find(Name) : nullptr;
  if (!V) return {};
  if (V->Type != rdString) Fail(Format("Invalid data type for '%s'", Name));
  return V->Str;
}

int TRegistry::ReadInteger(const std::string& Name) {
  if (!FOpen) Fail(Format("Failed to get data for '%s'", Name));
  TRegData D = Load(FileName());
  TRegKey* K = D.Find(FCurrentPath);
  const TRegValue* V = K ? K->Find(Name) : nullptr;
  if (!V) Fail(Format("Failed to get data for '%s'", Name));
  if (V->Type != rdInteger) Fail(Format("Invalid data type for '%s'", Name));
  return V->Int;
}

namespace {

void WriteValue(bool Open, bool ReadOnly, const std::string& Path, const TRegValue& Value) {
  if (!Open || ReadOnly) Fail(Format("Failed to set data for '%s'", Value.Name));
  const bool Done = Modify([&](TRegData& D) {
    TRegKey* K = Path.empty() ? &D.Keys[0] : D.Find(Path);
    if (!K) return false;  // the key was deleted meanwhile
    if (TRegValue* V = K->Find(Value.Name)) {
      V->Type = Value.Type;
      V->Str = Value.Str;
      V->Int = Value.Int;
    } else {
      K->Values.push_back(Value);
    }
    return true;
  });
  if (!Done) Fail(Format("Failed to set data for '%s'", Value.Name));
}

}  // namespace

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
  TRegValue V;
  V.Name = Name;
  V.Type = rdString;
  V.Str = Value;
  WriteValue(FOpen, FReadOnly, FCurrentPath, V);
}

void TRegistry::WriteInteger(const std::string& Name, int Value) {
  TRegValue V;
  V.Name = Name;
  V.Type = rdInteger;
  V.Int = Value;
  WriteValue(FOpen, FReadOnly, FCurrentPath, V);
}

bool TRegistry::DeleteValue(const std::string& Name) {
  if (!FOpen || FReadOnly) return false;
  return Modify([&](TRegData& D) {
    TRegKey* K = FCurrentPath.empty() ? &D.Keys[0] : D.Find(FCurrentPath);
    if (!K) return false;
    return std::erase_if(K->Values, [&](const TRegValue& V) { return SameText(V.Name, Name); }) > 0;
  });
}

void TRegistry::GetValueNames(TStrings& Strings) {
  Strings.Clear();
  if (!FOpen) return;
  TRegData D = Load(FileName());
  if (TRegKey* K = D.Find(FCurrentPath))
    for (const TRegValue& V : K->Values) Strings.Add(V.Name);
}

void TRegistry::GetKeyNames(TStrings& Strings) {
  Strings.Clear();
  const std::string Prefix = FCurrentPath.empty() ? "" : FCurrentPath + "\\";
  for (const TRegKey& K : Load(FileName()).Keys) {
    if (K.Path.empty() || K.Path.size() <= Prefix.size()) continue;
    if (!SameText(K.Path.substr(0, Prefix.size()), Prefix)) continue;
    const std::string Rest = K.Path.substr(Prefix.size());
    if (Rest.find('\\') == std::string::npos) Strings.Add(Rest);
  }
}

bool TRegistry::HasSubKeys() {
  TStringList Names;
  GetKeyNames(Names);
  return Names.Count() > 0;
}
