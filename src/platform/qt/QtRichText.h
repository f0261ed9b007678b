// The rich edit's document on Qt: a QTextDocument made from it, positions
// between the two (a paragraph break is two characters in the library, one
// in Qt), and printing through the system's print dialog.
#pragma once

#include <string>

class QTextDocument;
class QWidget;
class TRichTextDocument;

// Replaces the contents of Doc by the paragraphs and runs of Rich.
void FillTextDocument(QTextDocument& Doc, const TRichTextDocument& Rich);
// The library's position of a position in a document FillTextDocument made.
int RichPosition(const QTextDocument& Doc, int Position);
// Qt's position of a library position in such a document.
int QtPosition(const QTextDocument& Doc, int RichPos);

// Prints a rich text document under Title after the user confirmed the
// system's print dialog: the host's printing of rich edits on Qt. False
// when cancelled.
bool PrintRichTextWithDialog(const std::string& Title, const TRichTextDocument& Rich, QWidget* Parent = nullptr);
