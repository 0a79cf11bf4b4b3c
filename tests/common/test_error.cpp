#include "common/Error.h"
#include "common/ErrorBox.h"
#include "common/Messages.h"
#include "common/Quotient.h"

#include <gtest/gtest.h>

using namespace masume;

namespace {

std::string messageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(Error, FillsFieldsInOrder)
{
    EXPECT_EQ(formatMessage(msg::CannotAssign, {"TIcon", "TBitmap"}),
              "TIcon を TBitmap に代入することはできません");
    EXPECT_EQ(formatMessage(msg::JpegError, {42}), "JPEG エラー #42");
    EXPECT_EQ(formatMessage(msg::NotAnInteger, {""}), "'' は整数ではありません");
    // A field's own text is not scanned again.
    EXPECT_EQ(formatMessage("%s/%s", {"%s", "b"}), "%s/b");
    EXPECT_EQ(formatMessage("100%% %d", {7}), "100% 7");
    EXPECT_EQ(messageOf([] { raise(msg::CannotOpen, {"/tmp/a.bmp"}); }),
              "ファイル /tmp/a.bmp は開けません");
}

TEST(Quotient, ZeroDivisorsRaiseTheirMessages)
{
    EXPECT_EQ(messageOf([] { quotient(100, 0); }), msg::ZeroDivide);
    EXPECT_EQ(messageOf([] { quotient(-3.5L, 0); }), msg::ZeroDivide);
    EXPECT_EQ(messageOf([] { quotient(0, 0); }), msg::InvalidOperation);
    EXPECT_EQ(quotient(84, 32), 2.625L);
}

TEST(Quotient, TruncatesTowardZero)
{
    EXPECT_EQ(trunc(quotient(-6, 32)), 0); // between -1 and 0: 0, not -1
    EXPECT_EQ(trunc(quotient(-33, 32)), -1);
    EXPECT_EQ(trunc(quotient(2147483647, 1)), 2147483647);
    EXPECT_EQ(trunc(16.5L + 0.5L), 17);
}

TEST(ErrorBox, ApplicationTitle)
{
    EXPECT_EQ(applicationTitle("/work/build/bin/masume"), "masume");
    EXPECT_EQ(applicationTitle("masume"), "masume");
    EXPECT_EQ(applicationTitle("/opt/MASUME.x86.bin"), "Masume");
    EXPECT_EQ(applicationTitle("./Masume-Batch"), "Masume-batch");
    EXPECT_EQ(applicationTitle("/a.b/prog"), "prog");
}

TEST(ErrorBox, PeriodAppendedAfterCharactersSortingAfterIt)
{
    EXPECT_EQ(errorBoxText(msg::ZeroDivide), "0 による浮動小数点数除算.");
    EXPECT_EQ(errorBoxText("abc"), "abc.");
    EXPECT_EQ(errorBoxText("x1"), "x1."); // '1' sorts after '.'
    EXPECT_EQ(errorBoxText("done."), "done.");
    EXPECT_EQ(errorBoxText("what!?"), "what!?."); // the last one counts: "?" sorts after "."
    EXPECT_EQ(errorBoxText("what?!"), "what?!");
    EXPECT_EQ(errorBoxText("a-"), "a-");
    EXPECT_EQ(errorBoxText("a,"), "a,");
    EXPECT_EQ(errorBoxText(""), "");
}
