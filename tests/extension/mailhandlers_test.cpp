// The extension's handlers as the mail host asks for them.
#include "entry/mailextension.h"
#include "testmessage.h"
#include "testplatform.h"
#include "teststores.h"

namespace {

class MailHandlersTest : public testing::Test {
protected:
    TestPlatform platform_;
    TestStores stores_;
    MailExtension extension_{stores_.services, {}};
};

TEST_F(MailHandlersTest, MarsSubjectsAreColouredAndBodiesBecomeTheReplyContent) {
    const std::optional<QString> earlier = QStringLiteral("earlier content");
    const struct {
        QString subject;
        std::optional<QByteArray> raw;
        bool coloured;
        std::optional<QString> content;
    } cases[] = {
        {"Trip to Mars", "A: 1\n\n  word  \n", true, QStringLiteral("word")},
        {"trip to mars", "A: 1\n\n \t\n", false, QString("")},
        {"Hello", "A: 1\n\n\xff", false, earlier},
        {"Hello", std::nullopt, false, earlier},
    };
    const std::optional<MEMessageActionDecision> red =
        MEMessageActionDecision{{MEMessageAction{static_cast<MEMessageColor>(4)}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.subject.toStdString());
        stores_.replyContext.content = earlier;
        TestMessage message;
        message.subjectText = c.subject;
        message.raw = c.raw;
        std::vector<std::optional<MEMessageActionDecision>> decisions;
        extension_.handlerForMessageActions().decideAction(
            message, [&](auto decision) { decisions.push_back(decision); });
        EXPECT_EQ(decisions, (std::vector{c.coloured ? red : std::nullopt}));
        EXPECT_EQ(stores_.replyContext.content, c.content);
    }
}

} // namespace
