// Form files as any file may hold them: the conversion either refuses the
// data with a stream error or gives text; text comes back unchanged, binary
// data as text that is itself a form file; the analyzer reads that text into
// components of the one form without failing.
#include "FuzzSupport.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/FormFiles.h"
#include "platform/vcl/VclHost.h"
#include "tools/VelmoricTableAnalyzer.h"

void FuzzFormFile(const uint8_t* Data, size_t Size) {
  const std::string Input(AsText(Data, Size));
  TStringStream In(Input), Out;
  const TStreamOriginalFormat Format = TestStreamFormat(In);
  try {
    FormStreamToText(In, Out);
  } catch (const EStreamError&) {
    return;
  }
  const std::string& Text = Out.DataString();
  FUZZ_CHECK(Format != sofUnknown, "data of no known kind was converted");
  if (Format == sofText) FUZZ_CHECK(Text == Input, "text changed by the conversion");
  TStringStream Again(Text);
  FUZZ_CHECK(TestStreamFormat(Again) == sofText, "converted data is no text form file");

  int Boxes = 0;
  VclHost().MessageBox = [&](const TMessageBoxRequest&) {
    ++Boxes;
    return 1;
  };
  TVelmoricDFMProject Project;
  auto* Form = new TVelmoricDFM(&Project);
  Project.Forms.AddObject("fuzz", Form);
  try {
    Form->ReadFromText("fuzz.dfm", Text);
  } catch (const Exception& E) {
    VclHost().MessageBox = nullptr;
    FuzzFail(__FILE__, __LINE__, "reading raised " + E.Message());
  }
  VclHost().MessageBox = nullptr;
  FUZZ_CHECK(Boxes <= 1, "more than one error reported for one file");
  FUZZ_CHECK(Form->Token == nullptr && Form->Lines == nullptr, "reading state kept");
  for (int I = 0; I < Form->Controls.Count(); ++I) {
    TVelmoricControl* C = Form->Control(I);
    FUZZ_CHECK(C->Form == Form, "a component of another form");
    FUZZ_CHECK(Form->Controls[I] == LowerCase(C->Name), "a component under another name");
    for (const TVelmoricControl* P = C->Parent; P; P = P->Parent) FUZZ_CHECK(P->Form == Form, "a foreign parent");
  }
  Project.FindConnections();
  for (const TVelmoricLink& L : CollectLinks(Project)) {
    FUZZ_CHECK(L.Property->Link == L.Target, "a link not set on its property");
    LinkText(L);
  }
}
