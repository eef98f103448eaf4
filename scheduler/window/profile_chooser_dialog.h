#pragma once

#include "scheduler/core/core_environment.h"

class QWidget;

namespace torvex {

// The dialog that lists the mailbox profiles and can create a new one.
class ProfileChooserDialog final : public ProfileChooser {
public:
    explicit ProfileChooserDialog(QWidget* parent) : parent_(parent) {}
    QString choose(const QString& profilesFolder) override;

private:
    QWidget* parent_;
};

}  // namespace torvex
