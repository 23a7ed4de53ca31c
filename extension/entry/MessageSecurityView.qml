import QtQuick

// The extension signs and encrypts nothing, so there is nothing to show about signers.
Item {
    objectName: "messageSecurityView"
}
