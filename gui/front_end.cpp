#include "gui/front_end.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>

#include "gui/dialog_skins.h"
#include "gui/main_window_skin.h"
#include "gui/pictures.h"
#include "res/resource_ids.h"

namespace torvane::gui {
namespace {

// Moves `window` into the available area of its screen. A window larger than
// that area keeps its top and its right end in view: the header to drag it
// by and the Close and Minimize buttons.
void KeepOnScreen(QWidget* window) {
    QScreen* screen = window->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    QPoint at = frame.topLeft();
    if (frame.right() > area.right()) at.rx() -= frame.right() - area.right();
    if (at.x() < area.left() && frame.width() <= area.width()) at.setX(area.left());
    if (frame.bottom() > area.bottom()) at.ry() -= frame.bottom() - area.bottom();
    if (at.y() < area.top()) at.setY(area.top());
    if (at != frame.topLeft()) window->move(window->pos() + (at - frame.topLeft()));
}

// Centres `dialog` over the window it belongs to, on screen.
void CentreOver(QWidget* dialog, QWidget* owner) {
    const QRect frame = owner->frameGeometry();
    dialog->move(frame.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
    KeepOnScreen(dialog);
}

// The main window's client area: its template's, grown to hold the tallest
// and widest page where the controller places it.
QSize MainClientSize(CTorvaneDlg& dlg, const WindowView& main,
                     const std::map<PageCode, WindowView*>& pages) {
    QSize size = main.TemplateSize();
    for (const auto& [code, view] : pages) {
        const Point origin = dlg.PageFor(code).Placement();
        const QSize page = view->TemplateSize();
        size = size.expandedTo(QSize(origin.x + page.width() + 1, origin.y + page.height() + 1));
    }
    return size;
}

}  // namespace

FrontEnd::FrontEnd(CTorvaneDlg& dlg) : dlg_(dlg) {
    QApplication::setWindowIcon(QIcon(Picture(res::kMainIcon)));
    main_ = std::make_unique<WindowView>(dlg, std::make_unique<MainWindowSkin>(dlg));
    main_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowSystemMenuHint);
    main_->setWindowTitle(QString::fromStdString(dlg.TitleText()).trimmed());
    // Its paint covers the whole client area; nothing is erased first.
    main_->setAttribute(Qt::WA_OpaquePaintEvent);
    // The system menu's About item, on a frameless window: the header's
    // context menu, with the dialogs the program adds to it.
    if (!dlg.AboutItemText().empty())
        menu_.push_back({dlg.AboutItemText(), [this] { dlg_.SystemCommand(res::kAboutCommand); }});
    main_->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(main_.get(), &QWidget::customContextMenuRequested, main_.get(),
                     [this](const QPoint& at) {
                         if (menu_.empty()) return;
                         QMenu menu;
                         for (const MenuItem& item : menu_)
                             menu.addAction(QString::fromStdString(item.text), item.choose);
                         menu.exec(main_->mapToGlobal(at));
                     });
    message_ = MakeDialogView(dlg.Message(), std::make_unique<MessageSkin>(dlg.Message()), false);
    busy_ = MakeDialogView(dlg.Busy(), std::make_unique<BusySkin>(), false);
    about_ = MakeDialogView(dlg.About(), std::make_unique<DialogSkin>(), true);
    about_->setWindowTitle(QStringLiteral("About Torvane"));
    netConfig_ =
        &AddDialog(dlg.ConfigIp(), std::make_unique<NetworkConfigSkin>(res::kConfigCloseButton));
    AttachPages();
    // The window grows by one line under the pages for the link's status.
    const QSize client = MainClientSize(dlg_, *main_, pages_);
    const int line = LinkStatusLine::LineHeight(*main_);
    statusLine_ = new LinkStatusLine(dlg, main_.get());
    statusLine_->setGeometry(0, client.height(), client.width(), line);
    main_->setFixedSize(client + QSize(0, line));
    if (dlg.IsOpen()) main_->Build();
}

FrontEnd::~FrontEnd() = default;

void FrontEnd::Show() {
    main_->show();
    KeepOnScreen(main_.get());
}

void FrontEnd::Detach() {
    statusLine_->Detach();
    for (WindowView* view : views_) view->Detach();
    main_->Detach();
}

WindowView* FrontEnd::MakeDialogView(Window& window, std::unique_ptr<Skin> skin, bool framed) {
    auto* view = new WindowView(window, std::move(skin), main_.get());
    views_.push_back(view);
    // A dialog, transient for the main window: a window manager keeps it
    // above its owner, so a click on the owner never hides it.
    view->setWindowFlags(framed ? Qt::Dialog : (Qt::Dialog | Qt::FramelessWindowHint));
    // Modal to the main window only, and without a nested event loop: the
    // model's continuation runs when the view reports the closing button.
    view->setWindowModality(Qt::WindowModal);
    view->setFixedSize(view->TemplateSize());
    view->SetOnOpened([this, view] {
        CentreOver(view, main_.get());
        view->show();
        view->raise();
        view->activateWindow();
        view->setFocus();
    });
    view->SetOnClosed([view] { view->hide(); });
    if (window.IsOpen()) view->Build();
    return view;
}

WindowView& FrontEnd::AddDialog(Window& window, std::unique_ptr<Skin> skin) {
    return *MakeDialogView(window, std::move(skin), false);
}

WindowView& FrontEnd::AddMenuDialog(const std::string& item, Window& window,
                                    std::function<void()> open) {
    WindowView* view = MakeDialogView(window, std::make_unique<DialogSkin>(), true);
    QString title = QString::fromStdString(item);
    if (title.endsWith(QStringLiteral("..."))) title.chop(3);
    view->setWindowTitle(title);
    menu_.push_back({item, std::move(open)});
    return *view;
}

bool FrontEnd::ChooseMenuItem(const std::string& item) {
    for (const MenuItem& entry : menu_) {
        if (entry.text != item) continue;
        entry.choose();
        return true;
    }
    return false;
}

WindowView* FrontEnd::ViewOf(const Window& window) const {
    for (WindowView* view : views_)
        if (&view->Model() == &window) return view;
    return nullptr;
}

WindowView* FrontEnd::PageView(PageCode code) {
    auto it = pages_.find(code);
    return it == pages_.end() ? nullptr : it->second;
}

void FrontEnd::AttachPages() {
    for (PageCode code : {PageCode::kEdid, PageCode::kMatrix, PageCode::kUpgrade}) {
        Window& window = dlg_.PageFor(code).PageWindow();
        auto* view = new WindowView(window, nullptr, main_.get());
        views_.push_back(view);
        view->setFixedSize(view->TemplateSize());
        view->hide();
        pages_[code] = view;
        if (window.IsOpen()) view->Build();
    }
    // A page that cannot use the file the operator chose says why in a box
    // of its own.
    for (auto& [code, view] : pages_) {
        Window& window = view->Model();
        view->SetOnFileAnswered([&window, view](const QString&) {
            const Window::FileProblem& problem = window.LastFileProblem();
            if (problem.text.empty()) return;
            auto* box = new QMessageBox(QMessageBox::Warning, QString::fromStdString(problem.title),
                                        QString::fromStdString(problem.text), QMessageBox::Ok,
                                        view->window());
            box->setObjectName(QStringLiteral("fileErrorBox"));
            box->setWindowModality(Qt::WindowModal);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
        });
    }
}

}  // namespace torvane::gui
