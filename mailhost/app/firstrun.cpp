#include "firstrun.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

std::optional<QString> askForMailFolder(const QString& maildir, const QString& samples) {
    QMessageBox box(
        QMessageBox::Question, QObject::tr("Quorvane Mail"),
        QObject::tr("There is no mail folder at %1.").arg(QDir::toNativeSeparators(maildir)));
    box.setInformativeText(
        QObject::tr("Open a folder of .eml files or a Maildir, or try the sample messages."));
    box.setObjectName(QStringLiteral("firstRun"));
    QPushButton* choose = box.addButton(QObject::tr("Choose Folder…"), QMessageBox::AcceptRole);
    choose->setObjectName(QStringLiteral("chooseFolder"));
    QPushButton* sample = nullptr;
    if (QFileInfo(samples).isDir()) {
        sample = box.addButton(QObject::tr("Open Samples"), QMessageBox::AcceptRole);
        sample->setObjectName(QStringLiteral("openSamples"));
    }
    box.addButton(QObject::tr("Quit"), QMessageBox::RejectRole)
        ->setObjectName(QStringLiteral("quit"));
    box.setDefaultButton(choose);
    // A cancelled folder dialog brings the question back rather than ending the program.
    for (;;) {
        box.exec();
        if (sample != nullptr && box.clickedButton() == sample) {
            return samples;
        }
        if (box.clickedButton() != choose) {
            return std::nullopt;
        }
        const QString folder = QFileDialog::getExistingDirectory(
            nullptr, QObject::tr("Choose a Folder of Mail"), QDir::homePath());
        if (!folder.isEmpty()) {
            return folder;
        }
    }
}
