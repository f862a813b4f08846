// Opening documents and addresses through the desktop, with the desktop
// replaced by a hook that records what it was asked to open.
#include "ShellAPI.h"

#include <QtCore/QDir>
#include <QtCore/QUrl>

#include <gtest/gtest.h>

namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetShellOpenHook([this](const QUrl& url) {
            opened.push_back(url);
            return answer;
        });
    }
    void TearDown() override { SetShellOpenHook(nullptr); }
    std::vector<QUrl> opened;
    bool answer = true;
};

TEST_F(ShellTest, AddressesAndPathsReachTheDesktopAsUrls) {
    EXPECT_GT(ShellExecute(nullptr, "open", "https://example.org/a b?q=1", "", "", SW_SHOW), 32);
    EXPECT_GT(ShellExecute(nullptr, "", "/tmp/report file.pdf", "", "", SW_SHOW), 32);
    EXPECT_GT(ShellExecute(nullptr, "OPEN", "sub/page.html", "", "/srv/docs", SW_SHOW), 32);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0].scheme(), "https");
    EXPECT_EQ(opened[0].host(), "example.org");
    EXPECT_EQ(opened[1], QUrl::fromLocalFile("/tmp/report file.pdf"));
    EXPECT_EQ(opened[2], QUrl::fromLocalFile("/srv/docs/sub/page.html"));
}

TEST_F(ShellTest, FailuresAnswerTheShellsErrorCodes) {
    EXPECT_EQ(ShellExecute(nullptr, "open", "  ", "", "", SW_SHOW), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ShellExecute(nullptr, "print", "/tmp/x.txt", "", "", SW_SHOW), SE_ERR_NOASSOC);
    EXPECT_EQ(opened.size(), 0u) << "nothing is opened for an empty target or another verb";
    answer = false;
    EXPECT_EQ(ShellExecute(nullptr, "open", "mailto:someone@example.org", "", "", SW_SHOW), SE_ERR_NOASSOC);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].scheme(), "mailto");
}

}  // namespace
