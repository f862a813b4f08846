#include "FrameworkTestSupport.h"

#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

std::vector<std::string> EventLog::With(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& e : entries_) {
        if (e.rfind(prefix, 0) == 0) out.push_back(e);
    }
    return out;
}

std::string Utf8(const QString& s) {
    return s.toStdString();
}

std::string KeyName(Word key) {
    return std::to_string(key);
}

std::string CharName(WideChar c) {
    if (c.unicode() < 0x20) return Utf8(QStringLiteral("#%1").arg(c.unicode()));
    return Utf8(QString(c));
}

TLineProbe::TLineProbe(TComponent* owner, EventLog& log, const QString& name) : TWinControl(owner), log_(log) {
    SetName(name);
    SetBounds(0, 0, 100, 24);
}

QWidget* TLineProbe::CreateWidget(QWidget* parent) {
    return new TControlWidget<QLineEdit>(this, parent);
}

QLineEdit* TLineProbe::Edit() const {
    return static_cast<QLineEdit*>(Widget());
}

QString TLineProbe::EditText() const {
    return Edit() ? Edit()->text() : QString();
}

void TLineProbe::WndProc(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    }
    if (Message.Msg == WM_IME_COMPOSITION) log_.Add("Ime:" + Utf8(Name()) + ":" + std::to_string(Message.LParam));
    TWinControl::WndProc(Message);
}

void TLineProbe::KeyDown(Word& Key, TShiftState Shift) {
    log_.Add("KeyDown:" + Utf8(Name()) + ":" + KeyName(Key));
    if (KeyDownAction) KeyDownAction(Key);
    TWinControl::KeyDown(Key, Shift);
}

void TLineProbe::KeyPress(WideChar& Key) {
    log_.Add("KeyPress:" + Utf8(Name()) + ":" + CharName(Key));
    if (KeyPressAction) KeyPressAction(Key);
    TWinControl::KeyPress(Key);
}

void TLineProbe::KeyUp(Word& Key, TShiftState Shift) {
    log_.Add("KeyUp:" + Utf8(Name()) + ":" + KeyName(Key));
    TWinControl::KeyUp(Key, Shift);
}

void TLineProbe::DoEnter() {
    log_.Add("Enter:" + Utf8(Name()));
    if (EnterAction) EnterAction();
    TWinControl::DoEnter();
}

void TLineProbe::DoExit() {
    log_.Add("Exit:" + Utf8(Name()));
    if (ExitAction) ExitAction();
    TWinControl::DoExit();
}

TLoggedForm::TLoggedForm(EventLog& log) : TForm(nullptr), log_(log) {
    SetKeyPreview(true);
    SetBounds(100, 100, 400, 300);
    SetCaption(QStringLiteral("Test"));
    OnKeyDown = [this](TObject*, Word& key, TShiftState) { log_.Add("FormKeyDown:" + KeyName(key)); };
    OnKeyPress = [this](TObject*, WideChar& key) { log_.Add("FormKeyPress:" + CharName(key)); };
    OnKeyUp = [this](TObject*, Word& key, TShiftState) { log_.Add("FormKeyUp:" + KeyName(key)); };
}

void TLoggedForm::ShowActive() {
    ::ShowActive(this);
}

bool WaitFor(const std::function<bool()>& cond, int ms) {
    return QTest::qWaitFor(cond, ms);
}

void WhenModalShown(std::function<void(QWidget* modal)> action, QWidget* excluded) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action, excluded] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == excluded || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}
