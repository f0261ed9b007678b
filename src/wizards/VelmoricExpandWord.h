// Word expansion: completes the partial word at the cursor of the active
// editor with a word of the same unit. One candidate replaces it at once;
// several are shown, the most frequent first, to be picked by Enter or a
// double click.
#pragma once

#include <string>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"
#include "platform/rtl/Classes.h"

class TVelmoricWizard;
class TEditorStrings;
class TIEditView;
class TToken;

class TFormVelmoricExpandWord : public TForm {
 public:
  explicit TFormVelmoricExpandWord(TComponent* AOwner);
  ~TFormVelmoricExpandWord() override;
  std::string ClassName() const override { return "TFormVelmoricExpandWord"; }

  // Builds the candidates of the word at the cursor; true when it has
  // inserted the only one already.
  bool CreateWord();
  // Replaces the partial word by the candidate of the selected row and
  // closes the form with OK; without candidates it only closes the form.
  void InsertWord();

  void DrawGrid1KeyPress(TObject* Sender, char& Key);
  void DrawGrid1DblClick(TObject* Sender);
  void StringGrid1DrawCell(TObject* Sender, int ACol, int ARow, const TRect& Rect,
                           TGridDrawState State);
  void FormResize(TObject* Sender);
  void FormDestroy(TObject* Sender);

  TDrawGrid* DrawGrid1;

  TVelmoricWizard* Expert = nullptr;  // not owned; its editor and lines are used
  TIEditView* EditView = nullptr;
  TToken* Token = nullptr;
  int CursorLine = 0;   // 1-based
  int CharIndex = 0;    // 0-based
  int WordStart = 0;    // 1-based positions of the partial word in the cursor line
  int WordEnd = 0;
  std::string Partial;  // lower case
  TStringList* Results = nullptr;  // "%4d %s", sorted; owned
};

// The form while the expert's expand-word command runs, else nil.
extern TFormVelmoricExpandWord* FormVelmoricExpandWord;
