// The bodies of the fuzz targets. Each takes one input, runs it through the
// code it fuzzes and checks properties of the result; a property that does
// not hold raises TFuzzFailure. The libFuzzer programs (FuzzMain.cpp) and the
// regression replay of the test suite (tests/fuzz) call the same functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A broken property. Not derived from std::exception, so that no handler of
// the code under test swallows it.
struct TFuzzFailure {
  std::string What;
};

// Token scanner (TToken) over the input as lines.
void FuzzScanner(const uint8_t* Data, size_t Size);
// Parser (TPascalSource): the first byte selects the compiler options and the
// cursor queries, the rest is the unit's text.
void FuzzParser(const uint8_t* Data, size_t Size);
// Kept parse: the first byte selects an edit (a piece of text and how much it
// replaces), the next two where it goes; the rest is the text before it.
void FuzzKeptParse(const uint8_t* Data, size_t Size);
// Symbol store loader: the input is a ".pax" image.
void FuzzSymbolStore(const uint8_t* Data, size_t Size);
// Tracelet: the first byte selects how the rest, a byte stream of frames, is
// cut and repeated; every frame goes to the log window's receiver and model.
void FuzzTracelet(const uint8_t* Data, size_t Size);
// File repository: the input is a "filerep.dat".
void FuzzFileRepository(const uint8_t* Data, size_t Size);
// Registry: the input is a settings file.
void FuzzRegistry(const uint8_t* Data, size_t Size);
// Editor buffer adapter: the first byte gives the number of control bytes
// that follow (positions and edits), the rest is the buffer's text.
void FuzzEditorStrings(const uint8_t* Data, size_t Size);
// Language server message reader: the first byte gives the size of the reads,
// the rest is the byte stream from the client.
void FuzzLspReader(const uint8_t* Data, size_t Size);
// Rich text: the input is RTF (or text) for the rich edit's document.
void FuzzRichText(const uint8_t* Data, size_t Size);
// Form files: the input is a ".dfm" or ".lfm", binary or text.
void FuzzFormFile(const uint8_t* Data, size_t Size);

struct TFuzzTarget {
  const char* Name;  // the program is fuzz_<Name>, its regressions fuzz/regressions/<Name>/
  void (*Run)(const uint8_t* Data, size_t Size);
};

inline constexpr TFuzzTarget FuzzTargets[] = {
    {"scanner", FuzzScanner},
    {"parser", FuzzParser},
    {"keptparse", FuzzKeptParse},
    {"symbolstore", FuzzSymbolStore},
    {"tracelet", FuzzTracelet},
    {"filerepository", FuzzFileRepository},
    {"registry", FuzzRegistry},
    {"editorstrings", FuzzEditorStrings},
    {"lspreader", FuzzLspReader},
    {"richtext", FuzzRichText},
    {"formfile", FuzzFormFile},
};
