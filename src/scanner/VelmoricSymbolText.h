// TSymText: a text field of a symbol record. Most records leave most texts
// empty and many texts are short, so a text is one word: zero when empty, the
// text itself when it has up to six characters, else a pointer to one block of
// its size: its length, its bytes and a terminating zero. A text that +=
// lengthens gets room to grow (doubling), so that joining a text token by token
// stays linear. It reads as a std::string_view or (a copy) as a std::string;
// changes go through assignment, += and clear. A tree loaded at once may place
// its texts in a TSymTextArena instead: such a text owns no block, and reads
// only while the arena lives (Own gives it a block of its own).
// Part of the unit VelmoricPascalScanner (include that header).
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Room for the texts of one loaded tree, handed out from chunks and freed
// together with the arena. The first chunk has the size the loader expects;
// later ones an eighth of all before, so that little stays unused.
class TSymTextArena {
 public:
  explicit TSymTextArena(size_t Expected = 0) : FFirst(Expected) {}

  // Size bytes aligned to four, valid while the arena lives.
  char* Take(size_t Size) {
    const size_t Need = (Size + 3) & ~size_t(3);
    if (Need > FLeft) {
      const size_t Chunk = std::max({Need, FChunks.empty() ? FFirst : FBytes / 8, MinChunk});
      FChunks.emplace_back(new char[Chunk]);
      FNext = FChunks.back().get();
      FLeft = Chunk;
      FBytes += Chunk;
    }
    char* P = FNext;
    FNext += Need;
    FLeft -= Need;
    return P;
  }
  // The bytes of every chunk, and how many of them are handed out.
  size_t Bytes() const noexcept { return FBytes; }
  size_t Used() const noexcept { return FBytes - FLeft; }

 private:
  static constexpr size_t MinChunk = 1024;
  std::vector<std::unique_ptr<char[]>> FChunks;
  size_t FFirst;
  char* FNext = nullptr;
  size_t FLeft = 0;
  size_t FBytes = 0;
};

class TSymText {
  static_assert(std::endian::native == std::endian::little,
                "a short text's first byte is the low byte of the word");

 public:
  // The longest text kept in the word itself (after its length byte, before its zero).
  static constexpr size_t InlineCapacity = 6;
  static_assert(sizeof(uintptr_t) >= InlineCapacity + 2, "a short text fills one word");

  TSymText() noexcept = default;
  explicit TSymText(std::string_view S) { Set(S); }
  TSymText(const TSymText& Other) { Set(Other.view()); }
  TSymText(TSymText&& Other) noexcept : FWord(std::exchange(Other.FWord, 0)) {}
  ~TSymText() { delete[] OwnBlock(); }

  TSymText& operator=(const TSymText& Other) {
    if (this != &Other) Set(Other.view());
    return *this;
  }
  TSymText& operator=(TSymText&& Other) noexcept {
    std::swap(FWord, Other.FWord);
    return *this;
  }
  TSymText& operator=(std::string_view S) {
    Set(S);
    return *this;
  }
  TSymText& operator=(const std::string& S) { return *this = std::string_view(S); }
  TSymText& operator=(const char* S) { return *this = std::string_view(S); }

  operator std::string_view() const noexcept { return view(); }
  operator std::string() const { return str(); }
  std::string str() const { return std::string(view()); }
  std::string_view view() const noexcept {
    if (IsInline()) return std::string_view(InlineChars(), (FWord & 0xFF) >> 1);
    if (FWord) return std::string_view(Block() + sizeof(uint32_t), Length());
    return std::string_view();
  }

  bool empty() const noexcept { return FWord == 0; }
  size_t size() const noexcept { return view().size(); }
  size_t length() const noexcept { return size(); }
  const char* c_str() const noexcept {
    if (IsInline()) return InlineChars();
    return FWord ? Block() + sizeof(uint32_t) : "";
  }
  const char* data() const noexcept { return c_str(); }
  char operator[](size_t I) const noexcept { return c_str()[I]; }
  char front() const noexcept { return view().front(); }
  char back() const noexcept { return view().back(); }
  const char* begin() const noexcept { return c_str(); }
  const char* end() const noexcept { return c_str() + size(); }
  std::string substr(size_t Pos = 0, size_t Count = std::string::npos) const {
    return std::string(view().substr(Pos, Count));
  }
  template <class... A>
  size_t find(A&&... Args) const {
    return view().find(std::forward<A>(Args)...);
  }
  template <class... A>
  size_t rfind(A&&... Args) const {
    return view().rfind(std::forward<A>(Args)...);
  }
  // The heap block holding the text; nil for an empty, a short or an arena's text.
  const void* HeapBlock() const noexcept { return OwnBlock(); }
  bool InArena() const noexcept { return (FWord & 3) == Lent; }

  // S, in the word when short, else in Arena.
  void Place(std::string_view S, TSymTextArena& Arena) {
    if (S.size() <= InlineCapacity) {
      Set(S);
      return;
    }
    if (S.size() >= Grown) throw std::length_error("symbol text too long");
    char* B = Arena.Take(sizeof(uint32_t) + S.size() + 1);
    const auto N = static_cast<uint32_t>(S.size());
    std::memcpy(B, &N, sizeof N);
    std::memcpy(B + sizeof N, S.data(), S.size());
    B[sizeof N + S.size()] = '\0';
    delete[] OwnBlock();
    FWord = reinterpret_cast<uintptr_t>(B) | Lent;
  }
  // An arena's text becomes a copy in a block of its own.
  void Own() {
    if (InArena()) Replace(view(), {}, false);
  }

  void clear() noexcept {
    delete[] OwnBlock();
    FWord = 0;
  }
  TSymText& operator+=(std::string_view S) {
    if (S.empty()) return *this;
    char* B = Block();
    const size_t N = size();
    if (B && (Header() & Grown) && N + S.size() + 1 <= std::bit_ceil(N + 1)) {
      char* To = B + sizeof(uint32_t);
      std::memmove(To + N, S.data(), S.size());
      To[N + S.size()] = '\0';
      SetHeader(static_cast<uint32_t>(N + S.size()) | Grown);
    } else {
      Replace(view(), S, true);
    }
    return *this;
  }
  TSymText& operator+=(char C) { return *this += std::string_view(&C, 1); }
  void push_back(char C) { *this += C; }

  friend bool operator==(const TSymText& A, const TSymText& B) noexcept { return A.view() == B.view(); }
  friend bool operator==(const TSymText& A, std::string_view B) noexcept { return A.view() == B; }
  friend std::string operator+(const TSymText& A, std::string_view B) { return Join(A.view(), B); }
  friend std::string operator+(std::string_view A, const TSymText& B) { return Join(A, B.view()); }
  friend std::string operator+(const TSymText& A, const TSymText& B) { return Join(A.view(), B.view()); }
  friend std::string operator+(const TSymText& A, char B) { return Join(A.view(), std::string_view(&B, 1)); }
  friend std::string operator+(char A, const TSymText& B) { return Join(std::string_view(&A, 1), B.view()); }
  friend std::ostream& operator<<(std::ostream& Out, const TSymText& T) { return Out << T.view(); }

 private:
  // The word of a short text: its low byte is the length times two plus
  // one (a block's address is even), the next bytes the text and a zero.
  bool IsInline() const noexcept { return FWord & 1; }
  const char* InlineChars() const noexcept { return reinterpret_cast<const char*>(&FWord) + 1; }
  // An arena's block (four-aligned) is marked in the word's second bit; a
  // block of its own, from new[], has that bit clear.
  static constexpr uintptr_t Lent = 2;
  char* Block() const noexcept {
    return IsInline() ? nullptr : reinterpret_cast<char*>(FWord & ~Lent);
  }
  char* OwnBlock() const noexcept {
    return (FWord & 3) == 0 ? reinterpret_cast<char*>(FWord) : nullptr;
  }

  // The header's high bit marks a block with room to grow: bit_ceil(length + 1) bytes of text.
  static constexpr uint32_t Grown = 0x80000000u;
  uint32_t Header() const noexcept {
    uint32_t N;
    std::memcpy(&N, Block(), sizeof N);
    return N;
  }
  void SetHeader(uint32_t N) noexcept { std::memcpy(Block(), &N, sizeof N); }
  uint32_t Length() const noexcept { return Header() & ~Grown; }
  static std::string Join(std::string_view A, std::string_view B) {
    std::string R;
    R.reserve(A.size() + B.size());
    R.append(A).append(B);
    return R;
  }
  void Set(std::string_view S) {
    if (S.empty())
      clear();
    else
      Replace(S, {}, false);
  }
  // The text A then B (either may lie in this text), short ones in the word,
  // longer ones in a new block.
  void Replace(std::string_view A, std::string_view B, bool Grow) {
    const size_t Size = A.size() + B.size();
    if (Size >= Grown) throw std::length_error("symbol text too long");
    const auto N = static_cast<uint32_t>(Size);
    if (Size <= InlineCapacity) {
      char Word[sizeof(uintptr_t)] = {};
      Word[0] = static_cast<char>(N * 2 + 1);
      if (!A.empty()) std::memcpy(Word + 1, A.data(), A.size());
      if (!B.empty()) std::memcpy(Word + 1 + A.size(), B.data(), B.size());
      delete[] OwnBlock();
      std::memcpy(&FWord, Word, sizeof Word);
      return;
    }
    char* NewBlock = new char[sizeof(uint32_t) + (Grow ? std::bit_ceil(Size + 1) : Size + 1)];
    const uint32_t H = N | (Grow ? Grown : 0);
    std::memcpy(NewBlock, &H, sizeof H);
    char* To = NewBlock + sizeof(uint32_t);
    if (!A.empty()) std::memcpy(To, A.data(), A.size());
    if (!B.empty()) std::memcpy(To + A.size(), B.data(), B.size());
    To[N] = '\0';
    delete[] OwnBlock();
    FWord = reinterpret_cast<uintptr_t>(NewBlock);
  }

  // Zero when empty, a short text, or the address of the block: length
  // (4 bytes), the text, a zero.
  uintptr_t FWord = 0;
};

// JSON libraries that look for to_json by argument-dependent lookup write
// the text as a string.
template <class TJson>
void to_json(TJson& J, const TSymText& T) {
  J = T.str();
}
