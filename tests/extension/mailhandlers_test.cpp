#include "mailextension.h"
#include "meextensionviewcontroller.h"
#include "messagesecurityviewcontroller.h"
#include "replyemailmanager.h"
#include "testmessage.h"
#include "testplatform.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickItem>

namespace {

class MailHandlersTest : public testing::Test {
protected:
    MailHandlersTest() { ReplyEmailManager::shared().content = QStringLiteral("earlier content"); }

    /// Counts the controllers asked for; the controllers themselves come with the views.
    ViewControllerFactory counting(int& calls) {
        return [&calls] {
            ++calls;
            return std::shared_ptr<MEExtensionViewController>();
        };
    }

    TestPlatform platform_;
    int composeControllers_ = 0;
    int signersControllers_ = 0;
    MailExtension extension_{{counting(composeControllers_), counting(signersControllers_)}};
};

TEST_F(MailHandlersTest, ProcessWideHandlersAreMadeOnceAndComposeHandlersPerSession) {
    const auto handlersOf = [](MailExtension& extension) {
        return std::tuple<void*, void*, void*>{&extension.handlerForContentBlocker(),
                                               &extension.handlerForMessageActions(),
                                               &extension.handlerForMessageSecurity()};
    };
    std::tuple<void*, void*, void*> earlier;
    {
        MailExtension gone({});
        earlier = handlersOf(gone);
    }
    EXPECT_EQ(handlersOf(extension_), earlier);

    const TestComposeSession session;
    const std::unique_ptr<MEComposeSessionHandler> first =
        extension_.handlerForComposeSession(session);
    const std::unique_ptr<MEComposeSessionHandler> second =
        extension_.handlerForComposeSession(session);
    EXPECT_NE(first.get(), second.get());

    (void)first->viewControllerForSession(session);
    (void)first->viewControllerForSession(session);
    EXPECT_EQ(composeControllers_, 2);

    first->mailComposeSessionDidEnd(session);
    EXPECT_EQ(ReplyEmailManager::shared().content, QString("earlier content"));
}

struct ActionCase {
    const char* name;
    QString subject;
    std::optional<QByteArray> raw;
    bool coloured;
    std::optional<QString> content;
};

TEST_F(MailHandlersTest, MarsSubjectsAreColouredAndBodiesBecomeTheReplyContent) {
    const std::optional<QString> earlier = QStringLiteral("earlier content");
    const ActionCase cases[] = {
        {"capital Mars", "Trip to Mars", "A: 1\n\n  word  \n", true, QStringLiteral("word")},
        {"inside a word", "Marshmallows", "A: 1\n\nbody", true, QStringLiteral("body")},
        {"lower case", "trip to mars", "A: 1\n\nbody", false, QStringLiteral("body")},
        {"white space body", "Hello", "A: 1\n\n \t\n", false, QString("")},
        {"not UTF-8", "Hello", "A: 1\n\n\xff", false, earlier},
        {"no raw data", "Hello", std::nullopt, false, earlier},
    };
    MEMessageActionHandler& handler = extension_.handlerForMessageActions();
    for (const ActionCase& c : cases) {
        SCOPED_TRACE(c.name);
        ReplyEmailManager::shared().content = earlier;
        TestMessage message;
        message.subjectText = c.subject;
        message.raw = c.raw;
        std::vector<std::optional<MEMessageActionDecision>> decisions;
        handler.decideAction(message, [&](auto decision) { decisions.push_back(decision); });

        ASSERT_EQ(decisions.size(), 1u);
        const std::optional<MEMessageActionDecision> red =
            MEMessageActionDecision{{MEMessageAction{static_cast<MEMessageColor>(4)}}};
        EXPECT_EQ(decisions.front(), c.coloured ? red : std::nullopt);
        EXPECT_EQ(ReplyEmailManager::shared().content, c.content);
    }
}

TEST_F(MailHandlersTest, ContentRulesComeFromTheBundleOrAreEmpty) {
    EXPECT_TRUE(extension_.handlerForContentBlocker().contentRulesJSON().isEmpty());

    const std::optional<QByteArray> shipped =
        QtBundle().resource(QStringLiteral("ContentBlockerRules"), QStringLiteral("json"));
    ASSERT_TRUE(shipped.has_value());
    platform_.bundle().resources["ContentBlockerRules.json"] = *shipped;
    EXPECT_EQ(extension_.handlerForContentBlocker().contentRulesJSON(), *shipped);

    QJsonParseError error;
    const QJsonDocument rules = QJsonDocument::fromJson(*shipped, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_TRUE(rules.isArray());
    EXPECT_FALSE(rules.array().isEmpty());
    const QStringList actions{"block", "block-cookies", "css-display-none",
                              "ignore-previous-rules"};
    for (const QJsonValue& rule : rules.array()) {
        EXPECT_TRUE(rule["trigger"]["url-filter"].isString());
        EXPECT_TRUE(actions.contains(rule["action"]["type"].toString()));
    }
}

TEST_F(MailHandlersTest, SecurityHandlerNeitherSignsEncryptsNorDecodes) {
    MEMessageSecurityHandler& handler = extension_.handlerForMessageSecurity();
    const TestMessage message;
    const TestComposeSession session;
    int answers = 0;

    handler.getEncodingStatus(message, session.composeContext(), [&](const auto& status) {
        ++answers;
        EXPECT_FALSE(status.canSign);
        EXPECT_FALSE(status.canEncrypt);
        EXPECT_EQ(status.securityError, std::nullopt);
        EXPECT_TRUE(status.addressesFailingEncryption.isEmpty());
    });
    handler.encodeMessage(message, session.composeContext(), [&](const auto& result) {
        ++answers;
        EXPECT_FALSE(result.encodedMessage.has_value());
        EXPECT_EQ(result.signingError, std::nullopt);
        EXPECT_EQ(result.encryptionError, std::nullopt);
    });
    handler.primaryActionClicked("context", [&](const auto& controller) {
        ++answers;
        EXPECT_EQ(controller, nullptr);
    });
    EXPECT_EQ(answers, 3);

    EXPECT_FALSE(handler.decodedMessage("From: a\n\nbody").has_value());
    EXPECT_EQ(handler.extensionViewControllerForMessageContext("context"), nullptr);
    (void)handler.extensionViewControllerForMessageSigners({MEMessageSigner{{"a@b"}, "A"}});
    EXPECT_EQ(signersControllers_, 1);
}

TEST(ViewControllersTest, EveryRequestGetsANewControllerWithItsOwnView) {
    const TestPlatform platform;
    MailExtension extension({makeComposeSessionViewController, makeMessageSecurityViewController});
    const TestComposeSession session;
    const std::unique_ptr<MEComposeSessionHandler> handler =
        extension.handlerForComposeSession(session);
    MEMessageSecurityHandler& security = extension.handlerForMessageSecurity();
    const std::shared_ptr<MEExtensionViewController> pairs[][2] = {
        {handler->viewControllerForSession(session), handler->viewControllerForSession(session)},
        {security.extensionViewControllerForMessageSigners({}),
         security.extensionViewControllerForMessageSigners({})},
    };
    for (const auto& pair : pairs) {
        ASSERT_TRUE(pair[0] && pair[1]);
        EXPECT_NE(pair[0], pair[1]);
        EXPECT_NE(&pair[0]->view(), &pair[1]->view());
    }
}

} // namespace
