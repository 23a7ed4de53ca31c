#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

/// Whether an outgoing message can be signed and encrypted.
struct MEOutgoingMessageEncodingStatus {
    bool canSign = false;
    bool canEncrypt = false;
    std::optional<QString> securityError;
    QStringList addressesFailingEncryption;
};

/// An outgoing message after signing or encryption.
struct MEEncodedOutgoingMessage {
    QByteArray rawData;
    bool isSigned = false;
    bool isEncrypted = false;
};

/// The outcome of encoding an outgoing message.
struct MEMessageEncodingResult {
    std::optional<MEEncodedOutgoingMessage> encodedMessage;
    std::optional<QString> signingError;
    std::optional<QString> encryptionError;
};

/// A received message after decryption or signature checks.
struct MEDecodedMessage {
    QByteArray rawData;
};

/// Who signed a message.
struct MEMessageSigner {
    QStringList emailAddresses;
    QString label;
};
