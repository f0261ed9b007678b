#include "platform/qt/QtRenderer.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextEdit>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <qdrawutil.h>

#include <algorithm>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/RichEdit.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/qt/QtRichText.h"

namespace {

// Strings are bytes in the IDE's 8-bit character set.
QString Q(const std::string& S) { return QString::fromLatin1(S.data(), static_cast<qsizetype>(S.size())); }
std::string S(const QString& Text) { return Text.toLatin1().toStdString(); }

QColor ToColor(TColor Color, const QPalette& Palette) {
  switch (Color) {
    case clBtnFace: return Palette.color(QPalette::Button);
    case clWindow: return Palette.color(QPalette::Base);
    case clWindowText: return Palette.color(QPalette::Text);
    case clHighlight: return Palette.color(QPalette::Highlight);
    case clHighlightText: return Palette.color(QPalette::HighlightedText);
    default: break;
  }
  return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
}

QFont ToFont(const TFont& Font, QFont Base) {
  if (Font.Height != 0) Base.setPixelSize(Font.Height < 0 ? -Font.Height : Font.Height);
  Base.setBold(Font.Bold);
  return Base;
}

TShiftState ToShift(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons = Qt::NoButton) {
  TShiftState Shift = 0;
  if (Modifiers & Qt::ShiftModifier) Shift |= ssShift;
  if (Modifiers & Qt::AltModifier) Shift |= ssAlt;
  if (Modifiers & Qt::ControlModifier) Shift |= ssCtrl;
  if (Buttons & Qt::LeftButton) Shift |= ssLeft;
  if (Buttons & Qt::RightButton) Shift |= ssRight;
  if (Buttons & Qt::MiddleButton) Shift |= ssMiddle;
  return Shift;
}

TMouseButton ToButton(Qt::MouseButton Button) {
  if (Button == Qt::RightButton) return mbRight;
  if (Button == Qt::MiddleButton) return mbMiddle;
  return mbLeft;
}

// The virtual key of a Qt key; 0 for keys the library has no code for.
uint16_t ToVirtualKey(int Key) {
  if (Key >= Qt::Key_A && Key <= Qt::Key_Z) return static_cast<uint16_t>('A' + (Key - Qt::Key_A));
  if (Key >= Qt::Key_0 && Key <= Qt::Key_9) return static_cast<uint16_t>('0' + (Key - Qt::Key_0));
  if (Key >= Qt::Key_F1 && Key <= Qt::Key_F24) return static_cast<uint16_t>(112 + (Key - Qt::Key_F1));
  switch (Key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
  }
}

// A top-level window of a form: the user's resizing, moving and closing
// are handed to the form.
class TFormWindow : public QWidget {
 public:
  std::function<void()> OnGeometry;
  std::function<bool()> OnClose;  // true when the window may close now

 protected:
  void resizeEvent(QResizeEvent* Event) override {
    QWidget::resizeEvent(Event);
    if (OnGeometry) OnGeometry();
  }
  void moveEvent(QMoveEvent* Event) override {
    QWidget::moveEvent(Event);
    if (OnGeometry) OnGeometry();
  }
  void closeEvent(QCloseEvent* Event) override {
    if (OnClose && !OnClose()) Event->ignore();
    else Event->accept();
  }
};

// A widget painted by a function (grids, status bars, panels).
class TPaintWidget : public QWidget {
 public:
  std::function<void(QPainter&)> OnPaint;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter Painter(this);
    if (OnPaint) OnPaint(Painter);
  }
};

class TComboWidget : public QComboBox {
 public:
  std::function<void()> OnDropDown;
  void showPopup() override {
    if (OnDropDown) OnDropDown();
    QComboBox::showPopup();
  }
};

int TabBarHeight(QWidget* Widget) {
  auto* Bar = Widget->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
  return Bar ? Bar->sizeHint().height() : 0;
}

// Draws what a headless canvas recorded.
void PlayCanvas(QPainter& Painter, const TCanvas& Canvas, const QPalette& Palette, const QFont& Base) {
  for (const TCanvasOp& Op : Canvas.Ops()) {
    const QRect R(Op.Rect.Left, Op.Rect.Top, Op.Rect.Width(), Op.Rect.Height());
    if (Op.Kind == coFillRect) {
      Painter.fillRect(R, ToColor(Op.BrushColor, Palette));
      continue;
    }
    const QFont Font = ToFont(Op.Font, Base);
    Painter.save();
    if (Op.Kind == coTextRect) {
      Painter.fillRect(R, ToColor(Op.BrushColor, Palette));
      Painter.setClipRect(R);
    }
    Painter.setFont(Font);
    Painter.setPen(ToColor(Op.Font.Color, Palette));
    Painter.drawText(Op.X, Op.Y + QFontMetrics(Font).ascent(), Q(Op.Text));
    Painter.restore();
  }
}

void PaintGrid(QPainter& Painter, TDrawGrid& Grid, QWidget& Widget) {
  const QPalette& Palette = Widget.palette();
  Painter.fillRect(Widget.rect(), Palette.color(QPalette::Base));
  for (int R = 0; R < Grid.RowCount(); ++R)
    for (int C = 0; C < Grid.ColCount(); ++C) {
      if (C >= Grid.FixedCols() && R >= Grid.FixedRows()) continue;
      const TRect Cell = Grid.CellRect(C, R);
      Painter.fillRect(QRect(Cell.Left, Cell.Top, Cell.Width(), Cell.Height()),
                       Palette.color(QPalette::Button));
    }
  Grid.Paint();
  PlayCanvas(Painter, *Grid.Canvas(), Palette, Widget.font());
  Painter.setPen(Palette.color(QPalette::Mid));
  for (int R = 0; R < Grid.RowCount(); ++R)
    for (int C = 0; C < Grid.ColCount(); ++C) {
      const bool Fixed = C < Grid.FixedCols() || R < Grid.FixedRows();
      const TRect Cell = Grid.CellRect(C, R);
      if (Grid.Options & (Fixed ? goFixedVertLine : goVertLine))
        Painter.drawLine(Cell.Right, Cell.Top, Cell.Right, Cell.Bottom);
      if (Grid.Options & (Fixed ? goFixedHorzLine : goHorzLine))
        Painter.drawLine(Cell.Left, Cell.Bottom, Cell.Right, Cell.Bottom);
    }
}

void PaintStatusBar(QPainter& Painter, TStatusBar& Bar, QWidget& Widget) {
  const QPalette& Palette = Widget.palette();
  Painter.fillRect(Widget.rect(), Palette.color(QPalette::Button));
  Painter.setPen(Palette.color(QPalette::ButtonText));
  if (Bar.SimplePanel || Bar.PanelCount() == 0) {
    Painter.drawText(Widget.rect().adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     Q(Bar.SimpleText));
    return;
  }
  int X = 0;
  for (int I = 0; I < Bar.PanelCount(); ++I) {
    const bool Last = I == Bar.PanelCount() - 1;
    const QRect R(X, 2, Last ? Widget.width() - X : Bar.Panels(I).Width, Widget.height() - 2);
    qDrawShadePanel(&Painter, R.adjusted(0, 0, -2, 0), Palette, true);
    Painter.drawText(R.adjusted(3, 0, -3, 0), Qt::AlignVCenter | Qt::AlignLeft, Q(Bar.Panels(I).Text));
    X += Bar.Panels(I).Width;
  }
}

void PaintPanel(QPainter& Painter, TPanel& Panel, QWidget& Widget) {
  const QPalette& Palette = Widget.palette();
  Painter.fillRect(Widget.rect(), Palette.color(QPalette::Button));
  qDrawShadePanel(&Painter, Widget.rect(), Palette, false);
  Painter.setPen(Palette.color(QPalette::ButtonText));
  Painter.drawText(Widget.rect(), Qt::AlignCenter, Q(StripHotkey(Panel.Caption)));
}

// Every node of the tree, depth first, with what shows of it.
void TreeSignature(const TTreeNode* Node, std::string& Out) {
  for (; Node; Node = Node->GetNextSibling()) {
    Out += std::to_string(reinterpret_cast<uintptr_t>(Node)) + ':' + Node->Text +
           (Node->Expanded() ? "+" : "-") + (Node->HasChildren() ? "c" : "") + '\n';
    TreeSignature(Node->GetFirstChild(), Out);
    Out += ")\n";
  }
}

bool NodeInTree(const TTreeView& Tree, const TTreeNode* Node) {
  for (int I = 0; I < Tree.Items()->Count(); ++I)
    if (Tree.Items()->Item(I) == Node) return true;
  return false;
}

void AddTreeItems(QTreeWidget* Widget, QTreeWidgetItem* Parent, TTreeNode* Node) {
  for (; Node; Node = Node->GetNextSibling()) {
    auto* Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(Widget);
    Item->setText(0, Q(Node->Text));
    Item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(Node)));
    if (Node->HasChildren() && Node->Count() == 0)
      Item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    AddTreeItems(Widget, Item, Node->GetFirstChild());
    Item->setExpanded(Node->Expanded());
  }
}

QTreeWidgetItem* FindTreeItem(QTreeWidgetItem* Item, const TTreeNode* Node) {
  if (Item->data(0, Qt::UserRole).value<quintptr>() == reinterpret_cast<quintptr>(Node)) return Item;
  for (int I = 0; I < Item->childCount(); ++I)
    if (QTreeWidgetItem* Found = FindTreeItem(Item->child(I), Node)) return Found;
  return nullptr;
}

TTreeNode* NodeOf(TTreeView& Tree, QTreeWidgetItem* Item) {
  if (!Item) return nullptr;
  auto* Node = reinterpret_cast<TTreeNode*>(Item->data(0, Qt::UserRole).value<quintptr>());
  return NodeInTree(Tree, Node) ? Node : nullptr;
}

// The picture of a glyph named by resource; null for names without one.
QIcon GlyphIcon(const std::string& Glyph) {
  static const struct {
    const char* Name;
    QStyle::StandardPixmap Pixmap;
  } Glyphs[] = {
      {"ARROWUP", QStyle::SP_ArrowUp},         {"ARROWDOWN", QStyle::SP_ArrowDown},
      {"ARROWLEFT", QStyle::SP_ArrowLeft},     {"ARROWRIGHT", QStyle::SP_ArrowRight},
      {"OK", QStyle::SP_DialogOkButton},       {"CANCEL", QStyle::SP_DialogCancelButton},
      {"HELP", QStyle::SP_DialogHelpButton},   {"YES", QStyle::SP_DialogYesButton},
      {"NO", QStyle::SP_DialogNoButton},       {"CLOSE", QStyle::SP_DialogCloseButton},
      {"OPEN", QStyle::SP_DialogOpenButton},   {"SAVE", QStyle::SP_DialogSaveButton},
      {"DELETE", QStyle::SP_TrashIcon},        {"REFRESH", QStyle::SP_BrowserReload},
  };
  for (const auto& G : Glyphs)
    if (SameText(Glyph, G.Name)) return QApplication::style()->standardIcon(G.Pixmap);
  return {};
}

// The library's text of what a text widget shows: paragraph breaks as CR LF.
std::string RichWidgetText(const QTextEdit& Widget) {
  std::string Text;
  for (const char C : S(Widget.toPlainText())) {
    if (C == '\n') Text += '\r';
    Text += C;
  }
  return Text;
}

// Types into the rich edit what the user changed in its widget: the part
// between the unchanged start and end replaces the control's selection.
void TypeRichText(TRichEdit& Edit, const QTextEdit& Widget) {
  const std::string New = RichWidgetText(Widget), Old = Edit.Text();
  size_t Head = 0;
  while (Head < Old.size() && Head < New.size() && Old[Head] == New[Head]) ++Head;
  if (Head > 0 && Old[Head - 1] == '\r') --Head;  // never inside a paragraph break
  size_t Tail = 0;
  while (Tail < Old.size() - Head && Tail < New.size() - Head && Old[Old.size() - 1 - Tail] == New[New.size() - 1 - Tail])
    ++Tail;
  if (Tail > 0 && Old[Old.size() - Tail] == '\n') --Tail;
  if (Head == Old.size() && Head == New.size()) return;
  Edit.Select(static_cast<int>(Head), static_cast<int>(Old.size() - Head - Tail));
  Edit.TypeText(New.substr(Head, New.size() - Head - Tail));
}

// The control a splitter sizes: the visible sibling aligned the same way
// that touches it on the side it is aligned to.
TControl* SplitterTarget(TSplitter& Splitter) {
  TWinControl* Parent = Splitter.Parent();
  for (int I = 0; Parent && I < Parent->ControlCount(); ++I) {
    TControl* C = Parent->Controls(I);
    if (C == &Splitter || !C->Visible() || C->Align() != Splitter.Align()) continue;
    const bool Touches = Splitter.Align() == alLeft     ? C->Left() + C->Width() == Splitter.Left()
                         : Splitter.Align() == alRight  ? Splitter.Left() + Splitter.Width() == C->Left()
                         : Splitter.Align() == alTop    ? C->Top() + C->Height() == Splitter.Top()
                         : Splitter.Align() == alBottom ? Splitter.Top() + Splitter.Height() == C->Top()
                                                        : false;
    if (Touches) return C;
  }
  return nullptr;
}

// Moves a splitter by Delta pixels (right or down): the control it sizes
// grows or shrinks, not below MinSize; OnMoved fires when it moved.
void DragSplitter(TSplitter& Splitter, int Delta) {
  TControl* Target = SplitterTarget(Splitter);
  if (!Target || Delta == 0) return;
  const bool Horizontal = Splitter.Align() == alLeft || Splitter.Align() == alRight;
  const bool Grows = Splitter.Align() == alLeft || Splitter.Align() == alTop;
  const int Old = Horizontal ? Target->Width() : Target->Height();
  const int Size = std::max(Splitter.MinSize, Old + (Grows ? Delta : -Delta));
  if (Size == Old) return;
  if (Horizontal) Target->SetWidth(Size);
  else Target->SetHeight(Size);
  if (Splitter.OnMoved) Splitter.OnMoved(&Splitter);
}

std::string JoinItems(const TStrings& Items) {
  std::string Out = std::to_string(Items.Count());
  for (int I = 0; I < Items.Count(); ++I) Out += '\n' + Items.Get(I);
  return Out;
}

}  // namespace

// Tells the renderer when a rendered control is destroyed.
class TQtRenderer::TWatch : public TComponent {
 public:
  explicit TWatch(TQtRenderer* ARenderer) : TComponent(nullptr), FRenderer(ARenderer) {}

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == opRemove) FRenderer->Forget(AComponent);
  }

 private:
  TQtRenderer* FRenderer;
};

TQtRenderer::TQtRenderer() : FWatch(std::make_unique<TWatch>(this)) {}

TQtRenderer::~TQtRenderer() {
  std::vector<QWidget*> Windows;
  for (TCustomForm* Form : FForms) Windows.push_back(FEntries[Form].Widget);
  FEntries.clear();
  FControlOf.clear();
  FForms.clear();
  for (QWidget* W : Windows) delete W;
  FWatch.reset();
}

QWidget* TQtRenderer::Render(TCustomForm* Form) {
  FForms.insert(Form);
  Sync();
  return WidgetOf(Form);
}

QWidget* TQtRenderer::WidgetOf(const TControl* Control) const {
  auto It = FEntries.find(Control);
  return It == FEntries.end() ? nullptr : It->second.Widget;
}

TControl* TQtRenderer::ControlOf(const QWidget* Widget) const {
  auto It = FControlOf.find(Widget);
  return It == FControlOf.end() ? nullptr : It->second;
}

void TQtRenderer::SetAutoSync(int Interval) {
  if (!FTimer) {
    FTimer = new QTimer(this);
    connect(FTimer, &QTimer::timeout, this, [this] { Sync(); });
  }
  if (Interval > 0) FTimer->start(Interval);
  else FTimer->stop();
}

void TQtRenderer::Sync() {
  if (FSyncing) return;
  std::unordered_set<const TControl*> Seen;
  const std::vector<TCustomForm*> Forms(FForms.begin(), FForms.end());
  for (TCustomForm* Form : Forms)
    if (FForms.count(Form)) SyncControl(Form, nullptr, Seen);
  // A control taken out of its form shows nowhere.
  for (auto& [Control, Entry] : FEntries)
    if (!Seen.count(Control) && Entry.Widget) Entry.Widget->hide();
}

void TQtRenderer::SyncControl(TControl* Control, QWidget* ParentWidget,
                              std::unordered_set<const TControl*>& Seen) {
  TEntry& Entry = Ensure(Control, ParentWidget);
  Seen.insert(Control);
  Apply(Control, Entry);
  if (auto* Win = dynamic_cast<TWinControl*>(Control)) {
    QWidget* Inner = FEntries[Control].Inner;
    for (int I = 0; I < Win->ControlCount(); ++I) SyncControl(Win->Controls(I), Inner, Seen);
  }
}

TQtRenderer::TEntry& TQtRenderer::Ensure(TControl* Control, QWidget* ParentWidget) {
  auto It = FEntries.find(Control);
  if (It == FEntries.end()) {
    TEntry& Entry = FEntries[Control];
    ++FSyncing;
    QWidget* Widget = Create(Control, Entry);
    --FSyncing;
    Entry.Widget = Widget;
    if (!Entry.Inner) Entry.Inner = Widget;
    Widget->setObjectName(Q(Control->Name()));
    Widget->setProperty("vclClass", Q(Control->ClassName()));
    if (ParentWidget) Widget->setParent(ParentWidget);
    Widget->installEventFilter(this);
    FControlOf[Widget] = Control;
    if (auto* View = dynamic_cast<QAbstractScrollArea*>(Widget)) {
      View->viewport()->installEventFilter(this);
      FControlOf[View->viewport()] = Control;
    }
    FWatch->FreeNotification(Control);
    return Entry;
  }
  TEntry& Entry = It->second;
  if (ParentWidget && Entry.Widget->parentWidget() != ParentWidget) Entry.Widget->setParent(ParentWidget);
  return Entry;
}

void TQtRenderer::Forget(TComponent* Component) {
  // Called from the component's destructor: compare addresses only.
  const void* Address = Component;
  auto It = std::find_if(FEntries.begin(), FEntries.end(),
                         [&](const auto& E) { return static_cast<const void*>(E.first) == Address; });
  if (It == FEntries.end()) return;
  QWidget* Widget = It->second.Widget;
  const TControl* Key = It->first;
  FEntries.erase(It);
  for (auto F = FForms.begin(); F != FForms.end(); ++F)
    if (static_cast<const void*>(*F) == Address) {
      FForms.erase(F);
      break;
    }
  for (auto I = FControlOf.begin(); I != FControlOf.end();)
    if (I->second == Key) I = FControlOf.erase(I);
    else ++I;
  if (Widget) {
    Widget->removeEventFilter(this);
    Widget->hide();
    Widget->deleteLater();
  }
}

void TQtRenderer::Act(const std::function<void()>& Action) {
  if (FSyncing) return;
  Application->Guard(Action);
  Sync();
}

void TQtRenderer::RegisterWidgetClass(const std::string& ClassName, TWidgetClass Class) {
  FClasses[ClassName] = std::move(Class);
}

QWidget* TQtRenderer::Create(TControl* Control, TEntry& Entry) {
  if (auto It = FClasses.find(Control->ClassName()); It != FClasses.end() && It->second.Make)
    if (QWidget* W = It->second.Make(Control)) return W;
  if (auto* Form = dynamic_cast<TCustomForm*>(Control)) {
    auto* W = new TFormWindow;
    W->OnGeometry = [this, Form, W] {
      if (FSyncing || !FEntries.count(Form)) return;
      // The frame's position, as move() takes it, and the client size.
      const QPoint P = W->pos();
      const QSize Z = W->size();
      if (P.x() != Form->Left() || P.y() != Form->Top() || Z.width() != Form->Width() ||
          Z.height() != Form->Height())
        Act([&] { Form->SetBounds(P.x(), P.y(), Z.width(), Z.height()); });
    };
    W->OnClose = [this, Form] {
      if (FSyncing || !FEntries.count(Form)) return true;
      Act([&] { Form->Close(); });
      return false;  // the sync hides the window when the form closed
    };
    return W;
  }
  if (auto* Button = dynamic_cast<TButton*>(Control)) {
    auto* W = new QPushButton;
    connect(W, &QPushButton::clicked, this, [this, Button] { Act([&] { Button->Click(); }); });
    return W;
  }
  if (auto* Speed = dynamic_cast<TSpeedButton*>(Control)) {
    auto* W = new QToolButton;
    connect(W, &QToolButton::clicked, this, [this, Speed] { Act([&] { Speed->Click(); }); });
    return W;
  }
  if (dynamic_cast<TLabel*>(Control) || dynamic_cast<TImage*>(Control)) return new QLabel;
  if (auto* Edit = dynamic_cast<TEdit*>(Control)) {
    auto* W = new QLineEdit;
    connect(W, &QLineEdit::textEdited, this,
            [this, Edit](const QString& Text) { Act([&] { Edit->SetText(S(Text)); }); });
    return W;
  }
  if (auto* Rich = dynamic_cast<TRichEdit*>(Control)) {
    auto* W = new QTextEdit;
    W->setAcceptRichText(false);  // pasted text takes the control's attributes
    connect(W, &QTextEdit::textChanged, this, [this, Rich, W] {
      if (!FSyncing) Act([&] { TypeRichText(*Rich, *W); });
    });
    connect(W, &QTextEdit::cursorPositionChanged, this, [this, Rich, W] {
      if (FSyncing) return;
      const QTextCursor C = W->textCursor();
      const int From = RichPosition(*W->document(), C.selectionStart());
      const int To = RichPosition(*W->document(), C.selectionEnd());
      if (From != Rich->SelStart() || To - From != Rich->SelLength()) Act([&] { Rich->Select(From, To - From); });
    });
    return W;
  }
  if (auto* Memo = dynamic_cast<TMemo*>(Control)) {
    auto* W = new QPlainTextEdit;
    connect(W, &QPlainTextEdit::textChanged, this, [this, Memo, W] {
      if (!FSyncing) Act([&] { Memo->SetText(S(W->toPlainText())); });
    });
    return W;
  }
  if (auto* Combo = dynamic_cast<TComboBox*>(Control)) {
    auto* W = new TComboWidget;
    W->setEditable(true);
    W->setInsertPolicy(QComboBox::NoInsert);
    W->OnDropDown = [this, Combo] { Act([&] { Combo->DropDown(); }); };
    connect(W, qOverload<int>(&QComboBox::activated), this,
            [this, Combo](int Index) { Act([&] { Combo->Select(Index); }); });
    connect(W->lineEdit(), &QLineEdit::textEdited, this,
            [this, Combo](const QString& Text) { Act([&] { Combo->TypeText(S(Text)); }); });
    return W;
  }
  if (auto* List = dynamic_cast<TListBox*>(Control)) {
    auto* W = new QListWidget;
    // Clicks are taken on the viewport (eventFilter); keys move the row.
    connect(W, &QListWidget::currentRowChanged, this, [this, List](int Row) {
      if (!FSyncing && !List->MultiSelect && Row >= 0 && Row != List->ItemIndex())
        Act([&] { List->Select(Row); });
    });
    return W;
  }
  if (auto* Check = dynamic_cast<TCheckBox*>(Control)) {
    auto* W = new QCheckBox;
    connect(W, &QCheckBox::clicked, this, [this, Check] { Act([&] { Check->Click(); }); });
    return W;
  }
  if (auto* Radio = dynamic_cast<TRadioButton*>(Control)) {
    auto* W = new QRadioButton;
    W->setAutoExclusive(false);  // the control unchecks its fellows
    connect(W, &QRadioButton::clicked, this, [this, Radio] { Act([&] { Radio->Click(); }); });
    return W;
  }
  if (dynamic_cast<TRadioGroup*>(Control) || dynamic_cast<TGroupBox*>(Control)) return new QGroupBox;
  if (auto* Pages = dynamic_cast<TPageControl*>(Control)) {
    auto* W = new QWidget;
    auto* Bar = new QTabBar(W);
    connect(Bar, &QTabBar::currentChanged, this, [this, Pages, Bar](int Tab) {
      if (FSyncing || Tab < 0) return;
      const int Index = Bar->tabData(Tab).toInt();
      if (Index < Pages->PageCount()) Act([&] { Pages->SelectPage(Pages->Pages(Index)); });
    });
    return W;
  }
  if (auto* Tabs = dynamic_cast<TTabControl*>(Control)) {
    auto* W = new QWidget;
    auto* Bar = new QTabBar(W);
    connect(Bar, &QTabBar::currentChanged, this, [this, Tabs](int Tab) {
      if (FSyncing || Tab < 0 || Tab >= Tabs->Tabs()->Count()) return;
      Act([&] {
        bool Allow = true;
        if (Tabs->OnChanging) Tabs->OnChanging(Tabs, Allow);
        if (!Allow) return;
        Tabs->TabIndex = Tab;
        if (Tabs->OnChange) Tabs->OnChange(Tabs);
      });
    });
    return W;
  }
  if (auto* Tree = dynamic_cast<TTreeView*>(Control)) {
    auto* W = new QTreeWidget;
    W->setHeaderHidden(true);
    connect(W, &QTreeWidget::itemExpanded, this, [this, Tree](QTreeWidgetItem* Item) {
      if (FSyncing) return;
      if (TTreeNode* Node = NodeOf(*Tree, Item)) Act([&] { Node->SetExpanded(true); });
    });
    connect(W, &QTreeWidget::itemCollapsed, this, [this, Tree](QTreeWidgetItem* Item) {
      if (FSyncing) return;
      if (TTreeNode* Node = NodeOf(*Tree, Item)) Act([&] { Node->SetExpanded(false); });
    });
    connect(W, &QTreeWidget::currentItemChanged, this, [this, Tree](QTreeWidgetItem* Item) {
      if (FSyncing) return;
      TTreeNode* Node = NodeOf(*Tree, Item);
      if (Node && Node != Tree->Selected()) Act([&] { Tree->SetSelected(Node); });
    });
    return W;
  }
  if (auto* Grid = dynamic_cast<TDrawGrid*>(Control)) {
    auto* W = new TPaintWidget;
    W->setFocusPolicy(Qt::StrongFocus);
    W->OnPaint = [Grid, W](QPainter& P) { PaintGrid(P, *Grid, *W); };
    return W;
  }
  if (auto* Bar = dynamic_cast<TStatusBar*>(Control)) {
    auto* W = new TPaintWidget;
    W->OnPaint = [Bar, W](QPainter& P) { PaintStatusBar(P, *Bar, *W); };
    return W;
  }
  if (auto* Panel = dynamic_cast<TPanel*>(Control)) {
    auto* W = new TPaintWidget;
    W->OnPaint = [Panel, W](QPainter& P) { PaintPanel(P, *Panel, *W); };
    return W;
  }
  if (auto* Scroll = dynamic_cast<TScrollBar*>(Control)) {
    auto* W = new QScrollBar;
    connect(W, &QScrollBar::valueChanged, this, [this, Scroll](int Value) {
      if (!FSyncing) Act([&] { Scroll->SetPosition(Value); });
    });
    return W;
  }
  if (auto* Splitter = dynamic_cast<TSplitter*>(Control)) {
    auto* W = new QFrame;
    const bool Horizontal = Splitter->Align() == alLeft || Splitter->Align() == alRight;
    W->setCursor(Horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
    return W;
  }
  if (dynamic_cast<TBevel*>(Control)) return new QFrame;
  (void)Entry;
  return new QWidget;
}

void TQtRenderer::Apply(TControl* Control, TEntry& Entry) {
  QWidget* W = Entry.Widget;
  ++FSyncing;
  const QSignalBlocker Block(W);
  auto* Form = dynamic_cast<TCustomForm*>(Control);
  if (Form) {
    W->setWindowTitle(Q(Form->Caption));
    if (!W->isVisible()) W->setWindowModality(Form->Modal() ? Qt::ApplicationModal : Qt::NonModal);
    if (W->pos() != QPoint(Form->Left(), Form->Top())) W->move(Form->Left(), Form->Top());
    if (W->size() != QSize(Form->Width(), Form->Height())) W->resize(Form->Width(), Form->Height());
  } else if ((dynamic_cast<TTabSheet*>(Control) || dynamic_cast<TTabControl*>(Control->Parent())) &&
             FEntries.count(Control->Parent())) {
    // Sheets, and what fills a tab control, fill it below its tab bar;
    // other controls of a tab control sit that much lower.
    const int Bar = TabBarHeight(FEntries[Control->Parent()].Widget);
    const bool Fills = dynamic_cast<TTabSheet*>(Control) || Control->Align() == alClient;
    W->setGeometry(Control->Left(), Control->Top() + Bar, Control->Width(),
                   Fills ? std::max(0, Control->Height() - Bar) : Control->Height());
  } else {
    W->setGeometry(Control->Left(), Control->Top(), Control->Width(), Control->Height());
  }
  W->setEnabled(Control->Enabled);
  W->setToolTip(Q(Control->Hint));
  W->setFont(ToFont(Control->Font, QApplication::font()));

  auto Custom = FClasses.find(Control->ClassName());
  if (Custom != FClasses.end()) {
    if (Custom->second.SyncWidget) Custom->second.SyncWidget(Control, W);
  } else if (auto* Button = dynamic_cast<TButton*>(Control)) {
    auto* B = static_cast<QPushButton*>(W);
    B->setText(Q(Button->Caption));
    B->setDefault(Button->Default);
    if (auto* Bit = dynamic_cast<TBitBtn*>(Control)) B->setIcon(GlyphIcon(Bit->Glyph));
  } else if (auto* Speed = dynamic_cast<TSpeedButton*>(Control)) {
    auto* B = static_cast<QToolButton*>(W);
    // The glyph's picture; its name stands in for a picture not known.
    const QIcon Icon = GlyphIcon(Speed->Glyph);
    B->setIcon(Icon);
    B->setText(Q(Speed->Caption.empty() && Icon.isNull() ? Speed->Glyph : Speed->Caption));
    B->setToolButtonStyle(B->text().isEmpty() ? Qt::ToolButtonIconOnly
                          : Icon.isNull()     ? Qt::ToolButtonTextOnly
                                              : Qt::ToolButtonTextBesideIcon);
    B->setCheckable(Speed->GroupIndex > 0);
    B->setChecked(Speed->Down);
    B->setAutoRaise(Speed->Flat);
  } else if (auto* Label = dynamic_cast<TLabel*>(Control)) {
    static_cast<QLabel*>(W)->setText(Q(StripHotkey(Label->Caption)));
  } else if (auto* Image = dynamic_cast<TImage*>(Control)) {
    static_cast<QLabel*>(W)->setToolTip(Q(Image->Picture));
  } else if (auto* Edit = dynamic_cast<TEdit*>(Control)) {
    auto* E = static_cast<QLineEdit*>(W);
    if (E->text() != Q(Edit->Text())) {
      E->setText(Q(Edit->Text()));
      if (!E->hasFocus()) E->setCursorPosition(0);  // show the start, not the end
    }
    E->setReadOnly(Edit->ReadOnly);
  } else if (auto* Rich = dynamic_cast<TRichEdit*>(Control)) {
    auto* T = static_cast<QTextEdit*>(W);
    const std::string Sig = Rich->RtfText();
    if (Sig != Entry.Signature) {
      Entry.Signature = Sig;
      FillTextDocument(*T->document(), Rich->Document());
    }
    T->setReadOnly(Rich->ReadOnly);
    T->setLineWrapMode(Rich->WordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    const QTextDocument& Doc = *T->document();
    QTextCursor C = T->textCursor();
    const int From = QtPosition(Doc, Rich->SelStart()), To = QtPosition(Doc, Rich->SelStart() + Rich->SelLength());
    if (C.selectionStart() != From || C.selectionEnd() != To) {
      C.setPosition(From);
      C.setPosition(To, QTextCursor::KeepAnchor);
      T->setTextCursor(C);
    }
  } else if (auto* Memo = dynamic_cast<TMemo*>(Control)) {
    auto* M = static_cast<QPlainTextEdit*>(W);
    QString Text = Q(Memo->Text());
    Text.replace("\r\n", "\n");
    if (M->toPlainText() != Text) M->setPlainText(Text);
    M->setReadOnly(Memo->ReadOnly);
    M->setLineWrapMode(Memo->WordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  } else if (auto* Combo = dynamic_cast<TComboBox*>(Control)) {
    auto* C = static_cast<QComboBox*>(W);
    const std::string Sig = JoinItems(*Combo->Items());
    if (Sig != Entry.Signature) {
      Entry.Signature = Sig;
      C->clear();
      for (int I = 0; I < Combo->Items()->Count(); ++I) C->addItem(Q(Combo->Items()->Get(I)));
    }
    C->setEditable(Combo->Style != csDropDownList);
    C->setMaxVisibleItems(std::max(1, Combo->DropDownCount));
    if (C->currentIndex() != Combo->ItemIndex()) C->setCurrentIndex(Combo->ItemIndex());
    if (C->isEditable()) {
      const QSignalBlocker BlockEdit(C->lineEdit());
      if (C->lineEdit()->text() != Q(Combo->Text())) {
        C->lineEdit()->setText(Q(Combo->Text()));
        if (!C->lineEdit()->hasFocus()) C->lineEdit()->setCursorPosition(0);
      }
    }
  } else if (auto* List = dynamic_cast<TListBox*>(Control)) {
    auto* L = static_cast<QListWidget*>(W);
    const std::string Sig = JoinItems(*List->Items());
    if (Sig != Entry.Signature) {
      Entry.Signature = Sig;
      L->clear();
      for (int I = 0; I < List->Items()->Count(); ++I) L->addItem(Q(List->Items()->Get(I)));
    }
    L->setSelectionMode(List->MultiSelect ? QAbstractItemView::MultiSelection
                                          : QAbstractItemView::SingleSelection);
    if (!List->MultiSelect) L->setCurrentRow(List->ItemIndex());
    for (int I = 0; I < L->count(); ++I) L->item(I)->setSelected(List->ItemSelected(I));
  } else if (auto* Check = dynamic_cast<TCheckBox*>(Control)) {
    static_cast<QCheckBox*>(W)->setText(Q(Check->Caption));
    static_cast<QCheckBox*>(W)->setChecked(Check->Checked);
  } else if (auto* Radio = dynamic_cast<TRadioButton*>(Control)) {
    static_cast<QRadioButton*>(W)->setText(Q(Radio->Caption));
    static_cast<QRadioButton*>(W)->setChecked(Radio->Checked());
  } else if (auto* Group = dynamic_cast<TRadioGroup*>(Control)) {
    auto* G = static_cast<QGroupBox*>(W);
    G->setTitle(Q(Group->Caption));
    const std::string Sig = JoinItems(*Group->Items()) + '/' + std::to_string(Group->Columns) + '/' +
                            std::to_string(Group->Width()) + 'x' + std::to_string(Group->Height());
    if (Sig != Entry.Signature) {
      Entry.Signature = Sig;
      for (QRadioButton* B : G->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly))
        delete B;
      // The buttons are spread over the columns below the caption, as the
      // library places them.
      const int Count = Group->Items()->Count(), Columns = std::max(1, Group->Columns);
      const int Rows = std::max(1, (Count + Columns - 1) / Columns);
      const int Top = 16, ColWidth = std::max(1, (Group->Width() - 16) / Columns);
      const int RowHeight = std::max(1, (Group->Height() - Top - 4) / Rows);
      for (int I = 0; I < Count; ++I) {
        auto* B = new QRadioButton(Q(Group->Items()->Get(I)), G);
        B->setObjectName(QString("%1_%2").arg(Q(Group->Name())).arg(I));
        B->setAutoExclusive(false);
        B->setGeometry(8 + (I / Rows) * ColWidth, Top + (I % Rows) * RowHeight, ColWidth, RowHeight);
        B->show();
        connect(B, &QRadioButton::clicked, this, [this, Group, I] {
          if (I < Group->Items()->Count()) Act([&] { Group->Select(I); });
        });
      }
    }
    const auto Buttons = G->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (int I = 0; I < Buttons.size(); ++I) {
      const QSignalBlocker BlockButton(Buttons[I]);
      Buttons[I]->setChecked(I == Group->ItemIndex());
      Buttons[I]->setEnabled(Group->Enabled);
    }
  } else if (auto* Box = dynamic_cast<TGroupBox*>(Control)) {
    static_cast<QGroupBox*>(W)->setTitle(Q(Box->Caption));
  } else if (auto* Pages = dynamic_cast<TPageControl*>(Control)) {
    auto* Bar = W->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
    const QSignalBlocker BlockBar(Bar);
    std::string Sig;
    for (int I = 0; I < Pages->PageCount(); ++I)
      if (Pages->Pages(I)->TabVisible()) Sig += std::to_string(I) + Pages->Pages(I)->Caption + '\n';
    if (Sig != Entry.Signature) {
      Entry.Signature = Sig;
      while (Bar->count()) Bar->removeTab(0);
      for (int I = 0; I < Pages->PageCount(); ++I)
        if (Pages->Pages(I)->TabVisible()) Bar->setTabData(Bar->addTab(Q(Pages->Pages(I)->Caption)), I);
    }
    Bar->setGeometry(0, 0, Pages->Width(), Bar->sizeHint().height());
    for (int T = 0; T < Bar->count(); ++T)
      if (Bar->tabData(T).toInt() == Pages->ActivePageIndex()) Bar->setCurrentIndex(T);
  } else if (auto* Tabs = dynamic_cast<TTabControl*>(Control)) {
    auto* Bar = W->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
    const QSignalBlocker BlockBar(Bar);
    const std::string Sig = JoinItems(*Tabs->Tabs());
    if (Sig != Entry.Signature) {
      Entry.Signature = Sig;
      while (Bar->count()) Bar->removeTab(0);
      for (int I = 0; I < Tabs->Tabs()->Count(); ++I) Bar->addTab(Q(Tabs->Tabs()->Get(I)));
    }
    Bar->setGeometry(0, 0, Tabs->Width(), Bar->sizeHint().height());
    Bar->setCurrentIndex(Tabs->TabIndex);
  } else if (auto* Tree = dynamic_cast<TTreeView*>(Control)) {
    auto* T = static_cast<QTreeWidget*>(W);
    std::string Sig;
    TreeSignature(Tree->Items()->GetFirstNode(), Sig);
    if (Sig != Entry.Signature) {
      Entry.Signature = Sig;
      T->clear();
      AddTreeItems(T, nullptr, Tree->Items()->GetFirstNode());
    }
    T->setRootIsDecorated(Tree->ShowRoot);
    QTreeWidgetItem* Current = nullptr;
    for (int I = 0; !Current && Tree->Selected() && I < T->topLevelItemCount(); ++I)
      Current = FindTreeItem(T->topLevelItem(I), Tree->Selected());
    T->setCurrentItem(Current);
  } else if (auto* Scroll = dynamic_cast<TScrollBar*>(Control)) {
    auto* B = static_cast<QScrollBar*>(W);
    B->setOrientation(Scroll->Kind == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
    B->setRange(Scroll->Min(), Scroll->Max());
    B->setValue(Scroll->Position());
    B->setSingleStep(Scroll->SmallChange);
    B->setPageStep(Scroll->LargeChange);
  } else if (auto* Bevel = dynamic_cast<TBevel*>(Control)) {
    auto* F = static_cast<QFrame*>(W);
    F->setFrameShape(Bevel->Shape == bsTopLine || Bevel->Shape == bsBottomLine ? QFrame::HLine
                     : Bevel->Shape == bsLeftLine || Bevel->Shape == bsRightLine ? QFrame::VLine
                     : Bevel->Shape == bsSpacer                                  ? QFrame::NoFrame
                                                                                 : QFrame::Box);
    F->setFrameShadow(Bevel->Style == bsLowered ? QFrame::Sunken : QFrame::Raised);
  }
  if (Custom == FClasses.end() && (dynamic_cast<TDrawGrid*>(Control) || dynamic_cast<TStatusBar*>(Control) ||
                                   dynamic_cast<TPanel*>(Control)))
    W->update();

  if (Form) {
    if (Form->Visible() && !W->isVisible()) W->show();
    else if (!Form->Visible() && W->isVisible()) W->hide();
  } else {
    W->setVisible(Control->Visible());
  }
  --FSyncing;
}

bool TQtRenderer::eventFilter(QObject* Watched, QEvent* Event) {
  auto It = FControlOf.find(Watched);
  if (It == FControlOf.end() || FSyncing) return false;
  TControl* Control = It->second;
  auto* Widget = static_cast<QWidget*>(Watched);
  const bool OnViewport = Widget != FEntries[Control].Widget;
  switch (Event->type()) {
    case QEvent::KeyPress:
      if (auto* Win = dynamic_cast<TWinControl*>(Control)) return KeyPress(Win, Event);
      return false;
    case QEvent::ContextMenu:
      return ContextMenu(Control, Event);
    case QEvent::WindowActivate:
      // The window the user brought to the front holds the active form.
      if (auto* Form = dynamic_cast<TCustomForm*>(Control); Form && Screen->ActiveForm() != Form)
        Act([&] { Form->Activate(); });
      return false;
    case QEvent::MouseButtonPress: {
      auto* Mouse = static_cast<QMouseEvent*>(Event);
      const QPoint P = Mouse->position().toPoint();
      const TShiftState Shift = ToShift(Mouse->modifiers(), Mouse->buttons());
      if (dynamic_cast<TSplitter*>(Control)) {
        // The drag starts here; the press goes no further.
        FDragStart = P;
        Act([&] { Control->MouseDown(ToButton(Mouse->button()), Shift, P.x(), P.y()); });
        return true;
      }
      if (auto* Grid = dynamic_cast<TDrawGrid*>(Control)) {
        int Col = -1, Row = -1;
        Grid->MouseToCell(P.x(), P.y(), Col, Row);
        Widget->setFocus();
        if (Col >= 0 && Row >= 0)
          Act([&] { Grid->ClickCell(Col, Row, ToButton(Mouse->button()), Shift); });
        return true;
      }
      if (auto* List = dynamic_cast<TListBox*>(Control); List && OnViewport) {
        auto* View = static_cast<QListWidget*>(FEntries[Control].Widget);
        View->setFocus();
        const QModelIndex Index = View->indexAt(P);
        Act([&] {
          List->MouseDown(ToButton(Mouse->button()), Shift, P.x(), P.y());
          if (Index.isValid() && Mouse->button() == Qt::LeftButton) {
            if (List->MultiSelect && List->Selected(Index.row())) List->Unselect(Index.row());
            else List->Select(Index.row());
          }
        });
        return true;
      }
      Act([&] { Control->MouseDown(ToButton(Mouse->button()), Shift, P.x(), P.y()); });
      return false;
    }
    case QEvent::MouseButtonRelease: {
      auto* Mouse = static_cast<QMouseEvent*>(Event);
      const QPoint P = Mouse->position().toPoint();
      if (dynamic_cast<TDrawGrid*>(Control)) return true;
      Act([&] {
        Control->MouseUp(ToButton(Mouse->button()), ToShift(Mouse->modifiers()), P.x(), P.y());
        // Controls without a click signal of their own are clicked here.
        const bool Plain = dynamic_cast<TLabel*>(Control) || dynamic_cast<TPanel*>(Control) ||
                           dynamic_cast<TImage*>(Control) || dynamic_cast<TCustomForm*>(Control) ||
                           dynamic_cast<TGroupBox*>(Control);
        if (Plain && Mouse->button() == Qt::LeftButton && Widget->rect().contains(P)) Control->Click();
      });
      return dynamic_cast<TListBox*>(Control) && OnViewport;
    }
    case QEvent::MouseMove: {
      // A splitter follows the mouse while its button is down.
      auto* Splitter = dynamic_cast<TSplitter*>(Control);
      auto* Mouse = static_cast<QMouseEvent*>(Event);
      if (!Splitter || !(Mouse->buttons() & Qt::LeftButton)) return false;
      const bool Horizontal = Splitter->Align() == alLeft || Splitter->Align() == alRight;
      const QPoint P = Mouse->position().toPoint();
      const int Delta = Horizontal ? P.x() - FDragStart.x() : P.y() - FDragStart.y();
      Act([&] { DragSplitter(*Splitter, Delta); });
      return true;
    }
    case QEvent::MouseButtonDblClick:
      Act([&] { Control->DblClick(); });
      return dynamic_cast<TListBox*>(Control) || dynamic_cast<TDrawGrid*>(Control);
    default:
      return false;
  }
}

// The keyboard as the library sees it: the form's key preview, OnKeyDown,
// Enter and Escape for the default and cancel buttons, then OnKeyPress.
// Text widgets type the character themselves; the others get KeyPress.
bool TQtRenderer::KeyPress(TWinControl* Control, QEvent* Event) {
  auto* KeyEvent = static_cast<QKeyEvent*>(Event);
  uint16_t Key = ToVirtualKey(KeyEvent->key());
  const TShiftState Shift = ToShift(KeyEvent->modifiers());
  const QString Text = KeyEvent->text();
  char Char = Text.size() == 1 && Text[0].unicode() < 256 ? static_cast<char>(Text[0].unicode()) : 0;
  if (Char == '\n') Char = '\r';
  bool Consumed = false;
  Act([&] {
    TCustomForm* Form = GetParentForm(Control);
    if (Key != 0) {
      if (Form && Form != Control && Form->KeyPreview) Form->KeyDown(Key, Shift);
      if (Key != 0) Control->KeyDown(Key, Shift);
      if ((Key == VK_RETURN || Key == VK_ESCAPE) && !Control->WantsKey(Key)) {
        TButton* Target = dynamic_cast<TButton*>(Control);
        if (Target && Key == VK_ESCAPE) Target = nullptr;
        for (int I = 0; Form && !Target && I < Form->ComponentCount(); ++I) {
          auto* B = dynamic_cast<TButton*>(Form->Components(I));
          if (B && B->Visible() && B->Enabled && (Key == VK_RETURN ? B->Default : B->Cancel)) Target = B;
        }
        if (Target) {
          Target->Click();
          Consumed = true;
          return;
        }
      }
      if (Key == 0) {
        Consumed = true;
        return;
      }
    }
    if (Char == 0 || (Shift & (ssCtrl | ssAlt))) return;
    if (Form && Form != Control && Form->KeyPreview) Form->KeyPress(Char);
    const bool TypesItself = dynamic_cast<TEdit*>(Control) || dynamic_cast<TMemo*>(Control) ||
                             dynamic_cast<TComboBox*>(Control);
    if (Char != 0 && TypesItself) {
      if (Control->OnKeyPress) Control->OnKeyPress(Control, Char);
    } else if (Char != 0) {
      Control->KeyPress(Char);
    }
    if (Char == 0) Consumed = true;
  });
  return Consumed;
}

bool TQtRenderer::ContextMenu(TControl* Control, QEvent* Event) {
  TPopupMenu* Popup = Control->PopupMenu();
  if (!Popup || !Control->Enabled) return false;
  auto* Menu = static_cast<QContextMenuEvent*>(Event);
  const QPoint Global = Menu->globalPos();
  Act([&] {
    Popup->PopupComponent = Control;
    Popup->Popup(Global.x(), Global.y());
  });
  QMenu Shown;
  FillMenu(&Shown, Popup->Items(), [this] { Sync(); });
  if (!Shown.isEmpty()) Shown.exec(Global);
  return true;
}

void TQtRenderer::FillMenu(QMenu* Menu, TMenuItem* Root, const std::function<void()>& After) {
  for (int I = 0; I < Root->Count(); ++I) {
    TMenuItem* Item = Root->Items(I);
    if (!Item->Visible) continue;
    if (Item->Caption == "-") {
      Menu->addSeparator();
      continue;
    }
    if (Item->Count() > 0) {
      QMenu* Sub = Menu->addMenu(Q(Item->Caption));
      Sub->setEnabled(Item->Enabled);
      FillMenu(Sub, Item, After);
      continue;
    }
    QAction* Action = Menu->addAction(Q(Item->Caption));
    Action->setObjectName(Q(Item->Name()));
    Action->setEnabled(Item->Enabled);
    Action->setCheckable(Item->Checked || Item->RadioItem);
    Action->setChecked(Item->Checked);
    Action->setToolTip(Q(Item->Hint));
    if (Item->ShortCut != scNone) Action->setShortcut(QKeySequence(Q(ShortCutToText(Item->ShortCut))));
    QObject::connect(Action, &QAction::triggered, Menu, [Item, After] {
      Application->Guard([&] { Item->Click(); });
      if (After) After();
    });
  }
}
