#include "scheduler/window/profile_chooser_dialog.h"

#include "scheduler/settings/profile_session.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace torvex {

QString ProfileChooserDialog::choose(const QString& profilesFolder)
{
    QDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("ProfileChooser"));
    dialog.setWindowTitle(QStringLiteral("Choose Profile"));
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("profileList"));
    list->addItems(profileNames());
    if (list->count() > 0)
        list->setCurrentRow(0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* create = buttons->addButton(QStringLiteral("&New..."),
                                             QDialogButtonBox::ActionRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    QObject::connect(create, &QPushButton::clicked, &dialog, [&] {
        const QString name = QInputDialog::getText(&dialog, QStringLiteral("New Profile"),
                                                   QStringLiteral("Profile name:"))
                                 .trimmed();
        if (name.isEmpty())
            return;
        if (!createProfile(name)) {
            QMessageBox::warning(&dialog, dialog.windowTitle(),
                                 QStringLiteral("Cannot create the profile '%1'.").arg(name));
            return;
        }
        list->clear();
        list->addItems(profileNames());
        const auto found = list->findItems(name, Qt::MatchFixedString);
        if (!found.isEmpty())
            list->setCurrentItem(found.first());
    });

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Profiles in %1:").arg(profilesFolder)));
    layout->addWidget(list);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted || !list->currentItem())
        return {};
    return list->currentItem()->text();
}

}  // namespace torvex
