#include "mailextension.h"
#include "meextensionviewcontroller.h"
#include "messagesecurityviewcontroller.h"
#include "testmessage.h"
#include "testplatform.h"

#include <QQuickItem>

namespace {

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
