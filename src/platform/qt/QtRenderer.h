// The Qt renderer of the headless component library. Each rendered form
// becomes a top-level window whose widget tree mirrors the form's controls:
// bounds, visibility, enabled state, captions, texts, items and selections
// are copied from the controls on every Sync; what the user does to a
// widget is turned back into the control's own user actions (Click,
// Select, SetText, KeyDown, ...), which fire the control's events, and the
// window is synced again. The controls stay the truth.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include <QObject>
#include <QPoint>

class QWidget;
class QMenu;
class QTimer;
class TComponent;
class TControl;
class TCustomForm;
class TMenuItem;
class TWinControl;

class TQtRenderer : public QObject {
 public:
  TQtRenderer();
  ~TQtRenderer() override;

  // The form's window, made on the first call and synced.
  QWidget* Render(TCustomForm* Form);
  // The widget showing Control, or nullptr when it is not rendered.
  QWidget* WidgetOf(const TControl* Control) const;
  // The control a widget shows, or nullptr.
  TControl* ControlOf(const QWidget* Widget) const;

  // Copies the state of every rendered form into its widgets, making
  // widgets for controls added since.
  void Sync();
  // Syncs every Interval milliseconds on Qt's event loop (0 stops).
  void SetAutoSync(int Interval);

  // Shows controls of the class named ClassName (as ClassName() gives it)
  // by widgets that Make creates instead of the generic ones; SyncWidget,
  // when given, copies the control's own state after bounds, visibility
  // and enabled state. For controls such as the IDE's code editor.
  struct TWidgetClass {
    std::function<QWidget*(TControl* Control)> Make;
    std::function<void(TControl* Control, QWidget* Widget)> SyncWidget;
  };
  void RegisterWidgetClass(const std::string& ClassName, TWidgetClass Class);

  // Fills Menu with the sub-items of Root: captions, short cuts, checks,
  // enabled and visible state; choosing one clicks the item, then After.
  static void FillMenu(QMenu* Menu, TMenuItem* Root, const std::function<void()>& After = {});

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  class TWatch;
  struct TEntry {
    QWidget* Widget = nullptr;
    QWidget* Inner = nullptr;  // the parent widget of the child controls
    std::string Signature;     // of the items last copied
  };

  void SyncControl(TControl* Control, QWidget* ParentWidget, std::unordered_set<const TControl*>& Seen);
  TEntry& Ensure(TControl* Control, QWidget* ParentWidget);
  QWidget* Create(TControl* Control, TEntry& Entry);
  void Apply(TControl* Control, TEntry& Entry);
  void Forget(TComponent* Component);
  // Runs a user action: its exception goes to the application, then Sync.
  void Act(const std::function<void()>& Action);
  bool KeyPress(TWinControl* Control, QEvent* Event);
  bool ContextMenu(TControl* Control, QEvent* Event);

  std::unique_ptr<TWatch> FWatch;
  std::unordered_map<const TControl*, TEntry> FEntries;
  std::unordered_map<const QObject*, TControl*> FControlOf;
  std::unordered_set<TCustomForm*> FForms;
  std::unordered_map<std::string, TWidgetClass> FClasses;
  QTimer* FTimer = nullptr;
  QPoint FDragStart;  // where the mouse button went down, in the widget
  int FSyncing = 0;
};
