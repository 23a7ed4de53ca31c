#pragma once

#include <QUrl>

/// Opens web pages in the user's browser.
class Workspace {
public:
    virtual ~Workspace() = default;

    /// Opens an http or https URL; any other URL (file:, a custom scheme, a desktop entry) could
    /// run code when handed to the desktop, so it is refused and nothing opens. False when
    /// nothing was opened.
    bool open(const QUrl& url);

    [[nodiscard]] static bool isWebUrl(const QUrl& url);

protected:
    virtual bool openWebUrl(const QUrl& url) = 0;
};

/// The command named by the BROWSER environment variable when it is set, as the desktop
/// convention has it, else the desktop's default URL handler.
class DesktopWorkspace : public Workspace {
protected:
    bool openWebUrl(const QUrl& url) override;
};
