#pragma once

#include "panel/buttonstatemanager.h"
#include "panel/summarizestatemanager.h"
#include "signin/developermenustate.h"

#include <QQuickItem>

/// What the signed-in panel keeps: its two state objects, made fresh with it, its height, and
/// the developer menu with its key monitor.
class SessionTabsState : public DeveloperMenuState {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the compose window controller with each panel")
    Q_PROPERTY(ButtonStateManager* buttonStateManager READ buttonStateManager CONSTANT)
    Q_PROPERTY(SummarizeStateManager* summarizeStateManager READ summarizeStateManager CONSTANT)
    Q_PROPERTY(int customHeight READ customHeight CONSTANT)

public:
    /// The state objects and the height are those of the window's message.
    explicit SessionTabsState(ComposeWindow& window);

    [[nodiscard]] ButtonStateManager* buttonStateManager() const { return buttonStateManager_; }
    [[nodiscard]] SummarizeStateManager* summarizeStateManager() const {
        return summarizeStateManager_;
    }
    [[nodiscard]] int customHeight() const { return customHeight_; }

    /// Each time the panel comes on screen: checks for a newer version, shows the stored
    /// summary and reply, and puts a new developer key monitor on the window.
    Q_INVOKABLE void appear(QQuickItem* view);
    Q_INVOKABLE void disappear();

private:
    ButtonStateManager* const buttonStateManager_;
    SummarizeStateManager* const summarizeStateManager_;
    const int customHeight_;
};
