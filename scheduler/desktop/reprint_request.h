#pragma once

#include <QString>
#include <QStringList>

namespace torvex {

// The print utility's command line that reprints a filed message.
[[nodiscard]] QStringList reprintArguments(const QString& messageId);

// What the fax log says about a reprint that ended with that exit status
// (crashed: it did not end by itself).
[[nodiscard]] QString reprintOutcomeText(int exitCode, bool crashed);

}  // namespace torvex
