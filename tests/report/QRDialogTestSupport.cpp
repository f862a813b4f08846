#include "QRDialogTestSupport.h"

#include "StdCtrls.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QtTest/QTest>
#include <QtWidgets/QListWidget>

#include <gtest/gtest.h>

UiScript::UiScript() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
}

UiScript::~UiScript() {
    timer_.stop();
}

UiScript& UiScript::Then(std::function<bool()> ready, std::function<void()> act) {
    steps_.push_back({std::move(ready), std::move(act)});
    return *this;
}

void UiScript::Start() {
    timer_.start();
}

void UiScript::poll() {
    if (!started_) return;
    if (steps_.empty()) {
        timer_.stop();
        return;
    }
    if (!steps_.front().ready()) {
        waitedMs_ += timer_.interval();
        if (waitedMs_ > StepTimeoutMs) abandon();
        return;
    }
    waitedMs_ = 0;
    ++stepNumber_;
    std::function<void()> act = std::move(steps_.front().act);
    steps_.pop_front();
    started_ = false;
    // The action may open a loop of its own: it runs from a timer of its
    // own so that this one keeps polling.
    QTimer::singleShot(0, [this, act] {
        started_ = true;
        act();
    });
}

void UiScript::abandon() {
    ADD_FAILURE() << "script step " << stepNumber_ + 1 << " never became ready";
    steps_.clear();
    timer_.stop();
    for (Integer i = 0; i < Screen->FormCount(); ++i) {
        if (Screen->Forms(i)->Visible()) Screen->Forms(i)->SetModalResult(mrCancel);
    }
}

void ClickListItem(TListBox* list, Integer index, bool doubleClick) {
    auto* widget = dynamic_cast<QListWidget*>(list->Handle());
    ASSERT_NE(widget, nullptr);
    ASSERT_LT(index, widget->count());
    const QPoint at = widget->visualItemRect(widget->item(index)).center();
    QWidget* viewport = widget->viewport();
    if (doubleClick) {
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
    } else {
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
    }
}

void TypeInto(TControl* control, const QString& text) {
    KeyClicks(GetParentForm(control), text);
}

QSize SaveFormPicture(TCustomForm* form, const QString& name) {
    const QImage image = form->Handle()->grab().toImage();
    SaveTestImage(image, name);
    return image.size();
}
