// A kept parse taken after an edit: whenever a source takes the model kept
// from the text before the edit, that model is the one a parse of the edited
// text gives, field for field.
#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "../tests/parser/ModelImage.h"
#include "FuzzSupport.h"
#include "scanner/VelmoricKeptParse.h"

namespace {

const TCompilerOptionsSet Options{oCompileImplementation};

std::unique_ptr<TPascalSource> SourceOver(std::string_view Text) {
  auto* Lines = new TSaveStringList("strings", "TPascalSource");
  Lines->SetText(std::string(Text));
  auto Source = std::make_unique<TPascalSource>(new TToken(Lines));
  Source->FileName = "Fuzz.pas";
  return Source;
}

}  // namespace

void FuzzKeptParse(const uint8_t* Data, size_t Size) {
  if (Size < 3) return;
  DisplayCompilerProcess = false;
  const uint8_t How = Data[0];
  const std::string Text(AsText(Data + 3, Size - 3));
  static const char* const Pieces[] = {" ", "  ", "\t", "", "x", "\n", "{", "}", "'", "(*", "//", "\r"};
  const size_t Pos = (Data[1] | Data[2] << 8) % (Text.size() + 1);
  const size_t Count = std::min<size_t>((How >> 4) % 3, Text.size() - Pos);
  std::string Edited = Text;
  Edited.replace(Pos, Count, Pieces[How % std::size(Pieces)]);

  auto Before = SourceOver(Text);
  try {
    Before->CreateSymbolsKept(Options, Text);
  } catch (const Exception&) {
    return;  // the parser's own target looks at that
  }
  FUZZ_CHECK(Before->KeptParse != nullptr, "a finished parse kept nothing");
  // The same text takes the copy, which is the parse's model.
  auto Same = SourceOver(Text);
  FUZZ_CHECK(Same->TakeKeptParse(std::move(Before->KeptParse), Text, Options), "the same text parsed again");
  FUZZ_CHECK(model_image::Model(*Same) == model_image::Model(*Before), "the kept model differs from the parse");
  auto After = SourceOver(Edited);
  if (!After->TakeKeptParse(std::move(Same->KeptParse), Edited, Options)) return;
  auto Parsed = SourceOver(Edited);
  try {
    Parsed->CreateSymbols(Options);
  } catch (const Exception& E) {
    FuzzFail(__FILE__, __LINE__, "a kept parse was taken for a text whose parse raises: " + E.Message());
  }
  FUZZ_CHECK(model_image::Model(*After) == model_image::Model(*Parsed),
             "the taken model differs from the parsed one");
}
