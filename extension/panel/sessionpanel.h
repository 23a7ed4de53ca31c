#pragma once

#include "panel/buttonstatemanager.h"
#include "panel/summarizestatemanager.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// What the session panel shows beyond its two state objects, and every action of its
/// controls.
class SessionPanel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(ButtonStateManager* buttonStateManager READ buttonStateManager WRITE
                   setButtonStateManager NOTIFY stateManagersChanged REQUIRED FINAL)
    Q_PROPERTY(SummarizeStateManager* summarizeStateManager READ summarizeStateManager WRITE
                   setSummarizeStateManager NOTIFY stateManagersChanged FINAL)
    Q_PROPERTY(bool showsSummaryArea READ showsSummaryArea NOTIFY stateManagersChanged FINAL)
    Q_PROPERTY(SummarySection summarySection READ summarySection NOTIFY summarySectionChanged FINAL)
    Q_PROPERTY(bool showsRegenerateLayout READ showsRegenerateLayout NOTIFY
                   showsRegenerateLayoutChanged FINAL)
    Q_PROPERTY(bool showTooltip READ showTooltip NOTIFY showTooltipChanged FINAL)
    Q_PROPERTY(QString textareaInput READ textareaInput WRITE setTextareaInput NOTIFY
                   textareaInputChanged FINAL)

public:
    /// What the summary area holds.
    enum class SummarySection { Nothing, Card, ContentUnavailable, Progress };
    Q_ENUM(SummarySection)

    /// Seconds the "copied" tooltip stays.
    static constexpr double tooltipSeconds = 2.0;

    /// The window comes with the button state manager; the paste box starts with the window's
    /// text to summarize.
    explicit SessionPanel(QObject* parent = nullptr);

    [[nodiscard]] ButtonStateManager* buttonStateManager() const { return buttons_; }
    void setButtonStateManager(ButtonStateManager* buttons);
    [[nodiscard]] SummarizeStateManager* summarizeStateManager() const { return summary_; }
    void setSummarizeStateManager(SummarizeStateManager* summary);

    /// Only a reply to a message with a subject has a summary area.
    [[nodiscard]] bool showsSummaryArea() const;
    [[nodiscard]] SummarySection summarySection() const { return summarySection_; }
    /// The reply is shown once one was stored for this message and one is at hand.
    [[nodiscard]] bool showsRegenerateLayout() const { return showsRegenerateLayout_; }
    [[nodiscard]] bool showTooltip() const { return showTooltip_; }
    [[nodiscard]] const QString& textareaInput() const { return textareaInput_; }
    /// Every edit of the paste box is kept as the text to summarize, also across restarts.
    void setTextareaInput(const QString& text);

    Q_INVOKABLE void logout();
    /// The summary area came into view: a summary is asked for when signed in.
    Q_INVOKABLE void summaryAreaShown();
    /// The paste box came into view: it shows the stored text to summarize.
    Q_INVOKABLE void pasteBoxShown();
    Q_INVOKABLE void summarize();
    Q_INVOKABLE void generateReply();
    Q_INVOKABLE void sendTrainingExample();
    /// Copies the reply shown and shows the tooltip for `tooltipSeconds` after this press.
    Q_INVOKABLE void copyReply();

signals:
    void stateManagersChanged();
    void summarySectionChanged();
    void showsRegenerateLayoutChanged();
    void showTooltipChanged();
    void textareaInputChanged();

private:
    void follow();
    void setShowTooltip(bool show);

    QPointer<ButtonStateManager> buttons_;
    QPointer<SummarizeStateManager> summary_;
    SummarySection summarySection_ = SummarySection::Nothing;
    bool showsRegenerateLayout_ = false;
    bool showTooltip_ = false;
    QString textareaInput_;
};
