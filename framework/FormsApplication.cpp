// TApplication, TScreen and TScrollBox.
#include "Forms.h"

#include "ControlsWidget.h"
#include "Dialogs.h"

#include <QtCore/QAbstractEventDispatcher>
#include <QtCore/QCoreApplication>
#include <QtCore/QEventLoop>
#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtGui/QGuiApplication>
#include <QtGui/QWindow>
#include <QtWidgets/QApplication>
#include <QtWidgets/QScrollArea>
#include <QtWidgets/QScrollBar>
#include <QtGui/QKeyEvent>

#include <algorithm>

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

// ------------------------------------------------------------ TScreen

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

void TScreen::SetCursor(TCursor cursor) {
    if (cursor_ == cursor) return;
    cursor_ = cursor;
    RefreshOverrideCursor();
}

Integer TScreen::Width() const {
    return GetSystemMetrics(SM_CXSCREEN);
}

Integer TScreen::Height() const {
    return GetSystemMetrics(SM_CYSCREEN);
}

TCustomForm* TScreen::Forms(Integer index) const {
    if (index < 0 || index >= FormCount()) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return forms_[size_t(index)];
}

TWinControl* TScreen::ActiveControl() const {
    return activeForm_ ? activeForm_->ActiveControl() : nullptr;
}

// ------------------------------------------------------------ TApplication

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

void TApplication::Initialize() {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // Closing windows never ends the program; only Terminate does.
        app->setQuitOnLastWindowClosed(false);
    }
    InstallKeyStateTracking();
    installIdle();
}

// The platform's idle step comes when the message queue is empty: Qt's
// dispatcher says so just before it waits for more events.
void TApplication::installIdle() {
    static QPointer<QAbstractEventDispatcher> connected;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher || dispatcher == connected) return;
    connected = dispatcher;
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher, [this] { idle(); });
}

void TApplication::idle() {
    if (idling_ || !Screen) return;
    idling_ = true;
    const QWindow* modal = QGuiApplication::modalWindow();
    try {
        for (Integer i = 0; i < Screen->FormCount(); ++i) {
            TCustomForm* form = Screen->Forms(i);
            const QWidget* w = form->Widget();
            if (!w || (modal && w->window()->windowHandle() != modal)) continue;
            form->UpdateActions();
        }
    } catch (...) {
        HandleException(this);
    }
    idling_ = false;
}

// The title names the program (message boxes without a caption of their
// own take it); it is not Qt's display name, which the window system would
// add to every window's caption ("電卓 — <title>").
void TApplication::SetTitle(const QString& title) {
    title_ = title;
}

QString TApplication::ExeName() const {
    return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
}

void TApplication::formCreated(TCustomForm* form) {
    if (!mainForm_ && dynamic_cast<TForm*>(form)) {
        mainForm_ = form;
        form->FreeNotification(this);
    }
    form->AfterConstruction();
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == mainForm_) mainForm_ = nullptr;
}

void TApplication::Run() {
    Initialize();
    if (mainForm_ && showMainForm_ && !terminated_) mainForm_->Show();
    if (!terminated_) {
        QEventLoop loop;
        mainLoop_ = &loop;
        loop.exec();
        mainLoop_ = nullptr;
    }
    // The run is over; a later Run (a test) starts afresh.
    terminated_ = false;
}

void TApplication::Terminate() {
    terminated_ = true;
    for (QEventLoop* loop : modalLoops_) loop->exit();
    if (mainLoop_) mainLoop_->exit();
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::WaitUntil(const std::function<bool()>& done) {
    if (done() || terminated_) return;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || terminated_) loop.quit();
    });
    check.start(WaitCheckInterval);
    modalLoops_.push_back(&loop);
    loop.exec();
    modalLoops_.erase(std::remove(modalLoops_.begin(), modalLoops_.end(), &loop), modalLoops_.end());
}

void TApplication::HandleException(TObject* Sender) {
    std::exception_ptr current = std::current_exception();
    if (!current) return;
    try {
        std::rethrow_exception(current);
    } catch (const Exception& e) {
        if (OnException) OnException(Sender, e);
        else ShowException(e);
    } catch (const std::exception& e) {
        const Exception wrapped(QString::fromLocal8Bit(e.what()));
        if (OnException) OnException(Sender, wrapped);
        else ShowException(wrapped);
    } catch (...) {
        const Exception wrapped(QStringLiteral("Unknown exception"));
        if (OnException) OnException(Sender, wrapped);
        else ShowException(wrapped);
    }
}

void TApplication::ShowException(const Exception& E) {
    QString text = E.Message();
    if (!text.isEmpty() && text.back() > QLatin1Char('.')) text += QLatin1Char('.');
    MessageBox(text, title_, MB_OK | MB_ICONSTOP);
}

Integer TApplication::MessageBox(const QString& Text, const QString& Caption, Cardinal Flags) {
    return ::MessageBox(Screen ? Screen->ActiveCustomForm() : nullptr, Text, Caption, Flags);
}

// ------------------------------------------------------------ TScrollBox

namespace {

// The wheel over the scroll area's background reaches the control too.
class TScrollAreaWidget : public TControlWidget<QScrollArea> {
public:
    using TControlWidget<QScrollArea>::TControlWidget;

protected:
    bool viewportEvent(QEvent* event) override {
        if (event->type() == QEvent::Wheel) return Forward(event);
        return QScrollArea::viewportEvent(event);
    }
    // A scroll box has no keys of its own: the arrows and page keys reach
    // its handlers only.
    void keyPressEvent(QKeyEvent* event) override { QWidget::keyPressEvent(event); }
};

}  // namespace

Integer TControlScrollBar::Range() const {
    Integer extent = 0;
    for (Integer i = 0; i < box_.ControlCount(); ++i) {
        const TControl* c = box_.Controls(i);
        if (!c->Visible()) continue;
        extent = std::max(extent, kind_ == Qt::Vertical ? c->Top() + c->Height() : c->Left() + c->Width());
    }
    return extent;
}

QScrollBar* TControlScrollBar::Bar() const {
    auto* area = dynamic_cast<QScrollArea*>(box_.Widget());
    if (!area) return nullptr;
    return kind_ == Qt::Vertical ? area->verticalScrollBar() : area->horizontalScrollBar();
}

Integer TControlScrollBar::Position() const {
    const QScrollBar* bar = Bar();
    return bar ? bar->value() : 0;
}

void TControlScrollBar::SetPosition(Integer value) {
    box_.updateRange();
    if (QScrollBar* bar = Bar()) bar->setValue(value);
}

void TControlScrollBar::SetIncrement(Integer value) {
    increment_ = std::max<Integer>(1, value);
    Apply();
}

void TControlScrollBar::SetTracking(bool on) {
    tracking_ = on;
    Apply();
}

void TControlScrollBar::Apply() {
    if (QScrollBar* bar = Bar()) Apply(bar);
}

void TControlScrollBar::Apply(QScrollBar* bar) const {
    bar->setSingleStep(increment_);
    bar->setTracking(tracking_);
}

TScrollBox::TScrollBox(TComponent* AOwner)
    : TWinControl(AOwner), horz_(std::make_unique<TControlScrollBar>(*this, Qt::Horizontal)),
      vert_(std::make_unique<TControlScrollBar>(*this, Qt::Vertical)) {
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    SetBounds(0, 0, 185, 41);
}

TScrollBox::~TScrollBox() = default;

QWidget* TScrollBox::CreateWidget(QWidget* parent) {
    auto* area = new TScrollAreaWidget(this, parent);
    area->setFrameShape(borderStyle_ == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
    contents_ = new QWidget;
    area->setWidget(contents_);
    area->setWidgetResizable(false);
    horz_->Apply(area->horizontalScrollBar());
    vert_->Apply(area->verticalScrollBar());
    return area;
}

void TScrollBox::InitWidget() {
    TWinControl::InitWidget();
    updateRange();
}

QWidget* TScrollBox::ClientWidget() {
    Handle();
    return contents_;
}

void TScrollBox::SetBorderStyle(TBorderStyle style) {
    borderStyle_ = style;
    if (auto* area = dynamic_cast<QScrollArea*>(Widget()))
        area->setFrameShape(style == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

void TScrollBox::AlignControls(TControl* AControl, TRect& Rect) {
    TWinControl::AlignControls(AControl, Rect);
    updateRange();
}

void TScrollBox::WMSize(TMessage& Message) {
    TWinControl::WMSize(Message);
    updateRange();
}

// The scrolled area covers every child, and at least the inside of the
// frame less the scroll bars the children need: no bar shows while they fit.
void TScrollBox::updateRange() {
    if (!contents_ || !Widget()) return;
    Integer right = 0, bottom = 0;
    for (Integer i = 0; i < ControlCount(); ++i) {
        const TControl* c = Controls(i);
        if (!c->Visible()) continue;
        right = std::max(right, c->Left() + c->Width());
        bottom = std::max(bottom, c->Top() + c->Height());
    }
    const auto* area = static_cast<QScrollArea*>(Widget());
    QSize inside = area->maximumViewportSize();
    const int barW = area->verticalScrollBar()->sizeHint().width();
    const int barH = area->horizontalScrollBar()->sizeHint().height();
    // Each bar narrows the room, which may call for the other one.
    for (int pass = 0; pass < 2; ++pass) {
        const bool vertical = bottom > inside.height(), horizontal = right > inside.width();
        inside = area->maximumViewportSize() - QSize(vertical ? barW : 0, horizontal ? barH : 0);
    }
    contents_->resize(std::max(right, Integer(inside.width())), std::max(bottom, Integer(inside.height())));
}

