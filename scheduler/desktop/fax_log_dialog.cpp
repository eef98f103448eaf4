#include "fax_log_dialog.h"

#include "reprint_request.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace torvex {

FaxLogDialog::FaxLogDialog(std::function<FaxLogModel::Source()> source, std::function<QString()> printUtility,
                           QWidget* parent)
    : QDialog(parent),
      model_(std::move(source)),
      printUtility_(std::move(printUtility)),
      open_(QStringLiteral("&Open")),
      reprint_(QStringLiteral("&Reprint")),
      refresh_(QStringLiteral("Re&fresh")),
      close_(QStringLiteral("&Close"))
{
    setObjectName(QStringLiteral("FaxLog"));
    setWindowTitle(QStringLiteral("TORVEX Fax Log"));
    table_.setObjectName(QStringLiteral("FaxLogTable"));
    table_.setAccessibleName(QStringLiteral("Received faxes, newest first"));
    table_.setModel(&model_);
    table_.setSelectionBehavior(QAbstractItemView::SelectRows);
    table_.setSelectionMode(QAbstractItemView::SingleSelection);
    table_.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_.setTabKeyNavigation(false);  // Tab goes on to the buttons
    table_.verticalHeader()->hide();
    table_.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_.horizontalHeader()->setStretchLastSection(true);
    table_.setColumnWidth(FaxLogModel::Received, 130);
    table_.setColumnWidth(FaxLogModel::From, 200);
    table_.setColumnWidth(FaxLogModel::Subject, 240);
    table_.setColumnWidth(FaxLogModel::Pages, 50);
    table_.setColumnWidth(FaxLogModel::Outcome, 140);
    open_.setObjectName(QStringLiteral("FaxLogOpen"));
    open_.setAccessibleName(QStringLiteral("Open the fax with the desktop's viewer"));
    reprint_.setObjectName(QStringLiteral("FaxLogReprint"));
    reprint_.setAccessibleName(QStringLiteral("Print the fax again"));
    refresh_.setObjectName(QStringLiteral("FaxLogRefresh"));
    refresh_.setAccessibleName(QStringLiteral("Read the folders again"));
    close_.setObjectName(QStringLiteral("FaxLogClose"));
    close_.setAccessibleName(QStringLiteral("Close the fax log"));
    result_.setObjectName(QStringLiteral("FaxLogResult"));
    result_.setAccessibleName(QStringLiteral("Outcome of the last reprint"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(&open_);
    buttons->addWidget(&reprint_);
    buttons->addWidget(&refresh_);
    buttons->addStretch();
    buttons->addWidget(&close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&table_);
    layout->addWidget(&result_);
    layout->addLayout(buttons);
    resize(900, 480);

    connect(&open_, &QPushButton::clicked, this, &FaxLogDialog::openChosen);
    connect(&table_, &QTableView::activated, this, &FaxLogDialog::openChosen);
    connect(&reprint_, &QPushButton::clicked, this, &FaxLogDialog::reprintChosen);
    connect(&refresh_, &QPushButton::clicked, this, &FaxLogDialog::reload);
    connect(&close_, &QPushButton::clicked, this, &QDialog::close);
    connect(table_.selectionModel(), &QItemSelectionModel::selectionChanged, this, &FaxLogDialog::updateButtons);
    connect(&model_, &QAbstractItemModel::modelReset, this, &FaxLogDialog::updateButtons);
    connect(&reprintProcess_, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        result_.setText(reprintOutcomeText(exitCode, status == QProcess::CrashExit));
        updateButtons();
        Q_EMIT reprintDone();
    });
    connect(&reprintProcess_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        result_.setText(QStringLiteral("Not printed: the print utility could not be started."));
        updateButtons();
        Q_EMIT reprintDone();
    });
    reload();
}

void FaxLogDialog::reload()
{
    model_.reload();
    if (model_.rowCount() > 0)
        table_.selectRow(0);
    table_.setFocus();
}

int FaxLogDialog::chosenRow() const
{
    const QModelIndexList rows = table_.selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void FaxLogDialog::updateButtons()
{
    const bool chosen = chosenRow() >= 0;
    open_.setEnabled(chosen);
    reprint_.setEnabled(chosen && reprintProcess_.state() == QProcess::NotRunning);
}

void FaxLogDialog::openChosen()
{
    const int row = chosenRow();
    if (row < 0)
        return;
    // Its printout as the built-in printer wrote it, else its fax files.
    QStringList files = model_.log().printouts(row);
    if (files.isEmpty())
        files = model_.log().writeFaxFiles(row);
    if (files.isEmpty()) {
        result_.setText(QStringLiteral("This fax has no file to show."));
        return;
    }
    for (const QString& file : files)
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void FaxLogDialog::reprintChosen()
{
    const int row = chosenRow();
    if (row < 0 || reprintProcess_.state() != QProcess::NotRunning)
        return;
    result_.setText(QStringLiteral("Printing the fax again ..."));
    reprint_.setEnabled(false);
    reprintProcess_.start(printUtility_(), reprintArguments(model_.log().entry(row).messageId));
}

}  // namespace torvex
