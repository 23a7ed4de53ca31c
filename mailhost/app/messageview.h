#pragma once

#include "mailmessage.h"

#include <QWidget>

class QFormLayout;
class QLabel;
class QPlainTextEdit;

/// One message as a person reads it: From, To, Subject, Date and its attachments above its text.
class MessageView : public QWidget {
    Q_OBJECT

public:
    MessageView();

    /// Shows `message`, or nothing when it is null.
    void display(const MailMessage* message);

private:
    QWidget* fields_;
    QLabel* from_;
    QLabel* to_;
    QLabel* subject_;
    QLabel* date_;
    QLabel* attachments_;
    QFormLayout* form_;
    QPlainTextEdit* text_;
};
