// Posted and sent user messages: posted ones arrive later, in the order
// posted, to whichever receivers still exist.
#include "FrameworkTestSupport.h"

#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

namespace {

// A windowless control (as reports and their printers are) that logs the user messages it gets.
class TReceiver : public TControl {
public:
    TReceiver(EventLog& log, const std::string& name) : TControl(nullptr), log_(log), name_(name) {}
    std::function<void(const TMessage&)> OnUserMessage;

protected:
    void WndProc(TMessage& Message) override {
        if (Message.Msg >= WM_USER && Message.Msg <= WM_USER + 4) {
            log_.Add(name_ + ":" + std::to_string(Message.Msg - WM_USER) + ":" + std::to_string(Message.WParam));
            Message.Result = LRESULT(Message.WParam * 2);
            if (OnUserMessage) OnUserMessage(Message);
            return;
        }
        TControl::WndProc(Message);
    }

private:
    EventLog& log_;
    std::string name_;
};

using Log = std::vector<std::string>;

TEST(UserMessages, PostedMessagesArriveInOrderAfterTheSentOnes) {
    EventLog log;
    TReceiver preview(log, "preview"), report(log, "report");
    PostMessage(&preview, WM_USER, 10);
    PostMessage(&report, WM_USER + 2, 0);
    PostMessage(&preview, WM_USER + 1, 3);
    EXPECT_EQ(SendMessage(&report, WM_USER + 4, 21), 42);
    EXPECT_EQ(log.Entries(), Log{"report:4:21"});
    QApplication::processEvents();
    EXPECT_EQ(log.Entries(), (Log{"report:4:21", "preview:0:10", "report:2:0", "preview:1:3"}));
}

TEST(UserMessages, MessagesForAFreedReceiverAreDroppedOthersStillArrive) {
    EventLog log;
    auto doomed = std::make_unique<TReceiver>(log, "doomed");
    TReceiver keeper(log, "keeper");
    // The keeper's first message frees the receiver whose message is queued behind it.
    keeper.OnUserMessage = [&](const TMessage& m) {
        if (m.WParam == 1) doomed.reset();
    };
    PostMessage(&keeper, WM_USER + 1, 1);
    PostMessage(doomed.get(), WM_USER + 1, 2);
    PostMessage(&keeper, WM_USER + 1, 3);
    QApplication::processEvents();
    EXPECT_EQ(log.Entries(), (Log{"keeper:1:1", "keeper:1:3"}));
    EXPECT_FALSE(PostMessage(nullptr, WM_USER));
    EXPECT_EQ(SendMessage(nullptr, WM_USER), 0);
}

TEST(UserMessages, AMessagePostedWhileHandlingOneQueuesBehindTheOthers) {
    EventLog log;
    TReceiver r(log, "r");
    r.OnUserMessage = [&](const TMessage& m) {
        if (m.WParam == 1) PostMessage(&r, WM_USER, 9);
    };
    PostMessage(&r, WM_USER, 1);
    PostMessage(&r, WM_USER, 2);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(log.Entries(), (Log{"r:0:1", "r:0:2", "r:0:9"}));
}

}  // namespace
