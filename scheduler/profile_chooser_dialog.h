#pragma once

#include "form_environment.h"

namespace torvex {

// The dialog that lists the mailbox profiles and can create a new one.
class ProfileChooserDialog final : public ProfileChooser {
public:
    QString choose(const QString& profilesFolder, QWidget* parent) override;
};

}  // namespace torvex
