#pragma once

#include "fax_log_model.h"

#include <QDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableView>

#include <functional>

namespace torvex {

// The log of received faxes: the faxes the print run filed, newest first.
// "&Open" shows the chosen fax's printout (or, printed on paper, its
// files) with the desktop's viewer,
// "&Reprint" prints it again through the print utility ("vxprintu /8").
class FaxLogDialog final : public QDialog {
    Q_OBJECT
public:
    // printUtility: the print utility's path, asked at every reprint.
    FaxLogDialog(std::function<FaxLogModel::Source()> source, std::function<QString()> printUtility,
                 QWidget* parent = nullptr);

    // Lists the folders again (the dialog is shown again, or a run filed more).
    void reload();

    [[nodiscard]] QTableView& table() { return table_; }
    [[nodiscard]] FaxLogModel& model() { return model_; }
    [[nodiscard]] QLabel& result() { return result_; }

Q_SIGNALS:
    // A reprint ended; its text is in result().
    void reprintDone();

private:
    void openChosen();
    void reprintChosen();
    void updateButtons();
    [[nodiscard]] int chosenRow() const;

    FaxLogModel model_;
    std::function<QString()> printUtility_;
    QTableView table_;
    QPushButton open_;
    QPushButton reprint_;
    QPushButton refresh_;
    QPushButton close_;
    QLabel result_;
    QProcess reprintProcess_;
};

}  // namespace torvex
