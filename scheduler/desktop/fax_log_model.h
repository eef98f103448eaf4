#pragma once

#include "fax_log.h"

#include <QAbstractTableModel>

#include <functional>
#include <optional>

namespace torvex {

// The fax log as a table for a view: newest first, handed to the view in
// batches as it scrolls (fetchMore), each row read when it is first shown.
class FaxLogModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Received, From, Subject, Pages, Outcome, Receipt, ColumnCount };
    static constexpr int kBatch = 200;
    // The message ID of a row (what "vxprintu /8" takes).
    static constexpr int MessageIdRole = Qt::UserRole;

    // Where the log is read from: the TORVEX profile's Maildir and the
    // program folder, asked afresh at every reload (the profile may change).
    struct Source {
        QString maildirRoot;
        QString programFolder;
    };
    explicit FaxLogModel(std::function<Source()> source, QObject* parent = nullptr);

    // Lists the folders again (after a run filed more).
    void reload();
    [[nodiscard]] FaxLog& log() { return *log_; }

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    [[nodiscard]] bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    std::function<Source()> source_;
    std::optional<FaxLog> log_;
    int shown_ = 0;
};

// The texts of the log's outcome and receipt columns.
[[nodiscard]] QString outcomeText(const FaxLogEntry& entry);
[[nodiscard]] QString receiptText(ReceiptState state);

}  // namespace torvex
