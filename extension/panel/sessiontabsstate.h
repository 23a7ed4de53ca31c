#pragma once

#include "panel/buttonstatemanager.h"
#include "panel/summarizestatemanager.h"
#include "panel/updateactions.h"
#include "signin/developermenustate.h"
#include "signin/endpointselection.h"

#include <QQuickItem>

/// What the signed-in panel keeps: its state objects, made fresh with it, its height, the
/// developer menu with its key monitor, and the update notice's store and buttons.
class SessionTabsState : public DeveloperMenuState {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the compose window controller with each panel")
    Q_PROPERTY(ButtonStateManager* buttonStateManager READ buttonStateManager CONSTANT FINAL)
    Q_PROPERTY(
        SummarizeStateManager* summarizeStateManager READ summarizeStateManager CONSTANT FINAL)
    Q_PROPERTY(int customHeight READ customHeight CONSTANT FINAL)
    Q_PROPERTY(EndpointSelection* endpoints READ endpoints CONSTANT FINAL)
    Q_PROPERTY(IncommingUpdatesManager* updates READ updates CONSTANT FINAL)
    Q_PROPERTY(UpdateActions* updateActions READ updateActions CONSTANT FINAL)

public:
    /// The state objects and the height are those of the window's message; the stored summary
    /// and reply are already loaded.
    explicit SessionTabsState(ComposeWindow& window);

    [[nodiscard]] ButtonStateManager* buttonStateManager() const { return buttonStateManager_; }
    [[nodiscard]] SummarizeStateManager* summarizeStateManager() const {
        return summarizeStateManager_;
    }
    [[nodiscard]] int customHeight() const { return customHeight_; }
    [[nodiscard]] EndpointSelection* endpoints() const { return endpoints_; }
    [[nodiscard]] IncommingUpdatesManager* updates() const { return &window_.services().updates; }
    [[nodiscard]] UpdateActions* updateActions() const { return updateActions_; }

    /// Each time the panel comes on screen: checks for a newer version, shows the stored
    /// summary and reply, and puts a new developer key monitor on the window.
    Q_INVOKABLE void appear(QQuickItem* view);
    Q_INVOKABLE void disappear();

private:
    ComposeWindow& window_;
    ButtonStateManager* const buttonStateManager_;
    SummarizeStateManager* const summarizeStateManager_;
    const int customHeight_;
    EndpointSelection* const endpoints_;
    UpdateActions* const updateActions_;
};
