#pragma once
// The base of every window model. A front-end renders the control table and
// forwards what the operator does through the five entry points below (and
// the system menu's commands); it decides nothing itself. Observers learn
// which control changed and when the window opens, closes or asks the
// front-end for something only a real window can do (move, minimise).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/control_table.h"
#include "ui/dialog_template.h"

namespace torvane {

enum Key : int { kKeyEnter = 13, kKeyEscape = 27, kKeySpace = 32 };

// Which key-downs a window discards before its dialog keyboard handling.
enum class KeyFilter {
    kNone,              // busy dialog, About box
    kEnterEscape,       // the Upgrade page
    kEnterEscapeSpace,  // main window, Matrix and EDID pages, message and configuration dialogs
};

bool KeyFilterDiscards(KeyFilter filter, int key);

// Requests only a front-end can carry out.
enum class WindowRequest {
    kStartMove,  // a press outside any active area begins dragging the window
    kMinimize,
    kRepaint,  // e.g. the page labels after a page switch
};

// Id used in change notifications for the window's own text (a dialog's
// message or label text that is not a control of its template).
inline constexpr int kWindowTextId = 0;

// A window asks its front-end for a file to open: the GUI shows a file
// dialog, the command line and tests answer with a path they were given.
struct FileChoice {
    std::string title;
    // As the file dialog takes it: "Description(*.ext)|*.ext||".
    std::string filter;
};
using FileChosen = std::function<void(const std::optional<std::string>& path)>;

class Window;

// Input the program cannot take this instant, as it waits for an answer to a
// query of its own: held, and run in order when the answer is in.
class InputHold {
  public:
    virtual ~InputHold() = default;
    virtual bool Holding() const = 0;
    virtual void Hold(std::function<void()> input) = 0;
};

class WindowObserver {
  public:
    virtual ~WindowObserver() = default;
    virtual void OnControlChanged(Window&, int /*id*/, ControlChange /*what*/) {}
    virtual void OnOpened(Window&) {}
    virtual void OnClosed(Window&) {}
    virtual void OnRequest(Window&, WindowRequest) {}
    // The window was shown, hidden or moved within its parent.
    virtual void OnPlacementChanged(Window&) {}
    // The window asks for a file; answer with Window::AnswerFileChoice.
    virtual void OnFileChoice(Window&) {}
};

class Window {
  public:
    Window(DialogTemplate dialog, KeyFilter filter);
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // --- the front-ends' way in ---
    // A click on a button, check box or radio button. Hidden or disabled
    // controls take no clicks. Automatic check boxes toggle and automatic
    // radio buttons check themselves before the handler runs.
    void Click(int id);
    // The operator chose entry `index` of a drop-down list.
    void Select(int id, int index);
    // The operator changed an edit control's text. A digits-only edit
    // refuses other characters, as the real control does, and an edit with
    // a text limit keeps only that many characters.
    void EditText(int id, const std::string& text);
    // A key-down; the window's key filter may discard it.
    void KeyDown(int key);
    // A left-button press anywhere on the window's body at `point` (dialog
    // units, client area) that no control took.
    void PressAt(Point point);
    // A command of the window's system menu (such as the About item).
    void SystemCommand(int command);

    // The answer to the pending file choice: a path, or nothing when the
    // operator cancelled. Runs what the window asked to run with it.
    void AnswerFileChoice(const std::optional<std::string>& path);
    const std::optional<FileChoice>& PendingFileChoice() const { return fileChoice_; }
    // Why the file last answered cannot be used, as the operator is told it
    // (a box titled `title`), or an empty text. The window decides it; a
    // front-end only shows it.
    struct FileProblem {
        std::string title;
        std::string text;
    };
    const FileProblem& LastFileProblem() const { return fileProblem_; }

    // A child window's (a page's) visibility and place within its parent.
    void ShowWindow(bool visible);
    bool WindowVisible() const { return visible_; }
    void MoveWindow(Point topLeft);
    Point WindowPosition() const { return position_; }

    const ControlTable& Controls() const { return table_; }
    const DialogTemplate& Template() const { return template_; }
    bool IsOpen() const { return open_; }
    KeyFilter Filter() const { return filter_; }

    void AddObserver(WindowObserver* observer);
    void RemoveObserver(WindowObserver* observer);
    // Clicks, selections, key-downs and presses pass through `hold` (none by
    // default); edits and file answers never wait.
    void SetInputHold(InputHold* hold) { hold_ = hold; }

  protected:
    ControlTable& Table() { return table_; }

    // Handlers of the window class.
    virtual void OnCommand(int /*id*/) {}
    virtual void OnSelectionChange(int /*id*/) {}
    virtual void OnEditChange(int /*id*/) {}
    virtual void OnKey(int /*key*/) {}
    virtual void OnLeftButtonDown(Point /*point*/) {}
    virtual void OnSystemCommand(int /*command*/) {}
    // Runs when the window has been created from its template, before
    // observers hear that it opened.
    virtual void OnInitDialog() {}

    // Creates the window from its template (a fresh control table) or
    // destroys it; observers are told.
    void Create();
    void Destroy();
    void Request(WindowRequest request);
    void WindowTextChanged() { NotifyChanged(kWindowTextId, ControlChange::kText); }
    // Asks the front-end for a file; `then` runs with its answer. A new
    // request replaces one still unanswered.
    void ChooseFile(FileChoice choice, FileChosen then);
    void SetFileProblem(std::string title, std::string text) {
        fileProblem_ = {std::move(title), std::move(text)};
    }

  private:
    void NotifyChanged(int id, ControlChange what);
    void NotifyPlacement();
    bool Held(std::function<void()> input);

    DialogTemplate template_;
    KeyFilter filter_;
    ControlTable table_;
    bool open_ = false;
    bool visible_ = false;
    Point position_;
    std::optional<FileChoice> fileChoice_;
    FileChosen fileChosen_;
    FileProblem fileProblem_;
    std::vector<WindowObserver*> observers_;
    InputHold* hold_ = nullptr;
};

}  // namespace torvane
