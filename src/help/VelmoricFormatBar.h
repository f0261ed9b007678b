// The rich-text formatting bar of the help window and the manual editor:
// bold, italic, underline, font, size, colour, alignment and bullets for the
// selection of one rich edit, and the colour window the colour button asks.
#pragma once

#include <string>

#include "platform/vcl/Controls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/RichEdit.h"
#include "platform/vcl/StdCtrls.h"

class TVelmoricFormatBar {
 public:
  // Builds the bar's controls on Panel, owned by Owner, for Edit's selection.
  TVelmoricFormatBar(TComponent* Owner, TPanel* Panel, TRichEdit* Edit, const std::string& DefaultFont = "Arial",
                     int DefaultSize = 12);

  // Shows the selection's attributes on the buttons and boxes.
  void SelectionChanged();
  // Toggles bold, italic or underline (by the button) on the selection.
  void ApplyStyle(TObject* Sender);
  // Asks for a colour and gives it to the selection.
  void ColorClick();

  TPanel* Panel;
  TSpeedButton* SpeedButtonBold;
  TSpeedButton* SpeedButtonItalic;
  TSpeedButton* SpeedButtonUnderline;
  TSpeedButton* SpeedButtonLeft;
  TSpeedButton* SpeedButtonCenter;
  TSpeedButton* SpeedButtonRight;
  TSpeedButton* SpeedButtonBullet;
  TSpeedButton* SpeedButtonColor;
  TComboBox* ComboBoxFont;
  TComboBox* ComboBoxSize;
  // The font of the selection as the bar last showed it.
  TFont Font;

 private:
  TRichEdit* FEdit;
  bool FUpdating = false;
};

// The colour window: a named colour or a "$BBGGRR" value.
class TFormVelmoricColor : public TForm {
 public:
  explicit TFormVelmoricColor(TComponent* AOwner);
  std::string ClassName() const override { return "TFormVelmoricColor"; }
  // Shows the window modally, starting at Value; true with the chosen colour.
  bool Execute(TColor& Value);

  TComboBox* ComboBoxColor;
  TButton* ButtonOK;
  TButton* ButtonCancel;
};

// "Red", "Navy" ... for the named colours, "$00BBGGRR" for the others;
// and back (names, "$hex" or decimal); false for a text that is no colour.
std::string VelmoricColorToString(TColor Color);
bool VelmoricStringToColor(const std::string& Text, TColor& Color);
