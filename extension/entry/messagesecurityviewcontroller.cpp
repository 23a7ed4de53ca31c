#include "messagesecurityviewcontroller.h"

#include "meextensionviewcontroller.h"
#include "viewengine.h"

#include <QQuickItem>

namespace {

class MessageSecurityViewController : public MEExtensionViewController {
public:
    MessageSecurityViewController()
        : root_(ViewEngine::create(QStringLiteral("MessageSecurityView"))) {}

    QQuickItem* view() override { return root_.get(); }
    [[nodiscard]] QSizeF minimumSize() const override { return {300, 200}; }
    [[nodiscard]] QSizeF maximumSize() const override { return {500, 400}; }

private:
    std::unique_ptr<QQuickItem> root_;
};

} // namespace

std::shared_ptr<MEExtensionViewController> makeMessageSecurityViewController() {
    return std::make_shared<MessageSecurityViewController>();
}
